#include "pdf/interpreter/KXPDF_CTMInfo.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "pdf/page/KXPDFPageGeometry.h"

namespace {

struct Metrics {
    double ascent, descent;
};

// Ascent and descent scaled to span one unit. Equal metrics (fonts without any) would divide by
// zero; they take the proportions of a typical text face instead.
Metrics normalized(double ascent, double descent) {
    double h = ascent - descent;
    if (h == 1.0) return {ascent, descent};
    if (!std::isfinite(h) || h == 0) return {0.8, -0.2};
    return {ascent / h, descent / h};
}

double angleOfVector(double dx, double dy) {
    double deg = static_cast<double>(std::atan2(static_cast<float>(dy), static_cast<float>(dx))) * 180.0 /
                 std::numbers::pi;
    if (!std::isfinite(deg)) return 0;
    while (deg < 0) deg += 360;
    while (deg >= 360) deg -= 360;
    return static_cast<double>(std::round(static_cast<float>(deg)));
}

double atLeastFive(double v) {
    float f = static_cast<float>(v);
    if (std::isnan(f) || f < 5.0f) return 5.0;
    return static_cast<double>(f);
}

// The angle and the displayed font size of the last transform, by the exact bits of what they
// depend on. Text shows character after character under one matrix that only moves, so the
// trigonometry is done once a run of text instead of once a character.
struct ShapeMemo {
    std::array<std::uint64_t, 7> key{};
    bool valid = false;
    float rotation = 0;
    kx::Size fontSize;
};

std::array<std::uint64_t, 7> shapeKey(const kx::AffineTransform& t, double s, double ascent, double descent) {
    return {std::bit_cast<std::uint64_t>(t.a), std::bit_cast<std::uint64_t>(t.b), std::bit_cast<std::uint64_t>(t.c),
            std::bit_cast<std::uint64_t>(t.d), std::bit_cast<std::uint64_t>(s),   std::bit_cast<std::uint64_t>(ascent),
            std::bit_cast<std::uint64_t>(descent)};
}

}  // namespace

kx::Size KXTransformedFontSize(const kx::AffineTransform& t, double s, double a, double d) {
    return {s * std::hypot(t.a, t.b), s * std::fabs(a - d) * std::hypot(t.c, t.d)};
}

KXPDF_CTMInfo KXMakeCTMInfo(const kx::AffineTransform& t, double s, double ascent, double descent) {
    Metrics m = normalized(ascent, descent);
    KXPDF_CTMInfo info;
    thread_local ShapeMemo memo;
    const std::array<std::uint64_t, 7> key = shapeKey(t, s, ascent, descent);
    if (!memo.valid || memo.key != key) {
        memo.rotation = static_cast<float>(angleOfVector(t.a, t.b));
        kx::Size size = KXTransformedFontSize(t, s, m.ascent, m.descent);
        memo.fontSize = {atLeastFive(size.width), atLeastFive(size.height)};
        memo.key = key;
        memo.valid = true;
    }
    info.rotation = memo.rotation;
    kx::Point top = t.apply(kx::Point{0, m.ascent * s});
    kx::Point bottom = t.apply(kx::Point{0, m.descent * s});
    info.yTop = info.yAscent = top.y;
    info.yBase = t.ty;
    info.yDescent = info.yBottom = bottom.y;
    info.xTop = info.xAscent = top.x;
    info.xBase = t.tx;
    info.xDescent = info.xBottom = bottom.x;
    info.xLeft = t.tx;
    info.xRight = t.a + t.tx;
    info.yLeft = t.ty;
    info.yRight = t.b + t.ty;
    info.frame = kx::Rect(t.tx, top.y, (t.a + t.tx) - t.tx, bottom.y - top.y);
    info.topLeft = {t.tx, top.y};
    info.bottomLeft = {t.tx, bottom.y};
    info.fontSize = memo.fontSize;
    return info;
}

kx::AffineTransform KXPageRotationTransform(long angle, double width, double height) {
    return pageTransformForBox(angle, width, height);
}

double KXAngleOfLine(kx::Point p1, kx::Point p2) { return angleOfVector(p2.x - p1.x, p2.y - p1.y); }

double KXTransformDownAngle(const kx::AffineTransform& t) { return angleOfVector(-t.c, -t.d); }

kx::Rect KXDisplaySpaceRect(const kx::AffineTransform& t1, const kx::AffineTransform& t2, double s, double ascent,
                            double descent) {
    Metrics m = normalized(ascent, descent);
    kx::Point origin = t1.apply(kx::Point{0, m.ascent * s});
    double width = std::fabs(t2.tx - origin.x);
    double height = std::fabs((t1.ty + t1.d * m.descent * s) - origin.y);
    return kx::Rect(origin, kx::Size{width, height});
}

KXPDF_CTMInfo KXCTMInfoWidenLeftToWidth(KXPDF_CTMInfo r, double w) {
    double e = w - r.frame.size.width;
    r.frame.origin.x -= e;
    r.xLeft -= e;
    r.topLeft.x -= e;
    r.bottomLeft.x -= e;
    r.frame.size.width = w;
    return r;
}

KXPDF_CTMInfo KXCTMInfoWidenRight(KXPDF_CTMInfo r, double e) {
    r.frame.size.width += e;
    r.xRight = r.xLeft + r.frame.size.width;
    return r;
}
