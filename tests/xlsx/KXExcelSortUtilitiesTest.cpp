// Ordering, banding and joining of a page's runs: the tolerances of the grid layout.

#include <gtest/gtest.h>

#include "XlsxTestSupport.h"
#include "xlsx/KXExcelSortUtilities.h"

using kx::test::makeRun;
using RunList = KXExcelSortUtilities::RunList;

TEST(KXExcelSortUtilities, StableSorts) {
    KXExcelRunText a = makeRun(u"a", 10, 20, 5, 5), b = makeRun(u"b", 10, 0, 5, 5), c = makeRun(u"c", 0, 20, 5, 5);
    EXPECT_TRUE(KXExcelSortUtilities::SortRunTextsByX({}).empty());
    EXPECT_EQ(KXExcelSortUtilities::SortRunTextsByX({&a, &b, &c}), (RunList{&c, &a, &b})) << "equal left edges keep order";
    EXPECT_EQ(KXExcelSortUtilities::SortRunTextsByY(KXExcelSortUtilities::SortRunTextsByX({&a, &b, &c})),
              (RunList{&b, &c, &a}))
        << "by top, ties by left edge";
}

TEST(KXExcelSortUtilities, Bands) {
    // Baselines are 80 % down the runs: 8 for a run 10 high at the top.
    KXExcelRunText first = makeRun(u"1", 0, 0, 20, 10);
    KXExcelRunText touching = makeRun(u"2", 100, 8, 20, 10);  // top on the band's baseline
    KXExcelRunText inside = makeRun(u"3", 200, 7.9, 20, 10);
    KXExcelRunText later = makeRun(u"4", 300, 15, 20, 10);  // below the first, within the second
    EXPECT_EQ(KXExcelSortUtilities::FindRunTextsCrossedInHeight({&first, &touching, &inside, &later}),
              (RunList{&first, &inside, &later}));

    KXExcelRunText left = makeRun(u"1", 0, 0, 20, 10);
    KXExcelRunText onEdge = makeRun(u"2", 20, 50, 30, 10);  // starts on the band's right edge
    KXExcelRunText past = makeRun(u"3", 50.1, 90, 10, 10);
    KXExcelRunText reached = makeRun(u"4", 49, 90, 10, 10);
    EXPECT_EQ(KXExcelSortUtilities::FindRunTextsCrossedInWidth({&left, &onEdge, &past, &reached}),
              (RunList{&left, &onEdge, &reached}));
    EXPECT_TRUE(KXExcelSortUtilities::FindRunTextsCrossedInWidth({}).empty());
}

TEST(KXExcelSortUtilities, SameLine) {
    struct Case {
        const char* what;
        std::int32_t option;
        double gap;             // from the anchor's right edge
        double baselineOffset;  // of the candidate
        double size;            // of the candidate (the anchor is 12)
        bool joins;
    };
    const Case cases[] = {
        {"option 0, 1.9 after", 0, 1.9, 0, 12, true},
        {"option 0, 2.0 after", 0, 2.0, 0, 12, false},
        {"option 0, 2.9 before", 0, -2.9, 0, 12, true},
        {"option 0, 3.0 before", 0, -3.0, 0, 12, false},
        {"option 1, deep overlap", 1, -40, 0, 12, true},
        {"option 1, 2.9 after", 1, 2.9, 0, 12, true},
        {"option 2, overlap by 1.9", 2, -1.9, 0, 12, true},
        {"option 2, overlap by 2.0", 2, -2.0, 0, 12, false},
        {"0.5 above, gap 1.0", 0, 1.0, -0.5, 12, true},
        {"baseline 1.0 away", 0, 1.0, 1.0, 12, false},
        {"another size", 0, 1.0, 0, 14, false},
    };
    for (const Case& c : cases) {
        KXExcelRunText anchor = makeRun(u"a", 100, 0, 50, 10);
        KXExcelRunText r = makeRun(u"b", 150 + c.gap, c.baselineOffset, 40, 10, c.size);
        r.rPr().setSz(c.size);
        RunList found = KXExcelSortUtilities::FindRunTextsMergedInWidth({&anchor, &r}, c.option);
        EXPECT_EQ(found.size() == 2, c.joins) << c.what;
    }
}

TEST(KXExcelSortUtilities, SameCell) {
    KXExcelRunText anchor = makeRun(u"a", 100, 0, 50, 10);
    KXExcelRunText next = makeRun(u"b", 120, 11.9, 50, 10);
    KXExcelRunText tooFar = makeRun(u"c", 120, 23.95, 50, 10);  // 2.05 below the reach (21.9)
    KXExcelRunText right = makeRun(u"d", 149.5, 22, 50, 10);    // starts within 1 of the anchor's right
    EXPECT_EQ(KXExcelSortUtilities::FindRunTextsMergedInHeight({&anchor, &next, &tooFar, &right}),
              (RunList{&anchor, &next}));
}

TEST(KXExcelSortUtilities, Joining) {
    struct Case {
        const char* what;
        bool lines;
        std::u16string first, second;
        double secondSize;
        std::u16string joined;
    };
    const Case cases[] = {
        {"one line", false, u"Total", u"Amount", 12, u"TotalAmount"},
        {"two lines alike", true, u"Total", u"Amount", 12, u"Total Amount"},
        {"two lines unlike", true, u"Total", u"Amount", 9, u"Total\nAmount"},
        {"Chinese lines", true, u"\u5408\u8BA1", u"\u91D1\u989D", 12, u"\u5408\u8BA1\u91D1\u989D"},
        {"Chinese line, then an English word", true, u"\u4EF7\u683C Price", u"Total", 12, u"\u4EF7\u683C Price Total"},
        {"English word, then a Chinese line", true, u"Price", u"\u5408\u8BA1", 12, u"Price \u5408\u8BA1"},
        {"lowest Chinese character", true, u"\u4E01", u"\u4E01", 12, u"\u4E01\u4E01"},
        {"below the Chinese characters", true, u"\u4E00", u"\u4E00", 12, u"\u4E00 \u4E00"},
        {"highest Chinese character", true, u"\u9FFE", u"\u9FFE", 12, u"\u9FFE\u9FFE"},
        {"above the Chinese characters", true, u"\u9FFF", u"\u9FFF", 12, u"\u9FFF \u9FFF"},
    };
    for (const Case& c : cases) {
        KXExcelRunText a = makeRun(c.first, 100, 0, 30, 10);
        KXExcelRunText b = makeRun(c.second, 90, 11, 60, 12, c.secondSize);
        b.rPr().setSz(c.secondSize);
        KXExcelRunText* kept = c.lines ? KXExcelSortUtilities::MergeRunTextsInHeight({&a, &b})
                                       : KXExcelSortUtilities::MergeRunTextsInWidth({&a, &b});
        ASSERT_EQ(kept, &a) << c.what;
        EXPECT_EQ(a.text(), c.joined) << c.what;
        EXPECT_EQ(a.ctmInfo().xLeft, 90) << c.what;
        EXPECT_EQ(a.ctmInfo().xRight, 150) << c.what;
        EXPECT_EQ(a.ctmInfo().yTop, 0) << c.what;
        EXPECT_EQ(a.ctmInfo().yBottom, 23) << c.what;
        EXPECT_EQ(a.textWidth(), 60) << c.what << ": right edge minus left edge";
        EXPECT_EQ(b.text(), c.second) << c.what << ": the other run is left alone";
    }
    EXPECT_EQ(KXExcelSortUtilities::MergeRunTextsInWidth({}), nullptr);
}

// Pieces of one line set apart without a blank keep one between them where the gap parts two words:
// from a point on and from a tenth of the font size on.
TEST(KXExcelSortUtilities, WordGapsInALine) {
    struct Case {
        const char* what;
        std::u16string first, second;
        double gap, size;
        std::u16string joined;
    };
    const Case cases[] = {
        {"touching", u"for", u"profit", 0, 10, u"forprofit"},
        {"overlapping", u"W", u"ord", -0.8, 10, u"Word"},
        {"under a point", u"for", u"profit", 0.95, 8, u"forprofit"},
        {"a point in small text", u"for", u"profit", 1.0, 8, u"for profit"},
        {"a tight gap in body text", u"for", u"profit", 1.2, 10, u"for profit"},
        {"under a tenth of the size", u"S", u"UMMARY", 1.7, 18, u"SUMMARY"},
        {"past a tenth of the size", u"big", u"words", 1.9, 18, u"big words"},
        {"a blank already there", u"for ", u"profit", 1.5, 10, u"for profit"},
        {"a blank to come", u"for", u" profit", 1.5, 10, u"for profit"},
    };
    for (const Case& c : cases) {
        KXExcelRunText a = makeRun(c.first, 100, 0, 30, 10, c.size);
        KXExcelRunText b = makeRun(c.second, 130 + c.gap, 0, 30, 10, c.size);
        KXExcelSortUtilities::MergeRunTextsInWidth({&a, &b});
        EXPECT_EQ(a.text(), c.joined) << c.what;
    }
    // The gap is taken from the line so far: a piece that lies within the line adds no blank.
    KXExcelRunText a = makeRun(u"wide", 100, 0, 60, 10), inside = makeRun(u"x", 130, 0, 10, 10),
                   next = makeRun(u"y", 160.5, 0, 10, 10);
    KXExcelSortUtilities::MergeRunTextsInWidth({&a, &inside, &next});
    EXPECT_EQ(a.text(), u"widexy");
}

TEST(KXExcelSortUtilities, GroupsAndExtremes) {
    KXExcelRunText a = makeRun(u"a", 10, 0, 20, 10), b = makeRun(u"b", 5, 30, 40, 10), c = makeRun(u"c", 50, 0, 5, 10);
    a.setRowIndex(1), a.setColumnIndex(1), b.setRowIndex(2), b.setColumnIndex(1), c.setRowIndex(1), c.setColumnIndex(2);
    EXPECT_EQ(KXExcelSortUtilities::FindRunTextsInSameColumnIndex({&a, &b, &c}), (RunList{&a, &b}));
    EXPECT_EQ(KXExcelSortUtilities::FindRunTextsInSameRowIndex({&a, &b, &c}), (RunList{&a, &c}));
    EXPECT_EQ(KXExcelSortUtilities::FindRunTextsInSameRowColumnIndex({&a, &b, &c}), (RunList{&a}));
    EXPECT_EQ(KXExcelSortUtilities::GetMinxLeftInRunTexts({&a, &b, &c}), 5);
    EXPECT_EQ(KXExcelSortUtilities::GetMaxxLeftInRunTexts({&a, &b, &c}), 50);
    EXPECT_EQ(KXExcelSortUtilities::GetMinxRightInRunTexts({&a, &b, &c}), 30);
    EXPECT_EQ(KXExcelSortUtilities::GetMaxxRightInRunTexts({&a, &b, &c}), 55);
    EXPECT_EQ(KXExcelSortUtilities::GetMinxTopInRunTexts({&b, &a}), 0);
}
