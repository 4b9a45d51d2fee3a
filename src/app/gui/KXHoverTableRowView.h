#pragma once
// How a row of the source list draws behind its cell: its background, a wash while the pointer is
// over it, the selection and the separator line at its bottom. The colours come from the palette,
// so that the light and the dark appearance, and the desktop's own colours, stay readable: the
// selection, the texts and the row buttons each stand at least 3:1 against what is behind them.

#include <QColor>
#include <QLinearGradient>
#include <QPalette>
#include <QRect>

class QPainter;

class KXHoverTableRowView {
public:
    // The bounds' last line, one pixel high.
    static QRectF separatorRect(const QRectF& bounds);
    // Four stops of the colour at 0, 0.35, 0.65 and 1 across the bounds, at an angle (degrees).
    static QLinearGradient gradientWithTargetColor(const QColor& color, const QRectF& bounds, double angle);

    // The colours of a row, selected or not.
    struct Colors {
        QColor background;  // behind the row's cell: the selection when selected
        QColor stroke;      // the selection's outline
        QColor text, secondaryText;
        QColor ink;  // the row buttons
    };
    static Colors colorsForRow(const QPalette& palette, bool selected);
    // The contrast ratio of two colours, from 1 (the same lightness) to 21 (black and white).
    static double contrastRatio(const QColor& a, const QColor& b);

    // Fills the background, with the hover wash (white at 0.5, alpha 0.3) when the pointer is in.
    static void drawBackgroundInRect(QPainter& painter, const QRectF& bounds, bool mouseInside, const QPalette& palette);
    // The selection: a fill and a thin stroke.
    static void drawSelectionInRect(QPainter& painter, const QRectF& bounds, const QPalette& palette);
    static void drawSeparatorInRect(QPainter& painter, const QRectF& bounds);
};
