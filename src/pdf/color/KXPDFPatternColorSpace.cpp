#include "pdf/color/KXPDFPatternColorSpace.h"

#include <string>

bool KXPDFPatternColorSpace::parse(const kx::PDFObject& object) {
    if (!object.isArray() || object.arrayCount() < 1 || object.arrayCount() > 2 || !object.arrayAt(0).isName("Pattern"))
        return false;
    if (object.arrayCount() == 2) {
        auto under = KXPDFColorSpace::ColorSpaceWithObject(object.arrayAt(1), std::string("KXPDFPatternColorSpace"));
        if (!under) return false;
        under_ = std::move(under);
    }
    return true;
}

std::int16_t KXPDFPatternColorSpace::getGray(const KXPDFColor&) const { return 0; }

KXPDFRGB KXPDFPatternColorSpace::getRGB(const KXPDFColor&) const { return {}; }

KXPDFCMYK KXPDFPatternColorSpace::getCMYK(const KXPDFColor&) const { return {0, 0, 0, 1}; }

kx::ColorSpaceRef KXPDFPatternColorSpace::CGColorSpace() const {
    return kx::ColorSpace::pattern(under_ ? under_->CGColorSpace() : nullptr);
}

KXPDFColor KXPDFPatternColorSpace::getDeviceN(const KXPDFColor&) const {
    KXPDFColor c{};
    c.c[3] = 1;
    return c;
}
