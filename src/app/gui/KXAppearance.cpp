#include "app/gui/KXAppearance.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

bool KXAppearance::isDarkMode(const QWidget* widget) {
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    return palette.color(QPalette::Window).lightness() < 128;
}

void KXAppearance::makeSecondary(QWidget* widget, int pixelSize) {
    QPalette palette = widget->palette();
    const QColor text = palette.color(QPalette::WindowText), window = palette.color(QPalette::Window);
    const QColor secondary = QColor::fromRgbF(text.redF() * 0.62f + window.redF() * 0.38f,
                                              text.greenF() * 0.62f + window.greenF() * 0.38f,
                                              text.blueF() * 0.62f + window.blueF() * 0.38f);
    palette.setColor(QPalette::WindowText, secondary);
    widget->setPalette(palette);
    if (pixelSize > 0) {
        QFont font = widget->font();
        font.setPixelSize(pixelSize);
        widget->setFont(font);
    }
}
