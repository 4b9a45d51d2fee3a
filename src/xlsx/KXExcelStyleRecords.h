#pragma once
// The SpreadsheetML style records held by the style registry's entries: plain values, copied whole.
// Texts are UTF-8; colours are six hexadecimal digits ("rrggbb"), the opaque alpha "FF" being added
// where a colour is written.

#include <cstdint>
#include <string>
#include <string_view>

struct KXExcel_Color {
    bool automatic = false;
    std::int32_t indexed = 0;
    std::string rgb;
    std::int32_t theme = 0;
    double tint = 0;
};

struct KXExcel_Font {
    double sz = 0;  // points
    KXExcel_Color color;
    std::string name;
    std::string famliy;
    std::string charset;
    std::string scheme;
    bool b = false;
    bool i = false;
    bool strike = false;
    bool outline = false;
    bool shadow = false;
    bool condense = false;
    bool extend = false;
    std::string u;
    std::string vertAlign;
};

struct KXExcel_PatternFill {
    std::string patternType;
    KXExcel_Color bgColor;
    KXExcel_Color fgColor;
};

struct KXExcel_PatternBorderElement {
    std::string style;
    KXExcel_Color color;
};

struct KXExcel_PatternBorder {
    bool diagonalUp = false;
    bool diagonalDown = false;
    bool outline = false;
    KXExcel_PatternBorderElement left;
    KXExcel_PatternBorderElement right;
    KXExcel_PatternBorderElement top;
    KXExcel_PatternBorderElement bottom;
    KXExcel_PatternBorderElement diagonal;
    KXExcel_PatternBorderElement vertical;
    KXExcel_PatternBorderElement horizontal;
};

struct KXExcel_Xf_Alignment {
    std::string horizontal;
    std::string vertical;
    std::uint32_t textRotation = 0;
    bool wrapText = false;
    std::uint32_t indent = 0;
    std::int32_t relativeIndent = 0;
    bool justifyLastLine = false;
    bool shrinkToFit = false;
    std::uint32_t readingOrder = 0;
};

struct KXExcel_Xf {
    std::int32_t numFmtId = 0;
    std::int32_t fontId = 0;
    std::int32_t fillId = 0;
    std::int32_t borderId = 0;
    std::int32_t xfId = 0;
    bool quotePrefix = false;
    bool pivotButton = false;
    bool applyNumberFormat = false;
    bool applyFont = false;
    bool applyFill = false;
    bool applyBorder = false;
    bool applyAlignment = false;
    bool applyProtection = false;
    KXExcel_Xf_Alignment alignment;
};

struct KXExcel_CellStyle {
    std::string name;
    std::uint32_t xfId = 0;
    std::uint32_t builtinId = 0;
    std::uint32_t iLevel = 0;
    bool hidden = false;
    bool customBuiltin = false;
};

struct KXExcel_Dxf {
    KXExcel_Font font;
    std::uint32_t numFmtID = 0;
    std::string formatCode;
    KXExcel_PatternFill fill;
    KXExcel_Xf_Alignment algn;
    KXExcel_PatternBorderElement left;
    KXExcel_PatternBorderElement right;
    KXExcel_PatternBorderElement top;
    KXExcel_PatternBorderElement bottom;
    KXExcel_PatternBorderElement diagonal;
    KXExcel_PatternBorderElement vertical;
    KXExcel_PatternBorderElement horizontal;
};

struct KXExcel_TableStyle {
    std::string name;
    bool pivot = false;
    bool table = false;
};

struct KXExcel_TableStyleElm {
    std::string type;
    std::uint32_t dxfID = 0;
    std::uint32_t size = 0;
};

// Equal size and equal name.
bool KXExcelFontSameSizeAndName(const KXExcel_Font& a, const KXExcel_Font& b);
// Equal horizontal and vertical texts and equal wrap flag.
bool KXExcelAlignmentEqual(const KXExcel_Xf_Alignment& a, const KXExcel_Xf_Alignment& b);
// An alignment with the two texts (each cut to 63 bytes) and the wrap flag; every other field 0.
KXExcel_Xf_Alignment KXExcelMakeAlignment(std::string_view horizontal, std::string_view vertical, bool wrapText);
