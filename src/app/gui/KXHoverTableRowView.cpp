#include "app/gui/KXHoverTableRowView.h"

#include <QPainter>
#include <cmath>

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

void KXHoverTableRowView::drawBackgroundInRect(QPainter& painter, const QRectF& bounds, bool mouseInside, bool dark) {
    painter.fillRect(bounds, dark ? QColor(0x2a, 0x2c, 0x30) : QColor(Qt::white));
    if (mouseInside)
        painter.fillRect(bounds, gradientWithTargetColor(QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.3f), bounds, 180.0));
}

void KXHoverTableRowView::drawSelectionInRect(QPainter& painter, const QRectF& bounds, bool dark) {
    const QColor stroke = QColor::fromRgbF(0.52f, 0.52f, 0.52f);
    const QColor fill = dark ? QColor::fromRgbF(0.16f, 0.16f, 0.16f) : QColor::fromRgbF(0.42f, 0.68f, 0.88f, 0.6f);
    painter.save();
    painter.setPen(QPen(stroke, 0.5));
    painter.setBrush(fill);
    painter.drawRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

void KXHoverTableRowView::drawSeparatorInRect(QPainter& painter, const QRectF& bounds) {
    painter.fillRect(separatorRect(bounds),
                     gradientWithTargetColor(QColor::fromRgbF(0.8f, 0.8f, 0.8f), separatorRect(bounds), 0.0));
}
