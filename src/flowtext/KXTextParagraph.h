#pragma once
// A paragraph of the plain-text output: its runs' text, or one line break when it has none.

#include "flowtext/FlowParagraph_p.h"
#include "flowtext/KXTextFileWriter.h"
#include "flowtext/KXTextRun.h"
#include "flowtext/KXTextRunText.h"

class KXTextParagraph
    : public kx::detail::FlowParagraph<KXTextParagraph, KXTextRun, KXTextRunText, KXTextFileWriter> {
public:
    using FlowParagraph::FlowParagraph;
};
