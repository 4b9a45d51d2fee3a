#pragma once
// A compact Type 1 font. Without an /Encoding it decodes through the standard encoding (as ASCII).

#include "fonts/KXPDFSimple8BitFont.h"

class KXPDFType1CFont : public KXPDFSimple8BitFont {
public:
    std::unique_ptr<KXPDFFont> clone() const override { return std::make_unique<KXPDFType1CFont>(*this); }

protected:
    bool defaultsToWinAnsi() const override { return false; }
};
