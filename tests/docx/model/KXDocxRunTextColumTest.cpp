// Column blocks from synthetic lines: the white strips common to all lines, the columns cut along
// them, the strips that do not separate columns, blank columns, merging blocks, the space below a
// block, and every word landing in exactly one column.

#include <gtest/gtest.h>

#include <algorithm>

#include "DocxModelFixtures.h"
#include "docx/model/KXDocxRunTextColum.h"

using kx::test::makeRun;
using kx::test::RunSpec;

namespace {

struct Flow {
    double x, width;
    std::u16string text;
    std::uint64_t scan;  // reading and text position: flows of one line do not continue each other
};

// One line 10 high with its top at `top`, made of text flows.
std::shared_ptr<KXDocxRunTextLine> flowLine(double top, std::initializer_list<Flow> flows, double lineHeight = 0) {
    KXDocxRunTextArray runs;
    for (const Flow& f : flows) {
        RunSpec s;
        s.text = f.text;
        s.x = f.x;
        s.width = f.width;
        s.yBase = top + 8;
        s.scan = f.scan;
        s.lineHeight = lineHeight;
        runs.push_back(makeRun(s));
    }
    return KXDocxRunTextLine::initWithRunTextArray(runs);
}

// A block through every step of column detection.
std::shared_ptr<KXDocxRunTextColum> columns(const KXDocxRunTextLineArray& lines) {
    auto block = KXDocxRunTextColum::CreateRunTextColum(lines, true);
    block->createColumGroup();
    block->optimizeColumnSpaces();
    block->createColumGroup();
    block->optimizeColumnGroups();
    return block;
}

std::vector<std::u16string> wordsOf(const KXDocxRunTextColum& block) {
    std::vector<std::u16string> words;
    for (const auto& group : block.columGroupArray())
        for (const auto& line : group)
            for (const auto& run : line->runTextArray()) words.push_back(run->runText());
    std::sort(words.begin(), words.end());
    return words;
}

std::vector<std::u16string> columnTexts(const KXDocxRunTextColum& block) {
    std::vector<std::u16string> out;
    for (const auto& group : block.columGroupArray()) {
        std::u16string text;
        for (const auto& line : group) {
            if (!text.empty()) text.push_back(u'/');
            text += line->lineText();
        }
        out.push_back(text);
    }
    return out;
}

}  // namespace

TEST(KXDocxRunTextColum, StripsCommonToAllLinesCutTheBlockIntoColumns) {
    struct Case {
        const char* what;
        double secondLeftEnd;  // the second line's left flow ends here, its right flow starts 50 later
        size_t strips;
        std::vector<std::u16string> columns;
    };
    const Case cases[] = {
        {"inner gaps overlapping by 10: two columns", 290, 3, {u"L1/L2", u"R1/R2"}},
        {"inner gaps apart: one column", 310, 2, {u"L1 | R1/L2 | R2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxRunTextLineArray lines{
            flowLine(100, {{50, 200, u"L1", 0}, {300, 200, u"R1", 10}}),
            flowLine(112, {{50, c.secondLeftEnd - 50, u"L2", 1}, {c.secondLeftEnd + 50, 140, u"R2", 11}}),
        };
        auto block = KXDocxRunTextColum::CreateRunTextColum(lines, true);
        ASSERT_EQ(block->spaceColumArray().size(), c.strips);
        if (c.strips == 3) {
            const kx::Rect& inner = block->spaceColumArray()[1];
            EXPECT_DOUBLE_EQ(inner.origin.x, 290);
            EXPECT_DOUBLE_EQ(inner.size.width, 10);
            EXPECT_DOUBLE_EQ(inner.origin.y, 100);
            EXPECT_DOUBLE_EQ(inner.size.height, 22);
            EXPECT_DOUBLE_EQ(inner.midX(), 295) << "the columns meet in the middle of the common gap";
        }
        EXPECT_EQ(columnTexts(*columns(lines)), c.columns);
    }
}

TEST(KXDocxRunTextColum, StripsThatDoNotSeparateColumnsAreDropped) {
    struct Case {
        const char* what;
        KXDocxRunTextLineArray lines;
        size_t columns;
    };
    const Case cases[] = {
        {"a block of one line", {flowLine(100, {{50, 200, u"L", 0}, {300, 200, u"R", 10}})}, 1},
        {"a right column 35.9 wide",
         {flowLine(100, {{50, 200, u"L1", 0}, {300, 35.9, u"R1", 10}}),
          flowLine(112, {{50, 200, u"L2", 1}, {300, 35.9, u"R2", 11}})},
         1},
        {"a right column 36.0 wide",
         {flowLine(100, {{50, 200, u"L1", 0}, {300, 36, u"R1", 10}}),
          flowLine(112, {{50, 200, u"L2", 1}, {300, 36, u"R2", 11}})},
         2},
        {"a label lined up with one line of the other column",
         {flowLine(100, {{50, 50, u"Name:", 0}, {300, 100, u"value", 10}}), flowLine(112, {{300, 100, u"more", 11}})},
         1},
        {"columns that never share a line's height",
         {flowLine(100, {{50, 200, u"L1", 0}}), flowLine(112, {{300, 200, u"R1", 10}})},
         1},
        {"a column of blanks",
         {flowLine(100, {{50, 200, u"L1", 0}, {300, 100, u"   ", 10}}),
          flowLine(112, {{50, 200, u"L2", 1}, {300, 100, u"  ", 11}})},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto block = columns(c.lines);
        EXPECT_EQ(block->columGroupArray().size(), c.columns);
    }
}

TEST(KXDocxRunTextColum, EveryWordLandsInExactlyOneColumn) {
    struct Case {
        const char* what;
        KXDocxRunTextLineArray lines;
    };
    const Case cases[] = {
        {"a strip that is a sliver round runs overlapping at a reading-order break",
         {flowLine(100, {{100, 100, u"a", 0}, {195, 100, u"b", 10}}),
          flowLine(112, {{100, 100, u"c", 1}, {195, 100, u"d", 11}})}},
        {"text that starts at the page's left edge",
         {flowLine(100, {{0, 100, u"a", 0}, {200, 100, u"b", 10}, {400, 100, u"e", 20}}),
          flowLine(112, {{0, 100, u"c", 1}, {200, 100, u"d", 11}, {400, 100, u"f", 21}})}},
        {"a narrow first column",
         {flowLine(100, {{10, 20, u"1", 0}, {60, 200, u"a", 10}}), flowLine(112, {{10, 20, u"2", 1}, {60, 200, u"b", 11}})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::u16string> want;
        for (const auto& line : c.lines)
            for (const auto& run : line->runTextArray()) want.push_back(run->runText());
        std::sort(want.begin(), want.end());
        auto block = KXDocxRunTextColum::CreateRunTextColum(c.lines, true);
        block->createColumGroup();
        EXPECT_EQ(wordsOf(*block), want) << "as first cut";
        EXPECT_EQ(wordsOf(*columns(c.lines)), want) << "after the clean-up";
    }
}

TEST(KXDocxRunTextColum, BlocksMergeWhenCloseAndKeepingTheirStrips) {
    struct Case {
        const char* what;
        double height;  // of every line
        double gap;     // between the blocks
        size_t merged;
    };
    const Case cases[] = {
        {"2-point lines 6 apart (limit 5)", 2, 6, 1},
        {"10-point lines 6 apart (limit 20)", 10, 6, 2},
        {"10-point lines 21 apart", 10, 21, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto line = [&](double top, std::uint64_t scan) {
            RunSpec s;
            s.x = 50;
            s.width = 100;
            s.height = c.height;
            s.yBase = top + 0.8 * c.height;
            s.scan = scan;
            return kx::test::makeLine({s});
        };
        auto a = KXDocxRunTextColum::CreateRunTextColum({line(100, 0)}, true);
        auto b = KXDocxRunTextColum::CreateRunTextColum({line(100 + c.height + c.gap, 1)}, true);
        EXPECT_EQ(KXDocxRunTextColum::FindMergeRunTextColumArray({a, b}).size(), c.merged);
    }
}

TEST(KXDocxRunTextColum, SpaceBelowTheBlock) {
    auto one = columns({flowLine(100, {{50, 100, u"a", 0}}, 13.8)});
    EXPECT_NEAR(one->bottomNeedSpace(), 3.8, 1e-6);
    auto two = columns({flowLine(100, {{50, 100, u"a", 0}}), flowLine(114, {{50, 100, u"b", 1}})});
    EXPECT_DOUBLE_EQ(two->bottomNeedSpace(), 4);
    EXPECT_DOUBLE_EQ(KXDocxRunTextColum().bottomNeedSpace(), 0);
}

TEST(KXDocxRunTextColum, ReadingOrderInsideColumns) {
    auto block = KXDocxRunTextColum::CreateRunTextColum(
        {flowLine(100, {{50, 200, u"L1", 0}, {300, 200, u"R1", 2}}), flowLine(112, {{50, 200, u"L2", 1}, {300, 200, u"R2", 3}})},
        true);
    EXPECT_TRUE(block->isPDFScanIndexContinuousRunTextInEveryColum());
    auto mixed = KXDocxRunTextColum::CreateRunTextColum(
        {flowLine(100, {{50, 200, u"L1", 0}, {300, 200, u"R1", 5}}), flowLine(112, {{50, 200, u"L2", 2}, {300, 200, u"R2", 6}})},
        true);
    EXPECT_FALSE(mixed->isPDFScanIndexContinuousRunTextInEveryColum());
}
