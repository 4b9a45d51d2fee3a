#pragma once
// The RTF exporter: the text of every page in reading order, written through a KXRTFDocuvane.

#include "flowtext/FlowExporter_p.h"
#include "flowtext/KXRTFDocuvane.h"
#include "flowtext/KXRTFRunText.h"

extern template class kx::detail::FlowExporter<KXRTFDocuvane, KXRTFRunText, true>;

class KXRTFPDFExporter : public kx::detail::FlowExporter<KXRTFDocuvane, KXRTFRunText, true> {
public:
    // The document writer of the conversion in progress.
    KXRTFDocuvane* docuvane() const { return writer(); }
};
