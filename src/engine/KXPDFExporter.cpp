#include "engine/KXPDFExporter.h"

#include "engine/KXDocuvaneErrors.h"

KXPDFExporter::~KXPDFExporter() { delegate_ = nullptr; }

std::unique_ptr<KXPDFExporter> KXPDFExporter::copy() const { return std::make_unique<KXPDFExporter>(); }

void KXPDFExporter::begainConvertPDF(const std::string&, const std::shared_ptr<kx::PDFDocument>&) {}

bool KXPDFExporter::convertPDFPage(const kx::PDFPage&) { return false; }

void KXPDFExporter::endConvertPDF(const std::shared_ptr<kx::PDFDocument>&) {}

void KXPDFExporter::cancelConvertPDF() {}

void KXPDFExporter::cleanConvertPDF() {}

void KXPDFExporter::failOutput(const std::string& reason) {
    setExportError(KXError{KXDocuvaneErrorDomain, KXDocuvaneErrorUnknown, reason});
}
