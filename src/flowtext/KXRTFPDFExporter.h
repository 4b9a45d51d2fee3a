#pragma once
// The RTF exporter: the text of every page in reading order, written through a KXRTFDocuvane.
// Bold also comes from the fill-and-stroke render modes, italic from a slanted text transform.

#include "flowtext/FlowExporter.h"
#include "flowtext/KXRTFDocuvane.h"

class KXRTFPDFExporter : public kx::detail::FlowExporter {
public:
    KXRTFPDFExporter() : FlowExporter(true) {}

    // The document writer of the conversion in progress.
    KXRTFDocuvane* docuvane() const { return static_cast<KXRTFDocuvane*>(flowDocument()); }

protected:
    std::unique_ptr<kx::detail::FlowDocument> makeDocument(const std::string& destPath, std::int64_t numOfPages) override {
        return std::make_unique<KXRTFDocuvane>(destPath, numOfPages);
    }
};
