#pragma once
// How an annotation reaches the interpreter while it is replayed: push, pop and read the render
// state, and hand over its text boxes, appearance streams and paths. Every operation is optional.

#include <cstdint>
#include <memory>
#include <string>

#include "pdf/color/KXPDFColor.h"
#include "platform/Geometry.h"
#include "platform/Path.h"
#include "platform/pdf/PDFObject.h"

class KXPDFAnnot;
class KXPDFRenderState;
class KXPDFShading;
class KXPDFXObject;

class KXPDFAnnotDelegate {
public:
    virtual ~KXPDFAnnotDelegate() = default;

    // A copy of the state (of the top state for nullptr) becomes the top of the state stack.
    virtual void KXPDFAnnotPushRenderingState(const KXPDFRenderState* /*state*/) {}
    virtual void KXPDFAnnotPopRenderingState() {}
    // The top state, which the annotation fills before reporting; nullptr when there is none.
    virtual KXPDFRenderState* KXPDFAnnotCurrentRenderingState() { return nullptr; }

    virtual void didScanTextBox(KXPDFAnnot& /*annot*/, const kx::Rect& /*rect*/, const std::u16string& /*text*/,
                                const std::string& /*fontName*/, const KXPDFColor& /*fontColor*/, double /*fontSize*/,
                                std::int64_t /*alignment*/, bool /*borderStroke*/, bool /*borderFill*/) {}
    // An appearance stream to interpret as content of the annotation; the key names the appearance.
    virtual void didScanStream(KXPDFAnnot& /*annot*/, const kx::PDFObject& /*stream*/, const std::string& /*streamKey*/) {}
    virtual void didScanText(KXPDFAnnot& /*annot*/, const std::u16string& /*text*/, kx::Size /*textOffset*/) {}
    // A path painted with the top state's colours and line style.
    virtual void didScanPath(KXPDFAnnot& /*annot*/, const kx::Path& /*path*/, bool /*stroke*/, bool /*fill*/) {}
    virtual void didScanPatternPath(KXPDFAnnot& /*annot*/, const kx::Path& /*path*/, bool /*stroke*/, bool /*fill*/) {}
    virtual void didScanPaintShading(KXPDFAnnot& /*annot*/, const std::shared_ptr<KXPDFShading>& /*shading*/) {}
    virtual void didScanXObjectImage(KXPDFAnnot& /*annot*/, const std::shared_ptr<KXPDFXObject>& /*image*/) {}
};
