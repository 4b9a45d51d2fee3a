#pragma once
// Pictures of the first page of PDF files, drawn by the engine's page capture on a worker thread and
// kept for the run. A request answers at once with what is ready; thumbnailReady() announces a
// picture that has just been drawn.

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <optional>

class KXThumbnails : public QObject {
    Q_OBJECT

public:
    static KXThumbnails& shared();

    // The first page fitted into `pixelSize`, when it has been drawn; otherwise nullopt, and the
    // drawing starts (once per file and size). A file that cannot be drawn (no PDF, locked, a
    // damaged first page) stays without a picture.
    std::optional<QImage> thumbnail(const QString& path, QSize pixelSize);

    // Draws the first page now, on the calling thread (null when it cannot be drawn).
    static QImage renderFirstPage(const QString& path, QSize pixelSize);

    // Waits until no drawing is running (the tests, and the end of the application).
    void waitForDone();

signals:
    void thumbnailReady(const QString& path);

private:
    explicit KXThumbnails(QObject* parent = nullptr);
    static QString keyOf(const QString& path, QSize pixelSize);

    // The pictures drawn, the most recently used kept (about 64 first pages of the preview's size).
    QCache<QString, QImage> done_{64};
    QSet<QString> failed_;
    QSet<QString> running_;
};
