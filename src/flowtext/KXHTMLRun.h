#pragma once
// The run base of the HTML family: character properties and geometry; writes nothing itself.

#include "flowtext/FlowRun_p.h"
#include "flowtext/KXHTMLFileWriter.h"

using KXHTMLRun = kx::detail::FlowRun<KXHTMLFileWriter>;
