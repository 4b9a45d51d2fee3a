// The shared image-file writer's failure paths: each answers false with its message and leaves no
// file behind. (The formats themselves are read back by an independent reader in the platform's
// integration tests.)

#include <gtest/gtest.h>

#include "util/KXWriteCGImageToURL.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

using namespace kx;

TEST(KXWriteCGImageToURL, FailuresAnswerFalseWithTheirMessage) {
    auto good = Image::make(4, 4, PixelFormat::RGB8);
    auto empty = std::make_shared<Image>();
    std::string dir = test::tempDir();
    struct Case {
        const char* name;
        ImageRef image;
        std::string path;
        const char* message;
    } cases[] = {
        {"no image", nullptr, pathJoin(dir, "none.png"), "Couldn't create image destination!\n"},
        {"empty image", empty, pathJoin(dir, "empty.png"), "Couldn't create image destination!\n"},
        {"missing folder", good, pathJoin(dir, "missing/x.png"), "Couldn't write image to file!\n"},
        {"folder in the way", good, dir, "Couldn't write image to file!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (ImageFileType type : {ImageFileType::PNG, ImageFileType::TIFF, ImageFileType::JPEG2000}) {
            testing::internal::CaptureStderr();
            EXPECT_FALSE(KXWriteCGImageToURL(c.image, c.path, type, 72, 72, 1.0f));
            EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
            if (c.path != dir) {
                EXPECT_FALSE(fileExists(c.path));
            }
        }
    }
    EXPECT_TRUE(isDirectory(dir));

    testing::internal::CaptureStderr();
    EXPECT_FALSE(KXWriteCGImageToURL(good, pathJoin(dir, "unknown.img"), ImageFileType::Unknown, 72, 72, 1.0f));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Couldn't create image destination!\n");
    EXPECT_FALSE(fileExists(pathJoin(dir, "unknown.img")));
}

TEST(KXWriteCGImageToURL, WritesEveryTypeSilently) {
    auto img = Image::make(3, 2, PixelFormat::RGBA8);
    for (ImageFileType type : {ImageFileType::JPEG, ImageFileType::PNG, ImageFileType::BMP, ImageFileType::GIF,
                               ImageFileType::TIFF, ImageFileType::TGA, ImageFileType::JPEG2000}) {
        std::string path = pathJoin(test::tempDir(), "every-" + std::to_string(static_cast<int>(type)));
        testing::internal::CaptureStderr();
        EXPECT_TRUE(KXWriteCGImageToURL(img, path, type, 72, 72, 0.92f));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_GT(fileSize(path).value_or(0), 0u);
    }
}
