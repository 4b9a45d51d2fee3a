#pragma once
// A simple font: one byte is one character code. The text of a code comes from /ToUnicode, else
// the /Differences glyph names, else the font's base encoding: a single-byte character set chosen
// by /Encoding, or, for a font that names none, its own built-in encoding where it has one; its
// width from /Widths, the standard-font metrics or a substitute standard font.

#include <array>
#include <bitset>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "fonts/KXPDFFont.h"

class KXPDFSimple8BitFont : public KXPDFFont {
public:
    // A /CharProcs entry: a glyph procedure for a stream, the text of a string or a name.
    using CharProcEntry = std::variant<std::shared_ptr<const KXPDFFontCharProc>, std::string>;

    KXPDFSimple8BitFont();
    KXPDFSimple8BitFont(const KXPDFSimple8BitFont& other);
    ~KXPDFSimple8BitFont() override;
    std::unique_ptr<KXPDFFont> clone() const override;

    bool initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) override;
    int getNextChar(const unsigned char* s, int len, std::uint32_t* code, std::uint32_t* u, int uSize, int* uLen,
                    float* dx, float* dy, float* ox, float* oy) const override;
    const KXPDFFontCharProc* charProcForKey(const std::string& key) const override;
    double embFontWidthForCode(std::uint16_t code) const override;
    double widthOfSpace() const override;
    double ascent() const override;
    double descent() const override;
    kx::Rect fontBBox() const override;

    // Per code 0 to 319, in text space per unit of font size.
    const std::array<double, 320>& charWidths() const { return charWidths_; }
    const std::string& fontEncodingName() const { return fontEncodingName_; }
    // The text of each code named in /Differences; none when /Differences gave nothing.
    const std::optional<std::map<int, std::u16string>>& differences() const { return differences_; }
    const std::map<std::string, CharProcEntry>& type3_charProcs() const { return type3_charProcs_; }

protected:
    void setWidthsWithFontDictionary(const kx::PDFObject& dict) override;
    void setEncodingWithFontDictionary(const kx::PDFObject& dict);
    void setEncodingWithEncodingObject(const kx::PDFObject& encoding);
    void setCharProcsWithCharProcsArray(const kx::PDFObject& charProcs);
    void setDifferencesWithDifferencesArray(const kx::PDFObject& differences);
    void updateBankSpaceWidth();

    // The encoding a font without one gets: Windows-1252 for TrueType and Type 1 fonts, the standard
    // encoding (decoded as ASCII) for compact Type 1 and Type 3 fonts.
    virtual bool defaultsToWinAnsi() const { return true; }
    // What one unit of /Widths is in text space: 0.001, or the font matrix's scale for Type 3.
    virtual double widthScale(const kx::PDFObject& dict) const;

    std::array<double, 320> charWidths_{};
    std::string fontEncodingName_;
    std::optional<std::map<int, std::u16string>> differences_;
    std::map<std::string, CharProcEntry> type3_charProcs_;
    // The glyph names /Differences gives, by code: the standard metrics are looked up by them.
    std::map<int, std::string> differenceNames_;
    // Codes whose glyph name stands for no text ("a16" at code 16, "g7", a name no rule maps): they
    // show no text.
    std::bitset<256> textlessCodes_;

private:
    // The encoding of a font that names no base encoding, taken from the font itself: the built-in
    // encoding of its embedded Type 1 or compact program, or that of the standard Symbol and
    // ZapfDingbats fonts.
    struct BuiltinEncoding {
        std::array<std::string, 256> names;  // the glyph name of each code, empty where none
        std::array<std::u16string, 256> texts;  // its text, empty where the name has none
        // The symbol fonts' codes without a character have no text; the codes of a program's
        // encoding fall back to the character set, as codes of a font without one do.
        bool uncodedHaveNoText = false;
    };
    static std::shared_ptr<const BuiltinEncoding> symbolFontEncoding(const std::string& baseEncoding);
    void setBuiltinEncoding();
    void resolveNumberedGlyphNames();
    // The text the base encoding gives a code without /Differences: the built-in encoding's, else
    // the character set's, else the byte value; empty when the code has none.
    std::u16string baseText(unsigned char b) const;
    // The same when it is one character; 0 otherwise.
    char16_t baseCharacter(unsigned char b) const;
    // The text of a code that the /ToUnicode map leaves out.
    std::u16string textLeftOutOfMap(unsigned char b) const;

    // The glyph name under which the standard metrics hold the width of a code.
    std::string glyphNameForWidth(int code) const;

    std::shared_ptr<const BuiltinEncoding> builtinEncoding_;
    // Whether /Encoding names a base encoding (or the font takes a default one).
    bool encodingNamed_ = false;
};
