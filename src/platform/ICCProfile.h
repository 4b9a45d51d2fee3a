#pragma once
// An ICC colour profile and its conversion to sRGB (lcms2). Profiles come from files as raw bytes;
// one that the colour engine cannot read, or whose colour model is not gray, RGB or CMYK, gives no
// transform and the caller falls back to its own conversion.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

namespace kx {

class ICCProfile {
public:
    enum class ColorModel { Gray, RGB, CMYK, Lab, Other };

    // nullptr when the data is not a readable profile. Equal bytes give the same profile object
    // (the profiles built last are kept).
    static std::shared_ptr<const ICCProfile> fromData(std::string_view data);
    ~ICCProfile();
    ICCProfile(const ICCProfile&) = delete;
    ICCProfile& operator=(const ICCProfile&) = delete;

    ColorModel model() const { return model_; }
    // Channels of the profile's colour space.
    int components() const { return components_; }
    // True when colours of this profile can be converted (gray, RGB and CMYK profiles).
    bool canConvert() const { return transform_ != nullptr; }

    // One colour: components() values from 0 to 1 (inks for CMYK) to sRGB values from 0 to 1.
    bool toSRGB(const double* components, double rgb[3]) const;
    // Pixels: components() bytes per pixel, interleaved, to three bytes of sRGB per pixel.
    bool toSRGB8(const std::uint8_t* in, std::uint8_t* outRGB, size_t pixelCount) const;

private:
    ICCProfile() = default;
    static std::shared_ptr<const ICCProfile> build(std::string_view data);
    void* profile_ = nullptr;
    // Single colours: doubles from 0 to 1 for a matrix/curve profile, else 16-bit values.
    void* transform_ = nullptr;
    bool takesDoubles_ = false;
    // The pixel transform is made on the first image that needs it: building a transform is the
    // costly part of a profile, and a conversion that decodes no image never uses it.
    mutable std::once_flag transform8Made_;
    mutable void* transform8_ = nullptr;
    std::uint32_t format8_ = 0;
    ColorModel model_ = ColorModel::Other;
    int components_ = 0;
    // Tells profiles apart for the cache of the last colour (an address can be reused).
    std::uint64_t serial_ = nextSerial();
    static std::uint64_t nextSerial();
    void convert(const double in[4], double rgb[3]) const;
};

}  // namespace kx
