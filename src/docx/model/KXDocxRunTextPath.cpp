// Text path runs: their frame and the VML text path they write.

#include "docx/model/KXDocxRunTextPath.h"

#include <cmath>

#include "docx/model/KXDocxPictRun_p.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXDocxVMLShapeTypes.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "platform/Numeric.h"

namespace {

constexpr std::string_view V = KXOpenXMLNameSpace::nameSpace_v();
constexpr std::string_view O = KXOpenXMLNameSpace::nameSpace_o();
constexpr std::string_view W10 = KXOpenXMLNameSpace::nameSpace_w10();

}  // namespace

std::shared_ptr<KXDocxRun> KXDocxRunTextPath::copy() const {
    return std::shared_ptr<KXDocxRun>(new KXDocxRunTextPath(*this));
}

kx::Rect KXDocxRunTextPath::displayRect() const { return pictInfo_.displayFrame(); }

void KXDocxRunTextPath::writeWithXMLWriter(XMLFileWriter& writer) {
    kx::detail::writePictRun(writer, rProperty(), [&] { _writeTextPath(writer); });
}

void KXDocxRunTextPath::_writeTextPath(XMLFileWriter& writer) {
    const KXDocxTextPathInfo& i = pictInfo_;
    KXDocxVMLShapeTypes::sharedInstance().writeStartNumberedShape(writer, KXDocxVMLShapeTypes::Kind::TextPath, "TextPath");

    // A mirrored geometry may come with a negative height: the box is as large either way.
    std::string style = "position:absolute;left:0;text-align:left;";
    style += kx::format("margin-left:%0.2fpt;margin-top:%0.2fpt;", kx::finiteOr(i.displayX), kx::finiteOr(i.displayY));
    style += kx::format("width:%0.2fpt;height:%0.2fpt;", std::fabs(kx::finiteOr(i.displayWidth)),
                        std::fabs(kx::finiteOr(i.displayHeight)));
    style += "mso-position-horizontal-relative:page;mso-position-vertical-relative:page;";
    if (kx::finiteOr(i.rotation) != 0) style += kx::format("rotation:%0.0f;", kx::finiteOr(i.rotation));
    if (i.flipX && i.flipY)
        style += "flip:x y;";
    else if (i.flipX)
        style += "flip:x;";
    else if (i.flipY)
        style += "flip:y;";
    style += kx::format("z-index:%lld", static_cast<long long>(pictZIndex()));
    writer.writeAttribute("style", style);

    kx::detail::writeVMLFillAndStroke(writer, i);

    // The shape draws its text only when both its path and its text path say so.
    writer.writeStartElementWithNamespace(V, "path");
    writer.writeAttribute("textpathok", "t");
    writer.writeEndElement();
    writer.writeStartElementWithNamespace(O, "extrusion");
    writer.writeAttributeWithNamespace(V, "ext", "view");
    writer.writeAttribute("autorotationcenter", "t");
    writer.writeEndElement();
    writer.writeStartElementWithNamespace(V, "textpath");
    writer.writeAttribute("on", "t");
    writer.writeAttribute("style", KXDocxUtilities::TextPathStyleForRProperty(i.rProperty));
    writer.writeAttribute("string", std::u16string_view(runText_));
    writer.writeEndElement();

    writer.writeStartElementWithNamespace(W10, "wrap");
    writer.writeAttribute("anchorx", "page");
    writer.writeAttribute("anchory", "page");
    writer.writeEndElement();
    writer.writeEndElement();  // shape
}
