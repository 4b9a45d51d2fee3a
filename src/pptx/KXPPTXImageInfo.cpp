#include "pptx/KXPPTXImageInfo.h"

#include <cmath>
#include <numbers>

#include "pdf/state/KXPDFRenderState.h"

KXPPTXImageInfo::KXPPTXImageInfo(const kx::AffineTransform& transform, const KXPDFRenderState& state) {
    setUpWithTransform(transform, state);
}

void KXPPTXImageInfo::setUpWithTransform(const kx::AffineTransform& t, const KXPDFRenderState& state) {
    const kx::Point p0{t.tx, t.ty};
    const kx::Point p1{t.a + t.tx, t.b + t.ty};
    const kx::Point p2{t.a + t.c + t.tx, t.b + t.d + t.ty};
    displayWidth = std::hypot(t.a, t.b);
    displayHeight = std::hypot(t.c, t.d);
    displayX = (p0.x + p2.x) / 2 - displayWidth / 2;
    displayY = (p0.y + p2.y) / 2 - displayHeight / 2;
    float angle = std::atan2(static_cast<float>(p1.y - p0.y), static_cast<float>(p1.x - p0.x)) * 180.0f /
                  std::numbers::pi_v<float>;
    while (angle < 0) angle += 360.0f;
    while (angle >= 360.0f) angle -= 360.0f;
    rotation = std::isfinite(angle) ? angle : 0.0f;
    flipX = false;
    flipY = static_cast<float>(t.a * t.d - t.b * t.c) > 0;
    opacity = static_cast<float>(state.currentFillAlpha());
}

void KXPPTXImageInfo::setDisplayRect(const kx::Rect& r) {
    displayX = r.origin.x;
    displayY = r.origin.y;
    displayWidth = r.size.width;
    displayHeight = r.size.height;
}
