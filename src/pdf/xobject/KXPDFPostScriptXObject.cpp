#include "pdf/xobject/KXPDFPostScriptXObject.h"

KXPDFPostScriptXObject::KXPDFPostScriptXObject(kx::PDFObject stream) : KXPDFXObject(std::move(stream)) {
    parse(xObjectStream());
}

void KXPDFPostScriptXObject::parse(const kx::PDFObject&) {}
