#include "xlsx/KXExcelCell.h"

#include "ooxml/XMLFileWriter.h"
#include "xlsx/KXExcelStringItem.h"
#include "xlsx/KXExcelUtilities.h"

void KXExcelCell::writeXML(XMLFileWriter& w) const {
    w.writeStartElement("c");
    if (stringItem_) {
        std::optional<std::string> column =
            KXExcelUtilities::getColumnName(static_cast<std::int64_t>(stringItem_->columnIndex()));
        w.writeAttribute("r", column.value_or("") + std::to_string(stringItem_->rowIndex()));
    }
    if (styleIndex_ != kNoStyle) w.writeAttribute("s", std::to_string(styleIndex_));
    w.writeAttribute("t", dataType_);
    if (cellValue_ != "-1") {
        w.writeStartElement("v");
        w.writeCharacters(cellValue_);
        w.writeEndElement();
    }
    w.writeEndElement();
}
