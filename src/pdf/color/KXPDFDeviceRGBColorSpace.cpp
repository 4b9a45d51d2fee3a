#include "pdf/color/KXPDFDeviceRGBColorSpace.h"

#include <algorithm>

std::int16_t KXPDFDeviceRGBColorSpace::getGray(const KXPDFColor& color) const {
    return clip255(0.3 * color.c[0] + 0.59 * color.c[1] + 0.11 * color.c[2] + 0.5);
}

KXPDFRGB KXPDFDeviceRGBColorSpace::getRGB(const KXPDFColor& color) const {
    return {clip255(color.c[0]), clip255(color.c[1]), clip255(color.c[2])};
}

KXPDFCMYK KXPDFDeviceRGBColorSpace::rgbToCMYK(int r, int g, int b) {
    std::int16_t c = clip255(255 - r), m = clip255(255 - g), y = clip255(255 - b);
    std::int16_t k = std::min({c, m, y});
    return {static_cast<std::int16_t>(c - k), static_cast<std::int16_t>(m - k), static_cast<std::int16_t>(y - k), k};
}

KXPDFColor KXPDFDeviceRGBColorSpace::deviceNFromCMYK(const KXPDFCMYK& cmyk) {
    KXPDFColor out;
    out.c[0] = cmyk.c;
    out.c[1] = cmyk.m;
    out.c[2] = cmyk.y;
    out.c[3] = cmyk.k;
    return out;
}

KXPDFCMYK KXPDFDeviceRGBColorSpace::getCMYK(const KXPDFColor& color) const {
    return rgbToCMYK(color.c[0], color.c[1], color.c[2]);
}

KXPDFColor KXPDFDeviceRGBColorSpace::getDeviceN(const KXPDFColor& color) const {
    return deviceNFromCMYK(getCMYK(color));
}
