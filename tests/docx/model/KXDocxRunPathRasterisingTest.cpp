// Path runs drawn into pictures: what a group draws and where, the density rule, neighbours.

#include <gtest/gtest.h>

#include "PathRunFixtures.h"
#include "pdf/state/KXPDFCGPathUtilities.h"
#include "platform/BitmapContext.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "platform/LeftOut.h"
#include "support/TestSupport.h"

using namespace kx::test;

namespace {

const kx::Size kPage{612, 792};

kx::ImageRef readPicture(const std::optional<std::string>& path) {
    if (!path) return nullptr;
    kx::ImageRef image = kx::toRGBA8(kx::readImageFile(*path));
    kx::removeFile(*path);
    return image;
}

std::shared_ptr<KXDocxRunPath> runWithPoints(double x, double width, int points) {
    kx::Path p;
    p.moveTo({x, 10});
    for (int i = 1; i < points; ++i) p.lineTo({x + width * i / (points - 1), 10.0 + (i % 2) * 5});
    return pathRun(p, stroked(1));
}

}  // namespace

TEST(KXDocxRunPathRasterising, DrawsOnlyTheGroupsBoxAtTheResolution) {
    auto red = pathRun(rectPath(100, 100, 20, 20), filled({1, 0, 0, 1}), 0);
    auto blue = pathRun(linePath(130, 110, 150, 110), stroked(2, {0, 0, 1, 1}), 1);
    kx::Rect clipRect(1, 2, 3, 4);
    kx::ImageRef picture = readPicture(
        KXDocxRunPath::CreateImageFromRunPaths({red, blue}, kPage, kx::AffineTransform(), 144, true, &clipRect));
    ASSERT_TRUE(picture);
    // The union (100, 100, 50, 20) at 2 pixels a point.
    EXPECT_EQ(picture->width, 100);
    EXPECT_EQ(picture->height, 40);
    EXPECT_EQ(clipRect, kx::Rect(100, 100, 50, 20));
    EXPECT_EQ(pixelAt(*picture, 20, 20), (RGBA{255, 0, 0, 255})) << "inside the red square";
    EXPECT_EQ(pixelAt(*picture, 80, 20), (RGBA{0, 0, 255, 255})) << "on the blue line";
    EXPECT_EQ(pixelAt(*picture, 80, 35)[3], 0) << "below the line nothing is drawn";

    // Without the clip the whole page is drawn and the rectangle is left alone.
    kx::Rect untouched(1, 2, 3, 4);
    kx::ImageRef page = readPicture(
        KXDocxRunPath::CreateImageFromRunPaths({red}, kPage, kx::AffineTransform(), 72, false, &untouched));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->width, 612);
    EXPECT_EQ(page->height, 792);
    EXPECT_EQ(untouched, kx::Rect(1, 2, 3, 4));
    EXPECT_EQ(pixelAt(*page, 110, 110), (RGBA{255, 0, 0, 255}));
}

TEST(KXDocxRunPathRasterising, ClipsFillsAndFailures) {
    // A filled square under a clip that keeps its left half (the clip in page space, taken into
    // display space by the page transform, here a flip of a 200-point page).
    const kx::AffineTransform flip{1, 0, 0, -1, 0, 200};
    kx::Path clip = rectPath(0, 200 - 60, 15, 60);  // display (0, 0, 15, 60)
    auto square = pathRun(rectPath(10, 10, 10, 10), filled(), 0);
    square->setClipBezierPaths(
        kx::ClipPathChain({KXPDFClipPath::NewClipPathArray(*KXPDFCGPathUtilities::NSArrayWithCGPath(clip), 1)}));
    kx::ImageRef clipped =
        readPicture(KXDocxRunPath::CreateImageFromRunPaths({square}, {200, 200}, flip, 72, true, nullptr));
    ASSERT_TRUE(clipped);
    EXPECT_EQ(pixelAt(*clipped, 2, 5)[3], 255);
    EXPECT_EQ(pixelAt(*clipped, 7, 5)[3], 0) << "right of the clip";

    // A hairline without thickness has nothing to draw.
    auto hairline = pathRun(rectPath(10, 10, 50, 0.005), filled(), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(KXDocxRunPath::CreateImageFromRunPaths({hairline}, kPage, {}, 72, true, nullptr));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Error, Context Size Zero!"), std::string::npos);
    EXPECT_FALSE(KXDocxRunPath::CreateImageFromRunPaths({}, kPage, {}, 72, true, nullptr));

    Paint invisible = filled();
    invisible.fillAlpha = 0;
    auto clear = pathRun(rectPath(0, 0, 10, 10), invisible);
    auto context = kx::BitmapContext::create(20, 20);
    EXPECT_TRUE(clear->drawInContext(context.get(), {}, false)) << "nothing drawn, but the run drew itself";
    EXPECT_EQ(pixelAt(*context->makeImage(), 5, 15)[3], 0);
    EXPECT_FALSE(clear->drawInContext(nullptr, {}, false));
    EXPECT_FALSE(KXDocxRunPath().drawInContext(context.get(), {}, false));
}

TEST(KXDocxRunPathRasterising, DensityAndNeighbours) {
    struct Case {
        const char* name;
        KXDocxRunPathArray runs;
        bool dense;
    };
    // 3 runs of 10 points over 100 points: 30 > 100 / 8.1 + 6.
    const Case cases[] = {
        {"thirty points over 100", {runWithPoints(0, 30, 10), runWithPoints(35, 30, 10), runWithPoints(70, 30, 10)},
         true},
        {"eight points over 100", {runWithPoints(0, 40, 4), runWithPoints(60, 40, 4)}, false},
        {"none", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KXDocxRunPath::IsVaildImageRunPaths(c.runs), c.dense);
    }
    EXPECT_EQ(KXDocxRunPath::CountOfPoints(cases[0].runs), 30);
    EXPECT_EQ(KXDocxRunPath::BoundsOfRunPaths({}), kx::Rect::zero());

    auto a = pathRun(rectPath(0, 0, 10, 10), filled());
    auto b = pathRun(rectPath(80, 0, 10, 10), filled());
    auto c = pathRun(rectPath(200, 0, 10, 10), filled());
    EXPECT_TRUE(b->isIntersectRunPaths({a}, {-78, -26})) << "within 78 to the side";
    EXPECT_FALSE(c->isIntersectRunPaths({a}, {-78, -26}));
    EXPECT_TRUE(pathRun(rectPath(5, 5, 50, 50), filled())->isIntersectRunPaths({a, c}, {0, 0}))
        << "meets the group's box";
}

// A picture draws a path whole while the rows of pixels its edges cross stay within the budget, and
// simplified to its pixels past it: a filled zigzag of teeth from the top of the page to its bottom,
// then a red square. At 2 pixels a point each tooth crosses about 3080 rows; 4000 teeth stay below
// the budget, 20,000 go far past it (several teeth to a column of pixels) and are still drawn, and
// so is the square after them. Nothing is left out.
TEST(KXDocxRunPathRasterising, APathPastTheEdgeRowBudgetIsDrawnSimplifiedToThePixels) {
    for (int teethCount : {4000, 20000}) {
        SCOPED_TRACE(teethCount);
        kx::LeftOut::begin();
        kx::Path zigzag;
        zigzag.moveTo({200, 10});
        for (int i = 1; i <= 2 * teethCount; ++i) zigzag.lineTo({200 + 400.0 * i / (2 * teethCount), i % 2 ? 780.0 : 10.0});
        auto teeth = pathRun(zigzag, filled({0, 0, 1, 1}), 0);
        auto red = pathRun(rectPath(20, 20, 20, 20), filled({1, 0, 0, 1}), 1);
        kx::ImageRef page = readPicture(
            KXDocxRunPath::CreateImageFromRunPaths({teeth, red}, kPage, kx::AffineTransform(), 144, false, nullptr));
        ASSERT_TRUE(page);
        EXPECT_EQ(pixelAt(*page, 60, 60), (RGBA{255, 0, 0, 255})) << "the square after the zigzag";
        EXPECT_GT(pixelAt(*page, 800, 790)[3], 0) << "amid the teeth";
        EXPECT_TRUE(kx::LeftOut::take().empty());
    }
}
