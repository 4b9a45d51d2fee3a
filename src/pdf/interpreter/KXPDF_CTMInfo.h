#pragma once
// The geometry of one shown glyph string in display space (y down, page rotation applied): where
// its top, baseline and bottom lie, its frame, direction and effective font size. Every exporter
// builds one per string from the text-to-display transform, the font size and the font's ascent
// and descent (text-space units per unit of font size).

#include "platform/Geometry.h"

struct KXPDF_CTMInfo {
    bool flip = false;
    // Direction of the string's x axis, whole degrees in 0..360.
    float rotation = 0;
    double yTop = 0;
    double yAscent = 0;
    double yBase = 0;
    double yDescent = 0;
    double yBottom = 0;
    double xTop = 0;
    double xAscent = 0;
    double xBase = 0;
    double xDescent = 0;
    double xBottom = 0;
    double xLeft = 0;
    double xRight = 0;
    double yLeft = 0;
    double yRight = 0;
    // Origin (xLeft, yTop), width xRight - xLeft, height yBottom - yTop (signed).
    kx::Rect frame;
    kx::Point topLeft;
    kx::Point bottomLeft;
    // Effective horizontal and vertical font size in display units, each at least 5.
    kx::Size fontSize;
};

// T maps the string's baseline from u = 0 to u = 1; s is the font size, A and D the ascent and
// descent. Ascent and descent are scaled so that they span one unit; a font whose ascent equals its
// descent (or whose metrics are not numbers) is measured with 0.8 and -0.2.
KXPDF_CTMInfo KXMakeCTMInfo(const kx::AffineTransform& t, double fontSize, double ascent, double descent);
// Page space to display space for a page displayed W x H (already swapped at 90 and 270 degrees).
kx::AffineTransform KXPageRotationTransform(long angle, double width, double height);
// Direction of the line from p1 to p2 in whole degrees, 0 to 360.
double KXAngleOfLine(kx::Point p1, kx::Point p2);
// Direction of the downward unit vector under T in whole degrees.
double KXTransformDownAngle(const kx::AffineTransform& t);
kx::Size KXTransformedFontSize(const kx::AffineTransform& t, double fontSize, double ascent, double descent);
// The display extent of a space advance from T1 (before the space) to T2 (after it).
kx::Rect KXDisplaySpaceRect(const kx::AffineTransform& t1, const kx::AffineTransform& t2, double fontSize,
                            double ascent, double descent);
// Widens the frame leftwards to width w; the right edge stays.
KXPDF_CTMInfo KXCTMInfoWidenLeftToWidth(KXPDF_CTMInfo info, double width);
// Widens the frame rightwards by e.
KXPDF_CTMInfo KXCTMInfoWidenRight(KXPDF_CTMInfo info, double amount);
