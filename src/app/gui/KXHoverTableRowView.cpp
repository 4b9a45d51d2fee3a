#include "app/gui/KXHoverTableRowView.h"

#include <QPainter>
#include <cmath>

namespace {

double relativeLuminance(const QColor& color) {
    auto channel = [](float c) { return c <= 0.03928f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

QColor mixed(const QColor& a, const QColor& b, float share) {
    return QColor::fromRgbF(a.redF() * share + b.redF() * (1 - share), a.greenF() * share + b.greenF() * (1 - share),
                            a.blueF() * share + b.blueF() * (1 - share));
}

// The colour, moved towards black or white (whichever lies further from the background) until it
// stands `ratio` against the background.
QColor standingOut(const QColor& color, const QColor& background, double ratio) {
    if (KXHoverTableRowView::contrastRatio(color, background) >= ratio) return color;
    const QColor extreme = relativeLuminance(background) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
    for (int step = 1; step <= 20; ++step) {
        const QColor moved = mixed(extreme, color, float(step) / 20.0f);
        if (KXHoverTableRowView::contrastRatio(moved, background) >= ratio) return moved;
    }
    return extreme;
}

const QColor kHoverWash = QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.3f);

QColor hoverWashed(const QColor& background) { return mixed(QColor::fromRgbF(0.5f, 0.5f, 0.5f), background, 0.3f); }

}  // namespace

QRectF KXHoverTableRowView::separatorRect(const QRectF& bounds) {
    return QRectF(bounds.x(), bounds.bottom() - 1.0, bounds.width(), 1.0);
}

QLinearGradient KXHoverTableRowView::gradientWithTargetColor(const QColor& color, const QRectF& bounds, double angle) {
    const double radians = angle * M_PI / 180.0;
    const QPointF direction(std::cos(radians), -std::sin(radians));
    const double extent = (std::fabs(direction.x()) * bounds.width() + std::fabs(direction.y()) * bounds.height()) / 2;
    QLinearGradient gradient(bounds.center() - direction * extent, bounds.center() + direction * extent);
    for (double stop : {0.0, 0.35, 0.65, 1.0}) gradient.setColorAt(stop, color);
    return gradient;
}

double KXHoverTableRowView::contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

KXHoverTableRowView::Colors KXHoverTableRowView::colorsForRow(const QPalette& palette, bool selected) {
    // The active group: a row keeps its colours while a sheet or another window has the focus.
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    Colors colors;
    if (selected) {
        // The palette's highlight, made darker (under light text) or lighter (under dark text) as
        // far as needed for its text to read and for it to stand out from the other rows; where no
        // shade does both, the highlight that stands out carries black or white text.
        const QColor highlight = palette.color(QPalette::Active, QPalette::Highlight);
        const QColor highlightedText = palette.color(QPalette::Active, QPalette::HighlightedText);
        const QColor away = relativeLuminance(highlightedText) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
        for (int step = 0; step <= 12 && !colors.background.isValid(); ++step) {
            const QColor shade = mixed(away, highlight, float(step) / 20.0f);
            if (contrastRatio(shade, base) >= 3.0 && contrastRatio(highlightedText, shade) >= 4.5) {
                colors.background = shade;
                colors.text = highlightedText;
            }
        }
        if (!colors.background.isValid()) {
            colors.background = standingOut(highlight, base, 3.0);
            colors.text = contrastRatio(Qt::black, colors.background) > contrastRatio(Qt::white, colors.background)
                              ? QColor(Qt::black)
                              : QColor(Qt::white);
        }
        colors.stroke = colors.background.darker(125);
    } else {
        colors.background = base;
        colors.stroke = QColor();
        colors.text = standingOut(palette.color(QPalette::Active, QPalette::Text), base, 4.5);
    }
    colors.secondaryText = standingOut(mixed(colors.text, colors.background, 0.7f), colors.background, 3.0);
    colors.ink = standingOut(mixed(colors.text, colors.background, 0.8f), colors.background, 3.0);
    // The remove button shows while the pointer is over the row, on the row's wash.
    if (!selected) colors.ink = standingOut(colors.ink, hoverWashed(colors.background), 3.0);
    return colors;
}

void KXHoverTableRowView::drawBackgroundInRect(QPainter& painter, const QRectF& bounds, bool mouseInside,
                                               const QPalette& palette) {
    painter.fillRect(bounds, colorsForRow(palette, false).background);
    if (mouseInside)
        painter.fillRect(bounds, gradientWithTargetColor(kHoverWash, bounds, 180.0));
}

void KXHoverTableRowView::drawSelectionInRect(QPainter& painter, const QRectF& bounds, const QPalette& palette) {
    const Colors colors = colorsForRow(palette, true);
    painter.save();
    painter.setPen(QPen(colors.stroke, 0.5));
    painter.setBrush(colors.background);
    painter.drawRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

void KXHoverTableRowView::drawSeparatorInRect(QPainter& painter, const QRectF& bounds) {
    painter.fillRect(separatorRect(bounds),
                     gradientWithTargetColor(QColor::fromRgbF(0.8f, 0.8f, 0.8f), separatorRect(bounds), 0.0));
}
