#include "pdf/xobject/KXPDFXObject.h"

#include "pdf/xobject/KXPDFFormXObject.h"
#include "pdf/xobject/KXPDFImageXObject.h"
#include "pdf/xobject/KXPDFPostScriptXObject.h"

KXPDFXObject::KXPDFXObject(kx::PDFObject stream) : stream_(std::move(stream)), dictionary_(stream_.streamDictionary()) {}

std::shared_ptr<KXPDFXObject> KXPDFXObject::XObjectWithObject(const kx::PDFObject& object, const std::string& objectKey) {
    if (!object.isStream()) return nullptr;
    kx::PDFObject subtype = object.streamDictionary().dictGet("Subtype");
    std::shared_ptr<KXPDFXObject> x;
    if (subtype.isName("Image")) x = std::make_shared<KXPDFImageXObject>(object);
    else if (subtype.isName("Form")) x = std::make_shared<KXPDFFormXObject>(object);
    else if (subtype.isName("PS")) x = std::make_shared<KXPDFPostScriptXObject>(object);
    if (x) x->setObjectID(objectKey);
    return x;
}
