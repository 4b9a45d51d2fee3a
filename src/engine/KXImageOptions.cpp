#include "engine/KXImageOptions.h"

#include <algorithm>

KXImageOptions::KXImageOptions() {
    setDpi(144);
    // The default is the single-precision 0.92, as the quality has always been stored.
    setQuality(static_cast<double>(0.92f));
    setImageName("IMG");
}

void KXImageOptions::setDpi(std::int64_t dpi) { dpi_ = std::clamp<std::int64_t>(dpi, 12, 2400); }

void KXImageOptions::setQuality(double quality) {
    // Written as comparisons so that NaN ends as 1.0 rather than passing through.
    double capped = quality < 1.0 ? quality : 1.0;
    quality_ = capped > 0.1 ? capped : 0.1;
}
