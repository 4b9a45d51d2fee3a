// Pictures of a page: crowded pages merged into one picture only once it exists, paths drawn into
// pictures, and soft masks applied through pictures written into the conversion's temporary
// folder (a write that fails changes nothing; an overlap of no area draws nothing).

#include <gtest/gtest.h>

#include "docx/model/DocxPictFixtures.h"
#include "docx/model/KXDocxManager.h"
#include "docx/model/PathRunFixtures.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "support/TestSupport.h"
#include "util/KXWriteCGImageToURL.h"

using namespace kx::test;

namespace {

std::shared_ptr<KXDocxRunImage> imageRun(kx::Rect frame, std::uint64_t scan, const std::string& file) {
    auto run = std::make_shared<KXDocxRunImage>();
    KXDocxImageInfo info;
    info.setDisplayFrame(frame);
    info.opacity = 1;
    run->setPictInfo(info);
    run->setPdfScanIndex(scan);
    run->setImagePath(file);
    run->setRunImageID("rId7");
    return run;
}

// A page with `n` images in a chain of overlaps, on the page or wholly off it.
KXDocxPage pageOfImages(size_t n, const std::string& file, bool onThePage) {
    KXDocxPage page(nullptr, {612, 792}, true, true);
    for (size_t i = 0; i < n; ++i) {
        const double x = (onThePage ? 10 : 1000) + static_cast<double>(i % 40) * 10;
        page.allRunImageArray().push_back(imageRun({x, 10 + static_cast<double>(i / 40) * 10, 20, 20}, i, file));
    }
    return page;
}

}  // namespace

TEST(KXDocxPagePictures, ACrowdedPageIsMergedOnlyOnceThePictureExists) {
    KXPDFOptions options;
    options.wordOptions().setEnableMergeIntersectImages(false);
    KXDocxManager::sharedInstance().setMoreOptions(options);
    const std::string blue = solidPNG("crowd-blue.png", 2, 2, {0, 0, 255});

    KXDocxPage crowded = pageOfImages(501, blue, true);
    crowded.convertImages2ImageIfNeed();
    ASSERT_EQ(crowded.allRunImageArray().size(), 1u) << "merged whatever the option says";
    EXPECT_EQ(crowded.allRunImageArray().front()->pdfScanLength(), 1u) << "numbered again with the page";

    KXDocxPage offPage = pageOfImages(501, blue, false);
    testing::internal::CaptureStderr();
    offPage.convertImages2ImageIfNeed();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Context Size Zero!\n");
    EXPECT_EQ(offPage.allRunImageArray().size(), 501u) << "no picture could be made: the images stay";

    KXDocxPage kept = pageOfImages(500, blue, true);
    kept.convertImages2ImageIfNeed();
    EXPECT_EQ(kept.allRunImageArray().size(), 500u) << "500 images follow the option";
    KXDocxManager::sharedInstance().setMoreOptions(KXPDFOptions());
}

TEST(KXDocxPagePictures, ManyPathsBecomeOnePictureOnlyOnceItExists) {
    KXDocxManager::sharedInstance().setMoreOptions(KXPDFOptions());
    struct Case {
        const char* what;
        double width;  // of each path; 0 gives paths of no extent all at one point: nothing to draw
        size_t paths, images;
    };
    const Case cases[] = {
        {"1001 paths, drawn", 4, 0, 1},
        {"1001 paths of no area: nothing can be drawn, the paths stay", 0, 1001, 0},
    };
    for (const Case& c : cases) {
        KXDocxPage page(nullptr, {612, 792}, true, true);
        for (int i = 0; i < 1001; ++i)
            page.allRunPathArray().push_back(pathRun(rectPath(10 + (i % 50) * c.width * 2, 10 + (i / 50) * c.width * 2,
                                                              c.width, c.width),
                                                     filled({1, 0, 0, 1}), static_cast<std::uint64_t>(i)));
        testing::internal::CaptureStderr();
        page.convertShapes2ImageIfNeed();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(page.allRunPathArray().size(), c.paths) << c.what;
        EXPECT_EQ(page.allRunImageArray().size(), c.images) << c.what;
    }
}

TEST(KXDocxPagePictures, SoftMaskedPicturesGoToTheTemporaryFolderOrChangeNothing) {
    kx::ScopedTemporaryRoot root;
    // The mask: 200 x 100 pixels shown at 100 x 50 points, white (all shows).
    const std::string white = solidPNG("mask-white.png", 200, 100, {255, 255, 255});
    auto mask = imageRun({100, 100, 100, 50}, 0, white);
    auto square = pathRun(rectPath(160, 120, 80, 80), filled({0, 0, 1, 1}));

    std::optional<std::string> cut = KXDocxPDFExporter::RunPath(*square, mask.get(), {}, true);
    ASSERT_TRUE(cut);
    EXPECT_EQ(kx::pathDirectory(*cut), root.path()) << "written into the conversion's temporary folder";
    kx::ImageRef picture = kx::readImageFile(*cut);
    ASSERT_TRUE(picture);
    // The overlap (160, 120, 40, 30) at the mask's 2 pixels a point.
    EXPECT_EQ(picture->width, 80);
    EXPECT_EQ(picture->height, 60);
    EXPECT_EQ(mask->pictInfo().displayFrame(), kx::Rect(160, 120, 40, 30)) << "the mask's run takes the overlap";

    auto image = imageRun({100, 100, 100, 50}, 1, solidPNG("masked-green.png", 300, 150, {0, 255, 0}));
    std::optional<std::string> masked = KXDocxPDFExporter::RunImage(*image, *imageRun({100, 100, 100, 50}, 0, white), {});
    ASSERT_TRUE(masked);
    EXPECT_EQ(kx::pathDirectory(*masked), root.path());
    EXPECT_EQ(kx::readImageFile(*masked)->width, 300) << "at the picture's own resolution";

    // An overlap of no height draws nothing.
    auto line = pathRun(rectPath(0, 150, 300, 0), filled());
    auto untouched = imageRun({100, 100, 100, 50}, 0, white);
    EXPECT_FALSE(KXDocxPDFExporter::RunPath(*line, untouched.get(), {}, true));

    // A temporary folder that cannot be written: no file is answered and the records stay.
    kx::removeAll(root.path());
    kx::writeFile(root.path(), "in the way");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(KXDocxPDFExporter::RunPath(*square, untouched.get(), {}, true));
    EXPECT_FALSE(KXDocxPDFExporter::RunImage(*image, *untouched, {}));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(untouched->pictInfo().displayFrame(), kx::Rect(100, 100, 100, 50));
    kx::removeAll(root.path());
}
