#pragma once
// The spreadsheet options of a conversion.

#include <cstdint>

class KXExcelOptions {
public:
    KXExcelOptions() = default;

    // All pages go into one worksheet; otherwise one worksheet per page.
    bool allInOneSheet() const { return allInOneSheet_; }
    void setAllInOneSheet(bool v) { allInOneSheet_ = v; }
    // In one worksheet: pages stacked downwards; otherwise side by side.
    bool aiosAddToRow() const { return aiosAddToRow_; }
    void setAiosAddToRow(bool v) { aiosAddToRow_ = v; }
    // Cell texts that are numbers become numeric cells.
    bool recognizeNumber() const { return recognizeNumber_; }
    void setRecognizeNumber(bool v) { recognizeNumber_ = v; }
    // Painted paths are examined.
    bool collectCGPaths() const { return collectCGPaths_; }
    void setCollectCGPaths(bool v) { collectCGPaths_ = v; }
    // Filled paths become cell fills (when paths are examined).
    bool collectFills() const { return collectFills_; }
    void setCollectFills(bool v) { collectFills_ = v; }
    // 0 keeps the page's look (merged cells, wrapped text, real font sizes and row heights); 1 gives
    // default font sizes and row heights without merges or wrapping; 2 also the default font name,
    // no bold or italic, and no number recognition.
    std::int32_t excelFormatOption() const { return excelFormatOption_; }
    void setExcelFormatOption(std::int32_t v) { excelFormatOption_ = v; }
    // 0: "," groups thousands and "." is the decimal point; 1: "." groups and "," is the decimal point.
    std::int32_t thousandSepartor() const { return thousandSepartor_; }
    void setThousandSepartor(std::int32_t v) { thousandSepartor_ = v; }
    // Tolerance mode 0, 1 or 2 of joining runs on one line.
    std::int32_t overlapText() const { return overlapText_; }
    void setOverlapText(std::int32_t v) { overlapText_ = v; }

private:
    bool allInOneSheet_ = false;
    bool aiosAddToRow_ = true;
    bool recognizeNumber_ = true;
    bool collectCGPaths_ = false;
    bool collectFills_ = false;
    std::int32_t excelFormatOption_ = 0;
    std::int32_t thousandSepartor_ = 0;
    std::int32_t overlapText_ = 0;
};
