#include "pdf/color/KXPDFDeviceGrayColorSpace.h"

KXPDFRGB KXPDFDeviceGrayColorSpace::grayToRGB(std::int16_t gray) {
    std::int16_t g = clip255(gray);
    return {g, g, g};
}

KXPDFCMYK KXPDFDeviceGrayColorSpace::grayToCMYK(std::int16_t gray) { return {0, 0, 0, clip255(255 - gray)}; }

std::int16_t KXPDFDeviceGrayColorSpace::getGray(const KXPDFColor& color) const { return clip255(color.c[0]); }

KXPDFRGB KXPDFDeviceGrayColorSpace::getRGB(const KXPDFColor& color) const { return grayToRGB(color.c[0]); }

KXPDFCMYK KXPDFDeviceGrayColorSpace::getCMYK(const KXPDFColor& color) const { return grayToCMYK(color.c[0]); }

KXPDFColor KXPDFDeviceGrayColorSpace::getDeviceN(const KXPDFColor& color) const {
    KXPDFColor out;
    out.c[3] = getCMYK(color).k;
    return out;
}
