#pragma once
// Small ICC profiles made by the tests: matrix/curve profiles with a plain gamma, enough for the
// colour engine to build a transform from them.

#include <string>

namespace kx::test {

// A gray profile whose tone curve is the given gamma (1 is linear light), D50 white.
std::string iccGrayProfile(double gamma);
// An RGB profile with the sRGB primaries (adapted to D50) and the given gamma on each channel.
std::string iccRGBProfile(double gamma);

}  // namespace kx::test
