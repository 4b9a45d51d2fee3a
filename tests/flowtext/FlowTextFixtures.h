#pragma once
// Small PDFs for the flow-text conversions, written as content streams over the standard fonts, so
// that every position, angle and style is exactly what the case needs.

#include <cmath>
#include <string>
#include <vector>

#include "platform/Format.h"
#include "platform/Unicode.h"
#include "support/PDFBuilder.h"

namespace flowtest {

struct Show {
    const char* font;  // resource name: F1 Helvetica, F2 bold, F3 oblique, F4 bold oblique, F5 with a
                       // ToUnicode map (A: U+4E2D, B: U+1F600), F6 a hostile name
    double size;
    double x, y;       // PDF space, y up
    double degrees;    // direction of the baseline in PDF space (counter-clockwise)
    std::string text;  // a PDF string literal body (escaped as PDF needs)
    int renderMode = 0;
    // When set, `text` is written into the content stream as it is (and the other fields unused).
    bool raw = false;
};

inline std::string content(const std::vector<Show>& shows) {
    std::string out;
    for (const Show& s : shows) {
        if (s.raw) {
            out += s.text + "\n";
            continue;
        }
        const double r = s.degrees * M_PI / 180.0;
        out += kx::format("BT %d Tr /%s %.2f Tf %.6f %.6f %.6f %.6f %.2f %.2f Tm (%s) Tj ET\n", s.renderMode, s.font,
                          s.size, std::cos(r), std::sin(r), -std::sin(r), std::cos(r), s.x, s.y, s.text.c_str());
    }
    return out;
}

// Adds the fixtures' fonts to the document and returns its resource dictionary.
inline std::string addFixtureFonts(kx::test::PDFBuilder& pdf) {
    auto font = [&](const char* base) {
        return pdf.add(std::string("<< /Type /Font /Subtype /Type1 /BaseFont /") + base + " /Encoding /WinAnsiEncoding >>");
    };
    int f1 = font("Helvetica"), f2 = font("Helvetica-Bold"), f3 = font("Helvetica-Oblique"),
        f4 = font("Helvetica-BoldOblique");
    int cmap = pdf.addStream("",
                             "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                             "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                             "/CMapName /Adobe-Identity-UCS def /CMapType 2 def\n"
                             "1 begincodespacerange <00> <FF> endcodespacerange\n"
                             "2 beginbfchar <41> <4E2D> <42> <D83DDE00> endbfchar\n"
                             "endcmap CMapName currentdict /CMap defineresource pop end end\n");
    int f5 = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding /ToUnicode " +
                     std::to_string(cmap) + " 0 R >>");
    // </style><script>{\};'"  and a trailing "x".
    int f6 = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Evil#3C#2Fstyle#3E#3Cscript#3E#7B#5C#7D#3B#27#22x "
                     "/Encoding /WinAnsiEncoding >>");
    return kx::format("<< /Font << /F1 %d 0 R /F2 %d 0 R /F3 %d 0 R /F4 %d 0 R /F5 %d 0 R /F6 %d 0 R >> >>", f1, f2, f3,
                      f4, f5, f6);
}

// A document whose pages show the given strings.
inline std::string textDocument(const std::vector<std::vector<Show>>& pages,
                                const std::string& pageExtra = "/MediaBox [0 0 612 792]") {
    kx::test::PDFBuilder pdf;
    const std::string resources = addFixtureFonts(pdf);
    for (const auto& page : pages) pdf.addPage(content(page), resources, pageExtra);
    return pdf.build();
}

// A sheet larger than the pages that show parts of it: words near its corners and one ("Edge")
// across the right edge of its upper left part, /MediaBox [0 482 361 792].
inline std::string sheetContent() {
    return "BT /F1 10 Tf 40 700 Td (Upper) Tj ET\n"
           "BT /F1 10 Tf 40 300 Td (Lower) Tj ET\n"
           "BT /F1 10 Tf 400 700 Td (Right) Tj ET\n"
           "BT /F1 10 Tf 355 650 Td (Edge) Tj ET\n";
}

// One page of `content` over the fixture fonts, with the page dictionary's `extra` entries.
inline std::string onePage(const std::string& content, const std::string& extra = "/MediaBox [0 0 612 792]") {
    kx::test::PDFBuilder pdf;
    pdf.addPage(content, addFixtureFonts(pdf), extra);
    return pdf.build();
}

// A line of text in one string, in a fixture font, its baseline starting at (x, y).
inline std::string printedLine(const char* font, double size, double x, double y, const char* text) {
    return kx::format("BT /%s %.2f Tf %.2f %.2f Td (%s) Tj ET\n", font, size, x, y, text);
}


// Pages of text drawn over itself (a block drawn a second time at its place, a bold face made by
// printing a line twice a little apart) and of text that only looks so, with the words each must
// read as, joined by "|".
struct DrawnTwiceCase {
    const char* name;
    std::string content;
    const char* words;
};
inline std::vector<DrawnTwiceCase> drawnTwiceCases() {
    const auto line = printedLine;
    return {
        {"a line drawn twice at its place",
         line("F2", 8, 36, 138, "Before redeeming this voucher") + line("F2", 8, 36, 138, "Before redeeming this voucher"),
         "Before|redeeming|this|voucher"},
        {"a line printed twice a little apart", line("F1", 12, 72, 600, "Heading") + line("F1", 12, 72.4, 600.3, "Heading"),
         "Heading"},
        {"the same word twice on a line", line("F1", 12, 72, 600, "again") + line("F1", 12, 200, 600, "again"),
         "again|again"},
        {"the same letters in a row in small type", line("F1", 3, 72, 600, "iiii llll"), "iiii|llll"},
        {"the same word in another face below it", line("F1", 12, 72, 600, "word") + line("F2", 12, 72, 500, "word"),
         "word|word"},
    };
}

// The words of a text, split at any kind of blank (LibreOffice keeps runs of blanks as thin spaces
// when it writes a document back as text).
inline std::vector<std::u16string> wordsSplitAtAnyBlank(const std::string& text) {
    std::vector<std::u16string> words;
    std::u16string current;
    for (char16_t ch : kx::utf8ToUtf16(text)) {
        const bool blank = ch == u' ' || ch == u'\n' || ch == u'\r' || ch == u'\t' || ch == 0xA0 ||
                           (ch >= 0x2000 && ch <= 0x200B) || ch == 0x3000 || ch == 0xFEFF;
        if (!blank) {
            current += ch;
        } else if (!current.empty()) {
            words.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) words.push_back(current);
    return words;
}

}  // namespace flowtest
