#include "pdf/annot/KXPDFBorderEffect.h"

#include "pdf/KXPDFUtilities.h"

KXPDFBorderEffect::KXPDFBorderEffect(const kx::PDFObject& dictionary) {
    effectType_ = dictionary.dictGet("S").isName("C") ? 1 : 0;
    if (effectType_ == 1) KXPDFUtilities::GetNumberWithPDFDictionary(dictionary, "I", intensity_);
}
