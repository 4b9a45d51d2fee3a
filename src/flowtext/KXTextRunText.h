#pragma once
// A text run of the plain-text output: the text as it was shown, without control characters.

#include "flowtext/FlowRun_p.h"
#include "flowtext/KXTextFileWriter.h"
#include "flowtext/KXTextRun.h"

class KXTextRunText final : public kx::detail::FlowRunText<KXTextFileWriter> {
public:
    void writeWithXMLWriter(KXTextFileWriter& writer) override;
};
