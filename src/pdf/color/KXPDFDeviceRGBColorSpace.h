#pragma once
// DeviceRGB: red, green and blue, each 0 to 255.

#include "pdf/color/KXPDFColorSpace.h"

class KXPDFDeviceRGBColorSpace : public KXPDFColorSpace {
public:
    int getMode() const override { return ModeDeviceRGB; }
    int getNComps() const override { return 3; }
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;

    // Complement each channel, then take the common black out of the three inks.
    static KXPDFCMYK rgbToCMYK(int r, int g, int b);
    // Components 0 to 3 of a DeviceN record from CMYK.
    static KXPDFColor deviceNFromCMYK(const KXPDFCMYK& cmyk);
};
