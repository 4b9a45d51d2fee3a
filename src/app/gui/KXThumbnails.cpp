#include "app/gui/KXThumbnails.h"

#include <QFileInfo>
#include <QThreadPool>
#include <algorithm>

#include "engine/KXPDFExporter.h"
#include "platform/Image.h"
#include "platform/pdf/PDFDocument.h"

KXThumbnails& KXThumbnails::shared() {
    static KXThumbnails* thumbnails = new KXThumbnails();
    return *thumbnails;
}

KXThumbnails::KXThumbnails(QObject* parent) : QObject(parent) {}

QString KXThumbnails::keyOf(const QString& path, QSize pixelSize) {
    const QFileInfo info(path);
    // A file rewritten since is drawn again.
    return QString("%1|%2x%3|%4|%5")
        .arg(info.absoluteFilePath())
        .arg(pixelSize.width())
        .arg(pixelSize.height())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.size());
}

std::optional<QImage> KXThumbnails::thumbnail(const QString& path, QSize pixelSize) {
    const QString key = keyOf(path, pixelSize);
    if (const QImage* image = done_.object(key)) return *image;
    if (failed_.contains(key) || running_.contains(key) || pixelSize.isEmpty()) return std::nullopt;
    running_.insert(key);
    QThreadPool::globalInstance()->start([this, key, path, pixelSize] {
        QImage image = renderFirstPage(path, pixelSize);
        QMetaObject::invokeMethod(this, [this, key, path, image = std::move(image)] {
            running_.remove(key);
            if (image.isNull()) {
                failed_.insert(key);
                return;
            }
            done_.insert(key, new QImage(image));
            emit thumbnailReady(path);
        }, Qt::QueuedConnection);
    });
    return std::nullopt;
}

QImage KXThumbnails::renderFirstPage(const QString& path, QSize pixelSize) {
    if (pixelSize.isEmpty()) return {};
    auto document = kx::PDFDocument::open(path.toStdString());
    if (!document || (document->isEncrypted() && !document->isUnlocked())) return {};
    auto page = document->page(1);
    if (!page) return {};
    // The shown page (its crop box, turned) scaled to fit the size.
    const kx::Rect crop = page->boxRect(kx::PDFBox::CropBox);
    if (crop.isNull() || crop.size.width <= 0 || crop.size.height <= 0) return {};
    const bool turned = page->rotationAngle() == 90 || page->rotationAngle() == 270;
    const double width = turned ? crop.size.height : crop.size.width;
    const double height = turned ? crop.size.width : crop.size.height;
    const double scale = std::min(pixelSize.width() / width, pixelSize.height() / height);
    kx::ImageRef bitmap = KXPDFExporter::CapturePDFPage(*page, kx::Size{72.0 * scale, 72.0 * scale});
    if (!bitmap || bitmap->format != kx::PixelFormat::RGB8) return {};
    QImage image(bitmap->width, bitmap->height, QImage::Format_RGB888);
    for (int y = 0; y < bitmap->height; ++y)
        std::copy_n(bitmap->row(y), bitmap->stride(), image.scanLine(y));
    return image;
}

void KXThumbnails::waitForDone() { QThreadPool::globalInstance()->waitForDone(); }
