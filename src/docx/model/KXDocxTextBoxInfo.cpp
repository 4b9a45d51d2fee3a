#include "docx/model/KXDocxTextBoxInfo.h"

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxUtilities.h"
#include "platform/Format.h"
#include "platform/Numeric.h"

namespace {

int channel(double component) {
    const double v = std::round(kx::finiteOr(component) * 255.0);
    return static_cast<int>(std::clamp(v, 0.0, 255.0));
}

}  // namespace

std::optional<std::string> KXDocxTextBoxInfo::colorString(const std::optional<kx::Color>& color) {
    if (!color) return std::nullopt;
    return kx::format("#%02X%02X%02X", channel(color->red), channel(color->green), channel(color->blue));
}

std::string KXDocxTextBoxInfo::strokeDashPhaseString() const {
    return kx::format("%lld", static_cast<long long>(strokeDashPhase));
}

std::optional<std::string> KXDocxTextBoxInfo::strokeDashPatternString() const {
    if (strokeDashPattern.empty()) return std::nullopt;
    std::string text;
    for (size_t i = 0; i < strokeDashPattern.size(); ++i)
        text += kx::format(i == 0 ? "%lld" : " %lld", static_cast<long long>(kx::toInt<long long>(strokeDashPattern[i])));
    return text;
}

KXDocx_Color KXDocxTextBoxInfo::strokeColorKX() const {
    return KXDocxUtilities::KXDocxColorFromCGColor(strokecolor ? &*strokecolor : nullptr);
}

KXDocx_Color KXDocxTextBoxInfo::fillColorKX() const {
    return KXDocxUtilities::KXDocxColorFromCGColor(fillcolor ? &*fillcolor : nullptr);
}
