#pragma once
// Right-to-left text (ICU): the reading order of text that stands in visual order, the direction
// of characters, and the Arabic presentation forms taken back to their letters.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Whether the character is written right to left (the bidirectional classes R and AL: Hebrew,
// Arabic, Syriac, Thaana, ...).
bool isRightToLeftCharacter(char32_t c);
// Whether the character is a combining mark (Mn, Me): it belongs to the character before it.
bool isCombiningMark(char32_t c);

// The embedding level of each UTF-16 unit of a text given in visual order (left to right as it
// is shown), by the inverse bidirectional algorithm, in a paragraph of the given direction: the
// order in which it is read follows from reversing, from the highest level down to the lowest odd
// one, every stretch at that level or higher. Empty when the levels cannot be worked out.
std::vector<std::uint8_t> levelsOfVisualText(std::u16string_view visual, bool rightToLeftParagraph);

// The text with each Arabic presentation form (U+FB50 to U+FDFF, U+FE70 to U+FEFF) replaced by its
// compatibility decomposition (NFKC): the ordinary letters, a ligature by its letters. A mark in an
// isolated or medial form becomes the mark alone (without the blank or tatweel it is shown on).
std::u16string withArabicPresentationFormsNormalized(std::u16string_view text);
// Whether the text holds an Arabic presentation form.
bool hasArabicPresentationForm(std::u16string_view text);

}  // namespace kx
