#pragma once
// The HTML exporter: the text of every page in reading order, written through a KXHTMLDocuvane.

#include "flowtext/FlowExporter_p.h"
#include "flowtext/KXHTMLDocuvane.h"
#include "flowtext/KXHTMLRunText.h"

extern template class kx::detail::FlowExporter<KXHTMLDocuvane, KXHTMLRunText, true>;

class KXHTMLPDFExporter : public kx::detail::FlowExporter<KXHTMLDocuvane, KXHTMLRunText, true> {
public:
    // The document writer of the conversion in progress.
    KXHTMLDocuvane* docuvane() const { return writer(); }
};
