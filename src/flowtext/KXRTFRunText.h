#pragma once
// A text run of the RTF output: the font and colour control words that change, then the escaped
// text.

#include "flowtext/FlowRun_p.h"
#include "flowtext/KXRTFFileWriter.h"
#include "flowtext/KXRTFRun.h"

class KXRTFRunText final : public kx::detail::FlowRunText<KXRTFFileWriter> {
public:
    void writeWithXMLWriter(KXRTFFileWriter& writer) override;
};
