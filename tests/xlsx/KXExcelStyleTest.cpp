// The style registry: its fixed defaults, how entries are shared, and the styles part.

#include <gtest/gtest.h>

#include "XlsxTestSupport.h"
#include "xlsx/KXExcelStyle.h"
#include "xlsx/KXExcelUtilities.h"

using kx::test::freshManager;
using kx::test::writtenXML;

namespace {

std::string stylesXML(const KXExcelStyle& style) {
    return writtenXML([&style](XMLFileWriter& w) { style.writeStyleWith(w); });
}

KXExcelStyleFont font(const std::string& name, double size, const std::string& color = "000000", bool bold = false) {
    KXExcel_Font f = KXExcelUtilities::defaultExcelFont();
    f.name = name;
    f.sz = size;
    f.b = bold;
    return KXExcelStyleFont(f, color);
}

}  // namespace

TEST(KXExcelStyle, DefaultStylesPart) {
    freshManager();
    EXPECT_EQ(stylesXML(KXExcelStyle()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>"
              "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
              "<fonts count=\"1\"><font><sz val=\"12\"/><color rgb=\"FF000000\"/><name val=\"Arial Unicode MS\"/>"
              "<b val=\"0\"/><i val=\"0\"/></font></fonts>"
              "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
              "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
              "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
              "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\">"
              "<alignment vertical=\"center\" horizontal=\"left\"/></xf></cellStyleXfs>"
              "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
              "applyAlignment=\"1\"><alignment horizontal=\"left\" vertical=\"center\" wrapText=\"1\"/></xf></cellXfs>"
              "<dxfs count=\"0\"/>"
              "<tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium9\" defaultPivotStyle=\"PivotStyleLight16\"/>"
              "</styleSheet>");
}

// Ids below 164 are the built-in formats (20 is a time format): custom codes start at 164.
TEST(KXExcelStyle, CustomNumberFormatsTakeIdsFrom164) {
    freshManager();
    KXExcelStyle style;
    EXPECT_EQ(style.collectNumberFormat("#,##0.00"), 164u);
    EXPECT_EQ(style.collectNumberFormat("$#,##0"), 165u);
    EXPECT_EQ(style.collectNumberFormat("0_);(0)"), 166u);
    EXPECT_EQ(style.collectNumberFormat("#,##0.00"), 164u);
    EXPECT_TRUE(style.existNumberFormat(165));
    EXPECT_FALSE(style.existNumberFormat(20));
    const std::string xml = stylesXML(style);
    EXPECT_NE(xml.find("<numFmts count=\"3\"><numFmt numFmtId=\"164\" formatCode=\"#,##0.00\"/>"
                       "<numFmt numFmtId=\"165\" formatCode=\"$#,##0\"/>"
                       "<numFmt numFmtId=\"166\" formatCode=\"0_);(0)\"/></numFmts><fonts"),
              std::string::npos)
        << xml;
}

TEST(KXExcelStyle, FontsAreSharedBySizeNameColourAndStyle) {
    KXExcelStyle style;
    EXPECT_EQ(style.collectFonts(font("Arial Unicode MS", 12)), 0u) << "equal to the default font";
    EXPECT_EQ(style.collectFonts(font("Times", 12)), 1u);
    KXExcelStyleFont otherFamily = font("Times", 12);
    KXExcel_Font f = otherFamily.font();
    f.famliy = "1";
    f.charset = "0";
    f.u = "single";
    otherFamily.setFont(f);
    EXPECT_EQ(style.collectFonts(otherFamily), 1u) << "family, charset and underline do not count";
    EXPECT_EQ(style.collectFonts(font("Times", 12.5)), 2u);
    EXPECT_EQ(style.collectFonts(font("Times", 12, "ff0000")), 3u);
    EXPECT_EQ(style.collectFonts(font("Times", 12, "000000", true)), 4u);
    EXPECT_EQ(style.fontsArr().size(), 5u);
}

// Font names longer than 31 characters are cut, never inside a surrogate pair; sizes are written
// without decimals.
TEST(KXExcelStyle, FontNamesAndSizesAsWritten) {
    freshManager();
    struct Case {
        const char* what;
        std::string name;
        std::string written;
    };
    const std::string thirtyOne(31, 'N');
    const std::string clef = "\xF0\x9D\x84\x9E";  // U+1D11E, two UTF-16 units
    const Case cases[] = {
        {"short name kept", "Times New Roman", "Times New Roman"},
        {"31 characters kept", thirtyOne, thirtyOne},
        {"32 characters cut to 31", thirtyOne + "X", thirtyOne},
        {"a pair across the limit is dropped whole", std::string(30, 'N') + clef + "X", std::string(30, 'N')},
        {"a pair before the limit is kept", std::string(29, 'N') + clef + "XY", std::string(29, 'N') + clef},
        {"multi-byte letters count once", std::string(40, 'a').replace(0, 2, "\xC3\xA9"),
         "\xC3\xA9" + std::string(30, 'a')},
        {"empty name gets the default", "", "Arial Unicode MS"},
    };
    for (const Case& c : cases) {
        KXExcelStyle style;
        style.collectFonts(font(c.name, 10.5));
        const std::string xml = stylesXML(style);
        EXPECT_NE(xml.find("<sz val=\"10\"/><color rgb=\"FF000000\"/><name val=\"" + c.written + "\"/>"),
                  std::string::npos)
            << c.what << "\n"
            << xml;
    }
}

TEST(KXExcelStyle, FillUnderACell) {
    KXExcelOptions fillsOn;
    fillsOn.setCollectCGPaths(true);
    fillsOn.setCollectFills(true);
    freshManager(fillsOn);
    KXExcelStyle style;
    const kx::Color yellow = kx::Color::rgb(1, 1, 0);
    style.collectFills(KXExcelStyleFill(kx::Rect(100, 100, 50, 20), yellow));
    style.collectFills(KXExcelStyleFill(kx::Rect(101, 101, 52, 22), yellow));  // the same fill again
    style.collectFills(KXExcelStyleFill(kx::Rect(120, 110, 100, 40), kx::Color::rgb(0, 0, 1)));
    ASSERT_EQ(style.fillsArr().size(), 4u);
    EXPECT_EQ(style.fillsArr()[2].fgRGBColor(), "ffff00");

    struct Case {
        const char* what;
        kx::Rect cell;
        std::uint32_t fill;
    };
    const Case cases[] = {
        {"touches nothing", {0, 0, 50, 50}, 0},
        {"inside the first", {110, 105, 10, 5}, 2},
        {"across both takes the lower index", {115, 105, 20, 20}, 2},
        {"only the second", {200, 140, 10, 5}, 3},
    };
    for (const Case& c : cases) EXPECT_EQ(style.getFillIdWithCellFrame(c.cell), c.fill) << c.what;

    KXExcelOptions pathsOff = fillsOn;
    pathsOff.setCollectCGPaths(false);
    KXExcelManager::sharedInstance().setOptions(pathsOff);
    EXPECT_EQ(style.getFillIdWithCellFrame({110, 105, 10, 5}), 0u) << "fills are not collected";

    const std::string xml = stylesXML(style);
    EXPECT_NE(xml.find("<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFffff00\"/></patternFill></fill>"),
              std::string::npos)
        << xml;
}

TEST(KXExcelStyle, BorderColoursAreWrittenAsGiven) {
    freshManager();
    KXExcelStyle style;
    KXExcel_PatternBorder border;
    border.left.style = "thin";
    border.left.color.rgb = "FF123456";
    KXExcelStyleBorder entry;
    entry.setBorder(border);
    style.bordersArr().push_back(entry);
    const std::string xml = stylesXML(style);
    EXPECT_NE(xml.find("<border><left style=\"thin\"><color rgb=\"FF123456\"/></left><right/><top/><bottom/>"
                       "<diagonal/></border>"),
              std::string::npos)
        << xml;
}

// The fills are one list for the workbook: a cell finds the first listed fill under it, whichever
// page painted it, and a rectangle painted again is the same entry.
TEST(KXExcelStyle, FillsAreOneListForTheWorkbook) {
    KXExcelOptions fillsOn;
    fillsOn.setCollectCGPaths(true);
    fillsOn.setCollectFills(true);
    freshManager(fillsOn);
    KXExcelStyle style;
    style.collectFills(KXExcelStyleFill(kx::Rect(100, 100, 50, 20), kx::Color::rgb(1, 1, 0)));
    EXPECT_EQ(style.getFillIdWithCellFrame({110, 105, 10, 5}), 2u);
    style.collectFills(KXExcelStyleFill(kx::Rect(101, 101, 50, 20), kx::Color::rgb(1, 1, 0)));
    style.collectFills(KXExcelStyleFill(kx::Rect(105, 100, 50, 20), kx::Color::rgb(0, 0, 1)));
    EXPECT_EQ(style.fillsArr().size(), 4u) << "painted again: the same entry";
    EXPECT_EQ(style.getFillIdWithCellFrame({110, 105, 10, 5}), 2u) << "the first listed fill under the cell";
}
