// Pictures through whole DOCX conversions of generated PDFs: a clipped JPEG, a soft-masked image
// and path, axial and radial shadings, a tiling pattern, images merged over a shading, 600
// overlapping images and a chart of more than 30 paths. Each package is valid and each picture in it has the pixels the fixture paints.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "docx/page/KXDocxPDFExporter.h"
#include "engine/EngineHarness.h"
#include "engine/KXDocuvane.h"
#include "engine/KXPDFOptions.h"
#include "exporters/ExporterTable.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/ImageDecoding.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"
#include "support/ImageFixtures.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"
#include "util/KXPictureStore.h"

namespace {

using kx::test::RGBA;

struct Package {
    std::string path;
    std::string document;
    std::vector<std::string> media;  // part names
};

Package convert(const std::string& pdf, const std::string& name, std::shared_ptr<const KXPDFOptions> options = nullptr) {
    kx::installExporters();
    Package p;
    p.path = kx::pathJoin(kx::test::tempDir(), name + ".docx");
    kx::removeAll(p.path);
    const auto run = kx::test::runConversion(pdf, {1}, "docx", p.path, std::move(options), std::chrono::seconds(120));
    EXPECT_TRUE(run.ended);
    EXPECT_FALSE(run.error()) << name;
    kx::test::runCommand("unzip -p '" + p.path + "' word/document.xml", &p.document);
    std::string listing;
    kx::test::runCommand("unzip -Z1 '" + p.path + "'", &listing);
    for (size_t at = 0, end; at < listing.size(); at = end + 1) {
        end = listing.find('\n', at);
        if (end == std::string::npos) end = listing.size();
        const std::string entry = listing.substr(at, end - at);
        if (entry.rfind("word/media/", 0) == 0) p.media.push_back(entry);
    }
    return p;
}

kx::ImageRef mediaPicture(const Package& p, const std::string& part) {
    std::string bytes;
    kx::test::runCommand("unzip -p '" + p.path + "' '" + part + "'", &bytes);
    return kx::toRGBA8(kx::readImageData(bytes));
}

void expectValid(const std::string& package) {
    std::optional<std::string> validator = kx::test::sharedTool("ooxml-validate");
    if (!validator || !kx::test::haveCommand("xmllint")) return;
    std::string report;
    EXPECT_EQ(kx::test::runCommand(*validator + " '" + package + "'", &report), 0) << report;
}

// The pixel at a fraction of the picture's width and height.
RGBA at(const kx::Image& image, double fx, double fy) {
    return kx::test::pixelAt(image, static_cast<int>(fx * (image.width - 1)), static_cast<int>(fy * (image.height - 1)));
}

bool near(const RGBA& a, const RGBA& b, int tolerance = 12) {
    for (size_t i = 0; i < 4; ++i)
        if (std::abs(a[i] - b[i]) > tolerance) return false;
    return true;
}

std::string rawImage(kx::test::PDFBuilder& b, int w, int h, std::array<std::uint8_t, 3> rgb) {
    std::string data;
    for (int i = 0; i < w * h; ++i) data.append(reinterpret_cast<const char*>(rgb.data()), 3);
    return std::to_string(b.addStream(kx::format("/Type /XObject /Subtype /Image /Width %d /Height %d "
                                                 "/ColorSpace /DeviceRGB /BitsPerComponent 8", w, h), data)) + " 0 R";
}

// A soft mask whose group paints a gray image, white on the left half of (100, 500, 200, 100) and
// black on the right half.
std::string halfMask(kx::test::PDFBuilder& b) {
    std::string gray;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) gray.push_back(x < 8 ? '\xff' : '\x00');
    const int image = b.addStream("/Type /XObject /Subtype /Image /Width 16 /Height 8 /ColorSpace /DeviceGray "
                                  "/BitsPerComponent 8 /Interpolate false", gray);
    const int group = b.addStream(kx::format("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Group << /S "
                                             "/Transparency /CS /DeviceGray >> /Resources << /XObject << /M %d 0 R >> >>",
                                             image),
                                  "q 200 0 0 100 100 500 cm /M Do Q");
    return kx::format("/ExtGState << /GS1 << /Type /ExtGState /SMask << /Type /Mask /S /Luminosity /G %d 0 R >> >> >>",
                      group);
}

// A soft mask whose group paints a gray image, white in its file's top half and black in the bottom
// half, over (100, 500, 200, 100) with `matrix`: mirrored top to bottom (the default), white shows on
// the lower half of the box. `extra` adds entries to the graphics state.
std::string topHalfMask(kx::test::PDFBuilder& b, const std::string& extra = "",
                        const std::string& matrix = "200 0 0 -100 100 600") {
    std::string gray;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) gray.push_back(y < 4 ? '\xff' : '\x00');
    const int image = b.addStream("/Type /XObject /Subtype /Image /Width 16 /Height 8 /ColorSpace /DeviceGray "
                                  "/BitsPerComponent 8 /Interpolate false", gray);
    const int group = b.addStream(kx::format("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Group << /S "
                                             "/Transparency /CS /DeviceGray >> /Resources << /XObject << /M %d 0 R >> >>",
                                             image),
                                  "q " + matrix + " cm /M Do Q");
    return kx::format("/ExtGState << /GS1 << /Type /ExtGState %s /SMask << /Type /Mask /S /Luminosity /G %d 0 R >> "
                      ">> >>",
                      extra.c_str(), group);
}

struct Case {
    const char* what;
    std::function<std::string(kx::test::PDFBuilder&)> resources;
    std::string content;
    size_t media;
    std::function<void(const Package&, const kx::Image&)> check;
};

}  // namespace

TEST(DocxPictures, GeneratedPagesBecomePicturesWithTheirPixels) {
    const RGBA red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255};
    const std::vector<Case> cases = {
        {"clipped-jpeg",
         [](kx::test::PDFBuilder& b) {
             // 40 x 20: red on the left half, blue on the right.
             std::vector<std::uint8_t> samples;
             for (int y = 0; y < 20; ++y)
                 for (int x = 0; x < 40; ++x) samples.insert(samples.end(), {std::uint8_t(x < 20 ? 255 : 0), 0,
                                                                             std::uint8_t(x < 20 ? 0 : 255)});
             const int jpeg = b.addStream("/Type /XObject /Subtype /Image /Width 40 /Height 20 /ColorSpace /DeviceRGB "
                                          "/BitsPerComponent 8 /Filter /DCTDecode",
                                          kx::test::encodeJPEG(samples, 40, 20, 3));
             return kx::format("<< /XObject << /Im1 %d 0 R >> >>", jpeg);
         },
         "q 100 500 100 100 re W n 200 0 0 100 100 500 cm /Im1 Do Q", 1,
         [&](const Package&, const kx::Image& m) {
             // Only the left half shows: the clip's box at 2 pixels a point.
             EXPECT_EQ(m.width, 200);
             EXPECT_EQ(m.height, 200);
             EXPECT_TRUE(near(at(m, 0.3, 0.5), red, 30));
             EXPECT_TRUE(near(at(m, 0.9, 0.5), red, 40)) << "no blue comes through the clip";
         }},
        {"soft-masked-image",
         [&](kx::test::PDFBuilder& b) {
             return "<< " + halfMask(b) + " /XObject << /Im2 " + rawImage(b, 4, 4, {0, 255, 0}) + " >> >>";
         },
         "/GS1 gs q 200 0 0 100 100 500 cm /Im2 Do Q", 1,
         [&](const Package&, const kx::Image& m) {
             EXPECT_TRUE(near(at(m, 0.2, 0.5), green)) << "where the mask is white";
             EXPECT_LT(at(m, 0.8, 0.5)[3], 10) << "where the mask is black";
         }},
        {"soft-masked-path", [&](kx::test::PDFBuilder& b) { return "<< " + halfMask(b) + " >>"; },
         "/GS1 gs 0 0 1 rg 100 500 200 100 re f", 1,
         [&](const Package& p, const kx::Image& m) {
             EXPECT_TRUE(near(at(m, 0.2, 0.5), blue));
             EXPECT_LT(at(m, 0.8, 0.5)[3], 10);
             EXPECT_EQ(p.document.find("fillcolor=\"#0000FF\""), std::string::npos) << "the path is in the picture";
         }},
        // The mask is drawn as its group painted it: mirrored, white below.
        {"soft-masked-path-mirrored-mask", [&](kx::test::PDFBuilder& b) { return "<< " + topHalfMask(b) + " >>"; },
         "/GS1 gs 0 0 1 rg 100 500 200 100 re f", 1,
         [&](const Package&, const kx::Image& m) {
             EXPECT_TRUE(near(at(m, 0.5, 0.8), blue)) << "where the mask is white";
             EXPECT_LT(at(m, 0.5, 0.2)[3], 10) << "where the mask is black";
         }},
        // The path's own alpha is in the picture: the picture is shown once, at full opacity.
        {"soft-masked-path-half-alpha",
         [&](kx::test::PDFBuilder& b) { return "<< " + topHalfMask(b, "/ca 0.5") + " >>"; },
         "/GS1 gs 0 0 1 rg 100 500 200 100 re f", 1,
         [&](const Package& p, const kx::Image& m) {
             EXPECT_NEAR(at(m, 0.5, 0.8)[3], 128, 12) << "the path at half alpha";
             EXPECT_EQ(p.document.find("opacity=\""), std::string::npos) << "and no second half on top";
         }},
        // An image painted mirrored under an upright mask: the picture stands as painted, the mask
        // over the top half, and is not mirrored again.
        {"soft-masked-mirrored-image",
         [&](kx::test::PDFBuilder& b) {
             return "<< " + topHalfMask(b, "", "200 0 0 100 100 500") + " /XObject << /Im2 " +
                    rawImage(b, 4, 4, {0, 255, 0}) + " >> >>";
         },
         "/GS1 gs q 200 0 0 -100 100 600 cm /Im2 Do Q", 1,
         [&](const Package& p, const kx::Image& m) {
             EXPECT_TRUE(near(at(m, 0.5, 0.2), green)) << "where the mask is white";
             EXPECT_LT(at(m, 0.5, 0.8)[3], 10) << "where the mask is black";
             EXPECT_EQ(p.document.find("flip:"), std::string::npos) << "the picture is shown as drawn";
         }},
        {"axial-shading",
         [](kx::test::PDFBuilder& b) {
             return kx::format("<< /Shading << /Sh1 %d 0 R >> >>",
                               b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [100 0 300 0] /Function << "
                                     "/FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>"));
         },
         "q 100 500 200 100 re W n /Sh1 sh Q", 1,
         [&](const Package&, const kx::Image& m) {
             EXPECT_EQ(m.width, 400);
             EXPECT_EQ(m.height, 200);
             EXPECT_TRUE(near(at(m, 0.0, 0.5), red, 20));
             EXPECT_TRUE(near(at(m, 1.0, 0.5), blue, 20));
             EXPECT_TRUE(near(at(m, 0.5, 0.5), RGBA{128, 0, 128, 255}, 20));
         }},
        {"radial-shading",
         [](kx::test::PDFBuilder& b) {
             return kx::format("<< /Shading << /Sh2 %d 0 R >> >>",
                               b.add("<< /ShadingType 3 /ColorSpace /DeviceRGB /Coords [200 300 0 200 300 100] "
                                     "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0 1 0] /N 1 >> >>"));
         },
         "q 100 200 200 200 re W n /Sh2 sh Q", 1,
         [&](const Package&, const kx::Image& m) {
             EXPECT_TRUE(near(at(m, 0.5, 0.5), RGBA{255, 255, 255, 255}, 20)) << "the centre";
             EXPECT_TRUE(near(at(m, 0.5, 0.99), green, 20)) << "the rim";
             EXPECT_EQ(at(m, 0.01, 0.01)[3], 0) << "beyond the circle nothing is painted";
         }},
        {"tiling-pattern",
         [](kx::test::PDFBuilder& b) {
             return kx::format("<< /Pattern << /P1 %d 0 R >> >>",
                               b.addStream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 20 20] /XStep 20 "
                                           "/YStep 20 /Resources << >>",
                                           "1 0 0 rg 0 0 10 10 re f 0 0 1 rg 10 10 10 10 re f"));
         },
         "/Pattern cs /P1 scn 100 500 200 100 re f", 1,
         [&](const Package&, const kx::Image& m) {
             // Tiles of 40 pixels: red at the bottom left of each, blue at the top right.
             EXPECT_EQ(m.width, 400);
             EXPECT_TRUE(near(kx::test::pixelAt(m, 10, m.height - 10), red));
             EXPECT_TRUE(near(kx::test::pixelAt(m, 30, m.height - 30), blue));
             EXPECT_EQ(kx::test::pixelAt(m, 30, m.height - 10)[3], 0);
         }},
        {"600-images",
         [](kx::test::PDFBuilder& b) { return "<< /XObject << /Im " + rawImage(b, 4, 4, {0, 0, 255}) + " >> >>"; },
         [] {
             std::string s;
             for (int i = 0; i < 600; ++i)
                 s += kx::format("q 30 0 0 30 %d %d cm /Im Do Q\n", 50 + (i % 30) * 15, 100 + (i / 30) * 15);
             return s;
         }(),
         1,
         [&](const Package& p, const kx::Image& m) {
             EXPECT_EQ(p.document.find("v:imagedata", p.document.find("v:imagedata") + 1), std::string::npos)
                 << "one picture";
             // The images' area: 465 x 315 points at 2 pixels a point.
             EXPECT_NEAR(m.width, 930, 2);
             EXPECT_NEAR(m.height, 630, 2);
             EXPECT_TRUE(near(at(m, 0.5, 0.5), blue));
             EXPECT_TRUE(near(at(m, 0.01, 0.01), blue));
         }},
        {"bar-chart",
         [](kx::test::PDFBuilder&) { return std::string("<< >>"); },
         [] {
             std::string s = "0 0.5 0 rg\n";
             for (int i = 0; i < 40; ++i) s += kx::format("%d 100 8 %d re f\n", 100 + i * 10, 20 + (i * 7) % 60);
             return s;
         }(),
         1,
         [&](const Package& p, const kx::Image& m) {
             EXPECT_EQ(p.document.find("<v:shapetype id=\"Shape"), std::string::npos) << "the bars are one picture";
             // 398 x 79 points at 2 pixels a point; the first bar's foot, and the gap after it.
             EXPECT_NEAR(m.width, 796, 2);
             EXPECT_TRUE(near(kx::test::pixelAt(m, 8, m.height - 4), RGBA{0, 128, 0, 255}));
             EXPECT_EQ(kx::test::pixelAt(m, 18, m.height - 4)[3], 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kx::test::PDFBuilder builder;
        const std::string resources = c.resources(builder);
        builder.addPage(c.content, resources);
        const std::string pdf = kx::test::writeTemp(std::string(c.what) + ".pdf", builder.build());
        const Package p = convert(pdf, std::string("pictures-") + c.what);
        expectValid(p.path);
        ASSERT_EQ(p.media.size(), c.media) << p.document;
        EXPECT_EQ(kx::pathExtension(p.media.front()), kx::asciiLower(kx::pathExtension(p.media.front())));
        EXPECT_NE(p.document.find("v:imagedata"), std::string::npos);
        kx::ImageRef picture = mediaPicture(p, p.media.front());
        ASSERT_TRUE(picture);
        c.check(p, *picture);
    }
}

// Overlapping images of three colours and a shading under them: the package holds the one merged
// picture, with each image's colour where it stands, and no picture of the page is left held in
// memory once the conversion is over.
TEST(DocxPictures, OverlappingImagesBecomeTheOnePictureTheyAreMergedInto) {
    kx::test::PDFBuilder builder;
    const int shading = builder.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [100 500 250 500] "
                                    "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 1 0] /C1 [1 1 0] /N 1 >> >>");
    const std::string resources = kx::format("<< /XObject << /R %s /G %s /B %s >> /Shading << /Sh %d 0 R >> >>",
                                             rawImage(builder, 4, 4, {255, 0, 0}).c_str(),
                                             rawImage(builder, 4, 4, {0, 255, 0}).c_str(),
                                             rawImage(builder, 4, 4, {0, 0, 255}).c_str(), shading);
    builder.addPage("q 100 480 150 90 re W n /Sh sh Q\n"
                    "q 50 0 0 50 100 500 cm /R Do Q q 50 0 0 50 130 500 cm /G Do Q q 50 0 0 50 160 500 cm /B Do Q",
                    resources);
    const Package p = convert(kx::test::writeTemp("overlapping-images.pdf", builder.build()), "pictures-overlapping");
    expectValid(p.path);
    ASSERT_EQ(p.media.size(), 1u) << p.document;
    EXPECT_NE(p.media.front().find("Images_Merged"), std::string::npos) << p.media.front();
    kx::ImageRef m = mediaPicture(p, p.media.front());
    ASSERT_TRUE(m);
    // The group spans (100, 480)-(250, 570): 150 x 90 points.
    const double w = m->width / 150.0, h = m->height / 90.0;
    const RGBA red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, yellow{255, 255, 0, 255};
    const auto pixel = [&](double x, double y) {
        return kx::test::pixelAt(*m, static_cast<int>((x - 100) * w), static_cast<int>((570 - y) * h));
    };
    EXPECT_TRUE(near(pixel(110, 525), red));
    EXPECT_TRUE(near(pixel(140, 525), green)) << "painted over red";
    EXPECT_TRUE(near(pixel(200, 525), blue));
    EXPECT_TRUE(near(pixel(240, 490), yellow)) << "the shading under the images";
    EXPECT_EQ(KXPictureStore::shared().heldCount(), 0u);
}

TEST(DocxPictures, PicturesOfNoSizeAreSkipped) {
    kx::test::PDFBuilder builder;
    const std::string resources = "<< /XObject << /Im " + rawImage(builder, 4, 4, {255, 0, 0}) + " >> >>";
    // Less than a pixel wide, of no height, and squeezed to nothing: none shows.
    builder.addPage("q 0.2 0 0 50 100 100 cm /Im Do Q q 50 0 0 0 100 300 cm /Im Do Q q 0 0 0 0 100 500 cm /Im Do Q\n"
                    "q 0 0 0 0 0 0 cm /Im Do Q",
                    resources);
    const Package p = convert(kx::test::writeTemp("no-size.pdf", builder.build()), "pictures-no-size");
    expectValid(p.path);
    EXPECT_TRUE(p.media.empty());
    EXPECT_EQ(p.document.find("v:imagedata"), std::string::npos);
}

// A page of 60 shadings, each filling the page under its own clip, would take far more pixels at
// the job's resolution than a page may spend on pictures: once the page's budget is used, the
// rest are drawn softer, so that the pictures drawn for the page stay within it. Kept apart, the
// shadings are 60 pictures; merged (they all intersect), they are one.
TEST(DocxPictures, ManyLargeShadingsStayWithinThePagesPixelBudget) {
    constexpr int kShadings = 60;
    kx::test::PDFBuilder builder;
    std::string shadings, content;
    for (int i = 0; i < kShadings; ++i) {
        // Axial and radial in turn, each of its own colours.
        const double c = i / double(kShadings);
        const std::string function =
            kx::format("/Function << /FunctionType 2 /Domain [0 1] /C0 [%.3f 0 1] /C1 [0 %.3f 0] /N 1 >>", c, 1 - c);
        const int object = builder.add(
            i % 2 ? "<< /ShadingType 3 /ColorSpace /DeviceRGB /Coords [306 396 0 306 396 500] " + function + " >>"
                  : "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 612 792] " + function + " >>");
        shadings += kx::format("/Sh%d %d 0 R ", i, object);
        content += kx::format("q %d %d %d %d re W n /Sh%d sh Q\n", i % 3, i % 5, 612 - i % 3, 792 - i % 5, i);
    }
    builder.addPage(content, "<< /Shading << " + shadings + ">> >>");
    const std::string pdf = kx::test::writeTemp("many-shadings.pdf", builder.build());

    // At 2 pixels a point the shadings would take 60 x 1.9 million pixels; drawn softer they take
    // the budget and, beyond it, at least a quarter pixel a point (30,000 pixels each).
    const double page = 612.0 * 792.0, least = KXDocxPDFExporter::kMinPictureScale * KXDocxPDFExporter::kMinPictureScale;
    const double budget = KXDocxPDFExporter::kMaxPagePicturePixels + kShadings * page * least * 1.05;
    ASSERT_GT(kShadings * page * 4, 1.5 * budget) << "the page must be over its budget";
    struct MergeCase {
        bool merge;
        size_t media;
    } cases[] = {{false, size_t(kShadings)}, {true, 1}};
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.merge ? "merged" : "apart");
        auto options = std::make_shared<KXPDFOptions>();
        options->wordOptions().setEnableMergeIntersectImages(c.merge);
        const Package p = convert(pdf, c.merge ? "pictures-many-shadings-merged" : "pictures-many-shadings", options);
        expectValid(p.path);
        ASSERT_EQ(p.media.size(), c.media);
        double pixels = 0, fewest = 1e300;
        for (const std::string& part : p.media) {
            kx::ImageRef picture = mediaPicture(p, part);
            ASSERT_TRUE(picture) << part;
            const double count = double(picture->width) * picture->height;
            pixels += count;
            fewest = std::min(fewest, count);
        }
        EXPECT_LE(pixels, budget);
        EXPECT_GE(fewest, page * least * 0.95) << "no picture is drawn at less than the least scale";
    }
}
