#include "engine/ExporterChoice_p.h"

#include <mutex>

#include "engine/KXImagePDFExporter.h"
#include "flowtext/KXHTMLPDFExporter.h"
#include "flowtext/KXRTFPDFExporter.h"
#include "flowtext/KXTextPDFExporter.h"

namespace kx::detail {

namespace {

template <class Exporter>
std::unique_ptr<KXPDFExporter> plain(const std::shared_ptr<const KXPDFOptions>&) {
    return std::make_unique<Exporter>();
}

std::mutex& addedMutex() {
    static std::mutex m;
    return m;
}

std::vector<ExporterChoice>& addedRows() {
    static std::vector<ExporterChoice> rows;
    return rows;
}

}  // namespace

// In the order of the output-type table: "docx" (which first hands the options to the DOCX
// conversion state), "pptx", "xlsx" and "csv" (which first hand the spreadsheet options to the
// spreadsheet state), "txt", "rtf", "html", each compared exactly; then the page-image keys in any
// letter case. "pdf" has no exporter. An exact-key row reads
//     {[](const std::string& key) { return key == "docx"; }, &makeDocxExporter},
const std::vector<ExporterChoice>& exporterChoices() {
    static const std::vector<ExporterChoice> rows = {
        {[](const std::string& key) { return key == "txt"; }, &plain<KXTextPDFExporter>},
        {[](const std::string& key) { return key == "rtf"; }, &plain<KXRTFPDFExporter>},
        {[](const std::string& key) { return key == "html"; }, &plain<KXHTMLPDFExporter>},
        {&KXImagePDFExporter::supportType, &plain<KXImagePDFExporter>},
    };
    return rows;
}

std::optional<ExporterChoice> exporterChoiceForKey(const std::string& key) {
    {
        std::lock_guard lock(addedMutex());
        for (auto it = addedRows().rbegin(); it != addedRows().rend(); ++it)
            if (it->accepts(key)) return *it;
    }
    for (const ExporterChoice& row : exporterChoices())
        if (row.accepts(key)) return row;
    return std::nullopt;
}

ScopedExporterChoice::ScopedExporterChoice(ExporterChoice row) {
    std::lock_guard lock(addedMutex());
    addedRows().push_back(std::move(row));
}

ScopedExporterChoice::~ScopedExporterChoice() {
    std::lock_guard lock(addedMutex());
    addedRows().pop_back();
}

}  // namespace kx::detail
