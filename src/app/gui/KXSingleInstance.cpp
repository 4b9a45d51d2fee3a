#include "app/gui/KXSingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {

constexpr int kConnectTimeout = 1000;
constexpr int kAnswerTimeout = 5000;
constexpr char kTaken = 1;

}  // namespace

KXSingleInstance::KXSingleInstance(const QString& settingsFile, QObject* parent) : QObject(parent) {
    const QByteArray key = QDir::cleanPath(QFileInfo(settingsFile).absoluteFilePath()).toUtf8();
    const QString name = "docuvane-" + QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::tempPath();
    socketPath_ = QDir(folder).filePath(name);
}

KXSingleInstance::~KXSingleInstance() = default;

bool KXSingleInstance::handOverOrListen(const QStringList& paths) {
    // Two launches at the same moment: the lock lets one of them become the application and the
    // other find it.
    QLockFile lock(socketPath_ + ".lock");
    lock.tryLock(kAnswerTimeout);
    if (handOver(paths)) return true;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by an application that did not end cleanly answers nobody: it goes.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) return false;
    connect(server_, &QLocalServer::newConnection, this, &KXSingleInstance::takeConnection);
    return false;
}

bool KXSingleInstance::handOver(const QStringList& paths) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kConnectTimeout)) return false;
    QStringList absolute;
    for (const QString& path : paths) absolute << QFileInfo(path).absoluteFilePath();
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << absolute;
    socket.write(message);
    if (!socket.waitForBytesWritten(kAnswerTimeout)) return false;
    // The application says that it took them.
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(kAnswerTimeout)) return false;
    char answer = 0;
    return socket.getChar(&answer) && answer == kTaken;
}

void KXSingleInstance::takeConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto read = [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QStringList paths;
            in >> paths;
            if (!in.commitTransaction()) return;  // more to come
            socket->putChar(kTaken);
            socket->flush();
            socket->disconnectFromServer();
            emit filesOpened(paths);
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        if (socket->bytesAvailable() > 0) read();
    }
}
