#include "xlsx/KXExcelRow.h"

#include <algorithm>
#include <cmath>

#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "xlsx/KXExcelCell.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelStringItem.h"

void KXExcelRow::setRowIndex(std::uint64_t rowIndex) {
    rowIndex_ = rowIndex;
    for (const auto& cell : cells_)
        if (cell->stringItem()) cell->stringItem()->setRowIndex(rowIndex);
}

// The "spans" hint is left out: it describes the columns of a block of rows, and a reader works
// without it.
void KXExcelRow::writeXML(XMLFileWriter& w) const {
    std::string height = "13.5";
    if (!KXExcelManager::sharedInstance().isNeedDefaultRowHeight()) {
        double h = frame_.height() * 1.1;
        if (!std::isfinite(h)) h = 13.5;
        height = kx::formatFixed(std::clamp(h, 0.0, kMaxHeight), 2);
    }
    w.writeStartElement("row");
    w.writeAttribute("r", std::to_string(rowIndex_));
    w.writeAttribute("ht", height);
    w.writeAttribute("customHeight", customHeight_ ? "1" : "0");
    for (const auto& cell : cells_) cell->writeXML(w);
    w.writeEndElement();
}
