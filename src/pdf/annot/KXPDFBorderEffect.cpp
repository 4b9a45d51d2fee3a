#include "pdf/annot/KXPDFBorderEffect.h"

#include "util/PDFObjectValues.h"

KXPDFBorderEffect::KXPDFBorderEffect(const kx::PDFObject& dictionary) {
    effectType_ = dictionary.dictGet("S").isName("C") ? 1 : 0;
    if (effectType_ == 1) kx::pdfNumberInDictionary(dictionary, "I", intensity_);
}
