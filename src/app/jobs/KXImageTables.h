#pragma once
// The resolutions and qualities offered for page images, in the order of the segments that show
// them, and the rules that map a stored value to a segment and back. A value that is not in a table
// shows the default segment; choosing that segment then stores the default value.

#include <array>
#include <cstdint>

inline constexpr std::array<std::int64_t, 10> KXDPITable = {36, 48, 72, 96, 120, 144, 216, 300, 600, 1200};
// Held as the single-precision values widened (0.92 is 0.9200000166893005), as the stored float
// reads back.
inline constexpr std::array<double, 5> KXQualityTable = {double(0.3f), double(0.6f), double(0.83f), double(0.92f),
                                                         double(1.0f)};

class KXImageTables {
public:
    static constexpr int defaultDPISegment = 5;      // 144
    static constexpr int defaultQualitySegment = 3;  // 0.92

    // The value, clamped to 36..1200, when it is a table entry; else the default segment.
    static int selectedSegmentFor_ImageDPI(std::int64_t dpi);
    // The first entry within 0.05 of the value clamped to 0.1..1.0; else the default segment.
    static int selectedSegmentFor_ImageQuality(double quality);
    // The entry of a segment; the default entry for an index outside the table.
    static std::int64_t imageDPIForSegment(int segment);
    static double imageQualityForSegment(int segment);
};
