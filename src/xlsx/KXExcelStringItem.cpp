#include "xlsx/KXExcelStringItem.h"

#include <algorithm>
#include <limits>

#include "ooxml/XMLFileWriter.h"
#include "xlsx/KXExcelRunText.h"

KXExcelStringItem::KXExcelStringItem() : phoneticPr_(KXExcelUtilities::defaultPhoneticProperty()) {}

bool KXExcelStringItem::containRunText(const KXExcelRunText& run) const {
    return run.columnIndex() == columnIndex_ && run.rowIndex() == rowIndex_;
}

void KXExcelStringItem::calculatStringItemInfo() {
    double left = std::numeric_limits<double>::max(), top = std::numeric_limits<double>::max();
    double right = std::numeric_limits<double>::lowest(), bottom = std::numeric_limits<double>::lowest();
    for (const KXExcelRunText* run : runArray_) {
        const KXPDF_CTMInfo& g = run->ctmInfo();
        left = std::min(left, g.xLeft);
        top = std::min(top, g.yTop);
        right = std::max(right, g.xRight);
        bottom = std::max(bottom, g.yBottom);
        rowLength_ = std::max(rowLength_, run->rowLength());
        columnLength_ = std::max(columnLength_, run->columnLength());
    }
    if (runArray_.empty()) return;
    itemInfo_.displayX = left;
    itemInfo_.displayY = top;
    itemInfo_.displayWidth = right - left;
    itemInfo_.displayHeight = bottom - top;
}

std::u16string KXExcelStringItem::content() const {
    std::u16string text;
    for (const KXExcelRunText* run : runArray_) text += run->text();
    return text;
}

double KXExcelStringItem::maxFontSize() const {
    double size = 12.0;
    for (const KXExcelRunText* run : runArray_) size = std::max(size, run->rPr().sz());
    return size;
}

const KXExcelRunTextProperty& KXExcelStringItem::runProperty() const { return runArray_.front()->rPr(); }

bool KXExcelStringItem::isAttributeRunText() const {
    if (runArray_.size() < 2) return false;
    const KXExcelRunTextProperty& first = runArray_.front()->rPr();
    return std::any_of(runArray_.begin() + 1, runArray_.end(),
                       [&first](const KXExcelRunText* run) { return !first.isEqualToRPr(run->rPr()); });
}

double KXExcelStringItem::textWidth() const {
    double width = 0;
    for (const KXExcelRunText* run : runArray_) width += run->textWidth();
    return width;
}

void KXExcelStringItem::writeXMLWith(XMLFileWriter& w) const {
    w.writeStartElement("si");
    for (const KXExcelRunText* run : runArray_) run->writeXMLWith(w);
    w.writeEndElement();
}
