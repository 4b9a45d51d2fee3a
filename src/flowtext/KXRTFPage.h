#pragma once
// The flow page of the RTF output.

#include "flowtext/FlowPage_p.h"
#include "flowtext/KXRTFFileWriter.h"
#include "flowtext/KXRTFParagraph.h"
#include "flowtext/KXRTFRun.h"
#include "flowtext/KXRTFRunText.h"

class KXRTFPage : public kx::detail::FlowPage<KXRTFParagraph, KXRTFRun, KXRTFRunText, KXRTFFileWriter, true> {
public:
    using FlowPage::FlowPage;

    void _writeParagraphs(KXRTFFileWriter& writer) override;
};
