#pragma once
// The external objects of a content stream: images, forms and PostScript fragments, each made from
// its stream by XObjectWithObject and kept under its resource name (or a generated name).

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Geometry.h"
#include "platform/pdf/PDFObject.h"

class KXPDFAnnot;

class KXPDFXObject {
public:
    enum : std::int64_t { Base = 0, Image = 1, Form = 2, PostScript = 3 };

    explicit KXPDFXObject(kx::PDFObject stream);
    virtual ~KXPDFXObject() = default;
    KXPDFXObject(const KXPDFXObject&) = delete;
    KXPDFXObject& operator=(const KXPDFXObject&) = delete;

    // 0 base, 1 image, 2 form, 3 PostScript.
    virtual std::int64_t getType() const { return Base; }

    // A new object for a stream whose Subtype is Image, Form or PS, named `objectKey`; nullptr for
    // anything else.
    static std::shared_ptr<KXPDFXObject> XObjectWithObject(const kx::PDFObject& object, const std::string& objectKey);

    // Identity at creation; a form records the CTM of its invocation here.
    const kx::AffineTransform& ctm() const { return ctm_; }
    void setCtm(const kx::AffineTransform& ctm) { ctm_ = ctm; }
    const kx::PDFObject& xObjectStream() const { return stream_; }
    const kx::PDFObject& xObjectDictionary() const { return dictionary_; }
    const std::string& objectID() const { return objectID_; }
    void setObjectID(std::string id) { objectID_ = std::move(id); }
    // The annotation whose appearance drew the object; null for page content.
    const std::shared_ptr<KXPDFAnnot>& annot() const { return annot_; }
    void setAnnot(std::shared_ptr<KXPDFAnnot> annot) { annot_ = std::move(annot); }

private:
    std::string objectID_;
    kx::AffineTransform ctm_;
    kx::PDFObject stream_;
    kx::PDFObject dictionary_;
    std::shared_ptr<KXPDFAnnot> annot_;
};
