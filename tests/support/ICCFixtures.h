#pragma once
// Small ICC profiles made by the tests: matrix/curve profiles with a plain gamma and a CMYK
// lookup table, enough for the colour engine to build a transform from them.

#include <string>

namespace kx::test {

// A gray profile whose tone curve is the given gamma (1 is linear light), D50 white.
std::string iccGrayProfile(double gamma);
// An RGB profile with the sRGB primaries (adapted to D50) and the given gamma on each channel.
std::string iccRGBProfile(double gamma);
// A CMYK profile with one lookup table: each ink takes its share of white away in linear light
// (cyan red, magenta green, yellow blue, black all three).
std::string iccCMYKProfile();

}  // namespace kx::test
