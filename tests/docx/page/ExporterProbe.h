// The DOCX exporter stopped after it has read a page, before the page is laid out: the tests of what
// the exporter makes of a page's paths and images read the runs it put on the page.
#pragma once

#include <memory>

#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "platform/pdf/PDFDocument.h"

namespace kx::test {

class ExporterProbe : public KXDocxPDFExporter {
public:
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
