#include "pdf/color/TintedColorSpace.h"

#include <algorithm>

#include "platform/Numeric.h"

namespace kx::detail {

bool TintedColorSpace::readTintTransform(const PDFObject& array, const std::string& objectKey) {
    auto space = KXPDFColorSpace::ColorSpaceWithObject(array.arrayAt(2), objectKey);
    if (!space) return false;
    alt_ = std::move(space);
    auto function = KXPDFFunction::FuntionWithObject(array.arrayAt(3));
    if (!function) return false;
    func_ = std::move(function);
    return true;
}

KXPDFColor TintedColorSpace::toAlternate(const KXPDFColor& color) const {
    KXPDFColor out{};
    if (!func_ || !alt_) return out;
    const int count = getNComps();
    KXPDFFunction::Values in{}, result{};
    for (int i = 0; i < count && i < KXPDFFunction::kMaxValues; ++i)
        in[static_cast<size_t>(i)] = color.c[static_cast<size_t>(i)] / 255.0;
    func_->transformInput(in, result);
    int n = std::min<int>(alt_->getNComps(), KXPDFFunction::kMaxValues);
    int produced = static_cast<int>(std::min<std::int64_t>(func_->n_output(), KXPDFFunction::kMaxValues));
    for (int i = 0; i < n && i < produced; ++i)
        out.c[static_cast<size_t>(i)] = toInt<std::int16_t>(result[static_cast<size_t>(i)] * 255.0);
    out.length = n;
    return out;
}

std::int16_t TintedColorSpace::getGray(const KXPDFColor& color) const {
    return alt_ && func_ ? alt_->getGray(toAlternate(color)) : 0;
}

KXPDFRGB TintedColorSpace::getRGB(const KXPDFColor& color) const {
    return alt_ && func_ ? alt_->getRGB(toAlternate(color)) : KXPDFRGB{};
}

KXPDFCMYK TintedColorSpace::getCMYK(const KXPDFColor& color) const {
    return alt_ && func_ ? alt_->getCMYK(toAlternate(color)) : KXPDFCMYK{};
}

}  // namespace kx::detail
