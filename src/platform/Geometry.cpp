#include "platform/Geometry.h"

#include <algorithm>
#include <limits>

namespace kx {

namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kHuge = std::numeric_limits<double>::max();
}  // namespace

Rect Rect::null() { return {kInf, kInf, 0, 0}; }

// The infinite rectangle: origin at the most negative value, size spanning everything.
Rect Rect::infinite() { return {-kHuge / 2, -kHuge / 2, kHuge, kHuge}; }

bool Rect::isNull() const { return std::isinf(origin.x) || std::isinf(origin.y) || std::isnan(origin.x) || std::isnan(origin.y); }

bool Rect::isInfinite() const { return !isNull() && (std::fabs(size.width) >= kHuge || std::fabs(size.height) >= kHuge); }

bool Rect::isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }

double Rect::minX() const { return size.width >= 0 ? origin.x : origin.x + size.width; }
double Rect::maxX() const { return size.width >= 0 ? origin.x + size.width : origin.x; }
double Rect::midX() const { return origin.x + size.width / 2; }
double Rect::minY() const { return size.height >= 0 ? origin.y : origin.y + size.height; }
double Rect::maxY() const { return size.height >= 0 ? origin.y + size.height : origin.y; }
double Rect::midY() const { return origin.y + size.height / 2; }

Rect Rect::standardized() const {
    if (isNull()) return *this;
    return {minX(), minY(), width(), height()};
}

Rect Rect::integral() const {
    if (isNull() || isInfinite()) return *this;
    Rect s = standardized();
    double x0 = std::floor(s.minX()), y0 = std::floor(s.minY());
    double x1 = std::ceil(s.maxX()), y1 = std::ceil(s.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::insetBy(double dx, double dy) const {
    if (isNull()) return *this;
    Rect s = standardized();
    Rect r{s.origin.x + dx, s.origin.y + dy, s.size.width - 2 * dx, s.size.height - 2 * dy};
    if (r.size.width < 0 || r.size.height < 0) return null();
    return r;
}

Rect Rect::offsetBy(double dx, double dy) const {
    if (isNull()) return *this;
    Rect s = standardized();
    return {s.origin.x + dx, s.origin.y + dy, s.size.width, s.size.height};
}

Rect Rect::unionWith(const Rect& r) const {
    if (isNull()) return r.standardized();
    if (r.isNull()) return standardized();
    double x0 = std::min(minX(), r.minX()), y0 = std::min(minY(), r.minY());
    double x1 = std::max(maxX(), r.maxX()), y1 = std::max(maxY(), r.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::intersection(const Rect& r) const {
    if (isNull() || r.isNull()) return null();
    double x0 = std::max(minX(), r.minX()), y0 = std::max(minY(), r.minY());
    double x1 = std::min(maxX(), r.maxX()), y1 = std::min(maxY(), r.maxY());
    if (x1 < x0 || y1 < y0) return null();
    return {x0, y0, x1 - x0, y1 - y0};
}

bool Rect::intersects(const Rect& r) const {
    Rect i = intersection(r);
    return !i.isNull() && !(i.size.width == 0 && i.size.height == 0 && (width() != 0 || r.width() != 0));
}

bool Rect::contains(Point p) const {
    if (isNull()) return false;
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::contains(const Rect& r) const {
    if (isNull() || r.isNull()) return false;
    return r.minX() >= minX() && r.maxX() <= maxX() && r.minY() >= minY() && r.maxY() <= maxY();
}

AffineTransform AffineTransform::makeRotation(double angle) {
    double s = std::sin(angle), c = std::cos(angle);
    return {c, s, -s, c, 0, 0};
}

AffineTransform AffineTransform::translated(double x, double y) const {
    return makeTranslation(x, y).concat(*this);
}

AffineTransform AffineTransform::scaled(double sx, double sy) const {
    return makeScale(sx, sy).concat(*this);
}

AffineTransform AffineTransform::rotated(double angle) const {
    return makeRotation(angle).concat(*this);
}

AffineTransform AffineTransform::concat(const AffineTransform& t) const {
    return {a * t.a + b * t.c,
            a * t.b + b * t.d,
            c * t.a + d * t.c,
            c * t.b + d * t.d,
            tx * t.a + ty * t.c + t.tx,
            tx * t.b + ty * t.d + t.ty};
}

bool AffineTransform::isInvertible() const {
    double det = a * d - b * c;
    return det != 0 && std::isfinite(det);
}

AffineTransform AffineTransform::inverted() const {
    double det = a * d - b * c;
    if (det == 0 || !std::isfinite(det)) return *this;
    return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
}

Rect AffineTransform::apply(const Rect& r) const {
    if (r.isNull()) return r;
    if (r.isInfinite()) return r;
    Rect s = r.standardized();
    Point p[4] = {apply(Point{s.minX(), s.minY()}), apply(Point{s.maxX(), s.minY()}),
                  apply(Point{s.minX(), s.maxY()}), apply(Point{s.maxX(), s.maxY()})};
    double x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (const Point& q : p) {
        x0 = std::min(x0, q.x);
        x1 = std::max(x1, q.x);
        y0 = std::min(y0, q.y);
        y1 = std::max(y1, q.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace kx
