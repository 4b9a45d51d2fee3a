#include "pdf/color/KXPDFColorSpace.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "pdf/color/KXPDFCalGrayColorSpace.h"
#include "pdf/color/KXPDFCalRGBColorSpace.h"
#include "pdf/color/KXPDFDeviceCMYKColorSpace.h"
#include "pdf/color/KXPDFDeviceGrayColorSpace.h"
#include "pdf/color/KXPDFDeviceRGBColorSpace.h"
#include "pdf/color/KXPDFICCBasedColorSpace.h"
#include "pdf/color/KXPDFLabColorSpace.h"
#include "util/NestingGuard.h"
#include "platform/Numeric.h"

namespace {

const char* const kModeNames[] = {"unknown", "DeviceGray", "CalGray",  "DeviceRGB",  "CalRGB",  "DeviceCMYK",
                                  "Lab",     "ICCBased",   "Indexed",  "Separation", "DeviceN", "Pattern"};

// Families by the names a colour-space array (or the abbreviated inline forms) may use.
int modeForArrayFamily(std::string_view n) {
    if (n == "DeviceGray" || n == "G") return KXPDFColorSpace::ModeDeviceGray;
    if (n == "DeviceRGB" || n == "RGB") return KXPDFColorSpace::ModeDeviceRGB;
    if (n == "DeviceCMYK" || n == "CMYK") return KXPDFColorSpace::ModeDeviceCMYK;
    if (n == "CalGray") return KXPDFColorSpace::ModeCalGray;
    if (n == "CalRGB") return KXPDFColorSpace::ModeCalRGB;
    if (n == "Lab") return KXPDFColorSpace::ModeLab;
    if (n == "ICCBased") return KXPDFColorSpace::ModeICCBased;
    if (n == "Indexed" || n == "I") return KXPDFColorSpace::ModeIndexed;
    if (n == "Separation") return KXPDFColorSpace::ModeSeparation;
    if (n == "DeviceN") return KXPDFColorSpace::ModeDeviceN;
    if (n == "Pattern") return KXPDFColorSpace::ModePattern;
    return KXPDFColorSpace::ModeUnknown;
}

int modeForDeviceName(std::string_view n) {
    int mode = modeForArrayFamily(n);
    return mode == KXPDFColorSpace::ModeDeviceGray || mode == KXPDFColorSpace::ModeDeviceRGB ||
                   mode == KXPDFColorSpace::ModeDeviceCMYK
               ? mode
               : KXPDFColorSpace::ModeUnknown;
}

// Nested spaces (an Indexed base, an alternate, the space under a pattern) come back through the
// factory. A file can make such a chain as deep as it likes, or make an array its own base through
// an indirect reference; the chain is cut at a fixed depth and at any array already being built.
constexpr size_t kMaxNesting = 16;
thread_local std::vector<std::uintptr_t> tInProgress;

}  // namespace

bool KXPDFColorSpace::parse(const kx::PDFObject&) { return true; }

std::string KXPDFColorSpace::getModeName() const { return colorSpaceModeName(getMode()).value_or(""); }

KXPDFColor KXPDFColorSpace::getDefaultColor() const { return KXPDFColor{}; }

std::int16_t KXPDFColorSpace::getGray(const KXPDFColor&) const { return 0; }

KXPDFRGB KXPDFColorSpace::getRGB(const KXPDFColor&) const { return {}; }

KXPDFCMYK KXPDFColorSpace::getCMYK(const KXPDFColor&) const { return {}; }

KXPDFColor KXPDFColorSpace::getDeviceN(const KXPDFColor&) const { return KXPDFColor{}; }

kx::ColorSpaceRef KXPDFColorSpace::CGColorSpace() const { return kx::ColorSpace::deviceRGB(); }

std::optional<std::string> KXPDFColorSpace::colorSpaceModeName(int mode) {
    if (mode < 0 || mode >= getNumColorSpaceModes()) return std::nullopt;
    return std::string(kModeNames[mode]);
}

KXPDFColor KXPDFColorSpace::defaultPDFColor() {
    KXPDFColor c;
    c.isNull = 1;
    return c;
}

std::int16_t KXPDFColorSpace::clip255(double value) {
    double t = std::trunc(value);
    if (!(t > 0)) return 0;  // negative and NaN
    if (t > 255) return 255;
    return static_cast<std::int16_t>(t);
}

std::shared_ptr<KXPDFColorSpace> KXPDFColorSpace::DefaultDeviceRGBColorSpace() {
    return std::make_shared<KXPDFDeviceRGBColorSpace>();
}

std::shared_ptr<KXPDFColorSpace> KXPDFColorSpace::newColorSpaceOfMode(int mode) {
    switch (mode) {
        case ModeDeviceGray: return std::make_shared<KXPDFDeviceGrayColorSpace>();
        case ModeCalGray: return std::make_shared<KXPDFCalGrayColorSpace>();
        case ModeDeviceRGB: return std::make_shared<KXPDFDeviceRGBColorSpace>();
        case ModeCalRGB: return std::make_shared<KXPDFCalRGBColorSpace>();
        case ModeDeviceCMYK: return std::make_shared<KXPDFDeviceCMYKColorSpace>();
        case ModeLab: return std::make_shared<KXPDFLabColorSpace>();
        case ModeICCBased: return std::make_shared<KXPDFICCBasedColorSpace>();
        case ModeIndexed:
        case ModeSeparation:
        case ModeDeviceN:
        case ModePattern: return newSpecialColorSpace(mode);
        default: return nullptr;
    }
}

std::shared_ptr<KXPDFColorSpace> KXPDFColorSpace::ColorSpaceWithName(std::string_view name,
                                                                     std::optional<std::string> objectKey) {
    // A bare name is only initialised, never parsed.
    int mode = name == "Pattern" ? ModePattern : modeForDeviceName(name);
    std::shared_ptr<KXPDFColorSpace> space = mode != ModeUnknown ? newColorSpaceOfMode(mode) : nullptr;
    if (space) space->setObjectKey(objectKey ? std::move(*objectKey) : std::string("unknown"));
    return space;
}

std::shared_ptr<KXPDFColorSpace> KXPDFColorSpace::ColorSpaceWithObject(const kx::PDFObject& object,
                                                                       std::optional<std::string> objectKey) {
    std::shared_ptr<KXPDFColorSpace> space;
    switch (object.type()) {
        case kx::PDFObjectType::Name: return ColorSpaceWithName(object.name(), std::move(objectKey));
        case kx::PDFObjectType::Dictionary:
        case kx::PDFObjectType::Stream: {
            kx::PDFObject n = object.dictGet("ColorSpace");
            if (n.isName()) {
                int mode = modeForDeviceName(n.name());
                if (mode != ModeUnknown) space = newColorSpaceOfMode(mode);
            }
            break;
        }
        case kx::PDFObjectType::Array: {
            kx::PDFObject family = object.arrayAt(0);
            if (!family.isName()) break;
            int mode = modeForArrayFamily(family.name());
            if (mode == ModeUnknown) break;
            kx::NestingGuard guard(tInProgress, object.identity(), kMaxNesting);
            if (!guard.ok()) break;
            space = newColorSpaceOfMode(mode);
            // A space whose array is malformed is kept with the values its initialiser gave it.
            if (space) space->parse(object);
            break;
        }
        default: break;
    }
    if (space) space->setObjectKey(objectKey ? std::move(*objectKey) : std::string("unknown"));
    return space;
}
