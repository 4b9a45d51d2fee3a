#pragma once
// CalGray: a gray calibrated by white point, black point and gamma. Colours convert like DeviceGray;
// the calibration is kept for whoever builds a calibrated space from it.

#include "pdf/color/CIEPoints.h"
#include "pdf/color/KXPDFColorSpace.h"

class KXPDFCalGrayColorSpace : public KXPDFColorSpace, public kx::detail::CIEPoints {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModeCalGray; }
    int getNComps() const override { return 1; }
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;
    kx::ColorSpaceRef CGColorSpace() const override;

    double gamma() const { return gamma_; }

private:
    double gamma_ = 1;
};
