// The flow page: runs to lines, line parts, bands, columns, rows and paragraphs (the layout's steps,
// looked at directly), and the writing of the paragraphs in reading order by each family.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FlowTestRuns.h"
#include "flowtext/FlowLayout_p.h"
#include "flowtext/KXHTMLPage.h"
#include "flowtext/KXHTMLState.h"
#include "flowtext/KXRTFPage.h"
#include "flowtext/KXRTFState.h"
#include "flowtext/KXTextPage.h"

using flowtest::RunPlace;
using namespace kx::detail;

namespace {

using Runs = std::vector<std::shared_ptr<FlowRunText>>;

Runs runsAt(const std::vector<RunPlace>& places) {
    Runs runs;
    for (const RunPlace& place : places) runs.push_back(flowtest::makeRun(place));
    return runs;
}

std::string textOf(const LinePart& part) {
    std::u16string text;
    for (const FlowRunText* run : part) text += run->runText();
    return kx::utf16ToUtf8(text);
}

// The text of each paragraph that the layout builds; a paragraph without runs is "".
std::vector<std::string> paragraphTexts(const std::vector<RunPlace>& places) {
    const Runs runs = runsAt(places);
    KXDocx_SectPr sect = KXDocxUtilities::defaultSectPropertyHiden();
    std::vector<std::string> texts;
    for (const auto& p : buildParagraphs(runs, sect, nullptr)) {
        std::u16string text;
        for (const auto& run : p->runArray())
            if (const FlowRunText* t = FlowParagraph::textOf(run.get())) text += t->runText();
        texts.push_back(kx::utf16ToUtf8(text));
    }
    return texts;
}

// What the steps up to the columns make of the runs: the lines ("a b / c": runs of a line, left
// to right), their line parts ("ab,c": the text of each part) and the columns of each band ("a,b |
// c // d": parts of a column top to bottom, columns left to right, bands top to bottom).
struct Steps {
    std::string lines, parts, columns;
};

Steps stepsOf(const std::vector<RunPlace>& places) {
    const Runs runs = runsAt(places);
    std::vector<RunLine> lines = linesOf(runsTopToBottom(runs));
    sortLinesLeftToRight(lines);
    Steps steps;
    for (const RunLine& line : lines) {
        steps.lines += steps.lines.empty() ? "" : " / ";
        for (size_t i = 0; i < line.size(); ++i) steps.lines += (i ? " " : "") + kx::utf16ToUtf8(line[i]->runText());
    }
    std::vector<LineSect> sects = linePartsOf(lines);
    for (const LineSect& sect : sects) {
        steps.parts += steps.parts.empty() ? "" : " / ";
        for (size_t i = 0; i < sect.size(); ++i) steps.parts += (i ? "," : "") + textOf(sect[i]);
    }
    for (const Band& band : columnsOfBands(sects, bandsOf(sects))) {
        steps.columns += steps.columns.empty() ? "" : " // ";
        for (size_t c = 0; c < band.size(); ++c) {
            steps.columns += c ? " | " : "";
            for (size_t k = 0; k < band[c].size(); ++k) steps.columns += (k ? "," : "") + textOf(band[c][k]);
        }
    }
    return steps;
}

using Texts = std::vector<std::string>;

}  // namespace

TEST(FlowPage, LinesLinePartsAndColumnsFollowTheTolerances) {
    struct Case {
        const char* name;
        std::vector<RunPlace> runs;
        const char* lines;
        const char* parts;
        const char* columns;
        Texts expected;
    } cases[] = {
        // One line, two parts 5 apart: a blank between them. On two lines the second row joins
        // the first paragraph (it is within a line of it), 5 apart as well: a blank again.
        {"baselines 0.99 apart share a line", {{100, 80, 10, "a"}, {115, 80.99, 10, "b"}}, "a b", "a,b", "a,b", {"a b"}},
        {"baselines 1.0 apart do not", {{100, 80, 10, "a"}, {115, 81, 10, "b"}}, "a / b", "a / b", "a,b", {"a b"}},
        {"runs that abut within 0.99 are one line part", {{100, 80, 10, "a", 5}, {110.99, 80, 10, "b", 5}}, "a b",
         "ab", "ab", {"ab"}},
        {"a gap of 1.0 starts a new line part", {{100, 80, 10, "a", 5}, {111, 80, 10, "b", 5}}, "a b", "a,b", "a,b",
         {"a b"}},
        {"a second piece 3 points to the right gets a blank", {{100, 80, 10, "a"}, {113, 80, 10, "b"}}, "a b", "a,b",
         "a,b", {"a b"}},
        // Parts of one row are joined by a blank only when they lie more than a tenth of the font
        // size apart.
        {"a second piece 1 point to the right does not", {{100, 80, 10, "a"}, {111, 80, 10, "b"}}, "a b", "a,b", "a,b",
         {"ab"}},
        // Columns of running text (wider than ten lines are high; narrower ones beside each
        // other, row for row, are a table's).
        {"line parts 8.0 apart share a column",
         {{100, 80, 150, "L1"}, {258, 80, 150, "R1"}, {100, 94, 150, "L2"}, {258, 94, 150, "R2"}}, "L1 R1 / L2 R2",
         "L1,R1 / L2,R2", "L1,R1,L2,R2", {"L1 R1", "L2 R2"}},
        {"line parts 8.01 apart form two columns, left one first",
         {{100, 80, 150, "L1"}, {258.01, 80, 150, "R1"}, {100, 94, 150, "L2"}, {258.01, 94, 150, "R2"}},
         "L1 R1 / L2 R2", "L1,R1 / L2,R2", "L1,L2 | R1,R2", {"L1", "L2", "R1", "R2"}},
        {"the order of capture does not matter",
         {{258.01, 94, 150, "R2"}, {100, 94, 150, "L2"}, {258.01, 80, 150, "R1"}, {100, 80, 150, "L1"}},
         "L1 R1 / L2 R2", "L1,R1 / L2,R2", "L1,L2 | R1,R2", {"L1", "L2", "R1", "R2"}},
        // Lines more than half a line's height apart are bands of their own.
        {"a gap of half a line keeps one band", {{100, 80, 10, "a"}, {100, 98, 10, "b"}}, "a / b", "a / b", "a,b",
         {"a", "b"}},
        {"a wider gap starts a band", {{100, 80, 10, "a"}, {100, 98.01, 10, "b"}}, "a / b", "a / b", "a // b",
         {"a", "b"}},
    };
    for (const Case& c : cases) {
        const Steps steps = stepsOf(c.runs);
        EXPECT_EQ(steps.lines, c.lines) << c.name;
        EXPECT_EQ(steps.parts, c.parts) << c.name;
        EXPECT_EQ(steps.columns, c.columns) << c.name;
        EXPECT_EQ(paragraphTexts(c.runs), c.expected) << c.name;
    }
}

TEST(FlowPage, ColumnsAreReadWholeAcrossBands) {
    // Two columns of running text, 150 wide, set with a leading of 14 for 12-point text; a gap of
    // 20 crosses both columns at the same height, as where two paragraphs end side by side.
    auto column = [](double x, const char* name, std::vector<double> bottoms) {
        std::vector<RunPlace> runs;
        int n = 0;
        for (double b : bottoms) runs.push_back({x, b, 150, std::string(name) + std::to_string(++n)});
        return runs;
    };
    auto join = [](std::vector<std::vector<RunPlace>> parts) {
        std::vector<RunPlace> all;
        for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    struct Case {
        const char* name;
        std::vector<RunPlace> runs;
        Texts expected;
    } cases[] = {
        {"lines with leading stay in one band",
         join({column(72, "L", {80, 94, 108}), column(240, "R", {80, 94, 108})}),
         {"L1", "L2", "L3", "R1", "R2", "R3"}},
        {"a gap across both columns does not slice them",
         join({column(72, "L", {80, 94, 128, 142}), column(240, "R", {80, 94, 128, 142})}),
         {"L1", "L2", "", "L3", "L4", "R1", "R2", "", "R3", "R4"}},
        {"a column that goes on alone stays with its column",
         join({column(72, "L", {80, 94, 128}), column(240, "R", {80, 94})}),
         {"L1", "L2", "", "L3", "R1", "R2"}},
        {"a full-width heading separates what is above from what is below",
         {{72, 80, 150, "A1"}, {240, 80, 150, "B1"}, {72, 120, 318, "Heading"}, {72, 160, 150, "A2"},
          {240, 160, 150, "B2"}},
         {"A1", "B1", "", "", "Heading", "", "", "", "A2", "B2"}},
        // Justified lines often end with a blank; it shows nothing and must not carry the column's
        // edge across a 9-point gap into the next column.
        {"a trailing blank does not bridge the gap between columns",
         {{72, 80, 150, "L1"}, {222, 80, 3, " "}, {231, 80, 150, "R1"}, {72, 94, 150, "L2"}, {222, 94, 3, " "},
          {231, 94, 150, "R2"}},
         {"L1 ", "L2 ", "R1", "R2"}},
        {"a table's narrow columns are read row by row",
         {{72, 80, 30, "a1"}, {140, 80, 30, "b1"}, {72, 120, 30, "a2"}, {140, 120, 30, "b2"}},
         {"a1", "b1", "", "", "", "a2", "b2"}},
        {"also when its rows are set as close as lines of text",
         {{72, 80, 30, "a1"}, {140, 80, 150, "b1"}, {72, 94, 30, "a2"}, {140, 94, 150, "b2"}, {72, 108, 30, "a3"},
          {140, 108, 150, "b3"}},
         {"a1", "b1", "a2", "b2", "a3", "b3"}},
        // A note in the margin that meets only some lines of the column beside it.
        {"a narrow column on few of its neighbour's rows stays whole",
         {{20, 80, 30, "n1"}, {72, 80, 150, "L1"}, {20, 94, 30, "n2"}, {72, 94, 150, "L2"}, {20, 101, 30, "n3"},
          {72, 108, 150, "L3"}, {20, 115, 30, "n4"}},
         {"n1", "n2", "n3", "n4", "L1", "L2", "L3"}},
        // A mark that shows no width (a font without widths), alone between two blocks of the
        // columns, standing just where the left column ends and the gutter starts.
        {"nothing is lost at the edge of a gutter",
         join({column(72, "L", {80, 94, 108, 174, 188}), column(240, "R", {80, 94, 108, 174, 188}),
               {{222, 140, 0, "Z"}}}),
         {"L1", "L2", "L3", "R1", "R2", "R3", "", "Z", "", "", "L4", "L5", "R4", "R5"}},
    };
    for (const Case& c : cases) EXPECT_EQ(paragraphTexts(c.runs), c.expected) << c.name;
}

TEST(FlowPage, VerticalGapsBecomeBlankParagraphsOrJoinRows) {
    struct Case {
        const char* name;
        std::vector<RunPlace> runs;
        Texts expected;
    } cases[] = {
        // The first 72 points are margin: text whose top is at 100 leaves a gap of 28.
        {"top at 100", {{100, 112, 10, "T"}}, {"", "", "T"}},
        {"top at 80", {{100, 92, 10, "T"}}, {"T"}},
        {"top at 50", {{100, 62, 10, "T"}}, {"T"}},
        // With a line of 12, a row 0 to 4 below the previous one continues its paragraph, 4.01 to
        // 24 makes a paragraph of its own. Starting back under the paragraph's text, the row is
        // its next line, and the line break is a blank.
        {"row 2.0 below", {{100, 80, 10, "A"}, {100, 82, 10, "B"}}, {"A B"}},
        {"row 4.0 below", {{100, 80, 10, "A"}, {100, 84, 10, "B"}}, {"A B"}},
        // Going on along the line, touching the paragraph's text, the row is no word of its own.
        {"row 1.0 below, touching", {{100, 80, 10, "A"}, {110, 81, 10, "B"}}, {"AB"}},
        {"row 4.01 below", {{100, 80, 10, "A"}, {100, 84.01, 10, "B"}}, {"A", "B"}},
        {"row 24 below", {{100, 80, 10, "A"}, {100, 104, 10, "B"}}, {"A", "B"}},
        // Further below, the gap is filled with blank lines of about the text's height.
        {"row 36.5 below", {{100, 80, 10, "A"}, {100, 116.5, 10, "B"}}, {"A", "", "", "B"}},
        {"a line below 8 never continues a paragraph", {{100, 80, 10, "A", 6}, {100, 82, 10, "B", 6}}, {"A", "B"}},
        // Small text beside a taller part, starting higher in the same column: its bottom lies
        // above the previous row's bottom; it stays with that row's paragraph, a word of its own.
        // Touching the taller part, it is raised text on that part's line.
        {"row above the previous row's bottom", {{100, 100, 50, "Big", 30}, {155, 82, 20, "sup", 8}},
         {"Big sup"}},
        {"raised text touching the part before it", {{100, 100, 50, "Big", 30}, {150, 82, 20, "sup", 8}},
         {"Bigsup"}},
        {"empty page", {}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(paragraphTexts(c.runs), c.expected) << c.name;
}

TEST(FlowPage, RowLineHeightTakesTheWholeGapAndMarginsFollowTheText) {
    KXHTMLPage page(nullptr, {612, 792}, false);
    page.allRunTextArray().push_back(flowtest::makeRun({150, 80, 10, "A"}));
    page.allRunTextArray().push_back(flowtest::makeRun({120, 100, 10, "B"}));
    page._creatParagraphs();
    ASSERT_EQ(page.paragraphArray().size(), 2u);
    EXPECT_FLOAT_EQ(page.paragraphArray()[1]->pProperty().spacing.line, 20.0f);
    EXPECT_FLOAT_EQ(page.paragraphArray()[1]->pProperty().ind.left, 120.0f);
    EXPECT_FLOAT_EQ(page.textMargin().top, 68.0f);
    EXPECT_FLOAT_EQ(page.textMargin().left, 120.0f);
    EXPECT_EQ(page.sectProperty().type, 1);

    KXHTMLPage empty(nullptr, {612, 792}, true);
    empty._creatParagraphs();
    EXPECT_TRUE(empty.paragraphArray().empty());
    EXPECT_FLOAT_EQ(empty.textMargin().left, 1000000.0f);
    EXPECT_EQ(empty.sectProperty().type, 0);
}

namespace {

std::string writeText(const std::vector<RunPlace>& places) {
    return flowtest::writtenBy<KXTextPage, KXTextFileWriter>(flowtest::paragraphsOf(places));
}

std::string writeRtf(const std::vector<RunPlace>& places) {
    KXRTFState::sharedInstance().resetToDefault();
    return flowtest::writtenBy<KXRTFPage, KXRTFFileWriter>(flowtest::paragraphsOf(places));
}

std::string writeHtml(const std::vector<RunPlace>& places) {
    KXHTMLState::sharedInstance().resetToDefault();
    return flowtest::writtenBy<KXHTMLPage, KXHTMLFileWriter>(flowtest::paragraphsOf(places));
}

}  // namespace

TEST(FlowPage, ParagraphsOnOneBaselineShareALine) {
    // Plain text: a baseline 2.0 away joins with the indentation whatever the gap; 2.01 breaks.
    EXPECT_EQ(writeText({{100, 80, 10, "a"}, {160, 82, 10, "b"}}), "a    b\n");
    EXPECT_EQ(writeText({{100, 80, 10, "a"}, {160, 82.01, 10, "b"}}), "a\nb\n");
    // A paragraph without runs always breaks the line and leaves the previous run in place.
    EXPECT_EQ(writeText({{100, 80, 10, "a"}, {0, 0, 0, ""}, {160, 80, 10, "b"}}), "a\n\n    b\n");

    // RTF: blanks for the gap, one per space width, rounded up; the indentation when they touch.
    struct Case {
        const char* name;
        double secondX;
        double spaceWidth;
        std::string joint;
    } cases[] = {
        {"gap 7, space 3", 117, 3, "   "},
        {"gap 6, space 3", 116, 3, "  "},
        {"touching", 110, 3, "    "},
        {"overlapping", 105, 3, "    "},
        {"no usable space width still separates", 117, 0, " "},
        {"a tiny space width is capped", 500, 1e-9, std::string(100, ' ')},
    };
    for (const Case& c : cases) {
        std::string rtf = writeRtf({{100, 80, 10, "a"}, {c.secondX, 80, 10, "b", 12, c.spaceWidth}});
        EXPECT_EQ(rtf, "\\par\\pard\\li0 \\f1\\i0\\b0\\ul0\\fs24 \\cf0 a" + c.joint + "b") << c.name;
    }
}

TEST(FlowPage, RunsOfEmptyParagraphsAreShortened) {
    std::vector<RunPlace> places = {{100, 80, 10, "a"}, {0, 0, 0, ""}, {0, 0, 0, ""}, {0, 0, 0, ""}, {100, 140, 10, "b"}};
    EXPECT_EQ(writeRtf(places), "\\par\\pard\\li0 \\f1\\i0\\b0\\ul0\\fs24 \\cf0 a\\par\\pard\\li0 \\\n\\par\\pard\\li0 b");
    // HTML: the same paragraphs; every tag is closed at the end of the page.
    EXPECT_EQ(writeHtml(places),
              "\n<p class=\"p0\"><span class=\"s0\">a</span></p>"
              "\n<p class=\"p1\"><br></p>"
              "\n<p class=\"p0\"><span class=\"s0\">b</span></p>");
    EXPECT_EQ(writeHtml({}), "");
}
