#pragma once
// The six reports of the content interpreter. Every operation is optional (empty by default). The
// first argument is the interpreter that sends the report: for content of a form or an annotation
// appearance, the nested interpreter, whose state stack and page index are those of the page's.
// Receivers read font, colours, matrices and clip from the top of the state stack while a report is
// being handled.

#include <cstdint>
#include <memory>
#include <string>

#include "pdf/color/KXPDFColor.h"
#include "platform/Geometry.h"
#include "platform/Path.h"

class KXPDFConentParser;
class KXPDFShading;
class KXPDFXObject;

class KXPDFConentParserDelegate {
public:
    virtual ~KXPDFConentParserDelegate() = default;

    // An annotation's text box.
    virtual void didScanTextBox(KXPDFConentParser& /*parser*/, const kx::Rect& /*rect*/, const std::u16string& /*text*/,
                                const std::string& /*fontName*/, const KXPDFColor& /*fontColor*/, double /*fontSize*/,
                                std::int64_t /*alignment*/, bool /*borderStroke*/, bool /*borderFill*/) {}
    // One shown character code: its text and its displacement; the position is the text matrix of
    // the top state, which advances only after the report.
    virtual void didScanText(KXPDFConentParser& /*parser*/, const std::u16string& /*text*/, kx::Size /*textOffset*/) {}
    // A painted path in page space (after the CTM, before the page's rotation).
    virtual void didScanPath(KXPDFConentParser& /*parser*/, const kx::Path& /*path*/, bool /*stroke*/, bool /*fill*/) {}
    // A painted path whose stroke or fill uses a pattern; the flags say which.
    virtual void didScanPatternPath(KXPDFConentParser& /*parser*/, const kx::Path& /*path*/, bool /*stroke*/, bool /*fill*/) {}
    // A sh operator; nullptr when its name is not in the resources.
    virtual void didScanPaintShading(KXPDFConentParser& /*parser*/, const std::shared_ptr<KXPDFShading>& /*shading*/) {}
    // An image XObject, inline image or image appearance stream.
    virtual void didScanXObjectImage(KXPDFConentParser& /*parser*/, const std::shared_ptr<KXPDFXObject>& /*image*/) {}
    // Whether the receiver uses the pixels of the images it is told about. One that does not (a
    // text-only output) spares the interpreter decoding them; it still gets the reports.
    virtual bool usesImagePixels() const { return true; }
};
