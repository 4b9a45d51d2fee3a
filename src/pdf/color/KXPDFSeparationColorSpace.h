#pragma once
// Separation: one tint of a named colorant, converted through the tint transform into an
// alternate space.

#include <memory>
#include <string>

#include "pdf/color/KXPDFColorSpace.h"
#include "pdf/function/KXPDFFunction.h"

class KXPDFSeparationColorSpace : public KXPDFColorSpace {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModeSeparation; }
    int getNComps() const override { return 1; }
    // Full tint, as a colour space set without a colour paints in its colorant.
    KXPDFColor getDefaultColor() const override;
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;

    const std::string& name() const { return name_; }
    const std::shared_ptr<const KXPDFColorSpace>& alt() const { return alt_; }
    const std::shared_ptr<const KXPDFFunction>& func() const { return func_; }
    // The colorant None marks nothing.
    bool nonMarking() const { return nonMarking_; }

private:
    KXPDFColor toAlternate(const KXPDFColor& color) const;

    std::string name_;
    std::shared_ptr<const KXPDFColorSpace> alt_;
    std::shared_ptr<const KXPDFFunction> func_;
    bool nonMarking_ = false;
};
