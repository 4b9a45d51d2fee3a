#pragma once
// What Separation and DeviceN spaces share: their alternate space and tint transform, and the
// conversion of tints (components / 255) through the transform into a colour of the alternate space.

#include <memory>
#include <string>

#include "pdf/color/KXPDFColor.h"
#include "pdf/color/KXPDFColorSpace.h"
#include "pdf/function/KXPDFFunction.h"
#include "platform/Numeric.h"

namespace kx::detail {

// Reads the alternate space (element 2 of the space's array, tagged with `objectKey`) and then the
// tint transform (element 3); false at the first that is unusable, which is then left as it was.
inline bool readTintTransform(const PDFObject& array, const std::string& objectKey,
                              std::shared_ptr<const KXPDFColorSpace>& alt, std::shared_ptr<const KXPDFFunction>& func) {
    auto space = KXPDFColorSpace::ColorSpaceWithObject(array.arrayAt(2), objectKey);
    if (!space) return false;
    alt = std::move(space);
    auto function = KXPDFFunction::FuntionWithObject(array.arrayAt(3));
    if (!function) return false;
    func = std::move(function);
    return true;
}

// The alternate colour for the first `count` components of `color`; all zero without a function.
inline KXPDFColor alternateColor(const KXPDFColor& color, int count, const KXPDFFunction* func,
                                 const KXPDFColorSpace* alt) {
    KXPDFColor out{};
    if (!func || !alt) return out;
    KXPDFFunction::Values in{}, result{};
    for (int i = 0; i < count && i < KXPDFFunction::kMaxValues; ++i)
        in[static_cast<size_t>(i)] = color.c[static_cast<size_t>(i)] / 255.0;
    func->transformInput(in, result);
    int n = std::min<int>(alt->getNComps(), KXPDFFunction::kMaxValues);
    int produced = static_cast<int>(std::min<std::int64_t>(func->n_output(), KXPDFFunction::kMaxValues));
    for (int i = 0; i < n && i < produced; ++i)
        out.c[static_cast<size_t>(i)] = kx::toInt<std::int16_t>(result[static_cast<size_t>(i)] * 255.0);
    out.length = n;
    return out;
}

}  // namespace kx::detail
