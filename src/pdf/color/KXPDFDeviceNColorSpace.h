#pragma once
// DeviceN: up to 32 tints of named colorants, converted together through the tint transform into
// an alternate space.

#include <cstdint>

#include "pdf/color/TintedColorSpace.h"

class KXPDFDeviceNColorSpace : public kx::detail::TintedColorSpace {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModeDeviceN; }
    int getNComps() const override { return nComps_; }
    // Full tint of every colorant.
    KXPDFColor getDefaultColor() const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;

    std::int32_t nComps() const { return nComps_; }
    bool nonMarking() const { return nonMarking_; }

private:
    std::int32_t nComps_ = 0;
    bool nonMarking_ = false;
};
