#include "docx/model/KXDocxUtilities.h"

#include <array>
#include <cmath>
#include <algorithm>
#include <cstdlib>

#include "platform/FileSystem.h"
#include "platform/Numeric.h"
#include "platform/Resources.h"

namespace {

template <size_t N>
std::string_view nameAt(const std::array<std::string_view, N>& names, int index, std::string_view fallback) {
    if (index < 0 || static_cast<size_t>(index) >= N) return fallback;
    return names[static_cast<size_t>(index)];
}

template <size_t N>
std::optional<std::string_view> optionalNameAt(const std::array<std::string_view, N>& names, int index) {
    if (index < 0 || static_cast<size_t>(index) >= N) return std::nullopt;
    return names[static_cast<size_t>(index)];
}

constexpr std::array<std::string_view, 27> kBorderValNames = {
    "none", "nil", "single", "dashDotStroked", "dashed", "dashSmallGap", "dotDash", "dotDotDash", "dotted",
    "inset", "outset", "thick", "threeDEmboss", "threeDEngrave", "wave", "double", "doubleWave",
    "thickThinLargeGap", "thickThinMediumGap", "thickThinSmallGap", "thinThickLargeGap", "thinThickMediumGap",
    "thinThickSmallGap", "triple", "thinThickThinLargeGap", "thinThickThinMediumGap", "thinThickThinSmallGap"};
constexpr std::array<std::string_view, 11> kShadingValNames = {
    "nil", "clear", "pct10", "pct12", "pct15", "diagCross", "diagStripe", "horzCross", "horzStripe",
    "thinDiagCross", "solid"};
constexpr std::array<std::string_view, 4> kWidthTypeNames = {"nil", "auto", "dxa", "pct"};
constexpr std::array<std::string_view, 4> kVMergeNames = {"nil", "continue", "restart", "end"};
constexpr std::array<std::string_view, 3> kHRuleNames = {"auto", "atLeast", "exact"};
constexpr std::array<std::string_view, 3> kVAlignNames = {"top", "center", "bottom"};
constexpr std::array<std::string_view, 3> kTableJcNames = {"left", "right", "center"};
constexpr std::array<std::string_view, 4> kAnchorNames = {"none", "margin", "page", "text"};
constexpr std::array<std::string_view, 2> kTblLayoutNames = {"fixed", "autofit"};
constexpr std::array<std::string_view, 5> kJcNames = {"left", "right", "center", "both", "distribute"};
constexpr std::array<std::string_view, 12> kDashStyleNames = {
    "solid", "shortDash", "shortDot", "shortDashDot", "shortDashDotDot", "dot", "dash", "longDash", "dashDot",
    "longDashDot", "longDashDotDot", "custom"};

KXDocx_Color opaqueBlack() { return {0, 0, 0, 255}; }

bool sameColorExactly(const KXDocx_Color& a, const KXDocx_Color& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

int colorChannel(double component) { return kx::roundToInt<int>(std::clamp(component, 0.0, 1.0) * 255.0); }

}  // namespace

std::string_view KXDocxBorderValName(int val) { return nameAt(kBorderValNames, val, "none"); }
std::string_view KXDocxShadingValName(int val) { return nameAt(kShadingValNames, val, "start"); }
std::string_view KXDocxWidthTypeName(int type) { return nameAt(kWidthTypeNames, type, "auto"); }
std::string_view KXDocxVMergeName(int vMerge) { return nameAt(kVMergeNames, vMerge, "continue"); }
std::string_view KXDocxHRuleName(int hRule) { return nameAt(kHRuleNames, hRule, "auto"); }
std::string_view KXDocxVAlignName(int vAlign) { return nameAt(kVAlignNames, vAlign, "top"); }
std::string_view KXDocxTableJcName(int jc) { return nameAt(kTableJcNames, jc, "left"); }
std::string_view KXDocxAnchorName(int anchor) { return nameAt(kAnchorNames, anchor, "none"); }
std::string_view KXDocxTblLayoutName(int layout) { return nameAt(kTblLayoutNames, layout, "fixed"); }
std::optional<std::string_view> KXDocxJcName(int jc) { return optionalNameAt(kJcNames, jc); }
std::optional<std::string_view> KXDocxDashStyleName(int style) { return optionalNameAt(kDashStyleNames, style); }
std::string_view KXDocxBoolName(bool value) { return value ? "true" : "false"; }

bool KXDocxColorIsEqual(const KXDocx_Color& a, const KXDocx_Color& b) {
    return std::abs(a.red - b.red) <= 2 && std::abs(a.green - b.green) <= 2 && std::abs(a.blue - b.blue) <= 2 &&
           std::abs(a.alpha - b.alpha) <= 2;
}

bool KXRectEqualWithTolerance(const kx::Rect& r1, const kx::Rect& r2, double tolerance) {
    return std::fabs(r1.origin.x - r2.origin.x) <= tolerance && std::fabs(r1.origin.y - r2.origin.y) <= tolerance &&
           std::fabs(r1.size.width - r2.size.width) <= tolerance &&
           std::fabs(r1.size.height - r2.size.height) <= tolerance;
}

bool KXDocxRPrHasSameFont(const KXDocx_RPr& a, const KXDocx_RPr& b) {
    return a.rFonts.ascii == b.rFonts.ascii && std::fabs(a.sz - b.sz) <= 1.0;
}

bool KXDocxRPrIsEqual(const KXDocx_RPr& a, const KXDocx_RPr& b) {
    return KXDocxRPrHasSameFont(a, b) && sameColorExactly(a.color, b.color) && a.background == b.background &&
           sameColorExactly(a.backgroundcolor, b.backgroundcolor) && a.b == b.b && a.i == b.i && a.u == b.u &&
           a.strikethrough == b.strikethrough && a.scrpit == b.scrpit;
}

bool KXDocxRPrIsWrittenAlike(KXDocx_RPr a, const KXDocx_RPr& b) {
    if (KXDocxUtilities::SpacingTwips(a.spacing) != KXDocxUtilities::SpacingTwips(b.spacing)) return false;
    a.spacing = b.spacing;
    return a == b;
}

bool KXDocxPPrIsEqual(const KXDocx_PPr& a, const KXDocx_PPr& b) {
    return a.ind.firstLine == b.ind.firstLine && a.ind.left == b.ind.left &&
           a.spacing.before == b.spacing.before && a.spacing.after == b.spacing.after &&
           a.spacing.line == b.spacing.line && a.spacing.lineRule == b.spacing.lineRule && a.jc == b.jc;
}

bool KXDocxBorderIsEqual(const KXDocx_Border& a, const KXDocx_Border& b) {
    return a.val == b.val && a.sz == b.sz && KXDocxColorIsEqual(a.color, b.color) && a.shadow == b.shadow &&
           a.space == b.space;
}

bool KXDocxShadingIsEqual(const KXDocx_Shading& a, const KXDocx_Shading& b) {
    return a.val == b.val && KXDocxColorIsEqual(a.fill, b.fill) && KXDocxColorIsEqual(a.color, b.color);
}

double KXDocxBorderDisplayWidth(const KXDocx_Border& border) {
    if (border.val < 2) return 0;  // "none", "nil"
    double lines = border.val <= 14 ? 1 : border.val <= 22 ? 2 : 3;
    return std::round(static_cast<double>(border.sz) * 4.0) / 4.0 * lines;
}

std::optional<std::string_view> KXDocxDashStyleForDashArray(const std::vector<double>& dashArray, double lineWidth) {
    if (dashArray.empty()) return std::nullopt;
    const double w = lineWidth;
    int shortCount = 0, shortClass = 0, longClass = 0;
    for (double entry : dashArray) {
        const double d = static_cast<float>(entry);
        if (d < w) {
            ++shortCount;
            shortClass = std::max(shortClass, 1);
        } else if (d < 2 * w) {
            ++shortCount;
            shortClass = 2;
        } else if (d < 3 * w) {
            longClass = std::max(longClass, 1);
        } else if (d < 6 * w) {
            longClass = std::max(longClass, 2);
        } else {
            longClass = 3;
        }
    }
    switch (longClass) {
        case 3: return shortCount == 0 ? "longDash" : shortCount == 1 ? "longDashDot" : "longDashDotDot";
        case 2: return shortCount == 0 ? "dash" : shortCount == 1 ? "dashDot" : "longDashDotDot";
        case 1: return shortCount == 0 ? "shortDash" : shortCount == 1 ? "shortDashDot" : "shortDashDotDot";
        default: return shortClass == 2 ? "dot" : "shortDot";
    }
}

KXDocx_RPr KXDocxUtilities::defaultRProperty() {
    KXDocx_RPr r;
    r.rFonts = {"Times New Roman", "Times New Roman", "Times New Roman", "Times New Roman"};
    r.sz = 12;
    r.color = opaqueBlack();
    r.background = false;
    r.backgroundcolor = opaqueBlack();
    r.w = 100;
    r.noProof = true;
    return r;
}

KXDocx_PPr KXDocxUtilities::defaultPProperty() {
    KXDocx_PPr p;
    p.pStyle = "null";
    p.spacing.line = 12;
    p.spacing.lineRule = "exact";
    p.tabs.leader = "none";
    p.tabs.val = "left";
    return p;
}

KXDocx_Tabs KXDocxUtilities::defaultTabsProperty() { return {}; }

KXDocx_Cols KXDocxUtilities::defaultColsProperty() {
    KXDocx_Cols c;
    c.num = 1;
    return c;
}

KXDocx_PgMar KXDocxUtilities::defaultPageMarginProperty() { return {}; }

KXDocx_SectPr KXDocxUtilities::defaultSectPropertyHiden() {
    KXDocx_SectPr s;
    s.shouldWrite = false;
    s.type = 1;
    s.pgSz = {578, 640};
    s.pgMar = defaultPageMarginProperty();
    s.pgMar.top = 63;
    s.cols = defaultColsProperty();
    s.pgBorders = defaultPageBordersNone();
    return s;
}

KXDocx_Border KXDocxUtilities::defaultBorder_SingleLine() { return {2, 1.0f, opaqueBlack(), false, 0}; }

KXDocx_Border KXDocxUtilities::defaultBorder_None() { return {0, 0, opaqueBlack(), false, 0}; }

KXDocx_Borders KXDocxUtilities::defaultPageBordersNone() {
    KXDocx_Border n = defaultBorder_None();
    return {n, n, n, n, n, n, n, n};
}

KXDocx_Borders KXDocxUtilities::defaultTableBorders() {
    KXDocx_Border s = defaultBorder_SingleLine(), n = defaultBorder_None();
    return {s, s, s, s, s, s, n, n};
}

KXDocx_Borders KXDocxUtilities::defaultCellBorders() {
    KXDocx_Border s = defaultBorder_SingleLine(), n = defaultBorder_None();
    return {s, s, s, s, n, n, n, n};
}

KXDocx_Shading KXDocxUtilities::defaultShading() { return {opaqueBlack(), opaqueBlack(), 0}; }

KXDocx_Margin KXDocxUtilities::defaultMargin() { return {0, 2}; }

KXDocx_Margins KXDocxUtilities::defaultMargins() {
    KXDocx_Margin m = defaultMargin();
    return {m, m, m, m};
}

KXDocx_TblpPr KXDocxUtilities::defaultTblpProperty() {
    KXDocx_TblpPr t;
    t.vertAnchor = 2;
    t.horzAnchor = 2;
    t.tblpXSpec = "nil";
    t.tblpYSpec = "nil";
    return t;
}

KXDocx_TblPr KXDocxUtilities::defaultTblProperty() {
    KXDocx_TblPr t;
    t.tblpPr = defaultTblpProperty();
    t.tblStyle = "TableGrid";
    t.tblW = {0, 1};
    t.tblInd = {0, 2};
    t.tblBorders = defaultTableBorders();
    t.shd = defaultShading();
    t.tblCellMar = defaultMargins();
    t.tblCellSpacing = {0, 2};
    t.tblLook.val = "01E0";
    return t;
}

KXDocx_TblGrid KXDocxUtilities::defaultTblGridProperty() { return {{64.0f}}; }

KXDocx_TrPr KXDocxUtilities::defaultTrProperty() {
    KXDocx_TrPr r;
    r.tblCellSpacing = {0, 0};
    r.trHeight = {2, 0};
    return r;
}

KXDocx_TcPr KXDocxUtilities::defaultTcProperty() {
    KXDocx_TcPr c;
    c.shd = defaultShading();
    c.tcMar = {{0, 0}, {0, 0}, {0, 0}, {0, 0}};
    c.tcBorders = defaultCellBorders();
    c.tcW = {0, 1};
    return c;
}

std::string_view KXDocxUtilities::_sectTypeValue(int type) {
    switch (type) {
        case 1: return "continuous";
        case 2: return "evenPage";
        case 3: return "nextColumn";
        case 4: return "nextPage";
        case 5: return "oddPage";
        default: return "auto";
    }
}

std::string_view KXDocxUtilities::_scriptValue(int scrpit) {
    switch (scrpit) {
        case 0: return "none";
        case 1: return "superscript";
        case 2: return "subscript";
        default: return "normal";
    }
}

std::string_view KXDocxUtilities::_underlineValue(int u) {
    switch (u) {
        case 1: return "single";
        case 2: return "double";
        case 4: return "dotted";
        case 6: return "dash";
        default: return "normal";
    }
}

KXDocx_Color KXDocxUtilities::KXDocxColorFromCGColor(const kx::Color* color) {
    if (!color) return opaqueBlack();
    return {colorChannel(color->red), colorChannel(color->green), colorChannel(color->blue), 255};
}

std::optional<std::string> KXDocxUtilities::PathInLibBundleForResource(const std::string& resource) {
    std::optional<std::string> bundle = kx::resourcePath("KXTessaly", "bundle");
    if (!bundle || bundle->empty() || !kx::isDirectory(*bundle)) return std::nullopt;
    std::string name = kx::pathFileName(resource);
    if (name.empty()) return std::nullopt;
    std::string folder = kx::pathDirectory(resource);
    return kx::bundleResourcePath(*bundle, folder, name);
}
