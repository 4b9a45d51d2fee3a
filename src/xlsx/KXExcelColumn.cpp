#include "xlsx/KXExcelColumn.h"

#include <algorithm>
#include <cmath>

#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "xlsx/KXExcelCell.h"
#include "xlsx/KXExcelStringItem.h"

void KXExcelColumn::setColumnIndex(std::uint64_t columnIndex) {
    columnIndex_ = columnIndex;
    for (const auto& cell : cells_)
        if (cell->stringItem()) cell->stringItem()->setColumnIndex(columnIndex);
}

void KXExcelColumn::writeXML(XMLFileWriter& w) const {
    double width = frame_.width() / 3.0 * 1.1;
    if (!std::isfinite(width)) width = 0;
    const std::string index = std::to_string(columnIndex_);
    w.writeStartElement("col");
    w.writeAttribute("min", index);
    w.writeAttribute("max", index);
    w.writeAttribute("width", kx::formatFixed(std::clamp(width, 0.0, kMaxWidth), 0));
    w.writeAttribute("customWidth", customWidth_ ? "1" : "0");
    w.writeEndElement();
}
