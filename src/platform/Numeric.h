#pragma once
// Float to integer conversion with a defined result for every input. Every float that becomes an
// integer goes through here: NaN gives the fallback, values beyond the target's range clamp to it.

#include <cmath>
#include <concepts>
#include <limits>

namespace kx {

template <std::integral I>
constexpr I toInt(double v, I nanValue = 0) {
    if (std::isnan(v)) return nanValue;
    // Compare against the double nearest to the limits; max() of 64-bit types is not representable,
    // so anything at or above 2^63 (or 2^64) clamps.
    constexpr double lo = static_cast<double>(std::numeric_limits<I>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<I>::max());
    if (v <= lo) return std::numeric_limits<I>::min();
    if (v >= hi) return std::numeric_limits<I>::max();
    return static_cast<I>(v);  // truncates toward zero, as C does
}

// Rounds to nearest (halves away from zero) before converting.
template <std::integral I>
constexpr I roundToInt(double v, I nanValue = 0) {
    return toInt<I>(std::round(v), nanValue);
}

// A finite value, or the fallback.
constexpr double finiteOr(double v, double fallback = 0.0) {
    return std::isfinite(v) ? v : fallback;
}

}  // namespace kx
