#include "xlsx/ExcelSheetXML_p.h"

#include <algorithm>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "xlsx/KXExcelUtilities.h"

namespace kx::detail {

void writeWorksheetStart(XMLFileWriter& w, bool tabSelected) {
    w.setLineBreak("");
    w.setIndentation("");
    w.setPrefix("r", KXOpenXMLNameSpace::nameSpace_r());
    w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    w.writeStartElement("worksheet");
    w.writeAttribute("xmlns", KXOpenXMLNameSpace::nameSpace_SpreadSheetml2006Main());
    w.writeStartElement("sheetViews");
    w.writeStartElement("sheetView");
    if (tabSelected) w.writeAttribute("tabSelected", "1");
    w.writeAttribute("workbookViewId", "0");
    w.writeStartElement("selection");
    w.writeAttribute("activeCell", "A1");
    w.writeAttribute("sqref", "A1");
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElement("sheetFormatPr");
    w.writeAttribute("defaultRowHeight", "18.000000");
    w.writeAttribute("defaultColWidth", "15.000000");
    w.writeEndElement();
}

void writeWorksheetColumns(XMLFileWriter& w, const std::vector<KXExcelColumn>& columns) {
    bool any = false;
    for (const KXExcelColumn& c : columns) {
        if (c.columnIndex() < 1 || c.columnIndex() > KXExcelUtilities::kMaxColumns) continue;
        if (!any) w.writeStartElement("cols");
        any = true;
        c.writeXML(w);
    }
    if (any) w.writeEndElement();
}

void writeWorksheetMergeCells(XMLFileWriter& w, const std::vector<KXMergedCell>& ranges) {
    bool any = false;
    for (const KXMergedCell& range : ranges) {
        KXMergedCell cut = range;
        if (cut.start().r() > KXExcelUtilities::kMaxRows || cut.start().c() > KXExcelUtilities::kMaxColumns) continue;
        cut.end().setR(std::min(cut.end().r(), KXExcelUtilities::kMaxRows));
        cut.end().setC(std::min(cut.end().c(), KXExcelUtilities::kMaxColumns));
        if (cut.start() == cut.end()) continue;
        if (!any) w.writeStartElement("mergeCells");
        any = true;
        w.writeStartElement("mergeCell");
        w.writeAttribute("ref", cut.mergerCellInfo());
        w.writeEndElement();
    }
    if (any) w.writeEndElement();
}

void writeWorksheetEnd(XMLFileWriter& w, const KXExcelPageMargin& m) {
    w.writeStartElement("pageMargins");
    w.writeAttribute("left", kx::formatFixed(m.left, 0));
    w.writeAttribute("right", kx::formatFixed(m.right, 0));
    w.writeAttribute("top", kx::formatFixed(m.top, 0));
    w.writeAttribute("bottom", kx::formatFixed(m.bottom, 0));
    w.writeAttribute("header", kx::formatFixed(m.header, 0));
    w.writeAttribute("footer", kx::formatFixed(m.footer, 0));
    w.writeEndElement();
    w.writeEndDocument();
}

}  // namespace kx::detail
