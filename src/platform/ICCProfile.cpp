#include "platform/ICCProfile.h"

#include <atomic>

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

namespace kx {

namespace {

// The shared sRGB output profile; lcms2 profiles are read-only once built.
cmsHPROFILE srgbProfile() {
    static cmsHPROFILE profile = cmsCreate_sRGBProfile();
    return profile;
}

// Building the colour engine's transforms of a profile takes milliseconds, far more than
// converting a page's colours or an image with them, and documents carry the same profile in many
// objects (every figure its own copy of sRGB) that every form and image reads again. Profiles are
// read-only once built, so the ones last built are kept by their bytes and shared by every reader:
// the interpreter's colour spaces and the image colour spaces alike, of any document.
class ProfileCache {
public:
    static ProfileCache& shared() {
        static ProfileCache cache;
        return cache;
    }

    std::shared_ptr<const ICCProfile> find(std::string_view data) {
        const size_t hash = std::hash<std::string_view>{}(data);
        std::lock_guard lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->hash != hash || it->bytes != data) continue;
            // Most recently used last.
            std::rotate(it, it + 1, entries_.end());
            return entries_.back().profile;
        }
        return nullptr;
    }

    void store(std::string_view data, std::shared_ptr<const ICCProfile> profile) {
        if (data.size() > kMaxProfileBytes) return;
        std::lock_guard lock(mutex_);
        if (entries_.size() >= kMaxEntries) entries_.erase(entries_.begin());
        entries_.push_back({std::hash<std::string_view>{}(data), std::string(data), std::move(profile)});
    }

private:
    static constexpr size_t kMaxEntries = 32;
    static constexpr size_t kMaxProfileBytes = 4 << 20;
    struct Entry {
        size_t hash;
        std::string bytes;
        std::shared_ptr<const ICCProfile> profile;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

}  // namespace

std::shared_ptr<const ICCProfile> ICCProfile::fromData(std::string_view data) {
    if (data.empty() || data.size() > static_cast<size_t>(std::numeric_limits<cmsUInt32Number>::max())) return nullptr;
    if (auto kept = ProfileCache::shared().find(data)) return kept;
    auto profile = build(data);
    if (profile) ProfileCache::shared().store(data, profile);
    return profile;
}

std::shared_ptr<const ICCProfile> ICCProfile::build(std::string_view data) {
    cmsHPROFILE p = cmsOpenProfileFromMem(data.data(), static_cast<cmsUInt32Number>(data.size()));
    if (!p) return nullptr;
    std::shared_ptr<ICCProfile> profile(new ICCProfile());
    profile->profile_ = p;
    cmsUInt32Number f16 = 0, fDouble = 0, f8 = 0;
    switch (cmsGetColorSpace(p)) {
        case cmsSigGrayData:
            profile->model_ = ColorModel::Gray;
            f16 = TYPE_GRAY_16;
            fDouble = TYPE_GRAY_DBL;
            f8 = TYPE_GRAY_8;
            break;
        case cmsSigRgbData:
            profile->model_ = ColorModel::RGB;
            f16 = TYPE_RGB_16;
            fDouble = TYPE_RGB_DBL;
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
    // No cache: a transform may then be used from more than one thread.
    if (fDouble && cmsIsMatrixShaper(p)) {
        // A gray or RGB profile made of tone curves and a matrix converts single colours through
        // its own stages as they stand. Optimising the transform samples the whole chain into a
        // table of tens of thousands of points: milliseconds per profile, a tenth of a text
        // conversion, for the same colours to eight bits.
        profile->transform_ = cmsCreateTransform(p, fDouble, srgbProfile(), TYPE_RGB_DBL, INTENT_PERCEPTUAL,
                                                 cmsFLAGS_NOCACHE | cmsFLAGS_NOOPTIMIZE);
        profile->takesDoubles_ = profile->transform_ != nullptr;
    } else if (f16) {
        profile->transform_ = cmsCreateTransform(p, f16, srgbProfile(), TYPE_RGB_16, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    }
    if (profile->transform_) profile->format8_ = f8;
    return profile;
}

ICCProfile::~ICCProfile() {
    if (transform8_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform8_));
    if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
    if (profile_) cmsCloseProfile(static_cast<cmsHPROFILE>(profile_));
}

std::uint64_t ICCProfile::nextSerial() {
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1);
}

bool ICCProfile::toSRGB(const double* components, double rgb[3]) const {
    if (!transform_ || components_ < 1 || components_ > 4) return false;
    double in[4] = {0, 0, 0, 0};
    for (int i = 0; i < components_; ++i) {
        double v = components[i];
        in[i] = std::isnan(v) ? 0 : std::clamp(v, 0.0, 1.0);
    }
    // A page sets the same colour again and again: the last answer of this thread is kept.
    struct Last {
        const ICCProfile* profile = nullptr;
        std::uint64_t serial = 0;
        double in[4] = {0, 0, 0, 0};
        double rgb[3] = {0, 0, 0};
    };
    thread_local Last last;
    if (last.profile == this && last.serial == serial_ && std::equal(in, in + 4, last.in)) {
        std::copy(last.rgb, last.rgb + 3, rgb);
        return true;
    }
    convert(in, rgb);
    last.profile = this;
    last.serial = serial_;
    std::copy(in, in + 4, last.in);
    std::copy(rgb, rgb + 3, last.rgb);
    return true;
}

void ICCProfile::convert(const double in[4], double rgb[3]) const {
    if (takesDoubles_) {
        double out[3] = {0, 0, 0};
        cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), in, out, 1);
        for (int i = 0; i < 3; ++i) rgb[i] = std::isnan(out[i]) ? 0 : std::clamp(out[i], 0.0, 1.0);
        return;
    }
    cmsUInt16Number in16[4] = {0, 0, 0, 0};
    for (int i = 0; i < components_; ++i) in16[i] = static_cast<cmsUInt16Number>(std::lround(in[i] * 65535));
    cmsUInt16Number out[3] = {0, 0, 0};
    cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), in16, out, 1);
    for (int i = 0; i < 3; ++i) rgb[i] = out[i] / 65535.0;
}

bool ICCProfile::toSRGB8(const std::uint8_t* in, std::uint8_t* outRGB, size_t pixelCount) const {
    std::call_once(transform8Made_, [this] {
        if (format8_)
            transform8_ = cmsCreateTransform(static_cast<cmsHPROFILE>(profile_), format8_, srgbProfile(), TYPE_RGB_8,
                                             INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    });
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
