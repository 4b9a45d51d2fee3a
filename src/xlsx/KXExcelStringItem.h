#pragma once
// The text of one sheet cell: the runs the layout put into the same grid cell, the cell's row and
// column (from its first run), how far it reaches into further rows and columns, and its box on the
// page. Written as one shared string. The runs belong to the page; the item only lists them.

#include <cstdint>
#include <string>
#include <vector>

#include "xlsx/KXExcelStringItemInfo.h"
#include "xlsx/KXExcelUtilities.h"

class KXExcelRunText;
class KXExcelRunTextProperty;
class XMLFileWriter;

class KXExcelStringItem {
public:
    KXExcelStringItem();

    std::int64_t index() const { return index_; }
    void setIndex(std::int64_t v) { index_ = v; }
    double lineSpacing() const { return lineSpacing_; }
    void setLineSpacing(double v) { lineSpacing_ = v; }
    std::uint64_t rowIndex() const { return rowIndex_; }
    void setRowIndex(std::uint64_t v) { rowIndex_ = v; }
    std::uint64_t columnIndex() const { return columnIndex_; }
    void setColumnIndex(std::uint64_t v) { columnIndex_ = v; }
    std::uint64_t rowLength() const { return rowLength_; }
    void setRowLength(std::uint64_t v) { rowLength_ = v; }
    std::uint64_t columnLength() const { return columnLength_; }
    void setColumnLength(std::uint64_t v) { columnLength_ = v; }
    const std::vector<KXExcelRunText*>& runArray() const { return runArray_; }
    std::vector<KXExcelRunText*>& runArray() { return runArray_; }
    const KXExcelStringItemInfo& itemInfo() const { return itemInfo_; }
    KXExcelStringItemInfo& itemInfo() { return itemInfo_; }
    const KXExcel_SI_PhoneticPr& phoneticPr() const { return phoneticPr_; }
    void setPhoneticPr(KXExcel_SI_PhoneticPr v) { phoneticPr_ = std::move(v); }

    // The run lies in the item's row and column.
    bool containRunText(const KXExcelRunText& run) const;
    // The box of the runs and the largest row and column lengths among them.
    void calculatStringItemInfo();
    // The runs' texts one after the other.
    std::u16string content() const;
    // The largest run size, at least 12.
    double maxFontSize() const;
    // The first run's properties; the item has at least one run.
    const KXExcelRunTextProperty& runProperty() const;
    // Two or more runs, not all alike (isEqualToRPr with the first).
    bool isAttributeRunText() const;
    // The sum of the runs' widths.
    double textWidth() const;
    // One "si" element holding each run as a rich-text run.
    void writeXMLWith(XMLFileWriter& writer) const;

private:
    std::int64_t index_ = 0;
    double lineSpacing_ = 0;
    std::uint64_t rowIndex_ = 0;
    std::uint64_t columnIndex_ = 0;
    std::uint64_t rowLength_ = 0;
    std::uint64_t columnLength_ = 0;
    std::vector<KXExcelRunText*> runArray_;
    KXExcelStringItemInfo itemInfo_;
    KXExcel_SI_PhoneticPr phoneticPr_;
};
