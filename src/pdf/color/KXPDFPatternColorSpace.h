#pragma once
// Pattern: painting uses a pattern instead of a colour. An uncoloured pattern is painted in a
// colour of the underlying space given beside the pattern's name.

#include <memory>

#include "pdf/color/KXPDFColorSpace.h"

class KXPDFPatternColorSpace : public KXPDFColorSpace {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModePattern; }
    int getNComps() const override { return 0; }
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;
    // A platform pattern space over the underlying space's platform space (or over none).
    kx::ColorSpaceRef CGColorSpace() const override;

    // The space of the colour an uncoloured pattern is painted with; nullptr when none was given.
    const std::shared_ptr<const KXPDFColorSpace>& under() const { return under_; }

private:
    std::shared_ptr<const KXPDFColorSpace> under_;
};
