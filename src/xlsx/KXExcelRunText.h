#pragma once
// A text run of a spreadsheet page: characters captured together, their properties and width, and
// the grid cell the layout gives them (1-based row and column, and how many further rows and
// columns the run reaches into).

#include <cstdint>
#include <string>

#include "xlsx/KXExcelRun.h"
#include "xlsx/KXExcelRunTextProperty.h"

class XMLFileWriter;

class KXExcelRunText : public KXExcelRun {
public:
    const std::u16string& text() const { return text_; }
    std::u16string& text() { return text_; }
    void setText(std::u16string v) { text_ = std::move(v); }
    const KXExcelRunTextProperty& rPr() const { return rPr_; }
    KXExcelRunTextProperty& rPr() { return rPr_; }
    void setRPr(KXExcelRunTextProperty v) { rPr_ = std::move(v); }
    // Width in display space.
    double textWidth() const { return textWidth_; }
    void setTextWidth(double v) { textWidth_ = v; }
    std::uint64_t columnIndex() const { return columnIndex_; }
    void setColumnIndex(std::uint64_t v) { columnIndex_ = v; }
    std::uint64_t rowIndex() const { return rowIndex_; }
    void setRowIndex(std::uint64_t v) { rowIndex_ = v; }
    std::uint64_t columnLength() const { return columnLength_; }
    void setColumnLength(std::uint64_t v) { columnLength_ = v; }
    std::uint64_t rowLength() const { return rowLength_; }
    void setRowLength(std::uint64_t v) { rowLength_ = v; }

    // x = left edge, y = top, width = textWidth, height = bottom - top.
    kx::Rect frame() const;
    // The run as a rich-text run of a shared string: size, colour, font, bold and italic (default
    // size and name when the format style asks for them), then the text with its blanks kept.
    void writeXMLWith(XMLFileWriter& writer) const;

private:
    std::u16string text_;
    KXExcelRunTextProperty rPr_;
    double textWidth_ = 0;
    std::uint64_t columnIndex_ = 0;
    std::uint64_t rowIndex_ = 0;
    std::uint64_t columnLength_ = 0;
    std::uint64_t rowLength_ = 0;
};
