#pragma once
// Opening files with the desktop's default application and showing them in the file manager.
// Showing a file asks the file manager over D-Bus (org.freedesktop.FileManager1.ShowItems) to open
// its folder with the file selected; without such a file manager the folder is opened.

#include <QString>

class KXWorkspace {
public:
    // True when the desktop accepted the request.
    static bool openFile(const QString& path);
    static void selectFile(const QString& path);

    // Takes the requests instead of the desktop (the tests record them); nullptr restores the
    // desktop.
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual bool openFile(const QString& path) = 0;
        virtual void selectFile(const QString& path) = 0;
    };
    static void setHandler(Handler* handler);
};
