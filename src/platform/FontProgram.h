#pragma once
// A font program (TrueType, OpenType/CFF, bare CFF, Type 1) loaded from bytes or from a file, to
// answer what the text code needs of it: its names, its metrics in font units, glyph advances and
// the mapping of characters and glyph names to glyphs. Loading never trusts the data: a program
// that cannot be read gives no object.
//
// An object may be shared between threads; its calls are serialised internally.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kx {

class FontProgram {
public:
    // nullptr when the bytes are not a font program the loader understands.
    static std::shared_ptr<const FontProgram> fromData(std::string data, int faceIndex = 0);
    static std::shared_ptr<const FontProgram> fromFile(const std::string& path, int faceIndex = 0);
    ~FontProgram();
    FontProgram(const FontProgram&) = delete;
    FontProgram& operator=(const FontProgram&) = delete;

    // The program's own names; empty when it has none. The full name comes from the name table
    // (TrueType/OpenType) or the font info dictionary (Type 1, CFF).
    const std::string& fullName() const { return fullName_; }
    const std::string& postScriptName() const { return postScriptName_; }
    const std::string& familyName() const { return familyName_; }
    const std::string& styleName() const { return styleName_; }

    // Metrics in font units.
    int unitsPerEm() const { return unitsPerEm_; }
    int ascent() const { return ascent_; }
    int descent() const { return descent_; }
    int leading() const { return leading_; }
    // From the OS/2 table when it gives one, else the height of "H", else the ascent.
    int capHeight() const { return capHeight_; }
    // From the OS/2 table when it gives one, else the height of "x", else 0.
    int xHeight() const { return xHeight_; }
    double italicAngle() const { return italicAngle_; }
    // The dominant vertical stem width when the program states one (Type 1 private dictionary),
    // else 0.
    int stemV() const { return stemV_; }
    std::uint32_t glyphCount() const { return glyphCount_; }

    // The vertical metrics word processors lay lines out with, in font units: the OS/2 table's
    // Windows ascent and descent (both positive) and typographic values, and the horizontal header's
    // ascender, descender (negative) and line gap. A program without an OS/2 table has hasOS2 false
    // and the header values from the loader's own ascender, descender and height.
    struct LineMetrics {
        bool hasOS2 = false;
        bool useTypoMetrics = false;  // the OS/2 table asks for its typographic values
        int winAscent = 0, winDescent = 0;
        int typoAscender = 0, typoDescender = 0, typoLineGap = 0;
        int hheaAscender = 0, hheaDescender = 0, hheaLineGap = 0;
    };
    const LineMetrics& lineMetrics() const { return lineMetrics_; }

    // The advance width of a glyph in font units; nullopt for a glyph the program does not have.
    std::optional<int> glyphAdvance(std::uint32_t glyph) const;
    // The glyph the program's character map gives a Unicode character (0 when none). A symbolic
    // program without a Unicode map is asked with the character in its private-use form too.
    std::uint32_t glyphForCharacter(char32_t character) const;
    // The glyph of a glyph name (Type 1 and CFF, or TrueType with glyph names); 0 when none.
    std::uint32_t glyphForName(const std::string& name) const;
    // The encoding a Type 1 or CFF program carries: the glyph name of each code 0 to 255, empty
    // where the code names no glyph. Empty for programs without one (TrueType and OpenType map
    // characters through their own tables).
    const std::vector<std::string>& builtinEncoding() const { return builtinEncoding_; }
    // A TrueType program's own codes, for a program without a Unicode map: the glyph name of each
    // code 0 to 255 that its symbol (3,0) or Macintosh (1,0) map gives a glyph, empty where it gives
    // none. Empty for programs without such a map or without glyph names.
    const std::vector<std::string>& codeGlyphNames() const { return codeGlyphNames_; }

    struct Private {};
    explicit FontProgram(Private) {}

private:
    static std::shared_ptr<const FontProgram> load(std::shared_ptr<FontProgram> program, int faceIndex,
                                                   const std::string* path);
    void readProperties();
    void readBuiltinEncoding();
    void readCodeGlyphNames();

    std::string data_;
    std::shared_ptr<void> library_;  // the FreeType library the face belongs to
    void* face_ = nullptr;           // FT_Face
    mutable std::mutex mutex_;
    std::string fullName_, postScriptName_, familyName_, styleName_;
    int unitsPerEm_ = 1000, ascent_ = 0, descent_ = 0, leading_ = 0, capHeight_ = 0, xHeight_ = 0, stemV_ = 0;
    double italicAngle_ = 0;
    std::uint32_t glyphCount_ = 0;
    LineMetrics lineMetrics_;
    bool hasUnicodeMap_ = false;
    std::vector<std::string> builtinEncoding_;
    std::vector<std::string> codeGlyphNames_;
};

}  // namespace kx
