// The families whose components do not stand for colour directly.

#include "pdf/KXPDFColorSpace.h"
#include "pdf/KXPDFDeviceNColorSpace.h"
#include "pdf/KXPDFIndexedColorSpace.h"
#include "pdf/KXPDFPatternColorSpace.h"
#include "pdf/KXPDFSeparationColorSpace.h"

std::shared_ptr<KXPDFColorSpace> KXPDFColorSpace::newSpecialColorSpace(int mode) {
    switch (mode) {
        case ModeIndexed: return std::make_shared<KXPDFIndexedColorSpace>();
        case ModeSeparation: return std::make_shared<KXPDFSeparationColorSpace>();
        case ModeDeviceN: return std::make_shared<KXPDFDeviceNColorSpace>();
        case ModePattern: return std::make_shared<KXPDFPatternColorSpace>();
        default: return nullptr;
    }
}
