#pragma once
// Colour values as the interpreter keeps them. A component holds the PDF operand times 255,
// truncated toward zero: 0 to 255 for device colours, larger for Lab values and palette indices.

#include <array>
#include <cstdint>

struct KXPDFColor {
    // Components the colour carries (1 gray, 3 RGB, 4 CMYK); picks the device space when a bare
    // record is converted.
    std::int32_t length = 0;
    // 1 in the record that defaultPDFColor gives: no colour was set.
    std::int32_t isNull = 0;
    std::array<std::int16_t, 32> c{};

    bool operator==(const KXPDFColor&) const = default;
};

// Red, green and blue, 0 (no light) to 255.
struct KXPDFRGB {
    std::int16_t r = 0, g = 0, b = 0;
    bool operator==(const KXPDFRGB&) const = default;
};

// Cyan, magenta, yellow and black ink, 0 (none) to 255.
struct KXPDFCMYK {
    std::int16_t c = 0, m = 0, y = 0, k = 0;
    bool operator==(const KXPDFCMYK&) const = default;
};
