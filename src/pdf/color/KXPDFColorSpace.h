#pragma once
// The colour-space model: a space gives the components of a KXPDFColor their meaning and converts
// them to gray, RGB, CMYK or DeviceN inks. Spaces are immutable once parsed and shared between the
// collection, the render states and whatever nests them.
//
// The factory knows the families by name and dispatches to the subclass of each family: the device
// and CIE-based spaces live beside this file, and the Indexed, Separation, DeviceN and Pattern spaces
// are made by newSpecialColorSpace (KXPDFColorSpace_Special.cpp).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/color/KXPDFColor.h"
#include "platform/ColorSpace.h"
#include "platform/pdf/PDFObject.h"

class KXPDFColorSpace {
public:
    // Mode numbers (getMode) of the twelve families.
    enum Mode : int {
        ModeUnknown = 0,
        ModeDeviceGray = 1,
        ModeCalGray = 2,
        ModeDeviceRGB = 3,
        ModeCalRGB = 4,
        ModeDeviceCMYK = 5,
        ModeLab = 6,
        ModeICCBased = 7,
        ModeIndexed = 8,
        ModeSeparation = 9,
        ModeDeviceN = 10,
        ModePattern = 11,
    };

    KXPDFColorSpace() = default;
    virtual ~KXPDFColorSpace() = default;
    KXPDFColorSpace(const KXPDFColorSpace&) = default;
    KXPDFColorSpace& operator=(const KXPDFColorSpace&) = default;

    // Reads the whole colour-space array; false at the first step that fails (the values read so far
    // stay). The base accepts anything.
    virtual bool parse(const kx::PDFObject& object);

    std::string getModeName() const;
    virtual int getMode() const { return ModeUnknown; }
    virtual int getNComps() const { return 0; }
    // The initial colour of the space (components the space does not set are 0).
    virtual KXPDFColor getDefaultColor() const;
    virtual std::int16_t getGray(const KXPDFColor& color) const;
    virtual KXPDFRGB getRGB(const KXPDFColor& color) const;
    virtual KXPDFCMYK getCMYK(const KXPDFColor& color) const;
    // 32 ink amounts, the first four cyan, magenta, yellow and black.
    virtual KXPDFColor getDeviceN(const KXPDFColor& color) const;
    // The platform colour space of this space (device RGB in the base).
    virtual kx::ColorSpaceRef CGColorSpace() const;

    const std::string& objectKey() const { return objectKey_; }
    void setObjectKey(std::string key) { objectKey_ = std::move(key); }
    std::uint32_t overprintMask() const { return overprintMask_; }
    void setOverprintMask(std::uint32_t mask) { overprintMask_ = mask; }
    // Component indices for the DeviceN output of Separation and DeviceN spaces; empty when unset.
    const std::vector<std::int64_t>& mapping() const { return mapping_; }
    void setMapping(std::vector<std::int64_t> mapping) { mapping_ = std::move(mapping); }

    // The factory: a space from a name, a dictionary with a ColorSpace name, or a colour-space array;
    // nullptr for anything else. The key becomes objectKey ("unknown" when none is given). Nested
    // spaces call it again; the recursion is bounded and a space that contains itself gives nullptr.
    static std::shared_ptr<KXPDFColorSpace> ColorSpaceWithObject(const kx::PDFObject& object,
                                                                 std::optional<std::string> objectKey);
    static std::shared_ptr<KXPDFColorSpace> ColorSpaceWithObject(const kx::PDFObject& object) {
        return ColorSpaceWithObject(object, std::nullopt);
    }
    // The factory's rule for a bare name: the device families (and their abbreviations), and Pattern
    // without an underlying space; nullptr for other names.
    static std::shared_ptr<KXPDFColorSpace> ColorSpaceWithName(std::string_view name,
                                                               std::optional<std::string> objectKey);
    static std::shared_ptr<KXPDFColorSpace> DefaultDeviceRGBColorSpace();
    // Mode number to name; nullopt outside 0 to 11.
    static std::optional<std::string> colorSpaceModeName(int mode);
    static int getNumColorSpaceModes() { return 12; }
    // isNull 1, length 0, all components 0.
    static KXPDFColor defaultPDFColor();

    // A fresh, unparsed space of a family (device and CIE-based ones here, the others through
    // newSpecialColorSpace); nullptr for mode 0 or an unknown mode.
    static std::shared_ptr<KXPDFColorSpace> newColorSpaceOfMode(int mode);
    // Indexed, Separation, DeviceN and Pattern spaces.
    static std::shared_ptr<KXPDFColorSpace> newSpecialColorSpace(int mode);

    // The 0-to-255 clip of the conversions; a real value is truncated toward zero first.
    static std::int16_t clip255(double value);

private:
    std::string objectKey_ = "init";
    std::uint32_t overprintMask_ = 0;
    std::vector<std::int64_t> mapping_;
};
