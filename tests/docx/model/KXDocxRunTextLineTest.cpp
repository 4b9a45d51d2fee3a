// Text lines from synthetic runs: which neighbours fuse into one run, what the line text says at
// each kind of gap, the gaps column detection reads, the line's heights, and script removal.

#include <gtest/gtest.h>

#include "DocxModelFixtures.h"
#include "docx/model/KXDocxRunTextLine.h"

using kx::test::makeLine;
using kx::test::makeRun;
using kx::test::RunSpec;

namespace {

struct FusionCase {
    const char* what;
    RunSpec first;
    RunSpec second;
    size_t runs;             // runs of the built line
    std::u16string lineText;
    size_t gaps;             // gap objects of the line
};

RunSpec at(std::u16string text, double x, std::uint64_t scan) {
    RunSpec s;
    s.text = std::move(text);
    s.x = x;
    s.scan = scan;
    return s;
}

template <class F>
RunSpec with(RunSpec s, F change) {
    change(s);
    return s;
}

}  // namespace

TEST(KXDocxRunTextLine, FusesNeighboursThatTouchOnOneBaseline) {
    const RunSpec a = at(u"a", 100, 0);  // 100 .. 106
    const FusionCase cases[] = {
        {"touching: one run", a, at(u"b", 106, 1), 1, u"ab", 2},
        {"0.5 apart, baselines 0.9 apart: one run", a, with(at(u"b", 106.5, 1), [](RunSpec& s) { s.yBase = 100.9; }),
         1, u"ab", 2},
        {"baselines 1.0 apart: two runs, still one word", a,
         with(at(u"b", 106.5, 1), [](RunSpec& s) { s.yBase = 101; }), 2, u"ab", 2},
        {"1.0 apart: two runs and a blank", a, at(u"b", 107, 1), 2, u"a b", 2},
        {"3 apart in one operator: a blank", a, at(u"b", 109, 1), 2, u"a b", 2},
        {"6 apart in one operator: a tab", a, at(u"b", 112, 1), 2, u"a\tb", 2},
        {"6 apart, another operator of the same text: a blank", a,
         with(at(u"b", 112, 1), [](RunSpec& s) { s.showText = 1; }), 2, u"a b", 2},
        {"overlapping: one run", a, at(u"b", 103, 1), 1, u"ab", 2},
        {"starting at the first run's left edge: two runs", a, at(u"b", 100, 1), 2, u"ab", 2},
        {"reading position skipped: two runs", a, at(u"b", 106, 2), 2, u"a | b", 3},
        {"another size: two runs", a, with(at(u"b", 106, 1), [](RunSpec& s) { s.sz = 12; }), 2, u"ab", 2},
        {"text jumps between touching runs: a break and a gap", a,
         with(at(u"b", 106.5, 1), [](RunSpec& s) {
             s.textScan = 7;
             s.yBase = 101;
         }),
         2, u"a | b", 3},
    };
    for (const FusionCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto line = makeLine({c.first, c.second});
        EXPECT_EQ(line->runTextArray().size(), c.runs);
        EXPECT_EQ(line->lineText(), c.lineText);
        EXPECT_EQ(line->spaceRowArray().size(), c.gaps);
    }
}

TEST(KXDocxRunTextLine, AFusedRunCoversItsPiecesAndKeepsTheirWidthAsSpacing) {
    // Three pieces in reading order 5, 6, 8: 5 and 6 fuse (the second overlaps the first by 2);
    // 8 is left alone although it touches.
    auto line = makeLine({at(u"a", 100, 5), at(u"b", 104, 6), at(u"c", 110, 8)});
    ASSERT_EQ(line->runTextArray().size(), 2u);
    const KXDocxRunText& fused = *line->runTextArray()[0];
    EXPECT_EQ(fused.runText(), u"ab");
    EXPECT_EQ(fused.pdfScanIndex(), 5u);
    EXPECT_EQ(fused.pdfScanLength(), 2u);
    EXPECT_EQ(fused.textScanLength(), 2u);
    EXPECT_DOUBLE_EQ(fused.textWidth(), 12.0);
    EXPECT_DOUBLE_EQ(fused.ctmInfo().frame.size.width, 10.0);
    EXPECT_DOUBLE_EQ(fused.ctmInfo().xRight, 110.0);
    EXPECT_DOUBLE_EQ(fused.insideSpacing(), -2.0);
    EXPECT_FLOAT_EQ(fused.rProperty().spacing, -2.0f);
    EXPECT_EQ(line->runTextArray()[1]->runText(), u"c");
    EXPECT_EQ(line->minPDFScanIndex(), 5u);
    EXPECT_EQ(line->maxPDFScanIndex(), 9u);
    EXPECT_EQ(line->lineText(), u"ab | c");
}

TEST(KXDocxRunTextLine, AFusedRunIsNeverSetWiderThanItsPiecesStand) {
    // Three touching pieces 100 .. 118 on the page, each measured in the font the word processor
    // sets it in and keeping the rest of its 6 as spacing. Set in that font with the fused run's
    // spacing, the fused text covers the 18 again when its pieces measure at least that; pieces
    // measured narrower keep their own spacing in the fused width, and the run stands narrower.
    struct Case {
        const char* what;
        double measured;   // each piece's width in the word processor's font
        double textWidth;  // the fused run's
        double setWidth;   // its text width and spacing: what the word processor sets
    };
    const Case cases[] = {
        {"measured as wide as shown", 6, 18, 18},
        {"measured wider than shown", 7.5, 22.5, 18},
        {"measured narrower than shown", 4.5, 16.5, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxRunTextArray pieces;
        for (std::uint64_t i = 0; i < 3; ++i) {
            auto piece = makeRun(at(u"x", 100 + 6.0 * static_cast<double>(i), i));
            piece->setTextWidth(c.measured);
            piece->setInsideSpacing(6 - c.measured);
            pieces.push_back(piece);
        }
        auto fused = KXDocxRunTextLine::MergeLeft2RightRunTextArray(pieces);
        ASSERT_TRUE(fused);
        EXPECT_EQ(fused->runText(), u"xxx");
        EXPECT_DOUBLE_EQ(fused->textWidth(), c.textWidth);
        EXPECT_DOUBLE_EQ(3 * c.measured + fused->insideSpacing(), c.setWidth);
    }
}

TEST(KXDocxRunTextLine, RunsComeLeftToRightWhateverTheReadingOrder) {
    auto line = makeLine({at(u"right", 300, 0), at(u"left", 50, 40)});
    ASSERT_EQ(line->runTextArray().size(), 2u);
    EXPECT_EQ(line->runTextArray()[0]->runText(), u"left");
    EXPECT_EQ(line->lineText(), u"left | right");
    // Gaps: before the line, at the break, and open after it.
    const auto& gaps = line->spaceRowArray();
    ASSERT_EQ(gaps.size(), 3u);
    EXPECT_EQ(gaps[0]->spaceRect(), kx::Rect(0, 92, 50, 10));
    EXPECT_EQ(gaps[1]->spaceRect(), kx::Rect(56, 92, 244, 10));
    EXPECT_DOUBLE_EQ(gaps[2]->spaceRect().origin.x, 306);
    EXPECT_FLOAT_EQ(static_cast<float>(gaps[2]->spaceRect().size.width), 99999.9f);
}

TEST(KXDocxRunTextLine, GapObjects) {
    struct Case {
        const char* what;
        bool left, right;
        double rightX;
        kx::Rect want;
    };
    // The left run ends at 100 with its top at 50 and a height of 12.
    const Case cases[] = {
        {"apart", true, true, 130, {100, 50, 30, 12}},
        {"overlapping: a sliver round the right run's edge", true, true, 95, {94.9, 50, 0.2, 12}},
        {"left only: open to the right", true, false, 0, {100, 50, static_cast<double>(99999.9f), 12}},
        {"right only: from the page's left edge", false, true, 72, {0, 50, 72, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunSpec l;
        l.x = 94;
        l.width = 6;
        l.height = 12;
        l.yBase = 50 + 0.8 * 12;
        RunSpec r = l;
        r.x = c.rightX;
        auto space = KXDocxRunTextLineSpace::RunTextLineSpaceWithLeftRunText(c.left ? makeRun(l) : nullptr,
                                                                            c.right ? makeRun(r) : nullptr);
        ASSERT_TRUE(space);
        EXPECT_NEAR(space->spaceRect().origin.x, c.want.origin.x, 1e-9);
        EXPECT_NEAR(space->spaceRect().origin.y, c.want.origin.y, 1e-9);
        EXPECT_NEAR(space->spaceRect().size.width, c.want.size.width, 1e-9);
        EXPECT_NEAR(space->spaceRect().size.height, c.want.size.height, 1e-9);
    }
    EXPECT_FALSE(KXDocxRunTextLineSpace::RunTextLineSpaceWithLeftRunText(nullptr, nullptr));
}

TEST(KXDocxRunTextLine, LineHeightsAndBaseline) {
    struct Case {
        const char* what;
        std::vector<double> heights;  // Word's single-line height of each run
        double want;
    };
    const Case cases[] = {
        {"one run keeps its own, even a tiny one", {0.5}, 0.5},
        {"the largest of several", {12, 13.8}, static_cast<double>(13.8f)},
        {"a run without a known height makes it unknown", {13.8, 0.5}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxRunTextArray runs;
        for (size_t i = 0; i < c.heights.size(); ++i) {
            RunSpec s = at(u"w", 100 + 20.0 * i, i);
            s.lineHeight = c.heights[i];
            s.yBase = 100 + 0.5 * i;
            runs.push_back(makeRun(s));
        }
        auto line = KXDocxRunTextLine::initWithRunTextArray(runs);
        EXPECT_DOUBLE_EQ(line->wordSingleLineHeight(), c.want);
        EXPECT_DOUBLE_EQ(line->yBaseLine(), 100 + 0.5 * (c.heights.size() - 1));
    }
}

TEST(KXDocxRunTextLine, RemovingScriptGoesBackToTheGlyphSizeAndBottom) {
    RunSpec s = at(u"2", 100, 0);
    s.height = 7.3;
    auto run = makeRun(s);
    KXDocx_RPr r = run->rProperty();
    r.scrpit = 1;
    r.sz = 4;
    run->setRProperty(r);
    auto line = KXDocxRunTextLine::initWithRunTextArray({run});
    line->removeScript();
    EXPECT_FLOAT_EQ(run->rProperty().sz, 7.0f);
    EXPECT_FLOAT_EQ(run->rProperty().szCs, 7.0f);
    EXPECT_EQ(run->rProperty().scrpit, 0);
    EXPECT_DOUBLE_EQ(run->ctmInfo().yBase, run->ctmInfo().yBottom);
}

TEST(KXDocxRunTextLine, AddingABlankBehindWidensTheLastRun) {
    auto line = makeLine({at(u"a", 100, 0), at(u"b", 200, 1)});
    line->addBlankSpaceTextBehind();
    EXPECT_EQ(line->runTextArray().back()->runText(), u"b ");
    EXPECT_DOUBLE_EQ(line->lineFrame().size.width, 109);
    EXPECT_DOUBLE_EQ(line->behindTextSpaceWidth(), 3);
}
