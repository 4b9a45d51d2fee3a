#include "pdf/color/KXPDFSeparationColorSpace.h"

#include "pdf/color/KXPDFDeviceRGBColorSpace.h"

bool KXPDFSeparationColorSpace::parse(const kx::PDFObject& object) {
    if (!object.isArray() || object.arrayCount() != 4 || !object.arrayAt(0).isName("Separation")) return false;
    kx::PDFObject colorant = object.arrayAt(1);
    if (!colorant.isName()) return false;
    name_ = colorant.name();
    nonMarking_ = name_ == "None";
    if (!readTintTransform(object, std::string("KXPDFSeparationColorSpace"))) return false;
    return true;
}

KXPDFColor KXPDFSeparationColorSpace::getDefaultColor() const {
    KXPDFColor c{};
    c.c[0] = 255;
    return c;
}

KXPDFColor KXPDFSeparationColorSpace::getDeviceN(const KXPDFColor& color) const {
    KXPDFColor out{};
    const auto& map = mapping();
    if (!map.empty() && map[0] >= 0 && map[0] < 32) {
        out.c[static_cast<size_t>(map[0])] = color.c[0];
        return out;
    }
    return KXPDFDeviceRGBColorSpace::deviceNFromCMYK(getCMYK(color));
}
