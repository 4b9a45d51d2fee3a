#pragma once
// The conversion shared by Separation and DeviceN spaces: tints (components / 255) through the tint
// transform into a colour of the alternate space.

#include <memory>

#include "pdf/KXPDFColor.h"
#include "pdf/KXPDFColorSpace.h"
#include "pdf/KXPDFFunction.h"
#include "platform/Numeric.h"

namespace kx::detail {

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
