#pragma once
// The run base of the plain-text family: character properties and geometry; writes nothing itself.

#include "flowtext/FlowRun_p.h"
#include "flowtext/KXTextFileWriter.h"

using KXTextRun = kx::detail::FlowRun<KXTextFileWriter>;
