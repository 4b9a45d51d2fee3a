#include "pdf/color/KXPDFICCBasedColorSpace.h"

#include <algorithm>

#include "pdf/color/KXPDFDeviceCMYKColorSpace.h"
#include "pdf/color/KXPDFDeviceGrayColorSpace.h"
#include "pdf/color/KXPDFDeviceRGBColorSpace.h"
#include "util/PDFObjectValues.h"
#include "platform/ICCProfile.h"
#include "platform/Numeric.h"

namespace {

constexpr std::int64_t kMaxComponents = 32;

// The profile of the stream; the platform keeps built profiles by their bytes, so the forms and
// pages that read the same profile again share one.
std::shared_ptr<const kx::ICCProfile> loadProfile(const kx::PDFObject& stream) {
    kx::PDFDataFormat format = kx::PDFDataFormat::Raw;
    if (auto data = stream.streamData(format); data && format == kx::PDFDataFormat::Raw)
        return kx::ICCProfile::fromData(*data);
    return nullptr;
}

}  // namespace

bool KXPDFICCBasedColorSpace::parse(const kx::PDFObject& object) {
    if (!object.arrayAt(0).isName("ICCBased")) return false;
    kx::PDFObject stream = object.arrayAt(1);
    if (!stream.isStream()) return false;
    iccProfileStream_ = stream;
    kx::PDFObject dict = stream.streamDictionary();
    std::int64_t n = 0;
    if (!dict.dictGet("N").getInteger(n)) return false;
    nComps_ = std::clamp<std::int64_t>(n, 0, kMaxComponents);

    kx::PDFObject alternate = dict.dictGet("Alternate");
    if (!alternate.isNull()) alt_ = ColorSpaceWithObject(alternate, std::string("KXPDFICCBasedColorSpace"));
    if (!alt_) {
        switch (n) {
            case 1: alt_ = std::make_shared<KXPDFDeviceGrayColorSpace>(); break;
            case 3: alt_ = std::make_shared<KXPDFDeviceRGBColorSpace>(); break;
            case 4: alt_ = std::make_shared<KXPDFDeviceCMYKColorSpace>(); break;
            default: return false;
        }
    }

    rangeMin_.assign(static_cast<size_t>(nComps_), 0.0);
    rangeMax_.assign(static_cast<size_t>(nComps_), 1.0);
    kx::PDFObject range = dict.dictGet("Range");
    if (nComps_ >= 1 && range.isArray() && range.arrayCount() == static_cast<size_t>(2 * nComps_)) {
        for (size_t i = 0; i < static_cast<size_t>(nComps_); ++i) {
            kx::pdfNumberInArray(range, 2 * i, rangeMin_[i]);
            kx::pdfNumberInArray(range, 2 * i + 1, rangeMax_[i]);
        }
    }

    auto profile = loadProfile(stream);
    if (profile && profile->canConvert() && profile->components() == nComps_) profile_ = std::move(profile);
    return true;
}

KXPDFColor KXPDFICCBasedColorSpace::getDefaultColor() const {
    KXPDFColor c;
    for (size_t i = 0; i < static_cast<size_t>(nComps_) && i < rangeMin_.size(); ++i) {
        if (rangeMin_[i] > 0)
            c.c[i] = kx::toInt<std::int16_t>(rangeMin_[i] * 255);
        else if (rangeMax_[i] < 0)
            c.c[i] = kx::toInt<std::int16_t>(rangeMax_[i] * 255);
    }
    return c;
}

bool KXPDFICCBasedColorSpace::profileRGB(const KXPDFColor& color, KXPDFRGB& out) const {
    if (!profile_) return false;
    double in[4] = {0, 0, 0, 0};
    for (int i = 0; i < profile_->components() && i < 4; ++i) in[i] = color.c[static_cast<size_t>(i)] / 255.0;
    double rgb[3];
    if (!profile_->toSRGB(in, rgb)) return false;
    out = {clip255(kx::roundToInt<int>(rgb[0] * 255)), clip255(kx::roundToInt<int>(rgb[1] * 255)),
           clip255(kx::roundToInt<int>(rgb[2] * 255))};
    return true;
}

KXPDFRGB KXPDFICCBasedColorSpace::getRGB(const KXPDFColor& color) const {
    KXPDFRGB rgb;
    if (profileRGB(color, rgb)) return rgb;
    return alt_ ? alt_->getRGB(color) : KXPDFRGB{};
}

std::int16_t KXPDFICCBasedColorSpace::getGray(const KXPDFColor& color) const {
    KXPDFRGB rgb;
    if (profileRGB(color, rgb)) return clip255(0.3 * rgb.r + 0.59 * rgb.g + 0.11 * rgb.b + 0.5);
    return alt_ ? alt_->getGray(color) : 0;
}

KXPDFCMYK KXPDFICCBasedColorSpace::getCMYK(const KXPDFColor& color) const {
    // CMYK components are inks already; other profiles go through their RGB.
    KXPDFRGB rgb;
    if (nComps_ != 4 && profileRGB(color, rgb)) return KXPDFDeviceRGBColorSpace::rgbToCMYK(rgb.r, rgb.g, rgb.b);
    return alt_ ? alt_->getCMYK(color) : KXPDFCMYK{};
}

kx::ColorSpaceRef KXPDFICCBasedColorSpace::CGColorSpace() const {
    kx::ColorSpaceRef alternate = alt_ ? alt_->CGColorSpace() : nullptr;
    kx::PDFDataFormat format = kx::PDFDataFormat::Raw;
    std::optional<std::string> data = iccProfileStream_.streamData(format);
    if (data && format == kx::PDFDataFormat::Raw && nComps_ >= 1) {
        std::vector<double> range;
        for (size_t i = 0; i < static_cast<size_t>(nComps_); ++i) {
            range.push_back(rangeMin_[i]);
            range.push_back(rangeMax_[i]);
        }
        if (auto space = kx::ColorSpace::iccBased(static_cast<int>(nComps_), range.data(), std::move(*data), alternate))
            return space;
    }
    return alternate ? alternate : kx::ColorSpace::deviceRGB();
}

KXPDFColor KXPDFICCBasedColorSpace::getDeviceN(const KXPDFColor& color) const {
    return KXPDFDeviceRGBColorSpace::deviceNFromCMYK(getCMYK(color));
}
