#pragma once
// The flow page of the plain-text output: paragraphs on one baseline joined by the indentation,
// the others each on a line of its own, the text of the runs as it was shown.

#include "flowtext/FlowPage.h"
#include "flowtext/KXTextFileWriter.h"

class KXTextPage : public kx::detail::FlowPage {
public:
    KXTextPage(KXTextFileWriter* writer, kx::Size pageSize, bool lastPage);

    // Writes the paragraphs and ends the page's text with a line break, so that the next page
    // starts on a line of its own.
    void _writeParagraphs() override;

protected:
    // The text without control characters.
    void writeRunText(const kx::detail::FlowRunText& run) override;

private:
    KXTextFileWriter* writer_;
};
