#pragma once
// The units of PresentationML and DrawingML as the slide's writers put numbers into attributes:
// lengths in EMU (points x 12700), angles in 60000ths of a degree, fractions in 100000ths, font
// sizes and point spacings in hundredths. Every value is rounded to a whole number and held inside
// the range of the attribute's type, so that no input (NaN, huge or negative sizes) makes an
// attribute the schema refuses.

#include <charconv>
#include <cstdint>
#include <string>

#include "platform/Numeric.h"

namespace kx::detail {

constexpr double kEMUPerPoint = 12700.0;

inline std::int64_t clampedRound(double v, double lo, double hi) {
    double r = kx::finiteOr(v, 0.0);
    if (r < lo) r = lo;
    if (r > hi) r = hi;
    return kx::roundToInt<std::int64_t>(r);
}

// A coordinate (may be negative).
inline std::int64_t emuValue(double points) {
    return clampedRound(points * kEMUPerPoint, -27273042329600.0, 27273042316900.0);
}
inline std::string emu(double points) { return std::to_string(emuValue(points)); }

// Appends the decimal digits of the number, as std::to_string writes them.
inline void appendNumber(std::string& out, std::int64_t number) {
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, static_cast<size_t>(end - digits));
}
// A size or a positive coordinate.
inline std::string positiveEmu(double points) {
    return std::to_string(clampedRound(points * kEMUPerPoint, 0.0, 27273042316900.0));
}
// A 32-bit coordinate, as tab positions are.
inline std::string emu32(double points) {
    return std::to_string(clampedRound(points * kEMUPerPoint, -2147483648.0, 2147483647.0));
}
// A text margin: 0 to 51206400 EMU.
inline std::string textMargin(double points) {
    return std::to_string(clampedRound(points * kEMUPerPoint, 0.0, 51206400.0));
}
inline std::string angle(double degrees) {
    return std::to_string(clampedRound(degrees * 60000.0, -2147483648.0, 2147483647.0));
}
// A fraction from 0 to 1 as 100000ths.
inline std::string fixedPercentage(double fraction) {
    return std::to_string(clampedRound(fraction * 100000.0, 0.0, 100000.0));
}
// A font size in points as hundredths: 1 to 4000 points.
inline std::string fontSize(double points) {
    return std::to_string(clampedRound(points * 100.0, 100.0, 400000.0));
}
// A spacing in points as hundredths: 0 to 1584 points.
inline std::string spacingPoints(double points) {
    return std::to_string(clampedRound(points * 100.0, 0.0, 158400.0));
}
// A line width: 0 to 20116800 EMU.
inline std::string lineWidth(double points) {
    return std::to_string(clampedRound(points * kEMUPerPoint, 0.0, 20116800.0));
}

// "rrggbb" from a colour text with any "#" removed; empty when the rest is not six hexadecimal
// digits.
inline std::string hexColor(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '#') out.push_back(c);
    if (out.size() != 6) return {};
    for (char c : out)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return {};
    return out;
}

}  // namespace kx::detail
