#include "app/gui/KXImageViewTap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

KXImageViewTap::KXImageViewTap(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void KXImageViewTap::setImage(QPixmap image) {
    image_ = std::move(image);
    update();
}

void KXImageViewTap::setMouseInside(bool inside) {
    if (inside == mouseInside_) return;
    mouseInside_ = inside;
    update();
}

void KXImageViewTap::setMouseDown(bool down) {
    if (down == mouseDown_) return;
    mouseDown_ = down;
    update();
}

QColor KXImageViewTap::highlightColor() const {
    if (!mouseInside_) return {};
    return mouseDown_ ? QColor(0, 0, 0, 64) : QColor(255, 255, 255, 64);
}

void KXImageViewTap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!image_.isNull()) {
        // Scaled down to fit, never up, and centred.
        QSizeF size = image_.deviceIndependentSize();
        if (size.width() > width() || size.height() > height()) size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        painter.drawPixmap(target, image_, QRectF(image_.rect()));
    }
    if (const QColor wash = highlightColor(); wash.isValid()) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 8.0, 8.0);
        painter.fillPath(shape, wash);
    }
}

void KXImageViewTap::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) setMouseDown(true);
    event->accept();
}

void KXImageViewTap::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return event->accept();
    setMouseInside(rect().contains(event->position().toPoint()));
    setMouseDown(false);
    if (mouseInside_) emit clicked();
}

void KXImageViewTap::mouseMoveEvent(QMouseEvent* event) { setMouseInside(rect().contains(event->position().toPoint())); }

void KXImageViewTap::enterEvent(QEnterEvent*) { setMouseInside(true); }

void KXImageViewTap::leaveEvent(QEvent*) { setMouseInside(false); }
