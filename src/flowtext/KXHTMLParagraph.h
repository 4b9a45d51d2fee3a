#pragma once
// A paragraph of the HTML output: a "p" element of its CSS class holding the runs' spans.

#include "flowtext/FlowParagraph_p.h"
#include "flowtext/KXHTMLFileWriter.h"
#include "flowtext/KXHTMLRun.h"
#include "flowtext/KXHTMLRunText.h"

class KXHTMLParagraph
    : public kx::detail::FlowParagraph<KXHTMLParagraph, KXHTMLRun, KXHTMLRunText, KXHTMLFileWriter> {
public:
    using FlowParagraph::FlowParagraph;

    // Opens the paragraph element: its left margin is the indentation beyond the page's text margin.
    void writeNewLineWithXMLWriter(KXHTMLFileWriter& writer);
};
