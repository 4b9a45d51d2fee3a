#include "pdf/color/KXPDFIndexedColorSpace.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "pdf/color/KXPDFICCBasedColorSpace.h"
#include "pdf/color/KXPDFLabColorSpace.h"
#include "platform/Numeric.h"

bool KXPDFIndexedColorSpace::parse(const kx::PDFObject& object) {
    if (!object.isArray() || object.arrayCount() != 4) return false;
    kx::PDFObject family = object.arrayAt(0);
    if (!family.isName("Indexed") && !family.isName("I")) return false;
    auto base = KXPDFColorSpace::ColorSpaceWithObject(object.arrayAt(1), std::string("KXPDFIndexedColorSpace"));
    if (!base) return false;
    base_ = std::move(base);

    std::int64_t high = -1;
    if (!object.arrayAt(2).getInteger(high) || high < 0 || high > 255) return false;
    indexHigh_ = high;

    kx::PDFObject table = object.arrayAt(3);
    std::string bytes;
    if (table.isString()) {
        bytes = table.stringBytes();
    } else if (table.isStream()) {
        std::optional<std::string> data = table.streamData();
        if (!data) return false;
        bytes = std::move(*data);
    } else {
        return false;
    }
    size_t needed = static_cast<size_t>(std::max(base_->getNComps(), 0)) * static_cast<size_t>(indexHigh_ + 1);
    if (bytes.size() < needed) return false;
    lookup_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(needed));
    return true;
}

KXPDFColor KXPDFIndexedColorSpace::mapColorKXPDFColor(const KXPDFColor& color) const {
    KXPDFColor out{};
    if (!base_) return out;
    const int n = std::clamp(base_->getNComps(), 0, 32);
    if (n == 0 || lookup_.empty()) return out;
    // An index outside 0 to indexHigh would read past the table: it is clamped to the table.
    std::int64_t index = kx::toInt<std::int64_t>(color.c[0] / 255.0 + 0.5);
    index = std::clamp<std::int64_t>(index, 0, indexHigh_);
    const std::uint8_t* entry = lookup_.data() + static_cast<size_t>(index) * static_cast<size_t>(n);

    // The bytes are on the 0-to-255 scale of device and calibrated bases. Lab and ICC-based bases
    // have ranges of their own, which the bytes span from minimum to maximum.
    const auto* lab = dynamic_cast<const KXPDFLabColorSpace*>(base_.get());
    const auto* icc = dynamic_cast<const KXPDFICCBasedColorSpace*>(base_.get());
    for (int i = 0; i < n; ++i) {
        double byte = entry[i];
        double value = byte;
        if (lab) {
            double lo = 0, hi = 100;
            if (i == 1) lo = lab->aMin(), hi = lab->aMax();
            if (i == 2) lo = lab->bMin(), hi = lab->bMax();
            value = (lo + byte / 255.0 * (hi - lo)) * 255.0;
        } else if (icc && static_cast<size_t>(i) < icc->rangeMin().size() && static_cast<size_t>(i) < icc->rangeMax().size()) {
            double lo = icc->rangeMin()[static_cast<size_t>(i)], hi = icc->rangeMax()[static_cast<size_t>(i)];
            value = (lo + byte / 255.0 * (hi - lo)) * 255.0;
        }
        out.c[static_cast<size_t>(i)] = kx::toInt<std::int16_t>(value);
    }
    out.length = n;
    return out;
}

std::int16_t KXPDFIndexedColorSpace::getGray(const KXPDFColor& color) const {
    return base_ ? base_->getGray(mapColorKXPDFColor(color)) : 0;
}

KXPDFRGB KXPDFIndexedColorSpace::getRGB(const KXPDFColor& color) const {
    return base_ ? base_->getRGB(mapColorKXPDFColor(color)) : KXPDFRGB{};
}

KXPDFCMYK KXPDFIndexedColorSpace::getCMYK(const KXPDFColor& color) const {
    return base_ ? base_->getCMYK(mapColorKXPDFColor(color)) : KXPDFCMYK{};
}

kx::ColorSpaceRef KXPDFIndexedColorSpace::CGColorSpace() const {
    if (!base_) return nullptr;
    return kx::ColorSpace::indexed(base_->CGColorSpace(), static_cast<int>(indexHigh_),
                                   std::string(lookup_.begin(), lookup_.end()));
}

KXPDFColor KXPDFIndexedColorSpace::getDeviceN(const KXPDFColor& color) const {
    return base_ ? base_->getDeviceN(mapColorKXPDFColor(color)) : KXPDFColor{};
}
