// The exporter's rasterising through the clip: shadings, pattern-filled paths, clipped pictures,
// the clip's bounding box and the visibility of a path.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "engine/KXPDFExporter.h"
#include "pdf/state/KXPDFCGPathUtilities.h"
#include "pdf/state/KXPDFClipPath.h"
#include "pdf/shading/KXPDFPattern.h"
#include "pdf/shading/KXPDFPatternTiling.h"
#include "pdf/shading/KXPDFShading.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using namespace kx;

namespace {

using kx::test::RGBA;
using kx::test::pixelAt;
using ClipPaths = std::vector<std::shared_ptr<const KXPDFClipPath>>;

const RGBA kClear{0, 0, 0, 0};
const RGBA kRed{255, 0, 0, 255};

std::shared_ptr<const KXPDFClipPath> clipRectPath(const Rect& r, int rule = KXPDFClipPath::NonZero) {
    Path p;
    p.addRect(r);
    return KXPDFClipPath::NewClipPathArray(*KXPDFCGPathUtilities::NSArrayWithCGPath(p), rule);
}

// Page space (y up) to display space (y down) of a 200 x 100 page without rotation.
const AffineTransform kPageToDisplay{1, 0, 0, -1, 0, 100};

// A solid red shading (the base draws its background over the clip).
struct Fixture {
    std::shared_ptr<PDFDocument> doc;
    std::shared_ptr<KXPDFShading> solid;
    std::shared_ptr<KXPDFShading> gradient;
};

Fixture makeFixture() {
    test::PDFBuilder b;
    int solid = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0] /Extend [true true] /Function << "
                      "/FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [1 0 0] /N 1 >> >>");
    int gradient = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 200 0] /Function << "
                         "/FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>");
    Fixture f;
    f.doc = PDFDocument::openFromMemory(b.build());
    f.solid = KXPDFShading::ShadingWithObject(f.doc->object(solid), "Solid");
    f.gradient = KXPDFShading::ShadingWithObject(f.doc->object(gradient), "Gradient");
    return f;
}

}  // namespace

TEST(KXPDFExporterRasterising, BitmapSizeFollowsThePageAndTheScale) {
    Fixture f = makeFixture();
    ASSERT_TRUE(f.solid);
    struct Case { const char* what; Size size; AffineTransform scale; int w, h; const char* message; };
    const Case cases[] = {
        {"a fraction of a point rounds up", {0.4, 10}, AffineTransform::identity(), 1, 10, ""},
        {"144 dpi doubles the pixels", {200, 100}, AffineTransform::makeScale(2, 2), 400, 200, ""},
        {"a scale of 0", {200, 100}, AffineTransform::makeScale(0, 1), 0, 0, "Context Size Zero!\n"},
        {"a mirroring scale", {200, 100}, AffineTransform::makeScale(-1, 1), 0, 0, "Context Size Zero!\n"},
        {"an empty page", {0, 0}, AffineTransform::identity(), 0, 0, "Context Size Zero!\n"},
        {"beyond the bitmap budget", {40000, 10}, AffineTransform::identity(), 0, 0, "Context not created!\n"},
    };
    for (const Case& c : cases) {
        Rect clip;
        testing::internal::CaptureStderr();
        ImageRef img = KXPDFExporter::DrawShadingInContextSize(c.size, kPageToDisplay, c.scale, kPageToDisplay, {},
                                                               &clip, f.solid.get());
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message) << c.what;
        if (c.w == 0) {
            EXPECT_FALSE(img) << c.what;
            continue;
        }
        ASSERT_TRUE(img) << c.what;
        EXPECT_EQ(img->width, c.w) << c.what;
        EXPECT_EQ(img->height, c.h) << c.what;
        EXPECT_EQ(pixelAt(*img, 0, 0), kRed) << c.what << ": without clip paths the whole page is painted";
    }
    testing::internal::CaptureStderr();
    EXPECT_FALSE(KXPDFExporter::ClipRectInContextSize({0, 5}, kPageToDisplay, {}).size.width > 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Context Size Zero!\n");
}

TEST(KXPDFExporterRasterising, ShadingIsClippedAndCutToTheClip) {
    Fixture f = makeFixture();
    // A 100 x 50 point clip at whole points, in page space; rendered at 144 dpi.
    ClipPaths clips{clipRectPath(Rect(20, 10, 100, 50))};
    Rect clip;
    ImageRef img = KXPDFExporter::DrawShadingInContextSize({200, 100}, kPageToDisplay, AffineTransform::makeScale(2, 2),
                                                           kPageToDisplay, clips, &clip, f.gradient.get());
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 200);
    EXPECT_EQ(img->height, 100);
    EXPECT_EQ(clip, Rect(20, 40, 100, 50)) << "the clip's box in display space";
    // The gradient runs along page x from 0 to 200: at x 20 it is still mostly red.
    RGBA left = pixelAt(*img, 0, 50);
    EXPECT_GT(left[0], 200);
    EXPECT_EQ(left[3], 255);
    RGBA right = pixelAt(*img, 199, 50);
    EXPECT_LT(right[0], 110);
    EXPECT_GT(right[2], 140);

    // Even-odd: a frame; the hole stays empty.
    ClipPaths frame;
    Path ring;
    ring.addRect(Rect(0, 0, 200, 100));
    ring.addRect(Rect(50, 25, 100, 50));
    frame.push_back(KXPDFClipPath::NewClipPathArray(*KXPDFCGPathUtilities::NSArrayWithCGPath(ring), KXPDFClipPath::EvenOdd));
    img = KXPDFExporter::DrawShadingInContextSize({200, 100}, kPageToDisplay, AffineTransform::identity(), kPageToDisplay,
                                                  frame, &clip, f.solid.get());
    ASSERT_TRUE(img);
    EXPECT_EQ(pixelAt(*img, 100, 50), kClear);
    EXPECT_EQ(pixelAt(*img, 10, 50), kRed);

    EXPECT_FALSE(KXPDFExporter::DrawShadingInContextSize({200, 100}, kPageToDisplay, AffineTransform::identity(),
                                                         kPageToDisplay, {}, &clip, nullptr))
        << "no shading, nothing to place";
}

TEST(KXPDFExporterRasterising, PatternFillsItsPathWithinTheClip) {
    test::PDFBuilder b;
    int n = b.addStream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 2 2] /XStep 2 /YStep 2", "");
    auto doc = PDFDocument::openFromMemory(b.build());
    auto pattern = KXPDFPattern::PatternWithObject(doc->object(n), "P");
    auto cell = Image::make(1, 1, PixelFormat::RGB8);
    cell->pixels = {255, 0, 0};
    dynamic_cast<KXPDFPatternTiling&>(*pattern).setContentImageRef(cell);

    // The path: page rectangle (10, 10, 40, 20); the clip cuts off its left half.
    Path path;
    path.addRect(Rect(10, 10, 40, 20));
    ClipPaths clips{clipRectPath(Rect(30, 0, 200, 100))};
    Rect clip;
    ImageRef img = KXPDFExporter::DrawPatternInContextSize({200, 100}, kPageToDisplay, AffineTransform::identity(),
                                                           kPageToDisplay, clips, &clip, path, pattern.get(), nullptr,
                                                           false, true, false);
    ASSERT_TRUE(img);
    EXPECT_EQ(clip, Rect(30, 70, 20, 20)) << "display space: the path within the clip";
    EXPECT_EQ(img->width, 20);
    EXPECT_EQ(img->height, 20);
    EXPECT_EQ(pixelAt(*img, 10, 10), kRed);

    // A stroke-only pattern paints the outline, not the inside.
    img = KXPDFExporter::DrawPatternInContextSize({200, 100}, kPageToDisplay, AffineTransform::identity(),
                                                  kPageToDisplay, {}, &clip, path, nullptr, pattern.get(), true, false,
                                                  false);
    ASSERT_TRUE(img);
    EXPECT_EQ(pixelAt(*img, img->width / 2, img->height / 2), kClear);
    EXPECT_GT(pixelAt(*img, img->width / 2, 0)[3], 100);

    // No pattern for the requested painting: nothing to place.
    EXPECT_FALSE(KXPDFExporter::DrawPatternInContextSize({200, 100}, kPageToDisplay, AffineTransform::identity(),
                                                         kPageToDisplay, {}, &clip, path, nullptr, pattern.get(), false,
                                                         true, false));
}

TEST(KXPDFExporterRasterising, ClipImageCutsOnlyWhenTheClipCutsThePicture) {
    auto red = Image::make(2, 2, PixelFormat::RGB8);
    red->pixels.assign(12, 0);
    for (size_t i = 0; i < 12; i += 3) red->pixels[i] = 255;
    // The picture covers display (20, 20, 40, 40): page (20, 40)..(60, 80).
    AffineTransform imageToDisplay = AffineTransform{40, 0, 0, 40, 20, 40}.concat(kPageToDisplay);
    Rect imageRect(20, 20, 40, 40);

    Rect clip = imageRect;
    ClipPaths wide{clipRectPath(Rect(0, 0, 200, 100))};
    EXPECT_FALSE(KXPDFExporter::ClipImageInContextSize({200, 100}, red, AffineTransform::makeScale(2, 2), kPageToDisplay,
                                                       imageToDisplay, imageRect, wide, &clip))
        << "a picture wholly inside the clip is left to the caller";

    ClipPaths half{clipRectPath(Rect(40, 0, 200, 100))};
    ImageRef cut = KXPDFExporter::ClipImageInContextSize({200, 100}, red, AffineTransform::makeScale(2, 2),
                                                         kPageToDisplay, imageToDisplay, imageRect, half, &clip);
    ASSERT_TRUE(cut);
    // The clip's box is the right part of the page; the picture lies in its left end.
    EXPECT_EQ(clip, Rect(40, 0, 160, 100));
    EXPECT_EQ(cut->width, 320);
    EXPECT_EQ(cut->height, 200);
    EXPECT_EQ(pixelAt(*cut, 10, 50), kRed) << "the visible part of the picture";
    EXPECT_EQ(pixelAt(*cut, 50, 50), kClear) << "beyond the picture";
    // Held as its painted part: the picture's visible strip and a transparent margin, placed in
    // the same 320 x 200 picture.
    const PlacedImage placed = KXPDFExporter::ClipPlacedImageInContextSize(
        {200, 100}, red, AffineTransform::makeScale(2, 2), kPageToDisplay, imageToDisplay, imageRect, half, &clip);
    ASSERT_TRUE(placed.image);
    EXPECT_EQ(std::tie(placed.left, placed.width, placed.height), std::make_tuple(0, 320, 200));
    EXPECT_EQ(placed.top, 39);
    EXPECT_EQ(placed.image->width, 41);
    EXPECT_EQ(placed.image->height, 82);
    EXPECT_EQ(placed.wholeImage()->pixels, cut->pixels);

    // The form without a scale transform draws at one pixel a point.
    cut = KXPDFExporter::ClipImageInContextSize({200, 100}, red, kPageToDisplay, imageToDisplay, imageRect, half, &clip);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->width, 160);
    EXPECT_FALSE(KXPDFExporter::ClipImageInContextSize({200, 100}, nullptr, kPageToDisplay, imageToDisplay, imageRect,
                                                       half, &clip))
        << "no picture to cut";
}

TEST(KXPDFExporterRasterising, ClipBoxAndPathVisibility) {
    ClipPaths clips{clipRectPath(Rect(10, 10, 50, 5)), clipRectPath(Rect(0, 0, 40, 100))};
    EXPECT_EQ(KXPDFExporter::ClipRectInContextSize({200, 100}, kPageToDisplay, clips), Rect(10, 10, 30, 5))
        << "the intersection, in the clip paths' space";
    EXPECT_EQ(KXPDFExporter::ClipRectInContextSize({200, 100}, kPageToDisplay, {}), Rect(0, 0, 200, 100));

    struct Case { const char* what; double y0, y1, lineWidth; bool visible; };
    // Horizontal lines from x 0 to 30 (a box of no height) against the clip y 10..15.
    const Case cases[] = {
        {"line inside", 12, 12, 0, true},
        {"line just below, widened to width 2, touches", 9.5, 9.5, 2, true},
        {"line below, width 2 stays outside", 8, 8, 2, false},
        {"line above, wide enough to reach", 16, 16, 3, true},
        {"line far away", 50, 50, 2, false},
    };
    for (const Case& c : cases) {
        Path line;
        line.moveTo({0, c.y0});
        line.lineTo({30, c.y1});
        Rect bound;
        auto result = KXPDFExporter::ClipPathInContextSize({200, 100}, line, c.lineWidth, kPageToDisplay, clips, &bound);
        EXPECT_EQ(result.has_value(), c.visible) << c.what;
        if (result) {
            EXPECT_EQ(*result, line) << c.what;
        }
        EXPECT_EQ(bound, Rect(10, 10, 30, 5)) << c.what;
    }
}

TEST(KXPDFExporterRasterising, PicturesUnderAClipHoldTheWholePagesPixelsThere) {
    // Only the clip's part of the page's bitmap is drawn: what it gives must be what the whole
    // bitmap holds at the same place, wherever the clip lies.
    Fixture f = makeFixture();
    const AffineTransform at144 = AffineTransform::makeScale(2, 2);
    Rect whole;
    ImageRef page = KXPDFExporter::DrawShadingInContextSize({200, 100}, kPageToDisplay, at144, kPageToDisplay, {},
                                                            &whole, f.gradient.get());
    ASSERT_TRUE(page);
    struct Case { const char* what; Rect clipInPage; Rect expected; };
    const Case cases[] = {
        {"a far corner", Rect(150, 75, 30, 20), Rect(150, 5, 30, 20)},
        {"half points, whole pixels at 144 dpi", Rect(120.5, 30.5, 41, 13), Rect(120.5, 56.5, 41, 13)},
        {"over the page's edge", Rect(180, -20, 50, 40), Rect(180, 80, 20, 20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rect clip;
        ImageRef cut = KXPDFExporter::DrawShadingInContextSize({200, 100}, kPageToDisplay, at144, kPageToDisplay,
                                                               {clipRectPath(c.clipInPage)}, &clip, f.gradient.get());
        ASSERT_TRUE(cut);
        EXPECT_EQ(clip, c.expected);
        const int left = static_cast<int>(2 * c.expected.minX()), top = static_cast<int>(2 * c.expected.minY());
        ASSERT_EQ(cut->width, static_cast<int>(2 * c.expected.size.width));
        ASSERT_EQ(cut->height, static_cast<int>(2 * c.expected.size.height));
        int different = 0;
        for (int y = 0; y < cut->height; ++y)
            for (int x = 0; x < cut->width; ++x) different += pixelAt(*cut, x, y) != pixelAt(*page, left + x, top + y);
        EXPECT_EQ(different, 0);
    }

    // A clip off the page shows nothing: the picture is the blank page, as large as ever.
    Rect clip;
    ImageRef blank = KXPDFExporter::DrawShadingInContextSize({200, 100}, kPageToDisplay, at144, kPageToDisplay,
                                                             {clipRectPath(Rect(300, 300, 10, 10))}, &clip,
                                                             f.gradient.get());
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->width, 400);
    EXPECT_EQ(blank->height, 200);
    EXPECT_EQ(pixelAt(*blank, 200, 100), kClear);
}

TEST(KXPDFExporterRasterising, DrawsOnlyWhatTheClipLeavesAndCapsThePicture) {
    Fixture f = makeFixture();
    ASSERT_TRUE(f.solid);
    // The whole of this page would be 400 million pixels, beyond any bitmap the program makes.
    const Size huge{20000, 20000};
    const AffineTransform toDisplay{1, 0, 0, -1, 0, 20000};
    ClipPaths small{clipRectPath(Rect(1000, 1000, 100, 50))};
    Rect clip;
    ImageRef img = KXPDFExporter::DrawShadingInContextSize(huge, toDisplay, AffineTransform::identity(), toDisplay, small,
                                                           &clip, f.solid.get());
    ASSERT_TRUE(img) << "only the clip's box is drawn";
    EXPECT_EQ(img->width, 100);
    EXPECT_EQ(img->height, 50);
    EXPECT_EQ(clip, Rect(1000, 18950, 100, 50));
    EXPECT_EQ(pixelAt(*img, 50, 25), kRed);

    auto red = Image::make(2, 2, PixelFormat::RGB8);
    red->pixels.assign(12, 0);
    for (size_t i = 0; i < 12; i += 3) red->pixels[i] = 255;
    const AffineTransform imageToDisplay = AffineTransform{400, 0, 0, 400, 900, 900}.concat(toDisplay);
    ImageRef cut = KXPDFExporter::ClipImageInContextSize(huge, red, AffineTransform::makeScale(2, 2), toDisplay,
                                                         imageToDisplay, Rect(900, 18700, 400, 400), small, &clip);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->width, 200);
    EXPECT_EQ(cut->height, 100);
    EXPECT_EQ(pixelAt(*cut, 100, 50), kRed);

    // A clip of 5000 x 5000 points at 600 dpi would be 1.7 billion pixels: it is drawn softer.
    ClipPaths wide{clipRectPath(Rect(0, 0, 5000, 5000))};
    img = KXPDFExporter::DrawShadingInContextSize(huge, toDisplay, AffineTransform::makeScale(600 / 72.0, 600 / 72.0),
                                                  toDisplay, wide, &clip, f.solid.get());
    ASSERT_TRUE(img);
    EXPECT_LE(static_cast<double>(img->width) * img->height, 32.0 * 1024 * 1024 * 1.01);
    // The same area, at fewer pixels (the box comes back through whole pixels of the lower scale).
    EXPECT_NEAR(clip.minX(), 0, 1);
    EXPECT_NEAR(clip.minY(), 15000, 1);
    EXPECT_NEAR(clip.width(), 5000, 1);
    EXPECT_NEAR(clip.height(), 5000, 1);
    EXPECT_EQ(pixelAt(*img, img->width / 2, img->height / 2), kRed);
}
