#include "pdf/KXPDFPatternShading.h"

namespace {

// Matrix [a b c d e f]: the six entries that are numbers; the identity's for the others.
kx::AffineTransform readMatrix(const kx::PDFObject& dict) {
    kx::AffineTransform m;
    kx::PDFObject array = dict.dictGet("Matrix");
    if (array.isArray() && array.arrayCount() == 6) {
        double* fields[] = {&m.a, &m.b, &m.c, &m.d, &m.tx, &m.ty};
        for (size_t i = 0; i < 6; ++i) array.arrayAt(i).getNumber(*fields[i]);
    }
    return m;
}

}  // namespace

bool KXPDFPatternShading::initWithObject(const kx::PDFObject& object, const std::string& objectKey) {
    KXPDFPattern::initWithObject(object, objectKey);
    if (!object.isDictionary()) return false;
    kx::PDFObject dict = object.isStream() ? object.streamDictionary() : object;
    shading_ = KXPDFShading::ShadingWithObject(dict.dictGet("Shading"), objectKey);
    if (!shading_) return false;
    matrix_ = readMatrix(dict);
    return true;
}

void KXPDFPatternShading::drawInContext(kx::BitmapContext& context, const kx::AffineTransform& scaleTransform) const {
    if (!shading_) return;
    context.concatCTM(matrix_.concat(scaleTransform));
    shading_->drawInContext(context, scaleTransform);
}
