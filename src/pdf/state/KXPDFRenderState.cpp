#include "pdf/state/KXPDFRenderState.h"

#include "pdf/color/KXPDFDeviceCMYKColorSpace.h"
#include "pdf/color/KXPDFDeviceGrayColorSpace.h"
#include "pdf/color/KXPDFDeviceRGBColorSpace.h"
#include "pdf/state/KXPDFExtGState.h"
#include "platform/Numeric.h"

namespace {

// Every fresh state starts in DeviceRGB; spaces are immutable, so one instance serves them all.
const std::shared_ptr<const KXPDFColorSpace>& initialColorSpace() {
    static const std::shared_ptr<const KXPDFColorSpace> space = [] {
        auto s = std::make_shared<KXPDFDeviceRGBColorSpace>();
        s->setObjectKey("KXPDFRenderState init");
        return s;
    }();
    return space;
}

KXPDFColor initialColor() {
    KXPDFColor c;
    for (size_t i = 4; i < c.c.size(); ++i) c.c[i] = 255;
    return c;
}

kx::Color deviceColor(const KXPDFRGB& rgb) {
    return {static_cast<float>(rgb.r) / 255.0f, static_cast<float>(rgb.g) / 255.0f,
            static_cast<float>(rgb.b) / 255.0f, 1.0};
}

}  // namespace

KXPDFRenderState::KXPDFRenderState()
    : fillColorSpace_(initialColorSpace()),
      strokeColorSpace_(initialColorSpace()),
      fillColor_(initialColor()),
      strokeColor_(initialColor()) {}

void KXPDFRenderState::setTextMatrix(const kx::AffineTransform& matrix, bool replaceLineMatrix) {
    textMatrix_ = matrix;
    if (replaceLineMatrix) lineMatrix_ = matrix;
}

void KXPDFRenderState::translateTextPosition(kx::Size delta) {
    textMatrix_ = textMatrix_.translated(delta.width, delta.height);
}

void KXPDFRenderState::newLineWithLeading(double ty, double tx, bool save) {
    lineMatrix_ = lineMatrix_.translated(tx, ty);
    textMatrix_ = lineMatrix_;
    if (save) leading_ = -ty;
}

KXPDFRGB KXPDFRenderState::currentFillRGBColor() const {
    return fillColorSpace_ ? fillColorSpace_->getRGB(fillColor_) : KXPDFRGB{};
}

KXPDFRGB KXPDFRenderState::currentStrokeRGBColor() const {
    return strokeColorSpace_ ? strokeColorSpace_->getRGB(strokeColor_) : KXPDFRGB{};
}

kx::Color KXPDFRenderState::currentFillColor() const {
    return fillColorSpace_ ? deviceColor(currentFillRGBColor()) : kx::Color{0, 0, 0, 1};
}

kx::Color KXPDFRenderState::currentStrokeColor() const {
    return strokeColorSpace_ ? deviceColor(currentStrokeRGBColor()) : kx::Color{0, 0, 0, 1};
}

KXPDFRGB KXPDFRenderState::RGBColorForPDFColor(const KXPDFColor& color) {
    switch (color.length) {
        case 1: return KXPDFDeviceGrayColorSpace().getRGB(color);
        case 3: return KXPDFDeviceRGBColorSpace().getRGB(color);
        case 4: return KXPDFDeviceCMYKColorSpace().getRGB(color);
        default: return {};
    }
}

void KXPDFRenderState::clipState(const kx::Path& path, std::int32_t type) {
    if (type == ClipNone || path.isEmpty()) return;
    if (auto array = KXPDFCGPathUtilities::NSArrayWithCGPath(path))
        clipBezierPaths_.push_back(KXPDFClipPath::NewClipPathArray(std::move(*array), type));
}

void KXPDFRenderState::setGraphicState(const KXPDFExtGState* state) {
    if (!state) return;
    const auto& map = state->gStateValue();
    auto find = [&](const char* key) -> const KXPDFExtGStateValue* {
        auto it = map.find(key);
        return it == map.end() ? nullptr : &it->second;
    };
    auto applyNumber = [&](const char* key, auto&& set) {
        if (const KXPDFExtGStateValue* v = find(key))
            if (auto n = v->number()) set(*n);
    };
    auto applyBool = [&](const char* key, bool& field) {
        if (const KXPDFExtGStateValue* v = find(key))
            if (auto b = v->boolean()) field = *b;
    };
    auto toShort = [](double n) { return kx::toInt<std::int16_t>(n); };

    applyNumber("LW", [&](double n) { lineWidth_ = n; });
    applyNumber("LC", [&](double n) { lineCapStyle_ = toShort(n); });
    applyNumber("LJ", [&](double n) { lineJoinStyle_ = toShort(n); });
    applyNumber("ML", [&](double n) { lineMiterLimit_ = n; });
    if (const KXPDFExtGStateValue* v = find("D"))
        if (auto* dash = v->numbers()) lineDashPattern_ = *dash;
    applyNumber("CA", [&](double n) { strokeAlpha_ = n; });
    applyNumber("ca", [&](double n) { fillAlpha_ = n; });
    applyBool("AIS", alphaFlag_);
    applyBool("op", fillOverprint_);
    applyBool("OP", strokeOverprint_);
    applyNumber("OPM", [&](double n) { overprintMode_ = toShort(n); });
    applyBool("SA", strokeAdjust_);
    applyNumber("BM", [&](double n) { blendMode_ = toShort(n); });
    applyBool("SMask-haveSoftMask", haveSoftMask_);
    if (const KXPDFExtGStateValue* v = find("SMask-S")) {
        if (const std::string* s = v->string()) {
            if (*s == "Alpha") softMaskBlendMode_ = 3;
            else if (*s == "Luminosity") softMaskBlendMode_ = 15;
        }
    }
}
