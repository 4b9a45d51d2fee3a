// The page geometry: the rotation, the boxes as shown, the transform into the shown page and the
// unturned crop box the page's picture is drawn from; and that it gives, to the bit, what the
// exporters worked out page by page before they shared it.

#include <gtest/gtest.h>

#include "pdf/KXPDFUtilities.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "pdf/page/KXPDFPageGeometry.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"

using namespace kx;
using kx::test::PDFBuilder;

namespace {

std::optional<PDFPage> pageWith(const std::string& extra, std::shared_ptr<PDFDocument>& doc) {
    PDFBuilder b;
    b.addPage("", "<< >>", extra);
    doc = PDFDocument::openFromMemory(b.build());
    if (!doc) return std::nullopt;
    return doc->page(1);
}

}  // namespace

TEST(KXPDFPageGeometry, RotationBoxesAndTransformOfAPage) {
    struct Case {
        const char* what;
        const char* extra;
        std::int64_t angle;
        Rect media, crop, pdfCrop;
        Point shownTopLeft;  // the PDF point that lands on the shown page's top-left corner
    } cases[] = {
        {"upright", "/MediaBox [0 0 612 792]", 0, Rect(0, 0, 612, 792), Rect(0, 0, 612, 792), Rect(0, 0, 612, 792),
         {0, 792}},
        {"a quarter turn with a crop box", "/MediaBox [0 0 612 792] /CropBox [10 20 310 420] /Rotate 90", 90,
         Rect(0, 0, 792, 612), Rect(20, 10, 400, 300), Rect(10, 20, 300, 400), {0, 0}},
        {"a negative turn", "/MediaBox [0 0 612 792] /Rotate -90", 270, Rect(0, 0, 792, 612), Rect(0, 0, 792, 612),
         Rect(0, 0, 612, 792), {612, 792}},
        {"a half turn", "/MediaBox [0 0 612 792] /Rotate 180", 180, Rect(0, 0, 612, 792), Rect(0, 0, 612, 792),
         Rect(0, 0, 612, 792), {612, 0}},
        {"a turn that is not a quarter turn", "/MediaBox [0 0 612 792] /Rotate 100", 90, Rect(0, 0, 792, 612),
         Rect(0, 0, 792, 612), Rect(0, 0, 612, 792), {0, 0}},
        {"no usable media box", "/MediaBox [0 0 0 0] /Rotate 90", 90, Rect(0, 0, 842, 595), Rect(0, 0, 842, 595),
         Rect::null(), {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::shared_ptr<PDFDocument> doc;
        auto page = pageWith(c.extra, doc);
        ASSERT_TRUE(page);
        const KXPDFPageGeometry g = KXPDFPageGeometry::ofPage(*page);
        EXPECT_EQ(g.rotationAngle, c.angle);
        EXPECT_EQ(g.mediaBox, c.media);
        EXPECT_EQ(g.cropBox, c.crop);
        EXPECT_EQ(g.pdfCropBox, c.pdfCrop);
        const Point p = g.pageTransform.apply(c.shownTopLeft);
        EXPECT_NEAR(p.x, 0, 1e-9);
        EXPECT_NEAR(p.y, 0, 1e-9);
        // The quarter turn is exact, and turns the crop box into one of the shown size.
        for (double v : {g.rotation().a, g.rotation().b, g.rotation().c, g.rotation().d})
            EXPECT_TRUE(v == 0 || v == 1 || v == -1) << v;
        if (!c.pdfCrop.isNull()) {
            EXPECT_EQ(g.rotation().apply(c.pdfCrop).size, c.crop.size);
        }

        // What the text exporters and the page-image exporter computed for themselves.
        EXPECT_EQ(g.mediaBox, KXPDFUtilities::MediaBoxOfPDFPage(*page));
        EXPECT_EQ(g.cropBox, KXPDFUtilities::CropBoxOfPDFPage(*page));
        EXPECT_EQ(g.pageTransform, KXPageRotationTransform(page->rotationAngle() % 360, g.mediaBox.size.width,
                                                           g.mediaBox.size.height));
        EXPECT_EQ(g.pdfCropBox, page->boxRect(PDFBox::CropBox));
    }
}

TEST(KXPDFPageGeometry, AGivenTurnReplacesThePagesOwn) {
    std::shared_ptr<PDFDocument> doc;
    auto page = pageWith("/MediaBox [0 0 612 792] /CropBox [10 20 310 420] /Rotate 90", doc);
    ASSERT_TRUE(page);
    struct Case {
        std::int64_t given, angle;
        Rect media, crop;
    } cases[] = {
        {0, 0, Rect(0, 0, 612, 792), Rect(10, 20, 300, 400)},
        {-90, 270, Rect(0, 0, 792, 612), Rect(20, 10, 400, 300)},
        {540, 180, Rect(0, 0, 612, 792), Rect(10, 20, 300, 400)},
    };
    for (const Case& c : cases) {
        const KXPDFPageGeometry g = KXPDFPageGeometry::ofPage(*page, c.given);
        EXPECT_EQ(g.rotationAngle, c.angle) << c.given;
        EXPECT_EQ(g.mediaBox, c.media) << c.given;
        EXPECT_EQ(g.cropBox, c.crop) << c.given;
        EXPECT_EQ(g.pageTransform, pageTransformForBox(c.angle, c.media.size.width, c.media.size.height)) << c.given;
        EXPECT_EQ(g.pdfCropBox, Rect(10, 20, 300, 400)) << c.given << ": the unturned box stays";
    }
}
