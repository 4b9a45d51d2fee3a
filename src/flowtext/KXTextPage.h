#pragma once
// The flow page of the plain-text output.

#include "flowtext/FlowPage_p.h"
#include "flowtext/KXTextFileWriter.h"
#include "flowtext/KXTextParagraph.h"
#include "flowtext/KXTextRun.h"
#include "flowtext/KXTextRunText.h"

class KXTextPage : public kx::detail::FlowPage<KXTextParagraph, KXTextRun, KXTextRunText, KXTextFileWriter, false> {
public:
    using FlowPage::FlowPage;

    // Writes the paragraphs and ends the page's text with a line break, so that the next page
    // starts on a line of its own.
    void _writeParagraphs(KXTextFileWriter& writer) override;
};
