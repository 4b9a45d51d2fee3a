#pragma once
// Where a gap between two pieces of one line of text parts two words: from a point on, and past a
// tenth of the font size. Kerning and the tracking of letters stay below it; the narrowest space
// between the words of a tightly justified line (about a fifth of the font size) does not.

namespace kx {

constexpr double kWordGapLeast = 1.0;
constexpr double kWordGapShare = 0.1;

// Whether a gap along a line (display units) between two pieces of text of this font size (the
// size along the line) parts two words.
inline bool separatesWords(double gap, double fontSize) {
    return gap >= kWordGapLeast && gap > kWordGapShare * fontSize;
}

}  // namespace kx
