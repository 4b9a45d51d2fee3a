// Text box runs: their frame and runs, the rotation most boxes of a page share, and the VML text
// box they write.

#include "docx/model/KXDocxRunTextBox.h"

#include <array>

#include "docx/model/KXDocxPictRun_p.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXDocxVMLShapeTypes.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "platform/Numeric.h"

namespace {

constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
constexpr std::string_view V = KXOpenXMLNameSpace::nameSpace_v();
constexpr std::string_view O = KXOpenXMLNameSpace::nameSpace_o();
constexpr std::string_view W10 = KXOpenXMLNameSpace::nameSpace_w10();

std::string points(double v) { return kx::format("%0.0fpt", kx::finiteOr(v)); }

}  // namespace

std::shared_ptr<KXDocxRun> KXDocxRunTextBox::copy() const {
    return std::shared_ptr<KXDocxRun>(new KXDocxRunTextBox(*this));
}

kx::Rect KXDocxRunTextBox::displayRect() const { return pictInfo_.displayFrame(); }

KXDocxRunTextArray KXDocxRunTextBox::allRunTextArray() const {
    if (!allPageSectionArray_.empty()) return sectionRuns_;
    KXDocxRunTextArray runs;
    for (const auto& paragraph : paragraphArray_) {
        KXDocxRunTextArray more = paragraph->allRunTextArray();
        runs.insert(runs.end(), more.begin(), more.end());
    }
    return runs;
}

int KXDocxRunTextBox::RotationOfRunTextBoxArray(const std::vector<std::shared_ptr<KXDocxRunTextBox>>& boxes) {
    // Groups in the order other, 90, 180, 270.
    std::array<size_t, 4> count{};
    for (const auto& box : boxes) {
        const double r = box->pictInfo().rotation;
        if (r > 85 && r < 95)
            ++count[1];
        else if (r > 175 && r < 185)
            ++count[2];
        else if (r > 265 && r < 275)
            ++count[3];
        else
            ++count[0];
    }
    size_t best = 0;
    for (size_t i = 1; i < count.size(); ++i)
        if (count[i] > count[best]) best = i;
    static constexpr std::array<int, 4> kRotation{0, 90, 180, 270};
    return count[best] == 0 ? 0 : kRotation[best];
}

void KXDocxRunTextBox::writeWithXMLWriter(XMLFileWriter& writer) {
    kx::detail::writePictRun(writer, rProperty(), [&] { _writeTextBox(writer); });
}

void kx::detail::writeVMLFillAndStroke(XMLFileWriter& writer, const KXDocxTextBoxInfo& info) {
    writer.writeAttribute("filled", info.filled ? "t" : "f");
    if (info.filled)
        if (std::optional<std::string> color = info.fillcolorString()) writer.writeAttribute("fillcolor", *color);
    writer.writeAttribute("stroked", info.stroked ? "t" : "f");
    if (info.stroked) {
        writer.writeAttribute("strokeweight", kx::format("%0.0fpt", kx::finiteOr(info.strokeweight)));
        if (std::optional<std::string> color = info.strokecolorString()) writer.writeAttribute("strokecolor", *color);
    }
}

void KXDocxRunTextBox::_writeTextBox(XMLFileWriter& writer) {
    const KXDocxTextBoxInfo& i = pictInfo_;
    const double r = i.rotation;
    KXDocxVMLShapeTypes::sharedInstance().writeStartNumberedShape(writer, KXDocxVMLShapeTypes::Kind::TextBox, "TextBox");

    // A turned box is placed by the corner where its text starts: the right edge for text running
    // down the page, the bottom for text running up, the bottom right for text upside down.
    double left = i.displayX, top = i.displayY;
    if (r == 90) {
        left = i.displayX - i.displayWidth;
    } else if (r == 180) {
        left = i.displayX - i.displayWidth;
        top = i.displayY - i.displayHeight;
    } else if (r == 270) {
        top = i.displayY - i.displayHeight;
    }
    std::string style = "position:absolute;left:0;text-align:left;";
    style += "margin-left:" + points(left) + ";margin-top:" + points(top) + ";";
    style += "width:" + points(i.displayWidth) + ";height:" + points(i.displayHeight) + ";";
    style += kx::format("z-index:%lld;", static_cast<long long>(pictZIndex()));
    if (r == 180) style += "rotation:180;mso-wrap-edited:f;";
    style += "mso-wrap-style:square;";
    style += "mso-wrap-distance-left:" + points(i.textBoxMargin.left) + ";";
    style += "mso-wrap-distance-top:" + points(i.textBoxMargin.top) + ";";
    style += "mso-wrap-distance-right:" + points(i.textBoxMargin.right) + ";";
    style += "mso-wrap-distance-bottom:" + points(i.textBoxMargin.bottom) + ";";
    style += "mso-position-horizontal:absolute;mso-position-horizontal-relative:page;";
    style += "mso-position-vertical:absolute;mso-position-vertical-relative:page;";
    style += "v-text-anchor:top";
    writer.writeAttribute("style", style);

    kx::detail::writeVMLFillAndStroke(writer, i);
    // The dash's phase has no VML attribute: the outline starts with a whole dash.
    if (i.stroked && !i.strokeDashPattern.empty())
        if (std::optional<std::string_view> dash = KXDocxDashStyleForDashArray(i.strokeDashPattern, i.strokeweight)) {
            writer.writeStartElementWithNamespace(V, "stroke");
            writer.writeAttribute("dashstyle", *dash);
            writer.writeEndElement();
        }

    writer.writeStartElementWithNamespace(V, "textbox");
    // Vertical flow alone turns the text a quarter clockwise, reading down; an alternative flow
    // of "right-to-left" is no flow a reader knows, and one that takes it shows the text unturned.
    if (r == 90)
        writer.writeAttribute("style", "layout-flow:vertical");
    else if (r == 180)
        writer.writeAttribute("style", "layout-flow:horizontal;mso-layout-flow-alt:left-to-right");
    else if (r == 270)
        writer.writeAttribute("style", "layout-flow:vertical;mso-layout-flow-alt:bottom-to-top");
    else
        writer.writeAttribute("style", "mso-fit-shape-to-text:t");
    writer.writeAttribute("inset", "0pt,0pt,0pt,0pt");
    writer.writeStartElementWithNamespace(W, "txbxContent");
    _writeParagraphs(writer);
    writer.writeEndElement();
    writer.writeEndElement();

    writer.writeStartElementWithNamespace(W10, "wrap");
    writer.writeAttribute("anchorx", "page");
    writer.writeAttribute("anchory", "page");
    writer.writeEndElement();
    writer.writeEndElement();  // shape
}

void KXDocxRunTextBox::_writeParagraphs(XMLFileWriter& writer) {
    if (!allPageSectionArray_.empty()) {
        for (const auto& section : allPageSectionArray_) section->writeWithXMLWriter(writer);
        return;
    }
    if (!paragraphArray_.empty()) {
        for (const auto& paragraph : paragraphArray_) {
            paragraph->convertToWriteRunArrayFloatRunPict();
            paragraph->writeWithXMLWriter(writer);
        }
        return;
    }
    // A box's content is never empty: one paragraph whose mark is 6 points.
    writer.writeStartElementWithNamespace(W, "p");
    writer.writeStartElementWithNamespace(W, "pPr");
    writer.writeStartElementWithNamespace(W, "rPr");
    writer.writeStartElementWithNamespace(W, "sz");
    writer.writeAttributeWithNamespace(W, "val", "12");
    writer.writeEndElement();
    writer.writeStartElementWithNamespace(W, "szCs");
    writer.writeAttributeWithNamespace(W, "val", "12");
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndElement();
}
