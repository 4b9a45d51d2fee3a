// The test program of the desktop application's classes: a QApplication around GoogleTest. Without a
// platform given in QT_QPA_PLATFORM the offscreen one is used, so no display is needed.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include "app/gui/KXThumbnails.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    // The runtime folder a desktop session gives; without it Qt warns on every start.
    QTemporaryDir runtime;
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QApplication app(argc, argv);
    const int status = RUN_ALL_TESTS();
    KXThumbnails::shared().waitForDone();
    return status;
}
