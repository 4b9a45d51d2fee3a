#pragma once
// How a row of the source list draws behind its cell: its background, a wash while the pointer is
// over it, the selection and the separator line at its bottom.

#include <QColor>
#include <QLinearGradient>
#include <QRect>

class QPainter;

class KXHoverTableRowView {
public:
    // The bounds' last line, one pixel high.
    static QRectF separatorRect(const QRectF& bounds);
    // Four stops of the colour at 0, 0.35, 0.65 and 1 across the bounds, at an angle (degrees).
    static QLinearGradient gradientWithTargetColor(const QColor& color, const QRectF& bounds, double angle);

    // Fills the background, with the hover wash (white at 0.5, alpha 0.3) when the pointer is in.
    static void drawBackgroundInRect(QPainter& painter, const QRectF& bounds, bool mouseInside, bool dark);
    // The selection: a fill and a thin stroke (blue-grey, or a dark grey in the dark appearance).
    static void drawSelectionInRect(QPainter& painter, const QRectF& bounds, bool dark);
    static void drawSeparatorInRect(QPainter& painter, const QRectF& bounds);
};
