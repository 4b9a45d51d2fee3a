#pragma once
// A custom number format of the workbook: its id (164 and up; lower ids are built-in formats) and
// its format code.

#include <cstdint>
#include <string>

class KXExcelStyleNumFmt {
public:
    KXExcelStyleNumFmt() = default;
    KXExcelStyleNumFmt(std::int32_t numFmtID, std::string formatCode)
        : numFmtID_(numFmtID), formatCode_(std::move(formatCode)) {}

    std::int32_t numFmtID() const { return numFmtID_; }
    void setNumFmtID(std::int32_t v) { numFmtID_ = v; }
    const std::string& formatCode() const { return formatCode_; }
    void setFormatCode(std::string v) { formatCode_ = std::move(v); }

private:
    std::int32_t numFmtID_ = 178;
    std::string formatCode_;
};
