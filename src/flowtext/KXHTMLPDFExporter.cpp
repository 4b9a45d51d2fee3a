#include "flowtext/KXHTMLPDFExporter.h"

template class kx::detail::FlowExporter<KXHTMLDocuvane, KXHTMLRunText, true>;
