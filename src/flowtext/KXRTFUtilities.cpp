#include "flowtext/KXRTFUtilities.h"

KXRTF_State KXRTFUtilities::defaultStateProperty() {
    KXRTF_State s;
    s.fontSize = -1.0f;
    s.fontIndex = -1;
    s.foregroundColorIndex = -1;
    s.backgroundColorIndex = 0;
    return s;
}
