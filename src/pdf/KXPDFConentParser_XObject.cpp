// XObjects, inline images and annotation appearance streams.
//
// Until the XObject model is in place: no XObject collection is built; Do runs form XObjects
// straight from the resources (their Matrix applied, no image is reported); EI pops its image and
// reports nothing; appearance streams are not interpreted.

#include <cstdio>
#include <string>

#include "pdf/KXPDFConentParser.h"
#include "pdf/KXPDFConentParser_p.h"
#include "pdf/KXPDFUtilities.h"

namespace {

kx::AffineTransform formMatrix(const kx::PDFObject& dict) {
    kx::PDFObject m = dict.dictGet("Matrix");
    double v[6] = {1, 0, 0, 1, 0, 0};
    if (m.isArray() && m.arrayCount() == 6) {
        for (size_t i = 0; i < 6; ++i) KXPDFUtilities::GetNumberWithPDFArray(m, i, v[i]);
    }
    return {v[0], v[1], v[2], v[3], v[4], v[5]};
}

void runForm(KXPDFConentParser& p, const kx::PDFObject& stream) {
    kx::PDFObject dict = stream.streamDictionary();
    if (!dict.dictGet("Subtype").isName("Form")) return;
    p.pushRenderingState();
    KXPDFRenderState& st = p.pushRenderingState();
    st.setCtm(formMatrix(dict).concat(st.ctm()));
    p.runNestedParser(stream, p.contentStreamType(),
                      p.contentStreamType() == KXPDFConentParser::AnnotationContent ? p.contentAnnot() : nullptr);
    p.popRenderingState();
    p.popRenderingState();
}

}  // namespace

namespace kx::detail {

void opDo(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    std::string name;
    if (!s.popName(name) || p.currentRenderingState().isStateTextClip()) return;
    kx::PDFObject xobject = KXPDFConentParser::resourceSubDictionary(p.contentDict(), "XObject").dictGet(name);
    if (xobject.isStream()) runForm(p, xobject);
}

void opEI(PDFScanner& s, void*) {
    kx::PDFObject image;
    if (!s.popStream(image)) {
        std::fputs("Couldn't create stream from inline image!\n", stderr);
        return;
    }
    if (!image.streamDictionary().isDictionary()) std::fputs("Couldn't get dict from inline image stream!\n", stderr);
}

}  // namespace kx::detail

std::shared_ptr<KXPDFXObjectCollection> KXPDFConentParser::xObjectCollectionWithDict(const kx::PDFObject&) {
    return nullptr;
}

void KXPDFConentParser::doSoftMaskGroup(const kx::PDFObject& xobjectStream, const std::string&) {
    runForm(*this, xobjectStream);
}

void KXPDFConentParser::didScanStream(KXPDFAnnot&, const kx::PDFObject&, const std::string&) {}
