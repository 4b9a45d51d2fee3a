// The DOCX exporter stopped after it has read a page, before the page is laid out: the tests of what
// the exporter makes of a page's paths and images read the runs it put on the page.
#pragma once

#include <memory>
#include <string>

#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "engine/KXPDFOptions.h"
#include "platform/FileSystem.h"
#include "platform/pdf/PDFDocument.h"
#include "support/TestSupport.h"

namespace kx::test {

class ExporterProbe : public KXDocxPDFExporter {
public:
    // Begins a one-page conversion of `document` into a file of the test's temporary folder named
    // after `name` and a number of its own.
    void begin(const std::shared_ptr<kx::PDFDocument>& document, const std::string& name) {
        static int n = 0;
        setMoreOptions(std::make_shared<KXPDFOptions>());
        setNumberOfPagesToConvert(1);
        begainConvertPDF(kx::pathJoin(kx::test::tempDir(), name + std::to_string(++n) + ".docx"), document);
    }
    KXDocxPage* read(const kx::PDFPage& page) {
        const KXPDFPageGeometry geometry = pageGeometryOf(page);
        beginPage(geometry, pageSizeOf(geometry));
        interpretPage(page);
        return pdfWriter() ? pdfWriter()->currentPage() : nullptr;
    }
    void finish(const std::shared_ptr<kx::PDFDocument>& document) {
        endPage();
        endConvertPDF(document);
    }
};

}  // namespace kx::test
