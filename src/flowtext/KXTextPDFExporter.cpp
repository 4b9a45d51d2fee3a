#include "flowtext/KXTextPDFExporter.h"

template class kx::detail::FlowExporter<KXTextWriter, KXTextRunText, false>;
