#pragma once
// Text and geometry helpers shared by the writers: blank tests, word splitting, the full-width
// test, string likeness, random picture names and rectangle overlaps.

#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"

class KXConverterUtilities {
public:
    // True when nothing is left after removing white space, line breaks and control characters (an
    // empty text included).
    static bool isBlankString(std::u16string_view text);
    // The words of the text; its user-perceived characters one by one when the first character is
    // full width.
    static std::vector<std::u16string> ComponentsSeparatedByWords(std::u16string_view text);
    // False for an empty text; true when the first UTF-16 unit is not ASCII (or is half of a
    // surrogate pair, which has no UTF-8 form on its own).
    static bool IsFullWidthCharacter(std::u16string_view text);
    // The width of the text set in the installed font of that name (PostScript, full or family
    // name) at the size: the widest of its lines, laid out without wrapping (the height does not
    // cut lines). 0 for an empty font name or a font that is not installed.
    static double TextWidth(std::u16string_view text, const std::string& fontName, double fontSize, double maxHeight);
    // 100 minus the edit distance (over UTF-16 units) in percent of the first text's length; the
    // other text's length when one of them is empty. May be negative.
    static float String(std::u16string_view s1, std::u16string_view s2);
    // Four capital letters drawn uniformly from A to Z.
    static std::string Random4BigLetter();
    // The area of r ∩ t over the area of r, when they overlap with positive width and height; else 0.
    static double PecentAreaOfIntersectRect(const kx::Rect& r, const kx::Rect& t);
    // The width of r minus the width of r ∩ t, when they overlap with positive width and height;
    // else 0.
    static double WidthOfNoneIntersectRect(const kx::Rect& r, const kx::Rect& t);
};
