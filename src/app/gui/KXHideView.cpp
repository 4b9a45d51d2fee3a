#include "app/gui/KXHideView.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/gui/KXAppearance.h"

KXHideView::KXHideView(QWidget* parent) : QWidget(parent) {}

QColor KXHideView::coverColor() const {
    return KXAppearance::isDarkMode(this) ? QColor::fromRgbF(0, 0, 0, 0.82f) : QColor::fromRgbF(1, 1, 1, 0.9f);
}

void KXHideView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), coverColor());
}

// Left-button clicks stop here; other buttons travel on to the parent.
void KXHideView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) event->accept();
    else event->ignore();
}

void KXHideView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) event->accept();
    else event->ignore();
}

void KXHideView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) event->accept();
    else event->ignore();
}
