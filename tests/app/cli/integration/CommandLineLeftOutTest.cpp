// The KXDocuvane program on a page past a bound against crafted input: what the bound leaves out
// is never a silent success. The page stays in the output, standard error names the page and what
// it lost, and the run ends with status 3 as for a page that could not be converted.

#include <gtest/gtest.h>

#include <string>

#include "CommandLineHarness.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using namespace kx;
using namespace kx::test;

namespace {

// A DOCX page takes at most this many images; the ones painted after them are left out.
constexpr int kImagesAPageHolds = 20000;

// `count` paintings of one small grey image, each over a square of two points of its own, row
// after row up the page; with `turnedText`, lines of text turned a quarter turn, which make the
// DOCX exporter read the page a second time turned upright.
std::string pageOfImages(int count, bool turnedText) {
    std::string content;
    content.reserve(static_cast<size_t>(count) * 40);
    for (int i = 0; i < count; ++i)
        content += format("q 2 0 0 2 %d %d cm /Im1 Do Q\n", 6 + i % 150 * 4, 6 + i / 150 * 4);
    if (turnedText)
        for (int line = 0; line < 6; ++line)
            content += format("BT /F1 12 Tf 0 1 -1 0 %d 100 Tm (A line of turned text) Tj ET\n", 300 + line * 20);
    return content;
}

std::string documentOf(const std::vector<std::string>& pages) {
    PDFBuilder b;
    const int image = b.addStream("/Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceGray "
                                  "/BitsPerComponent 8",
                                  std::string("\x40\x80\xC0\xF0", 4));
    const int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (const std::string& content : pages)
        b.addPage(content, format("<< /XObject << /Im1 %d 0 R >> /Font << /F1 %d 0 R >> >>", image, font));
    return b.build();
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// A DOCX page of five images more than a page holds: converted with the others left out, and said.
// The output is written (also when that page is the only one: it is no "No page could be
// converted"), standard error names the page and what it lost, and the status is 3. A page read
// twice (its text turned) says what its final reading lost, not what both readings did.
TEST(CommandLineLeftOut, APagePastABoundIsNamedWithWhatItLost) {
    const std::string ordinary = "BT /F1 12 Tf 72 700 Td (An ordinary page) Tj ET\n";
    struct Case {
        const char* name;
        std::vector<std::string> pages;
        const char* pageLine;  // the start of the page's line on standard error
        const char* endLine;
    } cases[] = {
        {"the only page", {pageOfImages(kImagesAPageHolds + 5, false)},
         "Conversion Page Incomplete: \"Left out of page 1: 5 images ",
         "Conversion end Failed: \"1 of 1 pages could not be converted in full.\""},
        {"the second of three, read twice", {ordinary, pageOfImages(kImagesAPageHolds + 5, true), ordinary},
         "Conversion Page Incomplete: \"Left out of page 2: 5 images ",
         "Conversion end Failed: \"1 of 3 pages could not be converted in full.\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = writeTemp("left-out.pdf", documentOf(c.pages));
        const std::string out = pathJoin(freshFolder("left-out"), "out.docx");
        const Outcome r = runSplit("-i " + shellQuoted(input) + " -o " + shellQuoted(out) + " -f docx");
        EXPECT_EQ(r.status, 3) << r.errors;
        EXPECT_TRUE(contains(r.errors, c.pageLine)) << r.errors;
        EXPECT_TRUE(contains(r.errors, c.endLine)) << r.errors;
        EXPECT_FALSE(contains(r.errors, "Conversion Page Failed")) << r.errors;
        EXPECT_FALSE(contains(r.output, "Conversion end Success")) << r.output;
        EXPECT_TRUE(isRegularFile(out)) << r.errors;
    }
}
