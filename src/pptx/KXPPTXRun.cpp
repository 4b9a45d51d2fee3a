#include "pptx/KXPPTXRun.h"

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "pptx/KXPPTXUnits_p.h"
#include "pptx/KXPPTXUtilities.h"

namespace {

constexpr std::string_view A = KXOpenXMLNameSpace::nameSpace_a();

void writeFont(XMLFileWriter& w, std::string_view name, const KXPPTX_RunPr_Font& font) {
    w.writeStartElementWithNamespace(A, name);
    w.writeAttribute("typeface", font.typeface);
    w.writeAttribute("pitchFamily", font.pitchFamily);
    w.writeAttribute("charset", font.charset);
    w.writeEndElement();
}

std::string_view flag(char c) { return c ? "1" : "0"; }

}  // namespace

KXPPTXRun::KXPPTXRun() : rProperty(KXPPTXUtilities::defaultRunProperty()) {}

void KXPPTXRun::writeRunWithXMLWriter(XMLFileWriter& w) const {
    const KXPPTX_RunPr& r = rProperty;
    w.writeStartElementWithNamespace(A, "r");
    w.writeStartElementWithNamespace(A, "rPr");
    w.writeAttribute("lang", r.lang);
    w.writeAttribute("altLang", r.altLang);
    w.writeAttribute("sz", kx::detail::fontSize(r.sz));
    w.writeAttribute("dirty", flag(r.dirty));
    w.writeAttribute("b", flag(r.b));
    w.writeAttribute("i", flag(r.i));
    w.writeAttribute("smtClean", flag(r.smtClean));
    w.writeStartElementWithNamespace(A, "solidFill");
    if (std::string color = r.rgbColor ? kx::detail::hexColor(*r.rgbColor) : std::string(); !color.empty()) {
        w.writeStartElementWithNamespace(A, "srgbClr");
        w.writeAttribute("val", color);
        w.writeEndElement();
    }
    w.writeEndElement();
    writeFont(w, "latin", r.latin);
    writeFont(w, "cs", r.cs);
    w.writeEndElement();  // rPr
    w.writeStartElementWithNamespace(A, "t");
    w.writeCharacters(std::u16string_view(text));
    w.writeEndElementWithNamespace(A, "t");
    w.writeEndElement();  // r
}
