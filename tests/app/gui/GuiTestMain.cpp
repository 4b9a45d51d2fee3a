// The test program of the desktop application's classes: a QApplication around GoogleTest. Without a
// platform given in QT_QPA_PLATFORM the offscreen one is used, so no display is needed.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "app/gui/KXThumbnails.h"

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int status = RUN_ALL_TESTS();
    KXThumbnails::shared().waitForDone();
    return status;
}
