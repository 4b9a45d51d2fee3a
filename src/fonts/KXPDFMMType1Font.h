#pragma once
// A multiple-master Type 1 font. Without an /Encoding it decodes through Windows-1252.

#include "fonts/KXPDFSimple8BitFont.h"

class KXPDFMMType1Font : public KXPDFSimple8BitFont {
public:
    std::unique_ptr<KXPDFFont> clone() const override { return std::make_unique<KXPDFMMType1Font>(*this); }
};
