#pragma once
// The plain text exporter: the text of every page in reading order, written through a KXTextWriter.

#include "flowtext/FlowExporter_p.h"
#include "flowtext/KXTextWriter.h"
#include "flowtext/KXTextRunText.h"

extern template class kx::detail::FlowExporter<KXTextWriter, KXTextRunText, false>;

class KXTextPDFExporter : public kx::detail::FlowExporter<KXTextWriter, KXTextRunText, false> {
public:
    // The document writer of the conversion in progress.
    KXTextWriter* pdfWriter() const { return writer(); }
};
