#include "pdf/color/KXPDFDeviceNColorSpace.h"

#include <algorithm>

#include "pdf/color/KXPDFDeviceRGBColorSpace.h"
#include "pdf/color/TintTransform_p.h"

bool KXPDFDeviceNColorSpace::parse(const kx::PDFObject& object) {
    if (!object.isArray() || object.arrayCount() < 4 || object.arrayCount() > 5 ||
        !object.arrayAt(0).isName("DeviceN"))
        return false;
    kx::PDFObject names = object.arrayAt(1);
    if (!names.isArray()) return false;
    nComps_ = static_cast<std::int32_t>(std::min<size_t>(names.arrayCount(), 32));
    if (!kx::detail::readTintTransform(object, std::string("KXPDFDeviceNColorSpace"), alt_, func_)) return false;
    nonMarking_ = true;
    return true;
}

KXPDFColor KXPDFDeviceNColorSpace::getDefaultColor() const {
    KXPDFColor c{};
    for (int i = 0; i < nComps_; ++i) c.c[static_cast<size_t>(i)] = 255;
    return c;
}

KXPDFColor KXPDFDeviceNColorSpace::toAlternate(const KXPDFColor& color) const {
    return kx::detail::alternateColor(color, nComps_, func_.get(), alt_.get());
}

std::int16_t KXPDFDeviceNColorSpace::getGray(const KXPDFColor& color) const {
    return alt_ && func_ ? alt_->getGray(toAlternate(color)) : 0;
}

KXPDFRGB KXPDFDeviceNColorSpace::getRGB(const KXPDFColor& color) const {
    return alt_ && func_ ? alt_->getRGB(toAlternate(color)) : KXPDFRGB{};
}

KXPDFCMYK KXPDFDeviceNColorSpace::getCMYK(const KXPDFColor& color) const {
    return alt_ && func_ ? alt_->getCMYK(toAlternate(color)) : KXPDFCMYK{};
}

KXPDFColor KXPDFDeviceNColorSpace::getDeviceN(const KXPDFColor& color) const {
    KXPDFColor out{};
    const auto& map = mapping();
    if (!map.empty()) {
        for (size_t i = 0; i < map.size() && i < static_cast<size_t>(nComps_); ++i)
            if (map[i] >= 0 && map[i] < 32) out.c[static_cast<size_t>(map[i])] = color.c[i];
        return out;
    }
    return KXPDFDeviceRGBColorSpace::deviceNFromCMYK(getCMYK(color));
}
