#pragma once
// A PostScript XObject: kept so that its name resolves, never drawn.

#include "pdf/xobject/KXPDFXObject.h"

class KXPDFPostScriptXObject : public KXPDFXObject {
public:
    explicit KXPDFPostScriptXObject(kx::PDFObject stream);
    std::int64_t getType() const override { return PostScript; }
    // Nothing to read.
    void parse(const kx::PDFObject& stream);
};
