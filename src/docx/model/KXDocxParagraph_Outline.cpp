// Paragraphs: whether a paragraph carries the title of an outline entry (bookmark).
//
// Titles and lines are compared in lower case without white space, line breaks and control
// characters. A paragraph matches when one of its lines holds the whole title, or when one of its
// lines of three or more characters, longer than a third of the title, is a piece of the title (a
// title broken over several lines); with likeness detection, also when a line is more than 60 %
// like the title (a few characters read differently).

#include "docx/model/KXDocxParagraph.h"

#include "platform/TextBreaks.h"
#include "platform/Unicode.h"
#include "util/KXConverterUtilities.h"

namespace {

std::u16string outlineKey(std::u16string_view text) {
    std::u16string kept;
    size_t i = 0;
    while (i < text.size()) {
        const size_t begin = i;
        const char32_t c = kx::nextCodePoint(text, i);
        if (!kx::isWhitespaceOrNewline(c) && !kx::isControlCharacter(c)) kept.append(text.substr(begin, i - begin));
    }
    return kx::lowercased(kept);
}

// The likeness (100 less the edit distance in percent of the line's length) is above 60 only when
// the lengths differ by less than 40 % of the line's: the edit distance is at least that difference.
bool isLike(const std::u16string& line, const std::u16string& key) {
    const double n = static_cast<double>(line.size());
    const double difference = line.size() > key.size() ? n - static_cast<double>(key.size())
                                                        : static_cast<double>(key.size()) - n;
    if (100.0 - 100.0 * difference / n <= 60.0) return false;
    return KXConverterUtilities::String(line, key) > 60.0f;
}

}  // namespace

bool KXDocxParagraph::compareOutLine(std::u16string_view title, bool likeDetect) const {
    if (pProperty_.outlineLvl > 0) return false;
    const std::u16string key = outlineKey(title);
    // An empty title is in every line.
    if (key.empty()) return false;
    std::vector<std::u16string> lines;
    lines.reserve(lineArray_.size());
    for (const auto& line : lineArray_) {
        std::u16string s = outlineKey(line->lineText());
        if (s.empty()) continue;
        if (s == key || s.find(key) != std::u16string::npos) return true;
        lines.push_back(std::move(s));
    }
    for (const std::u16string& s : lines) {
        if (s.size() >= 3 && s.size() > key.size() / 3 && key.find(s) != std::u16string::npos) return true;
        if (likeDetect && isLike(s, key)) return true;
    }
    return false;
}
