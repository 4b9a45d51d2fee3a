#pragma once
// Opening files with the desktop's default application and showing them in the file manager.
// Showing a file asks the file manager over D-Bus (org.freedesktop.FileManager1.ShowItems) to open
// its folder with the file selected; without such a file manager the folder is opened. A path where
// nothing exists is neither opened nor shown.

#include <QString>
#include <QUrl>

class KXWorkspace {
public:
    // True when the desktop accepted the request.
    static bool openFile(const QString& path);
    static void selectFile(const QString& path);
    // Opens an address (a web page, a new e-mail) with the desktop's application for it; true when
    // the desktop accepted the request.
    static bool openURL(const QUrl& url);

    // Takes the requests instead of the desktop (the tests record them); nullptr restores the
    // desktop.
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual bool openFile(const QString& path) = 0;
        virtual void selectFile(const QString& path) = 0;
        virtual bool openURL(const QUrl&) { return false; }
    };
    static void setHandler(Handler* handler);
};
