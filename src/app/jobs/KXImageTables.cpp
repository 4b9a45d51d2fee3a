#include "app/jobs/KXImageTables.h"

#include <algorithm>
#include <cmath>

int KXImageTables::selectedSegmentFor_ImageDPI(std::int64_t dpi) {
    const std::int64_t clamped = std::clamp<std::int64_t>(dpi, KXDPITable.front(), KXDPITable.back());
    for (size_t i = 0; i < KXDPITable.size(); ++i)
        if (KXDPITable[i] == clamped) return static_cast<int>(i);
    return defaultDPISegment;
}

int KXImageTables::selectedSegmentFor_ImageQuality(double quality) {
    // NaN has no place in the range: it shows the default.
    if (std::isnan(quality)) return defaultQualitySegment;
    const double clamped = std::clamp(quality, 0.1, 1.0);
    const double tolerance = double(0.05f);
    for (size_t i = 0; i < KXQualityTable.size(); ++i)
        if (std::fabs(KXQualityTable[i] - clamped) < tolerance) return static_cast<int>(i);
    return defaultQualitySegment;
}

std::int64_t KXImageTables::imageDPIForSegment(int segment) {
    if (segment < 0 || segment >= static_cast<int>(KXDPITable.size())) return KXDPITable[defaultDPISegment];
    return KXDPITable[static_cast<size_t>(segment)];
}

double KXImageTables::imageQualityForSegment(int segment) {
    if (segment < 0 || segment >= static_cast<int>(KXQualityTable.size())) return KXQualityTable[defaultQualitySegment];
    return KXQualityTable[static_cast<size_t>(segment)];
}
