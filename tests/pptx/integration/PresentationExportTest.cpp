// Whole conversions to .pptx through the command line: PDFs built here with the pages that test
// the slide's geometry (two columns, turned text, turned pages, a very large and a very small
// page, an offset crop box) and PDFs of the shared corpus become packages the shared validator
// finds valid, which LibreOffice opens and turns back into a PDF holding the same text, page by
// page.

#include <gtest/gtest.h>

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
    ASSERT_EQ(kx::test::runCommand(shellQuoted(program()) + " -i " + shellQuoted(pdf) + " -o " + shellQuoted(out) +
                                       " -f pptx",
                                   &log),
              0)
        << log;
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
        ASSERT_EQ(kx::test::runCommand(shellQuoted(program()) + " -i " + shellQuoted(pdf) + " -o " + shellQuoted(out) +
                                           " -f pptx",
                                       &log),
                  0)
            << log;
        checkPackage(out, *validate, nullptr);
    }
}
