// The capture's steps for paths and pictures: where a picture drawn under a transform stands, a
// path's display box, the clip, pictures drawn and written for shadings, patterns and clipped
// images, and the text a picture closes.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CaptureTestFamily.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "util/KXPictureStore.h"

using capturetest::joined;
using capturetest::LogCapture;
using capturetest::shown;

namespace {

// A page whose content draws the one-pixel image /Im1; `extraResources` adds more resources.
std::string imagePage(const std::string& content, const std::string& pageExtra = "/MediaBox [0 0 612 792]") {
    kx::test::PDFBuilder pdf;
    const int font = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    const int image =
        pdf.addStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8", "\x80");
    pdf.addPage(content,
                "<< /Font << /F1 " + std::to_string(font) + " 0 R >> /XObject << /Im1 " + std::to_string(image) + " 0 R >> >>",
                pageExtra);
    return pdf.build();
}

bool near(const kx::Rect& a, const kx::Rect& b) {
    return std::fabs(a.origin.x - b.origin.x) < 1e-6 && std::fabs(a.origin.y - b.origin.y) < 1e-6 &&
           std::fabs(a.size.width - b.size.width) < 1e-6 && std::fabs(a.size.height - b.size.height) < 1e-6;
}

std::string str(const kx::Rect& r) {
    return kx::format("(%g %g %g %g)", r.origin.x, r.origin.y, r.size.width, r.size.height);
}

}  // namespace

TEST(PageCapturePictures, APictureStandsWhereItsTransformPutsTheUnitSquare) {
    // An upright page 792 high: display y is 792 - y.
    struct Case {
        const char* name;
        const char* matrix;
        kx::Rect rect;
        double width, height;
        float angle;
        bool mirrored;
    } cases[] = {
        {"upright", "200 0 0 100 50 60", {50, 632, 200, 100}, 200, 100, 0, false},
        {"mirrored top to bottom", "200 0 0 -100 50 160", {50, 632, 200, 100}, 200, 100, 0, true},
        {"a quarter turn counter-clockwise", "0 100 -200 0 300 60", {150, 582, 100, 200}, 100, 200, 270, false},
        {"upside down", "-200 0 0 -100 250 160", {50, 632, 200, 100}, 200, 100, 180, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture capture;
        std::optional<kx::PicturePlacement> placed;
        capture.onImage = [&](LogCapture& cap) { placed = LogCapture::placementOf(cap.paintTransform()); };
        capturetest::convert(capture, imagePage(std::string("q ") + c.matrix + " cm /Im1 Do Q"));
        ASSERT_TRUE(placed);
        EXPECT_TRUE(near(placed->displayRect, c.rect)) << str(placed->displayRect);
        EXPECT_NEAR(placed->displayWidth, c.width, 1e-6);
        EXPECT_NEAR(placed->displayHeight, c.height, 1e-6);
        EXPECT_NEAR(placed->angle, c.angle, 1e-3);
        EXPECT_EQ(placed->mirrored, c.mirrored);
    }
}

TEST(PageCapturePictures, APathsDisplayBoxHoldsWhatItDraws) {
    LogCapture capture;
    capturetest::convert(capture, capturetest::pagesDocument({""}));  // an upright page 792 high
    auto line = [](kx::Point a, kx::Point b) {
        kx::Path p;
        p.moveTo(a);
        p.lineTo(b);
        return p;
    };
    kx::Path arch;
    arch.moveTo({0, 0});
    arch.curveTo({50, 100}, {100, 100}, {150, 0});  // reaches 75 high, its control points 100
    struct Case {
        const char* name;
        kx::Path path;
        bool stroke;
        std::optional<kx::Rect> box;
    } cases[] = {
        {"a stroked horizontal line is as high as its line", line({100, 100}, {300, 100}), true, kx::Rect{100, 691, 200, 2}},
        {"a stroked vertical line is as wide as its line", line({100, 100}, {100, 300}), true, kx::Rect{99, 492, 2, 200}},
        {"a filled line keeps no width", line({100, 100}, {100, 300}), false, kx::Rect{100, 492, 0, 200}},
        {"a curve's box leaves out its control points", arch, false, kx::Rect{0, 717, 150, 75}},
        {"an empty path has no box", kx::Path(), true, std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<kx::DisplayPath> d = capture.displayPathOf(c.path, c.stroke, 2.0, 0.001);
        ASSERT_EQ(d.has_value(), c.box.has_value()) << c.name;
        if (d) {
            EXPECT_TRUE(near(d->box, *c.box)) << c.name << ": " << str(d->box);
        }
    }
}

TEST(PageCapturePictures, TheClipDecidesWhatShowsAndWhatIsRedrawn) {
    const std::string clip = "100 100 50 50 re W n ";
    struct Case {
        const char* name;
        std::string content;
        bool inside;                         // the stroked path shows through the clip
        std::optional<kx::Rect> clipRect;    // the clip's box in page space
    } cases[] = {
        {"no clip", "300 300 m 400 300 l S", true, std::nullopt},
        {"a path inside the clip", "q " + clip + "110 110 m 140 110 l S Q", true, kx::Rect{100, 100, 50, 50}},
        {"a path outside the clip", "q " + clip + "300 300 m 400 300 l S Q", false, kx::Rect{100, 100, 50, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture capture;
        std::optional<bool> inside;
        std::optional<kx::Rect> clipRect;
        capture.onPath = [&](LogCapture& cap, const kx::Path& path, bool, bool) {
            inside = cap.isPathInsideClip(path, 1.0);
            clipRect = cap.visibleClipRect();
        };
        capturetest::convert(capture, capturetest::pagesDocument({c.content}));
        ASSERT_TRUE(inside);
        EXPECT_EQ(*inside, c.inside);
        ASSERT_EQ(clipRect.has_value(), c.clipRect.has_value());
        if (clipRect) {
            EXPECT_TRUE(near(*clipRect, *c.clipRect)) << str(*clipRect);
        }
    }

    // An image is redrawn only where the clip cuts it: at the resolution asked, over the clip's box.
    struct ImageCase {
        const char* name;
        std::string content;
        std::optional<kx::Rect> rect;
        int pixels;
    } images[] = {
        {"no clip", "q 200 0 0 100 50 60 cm /Im1 Do Q", std::nullopt, 0},
        {"a clip that cuts the image", "q " + clip + "200 0 0 100 50 60 cm /Im1 Do Q", kx::Rect{100, 642, 50, 50}, 100},
        {"a clip around the whole image", "q 0 0 612 792 re W n 200 0 0 100 50 60 cm /Im1 Do Q", std::nullopt, 0},
    };
    auto pixel = kx::Image::make(2, 2, kx::PixelFormat::RGBA8);
    for (const ImageCase& c : images) {
        SCOPED_TRACE(c.name);
        kx::ScopedTemporaryRoot root;
        LogCapture capture;
        std::optional<std::optional<kx::CapturedPicture>> drawn;
        capture.onImage = [&](LogCapture& cap) {
            const kx::AffineTransform m = cap.paintTransform();
            drawn = cap.writeClippedImage(pixel, m, LogCapture::placementOf(m).displayRect, 144, "Im1-Clip");
        };
        capturetest::convert(capture, imagePage(c.content));
        ASSERT_TRUE(drawn);
        ASSERT_EQ(drawn->has_value(), c.rect.has_value());
        if (!*drawn) continue;
        EXPECT_TRUE(near((*drawn)->displayRect, *c.rect)) << str((*drawn)->displayRect);
        EXPECT_EQ((*drawn)->pixelWidth, c.pixels);
        EXPECT_EQ((*drawn)->pixelHeight, c.pixels);
        EXPECT_EQ(kx::readFile((*drawn)->path).value_or("").substr(1, 3), "PNG");
    }
}

// Many paths are painted under one clip and the clip changes between them: each path is tried
// against the clip it is painted under, whichever clip was measured before it on the page.
TEST(PageCapturePictures, EveryPathMeetsTheClipItIsPaintedUnder) {
    const std::string inA = "110 110 m 140 110 l S ", inB = "300 300 m 400 300 l S ";
    const std::string content = "q 100 100 50 50 re W n " + inA + inB + "Q " +  // under A
                                "q 290 290 150 50 re W n " + inA + inB +        // under B
                                "100 100 50 50 re W n " + inA + inB + "Q " +      // under B and A: nothing shows
                                inA + inB;                                        // no clip
    const kx::Rect a{100, 100, 50, 50}, b{290, 290, 150, 50};
    struct Seen {
        bool inside;
        kx::Rect clip;
    };
    const std::vector<Seen> expected = {{true, a},   {false, a},  {false, b},  {true, b},
                                        {false, kx::Rect::null()}, {false, kx::Rect::null()},
                                        {true, kx::Rect::null()},  {true, kx::Rect::null()}};
    LogCapture capture;
    std::vector<Seen> seen;
    capture.onPath = [&](LogCapture& cap, const kx::Path& path, bool, bool) {
        kx::Rect clip = kx::Rect::null();
        const bool inside = cap.isPathInsideClip(path, 1.0, &clip);
        seen.push_back({inside, clip});
    };
    capturetest::convert(capture, capturetest::pagesDocument({content}));
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].inside, expected[i].inside);
        EXPECT_EQ(seen[i].clip.isNull(), expected[i].clip.isNull()) << str(seen[i].clip);
        if (!expected[i].clip.isNull()) {
            EXPECT_TRUE(near(seen[i].clip, expected[i].clip)) << str(seen[i].clip);
        }
    }
}

TEST(PageCapturePictures, TheClipsBoxIsTheBitmapsWithoutDrawingRectangles) {
    // Rectangular clips are measured without a bitmap, the clip kept for the runs after it: the
    // box must be the one the bitmap gives, on upright and turned pages, for clips made of
    // several rectangles, for clips that leave nothing and for shapes the bitmap still measures.
    struct Case {
        const char* name;
        std::string content;
        std::string page;
    } cases[] = {
        {"a rectangle", "100 100 50 50 re W n", "/MediaBox [0 0 612 792]"},
        {"a rectangle in fractions of a point", "100.3 100.6 50.25 0.4 re W n", "/MediaBox [0 0 612 792]"},
        {"two rectangles meeting", "100 100 50 50 re W n 120 80 100 40 re W n", "/MediaBox [0 0 612 792]"},
        {"two rectangles apart", "100 100 50 50 re W n 300 300 10 10 re W n", "/MediaBox [0 0 612 792]"},
        {"a rectangle over the page's edge", "-20 700 100 200 re W n", "/MediaBox [0 0 612 792]"},
        {"a rectangle drawn upside down", "150 150 -50 -50 re W n", "/MediaBox [0 0 612 792]"},
        {"a rectangle turned a quarter", "0 1 -1 0 300 100 cm 0 0 80 40 re W n", "/MediaBox [0 0 612 792]"},
        {"a rectangle on a page turned a quarter", "100 100 50 50 re W n", "/MediaBox [0 0 612 792] /Rotate 90"},
        {"a rectangle on a page with its origin moved", "100 100 50 50 re W n", "/MediaBox [50 30 400 500]"},
        {"a rectangle turned an eighth", "0.7071 0.7071 -0.7071 0.7071 300 100 cm 0 0 80 40 re W n",
         "/MediaBox [0 0 612 792]"},
        {"a triangle", "100 100 m 200 100 l 150 180 l h W n", "/MediaBox [0 0 612 792]"},
        {"a rectangle then a triangle", "120 80 100 40 re W n 100 100 m 200 100 l 150 180 l h W n",
         "/MediaBox [0 0 612 792]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture capture;
        std::vector<std::pair<std::optional<kx::Rect>, kx::Rect>> seen;
        capture.onPath = [&](LogCapture& cap, const kx::Path&, bool, bool) {
            const KXPDFRenderState* state = cap.topState();
            ASSERT_NE(state, nullptr);
            const kx::Rect drawn = kx::PageCapture::ClipRectInContextSize(cap.pageSize(), cap.pageGeometry().pageTransform,
                                                                         state->clipBezierPaths().paths());
            seen.emplace_back(cap.visibleClipRect(), drawn);
        };
        // Two paths under the same clip: the second is answered from the one kept.
        capturetest::convert(capture, capturetest::pagesDocument({"q " + c.content + " 0 0 m 1 1 l S 2 2 m 3 3 l S Q"}, c.page));
        ASSERT_EQ(seen.size(), 2u);
        for (const auto& [measured, drawn] : seen) {
            ASSERT_TRUE(measured);
            EXPECT_EQ(measured->isNull(), drawn.isNull()) << str(*measured) << " " << str(drawn);
            if (measured->isNull() || drawn.isNull()) continue;
            // The bitmap answers whole pixels narrowed by the paths' own boxes, in its fixed
            // point of a 256th of a pixel.
            constexpr double kGrid = 2.0 / 256;
            EXPECT_NEAR(measured->minX(), drawn.minX(), kGrid) << str(*measured) << " " << str(drawn);
            EXPECT_NEAR(measured->minY(), drawn.minY(), kGrid) << str(*measured) << " " << str(drawn);
            EXPECT_NEAR(measured->maxX(), drawn.maxX(), kGrid) << str(*measured) << " " << str(drawn);
            EXPECT_NEAR(measured->maxY(), drawn.maxY(), kGrid) << str(*measured) << " " << str(drawn);
        }
    }
}

TEST(PageCapturePictures, ShadingsAndPatternsAreDrawnOverTheirClip) {
    kx::test::PDFBuilder pdf;
    const int shading = pdf.add(
        "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [100 0 200 0] /Extend [true true] "
        "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>");
    const int pattern = pdf.addStream(
        "/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 /YStep 10 /Resources << >>",
        "0 0 1 rg 0 0 5 5 re f");
    const std::string resources = "<< /Shading << /Sh1 " + std::to_string(shading) + " 0 R >> /Pattern << /P1 " +
                                  std::to_string(pattern) + " 0 R >> >>";
    pdf.addPage("q 100 100 100 50 re W n /Sh1 sh Q /Pattern cs /P1 scn 100 300 100 50 re f", resources);
    const std::string document = pdf.build();

    kx::ScopedTemporaryRoot root;
    LogCapture capture;
    std::optional<kx::CapturedPicture> shadingPicture, patternPicture;
    capture.onShading = [&](LogCapture& cap, const KXPDFShading& s) { shadingPicture = cap.writeShadingPicture(s, 2.0); };
    capture.onPattern = [&](LogCapture& cap, const kx::Path& path, bool stroke, bool fill) {
        patternPicture = cap.writePatternPicture(path, stroke, fill, 2.0);
    };
    capturetest::convert(capture, document);
    // Drawn at two pixels a point over the 100 x 50 points they paint.
    ASSERT_TRUE(shadingPicture);
    EXPECT_TRUE(near(shadingPicture->displayRect, {100, 642, 100, 50})) << str(shadingPicture->displayRect);
    EXPECT_EQ(shadingPicture->pixelWidth, 200);
    EXPECT_EQ(shadingPicture->pixelHeight, 100);
    EXPECT_TRUE(kx::isRegularFile(shadingPicture->path));
    ASSERT_TRUE(patternPicture);
    EXPECT_TRUE(near(patternPicture->displayRect, {100, 442, 100, 50})) << str(patternPicture->displayRect);
    EXPECT_EQ(patternPicture->pixelWidth, 200);
    EXPECT_EQ(patternPicture->pixelHeight, 100);
}

// A hatched or dotted fill is most often a tiling pattern whose cell holds nothing but a stroked
// line or a filled dot: the picture the fill becomes shows them, cell after cell, with clear gaps
// between. Drawn with the cell's images alone, the picture would be wholly clear and the fill lost.
TEST(PageCapturePictures, APatternCellOfPathsShowsInThePictureOfItsFill) {
    using kx::test::RGBA;
    struct Case {
        const char* what;
        const char* cell;  // a 10 x 10 cell, repeated every 10 units from the page's origin
        RGBA ink;
        std::vector<std::pair<int, int>> inked, clear;  // pixels of the picture, from its top-left
    };
    // The fill covers 100 300 100 50 at two pixels a point: pixel (x, y) is page (100 + x/2, 350 - y/2).
    const Case cases[] = {
        {"hatching: a stroked line across each cell", "0 0 1 RG 2 w 0 5 m 10 5 l S", {0, 0, 255, 255},
         {{10, 10}, {150, 30}, {190, 90}},  // page y 345, 335, 305: the lines
         {{10, 20}, {150, 40}, {190, 80}}},  // page y 340, 330, 310: between them
        {"dots: a square filled in each cell", "1 0 0 rg 3 3 4 4 re f", {255, 0, 0, 255},
         {{10, 10}, {30, 30}, {190, 90}},  // page (105, 345), (115, 335), (195, 305): the dots' centres
         {{0, 10}, {20, 10}, {10, 0}}},     // page (100, 345), (110, 345), (105, 350): the gaps
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kx::test::PDFBuilder pdf;
        const int pattern = pdf.addStream(
            "/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 /YStep 10 /Resources << >>", c.cell);
        pdf.addPage("/Pattern cs /P1 scn 100 300 100 50 re f",
                    "<< /Pattern << /P1 " + std::to_string(pattern) + " 0 R >> >>");
        kx::ScopedTemporaryRoot root;
        LogCapture capture;
        std::optional<kx::CapturedPicture> written;
        kx::ImageRef picture;
        capture.onPattern = [&](LogCapture& cap, const kx::Path& path, bool stroke, bool fill) {
            written = cap.writePatternPicture(path, stroke, fill, 2.0);
            if (written) picture = kx::toRGBA8(KXPictureStore::shared().read(written->path));
        };
        capturetest::convert(capture, pdf.build());
        ASSERT_TRUE(written);
        EXPECT_TRUE(near(written->displayRect, {100, 442, 100, 50})) << str(written->displayRect);
        ASSERT_TRUE(picture);
        ASSERT_EQ(picture->width, 200);
        ASSERT_EQ(picture->height, 100);
        for (const auto& [x, y] : c.inked) EXPECT_EQ(kx::test::pixelAt(*picture, x, y), c.ink) << x << ", " << y;
        for (const auto& [x, y] : c.clear) EXPECT_EQ(kx::test::pixelAt(*picture, x, y)[3], 0) << x << ", " << y;
    }
}

TEST(PageCapturePictures, APictureClosesTheTextAroundIt) {
    LogCapture capture;
    capture.onImage = [](LogCapture& cap) { cap.closeTextForPicture(); };
    capturetest::convert(capture, imagePage(shown(300, 300, 90, "u") + "q 10 0 0 10 50 60 cm /Im1 Do Q" +
                                            shown(100, 100, 30, "s") + "q 10 0 0 10 50 60 cm /Im1 Do Q" +
                                            shown(72, 700, 0, "x")));
    EXPECT_EQ(joined(capture.log), "page 1 612x792 last | box 270 u | close box | path 330 s | main x#0 | end page 1");
}
