// Painted paths through whole DOCX conversions: rules, boxes, curves, dashed and coloured strokes
// become VML shapes at their places; lines under and through text and boxes behind it become its
// underline, strike-through and highlight; a white page background is not kept; colours of every
// colour space arrive in RGB; paths under a soft mask stay; each shape follows its own type;
// and LibreOffice shows the result like the source.

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "engine/EngineHarness.h"
#include "engine/KXDocuvane.h"
#include "exporters/ExporterTable.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/pdf/PDFDocument.h"
#include "support/ICCFixtures.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

const std::string kCourier = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Courier >> >> >>";

// A page of shapes on a white background: a rule, a stroked and a filled box, a curve, a dashed
// and a thick coloured stroke.
std::string shapesContent() {
    return "1 1 1 rg 0 0 612 792 re f\n"
           "0 0 0 RG 1 w 72 700 m 540 700 l S\n"
           "0 0 1 RG 2 w 72 560 200 100 re S\n"
           "0 1 0 rg 320 560 200 100 re f\n"
           "1 0 0 RG 1.5 w 150 400 m 150 455 195 500 250 500 c 305 500 350 455 350 400 c S\n"
           "[6 3] 0 d 0 0 0 RG 1 w 72 300 m 540 300 l S [] 0 d\n"
           "1 0 1 RG 4 w 72 250 m 540 250 l S\n";
}

// Courier 12 (7.2 points a character): an underlined, a struck and a highlighted line of text.
std::string decoratedTextContent() {
    return "1 1 1 rg 0 0 612 792 re f\n"
           "0 g BT /F1 12 Tf 72 700 Td (Underlined words) Tj ET\n"
           "0 G 0.6 w 72 699.5 m 187.2 699.5 l S\n"
           "BT /F1 12 Tf 72 650 Td (Struck words here) Tj ET\n"
           "0.6 w 72 653.5 m 194.4 653.5 l S\n"
           "1 1 0 rg 71.5 596 116.2 16 re f\n"
           "0 g BT /F1 12 Tf 72 600 Td (Highlighted text) Tj ET\n";
}

std::string writeFixture(const std::string& name, const std::vector<std::pair<std::string, std::string>>& pages,
                         kx::test::PDFBuilder builder = {}) {
    for (const auto& [content, resources] : pages) builder.addPage(content, resources);
    return kx::test::writeTemp(name, builder.build());
}

struct Conversion {
    std::optional<KXError> error;
    std::string path;
    std::string document;  // word/document.xml
};

Conversion convert(const std::string& pdf, const std::string& name) {
    kx::installExporters();
    const std::string out = kx::pathJoin(kx::test::tempDir(), name + ".docx");
    kx::removeAll(out);
    const auto run =
        kx::test::runConversion(pdf, kx::test::everyPage(pdf), "docx", out, nullptr, std::chrono::seconds(120));
    EXPECT_TRUE(run.ended);
    Conversion c;
    c.path = out;
    c.error = run.error();
    kx::test::runCommand("unzip -p '" + out + "' word/document.xml", &c.document);
    return c;
}

void expectValid(const std::string& package) {
    std::optional<std::string> validator = kx::test::sharedTool("ooxml-validate");
    if (!validator || !kx::test::haveCommand("xmllint")) return;
    std::string report;
    EXPECT_EQ(kx::test::runCommand(*validator + " '" + package + "'", &report), 0) << report;
}

std::vector<std::string> all(const std::string& text, const std::string& pattern) {
    std::vector<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.push_back(it->size() > 1 ? (*it)[1].str() : it->str());
    return found;
}

// The w:r element that shows the text.
std::string runHolding(const std::string& xml, const std::string& text) {
    const size_t at = xml.find(text);
    if (at == std::string::npos) return {};
    const size_t begin = xml.rfind("<w:r>", at), end = xml.find("</w:r>", at);
    return begin == std::string::npos || end == std::string::npos ? std::string() : xml.substr(begin, end - begin);
}

// The VML shape of which the style starts at that place.
bool hasShapeAt(const std::string& xml, double left, double top) {
    return xml.find(kx::format("margin-left:%0.2fpt;margin-top:%0.2fpt;", left, top)) != std::string::npos;
}

}  // namespace

TEST(DocxVectorContent, ShapesAreVMLShapesAtTheirPlaces) {
    const Conversion c = convert(writeFixture("vector-shapes.pdf", {{shapesContent(), "<< >>"}}), "vector-shapes");
    ASSERT_FALSE(c.error) << c.error->failureReason;
    expectValid(c.path);
    const std::string& xml = c.document;
    EXPECT_EQ(all(xml, "<v:shape ").size(), 6u) << "rule, two boxes, curve, dashed and thick strokes";
    // The rule from (72, 92) to (540, 92) in display space, 1 point wide.
    EXPECT_TRUE(hasShapeAt(xml, 71, 90.5)) << xml;
    EXPECT_NE(xml.find("path=\"m1440,1840l10800,1840e\""), std::string::npos);
    // The stroked box (72, 132, 200, 100) and the filled one (320, 132, 200, 100).
    EXPECT_TRUE(hasShapeAt(xml, 71, 131));
    EXPECT_NE(xml.find("filled=\"t\" fillcolor=\"#00FF00\""), std::string::npos);
    EXPECT_NE(xml.find("strokeweight=\"2.00pt\" strokecolor=\"#0000FF\""), std::string::npos);
    // The curve keeps its curves (in the shape and its type); the dash is a dash; the thick stroke
    // has its colour and width.
    EXPECT_EQ(all(xml, "path=\"m3000,7840c[0-9,]+c[0-9,]+e\"").size(), 2u);
    EXPECT_NE(xml.find("dashstyle=\"longDash\""), std::string::npos);
    EXPECT_NE(xml.find("strokeweight=\"4.00pt\" strokecolor=\"#FF00FF\""), std::string::npos);
    // The white background is the page's, not a shape.
    EXPECT_EQ(xml.find("fillcolor=\"#FFFFFF\""), std::string::npos);
}

TEST(DocxVectorContent, LinesAndBoxesAroundTextBecomeItsRunProperties) {
    const Conversion c =
        convert(writeFixture("decorated-text.pdf", {{decoratedTextContent(), kCourier}}), "decorated-text");
    ASSERT_FALSE(c.error) << c.error->failureReason;
    expectValid(c.path);
    const std::string& xml = c.document;
    EXPECT_EQ(all(xml, "<v:shape ").size(), 0u) << "the lines and the box are taken into the text";
    // Each property belongs to the run of its words.
    EXPECT_NE(runHolding(xml, "Underlined").find("<w:u w:val=\"single\""), std::string::npos);
    EXPECT_NE(runHolding(xml, "Struck").find("<w:strike w:val=\"true\"/>"), std::string::npos);
    EXPECT_NE(runHolding(xml, "Highlighted").find("<w:highlight w:val=\"yellow\"/>"), std::string::npos);
    EXPECT_EQ(runHolding(xml, "Highlighted").find("<w:u "), std::string::npos) << "each only where its path was";
    EXPECT_EQ(runHolding(xml, "Struck").find("<w:u "), std::string::npos);
    EXPECT_EQ(runHolding(xml, "Underlined").find("<w:strike"), std::string::npos);
}

TEST(DocxVectorContent, ColoursOfEveryColourSpaceArriveInRGB) {
    kx::test::PDFBuilder b;
    const int icc = b.addStream("/N 3", kx::test::iccRGBProfile(2.2));
    const std::string resources = kx::format(
        "<< /ColorSpace << /ICC [/ICCBased %d 0 R] /Lab [/Lab << /WhitePoint [0.9505 1 1.089] /Range [-128 127 -128 127] >>]"
        " /Spot [/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 1 1 0] /N 1 >>] >> >>",
        icc);
    const std::string content = "2 w 0 1 1 0 K 72 700 m 540 700 l S\n"
                                "/ICC CS 1 0 0 SC 72 650 m 540 650 l S\n"
                                "/Lab CS 53.2 80.1 67.2 SC 72 600 m 540 600 l S\n"
                                "/Spot CS 1 SC 72 550 m 540 550 l S\n"
                                "/Spot cs 1 sc 72 400 200 50 re f\n";
    const Conversion c = convert(writeFixture("colour-spaces.pdf", {{content, resources}}, b), "colour-spaces");
    ASSERT_FALSE(c.error) << c.error->failureReason;
    const std::vector<std::string> colours = all(c.document, "(?:strokecolor|fillcolor)=\"#([0-9A-F]{6})\"");
    ASSERT_EQ(colours.size(), 5u) << c.document;
    for (const std::string& hex : colours) {
        SCOPED_TRACE(hex);
        const int r = std::stoi(hex.substr(0, 2), nullptr, 16), g = std::stoi(hex.substr(2, 2), nullptr, 16),
                  bl = std::stoi(hex.substr(4, 2), nullptr, 16);
        EXPECT_GT(r, 180) << "red, not black";
        EXPECT_LT(g, 90);
        EXPECT_LT(bl, 90);
    }
}

TEST(DocxVectorContent, PathsUnderASoftMaskAreKept) {
    kx::test::PDFBuilder b;
    const int group = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Group << /S /Transparency >>",
                                  "0.5 g 0 0 612 792 re f");
    const std::string resources = kx::format(
        "<< /ExtGState << /Luminous << /SMask << /S /Luminosity /G %d 0 R >> >>"
        " /Unusable << /SMask << /G %d 0 R >> >> >> >>",
        group, group);
    const std::string content = "q /Luminous gs 0 0 1 rg 100 600 80 50 re f Q\n"
                                "q /Unusable gs 1 0 0 rg 300 600 80 50 re f Q\n";
    const Conversion c = convert(writeFixture("soft-masked-paths.pdf", {{content, resources}}, b), "soft-masked-paths");
    ASSERT_FALSE(c.error) << c.error->failureReason;
    expectValid(c.path);
    EXPECT_TRUE(hasShapeAt(c.document, 99, 141)) << c.document;
    EXPECT_TRUE(hasShapeAt(c.document, 299, 141));
    EXPECT_EQ(all(c.document, "<v:shape ").size(), 2u) << "the mask's own painting is not on the page";
}

TEST(DocxVectorContent, EachShapeFollowsItsOwnType) {
    const Conversion c = convert(
        writeFixture("vector-pages.pdf", {{shapesContent(), "<< >>"}, {shapesContent(), "<< >>"}, {shapesContent(), "<< >>"}}),
        "vector-pages");
    ASSERT_FALSE(c.error) << c.error->failureReason;
    expectValid(c.path);
    // Every page numbers its shapes after their reading positions; each shape refers to the type
    // written just before it and repeats its coordinate space and path.
    const std::regex pair("<v:shapetype id=\"([^\"]+)\" (coordorigin=\"[^\"]+\" coordsize=\"[^\"]+\") o:spt=\"12\" "
                          "(path=\"[^\"]+\")><v:stroke joinstyle=\"miter\"/></v:shapetype>(<v:shape [^>]+>)");
    size_t shapes = 0;
    for (auto it = std::sregex_iterator(c.document.begin(), c.document.end(), pair); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        ++shapes;
        EXPECT_EQ(m[4].str().find("<v:shape id=\"WS_" + m[1].str() + "\" type=\"" + m[1].str() + "\" " + m[2].str() +
                                  " " + m[3].str()),
                  0u)
            << m[0];
    }
    EXPECT_EQ(shapes, 18u);
}

// The shapes page and the decorated text through LibreOffice: the round trip has as many pages as
// the source, and its page images look like the source's (SSIM of 40 dpi grey images, as the shared
// fidelity tool scores them).
TEST(DocxVectorContent, LibreOfficeShowsTheRoundTripLikeTheSource) {
    const std::optional<std::string> fidelity = kx::test::sharedTool("fidelity/docx_fidelity.py");
    if (!fidelity || !kx::test::haveCommand("soffice") || !kx::test::haveCommand("pdftoppm"))
        GTEST_SKIP() << "LibreOffice, pdftoppm or the fidelity tool is missing";
    struct Fixture {
        const char* name;
        std::string content, resources;
        double minimumSimilarity;
    };
    const std::vector<Fixture> fixtures = {
        {"vector-shapes", shapesContent(), "<< >>", 0.97},  // 0.92 with no shape at all
        {"decorated-text", decoratedTextContent(), kCourier, 0.98},
    };
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "vector-roundtrip");
    kx::createDirectories(folder);
    for (const Fixture& f : fixtures) {
        kx::test::PDFBuilder b;
        b.addPage(f.content, f.resources);
        ASSERT_TRUE(kx::writeFile(kx::pathJoin(folder, std::string(f.name) + ".pdf"), b.build()));
    }
    const std::string program = kx::pathJoin(kx::test::binDir(), "KXDocuvane");
    std::string table;
    ASSERT_EQ(kx::test::runCommand("/usr/bin/python3 '" + *fidelity + "' -j 2 '" + program +
                                       " -i {in} -o {out} -f docx' '" + folder + "'",
                                   &table),
              0)
        << table;
    // file, seconds, src_pages, rt_pages, opens, valid, text_f1, order, visual, pages
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        const std::smatch row = [&] {
            std::smatch m;
            std::regex_search(table, m,
                              std::regex(std::string("\n") + f.name +
                                         "\\.pdf\\t[^\\t]+\\t([0-9]+)\\t([0-9]+)\\t(\\w+)\\t(\\w+)\\t[^\\t]+\\t[^\\t]+\\t([0-9.]+)\\t"));
            return m;
        }();
        ASSERT_FALSE(row.empty()) << table;
        EXPECT_EQ(row[4].str(), "True") << "LibreOffice opens it";
        EXPECT_EQ(row[1].str(), row[2].str()) << "pages of the source and of the round trip";
        EXPECT_GE(std::stod(row[5].str()), f.minimumSimilarity) << table;
    }
}
