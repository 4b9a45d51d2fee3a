#include "app/gui/KXImageUtilities.h"

#include <QFileInfo>
#include <QPainter>

#include "app/gui/KXNamedImages.h"
#include "app/gui/KXThumbnails.h"

QPixmap KXImageUtilities::imageWithPreviewOfFileAtFileURL(const QUrl& url, QSizeF size, bool asIcon,
                                                          qreal devicePixelRatio) {
    if (!url.isValid() || !url.isLocalFile()) return {};
    return imageWithPreviewOfFileAtPath(url.toLocalFile(), size, asIcon, devicePixelRatio);
}

QPixmap KXImageUtilities::imageWithPreviewOfFileAtPath(const QString& path, QSizeF size, bool asIcon,
                                                       qreal devicePixelRatio) {
    const QSize logical = size.toSize();
    if (path.isEmpty() || logical.isEmpty()) return {};
    const QSize pixels = (size * devicePixelRatio).toSize();
    if (auto page = KXThumbnails::shared().thumbnail(path, pixels)) {
        QPixmap picture = QPixmap::fromImage(*page);
        picture.setDevicePixelRatio(devicePixelRatio);
        if (asIcon) {
            QPainter painter(&picture);
            painter.setPen(QPen(QColor(0, 0, 0, 70), devicePixelRatio));
            painter.drawRect(QRectF(picture.rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        }
        return picture;
    }
    const bool pdf = QFileInfo(path).suffix().compare("pdf", Qt::CaseInsensitive) == 0;
    return KXNamedImages::image(pdf ? "icon_pdf" : "icon_unknown", logical, devicePixelRatio);
}
