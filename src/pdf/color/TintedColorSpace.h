#pragma once
// What Separation and DeviceN spaces share: their alternate space and tint transform, and the
// conversion of tints (components / 255) through the transform into a colour of the alternate
// space, which answers for gray, RGB and CMYK.

#include <cstdint>
#include <memory>
#include <string>

#include "pdf/color/KXPDFColor.h"
#include "pdf/color/KXPDFColorSpace.h"
#include "pdf/function/KXPDFFunction.h"
#include "platform/pdf/PDFObject.h"

namespace kx::detail {

class TintedColorSpace : public KXPDFColorSpace {
public:
    // The alternate space's value of the converted colour; 0 (black) without an alternate space or
    // a tint transform.
    std::int16_t getGray(const KXPDFColor& color) const override;
    KXPDFRGB getRGB(const KXPDFColor& color) const override;
    KXPDFCMYK getCMYK(const KXPDFColor& color) const override;

    const std::shared_ptr<const KXPDFColorSpace>& alt() const { return alt_; }
    const std::shared_ptr<const KXPDFFunction>& func() const { return func_; }

protected:
    // Reads the alternate space (element 2 of the space's array, tagged with `objectKey`) and then
    // the tint transform (element 3); false at the first that is unusable, which is then left as
    // it was.
    bool readTintTransform(const PDFObject& array, const std::string& objectKey);

private:
    // The alternate colour of the first getNComps() components; all zero without a function.
    KXPDFColor toAlternate(const KXPDFColor& color) const;

    std::shared_ptr<const KXPDFColorSpace> alt_;
    std::shared_ptr<const KXPDFFunction> func_;
};

}  // namespace kx::detail
