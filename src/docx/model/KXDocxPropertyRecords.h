#pragma once
// The WordprocessingML property records of the page model: plain values held by the model objects,
// copied whole and passed by value to the comparers and serialisers of KXDocxUtilities. Lengths are
// in points; the serialisers convert them (twentieths of a point, half-points for font sizes,
// eighths of a point for border widths). Integer style fields are indexes into the name tables of
// KXDocxUtilities.h. A field not set explicitly is zero, empty or false.

#include <cstdint>
#include <string>
#include <vector>

// Each channel 0 to 255.
struct KXDocx_Color {
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 0;

    bool operator==(const KXDocx_Color&) const = default;
};

// Font family names.
struct KXDocx_RFonts {
    std::string ascii;
    std::string hAnsi;
    std::string cs;
    std::string eastAsia;

    bool operator==(const KXDocx_RFonts&) const = default;
};

// Run properties.
struct KXDocx_RPr {
    std::string lang;              // language tag
    KXDocx_RFonts rFonts;          // font names
    KXDocx_RFonts rFonts_replace;  // replacement font names
    bool vanish = false;           // hidden text
    int kern = 0;
    bool b = false;
    bool i = false;
    float sz = 0;    // font size, points
    float szCs = 0;  // complex-script font size, points
    KXDocx_Color color;
    bool background = false;  // the run has a background colour
    KXDocx_Color backgroundcolor;
    float spacing = 0;   // extra character spacing, points (may be negative)
    float position = 0;  // raised or lowered position, points
    float w = 0;         // horizontal scale in percent (100 is normal)
    int u = 0;           // underline style code
    KXDocx_Color u_color;
    int strikethrough = 0;  // non-zero: struck through
    int highlight = 0;
    int capsStyle = 0;
    int misc = 0;
    int scrpit = 0;  // 0 normal, 1 superscript, 2 subscript
    bool noProof = false;

    // Every field the same (sizes and spacing to the bit).
    bool operator==(const KXDocx_RPr&) const = default;
};

struct KXDocx_Spacing {
    float before = 0;
    float after = 0;
    float line = 0;            // points
    std::string lineRule;      // "exact" or "auto"
    float word1LineHeight = 0;  // height of one single line of the paragraph's font, points
};

struct KXDocx_Ind {
    float firstLine = 0;
    float left = 0;
    float right = 0;
};

struct KXDocx_NumPr {
    int ilvl = 0;
    int numId = 0;
};

struct KXDocx_Tab {
    std::string leader;
    std::string val;
    float pos = 0;  // points
};

// The tab stops of one paragraph, in order.
struct KXDocx_Tabs {
    std::vector<KXDocx_Tab> tabArray;

    std::int64_t tabCount() const { return static_cast<std::int64_t>(tabArray.size()); }
};

// Paragraph properties.
struct KXDocx_PPr {
    std::string pStyle;
    bool widowControl = false;
    KXDocx_Spacing spacing;
    KXDocx_Ind ind;
    int jc = 0;  // paragraph alignment index
    int outlineLvl = 0;
    KXDocx_NumPr numPr;
    KXDocx_Tab tabs;  // one tab stop
    int tabs_enable = 0;
};

struct KXDocx_PgSz {
    float w = 0;
    float h = 0;
};

struct KXDocx_PgMar {
    float top = 0;
    float right = 0;
    float bottom = 0;
    float left = 0;
    float header = 0;
    float footer = 0;
    float gutter = 0;
};

// One column of a section.
struct KXDocx_Col {
    float colWidth = 0;  // points
    float colSpace = 0;  // space after the column, points
};

struct KXDocx_Cols {
    std::uint64_t num = 0;  // number of columns
    bool sep = false;       // separator line
    float space = 0;        // points
    float equalWidth = 0;
    std::vector<KXDocx_Col> col;  // one entry per column, or empty
};

struct KXDocx_DocGrid {
    std::string type;
    float linePitch = 0;  // points
};

// Document view settings of the writers.
struct KXDocx_DocPr {
    std::string view;
    float zoom = 0;
};

struct KXDocx_Border {
    int val = 0;    // border style index
    float sz = 0;   // line width, points
    KXDocx_Color color;
    bool shadow = false;
    float space = 0;  // distance from the text, points
};

struct KXDocx_Borders {
    KXDocx_Border top;
    KXDocx_Border left;
    KXDocx_Border bottom;
    KXDocx_Border right;
    KXDocx_Border insideH;
    KXDocx_Border insideV;
    KXDocx_Border tl2br;
    KXDocx_Border tr2bl;
};

// Section properties.
struct KXDocx_SectPr {
    bool shouldWrite = false;  // the section break is written
    int type = 0;              // section type code
    KXDocx_PgSz pgSz;
    KXDocx_PgMar pgMar;
    KXDocx_Cols cols;
    KXDocx_DocGrid docGrid;
    int offsetFrom = 0;
    KXDocx_Borders pgBorders;
    int vAlign = 0;
};

// A width, indentation, cell margin or cell spacing: a length and its width type index.
struct KXDocx_Width {
    float w = 0;  // points
    int type = 0;
};
using KXDocx_Indentation = KXDocx_Width;
using KXDocx_Margin = KXDocx_Width;
using KXDocx_CellSpacing = KXDocx_Width;

struct KXDocx_Margins {
    KXDocx_Margin top;
    KXDocx_Margin left;
    KXDocx_Margin bottom;
    KXDocx_Margin right;
};

struct KXDocx_Shading {
    KXDocx_Color fill;
    KXDocx_Color color;
    int val = 0;  // shading pattern index
};

// Position of a floating table.
struct KXDocx_TblpPr {
    float leftFromText = 0;
    float rightFromText = 0;
    float topFromText = 0;
    float bottomFromText = 0;
    int vertAnchor = 0;  // anchor index
    int horzAnchor = 0;
    float tblpX = 0;
    float tblpY = 0;
    std::string tblpXSpec;
    std::string tblpYSpec;
};

struct KXDocx_TblLook {
    bool firstColumn = false;
    bool lastColumn = false;
    bool firstRow = false;
    bool lastRow = false;
    bool noHBand = false;
    bool noVBand = false;
    std::string val;
};

// Table properties.
struct KXDocx_TblPr {
    KXDocx_TblpPr tblpPr;
    int tblOverlap = 0;
    std::string tblStyle;
    KXDocx_Width tblW;
    int jc = 0;  // table alignment index
    KXDocx_Indentation tblInd;
    KXDocx_Borders tblBorders;
    std::string tblCaption;
    KXDocx_Shading shd;
    KXDocx_Margins tblCellMar;
    KXDocx_CellSpacing tblCellSpacing;
    int tblLayout = 0;
    KXDocx_TblLook tblLook;
    int tblStyleColBandSize = 0;
    int tblStyleRowBandSize = 0;
    int rowCount = 0;
    int columnCount = 0;
};

// Column widths of a table, points, one entry per grid column.
struct KXDocx_TblGrid {
    std::vector<float> gridCol;

    int gridCount() const { return static_cast<int>(gridCol.size()); }
};

struct KXDocx_TrHeight {
    int hRule = 0;  // height rule index
    float val = 0;  // points
};

// Row properties.
struct KXDocx_TrPr {
    bool cantSplit = false;
    bool hidden = false;
    int jc = 0;
    KXDocx_CellSpacing tblCellSpacing;
    bool tblHeader = false;
    KXDocx_TrHeight trHeight;
    KXDocx_Border top;
    KXDocx_Border left;
    KXDocx_Border bottom;
    KXDocx_Border right;
};

// Cell properties.
struct KXDocx_TcPr {
    int gridSpan = 0;
    bool hideMark = false;
    bool noWrap = false;
    bool tcFitText = false;
    KXDocx_Shading shd;
    KXDocx_Margins tcMar;
    KXDocx_Borders tcBorders;
    KXDocx_Width tcW;
    int vAlign = 0;  // cell alignment index
    int vMerge = 0;  // vertical merge index
};
