#include "pdf/annot/KXPDFAnnotInk.h"

#include "pdf/annot/KXPDFAnnotDelegate.h"
#include "pdf/annot/KXPDFAnnot_p.h"
#include "pdf/annot/KXPDFBorderBS.h"
#include "pdf/state/KXPDFRenderState.h"
#include "util/PDFObjectValues.h"

KXPDFAnnotInk::KXPDFAnnotInk(const kx::PDFObject& dictionary) : KXPDFAnnot(dictionary) {
    kx::PDFObject inkList = dictionary.dictGet("InkList");
    if (inkList.isArray()) parseInkList(inkList);
    setBorder(kx::detail::annotBorderStyle(dictionary.dictGet("BS")));
}

void KXPDFAnnotInk::parseInkList(const kx::PDFObject& inkList) {
    paths_.clear();
    for (size_t i = 0, n = inkList.arrayCount(); i < n; ++i) {
        kx::PDFObject stroke = inkList.arrayAt(i);
        if (stroke.isArray()) paths_.push_back(parsePathArray(stroke).value_or(kx::Path()));
    }
}

std::optional<kx::Path> KXPDFAnnotInk::parsePathArray(const kx::PDFObject& array) {
    size_t count = array.arrayCount();
    if (count % 2 != 0) return std::nullopt;
    kx::Path path;
    for (size_t i = 0; i < count; i += 2) {
        kx::Point p;
        if (!kx::pdfNumberInArray(array, i, p.x) ||
            !kx::pdfNumberInArray(array, i + 1, p.y))
            return std::nullopt;
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    return path;
}

void KXPDFAnnotInk::drawWithoutAppearance(KXPDFAnnotDelegate& receiver) {
    for (const kx::Path& stroke : paths_) {
        KXPDFRenderState* state = receiver.KXPDFAnnotCurrentRenderingState();
        if (!state) return;
        state->setCgPath(stroke);
        kx::detail::annotSetStroke(*state, kx::detail::annotRGBSpace("KXPDFAnnotInk"), displayColor(), border());
        receiver.didScanPath(*this, stroke, true, false);
    }
}
