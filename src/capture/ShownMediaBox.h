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
    const kx::Rect shown = geometry.pageTransform.apply(c);
    if (!std::isfinite(shown.minX()) || !std::isfinite(shown.maxX()) || !std::isfinite(shown.minY()) ||
        !std::isfinite(shown.maxY()))
        return std::nullopt;
    return shown;
}

// Whether a display-space box lies wholly outside `shown` (a null or empty `shown` shows nothing).
inline bool isOutsideShown(const kx::Rect& box, const kx::Rect& shown) {
    if (shown.isNull() || shown.isEmpty()) return true;
    return box.maxX() <= shown.minX() || box.minX() >= shown.maxX() || box.maxY() <= shown.minY() ||
           box.minY() >= shown.maxY();
}

}  // namespace kx
