#include "pptx/KXPPTXShape.h"

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "pptx/KXPPTXUtilities.h"

KXPPTXShape::KXPPTXShape(std::uint64_t spType)
    : spType_(spType), bodyPr_(KXPPTXUtilities::defaultTextBodyProperty()) {}

void KXPPTXShape::writeShapeWith(XMLFileWriter& w) {
    constexpr std::string_view P = KXOpenXMLNameSpace::nameSpace_p();
    w.writeStartElementWithNamespace(P, "sp");
    write_nvSpPr(w);
    write_spPr(w);
    write_style(w);
    write_txBody(w);
    w.writeEndElement();
}

void KXPPTXShape::writeCNvPr(XMLFileWriter& w, std::string_view kind) {
    w.writeStartElementWithNamespace(KXOpenXMLNameSpace::nameSpace_p(), "cNvPr");
    w.writeAttribute("id", std::to_string(shapeId_));
    w.writeAttribute("name", std::string(kind) + " " + std::to_string(shapeId_ > 1 ? shapeId_ - 1 : shapeId_));
}
