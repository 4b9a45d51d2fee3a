// ICC profiles: conversion to sRGB through a profile, and data the colour engine refuses.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

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

// Single colours and pixels go through transforms of their own; both read the same profile, each
// in its colour model's units (inks for CMYK).
TEST(ICCProfile, SingleColoursAgreeWithPixels) {
    struct Case {
        const char* what;
        std::string data;
        int components;
    } cases[] = {
        {"gamma 2.2 gray", kx::test::iccGrayProfile(2.2), 1},
        {"linear rgb", kx::test::iccRGBProfile(1.0), 3},
        {"cmyk", kx::test::iccCMYKProfile(), 4},
    };
    for (const Case& c : cases) {
        auto p = ICCProfile::fromData(c.data);
        ASSERT_TRUE(p && p->canConvert()) << c.what;
        ASSERT_EQ(p->components(), c.components) << c.what;
        for (int step = 0; step <= 255; step += 15) {
            std::uint8_t pixel[4];
            double single[4];
            for (int i = 0; i < c.components; ++i) {
                pixel[i] = static_cast<std::uint8_t>((step + 80 * i) % 256);
                single[i] = pixel[i] / 255.0;
            }
            std::uint8_t out[3] = {};
            double rgb[3] = {-1, -1, -1};
            ASSERT_TRUE(p->toSRGB8(pixel, out, 1)) << c.what;
            ASSERT_TRUE(p->toSRGB(single, rgb)) << c.what;
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(rgb[i] * 255, out[i], 2.0) << c.what << " step " << step;
        }
    }
}

TEST(ICCProfile, ConvertsInksThroughACMYKProfile) {
    auto p = ICCProfile::fromData(kx::test::iccCMYKProfile());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->model(), ICCProfile::ColorModel::CMYK);
    struct Case {
        const char* what;
        double inks[4];
        double lo[3], hi[3];  // expected sRGB (0..255)
    } cases[] = {
        {"paper", {0, 0, 0, 0}, {245, 245, 245}, {255, 255, 255}},
        {"black", {0, 0, 0, 1}, {0, 0, 0}, {20, 20, 20}},
        {"cyan", {1, 0, 0, 0}, {0, 230, 230}, {40, 255, 255}},
        {"half cyan", {0.5, 0, 0, 0}, {150, 240, 240}, {215, 255, 255}},
        {"magenta and yellow", {0, 1, 1, 0}, {230, 0, 0}, {255, 40, 40}},
    };
    for (const Case& c : cases) {
        double rgb[3] = {-1, -1, -1};
        ASSERT_TRUE(p->toSRGB(c.inks, rgb)) << c.what;
        for (int i = 0; i < 3; ++i) {
            EXPECT_GE(rgb[i] * 255, c.lo[i]) << c.what << " channel " << i;
            EXPECT_LE(rgb[i] * 255, c.hi[i]) << c.what << " channel " << i;
        }
    }
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

// The last colour converted is kept per thread: asking two profiles for the same values in turn,
// and the same profile for other values, gives each answer as a fresh conversion would; a profile
// made after another one was released never gets that one's answer.
TEST(ICCProfile, TheLastColourKeptGivesTheAnswerOfItsOwnProfile) {
    auto linear = ICCProfile::fromData(kx::test::iccGrayProfile(1.0));
    auto gamma = ICCProfile::fromData(kx::test::iccGrayProfile(2.2));
    ASSERT_TRUE(linear && gamma);
    const double half[1] = {0.5}, quarter[1] = {0.25};
    double first[3], again[3], other[3], second[3];
    ASSERT_TRUE(linear->toSRGB(half, first));
    ASSERT_TRUE(gamma->toSRGB(half, other));
    EXPECT_GT(first[0] - other[0], 0.1) << "the other profile's own answer";
    ASSERT_TRUE(linear->toSRGB(half, again));
    EXPECT_EQ(first[0], again[0]);
    ASSERT_TRUE(linear->toSRGB(quarter, second));
    EXPECT_LT(second[0], first[0]);
    ASSERT_TRUE(linear->toSRGB(quarter, again));
    EXPECT_EQ(second[0], again[0]);

    // Released and made again from other bytes (possibly at the same address).
    double before[3], after[3];
    ASSERT_TRUE(linear->toSRGB(half, before));
    linear.reset();
    auto remade = ICCProfile::fromData(kx::test::iccGrayProfile(1.8));
    ASSERT_TRUE(remade);
    ASSERT_TRUE(remade->toSRGB(half, after));
    EXPECT_GT(before[0] - after[0], 0.05);
}
