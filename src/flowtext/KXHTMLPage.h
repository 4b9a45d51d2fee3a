#pragma once
// The flow page of the HTML output.

#include "flowtext/FlowPage_p.h"
#include "flowtext/KXHTMLFileWriter.h"
#include "flowtext/KXHTMLParagraph.h"
#include "flowtext/KXHTMLRun.h"
#include "flowtext/KXHTMLRunText.h"

class KXHTMLPage
    : public kx::detail::FlowPage<KXHTMLParagraph, KXHTMLRun, KXHTMLRunText, KXHTMLFileWriter, true> {
public:
    using FlowPage::FlowPage;

    // Writes the paragraphs in order and closes the tags still open.
    void _writeParagraphs(KXHTMLFileWriter& writer) override;
};
