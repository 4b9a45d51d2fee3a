// Text objects, text state and text showing.
//
// The text-state operators are complete. Showing text needs the font model: until it is in place,
// fontCollectionWithDict gives no collection, Tf finds no font, and the showing operators count
// themselves and show nothing (a string without a font produces no report and no movement).

#include <string>

#include "pdf/KXPDFConentParser.h"
#include "pdf/KXPDFConentParser_p.h"

namespace kx::detail {

namespace {

template <size_t N>
bool popNumbers(PDFScanner& s, double (&out)[N]) {
    for (size_t i = N; i-- > 0;)
        if (!s.popNumber(out[i])) return false;
    return true;
}

void showTextString(KXPDFConentParser& p, const std::string& bytes) {
    KXPDFRenderState& st = p.currentRenderingState();
    if (!st.font() || bytes.empty()) return;
}

void countShowOperator(KXPDFConentParser& p) { p.setScanOperatorIndex_ShowText(p.scanOperatorIndex_ShowText() + 1); }

}  // namespace

void opBT(PDFScanner&, void* info) {
    KXPDFConentParser& p = parserOf(info);
    p.currentRenderingState().setTextMatrix(kx::AffineTransform::identity(), true);
    p.setScanOperatorIndex_BegainText(p.scanOperatorIndex_BegainText() + 1);
}

// The text matrix survives ET.
void opET(PDFScanner&, void*) {}

void opTj(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    std::string bytes;
    if (!s.popString(bytes)) return;
    countShowOperator(p);
    showTextString(p, bytes);
}

void opQuote(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    p.currentRenderingState().newLine();
    opTj(s, info);
}

void opDoubleQuote(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    std::string bytes;
    double ac = 0, aw = 0;
    if (!s.popString(bytes) || !s.popNumber(ac) || !s.popNumber(aw)) return;
    KXPDFRenderState& st = p.currentRenderingState();
    st.setWordSpacing(aw);
    st.setCharacterSpacing(ac);
    st.newLine();
    countShowOperator(p);
    showTextString(p, bytes);
}

void opTJ(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    PDFObject array;
    if (!s.popArray(array)) return;
    countShowOperator(p);
    for (size_t i = 0; i < array.arrayCount(); ++i) {
        PDFObject e = array.arrayAt(i);
        if (e.isString()) showTextString(p, e.stringBytes());
    }
}

void opTm(PDFScanner& s, void* info) {
    double m[6];
    if (!popNumbers(s, m)) return;
    parserOf(info).currentRenderingState().setTextMatrix({m[0], m[1], m[2], m[3], m[4], m[5]}, true);
}

void opTd(PDFScanner& s, void* info) {
    double v[2];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().newLineWithLeading(v[1], v[0], false);
}

void opTD(PDFScanner& s, void* info) {
    double v[2];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().newLineWithLeading(v[1], v[0], true);
}

void opTStar(PDFScanner&, void* info) { parserOf(info).currentRenderingState().newLine(); }

void opTw(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setWordSpacing(v[0]);
}

void opTc(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setCharacterSpacing(v[0]);
}

void opTL(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setLeading(v[0]);
}

void opTz(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setHorizontalScaling(v[0] * 0.01);
}

void opTs(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setTextRise(v[0]);
}

void opTf(PDFScanner& s, void*) {
    double size = 0;
    std::string name;
    if (!s.popNumber(size) || !s.popName(name)) return;
}

void opTr(PDFScanner& s, void* info) {
    std::int64_t mode = 0;
    if (s.popInteger(mode)) parserOf(info).currentRenderingState().setTextRenderMode(static_cast<std::int32_t>(mode));
}

}  // namespace kx::detail

std::shared_ptr<KXPDFFontCollection> KXPDFConentParser::fontCollectionWithDict(const kx::PDFObject&) {
    return nullptr;
}
