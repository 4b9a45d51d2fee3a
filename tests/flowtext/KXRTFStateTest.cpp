// The RTF character state: control words only where the formatting changes, and the font and
// colour tables.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "flowtext/KXRTFFileWriter.h"
#include "flowtext/KXRTFState.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

struct Run {
    const char* font;
    double halfPoints;
    bool bold, italic;
    int underline;
    double r, g, b;
};

KXRTFFontEntry fontOf(const Run& run) {
    KXRTFFontEntry f(run.font, run.halfPoints);
    f.bold = run.bold;
    f.italic = run.italic;
    f.underline = run.underline;
    return f;
}

// What each run writes before its text, one string per run.
std::vector<std::string> controlWords(KXRTFState& state, const std::vector<Run>& runs) {
    static int n = 0;
    std::string path = kx::pathJoin(kx::test::tempDir(), "rtfstate" + std::to_string(++n) + ".rtf");
    auto writer = KXRTFFileWriter::initWithPath(path);
    for (const Run& run : runs) {
        state.writeFontAttributesIfNeed(fontOf(run), *writer);
        state.writeForegroundColorAttributesIfNeed(KXRTFColorEntry(run.r, run.g, run.b, 1.0), *writer);
        writer->write("|");
    }
    writer->closeFile();
    std::string all = kx::readFile(path).value_or("");
    std::vector<std::string> pieces;
    size_t start = 0, bar;
    while ((bar = all.find('|', start)) != std::string::npos) {
        pieces.push_back(all.substr(start, bar - start));
        start = bar + 1;
    }
    return pieces;
}

}  // namespace

TEST(KXRTFState, RunsWriteOnlyWhatChanges) {
    KXRTFState state;
    std::vector<std::string> words = controlWords(state, {
        {"Helvetica", 24, false, false, 0, 0, 0, 0},  // first run: everything
        {"Helvetica", 24, false, false, 0, 0, 0, 0},  // identical: nothing
        {"Helvetica", 24, false, true, 0, 0, 0, 0},   // italic on
        {"Helvetica", 20, false, true, 0, 0, 0, 0},   // same font, new size
        {"Helvetica", 20, false, true, 1, 0, 0, 0},   // underline on
        {"Helvetica", 20, false, true, 0, 0, 0, 0},   // underline off
        {"Courier", 21.5, true, true, 0, 200 / 255.0, 0, 0},  // new font, bold, size cut, new colour
    });
    std::vector<std::string> expected = {"\\f1\\i0\\b0\\ul0\\fs24 \\cf0 ", "", "\\i ", "\\fs20 ", "\\ul ", "\\ul0 ",
                                         "\\f2\\b\\fs21 \\cf1 "};
    EXPECT_EQ(words, expected);
    ASSERT_EQ(state.registeredFonts().size(), 3u);
    EXPECT_EQ(state.registeredFonts()[0].rtfFormat(), "\\f0\\fnil\\fcharset0 Arial Unicode MS;");
    EXPECT_EQ(state.registeredFonts()[1].rtfFormat(), "\\f1\\fnil\\fcharset0 Helvetica;");
}

TEST(KXRTFState, ColourTable) {
    KXRTFState state;
    EXPECT_EQ(state._colorIndexByColor(KXRTFColorEntry(0, 0, 0, 1)), 0);
    EXPECT_EQ(state._colorIndexByColor(KXRTFColorEntry(230 / 255.0, 230 / 255.0, 230 / 255.0, 1)), 1);
    // Alpha plays no part.
    EXPECT_EQ(state._colorIndexByColor(KXRTFColorEntry(230 / 255.0, 230 / 255.0, 230 / 255.0, 0.5)), 1);
    EXPECT_EQ(state._colorIndexByColor(KXRTFColorEntry(229 / 255.0, 229 / 255.0, 229 / 255.0, 1)), 2);
    EXPECT_EQ(state._colorIndexByColor(KXRTFColorEntry(200 / 255.0, 0, 0, 1)), 3);
    std::string table;
    for (const KXRTFColorEntry& c : state.registeredColors()) table += c.rtfFormat();
    // Near-white is written as mid grey so that it stays readable on paper.
    EXPECT_EQ(table, "\\red0\\green0\\blue0;\\red128\\green128\\blue128;\\red229\\green229\\blue229;"
                     "\\red200\\green0\\blue0;");
}

TEST(KXRTFState, HostileFontNamesStayInsideTheirEntry) {
    KXRTFState state;
    KXRTFFontEntry evil("Evil;}{\\rtf1 \u00c9", 24);
    EXPECT_EQ(state._fontIndexByFont(evil), 1);
    EXPECT_EQ(state.registeredFonts()[1].rtfFormat(), "\\f1\\fnil\\fcharset0 Evil\\'3b\\}\\{\\\\rtf1 \\u201\\'c9;");
}
