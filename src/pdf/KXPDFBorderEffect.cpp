#include "pdf/KXPDFBorderEffect.h"

#include "pdf/KXPDFAnnotReading_p.h"

KXPDFBorderEffect::KXPDFBorderEffect(const kx::PDFObject& dictionary) {
    effectType_ = dictionary.dictGet("S").isName("C") ? 1 : 0;
    if (effectType_ == 1) kx::detail::annotNumber(dictionary.dictGet("I"), intensity_);
}
