// Colour values and spaces: the factory, the device and CIE-based conversions, ICC profiles, and
// the guards on nested spaces.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "pdf/ObjectDoc.h"
#include "pdf/color/KXPDFColorSpace.h"
#include "pdf/color/KXPDFColorSpaceCollection.h"
#include "pdf/color/KXPDFICCBasedColorSpace.h"
#include "pdf/color/KXPDFLabColorSpace.h"
#include "support/ICCFixtures.h"

using kx::test::ObjectDoc;

namespace {

KXPDFColor colorOf(std::initializer_list<int> components) {
    KXPDFColor c;
    size_t i = 0;
    for (int v : components) c.c[i++] = static_cast<std::int16_t>(v);
    c.length = static_cast<std::int32_t>(components.size());
    return c;
}

// A space from one object of its own document.
std::shared_ptr<KXPDFColorSpace> spaceFrom(const std::string& body) {
    std::shared_ptr<ObjectDoc> keep;
    return KXPDFColorSpace::ColorSpaceWithObject(ObjectDoc::parse(body, &keep));
}

}  // namespace

TEST(KXPDFColorSpace, FactoryChoosesTheFamilyByObjectType) {
    ObjectDoc doc;
    int icc3 = doc.addStream("/N 3", "");
    struct Case {
        const char* body;
        int mode;  // -1: no space
    } cases[] = {
        {"/DeviceGray", 1},
        {"/G", 1},
        {"/RGB", 3},
        {"/CMYK", 5},
        {"/Pattern", 11},
        {"/CalRGB", -1},  // calibrated spaces need their dictionary
        {"/Spot", -1},
        {"<< /ColorSpace /DeviceRGB >>", 3},
        {"<< /ColorSpace /Pattern >>", -1},
        {"<< /ColorSpace [/DeviceRGB] >>", -1},
        {"[/DeviceCMYK]", 5},
        {"[/CalGray << /WhitePoint [0.95 1 1.09] >>]", 2},
        {"[/CalRGB << >>]", 4},
        {"[/Lab << >>]", 6},
        {"[/I /DeviceRGB 1 <FF000000FF00>]", 8},
        {"[/Indexed /DeviceRGB 1 <FF000000FF00>]", 8},
        {"[/Separation /Spot /DeviceCMYK 0]", 9},
        {"[/DeviceN [/A /B] /DeviceCMYK 0]", 10},
        {"[/Pattern /DeviceRGB]", 11},
        {"[/Spot /DeviceRGB]", -1},
        {"[1 /DeviceRGB]", -1},
        {"[]", -1},
        {"(DeviceRGB)", -1},
        {"42", -1},
    };
    std::vector<std::pair<const Case*, int>> numbers;
    for (const Case& c : cases) numbers.push_back({&c, doc.add(c.body)});
    int iccArray = doc.add("[/ICCBased " + std::to_string(icc3) + " 0 R]");
    for (auto& [c, n] : numbers) {
        auto space = KXPDFColorSpace::ColorSpaceWithObject(doc.get(n));
        if (c->mode < 0) {
            EXPECT_FALSE(space) << c->body;
            continue;
        }
        ASSERT_TRUE(space) << c->body;
        EXPECT_EQ(space->getMode(), c->mode) << c->body;
        EXPECT_EQ(space->getModeName(), *KXPDFColorSpace::colorSpaceModeName(c->mode)) << c->body;
        EXPECT_EQ(space->objectKey(), "unknown") << c->body;
    }
    auto icc = KXPDFColorSpace::ColorSpaceWithObject(doc.get(iccArray), std::string("CS0"));
    ASSERT_TRUE(icc);
    EXPECT_EQ(icc->getMode(), 7);
    EXPECT_EQ(icc->getNComps(), 3);
    EXPECT_EQ(icc->objectKey(), "CS0");
}

TEST(KXPDFColorSpace, ModeNames) {
    EXPECT_EQ(KXPDFColorSpace::getNumColorSpaceModes(), 12);
    const char* names[] = {"unknown", "DeviceGray", "CalGray", "DeviceRGB", "CalRGB", "DeviceCMYK",
                           "Lab",     "ICCBased",   "Indexed", "Separation", "DeviceN", "Pattern"};
    for (int m = 0; m < 12; ++m) EXPECT_EQ(KXPDFColorSpace::colorSpaceModeName(m), names[m]);
    EXPECT_FALSE(KXPDFColorSpace::colorSpaceModeName(12));
    EXPECT_FALSE(KXPDFColorSpace::colorSpaceModeName(-1));
    KXPDFColor d = KXPDFColorSpace::defaultPDFColor();
    EXPECT_EQ(d.isNull, 1);
    EXPECT_EQ(d.length, 0);
}

TEST(KXPDFColorSpace, DeviceAndCalibratedConversions) {
    struct Case {
        const char* space;
        KXPDFColor color;
        int gray;
        KXPDFRGB rgb;
        KXPDFCMYK cmyk;
    } cases[] = {
        {"/DeviceGray", colorOf({128}), 128, {128, 128, 128}, {0, 0, 0, 127}},
        {"/DeviceGray", colorOf({300}), 255, {255, 255, 255}, {0, 0, 0, 0}},
        {"[/CalGray << /Gamma 2.2 >>]", colorOf({64}), 64, {64, 64, 64}, {0, 0, 0, 191}},
        {"/DeviceRGB", colorOf({255, 0, 0}), 77, {255, 0, 0}, {0, 255, 255, 0}},
        {"/DeviceRGB", colorOf({300, -5, 128}), 101, {255, 0, 128}, {0, 255, 127, 0}},
        {"/DeviceRGB", colorOf({51, 102, 153}), 92, {51, 102, 153}, {102, 51, 0, 102}},
        {"[/CalRGB << /Gamma [2.2 2.2 2.2] >>]", colorOf({255, 0, 0}), 76, {255, 0, 0}, {0, 255, 255, 0}},
        {"/DeviceCMYK", colorOf({0, 0, 0, 0}), 255, {255, 255, 255}, {0, 0, 0, 0}},
        {"/DeviceCMYK", colorOf({0, 0, 0, 255}), 0, {35, 31, 32}, {0, 0, 0, 255}},
        {"/DeviceCMYK", colorOf({255, 0, 0, 0}), 179, {0, 172, 239}, {255, 0, 0, 0}},
        {"/DeviceCMYK", colorOf({0, 0, 255, 0}), 227, {255, 241, 0}, {0, 0, 255, 0}},
    };
    for (const Case& c : cases) {
        auto s = spaceFrom(c.space);
        ASSERT_TRUE(s) << c.space;
        EXPECT_EQ(s->getGray(c.color), c.gray) << c.space;
        EXPECT_EQ(s->getRGB(c.color), c.rgb) << c.space;
        EXPECT_EQ(s->getCMYK(c.color), c.cmyk) << c.space;
        KXPDFColor n = s->getDeviceN(c.color);
        EXPECT_EQ(n.c[3], c.cmyk.k) << c.space;
    }
}

TEST(KXPDFColorSpace, CMYKInterpolatesTheSixteenCorners) {
    // Each corner of the ink cube gives its measured colour; a point inside mixes the corners.
    const double corners[16][3] = {
        {1, 1, 1},          {0.1373, 0.1216, 0.1255}, {1, 0.949, 0},      {0.1098, 0.102, 0},
        {0.9255, 0, 0.549}, {0.1412, 0, 0},           {0.9294, 0.1098, 0.1412}, {0.1333, 0, 0},
        {0, 0.6784, 0.9373}, {0, 0.0588, 0.1412},     {0, 0.651, 0.3137}, {0, 0.0745, 0},
        {0.1804, 0.1922, 0.5725}, {0, 0, 0.0078},     {0.2118, 0.2119, 0.2235}, {0, 0, 0},
    };
    auto cmyk = KXPDFColorSpace::ColorSpaceWithName("DeviceCMYK", std::nullopt);
    ASSERT_TRUE(cmyk);
    for (int corner = 0; corner < 16; ++corner) {
        KXPDFColor c = colorOf({corner & 8 ? 255 : 0, corner & 4 ? 255 : 0, corner & 2 ? 255 : 0, corner & 1 ? 255 : 0});
        KXPDFRGB rgb = cmyk->getRGB(c);
        EXPECT_EQ(rgb.r, static_cast<int>(corners[corner][0] * 255)) << "corner " << corner;
        EXPECT_EQ(rgb.g, static_cast<int>(corners[corner][1] * 255)) << "corner " << corner;
        EXPECT_EQ(rgb.b, static_cast<int>(corners[corner][2] * 255)) << "corner " << corner;
    }
    // Half cyan over white: halfway between white and the cyan corner.
    EXPECT_EQ(cmyk->getRGB(colorOf({127, 0, 0, 0})), (KXPDFRGB{128, 214, 247}));
    EXPECT_EQ(cmyk->getDefaultColor().c[3], 255);
}

TEST(KXPDFColorSpace, LabConvertsRelativeToItsWhitePoint) {
    auto d65 = spaceFrom("[/Lab << /WhitePoint [0.9505 1 1.089] /Range [-50 50 -60 60] >>]");
    ASSERT_TRUE(d65);
    auto& lab = static_cast<const KXPDFLabColorSpace&>(*d65);
    EXPECT_EQ(lab.aMin(), -50);
    EXPECT_EQ(lab.aMax(), 50);
    EXPECT_EQ(lab.bMin(), -60);
    EXPECT_EQ(lab.bMax(), 60);
    EXPECT_EQ(d65->getRGB(colorOf({0, 0, 0})), (KXPDFRGB{0, 0, 0}));
    EXPECT_EQ(d65->getRGB(colorOf({100 * 255, 0, 0})), (KXPDFRGB{255, 255, 255}));
    KXPDFRGB red = d65->getRGB(colorOf({54 * 255, 80 * 255, 67 * 255}));
    EXPECT_GT(red.r, 200);
    EXPECT_LT(red.g, 60);

    // A Range of three numbers is ignored; a positive range minimum sets the default colour.
    auto odd = spaceFrom("[/Lab << /WhitePoint [1 1 1] /Range [-50 50 -60] >>]");
    EXPECT_EQ(static_cast<const KXPDFLabColorSpace&>(*odd).bMax(), 100);
    auto shifted = spaceFrom("[/Lab << /Range [10 50 -60 -20] >>]");
    EXPECT_EQ(shifted->getDefaultColor().c[1], 2550);
    EXPECT_EQ(shifted->getDefaultColor().c[2], -5100);
}

TEST(KXPDFColorSpace, LabWithADegenerateWhitePointGivesNoInfinities) {
    for (const char* white : {"[0 0 0]", "[0.4 0.2 0.1]", "[1e-300 1e-300 1e-300]"}) {
        auto s = spaceFrom(std::string("[/Lab << /WhitePoint ") + white + " >>]");
        ASSERT_TRUE(s) << white;
        auto& lab = static_cast<const KXPDFLabColorSpace&>(*s);
        EXPECT_TRUE(std::isfinite(lab.kr()) && std::isfinite(lab.kg()) && std::isfinite(lab.kb())) << white;
        for (int L : {0, 50, 100}) {
            KXPDFRGB rgb = s->getRGB(colorOf({L * 255, 20 * 255, -20 * 255}));
            for (int v : {rgb.r, rgb.g, rgb.b}) {
                EXPECT_GE(v, 0) << white;
                EXPECT_LE(v, 255) << white;
            }
        }
    }
}

TEST(KXPDFColorSpace, ICCBasedUsesItsProfileOrItsAlternate) {
    ObjectDoc doc;
    std::string linearGray = kx::test::iccGrayProfile(1.0);
    struct Case {
        const char* what;
        std::string dict;
        std::string data;
        KXPDFColor color;
        bool parses;
        int nComps;
        KXPDFRGB rgb;  // r is checked within 8 for profile conversions
        bool viaProfile;
    } cases[] = {
        {"N 3 without alternate", "/N 3", "", colorOf({255, 0, 128}), true, 3, {255, 0, 128}, false},
        {"N 4 without alternate", "/N 4", "", colorOf({255, 0, 0, 0}), true, 4, {0, 172, 239}, false},
        {"N 2 without alternate", "/N 2", "", colorOf({255, 255}), false, 2, {0, 0, 0}, false},
        {"alternate name", "/N 1 /Alternate /DeviceGray", "", colorOf({64}), true, 1, {64, 64, 64}, false},
        {"unusable alternate", "/N 3 /Alternate /Spot", "", colorOf({1, 2, 3}), true, 3, {1, 2, 3}, false},
        {"N held at 32", "/N 40 /Alternate /DeviceRGB", "", colorOf({9, 8, 7}), true, 32, {9, 8, 7}, false},
        {"no N", "/Alternate /DeviceRGB", "", colorOf({9, 8, 7}), false, 0, {0, 0, 0}, false},
        {"linear gray profile", "/N 1 /Alternate /DeviceGray", linearGray, colorOf({128}), true, 1, {188, 188, 188}, true},
        {"profile of the wrong size", "/N 3 /Alternate /DeviceRGB", linearGray, colorOf({128, 0, 0}), true, 3,
         {128, 0, 0}, false},
        {"broken profile", "/N 1", "garbage", colorOf({128}), true, 1, {128, 128, 128}, false},
    };
    std::vector<int> arrays;
    for (const Case& c : cases) {
        int stream = doc.addStream(c.dict, c.data);
        arrays.push_back(doc.add("[/ICCBased " + std::to_string(stream) + " 0 R]"));
    }
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        auto s = KXPDFColorSpace::newColorSpaceOfMode(KXPDFColorSpace::ModeICCBased);
        EXPECT_EQ(s->parse(doc.get(arrays[i])), c.parses) << c.what;
        EXPECT_EQ(s->getNComps(), c.nComps) << c.what;
        auto& icc = static_cast<const KXPDFICCBasedColorSpace&>(*s);
        EXPECT_EQ(icc.profile() != nullptr, c.viaProfile) << c.what;
        KXPDFRGB rgb = s->getRGB(c.color);
        if (c.viaProfile) {
            EXPECT_NEAR(rgb.r, c.rgb.r, 8) << c.what;
            EXPECT_EQ(rgb.r, rgb.g) << c.what;
        } else {
            EXPECT_EQ(rgb, c.rgb) << c.what;
        }
    }
}

TEST(KXPDFColorSpace, ICCBasedRangeSetsTheDefaultColour) {
    ObjectDoc doc;
    int stream = doc.addStream("/N 3 /Range [0.2 1 -1 -0.5 -1 1]", "");
    auto s = KXPDFColorSpace::ColorSpaceWithObject(doc.get(doc.add("[/ICCBased " + std::to_string(stream) + " 0 R]")));
    ASSERT_TRUE(s);
    auto& icc = static_cast<const KXPDFICCBasedColorSpace&>(*s);
    ASSERT_EQ(icc.rangeMin().size(), 3u);
    EXPECT_NEAR(icc.rangeMin()[0], 0.2, 1e-6);
    EXPECT_EQ(icc.rangeMax()[1], -0.5);
    KXPDFColor d = s->getDefaultColor();
    EXPECT_EQ(d.c[0], 51);
    EXPECT_EQ(d.c[1], -127);
    EXPECT_EQ(d.c[2], 0);
}

TEST(KXPDFColorSpace, ASpaceThatContainsItselfEnds) {
    // The ICC stream's alternate is the very array that names the stream.
    ObjectDoc doc;
    int array = doc.reserve();
    int stream = doc.addStream("/N 3 /Alternate " + std::to_string(array) + " 0 R", "");
    doc.set(array, "[/ICCBased " + std::to_string(stream) + " 0 R]");
    auto s = KXPDFColorSpace::ColorSpaceWithObject(doc.get(array));
    ASSERT_TRUE(s);
    auto& icc = static_cast<const KXPDFICCBasedColorSpace&>(*s);
    ASSERT_TRUE(icc.alt());
    EXPECT_EQ(icc.alt()->getMode(), KXPDFColorSpace::ModeDeviceRGB);  // the alternate by N
}

TEST(KXPDFColorSpace, NestedSpacesEndAtTheirDepthOrAtACycle) {
    ObjectDoc doc;
    // An indexed space whose base is itself.
    int self = doc.reserve();
    doc.set(self, "[/Indexed " + std::to_string(self) + " 0 R 1 <000000FFFFFF>]");
    // Indexed spaces nested 40 deep over DeviceGray, each a separate object.
    std::vector<int> chain(40);
    for (int& n : chain) n = doc.reserve();
    for (size_t i = 0; i < chain.size(); ++i) {
        std::string base = i + 1 < chain.size() ? std::to_string(chain[i + 1]) + " 0 R" : "/DeviceGray";
        doc.set(chain[i], "[/Indexed " + base + " 1 <0000>]");
    }
    auto cyclic = KXPDFColorSpace::ColorSpaceWithObject(doc.get(self));
    ASSERT_TRUE(cyclic);  // kept with what its parse could read
    EXPECT_EQ(cyclic->getRGB(KXPDFColor{}), (KXPDFRGB{0, 0, 0}));
    auto deep = KXPDFColorSpace::ColorSpaceWithObject(doc.get(chain[0]));
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->getMode(), KXPDFColorSpace::ModeIndexed);
    deep->getRGB(KXPDFColor{});
}

TEST(KXPDFColorSpaceCollection, KeepsTheUsableEntries) {
    ObjectDoc doc;
    int dict = doc.add("<< /CS0 /DeviceRGB /Bad [/Nonsense] /CS1 [/CalGray << >>] /Num 3 >>");
    KXPDFColorSpaceCollection collection(doc.get(dict));
    EXPECT_EQ(collection.colorSpaces().size(), 2u);
    ASSERT_TRUE(collection.colorSpaceNamed("CS1"));
    EXPECT_EQ(collection.colorSpaceNamed("CS1")->getMode(), KXPDFColorSpace::ModeCalGray);
    EXPECT_EQ(collection.colorSpaceNamed("CS1")->objectKey(), "CS1");
    EXPECT_FALSE(collection.colorSpaceNamed("Bad"));
    EXPECT_TRUE(KXPDFColorSpaceCollection(kx::PDFObject()).colorSpaces().empty());
}

// A form drawn a thousand times reads its ColorSpace dictionary at every run; forty ICC profiles
// (more than the profile cache keeps) built again at every run took minutes. The spaces of a
// dictionary are built once per document and shared by every run.
TEST(KXPDFColorSpaceCollection, SpacesOfADictionaryAreBuiltOncePerDocument) {
    kx::test::PDFBuilder b;
    std::string entries;
    for (int i = 0; i < 8; ++i) {
        int icc = b.addStream("/N 3", kx::test::iccRGBProfile(1.0 + i * 0.01));
        entries += "/C" + std::to_string(i) + " [/ICCBased " + std::to_string(icc) + " 0 R] ";
    }
    int dict = b.add("<< " + entries + ">>");
    int same = b.add("<< " + entries + ">>");
    b.addPage("", "<< >>");
    const std::string bytes = b.build();
    auto doc = kx::PDFDocument::openFromMemory(bytes), other = kx::PDFDocument::openFromMemory(bytes);
    ASSERT_TRUE(doc && other);

    KXPDFColorSpaceCollection first(doc->object(dict));
    ASSERT_EQ(first.colorSpaces().size(), 8u);
    ASSERT_EQ(first.colorSpaceNamed("C7")->getMode(), KXPDFColorSpace::ModeICCBased);
    for (int run = 0; run < 1000; ++run) {
        KXPDFColorSpaceCollection again(doc->object(dict));
        ASSERT_EQ(again.colorSpaceNamed("C7"), first.colorSpaceNamed("C7")) << "run " << run;
    }
    EXPECT_NE(KXPDFColorSpaceCollection(doc->object(same)).colorSpaceNamed("C0"), first.colorSpaceNamed("C0"))
        << "another dictionary builds its own";
    EXPECT_NE(KXPDFColorSpaceCollection(other->object(dict)).colorSpaceNamed("C0"), first.colorSpaceNamed("C0"))
        << "another document builds its own";
    EXPECT_EQ(KXPDFColorSpaceCollection(other->object(dict)).colorSpaceNamed("C0")->objectKey(), "C0");
}

TEST(KXPDFColorSpace, PlatformColourSpaces) {
    ObjectDoc doc;
    int profile = doc.addStream("/N 1 /Alternate /DeviceGray", kx::test::iccGrayProfile(1.0));
    int broken = doc.addStream("/N 4", "not a profile");
    struct Case {
        std::string body;
        kx::ColorSpace::Kind kind;
    } cases[] = {
        {"/DeviceGray", kx::ColorSpace::Kind::DeviceGray},
        {"/DeviceRGB", kx::ColorSpace::Kind::DeviceRGB},
        {"/DeviceCMYK", kx::ColorSpace::Kind::DeviceCMYK},
        {"[/CalGray << /Gamma 2.2 >>]", kx::ColorSpace::Kind::CalGray},
        {"[/CalRGB << >>]", kx::ColorSpace::Kind::CalRGB},
        {"[/Lab << /WhitePoint [0.95 1 1.09] >>]", kx::ColorSpace::Kind::Lab},
        {"[/ICCBased " + std::to_string(profile) + " 0 R]", kx::ColorSpace::Kind::ICCBased},
        {"[/ICCBased " + std::to_string(broken) + " 0 R]", kx::ColorSpace::Kind::DeviceCMYK},
    };
    std::vector<int> numbers;
    for (const Case& c : cases) numbers.push_back(doc.add(c.body));
    for (size_t i = 0; i < std::size(cases); ++i) {
        auto s = KXPDFColorSpace::ColorSpaceWithObject(doc.get(numbers[i]));
        ASSERT_TRUE(s) << cases[i].body;
        kx::ColorSpaceRef platform = s->CGColorSpace();
        ASSERT_TRUE(platform) << cases[i].body;
        EXPECT_EQ(platform->kind(), cases[i].kind) << cases[i].body;
    }
}
