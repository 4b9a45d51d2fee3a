#pragma once
// What a /FontDescriptor says about a font: metrics in text space, flags, names, and the embedded
// font program, loaded so that glyph advances and the program's own names can be read.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Geometry.h"
#include "platform/pdf/PDFObject.h"

namespace kx {
class FontProgram;
}

class KXPDFFontDescriptor {
public:
    // initWithPDFDictionary: — none when the dictionary has a /Type other than /FontDescriptor.
    static std::unique_ptr<KXPDFFontDescriptor> initWithPDFDictionary(const kx::PDFObject& dict);
    KXPDFFontDescriptor();

    void setEmbFont(std::shared_ptr<const kx::FontProgram> font) { embFont_ = std::move(font); }

    // A rectangle at the origin: the text's advance in the embedded program and its cap height, at
    // the size (1.0 for the first form); the empty rectangle without a program or text.
    kx::Rect embFontRectForString(std::u16string_view text) const;
    kx::Rect embFontRectForString(std::u16string_view text, double fontSize) const;
    // Advances at size 1 in the embedded program; 0 without one.
    double embFontWidthForGlyphCode(std::uint16_t glyph) const;
    double embFontWidthForCharCode(std::uint16_t character) const;
    double embFontWidthForBankSpace() const { return embFontWidthForCharCode(0x20); }

    void setFontBold(bool bold);
    void setFontItalic(bool italic);

    bool isFixedWidth() const { return flags_ & (1u << 0); }
    bool isSerif() const { return flags_ & (1u << 1); }
    bool isSymbolic() const { return flags_ & (1u << 2); }
    bool isScriptor() const { return flags_ & (1u << 3); }
    bool isNonSymbolic() const { return flags_ & (1u << 5); }
    bool isItalic() const { return flags_ & (1u << 6); }
    bool isSmallCap() const { return flags_ & (1u << 17); }
    bool isAllCap() const { return flags_ & (1u << 16); }
    bool isBold() const { return flags_ & (1u << 18); }

    double descent() const { return descent_; }
    double ascent() const { return ascent_; }
    double leading() const { return leading_; }
    double capHeight() const { return capHeight_; }
    double xHeight() const { return xHeight_; }
    double averageWidth() const { return averageWidth_; }
    double maxWidth() const { return maxWidth_; }
    double missingWidth() const { return missingWidth_; }
    double verticalStemWidth() const { return verticalStemWidth_; }
    double horizontalStemHeigth() const { return horizontalStemHeigth_; }
    double italicAngle() const { return italicAngle_; }
    // llx and lly in the origin, urx and ury in the size (so the width holds the right edge).
    const kx::Rect& fontBBox() const { return fontBBox_; }
    std::uint64_t flags() const { return flags_; }
    const std::string& fontName() const { return fontName_; }
    const std::string& fontFamily() const { return fontFamily_; }
    const std::shared_ptr<const kx::FontProgram>& embFont() const { return embFont_; }
    std::int64_t embFontNum() const { return embFontNum_; }
    const std::string& embFontSubType() const { return embFontSubType_; }
    const std::string& embFullName() const { return embFullName_; }
    const std::string& embPostScriptName() const { return embPostScriptName_; }

private:
    double descent_ = -0.35;
    double ascent_ = 0.95;
    double leading_ = 0;
    double capHeight_ = 0;
    double xHeight_ = 0;
    double averageWidth_ = 0;
    double maxWidth_ = 0;
    double missingWidth_ = 0;
    double verticalStemWidth_ = 0;
    double horizontalStemHeigth_ = 0;
    double italicAngle_ = 0;
    kx::Rect fontBBox_;
    std::uint64_t flags_ = 2;
    std::string fontName_;
    std::string fontFamily_;
    std::shared_ptr<const kx::FontProgram> embFont_;
    std::int64_t embFontNum_ = 0;
    std::string embFontSubType_ = "Unknown embedded font type";
    std::string embFullName_ = "Unknown embedded font full name";
    std::string embPostScriptName_ = "Unknown embedded font postscript name";
};
