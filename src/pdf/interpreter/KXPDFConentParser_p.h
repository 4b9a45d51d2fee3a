#pragma once
// The operator callbacks of the content interpreter. Each receives the scanner and, as its
// information pointer, the interpreter; operands are popped last first. A callback whose operands
// cannot be popped does nothing unless it says otherwise.

#include <cstddef>

#include "pdf/interpreter/KXPDFConentParser.h"
#include "platform/pdf/PDFContentScanner.h"

namespace kx::detail {

inline KXPDFConentParser& parserOf(void* info) { return *static_cast<KXPDFConentParser*>(info); }

// An operator that first reports the text held back for its reading order.
template <PDFOperatorCallback Operator>
void afterHeldText(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    if (p.holdsText()) p.reportHeldText();
    Operator(s, info);
}

// Pops N numbers into `out` in operand order (the last operand is popped first); false when any
// pop fails.
template <size_t N>
bool popNumbers(PDFScanner& s, double (&out)[N]) {
    for (size_t i = N; i-- > 0;)
        if (!s.popNumber(out[i])) return false;
    return true;
}

// Text objects, text state and text showing (KXPDFConentParser_Text.cpp).
void opBT(PDFScanner& s, void* info);
void opET(PDFScanner& s, void* info);
void opTj(PDFScanner& s, void* info);
void opQuote(PDFScanner& s, void* info);        // '
void opDoubleQuote(PDFScanner& s, void* info);  // "
void opTJ(PDFScanner& s, void* info);
void opTm(PDFScanner& s, void* info);
void opTd(PDFScanner& s, void* info);
void opTD(PDFScanner& s, void* info);
void opTStar(PDFScanner& s, void* info);  // T*
void opTw(PDFScanner& s, void* info);
void opTc(PDFScanner& s, void* info);
void opTL(PDFScanner& s, void* info);
void opTz(PDFScanner& s, void* info);
void opTs(PDFScanner& s, void* info);
void opTf(PDFScanner& s, void* info);
void opTr(PDFScanner& s, void* info);

// Marked content, colours, graphics state, paths, painting, clipping, shading
// (KXPDFConentParser_Graphics.cpp).
void opMP(PDFScanner& s, void* info);
void opDP(PDFScanner& s, void* info);
void opBMC(PDFScanner& s, void* info);
void opBDC(PDFScanner& s, void* info);
void opEMC(PDFScanner& s, void* info);
void opCS(PDFScanner& s, void* info);
void opcs(PDFScanner& s, void* info);
void opG(PDFScanner& s, void* info);
void opg(PDFScanner& s, void* info);
void opK(PDFScanner& s, void* info);
void opk(PDFScanner& s, void* info);
void opRG(PDFScanner& s, void* info);
void oprg(PDFScanner& s, void* info);
void opri(PDFScanner& s, void* info);
void opSC(PDFScanner& s, void* info);
void opsc(PDFScanner& s, void* info);
void opSCN(PDFScanner& s, void* info);
void opscn(PDFScanner& s, void* info);
void opgs(PDFScanner& s, void* info);
void opcm(PDFScanner& s, void* info);
void opq(PDFScanner& s, void* info);
void opQ(PDFScanner& s, void* info);
void opBX(PDFScanner& s, void* info);
void opEX(PDFScanner& s, void* info);
void opb(PDFScanner& s, void* info);
void opB(PDFScanner& s, void* info);
void opbStar(PDFScanner& s, void* info);  // b*
void opBStar(PDFScanner& s, void* info);  // B*
void opf(PDFScanner& s, void* info);
void opF(PDFScanner& s, void* info);
void opfStar(PDFScanner& s, void* info);  // f*
void opsh(PDFScanner& s, void* info);
void opi(PDFScanner& s, void* info);
void opd(PDFScanner& s, void* info);
void opw(PDFScanner& s, void* info);
void opj(PDFScanner& s, void* info);
void opJ(PDFScanner& s, void* info);
void opM(PDFScanner& s, void* info);
void opre(PDFScanner& s, void* info);
void opl(PDFScanner& s, void* info);
void opm(PDFScanner& s, void* info);
void oph(PDFScanner& s, void* info);
void ops(PDFScanner& s, void* info);
void opS(PDFScanner& s, void* info);
void opn(PDFScanner& s, void* info);
void opW(PDFScanner& s, void* info);
void opWStar(PDFScanner& s, void* info);  // W*
void opc(PDFScanner& s, void* info);
void opv(PDFScanner& s, void* info);
void opy(PDFScanner& s, void* info);

// XObjects and inline images (KXPDFConentParser_XObject.cpp).
void opDo(PDFScanner& s, void* info);
void opEI(PDFScanner& s, void* info);

// Painting helpers of the graphics operators, shared with text and annotations.
// Reports the path under construction (in page space) with the flags, applies a pending clip, and
// starts a new path.
void paintCurrentPath(KXPDFConentParser& parser, bool stroke, bool fill);
// Adds the pending clip of the top state (its path in page space) to the clip list.
void applyPendingClip(KXPDFConentParser& parser);
// A new empty path and no pending clip.
void endCurrentPath(KXPDFConentParser& parser);

}  // namespace kx::detail
