#pragma once
// Internal to the platform layer: the ICC conversion behind ICC-based image colour spaces (rows of
// component values to 8-bit sRGB through a profile).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ColorSpace.h"

namespace kx::detail {

class ICCColorTransform {
public:
    // A transform from the profile (for `components` channels) to sRGB; null when the profile cannot
    // be read or does not describe that many channels.
    static std::unique_ptr<ICCColorTransform> make(const std::string& profile, int components);
    // The channel count the profile declares (1, 3 or 4), or 0.
    static int profileComponents(const std::string& profile);

    // `ranges` holds a min, max pair per component; values are mapped from it to 0..1 first.
    bool convert(const float* components, size_t count, const double* ranges, std::uint8_t* rgb,
                 RenderingIntent intent) const;
    virtual ~ICCColorTransform() = default;
};

}  // namespace kx::detail
