#pragma once
// A public header of the folder that shares its private base.
#include "flowtext/FlowBase_p.h"

struct FlowText : FlowBase {};
