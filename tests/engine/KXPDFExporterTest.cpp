// The exporter base: its defaults and the shared rasterising operations (page capture, the
// rectangle transform, temporary bitmaps).

#include <gtest/gtest.h>

#include "engine/KXPDFExporter.h"
#include "platform/FileSystem.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using namespace kx;
using kx::test::PDFBuilder;

namespace {

std::shared_ptr<PDFDocument> onePage(const std::string& content, const std::string& extra) {
    PDFBuilder b;
    b.addPage(content, "<< >>", extra);
    return PDFDocument::openFromMemory(b.build());
}

// The colour of a pixel of an RGB capture, 0 (black) to 255 (white) as a gray level.
int grayAt(const Image& img, int x, int y) {
    const std::uint8_t* p = img.row(y) + static_cast<size_t>(x) * 3;
    return (p[0] + p[1] + p[2]) / 3;
}

}  // namespace

TEST(KXPDFExporter, BaseDoesNothingAndConvertsNoPage) {
    KXPDFExporter e;
    EXPECT_FALSE(e.moreOptions());
    EXPECT_EQ(e.pageIndex(), 0u);
    EXPECT_EQ(e.numberOfPagesToConvert(), 0u);
    EXPECT_FALSE(e.isShouldCancel());
    EXPECT_EQ(e.delegate(), nullptr);
    auto doc = onePage("", "/MediaBox [0 0 100 100]");
    auto page = doc->page(1);
    ASSERT_TRUE(page);
    e.begainConvertPDF("x", doc);
    EXPECT_FALSE(e.convertPDFPage(*page));
    e.endConvertPDF(doc);

    e.setPageIndex(4);
    e.setDestDocType("png");
    auto copy = e.copy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->pageIndex(), 0u);
    EXPECT_EQ(copy->destDocType(), "");
}

TEST(KXPDFExporter, CGAffineTransformFromRectMapsCornerToCorner) {
    AffineTransform t = KXPDFExporter::CGAffineTransformFromRect({10, 10, 100, 50}, {0, 0, 200, 100});
    EXPECT_EQ(t.apply(Point{10, 10}), (Point{0, 0}));
    EXPECT_EQ(t.apply(Point{110, 60}), (Point{200, 100}));
    AffineTransform shifted = KXPDFExporter::CGAffineTransformFromRect({0, 0, 1, 1}, {5, 7, 2, 3});
    EXPECT_EQ(shifted.apply(Point{1, 1}), (Point{7, 10}));
}

// Pixel size: the crop box turned by the page's rotation, at the resolution, truncated.
TEST(KXPDFExporter, CapturePDFPageSizes) {
    struct Case {
        const char* name;
        std::string extra;
        Size dpi;
        int width, height;
    } cases[] = {
        {"letter at 144 dpi", "/MediaBox [0 0 612 792]", {144, 144}, 1224, 1584},
        {"turned a quarter", "/MediaBox [0 0 612 792] /Rotate 90", {144, 144}, 1584, 1224},
        {"turned three quarters", "/MediaBox [0 0 612 792] /Rotate -90", {144, 144}, 1584, 1224},
        {"upside down", "/MediaBox [0 0 612 792] /Rotate 180", {144, 144}, 1224, 1584},
        {"fractional width truncates", "/MediaBox [0 0 100.9 50]", {72, 72}, 100, 50},
        {"crop box counts", "/MediaBox [0 0 612 792] /CropBox [100 100 300 250]", {72, 72}, 200, 150},
        {"resolution per axis", "/MediaBox [0 0 72 72]", {100, 200}, 100, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = onePage("", c.extra);
        ImageRef img = KXPDFExporter::CapturePDFPage(*doc->page(1), c.dpi);
        ASSERT_TRUE(img);
        EXPECT_EQ(img->width, c.width);
        EXPECT_EQ(img->height, c.height);
        EXPECT_EQ(img->format, PixelFormat::RGB8);
        EXPECT_EQ(grayAt(*img, 0, 0), 255) << "white background";
    }
}

// A black square in the page's top-left corner lands where a viewer shows it.
TEST(KXPDFExporter, CapturePDFPageDrawsThePageAsShown) {
    const std::string square = "0 0 0 rg 0 692 100 100 re f";  // top-left of a 612 x 792 page
    struct Case {
        const char* name;
        std::string extra;
        Point black, white;  // fractions of the image's width and height, from the top-left
    } cases[] = {
        {"upright", "/MediaBox [0 0 612 792]", {0.05, 0.05}, {0.95, 0.95}},
        {"turned a quarter clockwise", "/MediaBox [0 0 612 792] /Rotate 90", {0.95, 0.05}, {0.05, 0.05}},
        {"upside down", "/MediaBox [0 0 612 792] /Rotate 180", {0.95, 0.95}, {0.05, 0.05}},
        {"turned three quarters", "/MediaBox [0 0 612 792] /Rotate 270", {0.05, 0.95}, {0.05, 0.05}},
        {"crop box at the square", "/MediaBox [0 0 612 792] /CropBox [0 592 200 792]", {0.25, 0.25}, {0.75, 0.75}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = onePage(square, c.extra);
        ImageRef img = KXPDFExporter::CapturePDFPage(*doc->page(1), {72, 72});
        ASSERT_TRUE(img);
        auto at = [&](Point f) {
            return grayAt(*img, static_cast<int>(f.x * img->width), static_cast<int>(f.y * img->height));
        };
        EXPECT_EQ(at(c.black), 0);
        EXPECT_EQ(at(c.white), 255);
    }
}

// Anti-aliasing: the edge of a shape that ends between pixels is drawn in gray.
TEST(KXPDFExporter, CapturePDFPageIsAntiAliased) {
    auto doc = onePage("0 0 0 rg 0 0 10.5 10 re f", "/MediaBox [0 0 20 10]");
    ImageRef img = KXPDFExporter::CapturePDFPage(*doc->page(1), {72, 72});
    ASSERT_TRUE(img);
    EXPECT_EQ(grayAt(*img, 9, 5), 0);
    int edge = grayAt(*img, 10, 5);
    EXPECT_GT(edge, 60);
    EXPECT_LT(edge, 195);
    EXPECT_EQ(grayAt(*img, 11, 5), 255);
}

// Bitmaps beyond the size budget, or of no size at all, are refused with the context message.
TEST(KXPDFExporter, CapturePDFPageRefusesBitmapsOutsideTheBudget) {
    struct Case {
        const char* name;
        std::string extra;
        Size dpi;
    } cases[] = {
        {"a side above 32767 pixels", "/MediaBox [0 0 14400 100]", {164, 72}},
        {"too many pixels", "/MediaBox [0 0 14400 14400]", {144, 144}},
        {"less than a pixel", "/MediaBox [0 0 0.5 100]", {72, 72}},
        {"no media box", "/MediaBox [0 0 0 0]", {72, 72}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = onePage("", c.extra);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(KXPDFExporter::CapturePDFPage(*doc->page(1), c.dpi));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Context not created!\n");
    }
}

TEST(KXPDFExporter, SaveTempCGImageWritesAPNGInTheTemporaryRoot) {
    ScopedTemporaryRoot root;
    auto img = Image::make(5, 4, PixelFormat::RGBA8);
    std::optional<std::string> path = KXPDFExporter::SaveTempCGImage(img);
    ASSERT_TRUE(path);
    EXPECT_EQ(pathDirectory(*path), root.path());
    EXPECT_EQ(pathFileName(*path).rfind("IMG_SaveCGImage_", 0), 0u);
    EXPECT_EQ(pathExtension(*path), "PNG");
    EXPECT_EQ(readFile(*path).value_or("").substr(1, 3), "PNG");
    EXPECT_NE(*KXPDFExporter::SaveTempCGImage(img), *path);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(KXPDFExporter::SaveTempCGImage(nullptr));
    testing::internal::GetCapturedStderr();
}
