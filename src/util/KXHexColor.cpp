#include "util/KXHexColor.h"

#include <algorithm>

#include "platform/Format.h"
#include "platform/Numeric.h"

namespace {

int channel(double v) { return std::clamp(kx::roundToInt<int>(v * 255.0), 0, 255); }

}  // namespace

std::optional<std::string> KXHexColor::getHexColorFromCGColor(const std::optional<kx::Color>& color) {
    if (!color) return std::nullopt;
    return kx::format("%02x%02x%02x", channel(color->red), channel(color->green), channel(color->blue));
}

kx::Color KXHexColor::whiteCGColor() { return {1, 1, 1, 1}; }

bool KXHexColor::isBlackColor(const std::optional<kx::Color>& color) {
    if (!color) return false;
    return channel(color->red) < 11 && channel(color->green) < 11 && channel(color->blue) < 11;
}
