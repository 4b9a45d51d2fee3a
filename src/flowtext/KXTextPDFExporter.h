#pragma once
// The plain text exporter: the text of every page in reading order, written through a KXTextWriter.
// Bold and italic come from the font only.

#include "flowtext/FlowExporter.h"
#include "flowtext/KXTextWriter.h"

class KXTextPDFExporter : public kx::detail::FlowExporter {
public:
    KXTextPDFExporter() : FlowExporter(false) {}

    // The document writer of the conversion in progress.
    KXTextWriter* pdfWriter() const { return static_cast<KXTextWriter*>(flowDocument()); }

protected:
    std::unique_ptr<kx::detail::FlowDocument> makeDocument(const std::string& destPath, std::int64_t numOfPages) override {
        return std::make_unique<KXTextWriter>(destPath, numOfPages);
    }
};
