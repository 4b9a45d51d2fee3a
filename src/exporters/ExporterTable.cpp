#include "exporters/ExporterTable.h"

#include <mutex>

#include "docx/page/KXDocxPDFExporter.h"
#include "engine/KXImagePDFExporter.h"
#include "flowtext/KXHTMLPDFExporter.h"
#include "flowtext/KXRTFPDFExporter.h"
#include "flowtext/KXTextPDFExporter.h"
#include "platform/FontCatalog.h"
#include "pptx/KXPPTXPDFExporter.h"
#include "xlsx/KXExcelPDFExporter.h"

namespace kx {

namespace {

template <class Exporter>
std::unique_ptr<KXPDFExporter> plain() {
    return std::make_unique<Exporter>();
}

// The DOCX pages measure their runs with the installed fonts; reading them (most of it is the font
// configuration's own start, several milliseconds) overlaps the opening of the document.
void prepareDocx() { FontCatalog::loadInBackground(); }

// A workbook or CSV files, as the key says.
template <bool isExcelConvert>
std::unique_ptr<KXPDFExporter> makeSpreadsheetExporter() {
    return std::make_unique<KXExcelPDFExporter>(isExcelConvert);
}

}  // namespace

// In the order of the output-type table: "docx", "pptx", "xlsx" and "csv", "txt", "rtf", "html",
// each compared exactly; then the page-image keys in any letter case. "pdf" has no exporter.
//
// Each family adds its rows here, in that order. A row only makes the exporter: the engine gives it
// the job's options, and a family whose code below the exporter reads them from a process-wide
// state (DOCX, the spreadsheets) installs them there when its document opens.
//     {[](const std::string& key) { return key == "txt"; }, &plain<KXTextPDFExporter>},
std::vector<ExporterChoice> exporterTable() {
    return {
        {[](const std::string& key) { return key == "docx"; }, &plain<KXDocxPDFExporter>, &prepareDocx},
        {&KXPPTXPDFExporter::supportType, &plain<KXPPTXPDFExporter>},
        {[](const std::string& key) { return key == "xlsx"; }, &makeSpreadsheetExporter<true>},
        {[](const std::string& key) { return key == "csv"; }, &makeSpreadsheetExporter<false>},
        {[](const std::string& key) { return key == "txt"; }, &plain<KXTextPDFExporter>},
        {[](const std::string& key) { return key == "rtf"; }, &plain<KXRTFPDFExporter>},
        {[](const std::string& key) { return key == "html"; }, &plain<KXHTMLPDFExporter>},
        {&KXImagePDFExporter::supportType, &plain<KXImagePDFExporter>},
    };
}

void installExporters() {
    static std::once_flag once;
    std::call_once(once, [] { installExporterChoices(exporterTable()); });
}

}  // namespace kx
