// The DOCX page's text layout: the page margins snapped to steps and held to what the text and the
// tables leave, the page border's space measured from the page edge, and the bands that divide the
// text area from the top margin to the bottom one.

#include <gtest/gtest.h>

#include "docx/model/DocxModelFixtures.h"
#include "docx/page/KXDocxPage.h"
#include "docx/page/KXDocxTable.h"

using kx::test::makeRun;
using kx::test::RunSpec;

namespace {

constexpr kx::Size kLetter{612, 792};

KXDocx_PgMar margins(float top, float right, float bottom, float left) {
    KXDocx_PgMar m;
    m.top = top;
    m.right = right;
    m.bottom = bottom;
    m.left = left;
    return m;
}

// A run of text whose box has its top at `top` (10 high, no single-line height of its own: its
// lowest reach counts one and a half boxes and a point below its top).
std::shared_ptr<KXDocxRunText> text(double x, double top, double width, std::uint64_t scan,
                                    std::u16string words = u"words of a line") {
    return makeRun({.text = std::move(words), .x = x, .width = width, .yBase = top + 8, .scan = scan});
}

std::shared_ptr<KXDocxTable> table(const kx::Rect& bounds) {
    auto t = std::make_shared<KXDocxTable>();
    t->setBounds(bounds);
    return t;
}

}  // namespace

TEST(KXDocxPageColumns, MarginSteps) {
    const std::pair<double, double> cases[] = {{20.2, 21}, {35.7, 36}, {35.75, 36}, {35.8, 36}, {50, 36},
                                               {71.75, 72}, {100, 72}, {143.75, 144}, {200, 144}};
    for (const auto& [margin, step] : cases) EXPECT_DOUBLE_EQ(KXDocxPage::PageMarginStepValue(margin), step) << margin;
}

TEST(KXDocxPageColumns, MarginsFromTheirLimits) {
    struct Case {
        const char* what;
        KXDocx_PgMar limit, want;
        float header, footer;
    };
    const KXDocx_PgMar d = KXDocxUtilities::defaultPageMarginProperty();
    const Case cases[] = {
        {"left 20.2 and right 100: the right follows the left down", margins(100, 100, 100, 20.2f),
         margins(72, 20.2f, 72, 20.2f), 35.4f, 35.4f},
        {"left and right 35.8: equal steps of 36, held back to 35.8", margins(100, 35.8f, 100, 35.8f),
         margins(72, 35.8f, 72, 35.8f), 35.4f, 35.4f},
        {"left 40 and right 100: steps 36 and 72, made equal", margins(100, 100, 100, 40), margins(72, 36, 72, 36),
         35.4f, 35.4f},
        {"top 80 and bottom 200: steps 72 and 144, made equal", margins(80, 100, 200, 100), margins(72, 72, 72, 72),
         35.4f, 35.4f},
        {"top 30 and bottom 200: not made equal below 71.75", margins(30, 100, 200, 100), margins(30, 72, 144, 72),
         d.header, 35.4f},
        {"top 36 and bottom 35: header at 36 only", margins(36, 100, 35, 100), margins(36, 72, 35, 72), 35.4f,
         d.footer},
    };
    KXDocxPage page(nullptr, kLetter, true, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const KXDocx_PgMar m = page.bestPgMarWithMaxPGMar(c.limit);
        EXPECT_FLOAT_EQ(m.top, c.want.top);
        EXPECT_FLOAT_EQ(m.right, c.want.right);
        EXPECT_FLOAT_EQ(m.bottom, c.want.bottom);
        EXPECT_FLOAT_EQ(m.left, c.want.left);
        EXPECT_FLOAT_EQ(m.header, c.header);
        EXPECT_FLOAT_EQ(m.footer, c.footer);
        EXPECT_FLOAT_EQ(m.gutter, d.gutter);
    }
}

// The margins a page takes from where its text and tables stand, and its bands from the top margin
// to the bottom one.
TEST(KXDocxPageColumns, PageMarginsAndTheBandBetweenThem) {
    struct Case {
        const char* what;
        std::vector<std::shared_ptr<KXDocxRunText>> runs;
        std::vector<kx::Rect> tables;
        KXDocx_PgMar want;
    };
    const Case cases[] = {
        {"no text and no table: 72 all round", {}, {}, margins(72, 72, 72, 72)},
        {"a table well inside the page: 72 all round", {}, {kx::Rect(100, 200, 300, 100)}, margins(72, 72, 72, 72)},
        {"a table near the edges: 6 above it, never below 36 at the sides, 1 below it",
         {},
         {kx::Rect(20, 30, 560, 700)},
         margins(24, 36, 36, 36)},
        {"text well inside the page", {text(90, 100, 300, 0), text(90, 114, 300, 1)}, {}, margins(72, 72, 72, 72)},
        {"text near the edges: the margins reach it",
         {text(20, 15, 560, 0), text(20, 760, 560, 1)},
         {},
         margins(15, 31, 15, 20)},
        {"text and a table above it: the top step stays above the table, the bottom is not made equal to it",
         {text(90, 100, 300, 0)},
         {kx::Rect(90, 40, 300, 40)},
         margins(36, 72, 144, 72)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxPage page(nullptr, kLetter, true, true);
        page.allRunTextArray() = c.runs;
        for (const kx::Rect& t : c.tables) page.allTableArray().push_back(table(t));
        page.createPageWithColumn();
        const KXDocx_PgMar& m = page.sectProperty().pgMar;
        EXPECT_FLOAT_EQ(m.top, c.want.top);
        EXPECT_FLOAT_EQ(m.right, c.want.right);
        EXPECT_FLOAT_EQ(m.bottom, c.want.bottom);
        EXPECT_FLOAT_EQ(m.left, c.want.left);
        if (c.runs.empty()) {
            EXPECT_TRUE(page.allPageSectionArray().empty());
            if (c.tables.empty()) {
                EXPECT_FLOAT_EQ(m.header, 72);
                EXPECT_FLOAT_EQ(m.footer, 72);
            }
            continue;
        }
        const auto& bands = page.allPageSectionArray();
        ASSERT_FALSE(bands.empty());
        for (const auto& band : bands) {
            EXPECT_DOUBLE_EQ(band->sectionFrame().minX(), m.left);
            EXPECT_DOUBLE_EQ(band->sectionFrame().size.width, 612 - m.left - m.right);
        }
        EXPECT_DOUBLE_EQ(bands.front()->sectionFrame().minY(), m.top);
        EXPECT_DOUBLE_EQ(bands.back()->sectionFrame().maxY(), 792 - m.bottom);
    }
}

TEST(KXDocxPageColumns, BandsTileTheTextAreaFromTopToBottom) {
    // A block of full-width lines, then well below it a block of two columns.
    KXDocxPage page(nullptr, kLetter, false, false);
    std::uint64_t scan = 0;
    for (double top : {100.0, 114.0, 128.0}) page.allRunTextArray().push_back(text(90, top, 430, scan++));
    for (double x : {90.0, 330.0})
        for (double top : {300.0, 314.0, 328.0, 342.0}) page.allRunTextArray().push_back(text(x, top, 190, scan++));
    page.createPageWithColumn();
    const auto& bands = page.allPageSectionArray();
    ASSERT_EQ(bands.size(), 2u);
    const KXDocx_PgMar& m = page.sectProperty().pgMar;
    EXPECT_DOUBLE_EQ(bands[0]->sectionFrame().minY(), m.top);
    EXPECT_DOUBLE_EQ(bands[1]->sectionFrame().minY(), bands[0]->sectionFrame().maxY());
    EXPECT_LE(bands[0]->sectionFrame().maxY(), 300);
    EXPECT_GE(bands[0]->sectionFrame().maxY(), 300 - 8) << "pulled up by no more than 8 above the next block";
    EXPECT_DOUBLE_EQ(bands[1]->sectionFrame().maxY(), 792 - m.bottom);
    EXPECT_TRUE(bands[0]->isPageHeadSection() && !bands[0]->isPageFootSection());
    EXPECT_TRUE(!bands[1]->isPageHeadSection() && bands[1]->isPageFootSection());
    EXPECT_EQ(bands[1]->previousPageSection(), bands[0]);
    EXPECT_EQ(bands[1]->sectProperty().cols.num, 2u);
}

TEST(KXDocxPageColumns, APageBorderIsMeasuredFromThePageEdge) {
    KXDocxPage page(nullptr, kLetter, true, true);
    page.allRunTextArray().push_back(text(90, 100, 300, 0));
    KXDocx_Borders borders = KXDocxUtilities::defaultPageBordersNone();
    borders.top.space = 24;
    borders.left.space = 10;
    borders.bottom.space = 20;
    borders.right.space = 5;
    page.setPgBorders_offsetFrom(2);
    page.setPgBorders(borders);
    page.createPageWithColumn();
    const KXDocx_SectPr& s = page.sectProperty();
    ASSERT_FLOAT_EQ(s.pgMar.top, 72);
    EXPECT_EQ(s.offsetFrom, 2);
    EXPECT_FLOAT_EQ(s.pgBorders.top.space, 24 + 72);
    EXPECT_FLOAT_EQ(s.pgBorders.left.space, 10 + s.pgMar.left);
    EXPECT_FLOAT_EQ(s.pgBorders.bottom.space, 20 + s.pgMar.bottom);
    EXPECT_FLOAT_EQ(s.pgBorders.right.space, 5 + s.pgMar.right);

    // No border found: none written.
    KXDocxPage plain(nullptr, kLetter, true, true);
    plain.allRunTextArray().push_back(text(90, 100, 300, 0));
    plain.createPageWithColumn();
    EXPECT_EQ(plain.sectProperty().offsetFrom, KXDocxUtilities::defaultSectPropertyHiden().offsetFrom);
}
