#pragma once
// One spreadsheet output from the first page to the finished file.
//
// XLSX: a workbook package built in the work folder. Each page's worksheet part and shared strings
// are written as the page ends (or the page goes into the one sheet of all pages); after the last
// page the styles, theme, workbook and document properties follow, and the package is zipped into
// the destination. Sheets, their relationships, content types and titles come from the sheets
// actually written, and a workbook always has at least one sheet.
//
// CSV: one text file per page with cells ("Table 1.csv", "Table 2.csv", ...), UTF-16 with a byte
// order mark, fields separated by tabs, in a folder that becomes the destination at the end.

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/CaptureDocument.h"
#include "engine/KXPDFInfo.h"
#include "ooxml/KXOutputWriter.h"

class KXExcelAIOSWriter;
class KXExcelPage;
class KXExcelSharedStrings;
class XMLFileWriter;

class KXExcelWriter : public kx::CaptureDocument {
public:
    // `isExcelConvert`: a workbook; otherwise CSV files. `info` names the source in the workbook's
    // properties.
    KXExcelWriter(const std::string& path, std::int64_t numOfPages, bool isExcelConvert,
                  std::optional<KXPDFInfo> info = std::nullopt);
    ~KXExcelWriter() override;

    bool isExcelConvert() const { return isExcelConvert_; }
    // The page in progress (nullptr between pages).
    KXExcelPage* currentPage() const { return currentPage_.get(); }
    // The worksheets written so far.
    std::uint64_t totalSheetPages() const { return sheetParts_.size(); }
    const std::optional<KXPDFInfo>& pdfInfo() const { return pdfInfo_; }

    void begainWriteDocument() override;
    bool packetZipFileIfNeed() override;

protected:
    void startPage(kx::Size pageSize, std::int64_t pageIndex, bool lastPage) override;
    void finishPage(std::int64_t pageIndex) override;
    void closeWriters() override;

private:
    bool writeSheetPart(const KXExcelPage* page);
    bool writeCSVFile(const std::u16string& text);
    bool _xlsxWrite_DocProps_app();
    bool _xlsxWrite_DocProps_core();
    bool _xlsxWrite_XL_Styles();
    bool _xlsxWrite_XL_Theme();
    bool _xlsxWrite_XL_WorkBook();
    // Ends an XML part made by the package; false when it could not be written.
    bool endPart(std::unique_ptr<XMLFileWriter> writer);

    bool isExcelConvert_ = true;
    std::optional<KXPDFInfo> pdfInfo_;
    KXOutputWriter package_;
    std::unique_ptr<KXExcelSharedStrings> sharedStrings_;
    XMLFileWriter* sharedStringsPart_ = nullptr;  // owned by sharedStrings_
    std::unique_ptr<KXExcelAIOSWriter> aiosWriter_;
    std::unique_ptr<KXExcelPage> currentPage_;
    // The worksheet parts written, in sheet order, and their relationship ids.
    std::vector<std::string> sheetParts_;
    std::vector<std::string> sheetIdsList_;
    // CSV: the folder of the tables, moved to the destination at the end.
    std::string tablesFolder_;
};
