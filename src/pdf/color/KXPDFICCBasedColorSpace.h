#pragma once
// ICCBased: N components described by an embedded ICC profile. Colours convert through the profile
// when the colour engine can read it (gray, RGB and CMYK profiles with N channels); otherwise through
// the alternate space, which is the Alternate entry or the device space of N components.

#include <memory>
#include <vector>

#include "pdf/color/KXPDFColorSpace.h"

namespace kx {
class ICCProfile;
}

class KXPDFICCBasedColorSpace : public KXPDFColorSpace {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModeICCBased; }
    int getNComps() const override { return static_cast<int>(nComps_); }
    KXPDFColor getDefaultColor() const override;
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;
    // The ICC-based platform space over the profile; the alternate's when the profile is unusable.
    kx::ColorSpaceRef CGColorSpace() const override;

    std::int64_t nComps() const { return nComps_; }
    const std::shared_ptr<const KXPDFColorSpace>& alt() const { return alt_; }
    const std::vector<double>& rangeMin() const { return rangeMin_; }
    const std::vector<double>& rangeMax() const { return rangeMax_; }
    const kx::PDFObject& iccProfileStream() const { return iccProfileStream_; }
    // The profile in use for conversions; nullptr when colours go through the alternate.
    const std::shared_ptr<const kx::ICCProfile>& profile() const { return profile_; }

private:
    bool profileRGB(const KXPDFColor& color, KXPDFRGB& out) const;

    std::int64_t nComps_ = 0;
    std::shared_ptr<const KXPDFColorSpace> alt_;
    std::vector<double> rangeMin_;
    std::vector<double> rangeMax_;
    kx::PDFObject iccProfileStream_;
    std::shared_ptr<const kx::ICCProfile> profile_;
};
