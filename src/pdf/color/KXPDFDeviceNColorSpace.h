#pragma once
// DeviceN: up to 32 tints of named colorants, converted together through the tint transform into
// an alternate space.

#include <memory>

#include "pdf/color/KXPDFColorSpace.h"
#include "pdf/function/KXPDFFunction.h"

class KXPDFDeviceNColorSpace : public KXPDFColorSpace {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModeDeviceN; }
    int getNComps() const override { return nComps_; }
    // Full tint of every colorant.
    KXPDFColor getDefaultColor() const override;
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;

    std::int32_t nComps() const { return nComps_; }
    const std::shared_ptr<const KXPDFColorSpace>& alt() const { return alt_; }
    const std::shared_ptr<const KXPDFFunction>& func() const { return func_; }
    bool nonMarking() const { return nonMarking_; }

private:
    KXPDFColor toAlternate(const KXPDFColor& color) const;

    std::int32_t nComps_ = 0;
    std::shared_ptr<const KXPDFColorSpace> alt_;
    bool nonMarking_ = false;
    std::shared_ptr<const KXPDFFunction> func_;
};
