#pragma once
// DeviceGray: one component, 0 black to 255 white.

#include "pdf/color/KXPDFColorSpace.h"

class KXPDFDeviceGrayColorSpace : public KXPDFColorSpace {
public:
    int getMode() const override { return ModeDeviceGray; }
    int getNComps() const override { return 1; }
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;
    kx::ColorSpaceRef CGColorSpace() const override { return kx::ColorSpace::deviceGray(); }

    // The gray conversions shared with CalGray.
    static KXPDFRGB grayToRGB(std::int16_t gray);
    static KXPDFCMYK grayToCMYK(std::int16_t gray);
};
