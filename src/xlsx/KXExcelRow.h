#pragma once
// A row of a worksheet: its number, its cells in writing order, and its extent on the page, whose
// height gives the row height.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Geometry.h"

class KXExcelCell;
class XMLFileWriter;

class KXExcelRow {
public:
    // The largest row height a sheet may hold, in points.
    static constexpr double kMaxHeight = 409.5;

    bool isComplete() const { return isComplete_; }
    void setIsComplete(bool v) { isComplete_ = v; }
    bool customHeight() const { return customHeight_; }
    void setCustomHeight(bool v) { customHeight_ = v; }
    std::uint32_t styleIndex() const { return styleIndex_; }
    void setStyleIndex(std::uint32_t v) { styleIndex_ = v; }
    const std::vector<std::shared_ptr<KXExcelCell>>& cells() const { return cells_; }
    std::vector<std::shared_ptr<KXExcelCell>>& cells() { return cells_; }
    std::int64_t numberOfColumns() const { return numberOfColumns_; }
    void setNumberOfColumns(std::int64_t v) { numberOfColumns_ = v; }
    std::uint64_t rowIndex() const { return rowIndex_; }
    // Renumbers the row and the text objects of its cells.
    void setRowIndex(std::uint64_t rowIndex);
    const kx::Rect& frame() const { return frame_; }
    void setFrame(const kx::Rect& r) { frame_ = r; }
    void setHeight(double height) { frame_.size.height = height; }

    // "row" with its number, height (13.5 when the format style asks for default heights, else the
    // frame height times 1.1, at most 409.5) and custom-height flag, holding its cells (those within
    // the sheet's columns).
    void writeXML(XMLFileWriter& writer) const;
    // Opens the "row" element of those values; the caller writes the cells and closes it.
    static void writeRowStart(XMLFileWriter& writer, std::uint64_t rowIndex, double frameHeight, bool customHeight);

private:
    bool isComplete_ = false;
    bool customHeight_ = true;
    std::uint32_t styleIndex_ = 0;
    std::vector<std::shared_ptr<KXExcelCell>> cells_;
    std::int64_t numberOfColumns_ = 0;
    std::uint64_t rowIndex_ = 1;
    kx::Rect frame_;
};
