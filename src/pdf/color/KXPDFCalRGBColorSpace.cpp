#include "pdf/color/KXPDFCalRGBColorSpace.h"

#include "pdf/color/KXPDFColorSpace_p.h"
#include "pdf/color/KXPDFDeviceRGBColorSpace.h"

bool KXPDFCalRGBColorSpace::parse(const kx::PDFObject& object) {
    kx::PDFObject dict = readCIEDictionary(object, "CalRGB");
    if (!dict.isDictionary()) return false;
    kx::detail::readExactNumbers(dict.dictGet("Gamma"), 3, gamma_);
    kx::detail::readExactNumbers(dict.dictGet("Matrix"), 9, mat_.data());
    return true;
}

std::int16_t KXPDFCalRGBColorSpace::getGray(const KXPDFColor& color) const {
    return clip255(0.299 * color.c[0] + 0.587 * color.c[1] + 0.114 * color.c[2] + 0.5);
}

KXPDFRGB KXPDFCalRGBColorSpace::getRGB(const KXPDFColor& color) const {
    return {clip255(color.c[0]), clip255(color.c[1]), clip255(color.c[2])};
}

KXPDFCMYK KXPDFCalRGBColorSpace::getCMYK(const KXPDFColor& color) const {
    return KXPDFDeviceRGBColorSpace::rgbToCMYK(color.c[0], color.c[1], color.c[2]);
}

kx::ColorSpaceRef KXPDFCalRGBColorSpace::CGColorSpace() const {
    return kx::ColorSpace::calibratedRGB(white_, black_, gamma_, mat_.data());
}

KXPDFColor KXPDFCalRGBColorSpace::getDeviceN(const KXPDFColor& color) const {
    return KXPDFDeviceRGBColorSpace::deviceNFromCMYK(getCMYK(color));
}
