#pragma once
// One application per settings file: a second launch hands the files it was given to the running
// application, which adds them to its list and comes to the front, and then ends; it opens no second
// window on the same settings. The two meet at a local socket named after the settings file, in the
// user's runtime folder.

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

class KXSingleInstance : public QObject {
    Q_OBJECT

public:
    explicit KXSingleInstance(const QString& settingsFile, QObject* parent = nullptr);
    ~KXSingleInstance() override;

    // Hands the paths (made absolute against the current folder) to the application already running
    // on the settings file and answers true once it has taken them; otherwise starts listening for
    // later launches and answers false: this launch is the application.
    bool handOverOrListen(const QStringList& paths);

    // Where the two launches meet.
    QString socketPath() const { return socketPath_; }

signals:
    // A later launch handed these paths over (none when it was started without files).
    void filesOpened(const QStringList& paths);

private:
    bool handOver(const QStringList& paths);
    void takeConnection();

    QString socketPath_;
    QLocalServer* server_ = nullptr;
};
