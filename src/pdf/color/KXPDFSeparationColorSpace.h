#pragma once
// Separation: one tint of a named colorant, converted through the tint transform into an
// alternate space.

#include <string>

#include "pdf/color/TintedColorSpace.h"

class KXPDFSeparationColorSpace : public kx::detail::TintedColorSpace {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModeSeparation; }
    int getNComps() const override { return 1; }
    // Full tint, as a colour space set without a colour paints in its colorant.
    KXPDFColor getDefaultColor() const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;

    const std::string& name() const { return name_; }
    // The colorant None marks nothing.
    bool nonMarking() const { return nonMarking_; }

private:
    std::string name_;
    bool nonMarking_ = false;
};
