// Whole conversions to .pptx through the command line: PDFs built here with the pages that test
// the slide's geometry (two columns, turned text, turned pages, a very large and a very small
// page, an offset crop box, sizes beyond what a slide's attributes hold) and PDFs of the shared corpus become packages the shared validator
// finds valid, which LibreOffice opens and turns back into a PDF holding the same text, page by
// page.

#include <gtest/gtest.h>

#include <regex>

#include "PresentationChecks.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

using kx::pathJoin;

using kx::test::checkPackage;
using kx::test::shellQuoted;
using kx::test::validator;

std::string program() { return pathJoin(kx::test::binDir(), "KXDocuvane"); }

// Converts the PDF to a presentation at `out` with the command line (run behind `prefix`, such as
// a memory limit); its exit status, and its output in `log`.
int convertToPresentation(const std::string& pdf, const std::string& out, std::string* log,
                          const std::string& prefix = {}) {
    return kx::test::runCommand(prefix + shellQuoted(program()) + " -i " + shellQuoted(pdf) + " -o " + shellQuoted(out) +
                                    " -f pptx",
                                log);
}

std::string shown(double x, double y, double degrees, const std::string& text) {
    const double r = degrees * M_PI / 180.0;
    return kx::format("BT /F1 12 Tf %.6f %.6f %.6f %.6f %.2f %.2f Tm (%s) Tj ET\n", std::cos(r), std::sin(r),
                      -std::sin(r), std::cos(r), x, y, text.c_str());
}

struct TestPage {
    std::string content;
    std::string extra;
    std::vector<std::string> words;  // what the slide must show
};

const std::vector<TestPage>& testPages() {
    static const std::vector<TestPage> pages = {
        {shown(72, 700, 0, "Leftcolumn first") + shown(72, 686, 0, "leftcolumn second") +
             shown(320, 700, 0, "Rightcolumn first") + shown(320, 686, 0, "rightcolumn second"),
         "/MediaBox [0 0 612 792]", {"Leftcolumn", "leftcolumn", "Rightcolumn", "rightcolumn"}},
        {shown(72, 700, 0, "Level") + shown(300, 600, -90, "Downward") + shown(500, 300, 90, "Upward"),
         "/MediaBox [0 0 612 792]", {"Level", "Downward", "Upward"}},
        {shown(72, 500, 0, "Quarterturned"), "/MediaBox [0 0 612 792] /Rotate 90", {"Quarterturned"}},
        {shown(72, 500, 0, "Threequarters"), "/MediaBox [0 0 612 792] /Rotate 270", {"Threequarters"}},
        {shown(100, 500, 0, "Widepage") + "0 0 1 rg 1800 100 100 100 re f\n", "/MediaBox [0 0 2000 1000]",
         {"Widepage"}},
        {"BT /F1 4 Tf 2 12 Td (Tiny) Tj ET\n", "/MediaBox [0 0 50 30]", {"Tiny"}},
        {shown(120, 300, 0, "Cropped"), "/MediaBox [0 0 612 792] /CropBox [100 200 400 500]", {"Cropped"}},
        // Sizes beyond what a slide's attributes hold: a letter 5000 points high (its size and its
        // line's spacing) and a line 2000 points wide.
        {shown(72, 700, 0, "Outsize") + "BT /F1 5000 Tf 0 -4000 Td (W) Tj ET\n2000 w 0 -1500 m 612 -1500 l S\n",
         "/MediaBox [0 0 612 792]", {"Outsize"}},
    };
    return pages;
}

std::string testPDF() {
    kx::test::PDFBuilder pdf;
    for (const TestPage& p : testPages())
        pdf.addPage(p.content, "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>", p.extra);
    return pdf.build();
}

}  // namespace

TEST(PresentationExport, GeneratedPagesBecomeSlides) {
    std::optional<std::string> validate = validator();
    KX_REQUIRE_CORPUS(validate);
    const std::string pdf = kx::test::writeTemp("slides.pdf", testPDF());
    const std::string out = pathJoin(kx::test::tempDir(), "slides.pptx");
    std::string log;
    ASSERT_EQ(convertToPresentation(pdf, out, &log), 0) << log;
    std::string text;
    checkPackage(out, *validate, &text);
    if (text.empty()) GTEST_SKIP() << "LibreOffice or pdftotext missing";
    // One slide per page, each with its own words.
    std::vector<std::string> slides;
    size_t start = 0;
    for (size_t ff = text.find('\f'); ff != std::string::npos; ff = text.find('\f', start)) {
        slides.push_back(text.substr(start, ff - start));
        start = ff + 1;
    }
    ASSERT_EQ(slides.size(), testPages().size()) << text;
    for (size_t i = 0; i < slides.size(); ++i)
        for (const std::string& word : testPages()[i].words)
            EXPECT_NE(slides[i].find(word), std::string::npos) << "slide " << i + 1 << " lacks " << word << ":\n" << slides[i];
}

TEST(PresentationExport, CorpusPDFsBecomeValidPackages) {
    std::optional<std::string> validate = validator();
    KX_REQUIRE_CORPUS(validate);
    std::vector<std::string> files;
    for (const char* name : {"roundtrip/shapes.pptx.pdf", "roundtrip/testPPT.pptx.pdf", "text/rotation.pdf",
                             "text/standard_fonts.pdf", "tables/eu-002.pdf"})
        if (std::optional<std::string> path = kx::test::corpusPath(name)) files.push_back(*path);
    KX_REQUIRE_CORPUS(!files.empty());
    for (const std::string& pdf : files) {
        const std::string out = pathJoin(kx::test::tempDir(), kx::pathFileName(pdf) + ".pptx");
        std::string log;
        ASSERT_EQ(convertToPresentation(pdf, out, &log), 0) << log;
        checkPackage(out, *validate, nullptr);
    }
}

namespace {

// The words of a PDF with their boxes (pdftotext -bbox): word -> (x, y) of the box's centre.
std::map<std::string, kx::Point> wordCentres(const std::string& pdf) {
    std::string html;
    std::map<std::string, kx::Point> out;
    if (kx::test::runCommand("pdftotext -bbox " + shellQuoted(pdf) + " -", &html) != 0) return out;
    static const std::regex word(
        R"re(<word xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">([^<]*)</word>)re");
    for (std::sregex_iterator it(html.begin(), html.end(), word), end; it != end; ++it) {
        const std::smatch& m = *it;
        out[m[5]] = {(std::stod(m[1]) + std::stod(m[3])) / 2, (std::stod(m[2]) + std::stod(m[4])) / 2};
    }
    return out;
}

// The grey levels of the PDF's first page drawn at 72 dpi (pdftoppm), row by row; empty when it
// cannot be drawn.
struct GreyPage {
    int width = 0, height = 0;
    std::string pixels;
    int at(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height ? static_cast<unsigned char>(pixels[y * width + x]) : 255;
    }
};

GreyPage drawnPage(const std::string& pdf) {
    GreyPage page;
    const std::string prefix = pathJoin(kx::test::tempDir(), "drawn");
    if (kx::test::runCommand("pdftoppm -r 72 -gray -singlefile -f 1 -l 1 " + shellQuoted(pdf) + " " +
                             shellQuoted(prefix)) != 0)
        return page;
    std::optional<std::string> file = kx::readFile(prefix + ".pgm");
    int maxValue = 0, consumed = 0;
    if (!file || std::sscanf(file->c_str(), "P5 %d %d %d%n", &page.width, &page.height, &maxValue, &consumed) != 3)
        return page;
    page.pixels = file->substr(static_cast<size_t>(consumed) + 1);
    if (page.pixels.size() < static_cast<size_t>(page.width) * static_cast<size_t>(page.height)) page = {};
    return page;
}

}  // namespace

// What LibreOffice draws of a slide stands where the page had it: every side of two squares
// stroked as one path (each square's outline closed, not only the last one's), lines of text
// turned a quarter at the page's edges (a turned box is turned about its centre; placed at its
// text's start without that, a long line would stand half its length off, partly beyond the slide),
// and a dot stroked with round caps, whose shape is as wide as the line and has no height.
TEST(PresentationExport, OutlinesAndTurnedTextStandWhereTheyWere) {
    std::optional<std::string> validate = validator();
    KX_REQUIRE_CORPUS(validate);
    if (!kx::test::haveLibreOfficeText() || !kx::test::haveCommand("pdftoppm")) GTEST_SKIP() << "no LibreOffice";
    kx::test::PDFBuilder builder;
    builder.addPage("4 w 0 G 100 500 100 100 re 300 500 100 100 re S\n" +
                        shown(30, 770, -90, "Downward alongside the left edge of the page") +
                        shown(580, 40, 90, "Upward alongside the right edge of the page") +
                        "6 w 1 J 500 300 m 500 300 l S\n",
                    "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
    const std::string pdf = kx::test::writeTemp("edges.pdf", builder.build());
    const std::string out = pathJoin(kx::test::tempDir(), "edges.pptx");
    std::string log;
    ASSERT_EQ(convertToPresentation(pdf, out, &log), 0) << log;
    std::string text;
    checkPackage(out, *validate, &text);
    const std::string roundTrip = pathJoin(kx::test::tempDir(), "lo-edges.pptx/edges.pdf");
    ASSERT_TRUE(kx::isRegularFile(roundTrip));

    // The middle of each side of both squares (display space: y from the top).
    const GreyPage page = drawnPage(roundTrip);
    ASSERT_GT(page.width, 0);
    const kx::Point sides[] = {{150, 192}, {200, 242}, {150, 292}, {100, 242},
                               {350, 192}, {400, 242}, {350, 292}, {300, 242}};
    for (const kx::Point& p : sides) {
        int darkest = 255;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                darkest = std::min(darkest, page.at(static_cast<int>(p.x) + dx, static_cast<int>(p.y) + dy));
        EXPECT_LT(darkest, 128) << "no side drawn at " << p.x << "," << p.y;
    }
    // The dot: its shape 6 points wide and 0 high, drawn as a disc of about the line's width at
    // (500, 492), nothing a few points beyond it.
    if (kx::test::haveCommand("unzip")) {
        std::string slide;
        ASSERT_EQ(kx::test::runCommand("unzip -p " + shellQuoted(out) + " ppt/slides/slide1.xml", &slide), 0);
        const std::regex shape(R"(<a:off x="6311900" y="6248400"/>\s*<a:ext cx="76200" cy="0"/>)");
        EXPECT_TRUE(std::regex_search(slide, shape)) << slide;
    }
    int dot = 255;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) dot = std::min(dot, page.at(500 + dx, 492 + dy));
    EXPECT_LT(dot, 128) << "the dot is not drawn";
    const int beyond[][2] = {{500, 484}, {500, 500}, {492, 492}, {508, 492}};
    for (const auto& [x, y] : beyond) EXPECT_GT(page.at(x, y), 200) << "ink beyond the dot at " << x << "," << y;

    const std::map<std::string, kx::Point> before = wordCentres(pdf), after = wordCentres(roundTrip);
    for (const char* w : {"Downward", "left", "page", "Upward", "right"}) {
        ASSERT_TRUE(before.count(w)) << w;
        ASSERT_TRUE(after.count(w)) << w << " is missing from the slide:\n" << text;
        EXPECT_NEAR(after.at(w).x, before.at(w).x, 12) << w;
        EXPECT_NEAR(after.at(w).y, before.at(w).y, 12) << w;
    }
}

// A page of two million small rectangles and one of a million short lines (each a few hundred
// kilobytes of PDF) make slides a presentation program opens: each slide's paths become one
// picture instead of a slide part of gigabytes, converted within a bounded memory, and the picture
// shows them.
TEST(PresentationExport, CrowdedPagesMakeSlidesThatOpen) {
    std::optional<std::string> validate = validator();
    KX_REQUIRE_CORPUS(validate);
    const int perRow = 1000;
    auto crowded = [&](const std::string& shape, int rows, double rowStep) {
        std::string row;
        for (int i = 0; i < perRow; ++i) row += "1 0 0 1 0.5 0 cm " + shape + "\n";
        row += kx::format("1 0 0 1 -500 %g cm\n", rowStep);
        std::string content = "0.2 w 1 0 0 1 10 100 cm\n";
        content.reserve(row.size() * rows + content.size());
        for (int r = 0; r < rows; ++r) content += row;
        return content;
    };
    kx::test::PDFBuilder builder;
    const std::string form = "/Type /XObject /Subtype /Form /BBox [0 0 612 792]";
    const int rectangles = builder.addFlateStream(form, crowded("0 0 0.4 0.2 re f", 2000, 0.15));
    const int lines = builder.addFlateStream(form, crowded("0 0 m 0.4 0.2 l S", 1000, 0.6));
    builder.addPage("/Fm1 Do", kx::format("<< /XObject << /Fm1 %d 0 R >> >>", rectangles));
    builder.addPage("/Fm1 Do", kx::format("<< /XObject << /Fm1 %d 0 R >> >>", lines));
    const std::string pdf = kx::test::writeTemp("crowded.pdf", builder.build());
    const std::string out = pathJoin(kx::test::tempDir(), "crowded.pptx");
    std::string limit;
#ifndef KX_TEST_UNDER_ASAN
    if (kx::test::haveCommand("prlimit")) limit = "prlimit --as=" + std::to_string(300 << 20) + " ";
#endif
    std::string log;
    ASSERT_EQ(convertToPresentation(pdf, out, &log, limit), 0) << log;
    std::string sizes;
    ASSERT_EQ(kx::test::runCommand("python3 -c 'import sys, zipfile; print(max(i.file_size for i in "
                                   "zipfile.ZipFile(sys.argv[1]).infolist()))' " +
                                       shellQuoted(out),
                                   &sizes),
              0)
        << sizes;
    EXPECT_LT(std::stoll(sizes), 50ll << 20) << "the largest part of the package";
    std::string text;
    checkPackage(out, *validate, &text);
    if (!kx::test::haveLibreOfficeText() || !kx::test::haveCommand("pdftoppm")) GTEST_SKIP() << "no LibreOffice";
    const GreyPage page = drawnPage(pathJoin(kx::test::tempDir(), "lo-crowded.pptx/crowded.pdf"));
    ASSERT_GT(page.width, 0);
    // The rectangles cover x 10 to 510 and y 100 to 400 of the page: grey there, white beside.
    EXPECT_LT(page.at(260, 792 - 250), 230);
    EXPECT_EQ(page.at(560, 792 - 250), 255);
}
