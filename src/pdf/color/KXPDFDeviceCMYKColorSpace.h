#pragma once
// DeviceCMYK: cyan, magenta, yellow and black ink, each 0 to 255. RGB comes from a multilinear
// interpolation between sixteen measured corner colours of the ink cube, which matches printed
// colours far better than the plain complement.

#include "pdf/color/KXPDFColorSpace.h"

class KXPDFDeviceCMYKColorSpace : public KXPDFColorSpace {
public:
    int getMode() const override { return ModeDeviceCMYK; }
    int getNComps() const override { return 4; }
    KXPDFColor getDefaultColor() const override;
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;
    kx::ColorSpaceRef CGColorSpace() const override { return kx::ColorSpace::deviceCMYK(); }

    // The sixteen-corner interpolation; inks on the 0-to-255 scale, not clipped first.
    static KXPDFRGB cmykToRGB(double c, double m, double y, double k);
};
