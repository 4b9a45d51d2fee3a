#include "pptx/KXPPTXTextbox.h"

#include <cmath>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "pptx/KXPPTXUnits_p.h"

namespace {
constexpr std::string_view A = KXOpenXMLNameSpace::nameSpace_a();
constexpr std::string_view P = KXOpenXMLNameSpace::nameSpace_p();
}  // namespace

void KXPPTXTextbox::write_nvSpPr(XMLFileWriter& w) {
    w.writeStartElementWithNamespace(P, "nvSpPr");
    writeCNvPr(w, "TextBox");
    w.writeEndElement();
    w.writeStartElementWithNamespace(P, "cNvSpPr");
    w.writeAttribute("txBox", "1");
    w.writeEndElement();
    w.writeStartElementWithNamespace(P, "nvPr");
    w.writeEndElement();
    w.writeEndElement();
}

void KXPPTXTextbox::write_spPr(XMLFileWriter& w) {
    using namespace kx::detail;
    const KXPPTXTextBoxInfo& info = spInfo_;
    w.writeStartElementWithNamespace(P, "spPr");
    w.writeStartElementWithNamespace(A, "xfrm");
    if (info.rotation != 0) w.writeAttribute("rot", angle(info.rotation));
    // The box's extent along and across its text.
    const bool turned = info.rotation == 90 || info.rotation == 270;
    const double along = turned ? info.displayHeight : info.displayWidth;
    const double across = turned ? info.displayWidth : info.displayHeight;
    // The box turns about its centre; placed so that its turned top-left corner, where the text
    // starts, stays at (displayX, displayY).
    const double r = info.rotation * 3.14159265358979323846 / 180.0;
    const double cx = along / 2, cy = across / 2;
    const double x = info.displayX + cx * std::cos(r) - cy * std::sin(r) - cx;
    const double y = info.displayY + cx * std::sin(r) + cy * std::cos(r) - cy;
    w.writeStartElementWithNamespace(A, "off");
    w.writeAttribute("x", emu(x));
    w.writeAttribute("y", emu(y));
    w.writeEndElement();
    w.writeStartElementWithNamespace(A, "ext");
    w.writeAttribute("cx", positiveEmu(along));
    w.writeAttribute("cy", positiveEmu(across));
    w.writeEndElement();
    w.writeEndElement();  // xfrm
    w.writeStartElementWithNamespace(A, "prstGeom");
    w.writeAttribute("prst", "rect");
    w.writeStartElementWithNamespace(A, "avLst");
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElementWithNamespace(A, "noFill");
    w.writeEndElement();
    w.writeEndElement();  // spPr
}

void KXPPTXTextbox::write_txBody(XMLFileWriter& w) {
    const KXPPTX_TxBodyPr& body = bodyPr();
    w.writeStartElementWithNamespace(P, "txBody");
    w.writeStartElementWithNamespace(A, "bodyPr");
    w.writeAttribute("wrap", body.warp);
    w.writeAttribute("lIns", std::to_string(body.lIns));
    w.writeAttribute("tIns", std::to_string(body.tIns));
    w.writeAttribute("rIns", std::to_string(body.rIns));
    w.writeAttribute("rtlCol", body.rtlCol ? "1" : "0");
    w.writeStartElementWithNamespace(A, "spAutoFit");
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElementWithNamespace(A, "lstStyle");
    w.writeEndElement();
    bool wrote = false;
    for (const auto& paragraph : paragraphs()) wrote |= paragraph->writeParagraphWithXMLWriter(w);
    if (!wrote) {
        w.writeStartElementWithNamespace(A, "p");
        w.writeEndElement();
    }
    w.writeEndElement();  // txBody
}
