#include "app/gui/KXColorView.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPaintEvent>
#include <cmath>

KXColorView::KXColorView(QWidget* parent) : QWidget(parent) {}

void KXColorView::setStartingColor(QColor color) {
    startingColor_ = color;
    update();
}

void KXColorView::setEndingColor(QColor color) {
    endingColor_ = color;
    update();
}

void KXColorView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (endingColor_.isValid() && endingColor_ != startingColor_) {
        // The gradient runs through the centre along the angle, measured counter-clockwise from the
        // x axis as seen on screen, and spans the bounds' projection on that line.
        const double radians = double(angle_) * M_PI / 180.0;
        const QPointF direction(std::cos(radians), -std::sin(radians));
        const QPointF centre = QRectF(rect()).center();
        const double extent = (std::fabs(direction.x()) * width() + std::fabs(direction.y()) * height()) / 2;
        QLinearGradient gradient(centre - direction * extent, centre + direction * extent);
        gradient.setColorAt(0, startingColor_);
        gradient.setColorAt(1, endingColor_);
        painter.fillRect(rect(), gradient);
    } else if (startingColor_.isValid()) {
        painter.fillRect(event->rect(), startingColor_);
    }
}
