#pragma once
// One font of an RTF document's font table, with the size and style a run asks for.

#include <string>

class KXRTFFontEntry {
public:
    KXRTFFontEntry() = default;
    // Size in half-points.
    KXRTFFontEntry(std::string name, double size) : fontName(std::move(name)), fontSize(size) {}

    // The font-table entry "\fN\fnil\fcharset0 Name;", the name escaped for RTF.
    std::string rtfFormat() const;

    int fontIndex = -1;
    std::string fontName = "Arial Unicode MS";  // UTF-8
    double fontSize = 12.0;                    // half-points
    bool bold = false;
    bool italic = false;
    int underline = 0;
};
