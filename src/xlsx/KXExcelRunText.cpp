#include "xlsx/KXExcelRunText.h"

#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelUtilities.h"

kx::Rect KXExcelRunText::frame() const {
    return {ctmInfo().xLeft, ctmInfo().yTop, textWidth_, ctmInfo().yBottom - ctmInfo().yTop};
}

void KXExcelRunText::writeXMLWith(XMLFileWriter& w) const {
    const KXExcelManager& manager = KXExcelManager::sharedInstance();
    w.writeStartElement("r");
    w.writeStartElement("rPr");
    w.writeStartElement("sz");
    w.writeAttribute("val",
                     kx::formatFixed(manager.isNeedDefaultFontSize() ? KXExcelUtilities::defaultFontSize() : rPr_.sz(), 0));
    w.writeEndElement();
    w.writeStartElement("color");
    w.writeAttribute("rgb", KXExcelUtilities::argbColor(rPr_.rgbColor()));
    w.writeEndElement();
    w.writeStartElement("rFont");
    w.writeAttribute("val", KXExcelUtilities::excelFontName(manager.isNeedDefaultFontName()
                                                                ? KXExcelUtilities::defaultFontName()
                                                                : rPr_.rFont()));
    w.writeEndElement();
    w.writeStartElement("b");
    w.writeAttribute("val", rPr_.b() ? "1" : "0");
    w.writeEndElement();
    w.writeStartElement("i");
    w.writeAttribute("val", rPr_.i() ? "1" : "0");
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElement("t");
    w.writeAttribute("xml:space", "preserve");
    w.writeCharacters(text_);
    w.writeEndElement();
    w.writeEndElement();
}
