#include "app/gui/KXImageButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/gui/KXAppearance.h"

namespace {

bool usable(const QPixmap& image) { return !image.isNull() && image.width() > 0 && image.height() > 0; }

}  // namespace

KXImageButton::KXImageButton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void KXImageButton::setMouseInside(bool inside) {
    if (inside == mouseInside_) return;
    mouseInside_ = inside;
    update();
}

void KXImageButton::setMouseDown(bool down) {
    if (down == mouseDown_) return;
    mouseDown_ = down;
    update();
}

void KXImageButton::setEnable(bool enable) {
    if (enable == enable_) return;
    enable_ = enable;
    update();
}

const QPixmap* KXImageButton::imageForCurrentState(bool dark) const {
    if (normalImage_.isNull()) return nullptr;
    auto pick = [&](const QPixmap& light, const QPixmap& darkVariant) -> const QPixmap* {
        return dark && !darkVariant.isNull() ? &darkVariant : &light;
    };
    if (enable_) {
        alphaValue_ = 1.0;
        if (mouseDown_ && mouseInside_ && usable(mouseDownImage_)) return pick(mouseDownImage_, mouseDownImage_dark_);
        if (!mouseDown_ && mouseInside_ && usable(mouseInImage_)) return pick(mouseInImage_, mouseInImage_dark_);
        return pick(normalImage_, normalImage_dark_);
    }
    if (usable(disableImage_)) return pick(disableImage_, disableImage_dark_);
    alphaValue_ = 0.6;
    return pick(normalImage_, normalImage_dark_);
}

QRectF KXImageButton::imageRect(const QPixmap& image) const {
    if (scalesImageToBounds_) return QRectF(rect());
    // The image's own size at the bottom-left corner.
    const QSizeF size = image.deviceIndependentSize();
    return QRectF(0, height() - size.height(), size.width(), size.height());
}

double KXImageButton::titleFontSize(const QRectF& imageRect) { return std::max(8.0, imageRect.height() * 0.5); }

QRectF KXImageButton::titleRect(const QRectF& imageRect) const {
    // The title's top edge lies half a font size less 2 points below the image's top: the text then
    // stands in the middle of the image.
    const double fontSize = titleFontSize(imageRect);
    return QRectF(imageRect.x() + buttonTitleLeftMargin_, imageRect.y() + fontSize / 2 - 2.0,
                  imageRect.width() - buttonTitleLeftMargin_, imageRect.height());
}

void KXImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (normalImage_.isNull()) return;  // nothing of its own to draw
    const bool dark = KXAppearance::isDarkMode(this);
    const QPixmap* image = imageForCurrentState(dark);
    painter.setOpacity(alphaValue_);
    if (image) drawImage(painter, *image, !dark);
}

void KXImageButton::drawImage(QPainter& painter, const QPixmap& image, bool isLight) {
    if (!usable(image)) return;
    const QRectF imageBox = imageRect(image);
    painter.drawPixmap(imageBox, image, QRectF(image.rect()));
    if (buttonTitle_.isEmpty()) return;

    QFont font = this->font();
    font.setPixelSize(std::max(1, int(titleFontSize(imageBox) + 0.5)));
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    const QColor color = !isLight || !buttonTitleColor_.isValid() ? QColor(Qt::white) : buttonTitleColor_;
    const QRectF box = titleRect(imageBox);
    const QString text = QFontMetrics(font).elidedText(buttonTitle_, Qt::ElideRight, int(box.width()));
    // A light shadow one point below.
    painter.setPen(QColor(0, 0, 0, int(0.45 * 255)));
    painter.drawText(box.translated(0, 1), Qt::AlignHCenter | Qt::AlignTop, text);
    painter.setPen(color);
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, text);
}

void KXImageButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) setMouseDown(true);
    event->accept();  // the right button does nothing and goes no further
}

void KXImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return event->accept();
    setMouseInside(rect().contains(event->position().toPoint()));
    setMouseDown(false);
    if (mouseInside_ && enable_) emit clicked();
}

void KXImageButton::mouseMoveEvent(QMouseEvent* event) {
    // While the button is held the pointer's leaving is seen here, not as a leave event.
    setMouseInside(rect().contains(event->position().toPoint()));
}

void KXImageButton::enterEvent(QEnterEvent*) { setMouseInside(true); }

void KXImageButton::leaveEvent(QEvent*) { setMouseInside(false); }
