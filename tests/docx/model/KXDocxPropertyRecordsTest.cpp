// Property records: defaults, name tables, comparers, border widths, dash styles, colours and the
// resource-bundle lookup.

#include <gtest/gtest.h>

#include <cstdlib>

#include "docx/model/KXDocxUtilities.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

KXDocx_Color rgba(int r, int g, int b, int a) { return {r, g, b, a}; }

}  // namespace

TEST(KXDocxDefaults, RunParagraphAndSectionRecords) {
    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    for (const std::string* name : {&r.rFonts.ascii, &r.rFonts.hAnsi, &r.rFonts.cs, &r.rFonts.eastAsia})
        EXPECT_EQ(*name, "Times New Roman");
    EXPECT_EQ(r.sz, 12.0f);
    EXPECT_EQ(r.w, 100.0f);
    EXPECT_EQ(r.color.alpha, 255);
    EXPECT_EQ(r.backgroundcolor.alpha, 255);
    EXPECT_FALSE(r.background || r.b || r.i);
    EXPECT_EQ(r.u, 0);
    EXPECT_TRUE(r.noProof);

    KXDocx_PPr p = KXDocxUtilities::defaultPProperty();
    EXPECT_EQ(p.pStyle, "null");
    EXPECT_EQ(p.spacing.line, 12.0f);
    EXPECT_EQ(p.spacing.lineRule, "exact");
    EXPECT_EQ(p.jc, 0);
    EXPECT_EQ(p.tabs.leader, "none");
    EXPECT_EQ(p.tabs.val, "left");
    EXPECT_EQ(p.tabs_enable, 0);
    EXPECT_EQ(KXDocxUtilities::defaultTabsProperty().tabCount(), 0);

    KXDocx_SectPr s = KXDocxUtilities::defaultSectPropertyHiden();
    EXPECT_FALSE(s.shouldWrite);
    EXPECT_EQ(s.type, 1);
    EXPECT_EQ(s.pgSz.w, 578.0f);
    EXPECT_EQ(s.pgSz.h, 640.0f);
    EXPECT_EQ(s.pgMar.top, 63.0f);
    EXPECT_EQ(s.pgMar.left + s.pgMar.right + s.pgMar.bottom + s.pgMar.header + s.pgMar.footer + s.pgMar.gutter, 0);
    EXPECT_EQ(s.cols.num, 1u);
    EXPECT_TRUE(s.cols.col.empty());
    EXPECT_TRUE(s.docGrid.type.empty());
    EXPECT_EQ(s.pgBorders.top.val, 0);
    EXPECT_EQ(s.pgBorders.tr2bl.color.alpha, 255);
}

TEST(KXDocxDefaults, TableRowAndCellRecords) {
    KXDocx_TblPr t = KXDocxUtilities::defaultTblProperty();
    EXPECT_EQ(t.tblStyle, "TableGrid");
    EXPECT_EQ(t.tblpPr.vertAnchor, 2);
    EXPECT_EQ(t.tblpPr.horzAnchor, 2);
    EXPECT_EQ(t.tblpPr.tblpXSpec, "nil");
    EXPECT_EQ(t.tblW.type, 1);
    EXPECT_EQ(t.tblInd.type, 2);
    EXPECT_EQ(t.tblCellSpacing.type, 2);
    EXPECT_EQ(t.tblCellMar.right.type, 2);
    EXPECT_EQ(t.tblLook.val, "01E0");
    // Table borders: the six straight ones single, the diagonals none.
    EXPECT_EQ(t.tblBorders.insideV.val, 2);
    EXPECT_EQ(t.tblBorders.insideV.sz, 1.0f);
    EXPECT_EQ(t.tblBorders.tl2br.val, 0);
    EXPECT_EQ(t.shd.val, 0);
    EXPECT_EQ(t.shd.fill.alpha, 255);

    KXDocx_TblGrid g = KXDocxUtilities::defaultTblGridProperty();
    ASSERT_EQ(g.gridCount(), 1);
    EXPECT_EQ(g.gridCol[0], 64.0f);

    KXDocx_TrPr r = KXDocxUtilities::defaultTrProperty();
    EXPECT_EQ(r.trHeight.hRule, 2);
    EXPECT_EQ(r.tblCellSpacing.type, 0);
    EXPECT_EQ(r.top.val, 0);
    EXPECT_EQ(r.top.color.alpha, 0);  // all zero

    KXDocx_TcPr c = KXDocxUtilities::defaultTcProperty();
    EXPECT_EQ(c.tcW.type, 1);
    EXPECT_EQ(c.tcMar.top.type, 0);
    // Cell borders: the four sides single, inside and diagonals none.
    EXPECT_EQ(c.tcBorders.right.val, 2);
    EXPECT_EQ(c.tcBorders.insideH.val, 0);
    EXPECT_EQ(c.vMerge, 0);
}

TEST(KXDocxNames, PositionsAndFallbacks) {
    struct Case {
        const char* what;
        std::string_view got;
        std::string_view want;
    };
    const Case cases[] = {
        {"first border style", KXDocxBorderValName(0), "none"},
        {"last border style", KXDocxBorderValName(26), "thinThickThinSmallGap"},
        {"border style 40 falls back", KXDocxBorderValName(40), "none"},
        {"negative border style", KXDocxBorderValName(-1), "none"},
        {"double", KXDocxBorderValName(15), "double"},
        {"last shading", KXDocxShadingValName(10), "solid"},
        {"shading 11 falls back", KXDocxShadingValName(11), "start"},
        {"width type", KXDocxWidthTypeName(2), "dxa"},
        {"width type fallback", KXDocxWidthTypeName(4), "auto"},
        {"vMerge restart", KXDocxVMergeName(2), "restart"},
        {"vMerge fallback", KXDocxVMergeName(9), "continue"},
        {"hRule", KXDocxHRuleName(1), "atLeast"},
        {"hRule fallback", KXDocxHRuleName(3), "auto"},
        {"vAlign", KXDocxVAlignName(2), "bottom"},
        {"vAlign fallback", KXDocxVAlignName(3), "top"},
        {"table jc", KXDocxTableJcName(2), "center"},
        {"table jc fallback", KXDocxTableJcName(3), "left"},
        {"anchor", KXDocxAnchorName(3), "text"},
        {"anchor fallback", KXDocxAnchorName(4), "none"},
        {"layout", KXDocxTblLayoutName(1), "autofit"},
        {"layout fallback", KXDocxTblLayoutName(2), "fixed"},
        {"bool", KXDocxBoolName(true), "true"},
        {"section type", KXDocxUtilities::_sectTypeValue(5), "oddPage"},
        {"section type fallback", KXDocxUtilities::_sectTypeValue(6), "auto"},
        {"script", KXDocxUtilities::_scriptValue(2), "subscript"},
        {"script fallback", KXDocxUtilities::_scriptValue(3), "normal"},
        {"underline dash", KXDocxUtilities::_underlineValue(6), "dash"},
        {"underline 3 falls back", KXDocxUtilities::_underlineValue(3), "normal"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
    EXPECT_EQ(KXDocxJcName(4), "distribute");
    EXPECT_FALSE(KXDocxJcName(5).has_value());  // paragraph alignment 5 has no name
    EXPECT_EQ(KXDocxDashStyleName(11), "custom");
    EXPECT_FALSE(KXDocxDashStyleName(12).has_value());
}

TEST(KXDocxComparers, ColoursBordersAndShadingsAllowTwoUnits) {
    EXPECT_TRUE(KXDocxColorIsEqual(rgba(10, 10, 10, 255), rgba(12, 8, 10, 253)));
    EXPECT_FALSE(KXDocxColorIsEqual(rgba(10, 10, 10, 255), rgba(13, 10, 10, 255)));
    EXPECT_FALSE(KXDocxColorIsEqual(rgba(10, 10, 10, 255), rgba(10, 10, 10, 252)));

    KXDocx_Border a = KXDocxUtilities::defaultBorder_SingleLine(), b = a;
    b.color = rgba(2, 1, 0, 254);
    EXPECT_TRUE(KXDocxBorderIsEqual(a, b));
    b = a;
    b.sz = 1.01f;  // widths compare exactly
    EXPECT_FALSE(KXDocxBorderIsEqual(a, b));
    b = a;
    b.shadow = true;
    EXPECT_FALSE(KXDocxBorderIsEqual(a, b));
    b = a;
    b.space = 1;
    EXPECT_FALSE(KXDocxBorderIsEqual(a, b));

    KXDocx_Shading s = KXDocxUtilities::defaultShading(), t = s;
    t.fill = rgba(2, 2, 2, 255);
    EXPECT_TRUE(KXDocxShadingIsEqual(s, t));
    t.color = rgba(3, 0, 0, 255);
    EXPECT_FALSE(KXDocxShadingIsEqual(s, t));
    t = s;
    t.val = 1;
    EXPECT_FALSE(KXDocxShadingIsEqual(s, t));
}

TEST(KXDocxComparers, RunPropertiesCompareFontSizeLooselyAndColoursExactly) {
    KXDocx_RPr a = KXDocxUtilities::defaultRProperty();
    KXDocx_RPr b = a;
    a.sz = 12.0f;
    b.sz = 12.9f;
    EXPECT_TRUE(KXDocxRPrIsEqual(a, b));
    EXPECT_TRUE(KXDocxRPrHasSameFont(a, b));
    b.sz = 13.1f;
    EXPECT_FALSE(KXDocxRPrIsEqual(a, b));
    EXPECT_FALSE(KXDocxRPrHasSameFont(a, b));

    b = a;
    b.color.red = 1;  // unlike borders, run colours compare exactly
    EXPECT_FALSE(KXDocxRPrIsEqual(a, b));
    EXPECT_TRUE(KXDocxRPrHasSameFont(a, b));
    b = a;
    b.rFonts.ascii = "Arial";
    EXPECT_FALSE(KXDocxRPrHasSameFont(a, b));

    // Fields that count, one at a time; fields that do not.
    auto differs = [&](auto change) {
        KXDocx_RPr c = a;
        change(c);
        return !KXDocxRPrIsEqual(a, c);
    };
    EXPECT_TRUE(differs([](KXDocx_RPr& c) { c.background = true; }));
    EXPECT_TRUE(differs([](KXDocx_RPr& c) { c.backgroundcolor.alpha = 0; }));
    EXPECT_TRUE(differs([](KXDocx_RPr& c) { c.b = true; }));
    EXPECT_TRUE(differs([](KXDocx_RPr& c) { c.i = true; }));
    EXPECT_TRUE(differs([](KXDocx_RPr& c) { c.u = 1; }));
    EXPECT_TRUE(differs([](KXDocx_RPr& c) { c.strikethrough = 1; }));
    EXPECT_TRUE(differs([](KXDocx_RPr& c) { c.scrpit = 1; }));
    EXPECT_FALSE(differs([](KXDocx_RPr& c) { c.rFonts.hAnsi = "Arial"; }));
    EXPECT_FALSE(differs([](KXDocx_RPr& c) { c.spacing = 3; }));
    EXPECT_FALSE(differs([](KXDocx_RPr& c) { c.w = 90; }));
}

TEST(KXDocxComparers, ParagraphPropertiesIgnoreTheRightIndent) {
    KXDocx_PPr a = KXDocxUtilities::defaultPProperty();
    auto differs = [&](auto change) {
        KXDocx_PPr c = a;
        change(c);
        return !KXDocxPPrIsEqual(a, c);
    };
    EXPECT_FALSE(differs([](KXDocx_PPr& c) { c.ind.right = 20; }));
    EXPECT_FALSE(differs([](KXDocx_PPr& c) { c.outlineLvl = 2; }));
    EXPECT_TRUE(differs([](KXDocx_PPr& c) { c.ind.firstLine = 0.5f; }));
    EXPECT_TRUE(differs([](KXDocx_PPr& c) { c.ind.left = 1; }));
    EXPECT_TRUE(differs([](KXDocx_PPr& c) { c.spacing.before = 1; }));
    EXPECT_TRUE(differs([](KXDocx_PPr& c) { c.spacing.after = 1; }));
    EXPECT_TRUE(differs([](KXDocx_PPr& c) { c.spacing.line = 12.01f; }));
    EXPECT_TRUE(differs([](KXDocx_PPr& c) { c.spacing.lineRule = "auto"; }));
    EXPECT_TRUE(differs([](KXDocx_PPr& c) { c.jc = 2; }));
}

TEST(KXDocxComparers, RectanglesWithinTolerance) {
    kx::Rect r{10, 10, 100, 50};
    EXPECT_TRUE(KXRectEqualWithTolerance(r, {10.5, 9.5, 100.5, 49.5}, 0.5));
    EXPECT_FALSE(KXRectEqualWithTolerance(r, {10, 10, 100, 50.6}, 0.5));
    EXPECT_FALSE(KXRectEqualWithTolerance(r, {8, 10, 100, 50}, 1));
}

TEST(KXDocxBorderDisplayWidth, QuarterPointsTimesLineCount) {
    struct Case {
        int val;
        float sz;
        double want;
    };
    const Case cases[] = {
        {15, 0.6f, 1.0},     // "double": 0.5 x 2
        {2, 0.125f, 0.25},   // "single": halves round away from zero
        {1, 3.0f, 0.0},      // "nil"
        {0, 3.0f, 0.0},      // "none"
        {14, 1.0f, 1.0},     // "wave", still one line
        {22, 1.0f, 2.0},     // last of the two-line styles
        {23, 1.1f, 3.0},     // "triple": 1.0 x 3
        {26, 0.375f, 1.5},   // 0.375 x 4 = 1.5 rounds to 2 quarters
    };
    for (const Case& c : cases) {
        KXDocx_Border b = KXDocxUtilities::defaultBorder_SingleLine();
        b.val = c.val;
        b.sz = c.sz;
        EXPECT_DOUBLE_EQ(KXDocxBorderDisplayWidth(b), c.want) << "val " << c.val << " sz " << c.sz;
    }
}

TEST(KXDocxDashStyle, ClassifiesEntriesAgainstTheLineWidth) {
    struct Case {
        std::vector<double> dashes;
        double width;
        const char* want;  // nullptr: no style
    };
    const Case cases[] = {
        {{1, 1}, 1, "dot"},
        {{4, 1}, 1, "dashDot"},
        {{8, 1, 1, 1}, 1, "longDashDotDot"},
        {{0.5}, 1, "shortDot"},
        {{8}, 1, "longDash"},
        {{8, 1.5}, 1, "longDashDot"},
        {{8, 2}, 1, "longDash"},  // 2 is not below 2w: a long entry
        {{4}, 1, "dash"},
        {{4, 1, 1}, 1, "longDashDotDot"},
        {{2.5}, 1, "shortDash"},
        {{2.5, 1}, 1, "shortDashDot"},
        {{2.5, 1, 0.5}, 1, "shortDashDotDot"},
        {{6, 3}, 2, "dashDot"},  // against w = 2: 6 is a long entry (below 6w), 3 a short one (below 2w)
        {{}, 1, nullptr},
    };
    for (const Case& c : cases) {
        std::optional<std::string_view> got = KXDocxDashStyleForDashArray(c.dashes, c.width);
        if (!c.want) {
            EXPECT_FALSE(got.has_value());
        } else {
            ASSERT_TRUE(got.has_value()) << c.want;
            EXPECT_EQ(*got, c.want) << c.dashes.size() << " entries, first " << c.dashes[0];
        }
    }
}

TEST(KXDocxColorFromCGColor, RoundsComponentsAndIgnoresAlpha) {
    kx::Color grey = kx::Color::gray(0.5, 0.2);
    KXDocx_Color g = KXDocxUtilities::KXDocxColorFromCGColor(&grey);
    EXPECT_EQ(g.red, 128);
    EXPECT_EQ(g.green, 128);
    EXPECT_EQ(g.blue, 128);
    EXPECT_EQ(g.alpha, 255);
    kx::Color rgb = kx::Color::rgb(1.0, 0.2, 0.0);
    KXDocx_Color c = KXDocxUtilities::KXDocxColorFromCGColor(&rgb);
    EXPECT_EQ(c.red, 255);
    EXPECT_EQ(c.green, 51);
    EXPECT_EQ(c.blue, 0);
    KXDocx_Color none = KXDocxUtilities::KXDocxColorFromCGColor(nullptr);
    EXPECT_EQ(none.red + none.green + none.blue, 0);
    EXPECT_EQ(none.alpha, 255);
}

TEST(KXDocxUtilities, FindsResourcesInTheLibraryBundle) {
    std::string root = kx::pathJoin(kx::test::tempDir(), "bundle-lookup");
    std::string bundle = kx::pathJoin(root, "KXTessaly.bundle");
    ASSERT_TRUE(kx::createDirectories(kx::pathJoin(bundle, "Docx XML Templates")));
    ASSERT_TRUE(kx::writeFile(kx::pathJoin(bundle, "word-line-height.plist"), "x"));
    ASSERT_TRUE(kx::writeFile(kx::pathJoin(bundle, "Docx XML Templates/styles.xml"), "x"));

    const char* previous = std::getenv("KX_RESOURCE_DIR");
    std::string saved = previous ? previous : "";
    setenv("KX_RESOURCE_DIR", root.c_str(), 1);
    EXPECT_EQ(KXDocxUtilities::PathInLibBundleForResource("word-line-height.plist"),
              kx::pathJoin(bundle, "word-line-height.plist"));
    EXPECT_EQ(KXDocxUtilities::PathInLibBundleForResource("Docx XML Templates/styles.xml"),
              kx::pathJoin(bundle, "Docx XML Templates/styles.xml"));
    EXPECT_FALSE(KXDocxUtilities::PathInLibBundleForResource("missing.plist").has_value());
    EXPECT_FALSE(KXDocxUtilities::PathInLibBundleForResource("Docx XML Templates").has_value());  // a folder
    EXPECT_FALSE(KXDocxUtilities::PathInLibBundleForResource("").has_value());

    // No bundle at all.
    std::string empty = kx::pathJoin(kx::test::tempDir(), "no-bundle");
    kx::createDirectories(empty);
    setenv("KX_RESOURCE_DIR", empty.c_str(), 1);
    EXPECT_FALSE(KXDocxUtilities::PathInLibBundleForResource("word-line-height.plist").has_value());

    if (previous)
        setenv("KX_RESOURCE_DIR", saved.c_str(), 1);
    else
        unsetenv("KX_RESOURCE_DIR");
}
