#include "app/gui/KXTitleBar.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

KXTitleBar::KXTitleBar(QWidget* parent) : QWidget(parent) {}

int KXTitleBar::titleHeight() const {
    const QWidget* top = window();
    return std::max(0, top->frameGeometry().height() - top->geometry().height());
}

void KXTitleBar::paintEvent(QPaintEvent*) {
    const int titleHeight = this->titleHeight();
    if (titleHeight <= 0) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF strip(0, 0, width(), titleHeight);
    const double upperHeight = std::floor(titleHeight * 0.5);
    const QRectF upper(strip.left(), strip.top(), strip.width(), upperHeight);
    const QRectF lower(strip.left(), strip.top() + upperHeight, strip.width(), strip.height() - upperHeight);

    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), 4.0, 4.0);
    painter.setClipRect(strip);
    painter.setClipPath(clip, Qt::IntersectClip);

    QLinearGradient top(upper.topLeft(), upper.bottomLeft());
    top.setColorAt(0, QColor(222, 157, 10));
    top.setColorAt(1, QColor(200, 130, 10));
    painter.fillRect(upper, top);
    QLinearGradient bottom(lower.topLeft(), lower.bottomLeft());
    bottom.setColorAt(0, QColor(200, 130, 10));
    bottom.setColorAt(1, QColor(174, 100, 10));
    painter.fillRect(lower, bottom);

    QFont font = this->font();
    font.setBold(true);
    font.setPixelSize(13);
    painter.setFont(font);
    const QRectF textBox = strip.translated(0, 2.0);
    painter.setPen(QColor(0, 0, 0, int(0.45 * 255)));
    painter.drawText(textBox.translated(0, 1), Qt::AlignCenter, "Docuvane");
    painter.setPen(Qt::white);
    painter.drawText(textBox, Qt::AlignCenter, "Docuvane");
}
