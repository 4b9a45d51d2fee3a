#include "flowtext/KXRTFPDFExporter.h"

template class kx::detail::FlowExporter<KXRTFDocuvane, KXRTFRunText, true>;
