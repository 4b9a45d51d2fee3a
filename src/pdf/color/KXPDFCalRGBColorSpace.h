#pragma once
// CalRGB: RGB calibrated by white point, black point, gammas and a matrix. Colours convert like
// DeviceRGB (gray with the video weights); the calibration is kept.

#include <array>

#include "pdf/color/CIEPoints.h"
#include "pdf/color/KXPDFColorSpace.h"

class KXPDFCalRGBColorSpace : public KXPDFColorSpace, public kx::detail::CIEPoints {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModeCalRGB; }
    int getNComps() const override { return 3; }
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;
    kx::ColorSpaceRef CGColorSpace() const override;

    double gammaR() const { return gamma_[0]; }
    double gammaG() const { return gamma_[1]; }
    double gammaB() const { return gamma_[2]; }
    // Row by row, as the PDF Matrix gives it.
    const std::array<double, 9>& mat() const { return mat_; }

private:
    double gamma_[3] = {1, 1, 1};
    std::array<double, 9> mat_ = {1, 0, 0, 0, 1, 0, 0, 0, 1};
};
