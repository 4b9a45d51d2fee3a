#include "flowtext/KXTextRunText.h"

namespace {

// Control characters other than TAB, LF and CR are no text: they come from broken font maps and
// would only garble the file (the HTML and RTF outputs drop them too).
bool isDroppedControl(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

void KXTextRunText::writeWithXMLWriter(KXTextFileWriter& writer) {
    const std::u16string& text = runText();
    bool clean = true;
    for (char16_t c : text) clean = clean && !isDroppedControl(c);
    if (clean) {
        writer.write(text);
        return;
    }
    std::u16string kept;
    kept.reserve(text.size());
    for (char16_t c : text)
        if (!isDroppedControl(c)) kept += c;
    writer.write(kept);
}
