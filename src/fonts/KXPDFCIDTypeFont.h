#pragma once
// The descendant (CID-keyed) font of a Type 0 font: its character collection and the widths of its
// CIDs, horizontal (/DW, /W) and vertical (/DW2, /W2).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fonts/KXPDFFont.h"

struct KXPDFFontCIDWidthExcep {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    double width = 0;
};

struct KXPDFFontCIDWidthExcepV {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    double height = 0;
    double vx = 0;
    double vy = 0;
};

// Widths in text space per unit of font size (glyph space / 1000).
struct KXPDFFontCIDWidths {
    double defWidth = 1.0;
    double defHeight = -1.0;
    double defVY = 0.88;
    std::vector<KXPDFFontCIDWidthExcep> exceps;     // sorted by first CID
    std::vector<KXPDFFontCIDWidthExcepV> excepsV;   // sorted by first CID
    std::int32_t nExceps() const { return static_cast<std::int32_t>(exceps.size()); }
    std::int32_t nExcepsV() const { return static_cast<std::int32_t>(excepsV.size()); }
};

class KXPDFCIDTypeFont : public KXPDFFont {
public:
    KXPDFCIDTypeFont();
    KXPDFCIDTypeFont(const KXPDFCIDTypeFont& other);
    ~KXPDFCIDTypeFont() override;
    std::unique_ptr<KXPDFFont> clone() const override;

    bool initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) override;
    // The glyph index of a CID: its low 16 bits.
    virtual std::uint16_t glyphForCID(std::uint32_t cid) const;

    const KXPDFCharCodeToUnicode* extToUnicodeMap() const { return extToUnicodeMap_.get(); }
    const std::shared_ptr<const KXPDFCharCodeToUnicode>& sharedExtToUnicodeMap() const { return extToUnicodeMap_; }
    const KXPDFFontCIDWidths& cidWidths() const { return cidWidths_; }
    const std::string& cidSystemRegion() const { return cidSystemRegion_; }
    const std::string& cidSystemInfo() const { return cidSystemInfo_; }
    const std::shared_ptr<KXPDFFontDescriptor>& sharedFontDescriptor() const { return fontDescriptor_; }

    // Width exceptions one font may list (a /W array cannot sensibly hold more).
    static constexpr size_t kMaxWidthExceptions = size_t{1} << 20;

protected:
    void setCIDSystemInfoWithDictionary(const kx::PDFObject& dict);
    void setWidthsWithFontDictionary(const kx::PDFObject& dict) override;
    // False when the widths ask for more entries than may be allocated.
    bool setDW(const kx::PDFObject& dict);
    bool setDW2(const kx::PDFObject& dict);
    bool widthsOk_ = true;

    std::shared_ptr<const KXPDFCharCodeToUnicode> extToUnicodeMap_;
    KXPDFFontCIDWidths cidWidths_;
    std::string cidSystemRegion_;
    std::string cidSystemInfo_;
};
