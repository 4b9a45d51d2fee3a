// The DOCX exporter's display space: the crop box as shown, moved to the origin, and held to a size
// Word can show.

#include <gtest/gtest.h>

#include "docx/page/KXDocxPDFExporter.h"

namespace {

KXPDFPageGeometry shownCrop(kx::Rect crop, std::int64_t rotation = 0) {
    KXPDFPageGeometry g;
    g.rotationAngle = rotation;
    g.pdfCropBox = crop;
    g.cropBox = (rotation == 90 || rotation == 270) ? kx::Rect(crop.origin.y, crop.origin.x, crop.size.height, crop.size.width)
                                                     : crop;
    g.mediaBox = g.cropBox;
    g.pageTransform = pageTransformForBox(rotation, g.mediaBox.size.width, g.mediaBox.size.height);
    return g;
}

}  // namespace

TEST(KXDocxPDFExporter, PagesAreHeldToASizeWordCanShow) {
    struct Case {
        const char* what;
        kx::Rect crop;
        kx::Size shown;
    };
    const Case cases[] = {
        {"1600 by 800 is scaled down to 1583 wide", {0, 0, 1600, 800}, {1583, 800 * 1583.0 / 1600}},
        {"5 by 400 is scaled up to 7 wide", {0, 0, 5, 400}, {7, 560}},
        {"600 by 800 stays", {0, 0, 600, 800}, {600, 800}},
        {"a page of no width stays (nothing to scale by)", {0, 0, 0, 400}, {0, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXPDFPageGeometry g = KXDocxPDFExporter::docxPageGeometry(shownCrop(c.crop));
        EXPECT_NEAR(g.cropBox.size.width, c.shown.width, 1e-6);
        EXPECT_NEAR(g.cropBox.size.height, c.shown.height, 1e-6);
        // The crop box's top-left corner is the origin of display space, its bottom-right corner
        // the far corner of the page as shown.
        kx::Point topLeft = g.pageTransform.apply(kx::Point{c.crop.origin.x, c.crop.maxY()});
        kx::Point bottomRight = g.pageTransform.apply(kx::Point{c.crop.maxX(), c.crop.origin.y});
        EXPECT_NEAR(topLeft.x, 0, 1e-6);
        EXPECT_NEAR(topLeft.y, 0, 1e-6);
        EXPECT_NEAR(bottomRight.x, c.shown.width, 1e-6);
        EXPECT_NEAR(bottomRight.y, c.shown.height, 1e-6);
    }
}

TEST(KXDocxPDFExporter, DisplaySpaceStartsAtTheCropBox) {
    // A crop box inside the media box, and one reaching left of the page's origin.
    for (kx::Rect crop : {kx::Rect(50, 100, 400, 500), kx::Rect(-10, 20, 300, 400)}) {
        KXPDFPageGeometry g = KXDocxPDFExporter::docxPageGeometry(shownCrop(crop));
        EXPECT_GE(g.cropBox.origin.x, 0);
        EXPECT_GE(g.cropBox.origin.y, 0);
        kx::Point topLeft = g.pageTransform.apply(kx::Point{crop.origin.x, crop.maxY()});
        EXPECT_NEAR(topLeft.x, 0, 1e-6);
        EXPECT_NEAR(topLeft.y, 0, 1e-6);
    }
    // Turned a quarter: the crop box's top-right corner in PDF space is the top-left one shown.
    KXPDFPageGeometry turned = KXDocxPDFExporter::docxPageGeometry(shownCrop(kx::Rect(0, 0, 600, 800), 90));
    EXPECT_NEAR(turned.cropBox.size.width, 800, 1e-6);
    kx::Point corner = turned.pageTransform.apply(kx::Point{0, 0});
    EXPECT_NEAR(corner.x, 0, 1e-6);
    EXPECT_NEAR(corner.y, 0, 1e-6);
}
