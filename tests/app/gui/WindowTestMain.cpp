// The test program of the window: a QApplication on the display (the tests run under xvfb-run)
// around GoogleTest, with the engine's main queue in its event loop and the exporters installed.
// Listing the tests needs no display.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "app/gui/KXAboutWindowController.h"
#include "app/gui/KXPreferencesWindowController.h"
#include "app/gui/KXQtMainQueue.h"
#include "app/gui/KXThumbnails.h"
#include "exporters/ExporterTable.h"

// In a build with the leak checker, the buffer the session-bus library keeps until the process ends
// is not reported as a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    // The runtime folder a desktop session gives; without it Qt warns on every start.
    QTemporaryDir runtime;
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    KXQtMainQueue::install();
    kx::installExporters();
    const int status = RUN_ALL_TESTS();
    KXThumbnails::shared().waitForDone();
    KXPreferencesWindowController::releaseSharedInstance();
    KXAboutWindowController::releaseSharedInstance();
    KXQtMainQueue::uninstall();
    return status;
}
