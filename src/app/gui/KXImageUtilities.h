#pragma once
// The preview picture of a file: the drawing of a PDF's first page, fitted into the size asked for;
// while that is not ready (or for a file that cannot be drawn), the file's icon at exactly that
// size.

#include <QPixmap>
#include <QSizeF>
#include <QString>
#include <QUrl>

class KXImageUtilities {
public:
    // asIcon frames the page like a document icon (a border).
    static QPixmap imageWithPreviewOfFileAtFileURL(const QUrl& url, QSizeF size, bool asIcon, qreal devicePixelRatio = 1.0);
    static QPixmap imageWithPreviewOfFileAtPath(const QString& path, QSizeF size, bool asIcon, qreal devicePixelRatio = 1.0);
};
