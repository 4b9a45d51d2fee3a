#include "flowtext/KXTextPage.h"

namespace {

// Control characters other than TAB, LF and CR are no text: they come from broken font maps and
// would only garble the file (the HTML and RTF outputs drop them too).
bool isDroppedControl(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

KXTextPage::KXTextPage(KXTextFileWriter* writer, kx::Size pageSize, bool lastPage)
    : FlowPage(writer, pageSize, lastPage, false), writer_(writer) {}

void KXTextPage::_writeParagraphs() {
    if (paragraphArray().empty()) return;
    writeParagraphsAsText();
    writer_->writeLinebreak();
}

void KXTextPage::writeRunText(const kx::detail::FlowRunText& run) {
    const std::u16string& text = run.runText();
    bool clean = true;
    for (char16_t c : text) clean = clean && !isDroppedControl(c);
    if (clean) {
        writer_->write(text);
        return;
    }
    std::u16string kept;
    kept.reserve(text.size());
    for (char16_t c : text)
        if (!isDroppedControl(c)) kept += c;
    writer_->write(kept);
}
