// Floating text and outline headings through whole DOCX conversions, read back by LibreOffice: text
// turned by 90, 180 and 270 degrees, text rising at 30 degrees, mirrored text and free-text
// annotations stand where the source shows them in LibreOffice's picture of the package (which the
// schema checker accepts); nested bookmarks become the outline levels LibreOffice reads.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/EngineHarness.h"
#include "engine/KXDocuvane.h"
#include "exporters/ExporterTable.h"
#include "flowtext/FlowTextFixtures.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using flowtest::Show;

namespace {

const std::string kValidator = kx::test::sharedTool("ooxml-validate").value_or("");

bool haveTools() {
    return kx::test::haveCommand("soffice") && kx::test::haveCommand("pdftoppm") && kx::test::haveCommand("unzip");
}

std::string convert(const std::string& pdf, const std::string& name) {
    kx::installExporters();
    const std::string out = kx::pathJoin(kx::test::tempDir(), name + ".docx");
    kx::removeAll(out);
    const auto run =
        kx::test::runConversion(pdf, kx::test::everyPage(pdf), "docx", out, nullptr, std::chrono::seconds(120));
    EXPECT_TRUE(run.ended);
    EXPECT_TRUE(!run.delegate.reports.empty() && !run.error());
    return out;
}

void expectValid(const std::string& package) {
    if (kValidator.empty()) return;
    std::string report;
    EXPECT_EQ(kx::test::runCommand(kValidator + " '" + package + "'", &report), 0) << report;
}

// LibreOffice's conversion of the package to `format`, in a folder of its own.
std::string libreOffice(const std::string& package, const std::string& format) {
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "lo-" + kx::pathFileName(package));
    kx::createDirectories(folder);
    std::string log;
    EXPECT_EQ(kx::test::runCommand("cd '" + folder + "' && timeout 240 soffice --headless -env:UserInstallation=file://" +
                                       folder + "/profile --convert-to " + format + " '" + package + "'",
                                   &log),
              0)
        << log;
    std::string stem = kx::pathFileName(package);
    stem = stem.substr(0, stem.rfind('.'));
    return kx::pathJoin(folder, stem + "." + format);
}

// The first page of a PDF in grey at 40 dpi (pdftoppm's PGM).
struct GreyPage {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;

    static constexpr double kScale = 40.0 / 72.0;

    static GreyPage of(const std::string& pdf, const std::string& prefix) {
        GreyPage page;
        kx::test::runCommand("pdftoppm -r 40 -gray -f 1 -l 1 '" + pdf + "' '" + prefix + "'");
        std::ifstream in(prefix + "-1.pgm", std::ios::binary);
        std::string magic;
        int maxValue = 0;
        in >> magic >> page.width >> page.height >> maxValue;
        in.get();
        if (magic != "P5" || page.width <= 0 || page.height <= 0 || maxValue != 255) return {};
        page.pixels.resize(static_cast<size_t>(page.width) * static_cast<size_t>(page.height));
        in.read(reinterpret_cast<char*>(page.pixels.data()), static_cast<std::streamsize>(page.pixels.size()));
        return page;
    }

    // The dark pixels within a rectangle of the PDF page (points, y up, of a page 792 high): how
    // many, and their centre in points.
    struct Ink {
        int count = 0;
        kx::Point centre;
    };
    Ink inkIn(const kx::Rect& pdfRect) const {
        Ink ink;
        const int x0 = std::max(0, static_cast<int>(pdfRect.minX() * kScale));
        const int x1 = std::min(width, static_cast<int>(pdfRect.maxX() * kScale));
        const int y0 = std::max(0, static_cast<int>((792 - pdfRect.maxY()) * kScale));
        const int y1 = std::min(height, static_cast<int>((792 - pdfRect.minY()) * kScale));
        double sx = 0, sy = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] < 160) {
                    ++ink.count;
                    sx += x;
                    sy += y;
                }
        if (ink.count) ink.centre = {sx / ink.count / kScale, sy / ink.count / kScale};
        return ink;
    }
};

}  // namespace

TEST(DocxFloatingText, EachTextStandsAtItsPlaceInLibreOffice) {
    if (!haveTools()) GTEST_SKIP();
    // Each floating text alone in its part of the page, with room around it.
    struct Place {
        const char* what;
        kx::Rect area;  // PDF points, y up
    };
    const Place places[] = {
        {"reading down", {440, 520, 120, 200}},
        {"reading up", {60, 300, 120, 200}},
        {"upside down", {420, 60, 160, 80}},
        {"rising at 30 degrees", {180, 280, 220, 140}},
        {"mirrored", {300, 180, 180, 60}},
        {"free-text annotation", {260, 440, 160, 60}},
    };
    kx::test::PDFBuilder builder;
    const std::string resources = flowtest::addFixtureFonts(builder);
    std::vector<Show> shows = {{"F2", 18, 72, 740, 0, "Floating text on a page"}};
    for (int i = 0; i < 3; ++i) shows.push_back({"F1", 12, 530.0 - 16 * i, 700, -90, "Reading down the page"});
    for (int i = 0; i < 3; ++i) shows.push_back({"F1", 12, 90.0 + 16 * i, 320, 90, "Reading up the page"});
    shows.push_back({"F1", 14, 560, 110, 180, "Upside down words"});
    shows.push_back({"F1", 16, 200, 300, 30, "Rising at thirty degrees"});
    shows.push_back({nullptr, 0, 0, 0, 0, "BT /F1 16 Tf -1 0 0 1 460 200 Tm (Mirrored words) Tj ET", 0, true});
    const int annot = builder.add("<< /Type /Annot /Subtype /FreeText /Rect [270 450 410 490] /DA (/Helv 12 Tf 0 g) "
                                  "/Contents (A note on the page) >>");
    builder.addPage(flowtest::content(shows), resources, kx::format("/MediaBox [0 0 612 792] /Annots [%d 0 R]", annot));
    const std::string pdf = kx::test::writeTemp("floating-text.pdf", builder.build());

    const std::string package = convert(pdf, "floating-text");
    expectValid(package);
    const std::string back = libreOffice(package, "pdf");
    const GreyPage source = GreyPage::of(pdf, kx::pathJoin(kx::test::tempDir(), "floating-source"));
    const GreyPage shown = GreyPage::of(back, kx::pathJoin(kx::test::tempDir(), "floating-shown"));
    ASSERT_GT(source.width, 0);
    ASSERT_EQ(shown.width, source.width);
    ASSERT_EQ(shown.height, source.height);
    for (const Place& place : places) {
        SCOPED_TRACE(place.what);
        const GreyPage::Ink want = source.inkIn(place.area), got = shown.inkIn(place.area);
        ASSERT_GT(want.count, 20);
        // About as much ink, around the same middle.
        EXPECT_GT(got.count, want.count / 3);
        EXPECT_LT(std::hypot(got.centre.x - want.centre.x, got.centre.y - want.centre.y), 16)
            << "source (" << want.centre.x << ", " << want.centre.y << "), shown (" << got.centre.x << ", "
            << got.centre.y << ")";
    }
}

TEST(DocxFloatingText, NestedBookmarksAreTheOutlineLevelsLibreOfficeReads) {
    if (!haveTools()) GTEST_SKIP();
    kx::test::PDFBuilder builder;
    const std::string resources = flowtest::addFixtureFonts(builder);
    const int p1 = builder.addPage(flowtest::content({{"F2", 20, 72, 720, 0, "Introduction"},
                                                      {"F1", 11, 72, 690, 0, "Opening words of the document body."},
                                                      {"F2", 16, 72, 640, 0, "Background"},
                                                      {"F1", 11, 72, 615, 0, "What came before this work."},
                                                      {"F2", 13, 72, 570, 0, "Earlier Work"},
                                                      {"F1", 11, 72, 548, 0, "Older results that matter here."}}),
                                   resources);
    const int p2 = builder.addPage(flowtest::content({{"F2", 20, 72, 720, 0, "Results"},
                                                      {"F1", 11, 72, 690, 0, "The results of the work."}}),
                                   resources);
    const int root = builder.reserve(), intro = builder.reserve(), background = builder.reserve(),
              earlier = builder.reserve(), results = builder.reserve();
    builder.set(root, kx::format("<< /Type /Outlines /First %d 0 R /Last %d 0 R /Count 4 >>", intro, results));
    builder.set(intro, kx::format("<< /Title (Introduction) /Parent %d 0 R /Next %d 0 R /First %d 0 R /Last %d 0 R "
                                  "/Count 2 /Dest [%d 0 R /XYZ null null null] >>",
                                  root, results, background, background, p1));
    builder.set(background, kx::format("<< /Title (Background) /Parent %d 0 R /First %d 0 R /Last %d 0 R /Count 1 "
                                       "/Dest [%d 0 R /Fit] >>",
                                       intro, earlier, earlier, p1));
    builder.set(earlier, kx::format("<< /Title (Earlier Work) /Parent %d 0 R /Dest [%d 0 R /Fit] >>", background, p1));
    builder.set(results, kx::format("<< /Title (Results) /Parent %d 0 R /Prev %d 0 R /Dest [%d 0 R /Fit] >>", root,
                                    intro, p2));
    builder.setCatalogExtra(kx::format("/Outlines %d 0 R", root));
    const std::string pdf = kx::test::writeTemp("bookmarks.pdf", builder.build());

    const std::string package = convert(pdf, "bookmarks");
    expectValid(package);
    const std::string odt = libreOffice(package, "odt");
    std::string content;
    kx::test::runCommand("unzip -p '" + odt + "' content.xml", &content);
    std::map<std::string, std::string> levels;
    const std::regex heading("<text:h [^>]*text:outline-level=\"([0-9]+)\"[^>]*>([\\s\\S]*?)</text:h>");
    for (auto it = std::sregex_iterator(content.begin(), content.end(), heading); it != std::sregex_iterator(); ++it)
        levels[std::regex_replace((*it)[2].str(), std::regex("<[^>]*>"), "")] = (*it)[1];
    const std::map<std::string, std::string> expected = {
        {"Introduction", "1"}, {"Background", "2"}, {"Earlier Work", "3"}, {"Results", "1"}};
    EXPECT_EQ(levels, expected) << content.substr(0, 4000);
}

namespace {

// The middle of each word pdftotext finds on the first page of a PDF (points, y downward).
std::map<std::string, kx::Point> wordMiddles(const std::string& pdf) {
    std::string html;
    kx::test::runCommand("pdftotext -f 1 -l 1 -bbox '" + pdf + "' -", &html);
    std::map<std::string, kx::Point> middles;
    const std::regex word("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it)
        middles[(*it)[5]] = {(std::stod((*it)[1]) + std::stod((*it)[3])) / 2, (std::stod((*it)[2]) + std::stod((*it)[4])) / 2};
    return middles;
}

}  // namespace

TEST(DocxFloatingText, TheLinesOfTurnedTextStandWhereTheSourceShowsThem) {
    if (!haveTools() || !kx::test::haveCommand("pdftotext")) GTEST_SKIP();
    // Lines of turned text in the order a page may show them: reading up, one line after the other;
    // reading down, the line that comes second in reading shown first; and lines reading up whose
    // words are set apart by moving the text, by two blanks or by six.
    std::vector<Show> shows = {{"F2", 18, 72, 740, 0, "Turned lines on a page"},
                               {"F1", 11, 72, 712, 0, "Upright text of the page keeps the page upright as it is shown."},
                               {"F1", 11, 72, 698, 0, "The turned lines below stand each in its own part of the page."}};
    const char* up[] = {"Alpha first upward", "Bravo second upward", "Charlie third upward"};
    for (int i = 0; i < 3; ++i) shows.push_back({"F1", 12, 90.0 + 16 * i, 300, 90, up[i]});
    shows.push_back({"F1", 12, 300, 600, -90, "Delta left downward"});
    shows.push_back({"F1", 12, 316, 600, -90, "Echo right downward"});
    shows.push_back({nullptr, 0, 0, 0, 0, "BT /F1 12 Tf 0 1 -1 0 480 300 Tm [(Hotel) -1668 (India)] TJ ET", 0, true});
    shows.push_back({nullptr, 0, 0, 0, 0, "BT /F1 12 Tf 0 1 -1 0 510 300 Tm [(Juliet) -556 (Kilo)] TJ ET", 0, true});
    const std::string pdf = kx::test::writeTemp("turned-lines.pdf", flowtest::textDocument({shows}));

    const std::string package = convert(pdf, "turned-lines");
    expectValid(package);
    const std::map<std::string, kx::Point> want = wordMiddles(pdf), got = wordMiddles(libreOffice(package, "pdf"));
    for (const char* word : {"Alpha", "first", "Bravo", "second", "Charlie", "third", "Delta", "left", "Echo", "right", "Hotel", "India", "Juliet", "Kilo"}) {
        SCOPED_TRACE(word);
        ASSERT_TRUE(want.count(word));
        ASSERT_TRUE(got.count(word)) << "the word is shown";
        const kx::Point w = want.at(word), g = got.at(word);
        EXPECT_LT(std::hypot(g.x - w.x, g.y - w.y), 6)
            << "source (" << w.x << ", " << w.y << "), shown (" << g.x << ", " << g.y << ")";
    }
}
