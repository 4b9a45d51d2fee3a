#include "app/gui/KXAppearance.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QWidget>

bool KXAppearance::isDarkMode(const QWidget* widget) {
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    return palette.color(QPalette::Window).lightness() < 128;
}

namespace {

// The secondary colour comes from the palette the widget would have without it, that of its parent
// (or the application's), so it is made again whenever the palette changes: a switch between the
// light and the dark appearance while the application runs keeps captions readable.
void applySecondary(QWidget* widget) {
    const QPalette base = widget->parentWidget() ? widget->parentWidget()->palette() : QApplication::palette(widget);
    const QColor text = base.color(QPalette::WindowText), window = base.color(QPalette::Window);
    const QColor secondary = QColor::fromRgbF(text.redF() * 0.62f + window.redF() * 0.38f,
                                              text.greenF() * 0.62f + window.greenF() * 0.38f,
                                              text.blueF() * 0.62f + window.blueF() * 0.38f);
    QPalette palette = widget->palette();
    if (palette.color(QPalette::WindowText) == secondary) return;
    palette.setColor(QPalette::WindowText, secondary);
    widget->setPalette(palette);
}

class SecondaryText : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (!applying_ && (type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange ||
                           type == QEvent::ParentChange)) {
            applying_ = true;
            applySecondary(static_cast<QWidget*>(watched));
            applying_ = false;
        }
        return false;
    }

private:
    bool applying_ = false;
};

}  // namespace

void KXAppearance::makeSecondary(QWidget* widget, int pixelSize) {
    if (!widget->findChild<SecondaryText*>(QString(), Qt::FindDirectChildrenOnly))
        widget->installEventFilter(new SecondaryText(widget));
    applySecondary(widget);
    if (pixelSize > 0) {
        QFont font = widget->font();
        font.setPixelSize(pixelSize);
        widget->setFont(font);
    }
}
