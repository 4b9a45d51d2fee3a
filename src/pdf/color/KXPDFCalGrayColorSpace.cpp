#include "pdf/color/KXPDFCalGrayColorSpace.h"

#include "pdf/color/KXPDFColorSpace_p.h"
#include "pdf/color/KXPDFDeviceGrayColorSpace.h"

bool KXPDFCalGrayColorSpace::parse(const kx::PDFObject& object) {
    kx::PDFObject dict = readCIEDictionary(object, "CalGray");
    if (!dict.isDictionary()) return false;
    kx::pdfNumberInDictionary(dict, "Gamma", gamma_);
    return true;
}

std::int16_t KXPDFCalGrayColorSpace::getGray(const KXPDFColor& color) const { return clip255(color.c[0]); }

KXPDFRGB KXPDFCalGrayColorSpace::getRGB(const KXPDFColor& color) const {
    return KXPDFDeviceGrayColorSpace::grayToRGB(color.c[0]);
}

KXPDFCMYK KXPDFCalGrayColorSpace::getCMYK(const KXPDFColor& color) const {
    return KXPDFDeviceGrayColorSpace::grayToCMYK(color.c[0]);
}

kx::ColorSpaceRef KXPDFCalGrayColorSpace::CGColorSpace() const {
    return kx::ColorSpace::calibratedGray(white_, black_, gamma_);
}

KXPDFColor KXPDFCalGrayColorSpace::getDeviceN(const KXPDFColor& color) const {
    KXPDFColor out;
    out.c[3] = getCMYK(color).k;
    return out;
}
