#pragma once
// Plane geometry: a rectangle is an origin and a size that
// may be negative (the "standardized" form has them non-negative); the null rectangle stands for
// "no rectangle" (the result of intersecting disjoint rectangles); the infinite rectangle covers
// the whole plane. An affine transform maps (x, y) to (a x + c y + tx, b x + d y + ty).

#include <cmath>

namespace kx {

struct Point {
    double x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    bool operator==(const Rect&) const = default;

    static Rect zero() { return {}; }
    static Rect null();
    static Rect infinite();

    bool isNull() const;
    bool isInfinite() const;
    // Null, or zero width or height.
    bool isEmpty() const;

    double minX() const;
    double maxX() const;
    double midX() const;
    double minY() const;
    double maxY() const;
    double midY() const;
    double width() const { return std::fabs(size.width); }
    double height() const { return std::fabs(size.height); }

    Rect standardized() const;
    Rect integral() const;
    Rect insetBy(double dx, double dy) const;
    Rect offsetBy(double dx, double dy) const;
    Rect unionWith(const Rect& r) const;
    Rect intersection(const Rect& r) const;
    bool intersects(const Rect& r) const;
    bool contains(Point p) const;
    bool contains(const Rect& r) const;
};

struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const AffineTransform&) const = default;

    static AffineTransform identity() { return {}; }
    static AffineTransform makeTranslation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
    static AffineTransform makeScale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform makeRotation(double angle);

    bool isIdentity() const { return *this == AffineTransform{}; }

    // The step added acts on points before the existing transform: t.translated(x, y) maps p to
    // t(p + (x, y)).
    AffineTransform translated(double x, double y) const;
    AffineTransform scaled(double sx, double sy) const;
    AffineTransform rotated(double angle) const;
    // this first, then t2.
    AffineTransform concat(const AffineTransform& t2) const;
    // The identity-free inverse, or the transform itself when it is not invertible.
    AffineTransform inverted() const;
    bool isInvertible() const;

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    Size apply(Size s) const { return {a * s.width + c * s.height, b * s.width + d * s.height}; }
    // The bounding box of the transformed corners.
    Rect apply(const Rect& r) const;
};

// this first, then t2.
inline AffineTransform concat(const AffineTransform& t1, const AffineTransform& t2) { return t1.concat(t2); }

}  // namespace kx
