#pragma once
// Tables generated at build time (scripts/gen-font-tables.py): glyph names, the widths of the
// standard fonts, the built-in encodings of the two symbol fonts and the upper halves of two
// single-byte character sets.

#include <cstddef>
#include <cstdint>

namespace kx::detail {

// Names are held in the entries, not pointed to: tables of pointers would need thousands of
// relocations, and so private copies of their pages, in every process at start-up.
constexpr size_t kGlyphNameSize = 40;  // the longest name and its NUL; the generator checks

struct GlyphNameEntry {
    char name[kGlyphNameSize];
    std::uint16_t unicode;
};
// Sorted by name (byte order).
extern const GlyphNameEntry kGlyphList[];
extern const size_t kGlyphListCount;

struct PreferredNameEntry {
    std::uint16_t unicode;
    char name[kGlyphNameSize];
};
// Sorted by value.
extern const PreferredNameEntry kPreferredNames[];
extern const size_t kPreferredNamesCount;

struct GlyphWidthEntry {
    char name[kGlyphNameSize];
    std::uint16_t width;  // glyph units (1/1000 em)
};
struct StandardFontWidths {
    const char* fontName;
    const GlyphWidthEntry* widths;
    size_t count;
};
// In the order of the standard font table.
extern const StandardFontWidths kStandardFontWidths[14];

// The built-in encodings of the Symbol and ZapfDingbats fonts: per code, the glyph name and its
// Unicode value; {nullptr, 0} where the font encodes no glyph.
struct EncodedGlyph {
    const char* name;
    std::uint16_t unicode;
};
extern const EncodedGlyph kSymbolEncoding[256];
extern const EncodedGlyph kZapfDingbatsEncoding[256];

// Bytes 0x80 to 0xFF; 0 where the character set leaves the byte undefined.
extern const std::uint16_t kMacRomanUpper[128];
extern const std::uint16_t kWinAnsiUpper[128];

}  // namespace kx::detail
