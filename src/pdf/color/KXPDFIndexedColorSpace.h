#pragma once
// Indexed: one component, an index into a table of colours of a base space. Indices outside the
// table are clamped to it.

#include <cstdint>
#include <memory>
#include <vector>

#include "pdf/color/KXPDFColorSpace.h"

class KXPDFIndexedColorSpace : public KXPDFColorSpace {
public:
    bool parse(const kx::PDFObject& object) override;
    int getMode() const override { return ModeIndexed; }
    int getNComps() const override { return 1; }
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;
    KXPDFColor getDeviceN(const KXPDFColor& color) const override;
    // An indexed platform space over the base's platform space; nullptr without a base.
    kx::ColorSpaceRef CGColorSpace() const override;

    // The colour of the base space that the index of `color` (component 0 / 255, rounded) selects.
    KXPDFColor mapColorKXPDFColor(const KXPDFColor& color) const;

    const std::shared_ptr<const KXPDFColorSpace>& base() const { return base_; }
    std::int64_t indexHigh() const { return indexHigh_; }
    // (indexHigh + 1) entries of the base's component count bytes each.
    const std::vector<std::uint8_t>& lookup() const { return lookup_; }

private:
    std::shared_ptr<const KXPDFColorSpace> base_;
    std::int64_t indexHigh_ = 0;
    std::vector<std::uint8_t> lookup_;
};
