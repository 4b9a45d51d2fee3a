#include "app/gui/KXWorkspace.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

KXWorkspace::Handler*& installedHandler() {
    static KXWorkspace::Handler* handler = nullptr;
    return handler;
}

void openFolderOf(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

}  // namespace

void KXWorkspace::setHandler(Handler* handler) { installedHandler() = handler; }

bool KXWorkspace::openFile(const QString& path) {
    if (Handler* handler = installedHandler()) return handler->openFile(path);
    if (path.isEmpty() || !QFileInfo::exists(path)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool KXWorkspace::openURL(const QUrl& url) {
    if (Handler* handler = installedHandler()) return handler->openURL(url);
    return url.isValid() && QDesktopServices::openUrl(url);
}

void KXWorkspace::selectFile(const QString& path) {
    if (Handler* handler = installedHandler()) return handler->selectFile(path);
    // As with opening: where nothing exists, nothing is shown.
    if (path.isEmpty() || !QFileInfo::exists(path)) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return openFolderOf(path);
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                                       "org.freedesktop.FileManager1", "ShowItems");
    call << QStringList{QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [path](QDBusPendingCallWatcher* finished) {
        if (finished->isError()) openFolderOf(path);
        finished->deleteLater();
    });
}
