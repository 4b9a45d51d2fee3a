#include "xlsx/KXExcelRow.h"

#include <algorithm>
#include <cmath>

#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "xlsx/KXExcelCell.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelStringItem.h"
#include "xlsx/KXExcelUtilities.h"

void KXExcelRow::setRowIndex(std::uint64_t rowIndex) {
    rowIndex_ = rowIndex;
    for (const auto& cell : cells_)
        if (cell->stringItem()) cell->stringItem()->setRowIndex(rowIndex);
}

// The "spans" hint is left out: it describes the columns of a block of rows, and a reader works
// without it.
void KXExcelRow::writeRowStart(XMLFileWriter& w, std::uint64_t rowIndex, double frameHeight, bool customHeight) {
    std::string height = "13.5";
    if (!KXExcelManager::sharedInstance().isNeedDefaultRowHeight()) {
        double h = std::fabs(frameHeight) * 1.1;
        if (!std::isfinite(h)) h = 13.5;
        height = kx::formatFixed(std::clamp(h, 0.0, kMaxHeight), 2);
    }
    w.writeStartElement("row");
    w.writeAttribute("r", std::to_string(rowIndex));
    w.writeAttribute("ht", height);
    w.writeAttribute("customHeight", customHeight ? "1" : "0");
}

void KXExcelRow::writeXML(XMLFileWriter& w) const {
    writeRowStart(w, rowIndex_, frame_.height(), customHeight_);
    for (const auto& cell : cells_) {
        const KXExcelStringItem* item = cell->stringItem().get();
        if (item && (item->columnIndex() < 1 || item->columnIndex() > KXExcelUtilities::kMaxColumns)) continue;
        cell->writeXML(w);
    }
    w.writeEndElement();
}
