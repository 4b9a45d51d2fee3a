#include "pdf/annot/KXPDFAnnotStamp.h"

#include "pdf/annot/KXPDFAnnot_p.h"

KXPDFAnnotStamp::KXPDFAnnotStamp(const kx::PDFObject& dictionary) : KXPDFAnnot(dictionary) {
    if (auto name = kx::detail::annotKeyString(dictionary, "Name")) icon_ = *name;
}
