// The DOCX exporter and painted images: each case paints a little on a page and reads the image
// runs the exporter puts on it, before the page's own clean-up runs: where a picture stands and how
// it is turned or mirrored, and a soft mask that takes its picture only from what the mask's group
// painted. (A page that paints more images than it holds: KXDocxPDFExporterBoundsTest.cpp.)

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "docx/page/ExporterProbe.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "engine/KXPDFOptions.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

using ImageProbe = kx::test::ExporterProbe;

// An image run as the exporter made it.
struct ImageSeen {
    kx::Rect box;
    float rotation = 0;
    bool flipX = false, flipY = false;
    bool ofTheMask = false;
    std::string file;
};

struct Read {
    std::vector<ImageSeen> images;
    size_t paths = 0;  // path runs not of a mask's group
};

std::string rawImage(kx::test::PDFBuilder& b, std::array<std::uint8_t, 3> rgb) {
    std::string data;
    for (int i = 0; i < 16; ++i) data.append(reinterpret_cast<const char*>(rgb.data()), 3);
    return std::to_string(b.addStream("/Type /XObject /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceRGB "
                                      "/BitsPerComponent 8",
                                      data)) +
           " 0 R";
}

// Resources with a red image /Im, a blue image /Im2 and a graphics state /GS1 whose soft mask's
// group paints only a white rectangle over the page: a mask with no picture of its own.
std::string resources(kx::test::PDFBuilder& b) {
    const int group = b.addStream(
        "/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Group << /S /Transparency "
        "/CS /DeviceGray >>",
        "1 g 0 0 612 792 re f");
    return kx::format(
        "<< /XObject << /Im %s /Im2 %s >> /ExtGState << /GS1 << /Type /ExtGState /SMask << /Type "
        "/Mask /S /Luminosity /G %d 0 R >> >> >> >>",
        rawImage(b, {255, 0, 0}).c_str(), rawImage(b, {0, 0, 255}).c_str(), group);
}

Read readPage(const std::string& content) {
    kx::test::PDFBuilder builder;
    const std::string res = resources(builder);
    builder.addPage(content, res);
    kx::ScopedTemporaryRoot root;
    std::shared_ptr<kx::PDFDocument> document = kx::PDFDocument::openFromMemory(builder.build());
    EXPECT_TRUE(document);
    if (!document) return {};
    ImageProbe exporter;
    exporter.begin(document, "images");
    Read read;
    if (KXDocxPage* page = exporter.read(*document->page(1))) {
        for (const auto& run : page->allRunImageArray()) {
            const KXDocxImageInfo& i = run->pictInfo();
            read.images.push_back(
                {i.displayFrame(), i.rotation, i.flipX, i.flipY, run->isExtGStateSMask(), run->imagePath()});
        }
        for (const auto& run : page->allRunPathArray()) read.paths += run->isExtGStateSMask() ? 0 : 1;
    }
    exporter.finish(document);
    return read;
}

void expectBox(const kx::Rect& seen, const kx::Rect& expected, double tolerance = 0.01) {
    EXPECT_NEAR(seen.origin.x, expected.origin.x, tolerance);
    EXPECT_NEAR(seen.origin.y, expected.origin.y, tolerance);
    EXPECT_NEAR(seen.size.width, expected.size.width, tolerance);
    EXPECT_NEAR(seen.size.height, expected.size.height, tolerance);
}

}  // namespace

TEST(KXDocxPDFExporterImages, AnImageStandsTurnedAndMirroredAsPainted) {
    struct Case {
        const char* what;
        std::string matrix;
        kx::Rect box;  // the unturned box around the centre, y down from the page's top (792)
        float rotation;
        bool flipY;
    };
    const Case cases[] = {
        {"upright", "200 0 0 100 50 60", {50, 632, 200, 100}, 0, false},
        {"mirrored top to bottom", "200 0 0 -100 50 160", {50, 632, 200, 100}, 0, true},
        // Corners at (300, 60), (300, 160), (100, 160), (100, 60): centre (200, 110).
        {"a quarter turn counter-clockwise", "0 100 -200 0 300 60", {150, 582, 100, 200}, 270, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Read read = readPage("q " + c.matrix + " cm /Im Do Q");
        ASSERT_EQ(read.images.size(), 1u);
        const ImageSeen& image = read.images.front();
        expectBox(image.box, c.box);
        EXPECT_NEAR(image.rotation, c.rotation, 0.01);
        EXPECT_FALSE(image.flipX);
        EXPECT_EQ(image.flipY, c.flipY);
    }
}

// A mask whose group paints no picture has none to give: the page's last picture is content that
// stays as painted, and what is painted under the mask is shown as it is.
TEST(KXDocxPDFExporterImages, ASoftMaskTakesNoPictureItsGroupDidNotPaint) {
    const std::string first = "q 200 0 0 100 100 500 cm /Im Do Q ";
    const Read underImage = readPage(first + "/GS1 gs q 200 0 0 100 100 300 cm /Im2 Do Q");
    ASSERT_EQ(underImage.images.size(), 2u) << "the first picture stays on the page";
    expectBox(underImage.images[0].box, {100, 192, 200, 100});
    expectBox(underImage.images[1].box, {100, 392, 200, 100});
    EXPECT_NE(underImage.images[0].file, underImage.images[1].file);
    EXPECT_EQ(underImage.images[1].file.find("ImageSmaskImage"), std::string::npos)
        << "the second is not seen through the first";

    const Read underPath = readPage(first + "/GS1 gs 0 0 1 rg 150 520 100 60 re f");
    ASSERT_EQ(underPath.images.size(), 1u);
    expectBox(underPath.images[0].box, {100, 192, 200, 100});
    EXPECT_EQ(underPath.images[0].file.find("PathSmaskImage"), std::string::npos)
        << "the picture is not replaced by the path drawn through it";
    EXPECT_EQ(underPath.paths, 1u) << "the path is shown as painted";
}

// A clip that cuts the picture, by however little, has it drawn again as its visible part; a clip
// that leaves it whole leaves its file as decoded.
TEST(KXDocxPDFExporterImages, APictureIsDrawnAgainWhenItsClipCutsIt) {
    struct Case {
        const char* what;
        std::string clip;
        bool drawnAgain;
        kx::Rect box;
    };
    const Case cases[] = {
        {"half a point off each side", "100.5 500.5 199 99 re W n", true, {100.5, 192.5, 199, 99}},
        {"a clip around the whole picture", "90 490 220 120 re W n", false, {100, 192, 200, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Read read = readPage("q " + c.clip + " 200 0 0 100 100 500 cm /Im Do Q");
        ASSERT_EQ(read.images.size(), 1u);
        EXPECT_EQ(read.images[0].file.find("-Clip") != std::string::npos, c.drawnAgain) << read.images[0].file;
        // The visible part is measured on the drawn picture's pixel grid.
        expectBox(read.images[0].box, c.box, 0.5);
    }
}
