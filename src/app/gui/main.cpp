// Docuvane, the desktop application: the window with the list of PDFs to convert, their settings and
// the Convert button. Files given on the command line (or opened with the application from the file
// manager) are added to the list; when the application already runs on the same settings, they are
// added to its list instead. Closing the window, or a termination signal, ends the application
// cleanly: a running conversion is cancelled and its worker waited for.

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>

#include "app/gui/KXAboutWindowController.h"
#include "app/gui/KXAppDelegate.h"
#include "app/gui/KXMainWindow.h"
#include "app/gui/KXNamedImages.h"
#include "app/gui/KXPreferencesWindowController.h"
#include "app/gui/KXQSettingsStore.h"
#include "app/gui/KXQtMainQueue.h"
#include "app/gui/KXSingleInstance.h"
#include "app/gui/KXThumbnails.h"
#include "app/jobs/KXLocalized.h"
#include "exporters/ExporterTable.h"

// In a build with the leak checker, the buffer the session-bus library keeps until the process ends
// is not reported as a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

namespace {

int gSignalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(gSignalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the event loop from inside it, so the usual shutdown runs.
void quitOnTerminationSignals(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char byte;
        [[maybe_unused]] ssize_t got = ::read(gSignalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Docuvane");
    QCoreApplication::setApplicationName("Docuvane");
    QCoreApplication::setApplicationVersion(KX_VERSION);
    QApplication::setWindowIcon(KXNamedImages::icon("docuvane"));
    quitOnTerminationSignals(app);

    // A second launch on the same settings hands its files to the application already running.
    KXQSettingsStore store;
    KXSingleInstance instance(store.fileName());
    QStringList paths = QCoreApplication::arguments();
    paths.removeFirst();
    if (instance.handOverOrListen(paths)) return 0;
    KXSettingsStore::setStandardUserDefaults(&store);
    KXQtMainQueue::install();
    kx::installExporters();
    kx_setSharedLocalizer([](const std::string& text) {
        return QCoreApplication::translate("KXLocalizable", text.c_str()).toStdString();
    });

    int status = 0;
    {
        KXAppDelegate delegate;
        delegate.applicationDidFinishLaunching();
        delegate.applicationOpenFiles(paths);
        QObject::connect(&instance, &KXSingleInstance::filesOpened, &delegate, [&delegate](const QStringList& opened) {
            delegate.applicationOpenFiles(opened);
            delegate.window()->showNormal();
            delegate.window()->raise();
            delegate.window()->activateWindow();
        });
        status = QApplication::exec();
    }
    KXThumbnails::shared().waitForDone();
    KXPreferencesWindowController::releaseSharedInstance();
    KXAboutWindowController::releaseSharedInstance();
    KXQtMainQueue::uninstall();
    KXSettingsStore::setStandardUserDefaults(nullptr);
    return status;
}
