#pragma once
// A text run of the HTML output: a span of its CSS class (with bold and italic tags), then the
// escaped text.

#include "flowtext/FlowRun_p.h"
#include "flowtext/KXHTMLFileWriter.h"
#include "flowtext/KXHTMLRun.h"

class KXHTMLRunText final : public kx::detail::FlowRunText<KXHTMLFileWriter> {
public:
    void writeWithXMLWriter(KXHTMLFileWriter& writer) override;
};
