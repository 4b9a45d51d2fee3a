#include "docx/model/KXDocxPathInfo.h"

#include <cmath>

#include "docx/model/KXDocxUtilities.h"
#include "platform/Format.h"
#include "platform/Numeric.h"

namespace {

// An alpha as a channel: times 255 in single precision, cut toward zero, within 0 to 255.
int alphaChannel(float alpha) {
    const float a = alpha * 255.0f;
    if (!(a > 0)) return 0;
    return a >= 255.0f ? 255 : static_cast<int>(a);
}

int hexChannel(double component) {
    if (!(component > 0)) return 0;
    return component >= 1 ? 255 : kx::roundToInt<int>(component * 255.0);
}

KXDocx_Color recordColor(const std::optional<kx::Color>& color, float alpha) {
    KXDocx_Color c = KXDocxUtilities::KXDocxColorFromCGColor(color ? &*color : nullptr);
    c.alpha = alphaChannel(alpha);
    return c;
}

}  // namespace

void KXDocxPathInfo::setFillcolor(const std::optional<kx::Color>& color) {
    fillcolor_ = color;
    fillColorKX_ = recordColor(fillcolor_, fillAlpha_);
}

void KXDocxPathInfo::setStrokecolor(const std::optional<kx::Color>& color) {
    strokecolor_ = color;
    strokeColorKX_ = recordColor(strokecolor_, strokeAlpha_);
}

void KXDocxPathInfo::setFillAlpha(float alpha) {
    fillAlpha_ = alpha;
    fillColorKX_.alpha = alphaChannel(alpha);
}

void KXDocxPathInfo::setStrokeAlpha(float alpha) {
    strokeAlpha_ = alpha;
    strokeColorKX_.alpha = alphaChannel(alpha);
}

std::optional<std::string> KXDocxPathInfo::colorString(const std::optional<kx::Color>& color) {
    if (!color) return std::nullopt;
    return kx::format("#%02X%02X%02X", hexChannel(color->red), hexChannel(color->green), hexChannel(color->blue));
}

std::string KXDocxPathInfo::strokeDashPhaseString() const {
    return kx::format("%lld", static_cast<long long>(strokeDashPhase_));
}

std::optional<std::string> KXDocxPathInfo::strokeDashPatternString() const {
    if (strokeDashPattern_.empty()) return std::nullopt;
    std::string text;
    for (double d : strokeDashPattern_) {
        if (!text.empty()) text += ' ';
        text += kx::format("%lld", kx::toInt<long long>(d));
    }
    return text;
}

int KXDocxPathInfo::BorderStyleForPathInfo(const KXDocxPathInfo& info, const KXDocx_Color& backgroundColor) {
    if (info.stroked()) {
        switch (info.strokeDashPattern().size()) {
            case 0:
            case 1: return KXDocxColorIsEqual(info.strokeColorKX(), backgroundColor) ? 1 : 2;
            case 2: return 4;  // dashed
            case 3: return 8;  // dotted
            case 4: return 6;  // dotDash
            default: return 7;  // dotDotDash
        }
    }
    if (!info.filled()) return 1;
    const bool thinWide = info.displayWidth < 4, thinHigh = info.displayHeight < 4;
    if (thinWide == thinHigh) return 1;  // a dot, or an area
    return KXDocxColorIsEqual(info.fillColorKX(), backgroundColor) ? 1 : 2;
}
