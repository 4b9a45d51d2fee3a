#pragma once
// The flow page of the HTML output: each paragraph a "p" element of its CSS class (its left margin
// the indentation beyond the page's text margin), each run a span of its CSS class with bold and
// italic tags, then its escaped text.

#include <string_view>

#include "flowtext/FlowPage.h"
#include "flowtext/KXHTMLFileWriter.h"

class KXHTMLPage : public kx::detail::FlowPage {
public:
    KXHTMLPage(KXHTMLFileWriter* writer, kx::Size pageSize, bool lastPage);

    // Writes the paragraphs in order and closes the tags still open.
    void _writeParagraphs() override;

protected:
    void writeRunText(const kx::detail::FlowRunText& run) override;
    // Opens the paragraph element.
    void writeNewLine(kx::detail::FlowParagraph& paragraph) override;
    void writeContent(std::u16string_view text) override;

private:
    KXHTMLFileWriter* writer_;
};
