#include "docx/model/KXDocxVMLShapeTypes.h"

#include "docx/model/KXDocxCounters.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"

namespace {

constexpr std::string_view V = KXOpenXMLNameSpace::nameSpace_v();
constexpr std::string_view O = KXOpenXMLNameSpace::nameSpace_o();

// Shape numbers start where a word processor starts its own, so that shapes it adds later do not
// meet ours by chance.
constexpr unsigned long long kFirstShapeNumber = 1025;

void formulas(XMLFileWriter& w, std::initializer_list<std::string_view> equations) {
    w.writeStartElementWithNamespace(V, "formulas");
    for (std::string_view eqn : equations) {
        w.writeStartElementWithNamespace(V, "f");
        w.writeAttribute("eqn", eqn);
        w.writeEndElement();
    }
    w.writeEndElement();
}

void strokeMiter(XMLFileWriter& w) {
    w.writeStartElementWithNamespace(V, "stroke");
    w.writeAttribute("joinstyle", "miter");
    w.writeEndElement();
}

// The rectangle of a text box.
void writeTextBoxType(XMLFileWriter& w) {
    w.writeAttribute("coordsize", "21600,21600");
    w.writeAttributeWithNamespace(O, "spt", "202");
    w.writeAttribute("path", "m,l,21600r21600,l21600,xe");
    strokeMiter(w);
    w.writeStartElementWithNamespace(V, "path");
    w.writeAttribute("gradientshapeok", "t");
    w.writeAttributeWithNamespace(O, "connecttype", "rect");
    w.writeEndElement();
}

// Plain text along a straight path, the text stretched over the shape's box.
void writeTextPathType(XMLFileWriter& w) {
    w.writeAttribute("coordsize", "21600,21600");
    w.writeAttributeWithNamespace(O, "spt", "136");
    w.writeAttribute("adj", "10800");
    w.writeAttribute("path", "m@7,l@8,m@5,21600l@6,21600e");
    formulas(w, {"sum #0 0 10800", "prod #0 2 1", "sum 21600 0 @1", "sum 0 0 @2", "sum 21600 0 @3", "if @0 @3 0",
                 "if @0 21600 @1", "if @0 0 @2", "if @0 @4 21600", "mid @5 @6", "mid @8 @5", "mid @7 @8",
                 "mid @6 @7", "sum @6 0 @5"});
    w.writeStartElementWithNamespace(V, "path");
    w.writeAttribute("textpathok", "t");
    w.writeAttributeWithNamespace(O, "connecttype", "custom");
    w.writeAttributeWithNamespace(O, "connectlocs", "@9,0;@10,10800;@11,21600;@12,10800");
    w.writeAttributeWithNamespace(O, "connectangles", "270,180,90,0");
    w.writeEndElement();
    w.writeStartElementWithNamespace(V, "textpath");
    w.writeAttribute("on", "t");
    w.writeAttribute("fitshape", "t");
    w.writeEndElement();
    w.writeStartElementWithNamespace(O, "lock");
    w.writeAttributeWithNamespace(V, "ext", "edit");
    w.writeAttribute("text", "t");
    w.writeAttribute("shapetype", "t");
    w.writeEndElement();
}

// A picture frame: the image fills the box.
void writePictureFrameType(XMLFileWriter& w) {
    w.writeAttribute("coordsize", "21600,21600");
    w.writeAttributeWithNamespace(O, "spt", "75");
    w.writeAttributeWithNamespace(O, "preferrelative", "t");
    w.writeAttribute("path", "m@4@5l@4@11@9@11@9@5xe");
    w.writeAttribute("filled", "f");
    w.writeAttribute("stroked", "f");
    strokeMiter(w);
    formulas(w, {"if lineDrawn pixelLineWidth 0", "sum @0 1 0", "sum 0 0 @1", "prod @2 1 2",
                 "prod @3 21600 pixelWidth", "prod @3 21600 pixelHeight", "sum @0 0 1", "prod @6 1 2",
                 "prod @7 21600 pixelWidth", "sum @8 21600 0", "prod @7 21600 pixelHeight", "sum @10 21600 0"});
    w.writeStartElementWithNamespace(V, "path");
    w.writeAttributeWithNamespace(O, "extrusionok", "f");
    w.writeAttribute("gradientshapeok", "t");
    w.writeAttributeWithNamespace(O, "connecttype", "rect");
    w.writeEndElement();
    w.writeStartElementWithNamespace(O, "lock");
    w.writeAttributeWithNamespace(V, "ext", "edit");
    w.writeAttribute("aspectratio", "t");
    w.writeEndElement();
}

}  // namespace

KXDocxVMLShapeTypes& KXDocxVMLShapeTypes::sharedInstance() {
    static KXDocxVMLShapeTypes registry;
    return registry;
}

std::string_view KXDocxVMLShapeTypes::shapeTypeID(Kind kind) {
    switch (kind) {
        case Kind::TextBox: return "_x0000_t202";
        case Kind::TextPath: return "_x0000_t136";
        case Kind::PictureFrame: return "_x0000_t75";
    }
    return "_x0000_t202";
}

std::string KXDocxVMLShapeTypes::writeShapeTypeIfNeed(XMLFileWriter& writer, Kind kind) {
    const std::string_view id = shapeTypeID(kind);
    if (!defined_[index(kind)]) {
        writer.writeStartElementWithNamespace(V, "shapetype");
        writer.writeAttribute("id", id);
        switch (kind) {
            case Kind::TextBox: writeTextBoxType(writer); break;
            case Kind::TextPath: writeTextPathType(writer); break;
            case Kind::PictureFrame: writePictureFrameType(writer); break;
        }
        writer.writeEndElement();
        defined_[index(kind)] = true;
    }
    return "#" + std::string(id);
}

KXDocxVMLShapeTypes::ShapeID KXDocxVMLShapeTypes::newShapeID(std::string_view name) {
    const unsigned long long n = KXDocxCounters::sharedInstance().nextVMLShapeIndex();
    return {kx::format("%.*s %llu", static_cast<int>(name.size()), name.data(), n + 1),
            kx::format("_x0000_s%llu", n + kFirstShapeNumber)};
}

void KXDocxVMLShapeTypes::writeStartNumberedShape(XMLFileWriter& writer, Kind kind, std::string_view name) {
    const std::string type = writeShapeTypeIfNeed(writer, kind);
    const ShapeID shapeID = newShapeID(name);
    writer.writeStartElementWithNamespace(V, "shape");
    writer.writeAttribute("id", shapeID.id);
    writer.writeAttributeWithNamespace(O, "spid", shapeID.spid);
    writer.writeAttribute("type", type);
}
