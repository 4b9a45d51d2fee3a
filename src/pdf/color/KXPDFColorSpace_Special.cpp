// The families whose components do not stand for colour directly.

#include "pdf/color/KXPDFColorSpace.h"
#include "pdf/color/KXPDFDeviceNColorSpace.h"
#include "pdf/color/KXPDFIndexedColorSpace.h"
#include "pdf/color/KXPDFPatternColorSpace.h"
#include "pdf/color/KXPDFSeparationColorSpace.h"

std::shared_ptr<KXPDFColorSpace> KXPDFColorSpace::newSpecialColorSpace(int mode) {
    switch (mode) {
        case ModeIndexed: return std::make_shared<KXPDFIndexedColorSpace>();
        case ModeSeparation: return std::make_shared<KXPDFSeparationColorSpace>();
        case ModeDeviceN: return std::make_shared<KXPDFDeviceNColorSpace>();
        case ModePattern: return std::make_shared<KXPDFPatternColorSpace>();
        default: return nullptr;
    }
}
