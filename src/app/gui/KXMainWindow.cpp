#include "app/gui/KXMainWindow.h"

#include <QCloseEvent>

KXMainWindow::KXMainWindow(QWidget* parent) : QMainWindow(parent) {}

void KXMainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

void KXMainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) emit appearanceChanged();
}
