// Tables put into the text flow where the section layout left blank space: the space a paragraph
// can lend, the margins or blank paragraphs round a table that fits, the space borrowed from the
// paragraphs next to a table that overlaps them, and a table that cannot be fitted, left to float.

#include <gtest/gtest.h>

#include "docx/model/DocxModelFixtures.h"
#include "docx/page/layout/KXDocxPageSection.h"
#include "docx/page/layout/KXDocxTable.h"

namespace {

struct Spacing {
    double before = 0, after = 0, line = 14;
};

std::shared_ptr<KXDocxParagraph> paragraph(Spacing s, const std::u16string& text = u"words", size_t lines = 1,
                                           float size = 12) {
    auto p = std::make_shared<KXDocxParagraph>();
    KXDocx_PPr pp = p->pProperty();
    pp.spacing.before = static_cast<float>(s.before);
    pp.spacing.after = static_cast<float>(s.after);
    pp.spacing.line = static_cast<float>(s.line);
    p->setPProperty(pp);
    KXDocx_RPr rp = p->rProperty();
    rp.sz = rp.szCs = size;
    p->setRProperty(rp);
    p->setParagraphText(text);
    KXDocxRunTextLineArray array;
    for (size_t i = 0; i < lines; ++i) array.push_back(kx::test::makeLine({{}}));
    p->setLineArray(std::move(array));
    p->setColumnFrame({72, 0, 468, 792});
    return p;
}

std::shared_ptr<KXDocxTable> tableAt(const kx::Rect& bounds) {
    auto t = std::make_shared<KXDocxTable>();
    t->setBounds(bounds);
    return t;
}

Spacing spacingOf(const KXDocxParagraph& p) {
    return {p.pProperty().spacing.before, p.pProperty().spacing.after, p.pProperty().spacing.line};
}

}  // namespace

TEST(KXDocxPageSectionTables, SpaceAParagraphLends) {
    struct Case {
        const char* what;
        Spacing spacing;
        std::u16string text;
        size_t lines;
        double overlap;  // negative: the space to remove
        bool fromTheEnd;
        bool lends;
        Spacing after;
    };
    const Case cases[] = {
        {"its space after, from the end", {0, 6, 14}, u"words", 1, -4, true, true, {0, 1.9, 14}},
        {"its space before, from the start", {6, 0, 14}, u"words", 1, -4, false, true, {1.9, 0, 14}},
        {"both spacings, from the end", {3, 2, 14}, u"words", 1, -4, true, true, {0.9, 0, 14}},
        {"both spacings, from the start", {2, 3, 14}, u"words", 1, -4, false, true, {0, 0.9, 14}},
        {"an empty paragraph, of its line", {0, 0, 14}, u"", 1, -4, true, true, {0, 0, 9.9}},
        {"three lines of 14 at 12 pt: up to 9.6", {0, 0, 14}, u"words", 3, -9.4, true, true, {0, 0, 14 - 9.5 / 3}},
        {"three lines of 14 at 12 pt: not 9.7", {0, 0, 14}, u"words", 3, -9.6, true, false, {0, 0, 14}},
        {"text without lines: nothing", {0, 0, 14}, u"words", 0, -1, true, false, {0, 0, 14}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto p = paragraph(c.spacing, c.text, c.lines);
        EXPECT_EQ(KXDocxPageSection::BorrowParagraph(*p, c.overlap, c.fromTheEnd, false), c.lends);
        const Spacing tried = spacingOf(*p);
        EXPECT_NEAR(tried.before, c.spacing.before, 1e-4) << "a trial changes nothing";
        EXPECT_NEAR(tried.after, c.spacing.after, 1e-4);
        EXPECT_NEAR(tried.line, c.spacing.line, 1e-4);
        EXPECT_EQ(KXDocxPageSection::BorrowParagraph(*p, c.overlap, c.fromTheEnd, true), c.lends);
        const Spacing kept = spacingOf(*p);
        EXPECT_NEAR(kept.before, c.after.before, 1e-4);
        EXPECT_NEAR(kept.after, c.after.after, 1e-4);
        EXPECT_NEAR(kept.line, c.after.line, 1e-4);
    }
}

// A blank area from y = 100 to 200 over the column, its example paragraph at 12 pt.
TEST(KXDocxPageSectionTables, TableInABlankArea) {
    const kx::Rect blank{72, 100, 468, 100};
    struct Case {
        const char* what;
        kx::Rect table;
        Spacing above;  // the paragraph before the area (line 0: there is none)
        bool placed;
        double marginTop, marginBottom;
        int blanksBefore;    // blank paragraphs before the table (-1: some)
        bool blanksAfter;    // blank paragraphs after it
        double aboveAfter;   // the space after of the paragraph before the area, after the call
        double below = 0;    // the height of the blank paragraphs after it
    };
    const Case cases[] = {
        {"2 pt above and below: margins, no blank paragraph", {72, 102, 300, 96}, {0, 3, 14}, true, 2, 2, 0, false, 3},
        {"10 pt above at 12 pt type: the paragraph above takes it", {72, 110, 300, 88}, {0, 3, 14}, true, 0, 2, 0, false,
         13},
        {"10 pt above and nothing before: blank paragraphs", {72, 110, 300, 88}, {0, 0, 0}, true, 0, 2, -1, false, 0},
        {"4 pt over the text above: borrowed from it", {72, 96, 300, 100}, {0, 6, 14}, true, 0.1, 0, 0, true, 1.9, 4},
        {"10 pt over the text above and below, nothing to lend: left to float", {72, 90, 300, 120}, {0, 0, 0}, false, 0,
         0, -1, false, 0},
        // The table stands 40.1 pt lower in the flow than on the page; the area below it must be as
        // much shorter, or all that follows moves down the page by as much.
        {"40 pt over the text above, nothing to lend: moved down into the space below it", {72, 60, 300, 40},
         {0, 0, 0}, true, 0.1, 0, 0, true, 0, 59.9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto example = paragraph({}, u"", 1);
        auto table = tableAt(c.table);
        KXDocxTableArray tables{table};
        std::shared_ptr<KXDocxParagraph> above;
        std::vector<KXDocxWriterObjectArray> array0;
        if (c.above.line > 0) {
            above = paragraph(c.above);
            array0.push_back({above});
        }
        const KXDocxWriterObjectArray result = KXDocxPageSection::CreateParagraphsAndTables(
            tables, blank, example, array0.empty() ? nullptr : &array0, nullptr);
        const auto at = std::find(result.begin(), result.end(), table);
        EXPECT_EQ(at != result.end(), c.placed);
        EXPECT_EQ(tables.size(), c.placed ? 1u : 0u) << "a table left out leaves the found tables, to float";
        for (const auto& object : result) {
            if (object != table) {
                EXPECT_NE(std::dynamic_pointer_cast<KXDocxParagraph>(object), nullptr);
            }
        }
        if (!c.placed) {
            EXPECT_FALSE(result.empty()) << "the area below the cursor is filled with blank paragraphs";
            continue;
        }
        EXPECT_EQ(table->tblProperty().tblpPr.horzAnchor, 0) << "in the flow";
        EXPECT_NEAR(table->textWrappingToNoneMarginTop(), c.marginTop, 1e-6);
        EXPECT_NEAR(table->textWrappingToNoneMarginBottom(), c.marginBottom, 1e-6);
        const long before = at - result.begin();
        if (c.blanksBefore >= 0) {
            EXPECT_EQ(before, c.blanksBefore);
        } else {
            EXPECT_GT(before, 0);
        }
        EXPECT_EQ(at + 1 != result.end(), c.blanksAfter);
        double below = 0;
        for (auto it = at + 1; it != result.end(); ++it)
            if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(*it))
                below += p->pProperty().spacing.before + p->pProperty().spacing.line + p->pProperty().spacing.after;
        EXPECT_NEAR(below, c.below, 1e-3);
        if (above) {
            EXPECT_NEAR(above->pProperty().spacing.after, c.aboveAfter, 1e-4);
        }
    }
}
