#pragma once
// A written cell of a worksheet: its text object (whose row and column give the cell's reference),
// its value and type, and its cell format. A row and a column that hold the same cell share it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class KXExcelStringItem;
class XMLFileWriter;

class KXExcelCell {
public:
    // No style written.
    static constexpr std::uint32_t kNoStyle = 0xFFFFFFFFu;

    bool isCompleted() const { return isCompleted_; }
    void setIsCompleted(bool v) { isCompleted_ = v; }
    // The value is a shared-string index.
    bool isText() const { return isText_; }
    void setIsText(bool v) { isText_ = v; }
    std::uint32_t styleIndex() const { return styleIndex_; }
    void setStyleIndex(std::uint32_t v) { styleIndex_ = v; }
    const std::shared_ptr<KXExcelStringItem>& stringItem() const { return stringItem_; }
    void setStringItem(std::shared_ptr<KXExcelStringItem> v) { stringItem_ = std::move(v); }
    // The "t" attribute: "s" a shared string, "n" a number.
    const std::string& dataType() const { return dataType_; }
    void setDataType(std::string v) { dataType_ = std::move(v); }
    // A shared-string index or a number; "-1" for no value.
    const std::string& cellValue() const { return cellValue_; }
    void setCellValue(std::string v) { cellValue_ = std::move(v); }

    // "c" with the reference, the style when set, the type, and the value when there is one.
    void writeXML(XMLFileWriter& writer) const;
    // The same from the values themselves (a column of 0 writes no reference).
    static void writeXML(XMLFileWriter& writer, std::uint64_t row, std::uint64_t column, std::uint32_t styleIndex,
                         std::string_view dataType, std::string_view cellValue);

private:
    bool isCompleted_ = false;
    bool isText_ = false;
    std::uint32_t styleIndex_ = kNoStyle;
    std::shared_ptr<KXExcelStringItem> stringItem_;
    std::string dataType_ = "s";
    std::string cellValue_ = "-1";
};
