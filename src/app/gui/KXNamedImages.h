#pragma once
// The application's images, looked up by name ("icon_pdf", "icon_docx", "btn-convert", ...). The
// artwork is drawn here in code, at the size and pixel ratio asked for, so it stays sharp on every
// screen; a name the application does not know gives a null image.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <string>

class KXNamedImages {
public:
    // The image of the name at a logical size; pixel ratio 2 on high-density screens.
    static QPixmap image(const std::string& name, QSize size, qreal devicePixelRatio = 1.0);
    // The same, the row buttons ("btn_remove", "btn_open", "btn_reveal") drawn in the ink given (the
    // other images ignore it).
    static QPixmap image(const std::string& name, QSize size, qreal devicePixelRatio, const QColor& ink);
    // An icon with the image at the usual sizes.
    static QIcon icon(const std::string& name);
    // The size the image is designed for (document icons are taller than wide, buttons are wide).
    static QSize naturalSize(const std::string& name);
    static bool exists(const std::string& name);
};
