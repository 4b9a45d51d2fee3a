#pragma once
// PDFs written by cairo's PDF surface: real documents with embedded font subsets (TrueType and CFF)
// made from the fonts installed on the machine.

#include <string>
#include <vector>

namespace kx::test {

struct CairoText {
    std::string family;  // an installed family ("Liberation Sans", "Nimbus Sans", "Noto Sans CJK JP")
    bool bold = false;
    bool italic = false;
    double size = 12;
    double x = 72, y = 72;  // the baseline start, from the page's top left
    std::string utf8;
};

// A one-page PDF (width × height points) showing the texts; empty when cairo fails.
std::string cairoTextPDF(const std::vector<CairoText>& texts, double width = 612, double height = 792);

}  // namespace kx::test
