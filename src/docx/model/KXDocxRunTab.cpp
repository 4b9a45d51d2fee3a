#include "docx/model/KXDocxRunTab.h"

#include "docx/model/KXDocxUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "platform/Numeric.h"

namespace {
constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
}

std::shared_ptr<KXDocxRunTab> KXDocxRunTab::RunTapWithTabPostion(double tabPostion, double tabWidth) {
    auto tab = std::make_shared<KXDocxRunTab>();
    tab->setTabPostion(tabPostion);
    tab->setTabWidth(tabWidth);
    return tab;
}

std::shared_ptr<KXDocxRun> KXDocxRunTab::copy() const {
    return std::shared_ptr<KXDocxRunTab>(new KXDocxRunTab(*this));
}

void KXDocxRunTab::writeWithXMLWriter(XMLFileWriter& writer) {
    writer.writeStartElementWithNamespace(W, "r");
    KXDocxUtilities::WriteRProperty(rProperty(), writer);
    writer.writeStartElementWithNamespace(W, "tab");
    writer.writeEndElement();
    writer.writeEndElement();
}

void KXDocxRunTab::writeTabPropertyWithXMLWriter(XMLFileWriter& writer) const {
    writer.writeStartElementWithNamespace(W, "tab");
    writer.writeAttributeWithNamespace(W, "val", "left");
    std::string pos = kx::formatFixed(kx::finiteOr(tabPostion_ * 20.0), 0);
    writer.writeAttributeWithNamespace(W, "pos", pos == "-0" ? "0" : pos);
    writer.writeEndElement();
}
