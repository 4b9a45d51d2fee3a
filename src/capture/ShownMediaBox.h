#pragma once
// The page as it is shown: its media box in display space. A page may be a window onto content drawn
// for a larger sheet; what lies wholly outside this box is not on the page.

#include <algorithm>
#include <cmath>
#include <optional>

#include "pdf/page/KXPDFPageGeometry.h"
#include "platform/Geometry.h"

namespace kx {

// The page's media box in display space; nullopt when the page has no usable one.
inline std::optional<kx::Rect> shownMediaBox(const KXPDFPageGeometry& geometry) {
    // The box as the page gives it: the geometry holds it turned with the page.
    const kx::Rect& m = geometry.mediaBox;
    const bool quarter = geometry.rotationAngle == 90 || geometry.rotationAngle == 270;
    const kx::Rect c = quarter ? kx::Rect(m.origin.y, m.origin.x, m.size.height, m.size.width) : m;
    if (c.isNull() || c.isInfinite() || c.isEmpty()) return std::nullopt;
    const kx::AffineTransform& t = geometry.pageTransform;
    const kx::Point corners[] = {t.apply(kx::Point{c.minX(), c.minY()}), t.apply(kx::Point{c.maxX(), c.minY()}),
                                 t.apply(kx::Point{c.maxX(), c.maxY()}), t.apply(kx::Point{c.minX(), c.maxY()})};
    double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const kx::Point& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1)) return std::nullopt;
    return kx::Rect(x0, y0, x1 - x0, y1 - y0);
}

// Whether a display-space box lies wholly outside `shown` (a null or empty `shown` shows nothing).
inline bool isOutsideShown(const kx::Rect& box, const kx::Rect& shown) {
    if (shown.isNull() || shown.isEmpty()) return true;
    return box.maxX() <= shown.minX() || box.minX() >= shown.maxX() || box.maxY() <= shown.minY() ||
           box.minY() >= shown.maxY();
}

}  // namespace kx
