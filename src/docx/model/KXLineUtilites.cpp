#include "docx/model/KXLineUtilites.h"

#include <algorithm>
#include <cmath>

namespace {

kx::Point middle(kx::Point a, kx::Point b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

// Squared length in single precision, from single-precision differences.
float squared(kx::Point a, kx::Point b) {
    float dx = static_cast<float>(a.x) - static_cast<float>(b.x);
    float dy = static_cast<float>(a.y) - static_cast<float>(b.y);
    return dx * dx + dy * dy;
}

bool hasRightAngle(kx::Point a, kx::Point b, kx::Point c) {
    float ab = squared(a, b), ac = squared(a, c), bc = squared(b, c);
    return ab + ac == bc || ab + bc == ac || ac + bc == ab;
}

}  // namespace

double KXLineUtilites::LineWidthApplyTransform(double w, const kx::AffineTransform& t) {
    double width = (std::fabs(w * (t.a + t.c)) + std::fabs(w * (t.b + t.d))) / 2;
    return std::max(width, static_cast<double>(0.1f));
}

std::vector<kx::Point> KXLineUtilites::NSArrayFromCGPath(const kx::Path& path) {
    std::vector<kx::Point> points;
    for (const kx::PathElement& e : path.elements())
        for (int i = 0; i < e.pointCount(); ++i) points.push_back(e.points[static_cast<size_t>(i)]);
    return points;
}

std::optional<std::vector<kx::Point>> KXLineUtilites::NSArrayFromCGPath_NoCurve(const kx::Path& path) {
    std::vector<kx::Point> points;
    for (const kx::PathElement& e : path.elements()) {
        switch (e.type) {
            case kx::PathElementType::MoveToPoint:
            case kx::PathElementType::AddLineToPoint:
                points.push_back(e.points[0]);
                break;
            case kx::PathElementType::AddQuadCurveToPoint:
            case kx::PathElementType::AddCurveToPoint:
                return std::nullopt;
            case kx::PathElementType::CloseSubpath:
                break;
        }
    }
    if (points.size() < 2) return std::nullopt;
    for (size_t i = 1; i < points.size(); ++i)
        if (!IsRightAngleLineP1(points[i - 1], points[i])) return std::nullopt;
    return points;
}

double KXLineUtilites::DistanceBetweenP1(kx::Point p1, kx::Point p2) { return std::hypot(p1.x - p2.x, p1.y - p2.y); }

bool KXLineUtilites::IsVerticalLineP1(kx::Point p1, kx::Point p2) {
    return std::fabs(p1.x - p2.x) < 1.0 && std::fabs(p1.y - p2.y) >= 1.0;
}

bool KXLineUtilites::IsHorizontalLineP1(kx::Point p1, kx::Point p2) {
    return std::fabs(p1.y - p2.y) < 1.0 && std::fabs(p1.x - p2.x) >= 1.0;
}

bool KXLineUtilites::IsRightAngleLineP1(kx::Point p1, kx::Point p2) {
    return std::fabs(p1.x - p2.x) < 1.0 || std::fabs(p1.y - p2.y) < 1.0;
}

bool KXLineUtilites::IsRectangeP1(kx::Point p1, kx::Point p2, kx::Point p3, kx::Point p4) {
    if (p1 == p2 || p1 == p4 || p2 == p3 || p2 == p4 || p3 == p4) return false;
    return hasRightAngle(p1, p2, p3) && hasRightAngle(p1, p2, p4) && hasRightAngle(p1, p3, p4) &&
           hasRightAngle(p3, p2, p4);
}

bool KXLineUtilites::IsRectange(const std::vector<kx::Point>& p) {
    if (p.size() != 4 && p.size() != 5) return false;
    return IsRectangeP1(p[0], p[1], p[2], p[3]);
}

bool KXLineUtilites::IsHorizontalRectange(const std::vector<kx::Point>& p) {
    if (p.size() < 4 || p.size() > 6) return false;
    return (p[3].x == p[0].x && p[0].y == p[1].y && p[1].x == p[2].x && p[2].y == p[3].y) ||
           (p[3].y == p[0].y && p[2].x == p[3].x && p[1].y == p[2].y && p[0].x == p[1].x);
}

bool KXLineUtilites::IsQuadrilateral2LinesParallel(const std::vector<kx::Point>& p) {
    if (p.size() < 4 || p.size() > 6) return false;
    return (p[0].x == p[1].x && p[2].x == p[3].x) || (p[0].y == p[1].y && p[2].y == p[3].y) ||
           (p[1].x == p[2].x && p[0].x == p[3].x) || (p[1].y == p[2].y && p[0].y == p[3].y);
}

bool KXLineUtilites::IsQuadrilateralLikeLine(const std::vector<kx::Point>& p, double maxWidth) {
    const double m = maxWidth < 1.0 ? 6.0 : maxWidth;
    if (!IsQuadrilateral2LinesParallel(p)) return false;
    const double sides[4] = {DistanceBetweenP1(p[0], p[1]), DistanceBetweenP1(p[1], p[2]),
                             DistanceBetweenP1(p[2], p[3]), DistanceBetweenP1(p[3], p[0])};
    if (std::count_if(std::begin(sides), std::end(sides), [m](double s) { return s < m; }) < 2) return false;
    const double a = sides[0], b = sides[1];
    return (a > b && a / b > 2.0) || (b > a && b / a > 2.0);
}

std::optional<std::vector<kx::Point>> KXLineUtilites::ConvertRectangeToLine(const std::vector<kx::Point>& p,
                                                                             double* lineWidth) {
    if (p.size() != 4 && p.size() != 5) return std::nullopt;
    const double a = DistanceBetweenP1(p[0], p[1]), b = DistanceBetweenP1(p[1], p[2]);
    std::vector<kx::Point> line;
    double width;
    if (a > b) {
        width = b;
        line = {middle(p[0], p[3]), middle(p[1], p[2])};
    } else {
        width = a;
        line = {middle(p[0], p[1]), middle(p[2], p[3])};
    }
    if (lineWidth) *lineWidth = width;
    return line;
}

kx::Path KXLineUtilites::CGPathFromLinePointArray(const std::vector<kx::Point>& points) {
    kx::Path path;
    if (points.empty()) {
        path.moveTo({0, 0});
        return path;
    }
    path.moveTo(points.front());
    for (size_t i = 1; i < points.size(); ++i) path.lineTo(points[i]);
    return path;
}

float KXPointDistance(double x1, double y1, double x2, double y2) {
    return static_cast<float>(std::hypot(x1 - x2, y1 - y2));
}

bool KXIsAxisAlignedLine(double x1, double y1, double x2, double y2) {
    return std::fabs(y1 - y2) < 1.0 || std::fabs(x1 - x2) < 1.0;
}

bool KXIsPointOnLineSegment(kx::Point p, kx::Point a, kx::Point b, double t) {
    const double pa = KXLineUtilites::DistanceBetweenP1(p, a), pb = KXLineUtilites::DistanceBetweenP1(p, b);
    const double ab = KXLineUtilites::DistanceBetweenP1(a, b);
    if (std::fabs(pa + pb - ab) < 1.0) return true;
    if (std::fabs(pa + ab - pb) < t) return pa <= t;
    if (std::fabs(ab + pb - pa) < t) return pb <= t;
    return false;
}

float KXIntervalOverlapLength(double a1, double a2, double b1, double b2) {
    const double aMin = std::min(a1, a2), aMax = std::max(a1, a2);
    const double bMin = std::min(b1, b2), bMax = std::max(b1, b2);
    if (aMin > bMax || bMin > aMax) return 0;
    return static_cast<float>((aMax - aMin) + (bMax - bMin) - (std::max(aMax, bMax) - std::min(aMin, bMin)));
}

float KXParallelLinesOverlapLength(kx::Point a1, kx::Point a2, kx::Point b1, kx::Point b2, double t) {
    const bool vertical = std::fabs(a1.x - a2.x) < 1.0 && std::fabs(b1.x - b2.x) < 1.0;
    if (vertical) {
        const bool near = std::fabs(a1.x - b1.x) < t || std::fabs(a1.x - b2.x) < t || std::fabs(a2.x - b1.x) < t ||
                          std::fabs(a2.x - b2.x) < t;
        if (near) return KXIntervalOverlapLength(a1.y, a2.y, b1.y, b2.y);
    }
    const bool horizontal = std::fabs(a1.y - a2.y) < 1.0 && std::fabs(b1.y - b2.y) < 1.0;
    if (horizontal) {
        const bool near = std::fabs(a1.y - b1.y) < t || std::fabs(a1.y - b2.y) < t || std::fabs(a2.y - b1.y) < t ||
                          std::fabs(a2.y - b2.y) < t;
        if (near) return KXIntervalOverlapLength(a1.x, a2.x, b1.x, b2.x);
    }
    return 0;
}
