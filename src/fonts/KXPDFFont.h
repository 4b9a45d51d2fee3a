#pragma once
// The font of a page as the content interpreter and the exporters see it: the names under which its
// text is written (the PDF name, the matching installed font and family, a replacement), style and
// metrics, and getNextChar, which turns the bytes of a shown string into a character code, its
// Unicode values and its displacement.
//
// The factory picks the concrete class by /Subtype: simple 8-bit fonts (KXPDFSimple8BitFont and its
// subclasses) and composite fonts (KXPDFType0Font).

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/Geometry.h"
#include "platform/pdf/PDFObject.h"

class BuiltinFont;
class KXPDFCharCodeToUnicode;
class KXPDFFontCharProc;
class KXPDFFontDescriptor;

// The single-byte character set by which a simple font decodes bytes that have no other mapping.
enum class KXStringEncoding {
    None,           // not chosen
    ASCII,          // bytes above 0x7F decode to nothing
    MacOSRoman,
    WindowsLatin1,  // Windows-1252
    ByteValue,      // no character set decodes the byte: its value is the code point
};

class KXPDFFont {
public:
    virtual ~KXPDFFont();

    // A new font for a font dictionary listed under `objectKey`, or none: the dictionary is not a
    // /Font, its /Subtype is not one of Type0, Type1, MMType1, Type3, TrueType, or it cannot be
    // built.
    static std::shared_ptr<KXPDFFont> FontWithDictionary(const kx::PDFObject& dict, const std::string& objectKey);

    // A deep copy (copyWithZone:).
    virtual std::unique_ptr<KXPDFFont> clone() const;

    // Builds the font from its dictionary; false when the font cannot be used.
    virtual bool initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey);

    // Decodes the character at `s` (`len` >= 1 bytes left): the character code, up to `uSize`
    // Unicode values in `u` (their number in `uLen`, 0 when the code has no text), the displacement
    // `dx`, `dy` and the vertical origin `ox`, `oy`, in text space per unit of font size. Returns the
    // number of bytes used, at least 1.
    virtual int getNextChar(const unsigned char* s, int len, std::uint32_t* code, std::uint32_t* u, int uSize,
                            int* uLen, float* dx, float* dy, float* ox, float* oy) const;

    // The glyph procedure of a Type 3 glyph name; none for other fonts.
    virtual const KXPDFFontCharProc* charProcForKey(const std::string& key) const;
    // The advance of a code in the embedded font program at size 1; 0 without one.
    virtual double embFontWidthForCode(std::uint16_t code) const;
    // The width of a word space per unit of font size.
    virtual double widthOfSpace() const;
    // Whether the font sets its glyphs in vertical writing (writing mode 1): each advances the text
    // position downward, and spacing and adjustments move it along the vertical.
    virtual bool isVerticalWriting() const { return false; }
    virtual double ascent() const;
    virtual double descent() const;
    double height() const { return ascent() - descent(); }
    virtual kx::Rect fontBBox() const;
    // How the font's glyphs stand in text space, for a glyph one unit wide: turned, mirrored or
    // stretched against the text's own axes. The identity for every font whose glyphs stand
    // upright in text space, which is every font but a Type 3 font whose /FontMatrix says
    // otherwise.
    virtual kx::AffineTransform glyphOrientation() const { return kx::AffineTransform::identity(); }
    // How large the font's glyphs stand against the font size: the size they are set at on the page
    // is the font size times this. 1 for every font whose glyphs fill an em of one text space unit,
    // which is every font but a Type 3 font whose /FontMatrix draws them far smaller or larger.
    virtual double glyphSize() const { return 1.0; }
    // Ligature code points (decimal text) to their letters.
    const std::map<std::string, std::string>& ligatures() const;

    const std::string& objectKey() const { return objectKey_; }
    void setObjectKey(std::string key) { objectKey_ = std::move(key); }
    const std::string& subtype() const { return subtype_; }
    const std::string& baseFontName() const { return baseFontName_; }
    const std::string& baseFontName_New() const { return baseFontName_New_; }
    const std::string& fontName() const { return fontName_; }
    const std::string& fontFamilyName() const { return fontFamilyName_; }
    const std::string& fontSystemReplaceName() const { return fontSystemReplaceName_; }
    double bankSpaceCharWidth() const { return bankSpaceCharWidth_; }
    const KXPDFCharCodeToUnicode* embToUnicodeMap() const { return embToUnicodeMap_.get(); }
    const KXPDFFontDescriptor* fontDescriptor() const { return fontDescriptor_.get(); }
    const BuiltinFont* builtinFont() const { return builtinFont_; }
    KXStringEncoding stringEncoding() const { return stringEncoding_; }

    KXPDFFont();
    KXPDFFont(const KXPDFFont& other);
    KXPDFFont& operator=(const KXPDFFont&) = delete;

protected:

    void findReplaceNameByKeyword();
    void updateFontSystemReplaceName();
    void setSubtypeBaseFontName(const kx::PDFObject& dict);
    void setBuiltinFontWithFontDictionary(const kx::PDFObject& dict);
    void setExtendFontFileWithFontDictionary(const kx::PDFObject& dict);
    void setFontDescriptorWithFontDictionary(const kx::PDFObject& dict);
    virtual void setWidthsWithFontDictionary(const kx::PDFObject& dict);
    // False only when the map asks for more than may be allocated.
    bool setToUnicodeWithFontDictionary(const kx::PDFObject& dict, int nBits);

    std::string objectKey_;
    std::string subtype_;
    std::string baseFontName_;
    std::string baseFontName_New_;
    std::string fontName_;
    std::string fontFamilyName_;
    std::string fontSystemReplaceName_;
    double bankSpaceCharWidth_ = 0;
    std::shared_ptr<const KXPDFCharCodeToUnicode> embToUnicodeMap_;
    std::shared_ptr<KXPDFFontDescriptor> fontDescriptor_;
    const BuiltinFont* builtinFont_ = nullptr;  // a record of the process-wide table
    KXStringEncoding stringEncoding_ = KXStringEncoding::None;
};
