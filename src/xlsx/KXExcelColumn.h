#pragma once
// A column of a worksheet: its number, its cells, and its extent on the page, whose width gives the
// column width.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Geometry.h"

class KXExcelCell;
class XMLFileWriter;

class KXExcelColumn {
public:
    // The largest column width a sheet may hold, in characters.
    static constexpr double kMaxWidth = 255.0;

    bool customWidth() const { return customWidth_; }
    void setCustomWidth(bool v) { customWidth_ = v; }
    std::uint32_t min() const { return min_; }
    void setMin(std::uint32_t v) { min_ = v; }
    std::uint32_t max() const { return max_; }
    void setMax(std::uint32_t v) { max_ = v; }
    std::uint32_t style() const { return style_; }
    void setStyle(std::uint32_t v) { style_ = v; }
    std::uint64_t columnIndex() const { return columnIndex_; }
    // Renumbers the column and the text objects of its cells.
    void setColumnIndex(std::uint64_t columnIndex);
    const std::vector<std::shared_ptr<KXExcelCell>>& cells() const { return cells_; }
    std::vector<std::shared_ptr<KXExcelCell>>& cells() { return cells_; }
    const kx::Rect& frame() const { return frame_; }
    void setFrame(const kx::Rect& r) { frame_ = r; }
    void setWidth(double width) { frame_.size.width = width; }

    // An empty "col" covering this column, its width the frame width / 3 x 1.1 (whole characters,
    // at most 255), with the custom-width flag.
    void writeXML(XMLFileWriter& writer) const;

private:
    bool customWidth_ = true;
    std::uint32_t min_ = 1;
    std::uint32_t max_ = 1;
    std::uint32_t style_ = 0;
    std::uint64_t columnIndex_ = 1;
    std::vector<std::shared_ptr<KXExcelCell>> cells_;
    kx::Rect frame_;
};
