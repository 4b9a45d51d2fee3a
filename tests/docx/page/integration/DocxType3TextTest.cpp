// A statement page set in a Type 3 font whose matrix mirrors its glyphs (and whose text matrices
// mirror them back) through a whole DOCX conversion and LibreOffice's reading of the package: the
// page stays one page, and every line keeps its words apart and stays one line. Also where the
// font's glyph space draws an em as a tenth of a text space unit (and the font size is ten times
// the size the glyphs stand at): the text was set at ten times its size with letters pulled
// together, LibreOffice ran the words into each other and the page became several.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "docx/page/Type3Fixtures.h"
#include "engine/EngineHarness.h"
#include "exporters/ExporterTable.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

// The words of a text, blanks and line ends folded.
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

}  // namespace

TEST(DocxType3Text, AStatementPageInAMirroredType3FontStaysOnePageWithItsWords) {
    if (!kx::test::haveCommand("soffice") || !kx::test::haveCommand("pdfinfo") || !kx::test::haveCommand("pdftotext"))
        GTEST_SKIP() << "LibreOffice and the poppler tools are needed";
    // A page of 46 lines, each nearly as wide as the text area, every other one set apart by
    // blank glyphs, the others by moving the text.
    const std::vector<std::string> sentences = {
        "For customers who qualify for benefits the account fees are waived each month of",
        "Your statement shows every payment and deposit made during the period listed above",
        "Account messages appear here when there is something you should know about it now",
    };
    std::vector<kx::test::Type3Line> lines;
    for (int i = 0; i < 46; ++i) lines.push_back({sentences[i % sentences.size()], i % 2 == 0});
    struct Case {
        const char* name;
        kx::test::Type3GlyphSpace space;
    };
    const Case cases[] = {
        {"type3-statement", {}},
        {"type3-statement-em-of-10-units", {0.01, 10}},
    };
    kx::installExporters();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string pdf =
            kx::test::writeTemp(std::string(c.name) + ".pdf", kx::test::type3StatementPDF(lines, 14.5, c.space));
        const std::string folder = kx::pathJoin(kx::test::tempDir(), c.name);
        kx::removeAll(folder);
        kx::createDirectories(folder);
        const std::string docx = kx::pathJoin(folder, std::string(c.name) + ".docx");
        const auto run = kx::test::runConversion(pdf, {1}, "docx", docx, nullptr, std::chrono::seconds(120));
        ASSERT_TRUE(run.ended);
        ASSERT_FALSE(run.error());

        std::string log;
        ASSERT_EQ(kx::test::runCommand("cd '" + folder + "' && timeout 240 soffice --headless " +
                                           "-env:UserInstallation=file://" + folder + "/profile --convert-to pdf '" +
                                           docx + "'",
                                       &log),
                  0)
            << log;
        const std::string back = kx::pathJoin(folder, std::string(c.name) + ".pdf");
        std::string info;
        kx::test::runCommand("pdfinfo '" + back + "'", &info);
        std::smatch m;
        ASSERT_TRUE(std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)"))) << info;
        EXPECT_EQ(m[1], "1");

        // The words read back are the source's, each apart; the lines fit as they did on the page,
        // so there are as many of them.
        std::string text;
        kx::test::runCommand("pdftotext -layout '" + back + "' -", &text);
        size_t lineCount = 0;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            if (!words(line).empty()) ++lineCount;
        EXPECT_EQ(lineCount, lines.size()) << text;
        std::string source;
        for (const auto& line : lines) source += line.text + "\n";
        EXPECT_EQ(words(text), words(source)) << text;
    }
}
