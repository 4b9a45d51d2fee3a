#pragma once
// Defaults, name tables, comparers and WordprocessingML serialisation of the property records.
// The DOCX page model and the flow-text exporters share them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Range.h"

class XMLFileWriter;

// Name tables: an integer style field is a position in the table; a value outside it gives the
// table's fallback name (or no name where the table has none).
std::string_view KXDocxBorderValName(int val);     // 27 border styles, fallback "none"
std::string_view KXDocxShadingValName(int val);    // 11 shading patterns, fallback "start"
std::string_view KXDocxWidthTypeName(int type);    // "nil", "auto", "dxa", "pct"; fallback "auto"
std::string_view KXDocxVMergeName(int vMerge);     // "nil", "continue", "restart", "end"; fallback "continue"
std::string_view KXDocxHRuleName(int hRule);       // "auto", "atLeast", "exact"; fallback "auto"
std::string_view KXDocxVAlignName(int vAlign);     // "top", "center", "bottom"; fallback "top"
std::string_view KXDocxTableJcName(int jc);        // "left", "right", "center"; fallback "left"
std::string_view KXDocxAnchorName(int anchor);     // "none", "margin", "page", "text"; fallback "none"
std::string_view KXDocxTblLayoutName(int layout);  // "fixed", "autofit"; fallback "fixed"
std::optional<std::string_view> KXDocxJcName(int jc);             // left, right, center, both, distribute
std::optional<std::string_view> KXDocxDashStyleName(int style);  // 12 VML dash styles
std::string_view KXDocxBoolName(bool value);                      // "false", "true"

// Comparers.
// Red, green, blue and alpha each differ by at most 2.
bool KXDocxColorIsEqual(const KXDocx_Color& a, const KXDocx_Color& b);
// Origin and size each differ by at most the tolerance.
bool KXRectEqualWithTolerance(const kx::Rect& r1, const kx::Rect& r2, double tolerance);
// Same first font name, sizes within one point.
bool KXDocxRPrHasSameFont(const KXDocx_RPr& a, const KXDocx_RPr& b);
// Same font and size (within one point), colours, background, bold, italic, underline, strike and script.
bool KXDocxRPrIsEqual(const KXDocx_RPr& a, const KXDocx_RPr& b);
// Whether the two records are written as the same "w:rPr": every field the same, the character
// spacing in whole twips as it is written.
bool KXDocxRPrIsWrittenAlike(KXDocx_RPr a, const KXDocx_RPr& b);
// Same first-line and left indents, spacing, line rule and alignment (the right indent is ignored).
bool KXDocxPPrIsEqual(const KXDocx_PPr& a, const KXDocx_PPr& b);
bool KXDocxBorderIsEqual(const KXDocx_Border& a, const KXDocx_Border& b);
bool KXDocxShadingIsEqual(const KXDocx_Shading& a, const KXDocx_Shading& b);

// The drawn thickness of a border in points: its width rounded to a quarter point times the number
// of lines of its style; 0 for "none" and "nil".
double KXDocxBorderDisplayWidth(const KXDocx_Border& border);

// The VML dash style of an outline with this dash array and line width; none for an empty array.
std::optional<std::string_view> KXDocxDashStyleForDashArray(const std::vector<double>& dashArray, double lineWidth);

class KXDocxUtilities {
public:
    KXDocxUtilities() = delete;

    // Default records.
    static KXDocx_RPr defaultRProperty();
    static KXDocx_PPr defaultPProperty();
    static KXDocx_Tabs defaultTabsProperty();
    static KXDocx_Cols defaultColsProperty();
    static KXDocx_PgMar defaultPageMarginProperty();
    static KXDocx_SectPr defaultSectPropertyHiden();
    static KXDocx_Border defaultBorder_SingleLine();
    static KXDocx_Border defaultBorder_None();
    static KXDocx_Borders defaultPageBordersNone();
    static KXDocx_Borders defaultTableBorders();
    static KXDocx_Borders defaultCellBorders();
    static KXDocx_Shading defaultShading();
    static KXDocx_Margin defaultMargin();
    static KXDocx_Margins defaultMargins();
    static KXDocx_TblpPr defaultTblpProperty();
    static KXDocx_TblPr defaultTblProperty();
    static KXDocx_TblGrid defaultTblGridProperty();
    static KXDocx_TrPr defaultTrProperty();
    static KXDocx_TcPr defaultTcProperty();

    // Names chosen by code rather than by position.
    static std::string_view _sectTypeValue(int type);    // 1 continuous … 5 oddPage, else "auto"
    static std::string_view _scriptValue(int scrpit);    // 0 none, 1 superscript, 2 subscript, else "normal"
    static std::string_view _underlineValue(int u);      // 1 single, 2 double, 4 dotted, 6 dash, else "normal"

    // A device colour as a record colour: channels rounded from the components times 255, alpha
    // 255; black for no colour.
    static KXDocx_Color KXDocxColorFromCGColor(const kx::Color* color);

    // WordprocessingML serialisation. Every element and attribute is written in the "w" namespace,
    // which the caller has bound on the part's root element; elements follow the schema's order.
    static void WriteRProperty(const KXDocx_RPr& rProperty, XMLFileWriter& writer);
    // The extra character spacing (points) as "w:spacing" writes it: whole twips, negative values
    // away from zero so that tightly set text still fits; 0 for what is not a number.
    static double SpacingTwips(double spacing);
    // The paragraph properties, the run properties of the paragraph mark and, when the section is to
    // be written, the section break.
    static void WritePProperty(const KXDocx_PPr& pProperty, const KXDocx_RPr& rProperty,
                               const KXDocx_SectPr& sectProperty, const KXDocx_Tabs& tabsProperty,
                               XMLFileWriter& writer);
    static void WriteSectProperty(const KXDocx_SectPr& sectProperty, XMLFileWriter& writer);
    // A paragraph holding only its properties.
    static void Write1BlankParagraphWithProperty(const KXDocx_PPr& pProperty, const KXDocx_RPr& rProperty,
                                                 const KXDocx_SectPr& sectProperty, XMLFileWriter& writer);
    static void WriteBorderProperty(const KXDocx_Border& border, std::string_view localName, XMLFileWriter& writer);
    static void WriteMarginProperty(const KXDocx_Margin& margin, std::string_view localName, XMLFileWriter& writer);
    static void WriteTblProperty(const KXDocx_TblPr& tblProperty, XMLFileWriter& writer);
    static void WriteTblGridProperty(const KXDocx_TblGrid& tblGridProperty, XMLFileWriter& writer);
    static void WriteTrProperty(const KXDocx_TrPr& trProperty, XMLFileWriter& writer);
    // Whether a cell spanning these grid columns and rows has exactly the borders the table gives it
    // (outer borders on the table's edges, inside borders elsewhere), so it needs none of its own.
    static bool IsBorderEqualTcProperty(const KXDocx_TcPr& tcProperty, kx::Range columnRange, kx::Range rowRange,
                                        const KXDocx_TblPr& tblProperty);
    static void WriteTcProperty(const KXDocx_TcPr& tcProperty, kx::Range columnRange, kx::Range rowRange,
                                const KXDocx_TblPr& tblProperty, XMLFileWriter& writer);
    // The highlight colour name within 2 of the colour (opaque colours only), or none.
    static std::optional<std::string_view> NameFromColorValue(const KXDocx_Color& color);
    // The VML style of text along a path.
    static std::string TextPathStyleForRProperty(const KXDocx_RPr& rProperty);

    // The full path of a resource ("word-line-height.plist", "Docx XML Templates/document.xml") in
    // the library resource bundle, when it exists.
    static std::optional<std::string> PathInLibBundleForResource(const std::string& resource);
};
