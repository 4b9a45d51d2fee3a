#pragma once
// A vector path: sub-paths of lines and quadratic and cubic Bézier curves. Element types keep the
// numbers that path-element arrays store (0 move, 1 line, 2 quadratic, 3 cubic, 4 close).

#include <array>
#include <functional>
#include <vector>

#include "platform/Geometry.h"

namespace kx {

enum class PathElementType : int {
    MoveToPoint = 0,
    AddLineToPoint = 1,
    AddQuadCurveToPoint = 2,
    AddCurveToPoint = 3,
    CloseSubpath = 4,
};

struct PathElement {
    PathElementType type = PathElementType::MoveToPoint;
    // Move and line: points[0]. Quadratic: control, end. Cubic: control 1, control 2, end.
    std::array<Point, 3> points{};

    int pointCount() const;
    bool operator==(const PathElement&) const = default;
};

class Path {
public:
    Path() = default;

    // Begins a sub-path; a move right after a move takes its place.
    void moveTo(Point p);
    void lineTo(Point p);
    void quadTo(Point control, Point end);
    void curveTo(Point c1, Point c2, Point end);
    void closeSubpath();
    // A closed sub-path: move to the origin, three lines, close (counter-clockwise in y-up space).
    void addRect(const Rect& r);
    // A closed ellipse of four cubic arcs inscribed in the rectangle.
    void addEllipseInRect(const Rect& r);
    void addPath(const Path& other);
    void addElement(const PathElement& e);

    const std::vector<PathElement>& elements() const { return elements_; }
    void apply(const std::function<void(const PathElement&)>& fn) const;

    bool isEmpty() const { return elements_.empty(); }
    // The last point drawn to (the start of the sub-path after a close); (0, 0) when empty.
    Point currentPoint() const;
    bool hasCurrentPoint() const { return !elements_.empty(); }

    // Every point of the path, control points included; null rectangle when empty.
    Rect boundingBox() const;
    // The tight box of the drawn curves (curve extrema, not control points); null when empty.
    Rect pathBoundingBox() const;

    Path transformed(const AffineTransform& t) const;

    // True when the path is exactly one axis-aligned rectangle (move + 3 or 4 lines, optional
    // close); the rectangle is returned standardized.
    bool isRect(Rect* rect = nullptr) const;

    // Fill-rule point test on the flattened path.
    bool containsPoint(Point p, bool evenOdd) const;

    // Line segments approximating the path (curves subdivided), one polygon per sub-path.
    std::vector<std::vector<Point>> flattened(double tolerance = 0.25) const;

    bool operator==(const Path&) const = default;

private:
    std::vector<PathElement> elements_;
    Point subpathStart_{};
};

}  // namespace kx
