// The line toolkit on synthetic lines: duplicates, rows, superscript and subscript folding,
// splitting at reading-order breaks, continuity groups and stable orders.

#include <gtest/gtest.h>

#include "DocxModelFixtures.h"
#include "docx/model/KXDocxRunTextLine.h"

using kx::test::makeLine;
using kx::test::makeRun;
using kx::test::RunSpec;

namespace {

// A one-run line whose frame is (x, top, width, height); the baseline 0.8 of the way down.
std::shared_ptr<KXDocxRunTextLine> box(double x, double top, double width, double height, std::uint64_t scan,
                                       std::u16string text = u"w", float sz = 10) {
    RunSpec s;
    s.text = std::move(text);
    s.x = x;
    s.width = width;
    s.height = height;
    s.yBase = top + 0.8 * height;
    s.scan = scan;
    s.sz = sz;
    return makeLine({s});
}

std::u16string texts(const KXDocxRunTextLineArray& lines) {
    std::u16string out;
    for (const auto& line : lines) {
        if (!out.empty()) out.push_back(u'/');
        out += line->lineText();
    }
    return out;
}

}  // namespace

TEST(KXDocxLineToolkit, DuplicateRunsAreTheSameTextAtNearlyTheSamePlace) {
    struct Case {
        const char* what;
        double x, yBase;
        const char16_t* text;
        bool duplicate;
        bool otherColour = false, bold = false;
    };
    const Case cases[] = {
        {"1.4 right, 0.9 lower", 101.4, 50.9, u"x", true},
        {"1.6 right", 101.6, 50, u"x", false},
        {"1.1 lower", 100, 51.1, u"x", false},
        {"other text", 100, 50, u"y", false},
        // Drawn again in another colour where it crosses a tinted box (flattened transparency).
        {"in another colour", 100, 50, u"x", true, true},
        {"in bold", 100, 50, u"x", false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunSpec a;
        a.text = u"x";
        a.x = 100;
        a.yBase = 50;
        RunSpec b;
        b.text = c.text;
        b.x = c.x;
        b.yBase = c.yBase;
        b.scan = 1;
        auto first = makeRun(a);
        auto second = makeRun(b);
        KXDocx_RPr property = second->rProperty();
        if (c.otherColour) property.color = {71, 0, 18, 255};
        if (c.bold) property.b = true;
        second->setRProperty(property);
        KXDocxRunTextArray found = KXDocxRunTextLine::FindDuplicateRunTexts({first, second});
        ASSERT_FALSE(found.empty());
        EXPECT_EQ(found.front(), first);  // the first run always comes first
        EXPECT_EQ(found.size(), c.duplicate ? 2u : 1u);
    }
}

TEST(KXDocxLineToolkit, RowsOfLines) {
    struct Case {
        const char* what;
        std::vector<kx::Rect> frames;  // in the order given
        size_t inRow;
    };
    const Case cases[] = {
        {"a small line whose middle lies inside the tall one", {{0, 100, 50, 10}, {60, 107.9, 50, 4}}, 2},
        {"its middle on the tall line's bottom edge: a new row", {{0, 100, 50, 10}, {60, 108, 50, 4}}, 1},
        {"a taller line takes over as the reference",
         {{0, 100, 50, 4}, {60, 101, 50, 12}, {120, 111, 50, 2}}, 3},
        {"the row is the topmost line's, whatever the order given", {{60, 300, 50, 10}, {0, 100, 50, 10}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxRunTextLineArray lines;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            const kx::Rect& f = c.frames[i];
            lines.push_back(box(f.origin.x, f.origin.y, f.size.width, f.size.height, i));
        }
        KXDocxRunTextLineArray row = KXDocxRunTextLine::FindMergeRunTextLineArrayY(lines);
        EXPECT_EQ(row.size(), c.inRow);
        EXPECT_DOUBLE_EQ(row.front()->lineFrame().origin.y, 100) << "sorted by baseline, top row first";
    }
}

TEST(KXDocxLineToolkit, ScriptLinesFoldIntoTheMainLine) {
    struct Case {
        const char* what;
        kx::Rect small;  // frame of the smaller line (size 7); the main line is (0, 100, 60, 12), size 10
        int script;      // expected script of its runs, -1 when it is left alone
        float size;
    };
    const Case cases[] = {
        {"5 high, raised: superscript at 5/12 of twice the size, rounded up", {61, 98, 6, 5}, 1, 9},
        {"5 high, lowered: subscript", {61, 109, 6, 5}, 2, 9},
        {"8 high (more than the main height / 1.9): the main size", {61, 98, 6, 8}, 1, 10},
        {"10.5 high (less than 2 below): untouched", {61, 99, 6, 10.5}, -1, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto main = box(0, 100, 60, 12, 0, u"E = mc", 10);
        auto small = box(c.small.origin.x, c.small.origin.y, c.small.size.width, c.small.size.height, 1, u"2", 7);
        KXDocxRunTextLineArray row{main, small};
        ASSERT_TRUE(KXDocxRunTextLine::IsScriptRunTextLineArray(row));
        KXDocxRunTextLine::SetupScriptRunTextLineArray(row);
        const KXDocxRunText& run = *small->runTextArray().front();
        if (c.script < 0) {
            EXPECT_EQ(run.rProperty().scrpit, 0);
            EXPECT_FLOAT_EQ(run.rProperty().sz, c.size);
            continue;
        }
        EXPECT_EQ(run.rProperty().scrpit, c.script);
        EXPECT_FLOAT_EQ(run.rProperty().sz, c.size);
        EXPECT_DOUBLE_EQ(run.ctmInfo().yBase, main->yBaseLine());
        EXPECT_TRUE(KXDocxRunTextLine::IsScriptLine(*small));
        auto merged = KXDocxRunTextLine::MergeRunTextLineArray(row);
        ASSERT_EQ(merged->runTextArray().size(), 2u);
        EXPECT_EQ(merged->runTextArray()[1]->runText(), u"2");
        EXPECT_NEAR(merged->yBaseLine(), main->yBaseLine(), 1e-4);
    }
}

TEST(KXDocxLineToolkit, OneVisualLineIsNotCarriedIntoTheNextRowByATallGlyph) {
    // Lines in baseline order; the first is a row of text 10 high at y 100 (baseline 108).
    struct Case {
        const char* what;
        std::vector<kx::Rect> frames;  // after the first line
        size_t inLine;
    };
    const Case cases[] = {
        {"a brace 30 high over this row and the next: the next row stays apart",
         {{300, 95, 10, 30}, {0, 114, 200, 10}}, 2},
        {"a glyph 14 high beside the row carries the walk on",
         {{300, 98, 10, 14}, {0, 106, 200, 10}}, 3},
        {"lines of the row's height chain on as before", {{300, 101, 10, 10}, {0, 103, 200, 10}}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxRunTextLineArray lines{box(0, 100, 200, 10, 0, u"row")};
        for (size_t i = 0; i < c.frames.size(); ++i) {
            const kx::Rect& f = c.frames[i];
            lines.push_back(box(f.origin.x, f.origin.y, f.size.width, f.size.height, i + 1, i == 0 ? u"}" : u"next"));
        }
        EXPECT_EQ(KXDocxRunTextLine::FindRunTextLineArrayAs1Line(lines).size(), c.inLine);
    }
}

TEST(KXDocxLineToolkit, AScriptGroupNeedsItsLinesBesideTheMainLine) {
    auto main = box(0, 100, 60, 12, 0, u"E = mc", 12);
    // Below the main line's band: not a script.
    EXPECT_FALSE(KXDocxRunTextLine::IsScriptRunTextLineArray({main, box(61, 111, 6, 5, 1)}));
    // Inside the band but lying over the main line's text: not a script either.
    EXPECT_FALSE(KXDocxRunTextLine::IsScriptRunTextLineArray({main, box(20, 98, 10, 5, 1)}));
    EXPECT_FALSE(KXDocxRunTextLine::IsScriptRunTextLineArray({main}));
}

TEST(KXDocxLineToolkit, SplittingAtReadingOrderBreaks) {
    // One visual line of two text flows: text positions 0, 1 (left) and 10, 11 (right).
    RunSpec s;
    auto run = [&](std::u16string text, double x, std::uint64_t scan) {
        s.text = std::move(text);
        s.x = x;
        s.scan = scan;
        s.showText = scan;
        return makeRun(s);
    };
    auto line = KXDocxRunTextLine::initWithRunTextArray(
        {run(u"one", 50, 0), run(u"two", 80, 1), run(u"three", 300, 10), run(u"four", 330, 11)});
    EXPECT_EQ(line->lineText(), u"one two | three four");
    KXDocxRunTextLineArray pieces = KXDocxRunTextLine::SplitRunTextLineForContinuous(*line);
    EXPECT_EQ(texts(pieces), u"one two/three four");
    // A single line is handed back unsplit.
    KXDocxRunTextLineArray alone = KXDocxRunTextLine::SplitRunTextLineArrayContinuous({line});
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone.front(), line);
    KXDocxRunTextLineArray two = KXDocxRunTextLine::SplitRunTextLineArrayContinuous({line, box(50, 200, 20, 10, 12)});
    EXPECT_EQ(two.size(), 3u);
}

TEST(KXDocxLineToolkit, ContinuityGroupsFollowTheText) {
    // Column one: text positions 0, 1, 2 on three lines; column two: 3, 4 beside them.
    KXDocxRunTextLineArray lines{box(50, 100, 100, 10, 0, u"a"), box(300, 100, 100, 10, 3, u"d"),
                                 box(50, 112, 100, 10, 1, u"b"), box(300, 112, 100, 10, 4, u"e"),
                                 box(50, 124, 100, 10, 2, u"c")};
    KXDocxRunTextLineArray first = KXDocxRunTextLine::FindRunTextLineArrayContinuous(lines);
    // 0, 1, 2 and then 3 and 4 all continue one another: one group in baseline order.
    EXPECT_EQ(texts(first), u"a/d/b/e/c");
    KXDocxRunTextLineArray broken{box(50, 100, 100, 10, 0, u"a"), box(300, 100, 100, 10, 7, u"x"),
                                  box(50, 112, 100, 10, 1, u"b")};
    EXPECT_EQ(texts(KXDocxRunTextLine::FindRunTextLineArrayContinuous(broken)), u"a/b");
    EXPECT_TRUE(KXDocxRunTextLine::IsRunLineArrayPDFTextIndexContinuous({lines[0], lines[2]}));
    EXPECT_FALSE(KXDocxRunTextLine::IsRunLineArrayPDFTextIndexContinuous({broken[0], broken[1]}));
}

TEST(KXDocxLineToolkit, TheContinuityTestOrdersTheRunsItIsGiven) {
    RunSpec s;
    KXDocxRunTextArray runs;
    for (std::uint64_t scan : {2, 0, 1}) {
        s.scan = scan;
        s.x = 10.0 * scan;
        runs.push_back(makeRun(s));
    }
    EXPECT_TRUE(KXDocxRunTextLine::IsRunTextArrayPDFTextIndexContinuous(runs));
    EXPECT_EQ(runs[0]->pdfScanIndex(), 0u);
    EXPECT_EQ(runs[2]->pdfScanIndex(), 2u);
    KXDocxRunTextArray none;
    EXPECT_FALSE(KXDocxRunTextLine::IsRunTextArrayPDFTextIndexContinuous(none));
}

TEST(KXDocxLineToolkit, OrdersKeepEqualKeysInTheirOrder) {
    KXDocxRunTextLineArray lines{box(300, 100, 10, 10, 5, u"b"), box(0, 100, 10, 10, 9, u"a"),
                                 box(0, 50, 10, 10, 7, u"c")};
    EXPECT_EQ(texts(KXDocxRunTextLine::SortRunTextLineArrayByBaseY(lines)), u"c/b/a");
    EXPECT_EQ(texts(KXDocxRunTextLine::SortRunTextLineArrayByIndex(lines)), u"b/c/a");
    EXPECT_EQ(KXDocxRunTextLine::FindBaseYRunTextLine(lines), lines[2]);
    EXPECT_EQ(KXDocxRunTextLine::FindTopYRunTextLine({lines[0], lines[1]}), lines[0]);
    EXPECT_EQ(KXDocxRunTextLine::FindBottomRunTextLine({lines[0], lines[1]}), lines[0]);
    EXPECT_TRUE(KXDocxRunTextLine::SortRunTextLineArrayByTopY({}).empty());
    EXPECT_FALSE(KXDocxRunTextLine::FindMaxHeightRunTextLine({}));
}

TEST(KXDocxLineToolkit, VerticalOverlapRuns) {
    struct Case {
        const char* what;
        double secondTop;  // the first line spans 100 .. 110
        size_t want;
    };
    const Case cases[] = {{"overlapping by 1.5", 108.5, 2}, {"overlapping by exactly 1.0", 109, 0}, {"apart", 120, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto found = KXDocxRunTextLine::FindOverlapRunTextLineY({box(0, 100, 10, 10, 0), box(0, c.secondTop, 10, 10, 1)});
        EXPECT_EQ(found.size(), c.want);
    }
}

TEST(KXDocxLineToolkit, HorizontalOverlapIsMoreThanHalfACharacter) {
    struct Case {
        const char* what;
        double secondX;  // the first run spans 100 .. 106 with characters 10 wide
        bool overlap;
    };
    const Case cases[] = {{"apart", 110, false}, {"overlapping by 4", 102, false}, {"overlapping by 5.5", 100.5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunSpec a;
        a.x = 100;
        RunSpec b = a;
        b.x = c.secondX;
        EXPECT_EQ(KXDocxRunTextLine::HaveXOverlapRunTextArray({makeRun(a), makeRun(b)}), c.overlap);
    }
}

TEST(KXDocxLineToolkit, TheSameLetterTwiceInSmallTypeIsNoDuplicate) {
    // "ll" at 3 points: the second "l" stands 0.67 to the right, well inside the 1.5 points within
    // which overprinted text lies, but a whole letter on.
    RunSpec first;
    first.text = u"l";
    first.x = 100;
    first.width = 0.67;
    first.height = 3;
    RunSpec second = first;
    second.x = 100.67;
    second.scan = 1;
    EXPECT_EQ(KXDocxRunTextLine::FindDuplicateRunTexts({makeRun(first), makeRun(second)}).size(), 1u);
    // The same letter drawn over itself a quarter of its width on is a duplicate.
    second.x = 100.15;
    EXPECT_EQ(KXDocxRunTextLine::FindDuplicateRunTexts({makeRun(first), makeRun(second)}).size(), 2u);
}

namespace {

// The words of a row, each a run 8 wide per letter and 4 apart, reading on from `scan`.
KXDocxRunTextArray wordsAt(double x, double yBase, std::vector<std::u16string> words, std::uint64_t scan,
                           float sz = 10) {
    KXDocxRunTextArray runs;
    for (const std::u16string& w : words) {
        RunSpec s;
        s.text = w;
        s.x = x;
        s.width = 8.0 * static_cast<double>(w.size());
        s.yBase = yBase;
        s.height = sz;
        s.sz = sz;
        s.scan = scan++;
        runs.push_back(makeRun(s));
        x += s.width + 4;
    }
    return runs;
}

std::vector<std::u16string> textsOf(const std::vector<KXDocxRunTextArray>& showings) {
    std::vector<std::u16string> out;
    for (const auto& showing : showings) {
        std::u16string text;
        for (const auto& run : showing) text += run->runText();
        out.push_back(text);
    }
    return out;
}

}  // namespace

// Text drawn twice on one baseline (a fake bold offset by more than a duplicate) is cut where the
// reading goes back over what it has shown; text drawn over other text stays one row.
TEST(KXDocxLineToolkit, TextDrawnTwiceOnOneRowIsCutIntoItsShowings) {
    const std::vector<std::u16string> title{u"HOW", u"BIG", u"MEDIA"};
    auto concat = [](KXDocxRunTextArray a, const KXDocxRunTextArray& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* what;
        KXDocxRunTextArray row;
        std::vector<std::u16string> showings;
    };
    const Case cases[] = {
        {"the title twice, 2 points apart", concat(wordsAt(72, 100, title, 0), wordsAt(74, 100, title, 3)),
         {u"HOWBIGMEDIA", u"HOWBIGMEDIA"}},
        {"the amount of a total drawn again", concat(wordsAt(72, 100, {u"Total:", u"100"}, 0), wordsAt(126, 100, {u"100"}, 2)),
         {u"Total:100", u"100"}},
        {"a value written over a leader", concat(wordsAt(72, 100, {u"Name", u"________"}, 0), wordsAt(110, 100, {u"John"}, 2)),
         {u"Name________John"}},
        {"the first word drawn again after a long row",
         concat(wordsAt(72, 100, {u"HOW", u"BIG", u"MEDIA", u"GETS", u"WHEN", u"IT", u"GROWS"}, 0), wordsAt(73, 100, {u"HOW"}, 7)),
         {u"HOWBIGMEDIAGETSWHENITGROWS", u"HOW"}},
        {"a word from the middle of the title drawn again", concat(wordsAt(72, 100, title, 0), wordsAt(101, 100, {u"BIG"}, 3)),
         {u"HOWBIGMEDIA", u"BIG"}},
        {"the words drawn again in another order", concat(wordsAt(72, 100, {u"HOW", u"BIG"}, 0), wordsAt(73, 100, {u"BIG", u"HOW"}, 2)),
         {u"HOWBIGBIGHOW"}},
        {"a row read out of order, nowhere over itself", concat(wordsAt(200, 100, {u"right"}, 0), wordsAt(72, 100, {u"left"}, 1)),
         {u"rightleft"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(textsOf(KXDocxRunTextLine::SplitRunTextArrayDrawnTwice(c.row)), c.showings);
    }
}

// A title drawn twice as a shadow, in another size a point and a half higher: the two are two
// lines, each whole; a superscript beside its line still joins it.
TEST(KXDocxLineToolkit, AShadowOfALineIsNoPartOfIt) {
    auto title = KXDocxRunTextLine::initWithRunTextArray(wordsAt(72, 101.5, {u"HOW", u"BIG"}, 0, 10));
    auto shadow = KXDocxRunTextLine::initWithRunTextArray(wordsAt(73.5, 103, {u"HOW", u"BIG"}, 2, 13));
    EXPECT_EQ(KXDocxRunTextLine::FindRunTextLineArrayAs1Line({title, shadow}).size(), 1u);
    auto script = KXDocxRunTextLine::initWithRunTextArray(wordsAt(138, 102, {u"2"}, 4, 6));
    EXPECT_EQ(KXDocxRunTextLine::FindRunTextLineArrayAs1Line({title, script}).size(), 2u);
}
