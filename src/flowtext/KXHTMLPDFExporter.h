#pragma once
// The HTML exporter: the text of every page in reading order, written through a KXHTMLDocuvane.
// Bold also comes from the fill-and-stroke render modes, italic from a slanted text transform.

#include "flowtext/FlowExporter.h"
#include "flowtext/KXHTMLDocuvane.h"

class KXHTMLPDFExporter : public kx::detail::FlowExporter {
public:
    KXHTMLPDFExporter() : FlowExporter(true) {}

    // The document writer of the conversion in progress.
    KXHTMLDocuvane* docuvane() const { return static_cast<KXHTMLDocuvane*>(flowDocument()); }

protected:
    std::unique_ptr<kx::detail::FlowDocument> makeDocument(const std::string& destPath, std::int64_t numOfPages) override {
        return std::make_unique<KXHTMLDocuvane>(destPath, numOfPages);
    }
};
