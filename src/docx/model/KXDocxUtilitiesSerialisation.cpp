// WordprocessingML serialisation of the property records (the writing half of KXDocxUtilities).
//
// Lengths are written in twentieths of a point, font sizes in half-points and border widths in
// eighths of a point, all through the locale-independent formatter. Where the schema has a
// sequence, children are written in its order; values the schema does not know are mapped to the
// nearest valid one or left out, and unsigned measures never go below zero.

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "docx/model/KXDocxUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "platform/Numeric.h"

namespace {

constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();

// "%0.0f" of a value, without the "-0" that rounding a small negative value gives.
// Held within a 32-bit integer, as every number attribute of the schema can take: a hostile file's
// 1e38 would otherwise be written out in full and make the package invalid.
std::string wholeNumber(double v) {
    v = std::clamp(kx::finiteOr(v), -2147483647.0, 2147483647.0);
    // Rounded half to even, as the fixed formatting rounds, and written as an integer (quicker
    // than formatting a double; "-0" becomes "0" by itself).
    char digits[16];
    char* end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(std::nearbyint(v))).ptr;
    return std::string(digits, static_cast<size_t>(end - digits));
}

std::string twips(double points) { return wholeNumber(points * 20.0); }
// For the schema's unsigned measures.
std::string unsignedTwips(double points) { return wholeNumber(std::max(0.0, kx::finiteOr(points) * 20.0)); }

// "RRGGBB" in upper-case hex, each channel held to 0..255.
std::string hex(const KXDocx_Color& c) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out(6, '0');
    int channels[3] = {c.red, c.green, c.blue};
    for (int i = 0; i < 3; ++i) {
        int v = std::clamp(channels[i], 0, 255);
        out[2 * i] = digits[v >> 4];
        out[2 * i + 1] = digits[v & 15];
    }
    return out;
}

std::string integer(int v) { return std::to_string(v); }

size_t codePointCount(std::string_view s) {
    return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// Short hands for the "w" namespace.
void start(XMLFileWriter& w, std::string_view name) { w.writeStartElementWithNamespace(W, name); }
void end(XMLFileWriter& w) { w.writeEndElement(); }
void attr(XMLFileWriter& w, std::string_view name, std::string_view value) {
    w.writeAttributeWithNamespace(W, name, value);
}
void empty(XMLFileWriter& w, std::string_view name) {
    start(w, name);
    end(w);
}
// A width-like element: "type" then "w".
void typedWidth(XMLFileWriter& w, std::string_view name, const KXDocx_Width& width) {
    start(w, name);
    attr(w, "type", KXDocxWidthTypeName(width.type));
    attr(w, "w", twips(width.w));
    end(w);
}

void removeAll(std::string& s, std::string_view what) {
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at)) s.erase(at, what.size());
}

// The shading pattern names the schema knows; an index outside the table is a plain fill.
std::string_view shadingName(int val) {
    std::string_view name = KXDocxShadingValName(val);
    return name == "start" ? std::string_view("clear") : name;
}

struct HighlightColor {
    std::string_view name;
    int red, green, blue;
};
constexpr HighlightColor kHighlightColors[] = {
    {"red", 255, 0, 0},           {"green", 0, 255, 0},       {"blue", 0, 0, 255},
    {"black", 0, 0, 0},           {"white", 255, 255, 255},   {"yellow", 255, 255, 0},
    {"cyan", 0, 255, 255},        {"magenta", 255, 0, 255},   {"lightGray", 211, 211, 211},
    {"darkGray", 169, 169, 169},  {"darkYellow", 139, 139, 0}, {"darkCyan", 0, 139, 139},
    {"darkMagenta", 139, 0, 139}, {"darkRed", 139, 0, 0},     {"darkGreen", 0, 100, 0},
    {"darkBlue", 0, 0, 139},
};

}  // namespace

std::optional<std::string_view> KXDocxUtilities::NameFromColorValue(const KXDocx_Color& color) {
    if (std::abs(color.alpha - 255) > 2) return std::nullopt;
    for (const HighlightColor& h : kHighlightColors) {
        if (std::abs(color.red - h.red) <= 2 && std::abs(color.green - h.green) <= 2 &&
            std::abs(color.blue - h.blue) <= 2)
            return h.name;
    }
    return std::nullopt;
}

double KXDocxUtilities::SpacingTwips(double spacing) {
    const double v = kx::finiteOr(static_cast<double>(static_cast<float>(spacing)) * 20.0);
    return v >= 0 ? std::round(v) : std::floor(v);
}

namespace {

// What writeRunStyle writes for r depends on, as bytes: the numbers bit for bit, then the font.
std::string runStyleKey(const KXDocx_RPr& r) {
    const std::uint32_t fields[] = {
        std::bit_cast<std::uint32_t>(r.sz),
        static_cast<std::uint32_t>(r.scrpit),
        static_cast<std::uint32_t>(r.u),
        static_cast<std::uint32_t>(r.strikethrough),
        static_cast<std::uint32_t>(r.color.red),
        static_cast<std::uint32_t>(r.color.green),
        static_cast<std::uint32_t>(r.color.blue),
        static_cast<std::uint32_t>(r.color.alpha),
        static_cast<std::uint32_t>(r.backgroundcolor.red),
        static_cast<std::uint32_t>(r.backgroundcolor.green),
        static_cast<std::uint32_t>(r.backgroundcolor.blue),
        static_cast<std::uint32_t>(r.backgroundcolor.alpha),
        (r.b ? 1u : 0u) | (r.i ? 2u : 0u) | (r.background ? 4u : 0u),
    };
    std::string key(reinterpret_cast<const char*>(fields), sizeof fields);
    key += r.rFonts.ascii;
    return key;
}

// The run properties up to the character spacing: fonts, sizes, colours and styles.
void writeRunStyle(const KXDocx_RPr& r, XMLFileWriter& w) {
    // One font name for all four scripts; the style words that bold and italic already say are
    // taken out of it.
    std::string font = r.rFonts.ascii.empty() ? std::string("Arial Unicode MS") : r.rFonts.ascii;
    if (r.b) removeAll(font, " Bold");
    if (r.i) {
        removeAll(font, " Italic");
        removeAll(font, " Oblique");
    }
    start(w, "rFonts");
    attr(w, "ascii", font);
    attr(w, "hAnsi", font);
    attr(w, "cs", font);
    attr(w, "eastAsia", font);
    end(w);

    // Sizes in half points (the schema's measure has no sign); raised or lowered text of a small
    // size keeps a readable 8 points.
    const double halfPoints = std::max(0.0, kx::finiteOr(r.sz * 2.0));
    w.writeValElement(W, "sz", r.scrpit != 0 && r.sz < 8 ? std::string("16") : wholeNumber(halfPoints));
    w.writeValElement(W, "szCs", wholeNumber(halfPoints));
    w.writeValElement(W, "color", hex(r.color));

    if (r.background) {
        std::optional<std::string_view> name = KXDocxUtilities::NameFromColorValue(r.backgroundcolor);
        if (name && !name->empty()) {
            w.writeValElement(W, "highlight", *name);
        } else {
            start(w, "shd");
            attr(w, "fill", hex(r.backgroundcolor));
            attr(w, "color", "auto");
            attr(w, "val", "clear");
            end(w);
        }
    }
    if (r.b) {
        empty(w, "b");
        empty(w, "bCs");
    }
    if (r.i) empty(w, "i");
    if (r.u != 0) {
        // An underline of a style without a name is drawn as a single line.
        std::string_view style = KXDocxUtilities::_underlineValue(r.u);
        start(w, "u");
        attr(w, "val", style == "normal" ? std::string_view("single") : style);
        attr(w, "color", hex(r.color));
        end(w);
    }
    if (r.strikethrough != 0) w.writeValElement(W, "strike", "true");
    if (r.scrpit != 0) {
        std::string_view script = KXDocxUtilities::_scriptValue(r.scrpit);
        w.writeValElement(W, "vertAlign", script == "normal" ? std::string_view("baseline") : script);
    }
}

}  // namespace

void KXDocxUtilities::WriteRProperty(const KXDocx_RPr& r, XMLFileWriter& w) {
    start(w, "rPr");

    // Most runs of a document share a few sets of fonts, sizes, colours and styles: each set is
    // built once per writer. The spacing differs from run to run.
    const std::string key = runStyleKey(r);
    if (!w.writeFragment(key)) {
        const XMLFileWriter::FragmentMark mark = w.beginFragment();
        writeRunStyle(r, w);
        w.endFragment(key, mark);
    }

    const double spacing = SpacingTwips(r.spacing);
    if (spacing != 0) w.writeValElement(W, "spacing", wholeNumber(spacing));

    if (r.w != 100) w.writeValElement(W, "w", wholeNumber(std::clamp(kx::finiteOr(r.w, 100), 1.0, 600.0)));
    empty(w, "noProof");
    end(w);
}

void KXDocxUtilities::WritePProperty(const KXDocx_PPr& p, const KXDocx_RPr& r, const KXDocx_SectPr& s,
                                     const KXDocx_Tabs& tabs, XMLFileWriter& w) {
    start(w, "pPr");

    if (p.numPr.numId > 0) {
        start(w, "numPr");
        w.writeValElement(W, "ilvl", integer(p.numPr.ilvl));
        w.writeValElement(W, "numId", integer(p.numPr.numId));
        end(w);
    }

    if (!tabs.tabArray.empty()) {
        start(w, "tabs");
        for (const KXDocx_Tab& tab : tabs.tabArray) {
            start(w, "tab");
            attr(w, "val", tab.val);
            attr(w, "pos", twips(tab.pos));
            end(w);
        }
        end(w);
    }

    start(w, "spacing");
    attr(w, "before", unsignedTwips(p.spacing.before));
    attr(w, "after", unsignedTwips(p.spacing.after));
    if (p.spacing.lineRule == "auto" && p.spacing.word1LineHeight > 0) {
        // Auto spacing counts in 240ths of a single line.
        attr(w, "line", wholeNumber(240.0 * p.spacing.line / p.spacing.word1LineHeight));
        attr(w, "lineRule", "auto");
    } else {
        attr(w, "line", twips(p.spacing.line));
        attr(w, "lineRule", "exact");
    }
    end(w);

    start(w, "ind");
    // A negative first-line indent is a hanging indent (the schema has no negative first line).
    std::string firstLine = twips(p.ind.firstLine);
    if (firstLine.front() == '-')
        attr(w, "hanging", firstLine.substr(1));
    else
        attr(w, "firstLine", firstLine);
    attr(w, "left", twips(p.ind.left));
    // The right indent is written even when it is 0 (a negative one lets a line run on into the
    // margin): a reader that folds an empty section-break paragraph into the paragraph after it
    // gives that paragraph the break's indents wherever the paragraph leaves them unsaid, and a
    // right indent taken from a wider column can leave it no room to set a word in.
    attr(w, "right", twips(p.ind.right));
    end(w);

    if (std::optional<std::string_view> jc = KXDocxJcName(p.jc)) w.writeValElement(W, "jc", *jc);
    // Outline levels count from 1 in the record (0: none) and from 0 in WordprocessingML, which has
    // nine of them; its place is after the alignment in the schema's order.
    if (p.outlineLvl > 0) w.writeValElement(W, "outlineLvl", integer(std::min(p.outlineLvl - 1, 8)));

    WriteRProperty(r, w);
    if (s.shouldWrite) WriteSectProperty(s, w);
    end(w);
}

void KXDocxUtilities::WriteSectProperty(const KXDocx_SectPr& s, XMLFileWriter& w) {
    start(w, "sectPr");

    if (s.type != 0) {
        // Only the section kinds the schema names; any other code keeps the default kind.
        std::string_view type = _sectTypeValue(s.type);
        if (type != "auto") w.writeValElement(W, "type", type);
    }

    start(w, "pgSz");
    attr(w, "w", unsignedTwips(s.pgSz.w));
    attr(w, "h", unsignedTwips(s.pgSz.h));
    if (s.pgSz.h < s.pgSz.w) attr(w, "orient", "landscape");
    end(w);

    start(w, "pgMar");
    attr(w, "top", twips(s.pgMar.top));
    attr(w, "right", unsignedTwips(s.pgMar.right));
    attr(w, "bottom", twips(s.pgMar.bottom));
    attr(w, "left", unsignedTwips(s.pgMar.left));
    attr(w, "header", unsignedTwips(s.pgMar.header));
    attr(w, "footer", unsignedTwips(s.pgMar.footer));
    attr(w, "gutter", "0");
    end(w);

    if (s.offsetFrom != 0) {
        start(w, "pgBorders");
        attr(w, "offsetFrom", "page");
        WriteBorderProperty(s.pgBorders.top, "top", w);
        WriteBorderProperty(s.pgBorders.left, "left", w);
        WriteBorderProperty(s.pgBorders.bottom, "bottom", w);
        WriteBorderProperty(s.pgBorders.right, "right", w);
        end(w);
    }

    if (s.cols.num >= 2) {
        start(w, "cols");
        attr(w, "num", kx::format("%llu", static_cast<unsigned long long>(s.cols.num)));
        if (s.cols.sep) attr(w, "sep", "true");
        if (s.cols.equalWidth <= 0) {
            attr(w, "equalWidth", "0");
            for (uint64_t i = 0; i < s.cols.num && i < s.cols.col.size(); ++i) {
                const KXDocx_Col& col = s.cols.col[i];
                start(w, "col");
                attr(w, "w", unsignedTwips(col.colWidth));
                if (col.colSpace > 0) attr(w, "space", twips(col.colSpace));
                end(w);
            }
        } else if (s.cols.space > 0) {
            attr(w, "space", twips(s.cols.space));
        } else {
            attr(w, "equalWidth", "1");
        }
        end(w);
    }

    if (!s.docGrid.type.empty()) {
        start(w, "docGrid");
        attr(w, "type", s.docGrid.type);
        attr(w, "linePitch", twips(s.docGrid.linePitch));
        end(w);
    }
    end(w);
}

void KXDocxUtilities::Write1BlankParagraphWithProperty(const KXDocx_PPr& p, const KXDocx_RPr& r,
                                                       const KXDocx_SectPr& s, XMLFileWriter& w) {
    start(w, "p");
    WritePProperty(p, r, s, KXDocx_Tabs{}, w);
    end(w);
}

void KXDocxUtilities::WriteBorderProperty(const KXDocx_Border& b, std::string_view localName, XMLFileWriter& w) {
    start(w, localName);
    attr(w, "val", KXDocxBorderValName(b.val));
    // Widths in eighths of a point, from the width rounded to a quarter point.
    double quarter = std::round(std::max(0.0, kx::finiteOr(b.sz)) * 4.0) / 4.0;
    attr(w, "sz", wholeNumber(quarter * 8.0));
    double space = std::clamp(kx::finiteOr(b.space), 0.0, 31.0);
    attr(w, "space", wholeNumber(std::round(space * 4.0) / 4.0));
    attr(w, "color", hex(b.color));
    if (b.shadow) attr(w, "shadow", "true");
    end(w);
}

void KXDocxUtilities::WriteMarginProperty(const KXDocx_Margin& m, std::string_view localName, XMLFileWriter& w) {
    typedWidth(w, localName, m);
}

namespace {

// A table's or a cell's margins, written only when all four have a type.
void writeMargins(XMLFileWriter& w, std::string_view name, const KXDocx_Margins& m) {
    if (m.top.type == 0 || m.left.type == 0 || m.bottom.type == 0 || m.right.type == 0) return;
    start(w, name);
    KXDocxUtilities::WriteMarginProperty(m.top, "top", w);
    KXDocxUtilities::WriteMarginProperty(m.left, "left", w);
    KXDocxUtilities::WriteMarginProperty(m.bottom, "bottom", w);
    KXDocxUtilities::WriteMarginProperty(m.right, "right", w);
    end(w);
}

}  // namespace

void KXDocxUtilities::WriteTblProperty(const KXDocx_TblPr& t, XMLFileWriter& w) {
    start(w, "tblPr");

    if (codePointCount(t.tblStyle) >= 2) w.writeValElement(W, "tblStyle", t.tblStyle);

    const KXDocx_TblpPr& pos = t.tblpPr;
    bool anchored = pos.vertAnchor != 0 || pos.horzAnchor != 0;
    bool placed = std::fabs(pos.tblpX) > 0.1 || std::fabs(pos.tblpY) > 0.1 || pos.leftFromText > 0 ||
                  pos.rightFromText > 0 || pos.topFromText > 0 || pos.bottomFromText > 0;
    if (anchored && placed) {
        start(w, "tblpPr");
        attr(w, "leftFromText", unsignedTwips(pos.leftFromText));
        attr(w, "rightFromText", unsignedTwips(pos.rightFromText));
        attr(w, "topFromText", unsignedTwips(pos.topFromText));
        attr(w, "bottomFromText", unsignedTwips(pos.bottomFromText));
        // "none" is no anchor the schema knows: the attribute is left out (its default applies).
        if (std::string_view a = KXDocxAnchorName(pos.vertAnchor); a != "none") attr(w, "vertAnchor", a);
        if (std::string_view a = KXDocxAnchorName(pos.horzAnchor); a != "none") attr(w, "horzAnchor", a);
        attr(w, "tblpX", twips(pos.tblpX));
        attr(w, "tblpY", twips(pos.tblpY));
        end(w);
    }

    if (t.tblStyleRowBandSize > 0) w.writeValElement(W, "tblStyleRowBandSize", integer(t.tblStyleRowBandSize));
    if (t.tblStyleColBandSize > 0) w.writeValElement(W, "tblStyleColBandSize", integer(t.tblStyleColBandSize));
    if (t.tblW.type != 0) typedWidth(w, "tblW", t.tblW);
    w.writeValElement(W, "jc", KXDocxTableJcName(t.jc));
    if (t.tblCellSpacing.type != 0 && std::fabs(t.tblCellSpacing.w) > 0.1)
        typedWidth(w, "tblCellSpacing", t.tblCellSpacing);
    if (std::fabs(t.tblInd.w) > 0.1) typedWidth(w, "tblInd", t.tblInd);

    const KXDocx_Borders& b = t.tblBorders;
    if (b.top.val > 1 || b.left.val > 1 || b.bottom.val > 1 || b.right.val > 1 || b.insideH.val > 1 ||
        b.insideV.val > 1) {
        start(w, "tblBorders");
        WriteBorderProperty(b.top, "top", w);
        WriteBorderProperty(b.left, "left", w);
        WriteBorderProperty(b.bottom, "bottom", w);
        WriteBorderProperty(b.right, "right", w);
        WriteBorderProperty(b.insideH, "insideH", w);
        WriteBorderProperty(b.insideV, "insideV", w);
        end(w);
    }

    if (t.shd.val != 0) {
        start(w, "shd");
        attr(w, "val", shadingName(t.shd.val));
        attr(w, "color", t.shd.val == 1 ? std::string("auto") : hex(t.shd.color));
        attr(w, "fill", hex(t.shd.fill));
        end(w);
    }

    start(w, "tblLayout");
    attr(w, "type", KXDocxTblLayoutName(t.tblLayout));
    end(w);

    writeMargins(w, "tblCellMar", t.tblCellMar);

    const KXDocx_TblLook& look = t.tblLook;
    if (look.firstRow || look.lastRow || look.firstColumn || look.lastColumn || !look.val.empty()) {
        start(w, "tblLook");
        if (look.firstRow) attr(w, "firstRow", "true");
        if (look.lastRow) attr(w, "lastRow", "true");
        if (look.firstColumn) attr(w, "firstColumn", "true");
        if (look.lastColumn) attr(w, "lastColumn", "true");
        if (look.noHBand) attr(w, "noHBand", "true");
        if (look.noVBand) attr(w, "noVBand", "true");
        if (!look.val.empty()) attr(w, "val", look.val);
        end(w);
    }

    if (codePointCount(t.tblCaption) >= 2) w.writeValElement(W, "tblCaption", t.tblCaption);
    end(w);
}

void KXDocxUtilities::WriteTblGridProperty(const KXDocx_TblGrid& g, XMLFileWriter& w) {
    // A table must have its grid, even an empty one.
    start(w, "tblGrid");
    for (float width : g.gridCol) {
        start(w, "gridCol");
        attr(w, "w", unsignedTwips(width));
        end(w);
    }
    end(w);
}

void KXDocxUtilities::WriteTrProperty(const KXDocx_TrPr& r, XMLFileWriter& w) {
    start(w, "trPr");
    if (r.cantSplit) w.writeValElement(W, "cantSplit", "true");
    if (r.hidden) w.writeValElement(W, "hidden", "true");
    if (r.tblHeader) w.writeValElement(W, "tblHeader", "true");
    if (r.jc != 0) w.writeValElement(W, "jc", KXDocxTableJcName(r.jc));
    if (r.trHeight.hRule != 0) {
        start(w, "trHeight");
        attr(w, "val", unsignedTwips(r.trHeight.val));
        attr(w, "hRule", KXDocxHRuleName(r.trHeight.hRule));
        end(w);
    }
    if (r.tblCellSpacing.type != 0 && std::fabs(r.tblCellSpacing.w) > 0.1)
        typedWidth(w, "tblCellSpacing", r.tblCellSpacing);
    end(w);
}

namespace {

// The table borders a cell's sides are compared with: the outer ones on the table's edges, the
// inside ones elsewhere.
struct ExpectedCellBorders {
    KXDocx_Border top, bottom, left, right;
};

ExpectedCellBorders expectedBorders(kx::Range columns, kx::Range rows, const KXDocx_TblPr& t) {
    const KXDocx_Borders& b = t.tblBorders;
    return {
        rows.location == 0 ? b.top : b.insideH,
        rows.end() == static_cast<uint64_t>(std::max(t.rowCount, 0)) ? b.bottom : b.insideH,
        columns.location == 0 ? b.left : b.insideV,
        columns.end() == static_cast<uint64_t>(std::max(t.columnCount, 0)) ? b.right : b.insideV,
    };
}

}  // namespace

bool KXDocxUtilities::IsBorderEqualTcProperty(const KXDocx_TcPr& c, kx::Range columnRange, kx::Range rowRange,
                                              const KXDocx_TblPr& t) {
    ExpectedCellBorders e = expectedBorders(columnRange, rowRange, t);
    const KXDocx_Borders& b = c.tcBorders;
    return KXDocxBorderIsEqual(b.top, e.top) && KXDocxBorderIsEqual(b.bottom, e.bottom) &&
           KXDocxBorderIsEqual(b.left, e.left) && KXDocxBorderIsEqual(b.right, e.right) && b.insideH.val == 0 &&
           b.insideV.val == 0 && KXDocxBorderIsEqual(b.tl2br, t.tblBorders.tl2br) &&
           KXDocxBorderIsEqual(b.tr2bl, t.tblBorders.tr2bl);
}

void KXDocxUtilities::WriteTcProperty(const KXDocx_TcPr& c, kx::Range columnRange, kx::Range rowRange,
                                      const KXDocx_TblPr& t, XMLFileWriter& w) {
    start(w, "tcPr");

    if (std::fabs(c.tcW.w) > 0.1) {
        start(w, "tcW");
        attr(w, "w", twips(c.tcW.w));
        attr(w, "type", KXDocxWidthTypeName(c.tcW.type));
        end(w);
    }
    if (c.gridSpan > 0) w.writeValElement(W, "gridSpan", integer(c.gridSpan));
    if (c.vMerge != 0) {
        if (c.vMerge == 3) {
            empty(w, "vMerge");  // the end of a merge: a plain continuation
        } else {
            w.writeValElement(W, "vMerge", KXDocxVMergeName(c.vMerge));
        }
    }

    if (!IsBorderEqualTcProperty(c, columnRange, rowRange, t)) {
        ExpectedCellBorders e = expectedBorders(columnRange, rowRange, t);
        const KXDocx_Borders& b = c.tcBorders;
        start(w, "tcBorders");
        if (!KXDocxBorderIsEqual(b.top, e.top)) WriteBorderProperty(b.top, "top", w);
        if (!KXDocxBorderIsEqual(b.left, e.left)) WriteBorderProperty(b.left, "left", w);
        if (!KXDocxBorderIsEqual(b.bottom, e.bottom)) WriteBorderProperty(b.bottom, "bottom", w);
        if (!KXDocxBorderIsEqual(b.right, e.right)) WriteBorderProperty(b.right, "right", w);
        if (b.insideH.val != 0) WriteBorderProperty(b.insideH, "insideH", w);
        if (b.insideV.val != 0) WriteBorderProperty(b.insideV, "insideV", w);
        if (!KXDocxBorderIsEqual(b.tl2br, t.tblBorders.tl2br)) WriteBorderProperty(b.tl2br, "tl2br", w);
        if (!KXDocxBorderIsEqual(b.tr2bl, t.tblBorders.tr2bl)) WriteBorderProperty(b.tr2bl, "tr2bl", w);
        end(w);
    }

    if (c.shd.val != 0) {
        start(w, "shd");
        attr(w, "fill", hex(c.shd.fill));
        attr(w, "color", hex(c.shd.color));
        attr(w, "val", shadingName(c.shd.val));
        end(w);
    }
    if (c.noWrap) w.writeValElement(W, "noWrap", "true");

    writeMargins(w, "tcMar", c.tcMar);
    if (c.tcFitText) w.writeValElement(W, "tcFitText", "true");
    if (c.vAlign != 0) w.writeValElement(W, "vAlign", KXDocxVAlignName(c.vAlign));
    if (c.hideMark) w.writeValElement(W, "hideMark", "true");
    end(w);
}

std::string KXDocxUtilities::TextPathStyleForRProperty(const KXDocx_RPr& r) {
    std::string style = "font-family:" + r.rFonts.ascii + ";";
    if (r.b) style += "font-weight:bold;";
    if (r.i) style += "font-style:italic;";
    style += kx::format("font-size:%0.0fpt;", kx::finiteOr(r.sz * 2.0));
    style += "v-text-kern:t;";
    style += "mso-text-shadow:auto";
    return style;
}
