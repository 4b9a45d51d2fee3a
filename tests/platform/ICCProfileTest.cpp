// ICC profiles: conversion to sRGB through a profile, and data the colour engine refuses.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/ICCProfile.h"
#include "support/ICCFixtures.h"

using kx::ICCProfile;

TEST(ICCProfile, ConvertsThroughTheProfilesToneCurve) {
    // A linear-light profile: half intensity is much lighter than 128 once encoded for sRGB, while
    // the same value in an sRGB-like gamma stays near the middle.
    struct Case {
        const char* what;
        std::string data;
        ICCProfile::ColorModel model;
        int components;
        double in[3];
        double lo, hi;  // expected sRGB red (0..255)
    } cases[] = {
        {"linear gray", kx::test::iccGrayProfile(1.0), ICCProfile::ColorModel::Gray, 1, {0.5, 0, 0}, 180, 195},
        {"gamma 2.2 gray", kx::test::iccGrayProfile(2.2), ICCProfile::ColorModel::Gray, 1, {0.5, 0, 0}, 120, 135},
        {"linear rgb", kx::test::iccRGBProfile(1.0), ICCProfile::ColorModel::RGB, 3, {0.5, 0.5, 0.5}, 180, 195},
        {"gray white", kx::test::iccGrayProfile(1.0), ICCProfile::ColorModel::Gray, 1, {1, 0, 0}, 250, 255},
        {"gray black", kx::test::iccGrayProfile(1.0), ICCProfile::ColorModel::Gray, 1, {0, 0, 0}, 0, 5},
    };
    for (const Case& c : cases) {
        auto p = ICCProfile::fromData(c.data);
        ASSERT_TRUE(p) << c.what;
        EXPECT_EQ(p->model(), c.model) << c.what;
        EXPECT_EQ(p->components(), c.components) << c.what;
        ASSERT_TRUE(p->canConvert()) << c.what;
        double rgb[3] = {-1, -1, -1};
        ASSERT_TRUE(p->toSRGB(c.in, rgb)) << c.what;
        EXPECT_GE(rgb[0] * 255, c.lo) << c.what;
        EXPECT_LE(rgb[0] * 255, c.hi) << c.what;
        EXPECT_NEAR(rgb[0], rgb[1], 0.01) << c.what;
        EXPECT_NEAR(rgb[0], rgb[2], 0.01) << c.what;
    }
}

TEST(ICCProfile, PixelRowsMatchSingleColours) {
    auto p = ICCProfile::fromData(kx::test::iccRGBProfile(1.0));
    ASSERT_TRUE(p);
    const std::uint8_t in[6] = {255, 0, 0, 128, 128, 128};
    std::uint8_t out[6] = {};
    ASSERT_TRUE(p->toSRGB8(in, out, 2));
    EXPECT_GT(out[0], 240);
    EXPECT_LT(out[1], 20);
    double single[3] = {128 / 255.0, 128 / 255.0, 128 / 255.0}, rgb[3];
    ASSERT_TRUE(p->toSRGB(single, rgb));
    EXPECT_NEAR(out[3], rgb[0] * 255, 2.0);
}

TEST(ICCProfile, RefusesWhatIsNotAProfile) {
    EXPECT_FALSE(ICCProfile::fromData(""));
    EXPECT_FALSE(ICCProfile::fromData("not a colour profile at all, just text"));
    std::string cut = kx::test::iccRGBProfile(1.0).substr(0, 100);
    EXPECT_FALSE(ICCProfile::fromData(cut));
}

// Every form of a page reads its colour spaces again, and documents carry one profile in many
// objects: building the transforms each time took a third of a text conversion.
TEST(ICCProfile, EqualBytesShareOneProfile) {
    const std::string linear = kx::test::iccRGBProfile(1.0);
    auto first = ICCProfile::fromData(linear);
    ASSERT_TRUE(first);
    EXPECT_EQ(ICCProfile::fromData(std::string(linear)), first);
    auto other = ICCProfile::fromData(kx::test::iccRGBProfile(2.2));
    ASSERT_TRUE(other);
    EXPECT_NE(other, first);
    double in[3] = {0.5, 0.5, 0.5}, a[3], b[3];
    ASSERT_TRUE(first->toSRGB(in, a) && other->toSRGB(in, b));
    EXPECT_GT(a[0], b[0] + 0.1) << "each keeps its own curve";
}
