#include "pptx/KXPPTXParagraph.h"

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "pptx/KXPPTXUnits_p.h"
#include "pptx/KXPPTXUtilities.h"

namespace {
constexpr std::string_view A = KXOpenXMLNameSpace::nameSpace_a();
}  // namespace

KXPPTXParagraph::KXPPTXParagraph() : pProperty_(KXPPTXUtilities::defaultPProperty()) {}

double KXPPTXParagraph::textWidth() const {
    double sum = 0;
    for (const auto& run : runArray_) sum += run->textWidth;
    return sum;
}

bool KXPPTXParagraph::writeParagraphWithXMLWriter(XMLFileWriter& w) const {
    if (runArray_.empty()) return false;
    const KXPPTX_PPr& p = pProperty_;
    w.writeStartElementWithNamespace(A, "p");
    w.writeStartElementWithNamespace(A, "pPr");
    if (p.marL != 0) w.writeAttribute("marL", kx::detail::textMargin(p.marL));
    w.writeStartElementWithNamespace(A, "lnSpc");
    w.writeStartElementWithNamespace(A, "spcPts");
    w.writeAttribute("val", kx::detail::spacingPoints(p.lnSpc));
    w.writeEndElement();
    w.writeEndElement();
    if (p.tabList.pos > 0) {
        w.writeStartElementWithNamespace(A, "tabLst");
        w.writeStartElementWithNamespace(A, "tab");
        w.writeAttribute("pos", kx::detail::emu32(p.tabList.pos));
        w.writeAttribute("algn", p.tabList.algn);
        w.writeEndElement();
        w.writeEndElement();
    }
    w.writeEndElement();  // pPr
    for (const auto& run : runArray_) run->writeRunWithXMLWriter(w);
    w.writeEndElement();  // p
    return true;
}
