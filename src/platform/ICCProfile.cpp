#include "platform/ICCProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace kx {

namespace {

// The shared sRGB output profile; lcms2 profiles are read-only once built.
cmsHPROFILE srgbProfile() {
    static cmsHPROFILE profile = cmsCreate_sRGBProfile();
    return profile;
}

}  // namespace

std::shared_ptr<const ICCProfile> ICCProfile::fromData(std::string_view data) {
    if (data.empty() || data.size() > static_cast<size_t>(std::numeric_limits<cmsUInt32Number>::max())) return nullptr;
    cmsHPROFILE p = cmsOpenProfileFromMem(data.data(), static_cast<cmsUInt32Number>(data.size()));
    if (!p) return nullptr;
    std::shared_ptr<ICCProfile> profile(new ICCProfile());
    profile->profile_ = p;
    cmsUInt32Number f16 = 0, f8 = 0;
    switch (cmsGetColorSpace(p)) {
        case cmsSigGrayData:
            profile->model_ = ColorModel::Gray;
            f16 = TYPE_GRAY_16;
            f8 = TYPE_GRAY_8;
            break;
        case cmsSigRgbData:
            profile->model_ = ColorModel::RGB;
            f16 = TYPE_RGB_16;
            f8 = TYPE_RGB_8;
            break;
        case cmsSigCmykData:
            profile->model_ = ColorModel::CMYK;
            f16 = TYPE_CMYK_16;
            f8 = TYPE_CMYK_8;
            break;
        case cmsSigLabData: profile->model_ = ColorModel::Lab; break;
        default: profile->model_ = ColorModel::Other; break;
    }
    profile->components_ = static_cast<int>(cmsChannelsOf(cmsGetColorSpace(p)));
    if (f16) {
        // No cache: a transform may then be used from more than one thread.
        const cmsUInt32Number flags = cmsFLAGS_NOCACHE;
        profile->transform16_ = cmsCreateTransform(p, f16, srgbProfile(), TYPE_RGB_16, INTENT_PERCEPTUAL, flags);
        if (profile->transform16_)
            profile->transform8_ = cmsCreateTransform(p, f8, srgbProfile(), TYPE_RGB_8, INTENT_PERCEPTUAL, flags);
    }
    return profile;
}

ICCProfile::~ICCProfile() {
    if (transform8_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform8_));
    if (transform16_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform16_));
    if (profile_) cmsCloseProfile(static_cast<cmsHPROFILE>(profile_));
}

bool ICCProfile::toSRGB(const double* components, double rgb[3]) const {
    if (!transform16_ || components_ < 1 || components_ > 4) return false;
    cmsUInt16Number in[4] = {0, 0, 0, 0};
    for (int i = 0; i < components_; ++i) {
        double v = components[i];
        v = std::isnan(v) ? 0 : std::clamp(v, 0.0, 1.0);
        in[i] = static_cast<cmsUInt16Number>(std::lround(v * 65535));
    }
    cmsUInt16Number out[3] = {0, 0, 0};
    cmsDoTransform(static_cast<cmsHTRANSFORM>(transform16_), in, out, 1);
    for (int i = 0; i < 3; ++i) rgb[i] = out[i] / 65535.0;
    return true;
}

bool ICCProfile::toSRGB8(const std::uint8_t* in, std::uint8_t* outRGB, size_t pixelCount) const {
    if (!transform8_) return false;
    // lcms2 counts pixels in 32 bits; large images go in slices.
    constexpr size_t kSlice = size_t(1) << 24;
    while (pixelCount > 0) {
        size_t n = std::min(pixelCount, kSlice);
        cmsDoTransform(static_cast<cmsHTRANSFORM>(transform8_), in, outRGB, static_cast<cmsUInt32Number>(n));
        in += n * static_cast<size_t>(components_);
        outRGB += n * 3;
        pixelCount -= n;
    }
    return true;
}

}  // namespace kx
