#include "xlsx/KXExcelCell.h"

#include "ooxml/XMLFileWriter.h"
#include "xlsx/KXExcelStringItem.h"
#include "xlsx/KXExcelUtilities.h"

void KXExcelCell::writeXML(XMLFileWriter& w) const {
    writeXML(w, stringItem_ ? stringItem_->rowIndex() : 0, stringItem_ ? stringItem_->columnIndex() : 0, styleIndex_,
             dataType_, cellValue_);
}

void KXExcelCell::writeXML(XMLFileWriter& w, std::uint64_t row, std::uint64_t column, std::uint32_t styleIndex,
                           std::string_view dataType, std::string_view cellValue) {
    w.writeStartElement("c");
    if (std::optional<std::string> letters = KXExcelUtilities::getColumnName(static_cast<std::int64_t>(column)))
        w.writeAttribute("r", *letters + std::to_string(row));
    if (styleIndex != kNoStyle) w.writeAttribute("s", std::to_string(styleIndex));
    w.writeAttribute("t", dataType);
    if (cellValue != "-1") {
        w.writeStartElement("v");
        w.writeCharacters(cellValue);
        w.writeEndElement();
    }
    w.writeEndElement();
}
