#pragma once
// Colours as hexadecimal text, white, and the black test.

#include <optional>
#include <string>

#include "platform/Color.h"

class KXHexColor {
public:
    // "rrggbb" (lower case) of each channel times 255 rounded to nearest; nullopt for no colour.
    static std::optional<std::string> getHexColorFromCGColor(const std::optional<kx::Color>& color);
    // Opaque white.
    static kx::Color whiteCGColor();
    // True when red, green and blue (times 255, rounded) are all below 11; false for no colour.
    static bool isBlackColor(const std::optional<kx::Color>& color);
};
