#pragma once
// Geometry of painted paths for the DOCX page: a path as a list of points, lines that run across or
// down the page, rectangles and thin quadrilaterals that stand for a ruled line, the centre line of
// such a shape, and a stroke width under a transform. Coordinates are PDF device-space points. Two
// coordinates lie on one line when they differ by less than 1.0; the rectangle and parallel-side
// tests compare coordinates exactly.

#include <optional>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Path.h"

class KXLineUtilites {
public:
    KXLineUtilites() = delete;

    // (|w(a + c)| + |w(b + d)|) / 2, at least 0.1.
    static double LineWidthApplyTransform(double width, const kx::AffineTransform& transform);
    // Every point of the path in order, control points included, no close markers.
    static std::vector<kx::Point> NSArrayFromCGPath(const kx::Path& path);
    // The points of a path of straight, axis-aligned segments; none when it has a curve, fewer than
    // two points, or a step that is neither horizontal nor vertical.
    static std::optional<std::vector<kx::Point>> NSArrayFromCGPath_NoCurve(const kx::Path& path);
    static double DistanceBetweenP1(kx::Point p1, kx::Point p2);
    static bool IsVerticalLineP1(kx::Point p1, kx::Point p2);
    static bool IsHorizontalLineP1(kx::Point p1, kx::Point p2);
    // x or y within 1.0 (a point counts).
    static bool IsRightAngleLineP1(kx::Point p1, kx::Point p2);
    // Four corners with a right angle in each of the four triangles they make.
    static bool IsRectangeP1(kx::Point p1, kx::Point p2, kx::Point p3, kx::Point p4);
    // 4 or 5 points, the first four a rectangle.
    static bool IsRectange(const std::vector<kx::Point>& points);
    // 4 to 6 points whose first four are an axis-aligned rectangle, in either winding.
    static bool IsHorizontalRectange(const std::vector<kx::Point>& points);
    // 4 to 6 points with two opposite sides both vertical or both horizontal.
    static bool IsQuadrilateral2LinesParallel(const std::vector<kx::Point>& points);
    // Such a quadrilateral with two sides shorter than maxWidth (6.0 below 1.0) and one side more
    // than twice the other.
    static bool IsQuadrilateralLikeLine(const std::vector<kx::Point>& points, double maxWidth);
    // The centre line of a 4- or 5-point outline along its longer side, and its width.
    static std::optional<std::vector<kx::Point>> ConvertRectangeToLine(const std::vector<kx::Point>& points,
                                                                      double* lineWidth);
    // Move to the first point, lines to the others; a move to (0, 0) for no points.
    static kx::Path CGPathFromLinePointArray(const std::vector<kx::Point>& points);
};

float KXPointDistance(double x1, double y1, double x2, double y2);
bool KXIsAxisAlignedLine(double x1, double y1, double x2, double y2);
// Whether P lies on the segment AB, or beyond an end by at most t.
bool KXIsPointOnLineSegment(kx::Point p, kx::Point a, kx::Point b, double t);
// The overlap of two parallel axis-aligned segments that lie within t of each other; else 0.
float KXParallelLinesOverlapLength(kx::Point a1, kx::Point a2, kx::Point b1, kx::Point b2, double t);
// The length of the common part of two intervals; 0 when they are apart.
float KXIntervalOverlapLength(double a1, double a2, double b1, double b2);
