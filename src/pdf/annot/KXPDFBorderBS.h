#pragma once
// A border from an annotation's border-style dictionary /BS (width /W, style /S, dash /D).

#include "pdf/annot/KXPDFBorder.h"

class KXPDFBorderBS : public KXPDFBorder {
public:
    // Width 1, solid: what the drawn kinds use when the annotation has no /BS.
    KXPDFBorderBS() = default;
    explicit KXPDFBorderBS(const kx::PDFObject& dictionary);
};
