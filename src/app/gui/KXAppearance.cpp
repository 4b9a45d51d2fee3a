#include "app/gui/KXAppearance.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

bool KXAppearance::isDarkMode(const QWidget* widget) {
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    return palette.color(QPalette::Window).lightness() < 128;
}
