#include "pptx/KXPPTXTextbox.h"

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
    w.writeStartElementWithNamespace(A, "off");
    w.writeAttribute("x", emu(info.displayX));
    w.writeAttribute("y", emu(info.displayY));
    w.writeEndElement();
    const bool turned = info.rotation == 90 || info.rotation == 270;
    w.writeStartElementWithNamespace(A, "ext");
    w.writeAttribute("cx", positiveEmu(turned ? info.displayHeight : info.displayWidth));
    w.writeAttribute("cy", positiveEmu(turned ? info.displayWidth : info.displayHeight));
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
