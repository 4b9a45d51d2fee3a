#include "flowtext/FlowText.h"
