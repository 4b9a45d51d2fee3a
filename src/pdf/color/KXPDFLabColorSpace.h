#pragma once
// Lab: CIE L*a*b* relative to a white point. Components hold L, a and b times 255. RGB comes from
// XYZ through the sRGB primaries, scaled per channel so that the white point is full intensity, with
// a square root in place of the sRGB curve.

#include "pdf/color/CIEPoints.h"
#include "pdf/color/KXPDFColorSpace.h"

class KXPDFLabColorSpace : public KXPDFColorSpace, public kx::detail::CIEPoints {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModeLab; }
    int getNComps() const override { return 3; }
    KXPDFColor getDefaultColor() const override;
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;
    kx::ColorSpaceRef CGColorSpace() const override;

    double aMin() const { return range_[0]; }
    double aMax() const { return range_[1]; }
    double bMin() const { return range_[2]; }
    double bMax() const { return range_[3]; }
    double kr() const { return kr_; }
    double kg() const { return kg_; }
    double kb() const { return kb_; }

private:
    void computeWhiteScale();

    double range_[4] = {-100, 100, -100, 100};
    double kr_ = 1, kg_ = 1, kb_ = 1;
};
