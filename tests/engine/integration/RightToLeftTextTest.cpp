// Arabic as writers of it put it in a PDF: shown in visual order (each glyph left of the one before
// it in reading order) with the glyphs of its presentation forms, in a font embedded by cairo. Every
// output format writes it in the order it is read, with the ordinary letters, each line and cell in
// its place. It came out reversed and unjoined: "مرحباً" as "ﺎًﺒﺣﺮﻣ".

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/EngineHarness.h"
#include "engine/integration/OutputText.h"
#include "exporters/ExporterTable.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "support/CairoFixtures.h"
#include "support/TestSupport.h"

namespace {

// The page: a line of two words, and a table of three rows whose right-hand cells are read first.
// Each string is given as it stands on the page, left to right, in presentation forms.
std::string arabicPage() {
    const std::string marhaban = "\uFE8E\u064B\uFE92\uFEA3\uFEAE\uFEE3";  // مرحباً
    const std::string bikum = "\uFEE2\uFEDC\uFE91";                       // بكم
    const std::string alism = "\uFEE2\uFEB3\uFEFB\uFE8D";                 // الاسم
    const std::string aladad = "\uFEA9\uFEAA\uFECC\uFEDF\uFE8D";          // العدد
    std::vector<kx::test::CairoText> texts = {{"DejaVu Sans", false, false, 14, 380, 100, bikum + " " + marhaban}};
    const std::string right[] = {alism, marhaban, bikum}, left[] = {aladad, "25", "25 " + bikum};
    for (int row = 0; row < 3; ++row) {
        texts.push_back({"DejaVu Sans", false, false, 14, 330, 180.0 + 24 * row, right[row]});
        texts.push_back({"DejaVu Sans", false, false, 14, 200, 180.0 + 24 * row, left[row]});
    }
    return kx::test::cairoTextPDF(texts);
}

bool holdsPresentationForm(const std::string& utf8) {
    for (char16_t u : kx::utf8ToUtf16(utf8))
        if ((u >= 0xFB50 && u <= 0xFDFF) || (u >= 0xFE70 && u <= 0xFEFF)) return true;
    return false;
}

}  // namespace

TEST(RightToLeftText, EveryFormatWritesItInReadingOrder) {
    if (!kx::test::haveCommand("unzip")) GTEST_SKIP() << "unzip is not installed";
    const std::string bytes = arabicPage();
    ASSERT_FALSE(bytes.empty());
    if (bytes.find("DejaVu") == std::string::npos) GTEST_SKIP() << "DejaVu Sans is not installed";
    const std::string pdf = kx::test::writeTemp("arabic.pdf", bytes);
    kx::installExporters();
    // Each phrase stands on a line (a paragraph, a cell or a line of text) of its own or beside the
    // cell next to it, its words in reading order.
    const std::vector<std::string> phrases = {"مرحباً بكم", "الاسم", "العدد", "مرحباً", "بكم 25"};
    for (const std::string type : {"txt", "html", "rtf", "docx", "xlsx", "pptx"}) {
        const std::string out = kx::pathJoin(kx::test::tempDir(), "arabic." + type);
        const auto run = kx::test::runConversion(pdf, kx::test::everyPage(pdf), type, out);
        ASSERT_TRUE(run.ended) << type;
        ASSERT_FALSE(run.error()) << type << ": " << run.error()->failureReason;
        const std::vector<std::string> lines = kx::test::linesOfOutput(type, out);
        std::string all;
        for (const std::string& line : lines) all += line + "\n";
        for (const std::string& phrase : phrases) {
            const bool found = std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
                return line == phrase || line.rfind(phrase + " ", 0) == 0 ||
                       (line.size() > phrase.size() && line.compare(line.size() - phrase.size() - 1, std::string::npos, " " + phrase) == 0);
            });
            EXPECT_TRUE(found) << type << ": no line reads " << phrase << " in\n" << all;
        }
        EXPECT_FALSE(holdsPresentationForm(all)) << type << ":\n" << all;
    }
}
