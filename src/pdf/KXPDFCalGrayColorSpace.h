#pragma once
// CalGray: a gray calibrated by white point, black point and gamma. Colours convert like DeviceGray;
// the calibration is kept for whoever builds a calibrated space from it.

#include "pdf/KXPDFColorSpace.h"

class KXPDFCalGrayColorSpace : public KXPDFColorSpace {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModeCalGray; }
    int getNComps() const override { return 1; }
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;
    kx::ColorSpaceRef CGColorSpace() const override;

    double whiteX() const { return white_[0]; }
    double whiteY() const { return white_[1]; }
    double whiteZ() const { return white_[2]; }
    double blackX() const { return black_[0]; }
    double blackY() const { return black_[1]; }
    double blackZ() const { return black_[2]; }
    double gamma() const { return gamma_; }

private:
    double white_[3] = {1, 1, 1};
    double black_[3] = {0, 0, 0};
    double gamma_ = 1;
};
