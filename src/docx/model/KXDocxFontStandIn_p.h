#pragma once
// Fonts for text whose PDF font is not installed. The replacement chosen for such a font is a name
// word processors know (Times New Roman, Arial, Courier New, ...: the keys of
// "FontBook_Replace.plist"); the machine that converts may have it only as a metric-compatible
// stand-in (Liberation Serif for Times New Roman, Carlito for Calibri), found through the same
// list. The document names the font the word processor knows, and text is measured with the
// stand-in, which sets it in the same widths.

#include <string>

namespace kx::detail {

struct FontStandIn {
    // The name written into the document; empty when the replacement has none.
    std::string wordName;
    // The full name of the installed face that sets text like it (bold and italic as asked);
    // empty when none is installed.
    std::string installedFace;
};

// Looked up once per name and style (conversion thread only).
const FontStandIn& fontStandIn(const std::string& replacement, bool bold, bool italic);

}  // namespace kx::detail
