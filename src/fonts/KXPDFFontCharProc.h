#pragma once
// The glyph procedure of one Type 3 glyph: its content stream and the stream's dictionary.

#include "platform/Geometry.h"
#include "platform/pdf/PDFObject.h"

class KXPDFFontCharProc {
public:
    // initWithStream:
    explicit KXPDFFontCharProc(const kx::PDFObject& stream);

    // The transform a glyph is drawn with: always the identity.
    kx::AffineTransform matrixTransform() const { return kx::AffineTransform::identity(); }

    const kx::AffineTransform& ctm() const { return ctm_; }
    void setCtm(const kx::AffineTransform& ctm) { ctm_ = ctm; }
    const kx::PDFObject& xObjectStream() const { return xObjectStream_; }
    const kx::PDFObject& xObjectDictionary() const { return xObjectDictionary_; }

private:
    kx::AffineTransform ctm_{0, 0, 0, 0, 0, 0};
    kx::PDFObject xObjectStream_;
    kx::PDFObject xObjectDictionary_;
};
