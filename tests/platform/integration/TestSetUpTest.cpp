// The test set-up itself: under CTest every variable of the test environment arrives (a list split
// at its semicolons once let only the first one through, and the corpus suites skipped in every
// build folder but ./build), and the folders they name are there.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

TEST(TestSetUp, TheWholeEnvironmentArrivesUnderCTest) {
    // Run by hand, a test binary has no environment of its own and uses the built-in defaults.
    if (!std::getenv("KX_RESOURCE_DIR")) GTEST_SKIP() << "not run by CTest";
    for (const char* name : {"KX_SOURCE_DIR", "KX_BIN_DIR", "KX_CORPUS_DIR"}) {
        const char* value = std::getenv(name);
        ASSERT_TRUE(value && *value) << name;
    }
    EXPECT_TRUE(kx::isRegularFile(kx::pathJoin(kx::test::sourceDir(), "CMakeLists.txt")));
    EXPECT_TRUE(kx::isRegularFile(kx::pathJoin(kx::test::binDir(), "KXDocuvane")));
}
