// The spreadsheet state: options and derived flags, fonts of runs, and the cell formats of text and
// number cells.

#include <gtest/gtest.h>

#include "XlsxTestSupport.h"
#include "xlsx/KXExcelNumber.h"
#include "xlsx/KXExcelStringItem.h"

using kx::test::formatStyle;
using kx::test::freshManager;
using kx::test::makeRun;

TEST(KXExcelManager, FlagsFollowTheFormatStyleAndOptions) {
    struct Case {
        const char* what;
        std::optional<KXExcelOptions> options;
        // wrap, merge, default size, default height, default name, special, numbers, paths, fills
        bool flags[9];
    };
    KXExcelOptions allOn;
    allOn.setCollectCGPaths(true);
    allOn.setCollectFills(true);
    KXExcelOptions fillsWithoutPaths;
    fillsWithoutPaths.setCollectFills(true);
    KXExcelOptions noNumbers;
    noNumbers.setRecognizeNumber(false);
    const Case cases[] = {
        {"no options: as if every field were 0", std::nullopt, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"style 0", formatStyle(0), {1, 1, 0, 0, 0, 0, 1, 0, 0}},
        {"style 1", formatStyle(1), {0, 0, 1, 1, 0, 0, 1, 0, 0}},
        {"style 2 recognises no numbers", formatStyle(2), {0, 0, 1, 1, 1, 1, 0, 0, 0}},
        {"numbers off", noNumbers, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"paths and fills", allOn, {1, 1, 0, 0, 0, 0, 1, 1, 1}},
        {"fills need paths", fillsWithoutPaths, {1, 1, 0, 0, 0, 0, 1, 0, 0}},
    };
    for (const Case& c : cases) {
        KXExcelManager::destory();
        KXExcelManager& m = KXExcelManager::sharedInstance();
        if (c.options) m.setOptions(*c.options);
        const bool got[9] = {m.isNeedWrapText(),       m.isNeedMergeCells(),     m.isNeedDefaultFontSize(),
                             m.isNeedDefaultRowHeight(), m.isNeedDefaultFontName(), m.isSpecialVersion(),
                             m.isNeedValidNumbers(),   m.isNeedCollectCGPaths(), m.isNeedCollectFills()};
        for (int i = 0; i < 9; ++i) EXPECT_EQ(got[i], c.flags[i]) << c.what << ", flag " << i;
    }
}

TEST(KXExcelManager, ThousandSeparatorAndReset) {
    const std::pair<int, const char*> separators[] = {{0, ","}, {1, "."}, {2, ","}};
    for (auto [value, text] : separators) {
        KXExcelOptions o;
        o.setThousandSepartor(value);
        EXPECT_EQ(freshManager(o).thousandSepartor(), text) << value;
    }
    KXExcelOptions oneSheet;
    oneSheet.setAllInOneSheet(true);
    KXExcelManager& m = freshManager(oneSheet);
    m.setAmountOfStringItems(7);
    m.excelStyle().collectNumberFormat("0.0");
    KXExcelManager::reset();
    EXPECT_EQ(m.amountOfStringItems(), 0u);
    EXPECT_TRUE(m.excelStyle().numFmtsArr().empty()) << "a fresh registry";
    EXPECT_TRUE(m.isAllInOneSheetEnabled()) << "the options stay";
}

TEST(KXExcelManager, BlankSpace) {
    const std::pair<std::u16string, bool> cases[] = {
        {u"", true}, {u"   ", true}, {u" a ", false}, {u"\t", false}, {u"\u00A0", false}};
    for (const auto& [text, blank] : cases) EXPECT_EQ(KXExcelManager::isBlankSpace(text), blank);
}

TEST(KXExcelManager, FontsOfRunsAndWhatTheyWriteBack) {
    struct Case {
        const char* what;
        KXExcelOptions options;
        std::string color;
        std::string wantName, wantColor;
        double wantSize;
        bool wantBold;
    };
    KXExcelOptions fills;
    fills.setCollectCGPaths(true);
    fills.setCollectFills(true);
    const Case cases[] = {
        {"style 0 keeps the run's font", formatStyle(0), "123456", "Times", "123456", 14, true},
        {"white turns black without fills", formatStyle(0), "ffffff", "Times", "000000", 14, true},
        {"no colour turns black without fills", formatStyle(0), "", "Times", "000000", 14, true},
        {"white stays with fills", fills, "ffffff", "Times", "ffffff", 14, true},
        {"style 1 gives size 10", formatStyle(1), "123456", "Times", "123456", 10, true},
        {"style 2 the default name, no bold", formatStyle(2), "123456", "Arial Unicode MS", "123456", 10, false},
    };
    for (const Case& c : cases) {
        KXExcelManager& m = freshManager(c.options);
        KXExcelRunText run = makeRun(u"x", 0, 0, 10, 10, 14);
        run.rPr().setRFont("Times");
        run.rPr().setRgbColor(c.color);
        run.rPr().setB(true);
        std::uint32_t id = m.collectFontsWithRun(run, 0);
        ASSERT_EQ(id, 1u) << c.what;
        const KXExcelStyleFont& f = m.excelStyle().fontsArr()[id];
        EXPECT_EQ(f.font().name, c.wantName) << c.what;
        EXPECT_EQ(f.rgbColor(), c.wantColor) << c.what;
        EXPECT_EQ(f.font().sz, c.wantSize) << c.what;
        EXPECT_EQ(f.font().b, c.wantBold) << c.what;
        EXPECT_EQ(run.rPr().rFont(), c.wantName) << c.what << ": written back";
        EXPECT_EQ(run.rPr().rgbColor(), c.wantColor) << c.what << ": written back";
        EXPECT_EQ(run.rPr().sz(), c.wantSize) << c.what << ": written back";
        EXPECT_EQ(m.collectFontsWithRun(run, 0), id) << c.what << ": registered once";
    }
}

namespace {

// An item of one run in column 2, spanning `columns` further columns, starting `offset` into its
// cell at x = 100.
std::shared_ptr<KXExcelStringItem> item(KXExcelRunText& run, double offset, std::uint64_t columns) {
    run.ctmInfo().xLeft = 100 + offset;
    auto it = std::make_shared<KXExcelStringItem>();
    it->runArray().push_back(&run);
    it->setColumnIndex(2);
    it->setRowIndex(1);
    run.setColumnLength(columns);
    it->calculatStringItemInfo();
    return it;
}

}  // namespace

TEST(KXExcelManager, TextCellFormats) {
    struct Case {
        const char* what;
        int style;
        double offset;
        std::uint64_t columns;
        const char* horizontal;
    };
    const Case cases[] = {
        {"one column", 1, 10, 0, "left"},
        {"spanning, 2.9 into the cell", 1, 2.9, 2, "left"},
        {"spanning, 3.0 into the cell", 1, 3.0, 2, "center"},
        {"spanning, far into the cell", 1, 30, 2, "center"},
        {"style 0 is always left", 0, 30, 2, "left"},
    };
    for (const Case& c : cases) {
        KXExcelManager& m = freshManager(formatStyle(c.style));
        KXExcelRunText run = makeRun(u"text", 0, 10, 40, 12);
        run.rPr().setRFont("Times");
        std::uint32_t s = m.getStyleIndexCellFrame(*item(run, c.offset, c.columns), kx::Rect(100, 0, 80, 0));
        ASSERT_EQ(s, 1u) << c.what << ": a new font appends one format";
        const KXExcel_Xf& xf = m.excelStyle().cellXfsArr()[s].formatedElm();
        EXPECT_EQ(xf.alignment.horizontal, c.horizontal) << c.what;
        EXPECT_EQ(xf.alignment.vertical, "center") << c.what;
        EXPECT_EQ(xf.fontId, 1) << c.what;
        EXPECT_EQ(xf.numFmtId, 0) << c.what;

        KXExcelRunText again = makeRun(u"other", 0, 30, 40, 12);
        again.rPr().setRFont("Times");
        EXPECT_EQ(m.getStyleIndexCellFrame(*item(again, c.offset, c.columns), kx::Rect(100, 0, 80, 0)), s)
            << c.what << ": the same font and alignment share the format";
        EXPECT_EQ(m.excelStyle().cellXfsArr().size(), 2u) << c.what;
    }
}

TEST(KXExcelManager, TextCellsOfMixedRunsTakeFontZero) {
    KXExcelManager& m = freshManager();
    KXExcelRunText a = makeRun(u"big", 100, 10, 20, 12, 14), b = makeRun(u"small", 120, 10, 20, 12, 9);
    KXExcelStringItem it;
    it.runArray() = {&a, &b};
    it.calculatStringItemInfo();
    ASSERT_TRUE(it.isAttributeRunText());
    EXPECT_EQ(m.getStyleIndexCellFrame(it, kx::Rect(100, 0, 80, 0)), 0u) << "the default format fits";
    EXPECT_EQ(m.excelStyle().fontsArr().size(), 1u) << "no font registered";
}

// A text cell never takes a number cell's format: its number format, fill or border would show on
// the text.
TEST(KXExcelManager, TextCellsDoNotShareNumberFormats) {
    KXExcelOptions fills;
    fills.setCollectCGPaths(true);
    fills.setCollectFills(true);
    struct Case {
        const char* what;
        std::u16string number;
        std::uint32_t fill;
    };
    const Case cases[] = {
        {"custom number format", u"1,234.50", 0},
        {"percent format", u"12%", 0},
        {"general number under a fill", u"42", 2},
    };
    for (const Case& c : cases) {
        KXExcelManager& m = freshManager(fills);
        m.excelStyle().collectFills(KXExcelStyleFill(kx::Rect(0, 0, 500, 500), kx::Color::rgb(1, 1, 0)));
        KXExcelRunText numberRun = makeRun(c.number, 100, 10, 40, 12);
        numberRun.rPr().setRFont("Times");
        KXExcelNumber number(numberRun.text(), ",");
        ASSERT_TRUE(number.isNumber()) << c.what;
        std::uint32_t numberStyle = m.styleIndexFrom(numberRun, number, c.fill);

        KXExcelRunText textRun = makeRun(u"label", 100, 30, 40, 12);
        textRun.rPr().setRFont("Times");
        std::uint32_t textStyle = m.getStyleIndexCellFrame(*item(textRun, 0, 0), kx::Rect(100, 0, 80, 0));
        EXPECT_NE(textStyle, numberStyle) << c.what;
        const KXExcel_Xf& xf = m.excelStyle().cellXfsArr()[textStyle].formatedElm();
        EXPECT_EQ(xf.numFmtId, 0) << c.what;
        EXPECT_EQ(xf.fillId, 0) << c.what;
    }
}

TEST(KXExcelManager, NumberCellFormats) {
    KXExcelManager& m = freshManager();
    auto styleOf = [&m](const std::u16string& text, std::uint32_t fill) {
        KXExcelRunText run = makeRun(text, 100, 10, 40, 12);
        run.rPr().setRFont("Times");
        KXExcelNumber number(text, ",");
        return m.styleIndexFrom(run, number, fill);
    };
    std::uint32_t a = styleOf(u"1,234.50", 0);
    EXPECT_EQ(styleOf(u"9,999.99", 0), a) << "same number format, font and fill";
    EXPECT_NE(styleOf(u"9,999.9", 0), a) << "another number format";
    EXPECT_NE(styleOf(u"1,234.50", 2), a) << "another fill";
    const KXExcel_Xf& xf = m.excelStyle().cellXfsArr()[a].formatedElm();
    EXPECT_EQ(xf.numFmtId, 164);
    EXPECT_TRUE(xf.applyNumberFormat);
    EXPECT_EQ(m.excelStyle().numFmtsArr().size(), 2u);
    EXPECT_EQ(styleOf(u"12%", 0), styleOf(u"50%", 0)) << "built-in percent format";
    EXPECT_EQ(m.excelStyle().cellXfsArr()[styleOf(u"12.50%", 0)].formatedElm().numFmtId, 10);
}
