// Writes the application's icon, as the window shows it, into a PNG file of a given size for the
// desktop entry: KXMakeDesktopIcon OUTPUT.png SIZE. Runs without a display (the offscreen platform).

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "app/gui/KXNamedImages.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: KXMakeDesktopIcon OUTPUT.png SIZE\n");
        return 2;
    }
    const int size = std::atoi(argv[2]);
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "KXMakeDesktopIcon: the size must lie between 16 and 1024\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QPixmap icon = KXNamedImages::image("docuvane", QSize(size, size), 1.0);
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "KXMakeDesktopIcon: can't write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
