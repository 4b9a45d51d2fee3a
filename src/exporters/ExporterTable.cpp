#include "exporters/ExporterTable.h"

#include <mutex>

#include "docx/model/KXDocxManager.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "engine/KXImagePDFExporter.h"
#include "flowtext/KXHTMLPDFExporter.h"
#include "flowtext/KXRTFPDFExporter.h"
#include "flowtext/KXTextPDFExporter.h"
#include "platform/FontCatalog.h"
#include "pptx/KXPPTXPDFExporter.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelPDFExporter.h"

namespace kx {

namespace {

template <class Exporter>
std::unique_ptr<KXPDFExporter> plain(const std::shared_ptr<const KXPDFOptions>&) {
    return std::make_unique<Exporter>();
}

// The DOCX pages read the job's options from the DOCX conversion state, deep below the exporter.
std::unique_ptr<KXPDFExporter> makeDocxExporter(const std::shared_ptr<const KXPDFOptions>& options) {
    if (options) KXDocxManager::sharedInstance().setMoreOptions(*options);
    return std::make_unique<KXDocxPDFExporter>();
}

// The DOCX pages measure their runs with the installed fonts; reading them (most of it is the font
// configuration's own start, several milliseconds) overlaps the opening of the document.
void prepareDocx() { FontCatalog::loadInBackground(); }

// The spreadsheet state takes the job's options before the exporter exists: a workbook or CSV
// files, as the key says.
template <bool isExcelConvert>
std::unique_ptr<KXPDFExporter> makeSpreadsheetExporter(const std::shared_ptr<const KXPDFOptions>& options) {
    KXExcelManager::sharedInstance().setOptions(options ? options->excelOptions() : KXExcelOptions());
    return std::make_unique<KXExcelPDFExporter>(isExcelConvert);
}

}  // namespace

// In the order of the output-type table: "docx", "pptx", "xlsx" and "csv", "txt", "rtf", "html",
// each compared exactly; then the page-image keys in any letter case. "pdf" has no exporter.
//
// Each family adds its rows here, in that order. A row whose family needs the job's options before
// the conversion begins hands them over in its `make` (the DOCX row gives them to the DOCX
// conversion state, the "xlsx" and "csv" rows the spreadsheet options to the spreadsheet state):
//     {[](const std::string& key) { return key == "docx"; }, &makeDocxExporter},
std::vector<ExporterChoice> exporterTable() {
    return {
        {[](const std::string& key) { return key == "docx"; }, &makeDocxExporter, &prepareDocx},
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
