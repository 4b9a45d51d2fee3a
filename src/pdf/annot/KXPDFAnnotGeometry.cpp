#include "pdf/annot/KXPDFAnnotGeometry.h"

#include "pdf/annot/KXPDFAnnotDelegate.h"
#include "pdf/annot/KXPDFAnnot_p.h"
#include "pdf/annot/KXPDFBorderBS.h"
#include "pdf/state/KXPDFRenderState.h"

KXPDFAnnotGeometry::KXPDFAnnotGeometry() : interiorColor_(kx::detail::annotNullColor()) {}

KXPDFAnnotGeometry::KXPDFAnnotGeometry(const kx::PDFObject& dictionary)
    : KXPDFAnnot(dictionary), interiorColor_(kx::detail::annotNullColor()) {
    interiorColor_ = kx::detail::annotColorFromArray(dictionary.dictGet("IC"));
    setBorder(kx::detail::annotBorderStyle(dictionary.dictGet("BS")));
    kx::PDFObject be = dictionary.dictGet("BE");
    if (be.isDictionary()) borderEffect_ = KXPDFBorderEffect(be);
    geometryRect_ = kx::detail::annotInnerRect(dictionary.dictGet("RD"), bounds());
}

KXPDFColor KXPDFAnnotGeometry::displayInteriorColor() const {
    return kx::detail::annotOpacityForm(interiorColor_, opacity());
}

void KXPDFAnnotGeometry::drawWithoutAppearance(KXPDFAnnotDelegate& receiver) {
    KXPDFRenderState* state = receiver.KXPDFAnnotCurrentRenderingState();
    if (!state) return;
    auto rgb = kx::detail::annotRGBSpace("KXPDFAnnotGeometry");

    kx::Path path;
    if (type() == "Circle")
        path.addEllipseInRect(bounds());
    else
        path.addRect(bounds());
    state->setCgPath(path);

    bool stroke = false;
    if (border() && border()->lineWidth() > 0) {
        kx::detail::annotSetStroke(*state, rgb, displayColor(), border());
        stroke = true;
    }
    bool fill = false;
    if (!interiorColor_.isNull) {
        kx::detail::annotSetFill(*state, rgb, displayInteriorColor());
        fill = true;
    }
    receiver.didScanPath(*this, path, stroke, fill);
}
