#include "platform/Path.h"

#include <algorithm>
#include <cmath>

#include "platform/Numeric.h"

namespace kx {

int PathElement::pointCount() const {
    switch (type) {
        case PathElementType::MoveToPoint:
        case PathElementType::AddLineToPoint: return 1;
        case PathElementType::AddQuadCurveToPoint: return 2;
        case PathElementType::AddCurveToPoint: return 3;
        case PathElementType::CloseSubpath: return 0;
    }
    return 0;
}

void Path::moveTo(Point p) {
    // A move right after a move replaces it: the sub-path the first one began holds nothing, and
    // a stream of moves would otherwise grow the path without drawing anything.
    if (!elements_.empty() && elements_.back().type == PathElementType::MoveToPoint)
        elements_.back().points[0] = p;
    else
        elements_.push_back({PathElementType::MoveToPoint, {p, {}, {}}});
    subpathStart_ = p;
}

void Path::lineTo(Point p) {
    if (elements_.empty()) moveTo(p);
    elements_.push_back({PathElementType::AddLineToPoint, {p, {}, {}}});
}

void Path::quadTo(Point c, Point e) {
    if (elements_.empty()) moveTo(c);
    elements_.push_back({PathElementType::AddQuadCurveToPoint, {c, e, {}}});
}

void Path::curveTo(Point c1, Point c2, Point e) {
    if (elements_.empty()) moveTo(c1);
    elements_.push_back({PathElementType::AddCurveToPoint, {c1, c2, e}});
}

void Path::closeSubpath() {
    if (elements_.empty() || elements_.back().type == PathElementType::CloseSubpath) return;
    elements_.push_back({PathElementType::CloseSubpath, {}});
}

void Path::addRect(const Rect& r) {
    moveTo({r.origin.x, r.origin.y});
    lineTo({r.origin.x + r.size.width, r.origin.y});
    lineTo({r.origin.x + r.size.width, r.origin.y + r.size.height});
    lineTo({r.origin.x, r.origin.y + r.size.height});
    closeSubpath();
}

void Path::addEllipseInRect(const Rect& rect) {
    Rect r = rect.standardized();
    const double k = 0.5522847498307936;  // 4/3 (sqrt 2 - 1)
    double cx = r.midX(), cy = r.midY(), rx = r.width() / 2, ry = r.height() / 2;
    moveTo({cx + rx, cy});
    curveTo({cx + rx, cy + k * ry}, {cx + k * rx, cy + ry}, {cx, cy + ry});
    curveTo({cx - k * rx, cy + ry}, {cx - rx, cy + k * ry}, {cx - rx, cy});
    curveTo({cx - rx, cy - k * ry}, {cx - k * rx, cy - ry}, {cx, cy - ry});
    curveTo({cx + k * rx, cy - ry}, {cx + rx, cy - k * ry}, {cx + rx, cy});
    closeSubpath();
}

void Path::addPath(const Path& other) {
    for (const PathElement& e : other.elements_) addElement(e);
}

void Path::addElement(const PathElement& e) {
    switch (e.type) {
        case PathElementType::MoveToPoint: moveTo(e.points[0]); break;
        case PathElementType::AddLineToPoint: lineTo(e.points[0]); break;
        case PathElementType::AddQuadCurveToPoint: quadTo(e.points[0], e.points[1]); break;
        case PathElementType::AddCurveToPoint: curveTo(e.points[0], e.points[1], e.points[2]); break;
        case PathElementType::CloseSubpath: closeSubpath(); break;
    }
}

void Path::apply(const std::function<void(const PathElement&)>& fn) const {
    for (const PathElement& e : elements_) fn(e);
}

Point Path::currentPoint() const {
    Point start{}, cur{};
    for (const PathElement& e : elements_) {
        switch (e.type) {
            case PathElementType::MoveToPoint: start = cur = e.points[0]; break;
            case PathElementType::CloseSubpath: cur = start; break;
            default: cur = e.points[static_cast<size_t>(e.pointCount() - 1)]; break;
        }
    }
    return cur;
}

Rect Path::boundingBox() const {
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (const PathElement& e : elements_) {
        for (int i = 0; i < e.pointCount(); ++i) {
            const Point& p = e.points[static_cast<size_t>(i)];
            if (!any) {
                x0 = x1 = p.x;
                y0 = y1 = p.y;
                any = true;
            } else {
                x0 = std::min(x0, p.x);
                x1 = std::max(x1, p.x);
                y0 = std::min(y0, p.y);
                y1 = std::max(y1, p.y);
            }
        }
    }
    if (!any) return Rect::null();
    return {x0, y0, x1 - x0, y1 - y0};
}

namespace {

struct Extent {
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    void add(Point p) {
        if (!any) {
            x0 = x1 = p.x;
            y0 = y1 = p.y;
            any = true;
            return;
        }
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
};

double cubicAt(double p0, double p1, double p2, double p3, double t) {
    double u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
}

// Parameters in (0, 1) where the derivative of one cubic coordinate vanishes.
int cubicExtrema(double p0, double p1, double p2, double p3, double out[2]) {
    double a = -p0 + 3 * p1 - 3 * p2 + p3;
    double b = 2 * (p0 - 2 * p1 + p2);
    double c = p1 - p0;
    int n = 0;
    if (std::fabs(a) < 1e-12) {
        if (std::fabs(b) > 1e-12) {
            double t = -c / b;
            if (t > 0 && t < 1) out[n++] = t;
        }
        return n;
    }
    double disc = b * b - 4 * a * c;
    if (disc < 0) return 0;
    double s = std::sqrt(disc);
    for (double t : {(-b + s) / (2 * a), (-b - s) / (2 * a)})
        if (t > 0 && t < 1) out[n++] = t;
    return n;
}

void addCubic(Extent& ext, Point p0, Point p1, Point p2, Point p3) {
    ext.add(p3);
    double ts[2];
    int n = cubicExtrema(p0.x, p1.x, p2.x, p3.x, ts);
    for (int i = 0; i < n; ++i) ext.add({cubicAt(p0.x, p1.x, p2.x, p3.x, ts[i]), cubicAt(p0.y, p1.y, p2.y, p3.y, ts[i])});
    n = cubicExtrema(p0.y, p1.y, p2.y, p3.y, ts);
    for (int i = 0; i < n; ++i) ext.add({cubicAt(p0.x, p1.x, p2.x, p3.x, ts[i]), cubicAt(p0.y, p1.y, p2.y, p3.y, ts[i])});
}

Point lerp(Point a, Point b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

}  // namespace

Rect Path::pathBoundingBox() const {
    Extent ext;
    Point cur{}, start{};
    for (const PathElement& e : elements_) {
        switch (e.type) {
            case PathElementType::MoveToPoint:
                cur = start = e.points[0];
                ext.add(cur);
                break;
            case PathElementType::AddLineToPoint:
                cur = e.points[0];
                ext.add(cur);
                break;
            case PathElementType::AddQuadCurveToPoint: {
                // Elevate to a cubic.
                Point c1 = lerp(cur, e.points[0], 2.0 / 3.0), c2 = lerp(e.points[1], e.points[0], 2.0 / 3.0);
                addCubic(ext, cur, c1, c2, e.points[1]);
                cur = e.points[1];
                break;
            }
            case PathElementType::AddCurveToPoint:
                addCubic(ext, cur, e.points[0], e.points[1], e.points[2]);
                cur = e.points[2];
                break;
            case PathElementType::CloseSubpath: cur = start; break;
        }
    }
    if (!ext.any) return Rect::null();
    return {ext.x0, ext.y0, ext.x1 - ext.x0, ext.y1 - ext.y0};
}

Path Path::transformed(const AffineTransform& t) const {
    Path out;
    out.elements_.reserve(elements_.size());
    for (PathElement e : elements_) {
        for (int i = 0; i < e.pointCount(); ++i) e.points[static_cast<size_t>(i)] = t.apply(e.points[static_cast<size_t>(i)]);
        out.elements_.push_back(e);
    }
    out.subpathStart_ = t.apply(subpathStart_);
    return out;
}

bool Path::isRect(Rect* rect) const {
    size_t n = elements_.size();
    if (n < 4 || n > 6 || elements_[0].type != PathElementType::MoveToPoint) return false;
    std::vector<Point> pts{elements_[0].points[0]};
    size_t i = 1;
    for (; i < n && elements_[i].type == PathElementType::AddLineToPoint; ++i) pts.push_back(elements_[i].points[0]);
    if (i < n && elements_[i].type == PathElementType::CloseSubpath) ++i;
    if (i != n) return false;
    if (pts.size() == 5) {
        if (!(pts[4] == pts[0])) return false;
        pts.pop_back();
    }
    if (pts.size() != 4) return false;
    bool horizontalFirst = pts[0].y == pts[1].y && pts[1].x == pts[2].x && pts[2].y == pts[3].y && pts[3].x == pts[0].x;
    bool verticalFirst = pts[0].x == pts[1].x && pts[1].y == pts[2].y && pts[2].x == pts[3].x && pts[3].y == pts[0].y;
    if (!horizontalFirst && !verticalFirst) return false;
    if (rect) *rect = Rect{pts[0].x, pts[0].y, pts[2].x - pts[0].x, pts[2].y - pts[0].y}.standardized();
    return true;
}

std::vector<std::vector<Point>> Path::flattened(double tolerance) const {
    std::vector<std::vector<Point>> polys;
    Point cur{}, start{};
    auto ensure = [&]() {
        if (polys.empty()) polys.push_back({cur});
    };
    auto segmentsFor = [&](double len) {
        // A curve whose length is not a number (coordinates beyond double range) gets one segment.
        int n = toInt<int>(std::ceil(std::sqrt(len / std::max(tolerance, 1e-3))), 1);
        return std::clamp(n, 1, 100);
    };
    for (const PathElement& e : elements_) {
        switch (e.type) {
            case PathElementType::MoveToPoint:
                cur = start = e.points[0];
                polys.push_back({cur});
                break;
            case PathElementType::AddLineToPoint:
                ensure();
                cur = e.points[0];
                polys.back().push_back(cur);
                break;
            case PathElementType::AddQuadCurveToPoint: {
                ensure();
                Point p0 = cur, p1 = e.points[0], p2 = e.points[1];
                double len = std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y);
                int n = segmentsFor(len);
                for (int k = 1; k <= n; ++k) {
                    double t = double(k) / n;
                    polys.back().push_back(lerp(lerp(p0, p1, t), lerp(p1, p2, t), t));
                }
                cur = p2;
                break;
            }
            case PathElementType::AddCurveToPoint: {
                ensure();
                Point p0 = cur, p1 = e.points[0], p2 = e.points[1], p3 = e.points[2];
                double len = std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y) +
                             std::hypot(p3.x - p2.x, p3.y - p2.y);
                int n = segmentsFor(len);
                for (int k = 1; k <= n; ++k) {
                    double t = double(k) / n;
                    polys.back().push_back({cubicAt(p0.x, p1.x, p2.x, p3.x, t), cubicAt(p0.y, p1.y, p2.y, p3.y, t)});
                }
                cur = p3;
                break;
            }
            case PathElementType::CloseSubpath:
                cur = start;
                break;
        }
    }
    return polys;
}

bool Path::containsPoint(Point p, bool evenOdd) const {
    int winding = 0, crossings = 0;
    for (const auto& poly : flattened()) {
        size_t n = poly.size();
        if (n < 2) continue;
        for (size_t i = 0; i < n; ++i) {
            Point a = poly[i], b = poly[(i + 1) % n];
            if ((a.y <= p.y) != (b.y <= p.y)) {
                double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
                if (x > p.x) {
                    ++crossings;
                    winding += (b.y > a.y) ? 1 : -1;
                }
            }
        }
    }
    return evenOdd ? (crossings % 2) == 1 : winding != 0;
}

}  // namespace kx
