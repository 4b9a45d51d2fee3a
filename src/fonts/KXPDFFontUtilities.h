#pragma once
// Connects PDF font names with the fonts installed on this machine (is a name installed, under which
// full name, which family, which replacement), tells bold and italic from a name, and measures text
// with a font program (an embedded one or an installed one).
//
// The selectors "CGFont:fontSize:widthOf...:" become CGFontWidthOf...(font, size, ...), and
// "SystemFontName:fontSize:widthOfString:" becomes SystemFontNameWidthOfString(name, size, text).

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"

namespace kx {
class FontProgram;
}

// One face of the font catalogue ("FontBook").
struct KXFontBookFace {
    std::string fullName;        // "Full name"
    std::string postScriptName;  // "PostScript name"
    std::string wordName;        // "Word name"
    std::string face;            // "face"
    // At size 10 (from "FontBook.plist"; 0 in the catalogue of the installed fonts).
    float ascender = 0, descender = 0, leading = 0, capHeight = 0, italicAngle = 0, xHeight = 0;

    bool operator==(const KXFontBookFace&) const = default;
};
// Family name → PostScript name → face.
using KXFontBook = std::map<std::string, std::map<std::string, KXFontBookFace>>;
// Replacement font name → the names and keywords it is written for.
using KXFontReplaceList = std::map<std::string, std::vector<std::string>>;

class KXPDFFontUtilities {
public:
    // The full name of the installed face that the name denotes; empty when none.
    static std::string FontNameInComputer(const std::string& name);
    static std::string FontNameExistInFontBook(const std::string& name) { return FontNameInComputer(name); }
    // The family, or a face's full name, that the name denotes; empty when none.
    static std::string FamilyNameInComputer(const std::string& name);
    static std::string FamilyNameExistInFontBook(const std::string& name) { return FamilyNameInComputer(name); }
    // The part before the first "-", else ",", else "+.", else "+"; else the name.
    static std::string FamilyNameCut(const std::string& name);
    // The replacement font for a name from "FontBook_Replace.plist"; empty when none.
    static std::string ReplaceFontNameInFontBook(const std::string& name);

    // Whether an installed font has that PostScript (or full) name, and that font's full name.
    static bool SystemFontNameIsExist(const std::string& name);
    static std::string SystemFontFullNameForFontName(const std::string& name);

    static bool isBoldFontName(std::string_view name);
    static bool isItalicFontName(std::string_view name);

    // "FontBook.plist" when it lists at least one family, else the installed fonts.
    static const KXFontBook& GetFontBook();
    static std::optional<KXFontBook> GetFontBookInMyBundlePlist();
    static const KXFontBook& GetFontBookInThisDevice();
    // Writes the catalogue of the installed fonts to a property-list file (atomically), in the form
    // "FontBook.plist" is read in; false when it cannot be written.
    static bool CreateFontBookAtPath(const std::string& path);
    // "FontBook_Replace.plist"; none when the file is missing.
    static const std::optional<KXFontReplaceList>& GetFontBook_Replace();

    // Widths at a size in points: advances × size / units per em; 0 without a font.
    static double CGFontWidthOfGlyphs(const kx::FontProgram* font, double fontSize, const std::uint16_t* glyphs,
                                      size_t length);
    // 0 when the font cannot map every character.
    static double CGFontWidthOfCharacters(const kx::FontProgram* font, double fontSize, const char16_t* characters,
                                          size_t length);
    static double CGFontWidthOfGlyphCode(const kx::FontProgram* font, double fontSize, std::uint16_t glyph);
    static double CGFontWidthOfCharCode(const kx::FontProgram* font, double fontSize, char16_t character);
    static double CGFontWidthOfString(const kx::FontProgram* font, double fontSize, std::u16string_view text);
    // Width as above, height = cap height × size / units per em.
    static kx::Size CGFontSizeOfString(const kx::FontProgram* font, double fontSize, std::u16string_view text);

    // Whether every glyph has an advance of at least one unit; characters that cannot be mapped
    // answer false.
    static bool CGFontIsExistGlyphs(const kx::FontProgram* font, const std::uint16_t* glyphs, size_t length);
    static bool CGFontIsExistCharacters(const kx::FontProgram* font, const char16_t* characters, size_t length);
    static bool CGFontIsExistGlyphCode(const kx::FontProgram* font, std::uint16_t glyph);
    static bool CGFontIsExistCharCode(const kx::FontProgram* font, char16_t character);
    static bool CGFontIsExistString(const kx::FontProgram* font, std::u16string_view text);
    static bool CGFontIsEqualCGFont(const kx::FontProgram* font, const kx::FontProgram* other);

    // The same with the installed font of that name.
    static double SystemFontNameWidthOfString(const std::string& name, double fontSize, std::u16string_view text);
    static kx::Size SystemFontNameSizeOfString(const std::string& name, double fontSize, std::u16string_view text);
    static bool SystemFontNameIsExistString(const std::string& name, std::u16string_view text);
};
