#include "platform/TextBreaks.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

namespace kx {

namespace {

icu::UnicodeString toICU(std::u16string_view text) {
    return icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size()));
}

// Segments of a text, optionally keeping only those whose rule status marks a word.
std::vector<std::u16string> segments(std::u16string_view text, bool words) {
    std::vector<std::u16string> out;
    if (text.empty()) return out;
    // Making an iterator loads and compiles its rules, which costs far more than breaking a line of
    // text: each thread keeps one of each kind and points it at the next text.
    thread_local std::unique_ptr<icu::BreakIterator> wordIterator, characterIterator;
    std::unique_ptr<icu::BreakIterator>& it = words ? wordIterator : characterIterator;
    if (!it) {
        UErrorCode status = U_ZERO_ERROR;
        it.reset(words ? icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status)
                       : icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) it.reset();
        if (!it) return out;
    }
    icu::UnicodeString s = toICU(text);
    it->setText(s);
    int32_t start = it->first();
    for (int32_t end = it->next(); end != icu::BreakIterator::DONE; start = end, end = it->next()) {
        if (words && it->getRuleStatus() < UBRK_WORD_NONE_LIMIT) continue;
        out.emplace_back(text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
    }
    return out;
}

}  // namespace

std::vector<std::u16string> wordsOf(std::u16string_view text) { return segments(text, true); }

std::vector<std::u16string> composedCharactersOf(std::u16string_view text) { return segments(text, false); }

bool isWhitespaceOrNewline(char32_t c) {
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85) return true;
    int8_t type = u_charType(static_cast<UChar32>(c));
    return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

bool isControlCharacter(char32_t c) {
    int8_t type = u_charType(static_cast<UChar32>(c));
    return type == U_CONTROL_CHAR || type == U_FORMAT_CHAR;
}

std::u16string lowercased(std::u16string_view text) {
    icu::UnicodeString s(text.data(), static_cast<int32_t>(text.size()));
    s.toLower(icu::Locale::getRoot());
    return std::u16string(reinterpret_cast<const char16_t*>(s.getBuffer()), static_cast<size_t>(s.length()));
}

}  // namespace kx
