#pragma once
// Unicode text segmentation and character classes (ICU): words, user-perceived characters, the
// white-space and control classes the text utilities test against, and lower case.

#include <string>
#include <string_view>
#include <vector>

namespace kx {

// The words of a text, in order: letters, numbers, ideographs and kana runs as the word-break rules
// cut them; spaces and punctuation between words are left out.
std::vector<std::u16string> wordsOf(std::u16string_view text);
// The user-perceived characters (grapheme clusters) of a text, in order.
std::vector<std::u16string> composedCharactersOf(std::u16string_view text);

// White space and line breaks: the space separators (Zs, Zl, Zp), tab, line feed, vertical tab,
// form feed, carriage return and next line.
bool isWhitespaceOrNewline(char32_t c);
// Control and format characters (Cc, Cf).
bool isControlCharacter(char32_t c);

// The text in lower case by the language-neutral rules (the length may change: "İ" becomes two
// units).
std::u16string lowercased(std::u16string_view text);

}  // namespace kx
