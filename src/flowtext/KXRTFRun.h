#pragma once
// The run base of the RTF family: character properties and geometry; writes nothing itself.

#include "flowtext/FlowRun_p.h"
#include "flowtext/KXRTFFileWriter.h"

using KXRTFRun = kx::detail::FlowRun<KXRTFFileWriter>;
