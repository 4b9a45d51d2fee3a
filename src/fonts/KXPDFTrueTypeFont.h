#pragma once
// A TrueType font. Without an /Encoding it decodes through Windows-1252.

#include "fonts/KXPDFSimple8BitFont.h"

class KXPDFTrueTypeFont : public KXPDFSimple8BitFont {
public:
    std::unique_ptr<KXPDFFont> clone() const override { return std::make_unique<KXPDFTrueTypeFont>(*this); }
};
