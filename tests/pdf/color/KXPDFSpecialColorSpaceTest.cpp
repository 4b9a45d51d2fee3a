// Indexed, Separation, DeviceN and Pattern colour spaces: conversions through palettes and tint
// transforms, and the arrays they refuse.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/ObjectDoc.h"
#include "pdf/color/KXPDFColorSpace.h"
#include "pdf/color/KXPDFIndexedColorSpace.h"
#include "pdf/color/KXPDFPatternColorSpace.h"
#include "pdf/color/KXPDFSeparationColorSpace.h"

using kx::test::ObjectDoc;

namespace {

KXPDFColor colorOf(std::vector<int> components) {
    KXPDFColor c{};
    for (size_t i = 0; i < components.size(); ++i) c.c[i] = static_cast<std::int16_t>(components[i]);
    c.length = static_cast<std::int32_t>(components.size());
    return c;
}

std::shared_ptr<KXPDFColorSpace> spaceFrom(ObjectDoc& doc, int number) {
    return KXPDFColorSpace::ColorSpaceWithObject(doc.get(number), std::string("CS0"));
}

struct RGBCase {
    const char* what;
    std::vector<int> components;
    KXPDFRGB rgb;
};

void expectRGB(const KXPDFColorSpace& space, const std::vector<RGBCase>& cases) {
    for (const RGBCase& c : cases) EXPECT_EQ(space.getRGB(colorOf(c.components)), c.rgb) << c.what;
}

}  // namespace

TEST(KXPDFSpecialColorSpace, IndexedLooksUpItsPaletteWithAClampedIndex) {
    struct Case { const char* what; std::string array; std::vector<RGBCase> colors; };
    const std::vector<Case> cases = {
        {"two RGB entries", "[/Indexed /DeviceRGB 1 <FF000000FF00>]",
         {{"index 0", {0}, {255, 0, 0}}, {"index 1", {255}, {0, 255, 0}}, {"index 0.4 rounds to 0", {102}, {255, 0, 0}},
          {"index 7 clamps to hival", {7 * 255}, {0, 255, 0}}, {"negative index clamps to 0", {-255}, {255, 0, 0}}}},
        {"abbreviated family, gray base, longer table used up to its size", "[/I /DeviceGray 1 <40C0FFFF>]",
         {{"index 1", {255}, {192, 192, 192}}}},
        {"table shorter than hival + 1 entries converts to black", "[/Indexed /DeviceRGB 1 <FF0000>]",
         {{"index 0", {0}, {0, 0, 0}}}},
        {"hival 256 fails", "[/Indexed /DeviceGray 256 <FF>]", {{"index 0", {0}, {0, 0, 0}}}},
        {"negative hival fails", "[/Indexed /DeviceGray -1 <FF>]", {{"index 0", {0}, {0, 0, 0}}}},
        {"Lab base: bytes span L 0..100 and the a/b ranges", "[/Indexed [/Lab << /WhitePoint [1 1 1] /Range [-128 127 -128 127] >>] 0 <FF8080>]",
         {{"white", {0}, {255, 255, 255}}}},
    };
    for (const Case& c : cases) {
        ObjectDoc doc;
        auto space = spaceFrom(doc, doc.add(c.array));
        ASSERT_TRUE(space) << c.what;
        EXPECT_EQ(space->getMode(), KXPDFColorSpace::ModeIndexed);
        EXPECT_EQ(space->getNComps(), 1);
        SCOPED_TRACE(c.what);
        expectRGB(*space, c.colors);
    }

    // A palette held in a stream, and the base colour an index maps to.
    ObjectDoc doc;
    int table = doc.addStream("", std::string("\x00\x00\xFF\x10\x20\x30", 6));
    auto space = spaceFrom(doc, doc.add("[/Indexed /DeviceRGB 1 " + std::to_string(table) + " 0 R]"));
    ASSERT_TRUE(space);
    expectRGB(*space, {{"second entry", {255}, {16, 32, 48}}});
    auto* indexed = dynamic_cast<KXPDFIndexedColorSpace*>(space.get());
    ASSERT_TRUE(indexed);
    EXPECT_EQ(indexed->base()->getMode(), KXPDFColorSpace::ModeDeviceRGB);
    EXPECT_EQ(indexed->base()->objectKey(), "KXPDFIndexedColorSpace");
    KXPDFColor mapped = indexed->mapColorKXPDFColor(colorOf({0}));
    EXPECT_EQ(mapped.c[2], 255);
}

TEST(KXPDFSpecialColorSpace, SeparationAndDeviceNThroughTintTransforms) {
    const std::string cyanTint = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0 0 0] /N 1 >>";
    // Tint t to RGB (1 - t, 1 - t/2, 1).
    const std::string spotProgram = "{ dup 1 exch sub exch 0.5 mul 1 exch sub 1 }";
    // Two inks to CMYK (c, m, 0, 0).
    const std::string inksProgram = "{ 0 0 }";

    struct Case { const char* what; std::string array; std::vector<RGBCase> colors; int mode; int comps; };
    ObjectDoc doc;
    int spot = doc.addStream("/FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1]", spotProgram);
    int inks = doc.addStream("/FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1 0 1]", inksProgram);
    const std::vector<Case> cases = {
        {"Separation over CMYK, exponential tint", "[/Separation /Cyan /DeviceCMYK " + cyanTint + "]",
         {{"full tint", {255}, {0, 172, 239}}, {"no tint", {0}, {255, 255, 255}}}, KXPDFColorSpace::ModeSeparation, 1},
        {"Separation over RGB, calculator tint", "[/Separation /Spot /DeviceRGB " + std::to_string(spot) + " 0 R]",
         {{"full tint", {255}, {0, 127, 255}}, {"no tint", {0}, {255, 255, 255}}}, KXPDFColorSpace::ModeSeparation, 1},
        {"DeviceN of two inks over CMYK, calculator tint",
         "[/DeviceN [/Cyan /Magenta] /DeviceCMYK " + std::to_string(inks) + " 0 R]",
         {{"cyan only", {255, 0}, {0, 172, 239}}, {"none", {0, 0}, {255, 255, 255}}}, KXPDFColorSpace::ModeDeviceN, 2},
        {"DeviceN of one ink, exponential tint, attributes ignored",
         "[/DeviceN [/Spot] /DeviceRGB << /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [1 0 0] /N 1 >> << >>]",
         {{"full tint", {255}, {255, 0, 0}}}, KXPDFColorSpace::ModeDeviceN, 1},
        {"Separation with an unusable tint transform is black",
         "[/Separation /Spot /DeviceRGB << /FunctionType 1 >>]", {{"", {255}, {0, 0, 0}}}, KXPDFColorSpace::ModeSeparation, 1},
        {"DeviceN of three elements fails", "[/DeviceN [/A] /DeviceRGB]", {{"", {255}, {0, 0, 0}}}, KXPDFColorSpace::ModeDeviceN, 0},
        {"DeviceN of six elements fails",
         "[/DeviceN [/A] /DeviceRGB " + cyanTint + " << >> 1]", {{"", {255}, {0, 0, 0}}}, KXPDFColorSpace::ModeDeviceN, 0},
    };
    std::vector<int> numbers;
    for (const Case& c : cases) numbers.push_back(doc.add(c.array));
    int cyanNumber = doc.add("[/Separation /Cyan /DeviceCMYK " + cyanTint + "]");
    int noneNumber = doc.add("[/Separation /None /DeviceGray " + cyanTint + "]");
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        auto space = spaceFrom(doc, numbers[i]);
        ASSERT_TRUE(space) << c.what;
        EXPECT_EQ(space->getMode(), c.mode) << c.what;
        EXPECT_EQ(space->getNComps(), c.comps) << c.what;
        SCOPED_TRACE(c.what);
        expectRGB(*space, c.colors);
    }

    // Gray and CMYK answers go through the same alternate colour.
    auto cyan = spaceFrom(doc, cyanNumber);
    EXPECT_EQ(cyan->getCMYK(colorOf({255})), (KXPDFCMYK{255, 0, 0, 0}));
    // A space set without a colour paints its colorant at full tint.
    EXPECT_EQ(cyan->getRGB(cyan->getDefaultColor()), (KXPDFRGB{0, 172, 239}));

    auto none = spaceFrom(doc, noneNumber);
    EXPECT_TRUE(dynamic_cast<KXPDFSeparationColorSpace&>(*none).nonMarking());
    EXPECT_FALSE(dynamic_cast<KXPDFSeparationColorSpace&>(*cyan).nonMarking());
}

TEST(KXPDFSpecialColorSpace, PatternSpacesKeepTheirUnderlyingSpace) {
    ObjectDoc doc;
    int withUnderNumber = doc.add("[/Pattern /DeviceRGB]");
    int brokenNumber = doc.add("[/Pattern /NoSuchSpace]");
    auto withUnder = spaceFrom(doc, withUnderNumber);
    ASSERT_TRUE(withUnder);
    auto& pattern = dynamic_cast<KXPDFPatternColorSpace&>(*withUnder);
    ASSERT_TRUE(pattern.under());
    EXPECT_EQ(pattern.under()->getMode(), KXPDFColorSpace::ModeDeviceRGB);
    EXPECT_EQ(pattern.getNComps(), 0);
    EXPECT_EQ(pattern.getRGB(colorOf({255, 255, 255})), (KXPDFRGB{0, 0, 0}));

    auto bare = KXPDFColorSpace::ColorSpaceWithObject(ObjectDoc::parse("/Pattern"));
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->getMode(), KXPDFColorSpace::ModePattern);
    EXPECT_FALSE(dynamic_cast<KXPDFPatternColorSpace&>(*bare).under());

    auto broken = spaceFrom(doc, brokenNumber);
    ASSERT_TRUE(broken);
    EXPECT_FALSE(dynamic_cast<KXPDFPatternColorSpace&>(*broken).under());
}

TEST(KXPDFSpecialColorSpace, SpacesThatNestThemselvesEndWithoutABase) {
    ObjectDoc doc;
    int self = doc.reserve();
    doc.set(self, "[/Indexed " + std::to_string(self) + " 0 R 0 <00>]");

    // A chain of 40 Separation spaces, each the alternate of the one before: the chain is cut and
    // every level converts without running away.
    const std::string tint = "<< /FunctionType 2 /Domain [0 1] /N 1 >>";
    int inner = doc.add("/DeviceGray");
    int shallow = 0;
    for (int i = 0; i < 40; ++i) {
        inner = doc.add("[/Separation /S" + std::to_string(i) + " " + std::to_string(inner) + " 0 R " + tint + "]");
        if (i == 2) shallow = inner;
    }
    auto indexed = spaceFrom(doc, self);
    ASSERT_TRUE(indexed);
    EXPECT_FALSE(dynamic_cast<KXPDFIndexedColorSpace&>(*indexed).base());
    EXPECT_EQ(indexed->getRGB(colorOf({0})), (KXPDFRGB{0, 0, 0}));

    auto deep = spaceFrom(doc, inner);
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->getRGB(colorOf({255})), (KXPDFRGB{0, 0, 0}));
    // A few levels convert all the way down: full tint of each is white in DeviceGray.
    EXPECT_EQ(spaceFrom(doc, shallow)->getRGB(colorOf({255})), (KXPDFRGB{255, 255, 255}));
}

TEST(KXPDFSpecialColorSpace, PlatformSpaces) {
    ObjectDoc doc;
    int indexedNumber = doc.add("[/Indexed /DeviceRGB 1 <FF000000FF00>]");
    int patternNumber = doc.add("[/Pattern /DeviceGray]");
    int separationNumber = doc.add("[/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 /C1 [0 0 0 1] >>]");
    kx::ColorSpaceRef indexed = spaceFrom(doc, indexedNumber)->CGColorSpace();
    ASSERT_TRUE(indexed);
    EXPECT_EQ(indexed->kind(), kx::ColorSpace::Kind::Indexed);
    EXPECT_EQ(indexed->lastIndex(), 1);
    ASSERT_TRUE(indexed->base());
    EXPECT_EQ(indexed->base()->kind(), kx::ColorSpace::Kind::DeviceRGB);
    kx::ColorSpaceRef pattern = spaceFrom(doc, patternNumber)->CGColorSpace();
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->kind(), kx::ColorSpace::Kind::Pattern);
    ASSERT_TRUE(pattern->base());
    EXPECT_EQ(pattern->base()->kind(), kx::ColorSpace::Kind::DeviceGray);
    // Separation and DeviceN spaces give device RGB, which their conversions produce.
    EXPECT_EQ(spaceFrom(doc, separationNumber)->CGColorSpace()->kind(), kx::ColorSpace::Kind::DeviceRGB);
}
