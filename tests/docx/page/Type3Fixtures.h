#pragma once
// A statement page set in a Type 3 font the way some generators write one: the glyphs are coded in
// the order they are first used, a ToUnicode map gives their text, the word space is a glyph of
// its own mapped to U+0020, and the glyph procedures are drawn in a y-down glyph space that the
// font matrix [0.001 0 0 -0.001 0 0] mirrors, under text matrices that mirror it back: a viewer
// shows every glyph upright. Other generators draw the glyphs in a glyph space of their own, which
// a font matrix of another scale takes to text space.

#include <map>
#include <string>
#include <vector>

#include "platform/Format.h"
#include "support/PDFBuilder.h"

namespace kx::test {

struct Type3Line {
    std::string text;
    // Words are set apart by the blank glyph, or only by moving the text position (a TJ number).
    bool blankGlyph = true;
};

// The glyph space: the scale of the font matrix, and how many of its units an em of glyphs spans.
// The font size makes up for an em that is not one text space unit, so that the glyphs always
// stand at 10 points.
struct Type3GlyphSpace {
    double matrixScale = 0.001;
    double unitsPerEm = 1000;
};

// The advance of a glyph in thousandths of the font size: the widths of a common sans-serif face
// (other characters 556).
inline int type3Advance(char c) {
    static const int lower[26] = {556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833,
                                  556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500};
    static const int upper[26] = {667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833,
                                  722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611};
    if (c == ' ') return 278;
    if (c >= 'a' && c <= 'z') return lower[c - 'a'];
    if (c >= 'A' && c <= 'Z') return upper[c - 'A'];
    return 556;
}

// The lines at 10 points from (72, 740) down, `leading` apart.
inline std::string type3StatementPDF(const std::vector<Type3Line>& lines, double leading = 14,
                                     Type3GlyphSpace space = {}) {
    // Glyph units of the 1000-unit design below in this glyph space.
    const double unit = space.unitsPerEm / 1000;
    auto units = [&](double v) { return kx::format("%g", v * unit); };
    std::map<char, int> code;
    std::string order;
    for (const auto& line : lines)
        for (char c : line.text + " ")
            if (!code.count(c)) {
                order += c;
                code[c] = static_cast<int>(order.size());
            }
    PDFBuilder pdf;
    std::string procs, differences, widths, unicode;
    for (char c : order) {
        const int w = type3Advance(c);
        // A box from the baseline up (down in the mirrored glyph space), as wide as the glyph
        // less a margin; the blank draws nothing.
        const std::string body =
            c == ' ' ? units(w) + " 0 0 0 0 0 d1"
                     : units(w) + " 0 " + units(50) + " " + units(-700) + " " + units(w - 50) + " 0 d1 " + units(50) +
                           " 0 " + units(w - 100) + " " + units(-700) + " re f";
        procs += kx::format("/g%d %d 0 R ", code[c], pdf.addStream("", body));
        differences += kx::format("/g%d ", code[c]);
        widths += units(w) + " ";
        unicode += kx::format("<%02X> <%04X>\n", code[c], static_cast<unsigned char>(c));
    }
    const std::string cmap = kx::format(
        "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /T3Text def "
        "1 begincodespacerange <00> <FF> endcodespacerange\n%zu beginbfchar\n%sendbfchar\n"
        "endcmap CMapName currentdict /CMap defineresource pop end end",
        order.size(), unicode.c_str());
    const int font = pdf.add(kx::format(
        "<< /Type /Font /Subtype /Type3 /FontBBox [0 %s %s 0] /FontMatrix [%g 0 0 %g 0 0] "
        "/CharProcs << %s>> /Encoding << /Type /Encoding /Differences [1 %s] >> /FirstChar 1 /LastChar %zu "
        "/Widths [%s] /ToUnicode %d 0 R /Resources << >> >>",
        units(-700).c_str(), units(600).c_str(), space.matrixScale, -space.matrixScale, procs.c_str(),
        differences.c_str(), order.size(), widths.c_str(), pdf.addStream("", cmap)));

    auto encoded = [&](const std::string& s) {
        std::string out;
        for (char c : s) out += kx::format("\\%03o", code[c]);
        return out;
    };
    const double em = space.matrixScale * space.unitsPerEm;  // in text space
    std::string content = kx::format("BT /T3 %g Tf\n", 1 / em);
    double y = 740;
    for (const auto& line : lines) {
        std::string shown;
        if (line.blankGlyph) {
            shown = "(" + encoded(line.text) + ")";
        } else {
            for (size_t at = 0; at <= line.text.size();) {
                size_t end = line.text.find(' ', at);
                if (end == std::string::npos) end = line.text.size();
                // The blank's advance, in thousandths of a text space unit: of an em.
                shown += "(" + encoded(line.text.substr(at, end - at)) + ") " + kx::format("%g ", -278 * em);
                at = end + 1;
            }
        }
        content += kx::format("10 0 0 -10 72 %.2f Tm [%s] TJ\n", y, shown.c_str());
        y -= leading;
    }
    content += "ET";
    pdf.addPage(content, kx::format("<< /Font << /T3 %d 0 R >> >>", font));
    return pdf.build();
}

}  // namespace kx::test
