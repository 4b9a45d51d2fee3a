#include "pdf/color/KXPDFDeviceNColorSpace.h"

#include <algorithm>

#include "pdf/color/KXPDFDeviceRGBColorSpace.h"

bool KXPDFDeviceNColorSpace::parse(const kx::PDFObject& object) {
    if (!object.isArray() || object.arrayCount() < 4 || object.arrayCount() > 5 ||
        !object.arrayAt(0).isName("DeviceN"))
        return false;
    kx::PDFObject names = object.arrayAt(1);
    if (!names.isArray()) return false;
    nComps_ = static_cast<std::int32_t>(std::min<size_t>(names.arrayCount(), 32));
    if (!readTintTransform(object, std::string("KXPDFDeviceNColorSpace"))) return false;
    nonMarking_ = true;
    return true;
}

KXPDFColor KXPDFDeviceNColorSpace::getDefaultColor() const {
    KXPDFColor c{};
    for (int i = 0; i < nComps_; ++i) c.c[static_cast<size_t>(i)] = 255;
    return c;
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
