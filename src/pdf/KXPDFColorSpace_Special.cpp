// Placeholder for the Indexed, Separation, DeviceN and Pattern spaces until their classes exist: a
// space that reports its family's mode and component count and converts every colour to black.
// The classes of those families replace this file.

#include "pdf/KXPDFColorSpace.h"

namespace {

class PlaceholderColorSpace : public KXPDFColorSpace {
public:
    explicit PlaceholderColorSpace(int mode) : mode_(mode) {}
    int getMode() const override { return mode_; }
    int getNComps() const override { return mode_ == ModePattern ? 0 : 1; }

private:
    int mode_;
};

}  // namespace

std::shared_ptr<KXPDFColorSpace> KXPDFColorSpace::newSpecialColorSpace(int mode) {
    switch (mode) {
        case ModeIndexed:
        case ModeSeparation:
        case ModeDeviceN:
        case ModePattern: return std::make_shared<PlaceholderColorSpace>(mode);
        default: return nullptr;
    }
}
