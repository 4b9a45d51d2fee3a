#include "flowtext/KXRTFColorEntry.h"

#include <cmath>

#include "platform/Format.h"

bool KXRTFColorEntry::isEqualToColor(const KXRTFColorEntry* other) const {
    return other && red == other->red && green == other->green && blue == other->blue;
}

std::string KXRTFColorEntry::rtfFormat() const {
    auto channel = [](double v) { return std::isfinite(v) ? v * 255 : 0.0; };
    if (red > 0.9 && green > 0.9 && blue > 0.9) return kx::format("\\red%0.0f\\green%0.0f\\blue%0.0f;", 127.5, 127.5, 127.5);
    return kx::format("\\red%0.0f\\green%0.0f\\blue%0.0f;", channel(red), channel(green), channel(blue));
}
