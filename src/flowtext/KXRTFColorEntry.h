#pragma once
// One colour of an RTF document's colour table; channels 0 to 1.

#include <string>

class KXRTFColorEntry {
public:
    KXRTFColorEntry() = default;
    KXRTFColorEntry(double r, double g, double b, double a) : red(r), green(g), blue(b), alpha(a) {}

    // Red, green and blue exactly equal; alpha plays no part. Null is never equal.
    bool isEqualToColor(const KXRTFColorEntry* other) const;
    // "\redR\greenG\blueB;" in 0..255. A near-white colour (every channel above 0.9) is written as
    // mid grey, so that text meant for a dark background stays readable on white paper.
    std::string rtfFormat() const;

    double red = 0, green = 0, blue = 0, alpha = 1.0;
};
