// XObjects, inline images and annotation appearance streams: the Do and EI operators, forms run
// in nested interpreters, and the appearance streams that annotations hand over.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "util/KXConverterUtilities.h"
#include "pdf/annot/KXPDFAnnot.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/interpreter/KXPDFConentParser_p.h"
#include "pdf/xobject/KXPDFFormXObject.h"
#include "pdf/xobject/KXPDFImageXObject.h"
#include "pdf/xobject/KXPDFPostScriptXObject.h"
#include "pdf/xobject/KXPDFXObjectCollection.h"
#include "platform/Format.h"

namespace {

// `prefix`, the time in seconds and four random capital letters: generated object names differ
// even when made within the same second.
std::string generatedObjectID(const std::string& prefix) {
    auto s = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    return prefix + std::to_string(s.count()) + "-" + KXConverterUtilities::Random4BigLetter();
}

void reportXObjectImage(KXPDFConentParser& p, const std::shared_ptr<KXPDFXObject>& image) {
    if (KXPDFConentParserDelegate* d = p.delegate()) d->didScanXObjectImage(p, image);
}

// Decodes the image as the current state paints it (a stencil mask takes the fill colour), for the
// size the CTM shows its unit square at.
void decodeImage(KXPDFConentParser& p, KXPDFImageXObject& image) {
    if (p.delegate() && !p.delegate()->usesImagePixels()) return;
    kx::Color fill = p.currentRenderingState().currentFillColor();
    const kx::AffineTransform& ctm = p.currentRenderingState().ctm();
    const kx::Size shown{std::hypot(ctm.a, ctm.b), std::hypot(ctm.c, ctm.d)};
    image.parseImage(image.xObjectStream(), p.currentColorSpaceDict(), image.isStencilMask() ? &fill : nullptr, shown);
}

// The form's content in a nested interpreter, its matrix applied to the top state's CTM. The BBox
// does not clip and the group does not change how the form runs.
void runFormXObject(KXPDFConentParser& p, KXPDFFormXObject& form, std::int64_t streamType) {
    KXPDFRenderState& state = p.currentRenderingState();
    state.setCtm(form.matrixTransform().concat(state.ctm()));
    p.runNestedParser(form.xObjectStream(), streamType, form.annot());
}

// Maps the appearance box (after the form's matrix) onto the annotation rectangle; a plain move to
// the rectangle's corner when the box is unusable.
kx::AffineTransform appearanceTransform(const KXPDFFormXObject& form, const kx::Rect& rect) {
    kx::AffineTransform move = kx::AffineTransform::makeTranslation(rect.origin.x, rect.origin.y);
    kx::Rect box = kx::Rect{form.bbox[0], form.bbox[1], form.bbox[2] - form.bbox[0], form.bbox[3] - form.bbox[1]}.standardized();
    kx::Rect placed = form.matrixTransform().apply(box);
    kx::Rect target = rect.standardized();
    if (box.isEmpty() || placed.isEmpty() || target.isEmpty() || !std::isfinite(placed.size.width) ||
        !std::isfinite(placed.size.height))
        return move;
    double sx = target.size.width / placed.size.width, sy = target.size.height / placed.size.height;
    return kx::AffineTransform::makeTranslation(-placed.origin.x, -placed.origin.y)
        .concat(kx::AffineTransform::makeScale(sx, sy))
        .concat(kx::AffineTransform::makeTranslation(target.origin.x, target.origin.y));
}

void doXObject(KXPDFConentParser& p, const std::shared_ptr<KXPDFXObject>& object) {
    if (p.contentStreamType() == KXPDFConentParser::AnnotationContent) object->setAnnot(p.contentAnnot());
    switch (object->getType()) {
        case KXPDFXObject::Image: {
            decodeImage(p, static_cast<KXPDFImageXObject&>(*object));
            reportXObjectImage(p, object);
            break;
        }
        case KXPDFXObject::Form: {
            p.pushRenderingState();
            object->setCtm(p.currentRenderingState().ctm());
            p.pushRenderingState();
            runFormXObject(p, static_cast<KXPDFFormXObject&>(*object), p.contentStreamType());
            p.popRenderingState();
            p.popRenderingState();
            break;
        }
        case KXPDFXObject::PostScript:
            // Never drawn.
            p.pushRenderingState();
            p.popRenderingState();
            break;
        default: break;
    }
}

}  // namespace

namespace kx::detail {

void opDo(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    std::string name;
    if (!s.popName(name) || p.currentRenderingState().isStateTextClip()) return;
    const auto& collection = p.xObjectCollection();
    if (!collection) return;
    if (std::shared_ptr<KXPDFXObject> object = collection->xObjectWithNamed(name)) doXObject(p, object);
}

void opEI(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    kx::PDFObject stream;
    if (!s.popStream(stream)) {
        std::fputs("Couldn't create stream from inline image!\n", stderr);
        return;
    }
    if (!stream.streamDictionary().isDictionary()) std::fputs("Couldn't get dict from inline image stream!\n", stderr);
    if (p.currentRenderingState().isStateTextClip()) return;
    // An inline image never belongs to an annotation, also inside appearance content.
    auto image = std::make_shared<KXPDFImageXObject>(stream);
    image->setObjectID(generatedObjectID("EI-"));
    decodeImage(p, *image);
    reportXObjectImage(p, image);
}

}  // namespace kx::detail

std::shared_ptr<KXPDFXObjectCollection> KXPDFConentParser::xObjectCollectionWithDict(const kx::PDFObject& dict) {
    return std::make_shared<KXPDFXObjectCollection>(resourceSubDictionary(dict, "XObject"));
}

void KXPDFConentParser::doSoftMaskGroup(const kx::PDFObject& xobjectStream, const std::string& name) {
    if (auto object = KXPDFXObject::XObjectWithObject(xobjectStream, name)) doXObject(*this, object);
}

void KXPDFConentParser::didScanStream(KXPDFAnnot& annot, const kx::PDFObject& stream, const std::string& streamKey) {
    if (!stream.isStream()) return;
    kx::PDFObject subtype = stream.streamDictionary().dictGet("Subtype");
    std::shared_ptr<KXPDFAnnot> owner = annot.weak_from_this().lock();
    if (subtype.isName("Image")) {
        auto image = std::make_shared<KXPDFImageXObject>(stream);
        image->setObjectID(generatedObjectID("Annot-EI-"));
        image->setAnnot(owner);
        decodeImage(*this, *image);
        reportXObjectImage(*this, image);
    } else if (subtype.isName("Form")) {
        auto form = std::make_shared<KXPDFFormXObject>(stream);
        form->setObjectID(generatedObjectID("Annot-Form-" + streamKey + "-"));
        KXPDFRenderState& state = currentRenderingState();
        form->setCtm(state.ctm());
        // The appearance is placed at the annotation's rectangle and cut to it: its box, transformed
        // by the form's matrix, is mapped onto the rectangle. For a box at the origin with the
        // rectangle's size that is a plain move to the rectangle's corner.
        state.setCtm(appearanceTransform(*form, annot.bounds()));
        kx::Path clip;
        clip.addRect(annot.bounds());
        state.clipState(clip, 1);
        form->setAnnot(owner);
        runFormXObject(*this, *form, AnnotationContent);
    } else if (subtype.isName("PS")) {
        KXPDFPostScriptXObject dropped(stream);
        dropped.setObjectID(generatedObjectID("Annot-PostScript-" + streamKey + "-"));
    }
}
