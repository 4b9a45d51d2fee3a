// Shadings: what the factory reads, and axial and radial gradients rasterised into bitmaps.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "pdf/ObjectDoc.h"
#include "pdf/shading/KXPDFShading.h"
#include "pdf/shading/KXPDFShadingAxial.h"
#include "pdf/shading/KXPDFShadingCollection.h"
#include "pdf/shading/KXPDFShadingRadial.h"
#include "platform/BitmapContext.h"
#include "support/TestSupport.h"

using kx::test::ObjectDoc;

namespace {

using kx::test::RGBA;
using kx::test::pixelAt;

void expectPixel(const kx::Image& img, int x, int y, RGBA want, int tolerance, const std::string& what) {
    RGBA got = pixelAt(img, x, y);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(got[i], want[i], tolerance) << what << " at (" << x << ", " << y << ") channel " << i << ": "
                                                << got[0] << "," << got[1] << "," << got[2] << "," << got[3];
}

const RGBA kClear{0, 0, 0, 0};
const RGBA kRed{255, 0, 0, 255};
const RGBA kBlue{0, 0, 255, 255};

const char* kRedToBlue = "<< /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >>";

std::shared_ptr<KXPDFShading> shadingFrom(const std::string& entries) {
    return KXPDFShading::ShadingWithObject(ObjectDoc::parse("<< " + entries + " >>"), "Sh0");
}

kx::ImageRef render(const KXPDFShading& shading, int w, int h) {
    auto ctx = kx::BitmapContext::create(w, h);
    shading.drawInContext(*ctx, kx::AffineTransform::identity());
    return ctx->makeImage();
}

}  // namespace

TEST(KXPDFShading, AxialShadingRasterisedWithAndWithoutExtend) {
    struct Case { const char* extend; RGBA before, after; };
    const Case cases[] = {
        {"", kClear, kClear},
        {"/Extend [false false]", kClear, kClear},
        {"/Extend [true true]", kRed, kBlue},
        {"/Extend [true false]", kRed, kClear},
        {"/Extend [false true]", kClear, kBlue},
    };
    for (const Case& c : cases) {
        auto shading = shadingFrom(std::string("/ShadingType 2 /ColorSpace /DeviceRGB /Coords [25 0 75 0] /Function ") +
                                   kRedToBlue + " " + c.extend);
        ASSERT_TRUE(shading) << c.extend;
        kx::ImageRef img = render(*shading, 100, 4);
        std::string what = std::string("axial ") + c.extend;
        expectPixel(*img, 10, 2, c.before, 0, what);
        expectPixel(*img, 90, 2, c.after, 0, what);
        expectPixel(*img, 25, 2, kRed, 4, what + " start");
        expectPixel(*img, 50, 2, RGBA{125, 0, 130, 255}, 4, what + " middle");
        expectPixel(*img, 74, 2, kBlue, 6, what + " end");
    }
}

TEST(KXPDFShading, RadialShadingRasterisedWithAndWithoutExtend) {
    // Circles around (50, 50) from radius 10 (red) to radius 40 (blue).
    struct Case { const char* extend; RGBA centre, outside; };
    const Case cases[] = {
        {"/Extend [false false]", kClear, kClear},
        {"/Extend [true true]", kRed, kBlue},
        {"/Extend [true false]", kRed, kClear},
        {"/Extend [false true]", kClear, kBlue},
    };
    for (const Case& c : cases) {
        auto shading = shadingFrom(std::string("/ShadingType 3 /ColorSpace /DeviceRGB /Coords [50 50 10 50 50 40] "
                                               "/Function ") + kRedToBlue + " " + c.extend);
        ASSERT_TRUE(shading) << c.extend;
        EXPECT_EQ(shading->type(), 3);
        kx::ImageRef img = render(*shading, 100, 100);
        std::string what = std::string("radial ") + c.extend;
        expectPixel(*img, 50, 50, c.centre, 0, what + " centre");
        expectPixel(*img, 97, 50, c.outside, 0, what + " outside");
        expectPixel(*img, 75, 49, RGBA{125, 0, 130, 255}, 8, what + " halfway ring");
    }
}

TEST(KXPDFShading, GradientFollowsTheDomainAndSpreadsComponentFunctions) {
    // Domain [0.5 1]: the axis starts at the function's midpoint colour.
    auto half = shadingFrom(std::string("/ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Domain [0.5 1] "
                                        "/Function ") + kRedToBlue);
    ASSERT_TRUE(half);
    expectPixel(*render(*half, 100, 2), 0, 1, RGBA{127, 0, 127, 255}, 4, "domain start");

    // Three one-output functions give the three components.
    auto split = shadingFrom("/ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function ["
                             "<< /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [1] /N 1 >> "
                             "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> "
                             "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [0] /N 1 >>]");
    ASSERT_TRUE(split);
    auto& axial = dynamic_cast<KXPDFShadingAxial&>(*split);
    EXPECT_EQ(axial.funcs().size(), 3u);
    expectPixel(*render(*split, 100, 2), 99, 1, RGBA{255, 252, 0, 255}, 4, "red plus green at the end");

    // Through a CMYK space.
    auto cmyk = shadingFrom("/ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 100 0] /Extend [true true] "
                            "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0 0] /C1 [1 0 0 0] /N 1 >>");
    ASSERT_TRUE(cmyk);
    expectPixel(*render(*cmyk, 100, 2), 50, 1, RGBA{0, 172, 239, 255}, 1, "cyan ink");
}

TEST(KXPDFShading, FactoryReadsTheCommonEntries) {
    auto noCoords = shadingFrom(std::string("/ShadingType 2 /ColorSpace /DeviceRGB /Function ") + kRedToBlue);
    ASSERT_TRUE(noCoords);
    auto& axial = dynamic_cast<KXPDFShadingAxial&>(*noCoords);
    EXPECT_EQ(axial.coordsStart(), (kx::Point{0, 0}));
    EXPECT_EQ(axial.coordsEnd(), (kx::Point{100, 100}));
    EXPECT_EQ(noCoords->objectKey(), "Sh0");
    EXPECT_EQ(noCoords->colorSpace()->objectKey(), "KXPDFShading");

    auto withBackground = shadingFrom(std::string("/ShadingType 2 /ColorSpace /DeviceRGB /Background [1 0 0] "
                                                  "/BBox [0 0 10 20] /Function ") + kRedToBlue);
    ASSERT_TRUE(withBackground);
    EXPECT_TRUE(withBackground->hasBackground());
    EXPECT_EQ(withBackground->background().c[0], 255);
    EXPECT_TRUE(withBackground->hasBBox());
    EXPECT_EQ(withBackground->yMax(), 20);
    auto wrongCount = shadingFrom(std::string("/ShadingType 2 /ColorSpace /DeviceRGB /Background [1 0] /Function ") +
                                  kRedToBlue);
    EXPECT_FALSE(wrongCount->hasBackground());

    // The base drawing fills the clip with the background; an axial shading paints only its gradient.
    KXPDFShading base;
    ASSERT_TRUE(base.initWithDictionary(ObjectDoc::parse("<< /ColorSpace /DeviceRGB /Background [1 0 0] >>"), "B"));
    expectPixel(*render(base, 4, 4), 1, 1, kRed, 0, "background");
    auto gradient = shadingFrom(std::string("/ShadingType 2 /ColorSpace /DeviceRGB /Background [0 1 0] "
                                            "/Coords [0 0 4 0] /Function ") + kRedToBlue);
    expectPixel(*render(*gradient, 4, 4), 0, 1, kRed, 40, "no background under the gradient");

    std::string tooMany = "[";
    for (int i = 0; i < 33; ++i) tooMany += std::string(kRedToBlue) + " ";
    tooMany += "]";
    struct Refused { const char* what; std::string entries; bool stream; };
    const std::vector<Refused> refused = {
        {"no ColorSpace", std::string("/ShadingType 2 /Function ") + kRedToBlue, false},
        {"no usable Function", "/ShadingType 2 /ColorSpace /DeviceRGB /Function << /FunctionType 1 >>", false},
        {"more than 32 functions", "/ShadingType 2 /ColorSpace /DeviceRGB /Function " + tooMany, false},
        {"ShadingType 8", "/ShadingType 8 /ColorSpace /DeviceRGB", false},
        {"no ShadingType", "/ColorSpace /DeviceRGB", false},
        {"a mesh shading stored as a stream", "/ShadingType 4 /ColorSpace /DeviceRGB /BitsPerCoordinate 8", true},
    };
    for (const Refused& r : refused) {
        ObjectDoc doc;
        int n = r.stream ? doc.addStream(r.entries, "") : doc.add("<< " + r.entries + " >>");
        EXPECT_FALSE(KXPDFShading::ShadingWithObject(doc.get(n), "Sh")) << r.what;
    }

    // The types that keep only their common entries draw nothing, not even their background.
    auto functionBased = shadingFrom("/ShadingType 1 /ColorSpace /DeviceRGB /Background [1 0 0]");
    ASSERT_TRUE(functionBased);
    expectPixel(*render(*functionBased, 4, 4), 1, 1, kClear, 0, "function-based shading");
}

TEST(KXPDFShading, CollectionKeepsTheUsableEntries) {
    ObjectDoc doc;
    int dict = doc.add(std::string("<< /Good << /ShadingType 2 /ColorSpace /DeviceRGB /Function ") + kRedToBlue +
                       " >> /Bad << /ShadingType 2 /ColorSpace /DeviceRGB >> /Radial << /ShadingType 3 "
                       "/ColorSpace /DeviceGray /Coords [0 0 0 0 0 1] /Function << /FunctionType 2 /Domain [0 1] /N 1 >> >> >>");
    KXPDFShadingCollection collection(doc.get(dict));
    EXPECT_TRUE(collection.objectNamed("Good"));
    EXPECT_FALSE(collection.objectNamed("Bad"));
    EXPECT_TRUE(collection.objectNamed("Radial"));
    EXPECT_EQ(collection.objectNamed("Good")->objectKey(), "Good");
    EXPECT_EQ(collection.collectObjectsByName().size(), 2u);
    EXPECT_TRUE(KXPDFShadingCollection(kx::PDFObject()).collectObjectsByName().empty());
}
