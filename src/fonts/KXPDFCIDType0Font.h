#pragma once
// A CID-keyed font whose glyphs are a CFF or Type 1 program: the glyph index is the CID.

#include "fonts/KXPDFCIDTypeFont.h"

class KXPDFCIDType0Font : public KXPDFCIDTypeFont {
public:
    std::unique_ptr<KXPDFFont> clone() const override { return std::make_unique<KXPDFCIDType0Font>(*this); }
    bool initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) override;
};
