#pragma once
// A paragraph of the RTF output: "\par\pard" and its left indentation, then the runs.

#include "flowtext/FlowParagraph_p.h"
#include "flowtext/KXRTFFileWriter.h"
#include "flowtext/KXRTFRun.h"
#include "flowtext/KXRTFRunText.h"

class KXRTFParagraph : public kx::detail::FlowParagraph<KXRTFParagraph, KXRTFRun, KXRTFRunText, KXRTFFileWriter> {
public:
    using FlowParagraph::FlowParagraph;

    // Starts a new paragraph indented by the distance beyond the page's text margin, in twips.
    void writeNewLineWithXMLWriter(KXRTFFileWriter& writer);
};
