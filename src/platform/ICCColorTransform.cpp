#include "platform/ICCColorTransform_p.h"

namespace kx::detail {

// Until the shared lcms2 wrapper is in, no profile is usable and ICC-based spaces fall back to
// their alternate.
std::unique_ptr<ICCColorTransform> ICCColorTransform::make(const std::string&, int) { return nullptr; }

int ICCColorTransform::profileComponents(const std::string&) { return 0; }

bool ICCColorTransform::convert(const float*, size_t, const double*, std::uint8_t*, RenderingIntent) const {
    return false;
}

}  // namespace kx::detail
