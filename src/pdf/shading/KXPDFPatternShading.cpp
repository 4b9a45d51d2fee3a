#include "pdf/shading/KXPDFPatternShading.h"

bool KXPDFPatternShading::initWithObject(const kx::PDFObject& object, const std::string& objectKey) {
    KXPDFPattern::initWithObject(object, objectKey);
    if (!object.isDictionary()) return false;
    kx::PDFObject dict = object.isStream() ? object.streamDictionary() : object;
    shading_ = KXPDFShading::ShadingWithObject(dict.dictGet("Shading"), objectKey);
    if (!shading_) return false;
    matrix_ = matrixOfDictionary(dict);
    return true;
}

void KXPDFPatternShading::drawInContext(kx::BitmapContext& context, const kx::AffineTransform& scaleTransform) const {
    if (!shading_) return;
    context.concatCTM(matrix_.concat(scaleTransform));
    shading_->drawInContext(context, scaleTransform);
}
