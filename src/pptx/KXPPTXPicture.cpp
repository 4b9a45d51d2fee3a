#include "pptx/KXPPTXPicture.h"

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "pptx/KXPPTXUnits_p.h"

namespace {
constexpr std::string_view A = KXOpenXMLNameSpace::nameSpace_a();
constexpr std::string_view P = KXOpenXMLNameSpace::nameSpace_p();
constexpr std::string_view R = KXOpenXMLNameSpace::nameSpace_r();

void empty(XMLFileWriter& w, std::string_view ns, std::string_view name) {
    w.writeStartElementWithNamespace(ns, name);
    w.writeEndElement();
}
}  // namespace

void KXPPTXPicture::writeShapeWith(XMLFileWriter& w) {
    w.writeStartElementWithNamespace(P, "pic");
    write_nvPicPr(w);
    write_blipFill(w);
    write_spPr(w);
    w.writeEndElement();
}

void KXPPTXPicture::write_nvPicPr(XMLFileWriter& w) {
    w.writeStartElementWithNamespace(P, "nvPicPr");
    writeCNvPr(w, "Picture");
    w.writeAttribute("descr", "");
    w.writeEndElement();
    w.writeStartElementWithNamespace(P, "cNvPicPr");
    w.writeStartElementWithNamespace(A, "picLocks");
    w.writeAttribute("noChangeAspect", "0");
    w.writeAttribute("noChangeArrowheads", "0");
    w.writeEndElement();
    w.writeEndElement();
    empty(w, P, "nvPr");
    w.writeEndElement();
}

void KXPPTXPicture::write_blipFill(XMLFileWriter& w) {
    w.writeStartElementWithNamespace(P, "blipFill");
    w.writeStartElementWithNamespace(A, "blip");
    w.writeAttributeWithNamespace(R, "embed", runImageID_);
    if (pictInfo_.opacity < 1) {
        w.writeStartElementWithNamespace(A, "alphaModFix");
        w.writeAttribute("amt", kx::detail::fixedPercentage(pictInfo_.opacity));
        w.writeEndElement();
    }
    w.writeEndElement();  // blip
    empty(w, A, "srcRect");
    w.writeStartElementWithNamespace(A, "stretch");
    empty(w, A, "fillRect");
    w.writeEndElement();
    w.writeEndElement();  // blipFill
}

void KXPPTXPicture::write_spPr(XMLFileWriter& w) {
    using namespace kx::detail;
    const KXPPTXImageInfo& info = pictInfo_;
    w.writeStartElementWithNamespace(P, "spPr");
    w.writeAttribute("bwMode", "auto");
    w.writeStartElementWithNamespace(A, "xfrm");
    if (info.rotation != 0) w.writeAttribute("rot", angle(info.rotation));
    if (info.flipX) w.writeAttribute("flipH", "1");
    if (info.flipY) w.writeAttribute("flipV", "1");
    w.writeStartElementWithNamespace(A, "off");
    w.writeAttribute("x", emu(info.displayX));
    w.writeAttribute("y", emu(info.displayY));
    w.writeEndElement();
    w.writeStartElementWithNamespace(A, "ext");
    w.writeAttribute("cx", positiveEmu(info.displayWidth));
    w.writeAttribute("cy", positiveEmu(info.displayHeight));
    w.writeEndElement();
    w.writeEndElement();  // xfrm
    w.writeStartElementWithNamespace(A, "prstGeom");
    w.writeAttribute("prst", "rect");
    empty(w, A, "avLst");
    w.writeEndElement();
    empty(w, A, "noFill");
    w.writeEndElement();  // spPr
}
