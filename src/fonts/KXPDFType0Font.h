#pragma once
// A composite font: an encoding CMap cuts the shown bytes into codes and maps them to CIDs; the
// descendant CID font gives each CID its metrics; /ToUnicode, or else the CID-to-Unicode table of
// the character collection, gives the text.

#include <memory>
#include <string>
#include <vector>

#include "fonts/KXPDFFont.h"

class KXPDFCIDTypeFont;
class KXPDFCodeToCIDMap;

class KXPDFType0Font : public KXPDFFont {
public:
    KXPDFType0Font();
    KXPDFType0Font(const KXPDFType0Font& other);
    ~KXPDFType0Font() override;
    std::unique_ptr<KXPDFFont> clone() const override;

    bool initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) override;
    int getNextChar(const unsigned char* s, int len, std::uint32_t* code, std::uint32_t* u, int uSize, int* uLen,
                    float* dx, float* dy, float* ox, float* oy) const override;
    double embFontWidthForCode(std::uint16_t code) const override;
    double widthOfSpace() const override;
    // The CMap's writing mode is 1.
    bool isVerticalWriting() const override;
    double ascent() const override;
    double descent() const override;
    kx::Rect fontBBox() const override;

    // The first descendant, or none.
    const KXPDFCIDTypeFont* cidTypeFont() const;
    // The metrics of a CID (horizontal or vertical by the CMap's writing mode); all 0 without a
    // descendant.
    void getCIDWidths(std::uint32_t cid, float* dx, float* dy, float* ox, float* oy) const;
    // The /ToUnicode stream's data, when it is UTF-8 text.
    static std::optional<std::string> getToUnicodeMapDataWithFontDictionary(const kx::PDFObject& dict);

    const KXPDFCharCodeToUnicode* extToUnicodeMap() const { return extToUnicodeMap_.get(); }
    const KXPDFCodeToCIDMap* extToCIDMap() const { return extToCIDMap_.get(); }
    const std::vector<std::unique_ptr<KXPDFCIDTypeFont>>& descendantFonts() const { return descendantFonts_; }
    const std::string& cMapName() const { return cMapName_; }

protected:
    void setFontDescriptorWithCIDTypeFont();
    bool setDescendantFontsWithDictionary(const kx::PDFObject& dict);
    void updateBankSpaceWidth();

    std::shared_ptr<const KXPDFCharCodeToUnicode> extToUnicodeMap_;
    std::shared_ptr<const KXPDFCodeToCIDMap> extToCIDMap_;
    std::vector<std::unique_ptr<KXPDFCIDTypeFont>> descendantFonts_;
    std::string cMapName_;
};
