#pragma once
// The glyph widths of one standard font by glyph name, and the translation between glyph names and
// Unicode values that the simple fonts use for /Differences and width lookups.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct BFontWidth {
    std::string name;
    std::uint16_t width = 0;  // glyph units (1/1000 em)
};

class BuiltinFontWidths {
public:
    // initWithBFontWidth:size: — entries go in in order, each at the head of its bucket, so a
    // later entry of the same name is the one found.
    BuiltinFontWidths(const BFontWidth* widths, int size);

    // The Unicode value of a glyph name: the glyph list's value; else for "uniXXXX" the rest read as
    // hexadecimal when it has exactly 4 characters, as decimal otherwise (cut to 16 bits); else 0.
    static std::uint16_t nameToUnicodeID(std::string_view name);
    // ".notdef" for 0; else the preferred glyph name of the value; else "uni%04x".
    static std::string unicodeIDToName(std::uint16_t unicode);

    // h := h × 17 + byte over the name, 32-bit; the bucket is h modulo the entry count.
    std::uint32_t hash(std::string_view name) const;
    bool getCharacter(std::uint16_t unicode, std::uint16_t* width) const;
    bool getString(std::string_view name, std::uint16_t* width) const;
    bool widthOfSpace(std::uint16_t* width) const { return getString("space", width); }

    std::int32_t widthsCount() const { return widthsCount_; }

private:
    std::vector<std::vector<BFontWidth>> widthsTab_;  // each bucket, most recent entry first
    std::int32_t widthsCount_ = 0;
};
