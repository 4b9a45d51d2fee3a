// Images of generated pages reach the delegate as files holding exactly the right pixels: every
// bit depth, colour space, codec and mask, compared pixel by pixel with what the page shows.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <lcms2.h>

#include "pdf/KXPDFUtilities.h"
#include "pdf/xobject/ImageTestSupport.h"
#include "platform/FileSystem.h"
#include "support/ImageFixtures.h"
#include "support/TestSupport.h"

using namespace kx;
using kx::test::PDFBuilder;

namespace {

std::string bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v) s.push_back(static_cast<char>(b));
    return s;
}

// A gray profile with a linear tone curve: 50 % gray is shown as sRGB 188, not 128.
std::string linearGrayProfile() {
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE p = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    std::string data(size, '\0');
    cmsSaveProfileToMem(p, data.data(), &size);
    cmsCloseProfile(p);
    cmsFreeToneCurve(linear);
    return data;
}

// Two halves of a 16 × 8 picture in two colours (interleaved samples of `comps` components).
std::vector<std::uint8_t> halves(const std::vector<int>& left, const std::vector<int>& right) {
    std::vector<std::uint8_t> v;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c : (x < 8 ? left : right)) v.push_back(static_cast<std::uint8_t>(c));
    return v;
}

bool checkerBlack(int x, int y) { return ((x / 4) + y) % 2 == 0; }

// Expected RGBA of a bilevel picture: black where set, white elsewhere.
std::vector<int> bilevelRGBA(const test::Bilevel& b) {
    std::vector<int> v;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            int g = b.black(x, y) ? 0 : 255;
            v.insert(v.end(), {g, g, g, 255});
        }
    return v;
}

struct Probe {
    int x, y;
    std::vector<int> rgba;
};

struct ImageCase {
    const char* name;
    // Adds what the image needs and returns its dictionary entries (without Length).
    std::function<std::string(PDFBuilder&)> dict;
    std::string data;
    std::vector<int> rgba;       // every pixel, or
    std::vector<Probe> probes = {};  // a few pixels (lossy codecs)
    int tolerance = 0;
    ImageFileType fileType = ImageFileType::PNG;
    std::string prefix = "IMG_";
    std::string paint = "";  // content before the image is drawn (a fill colour for stencils)
};

std::function<std::string(PDFBuilder&)> plain(std::string entries) {
    return [entries](PDFBuilder&) { return entries; };
}

}  // namespace

TEST(ImageExtraction, EveryDepthColourSpaceCodecAndMaskGivesTheRightPixels) {
    const test::Bilevel fax = test::makeBilevel(16, 4, checkerBlack);
    auto rgbHalves = halves({255, 0, 0}, {0, 0, 255});
    auto grayHalves = halves({40}, {220});
    auto cmykHalves = halves({0, 0, 0, 0}, {255, 0, 0, 0});
    std::vector<std::uint8_t> jpxSamples = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30,
                                            1, 2, 3, 250, 240, 230, 0, 0, 0, 255, 255, 255};
    std::vector<int> jpxRGBA;
    for (size_t i = 0; i < jpxSamples.size(); i += 3) jpxRGBA.insert(jpxRGBA.end(), {jpxSamples[i], jpxSamples[i + 1], jpxSamples[i + 2], 255});
    const std::vector<Probe> rgbProbes = {{2, 3, {255, 0, 0, 255}}, {13, 4, {0, 0, 255, 255}}};
    const std::vector<Probe> cmykProbes = {{2, 3, {255, 255, 255, 255}}, {13, 4, {0, 173, 239, 255}}};

    std::vector<ImageCase> cases = {
        {"1-bit gray", plain("/Width 4 /Height 2 /BitsPerComponent 1 /ColorSpace /DeviceGray"), bytes({0xA0, 0x50}),
         {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255,
          0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}},
        {"1-bit gray inverted by Decode", plain("/Width 4 /Height 1 /BitsPerComponent 1 /ColorSpace /DeviceGray /Decode [1 0]"),
         bytes({0xA0}), {0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}},
        {"2-bit gray", plain("/Width 4 /Height 1 /BitsPerComponent 2 /ColorSpace /DeviceGray"), bytes({0x1B}),
         {0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}},
        {"4-bit gray", plain("/Width 4 /Height 1 /BitsPerComponent 4 /ColorSpace /DeviceGray"), bytes({0x0F, 0x80}),
         {0, 0, 0, 255, 255, 255, 255, 255, 136, 136, 136, 255, 0, 0, 0, 255}},
        {"8-bit gray", plain("/Width 4 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray"), bytes({0, 64, 128, 255}),
         {0, 0, 0, 255, 64, 64, 64, 255, 128, 128, 128, 255, 255, 255, 255, 255}},
        {"16-bit gray", plain("/Width 2 /Height 1 /BitsPerComponent 16 /ColorSpace /DeviceGray"), bytes({0x80, 0x00, 0xFF, 0xFF}),
         {128, 128, 128, 255, 255, 255, 255, 255}},
        {"8-bit RGB", plain("/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB"), bytes({255, 0, 0, 0, 0, 255}),
         {255, 0, 0, 255, 0, 0, 255, 255}},
        {"8-bit CMYK", plain("/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceCMYK"), bytes({0, 0, 0, 0, 255, 0, 0, 0}),
         {255, 255, 255, 255, 0, 173, 239, 255}},
        {"Indexed 2-bit", plain("/Width 3 /Height 1 /BitsPerComponent 2 /ColorSpace [/Indexed /DeviceRGB 2 <FF000000FF000000FF>]"),
         bytes({0x18}), {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255}},
        {"ICCBased through its profile",
         [](PDFBuilder& b) {
             int icc = b.addStream("/N 1 /Alternate /DeviceGray", linearGrayProfile());
             return "/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace [/ICCBased " + std::to_string(icc) + " 0 R]";
         },
         bytes({128, 255}), {188, 188, 188, 255, 255, 255, 255, 255}, {}, 1},
        {"DCT RGB", plain("/Width 16 /Height 8 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode"),
         test::encodeJPEG(rgbHalves, 16, 8, 3, 100), {}, rgbProbes, 24, ImageFileType::JPEG},
        {"DCT gray", plain("/Width 16 /Height 8 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /DCTDecode"),
         test::encodeJPEG(grayHalves, 16, 8, 1, 100), {},
         {{2, 3, {40, 40, 40, 255}}, {13, 4, {220, 220, 220, 255}}}, 8, ImageFileType::JPEG},
        {"DCT CMYK", plain("/Width 16 /Height 8 /BitsPerComponent 8 /ColorSpace /DeviceCMYK /Filter /DCTDecode"),
         test::encodeJPEG(cmykHalves, 16, 8, 4, 100), {}, cmykProbes, 24, ImageFileType::JPEG},
        {"DCT inverted Adobe CMYK", plain("/Width 16 /Height 8 /BitsPerComponent 8 /ColorSpace /DeviceCMYK /Filter /DCTDecode"),
         test::encodeJPEG(cmykHalves, 16, 8, 4, 100, true), {}, cmykProbes, 24, ImageFileType::JPEG},
        {"JPX codestream without depth or colour space", plain("/Width 4 /Height 2 /Filter /JPXDecode"),
         test::encodeJPEG2000(jpxSamples, 4, 2, 3), jpxRGBA},
        {"JPX file with a colour space", plain("/Width 4 /Height 2 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /JPXDecode"),
         test::encodeJPEG2000(jpxSamples, 4, 2, 3, true), jpxRGBA},
        {"CCITT Group 4",
         plain("/Width 16 /Height 4 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /CCITTFaxDecode "
               "/DecodeParms << /K -1 /Columns 16 /Rows 4 >>"),
         test::encodeCCITTG4(fax), bilevelRGBA(fax)},
        {"JBIG2", plain("/Width 16 /Height 4 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /JBIG2Decode"),
         test::encodeJBIG2(fax), bilevelRGBA(fax)},
        {"stencil mask in the fill colour", plain("/Width 4 /Height 1 /ImageMask true /BitsPerComponent 1"), bytes({0x50}),
         {0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 255, 255, 0, 0, 255, 0}, {}, 0, ImageFileType::PNG, "IMG_Masked_", "0 0 1 rg"},
        {"SMask as alpha",
         [](PDFBuilder& b) {
             int smask = b.addStream("/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray", bytes({64, 255}));
             return "/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB /SMask " + std::to_string(smask) + " 0 R";
         },
         bytes({255, 0, 0, 0, 255, 0}), {255, 0, 0, 64, 0, 255, 0, 255}, {}, 0, ImageFileType::PNG, "IMG_Masked_"},
        {"explicit mask hides where it is 1",
         [](PDFBuilder& b) {
             int mask = b.addStream("/Width 2 /Height 1 /ImageMask true /BitsPerComponent 1", bytes({0x40}));
             return "/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Mask " + std::to_string(mask) + " 0 R";
         },
         bytes({255, 0, 0, 0, 255, 0}), {255, 0, 0, 255, 0, 255, 0, 0}, {}, 0, ImageFileType::PNG, "IMG_Masked_"},
        {"1-bit without a colour space reads as gray", plain("/Width 2 /Height 1 /BitsPerComponent 1"), bytes({0x80}),
         {255, 255, 255, 255, 0, 0, 0, 255}},
        {"8-bit without a colour space reads as RGB", plain("/Width 2 /Height 1 /BitsPerComponent 8"), bytes({1, 2, 3, 4, 5, 6}),
         {1, 2, 3, 255, 4, 5, 6, 255}},
        {"colour key shorter than the components keys the rest at 0",
         plain("/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Mask [0 10]"), bytes({5, 0, 0, 5, 1, 0}),
         {5, 0, 0, 0, 5, 1, 0, 255}, {}, 0, ImageFileType::PNG, "IMG_Masked_"},
        {"colour key on raw samples",
         plain("/Width 4 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Decode [1 0] /Mask [60 130]"),
         bytes({0, 64, 128, 255}), {255, 255, 255, 255, 191, 191, 191, 0, 127, 127, 127, 0, 0, 0, 0, 255}, {}, 0,
         ImageFileType::PNG, "IMG_Masked_"},
    };

    for (const ImageCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedTemporaryRoot root;
        PDFBuilder b;
        std::string entries = c.dict(b);
        int image = b.addStream("/Type /XObject /Subtype /Image " + entries, c.data);
        b.addPage(c.paint + " q 10 0 0 10 0 0 cm /Im0 Do Q",
                  "<< /XObject << /Im0 " + std::to_string(image) + " 0 R >> >>");
        auto run = test::runPages(b);
        ASSERT_EQ(run->recorder.images.size(), 1u);
        const test::ReportedImage& r = run->recorder.images[0];
        ASSERT_FALSE(r.path.empty());
        EXPECT_EQ(r.ctm, (AffineTransform{10, 0, 0, 10, 0, 0}));
        EXPECT_EQ(r.objectID, "Im0");
        // The name says what the file holds.
        std::string data = readFile(r.path).value_or("");
        EXPECT_EQ(detectImageType(data), c.fileType);
        EXPECT_EQ(pathExtension(r.path), c.fileType == ImageFileType::JPEG ? "jpeg" : "png");
        EXPECT_EQ(pathFileName(r.path).rfind(c.prefix, 0), 0u) << pathFileName(r.path);
        std::vector<int> got = test::rgbaPixels(r.path);
        if (!c.rgba.empty()) {
            EXPECT_LE(test::maxDifference(got, c.rgba), c.tolerance);
        } else {
            ImageRef img = readImageFile(r.path);
            ASSERT_TRUE(img);
            for (const Probe& p : c.probes) {
                size_t at = (static_cast<size_t>(p.y) * img->width + p.x) * 4;
                ASSERT_LE(at + 4, got.size());
                EXPECT_LE(test::maxDifference({got.begin() + at, got.begin() + at + 4}, p.rgba), c.tolerance)
                    << "pixel " << p.x << "," << p.y;
            }
        }
    }
}

TEST(ImageExtraction, InlineImagesAreDecodedWithTheResourcesColourSpaces) {
    ScopedTemporaryRoot root;
    PDFBuilder b;
    // Abbreviated keys, a named colour space from the resources, and an abbreviated filter.
    std::string content = "q 2 0 0 1 0 0 cm BI /W 2 /H 1 /BPC 8 /CS /CS0 /F /AHx ID 00FF> EI Q";
    b.addPage(content, "<< /ColorSpace << /CS0 [/Indexed /DeviceRGB 1 <00FF00FF0000>] >> >>");
    auto run = test::runPages(b);
    ASSERT_EQ(run->recorder.images.size(), 1u);
    const test::ReportedImage& r = run->recorder.images[0];
    EXPECT_EQ(r.objectID.rfind("EI-", 0), 0u);
    EXPECT_EQ(r.pixelSize, (Size{2, 1}));
    EXPECT_EQ(test::rgbaPixels(r.path), (std::vector<int>{0, 255, 0, 255, 255, 0, 0, 255}));
}

TEST(ImageExtraction, ImagesThatCannotBeDecodedAreNotPlaced) {
    struct Case {
        const char* name;
        std::string entries;
        std::string data;
    } cases[] = {
        {"undecodable JPEG", "/Width 8 /Height 8 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode",
         std::string("\xFF\xD8\xFF\xE0 this is not really a JPEG", 30)},
        {"undecodable JPEG 2000", "/Width 8 /Height 8 /Filter /JPXDecode", std::string("\xFF\x4F\xFF\x51 broken", 11)},
        {"a row beyond what a decode holds", "/Width 5000000 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray", "x"},
        {"no BitsPerComponent", "/Width 2 /Height 1 /ColorSpace /DeviceGray", "ab"},
        {"unsupported depth", "/Width 2 /Height 1 /BitsPerComponent 3 /ColorSpace /DeviceGray", "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedTemporaryRoot root;
        PDFBuilder b;
        int image = b.addStream("/Subtype /Image " + c.entries, c.data);
        b.addPage("/Im0 Do", "<< /XObject << /Im0 " + std::to_string(image) + " 0 R >> >>");
        auto run = test::runPages(b);
        // Reported, but without a file: the exporters place nothing.
        ASSERT_EQ(run->recorder.images.size(), 1u);
        EXPECT_TRUE(run->recorder.images[0].path.empty());
        EXPECT_EQ(test::countTempFiles("IMG_"), 0u);
    }
}

// An image beyond the decode budget is decoded reduced, by whole factors, as far as it keeps the
// pixels it is shown with at 600 dpi (and never beyond the budget); its samples are read as they
// inflate, so a few kilobytes that inflate to hundreds of megabytes cost the reduced image only.
// The budget is one of bytes: a grey image (a byte a pixel) is kept to three times the pixels of a
// colour one, so a full page scanned at 1200 dpi stays whole. What no reduction brings within the
// budget is marked so, with no file.
TEST(ImageExtraction, ImagesBeyondTheDecodeBudgetAreDecodedReduced) {
    const auto zeros = [](size_t n) { return test::deflate(test::deflate(std::string(n, '\0'))); };
    // 8200 x 8200 in colour, every sample 200: just beyond the budget, for the JPEG codec.
    const std::string jpeg = test::encodeJPEG(std::vector<std::uint8_t>(size_t(8200) * 8200 * 3, 200), 8200, 8200, 3, 90);
    // One-bit grey rows of zeros (black), `width` pixels wide.
    const auto blackRows = [&](size_t width, size_t height) { return zeros((width + 7) / 8 * height); };
    struct Case {
        const char* name;
        std::string entries;
        std::string data;
        std::string shown;  // the CTM the image is painted with
        int width, height;  // of the file; 0: refused as beyond the budget
        int gray;           // of its middle pixel
    } cases[] = {
        {"raw, shown small: down to 600 dpi of 100 points", "/Width 18000 /Height 18000 /BitsPerComponent 1 "
         "/ColorSpace /DeviceGray /Filter [/FlateDecode /FlateDecode]", blackRows(18000, 18000),
         "100 0 0 100 0 0 cm", 858, 858, 0},
        {"raw grey, shown over the page: down to the budget", "/Width 18000 /Height 16000 /BitsPerComponent 1 "
         "/ColorSpace /DeviceGray /Filter [/FlateDecode /FlateDecode]", blackRows(18000, 16000),
         "612 0 0 792 0 0 cm", 9000, 8000, 0},
        {"raw grey, a page scanned at 1200 dpi: whole", "/Width 9920 /Height 14030 /BitsPerComponent 1 "
         "/ColorSpace /DeviceGray /Filter [/FlateDecode /FlateDecode]", blackRows(9920, 14030),
         "612 0 0 792 0 0 cm", 9920, 14030, 0},
        {"raw colour, shown over the page: down to the budget", "/Width 9000 /Height 8000 /BitsPerComponent 1 "
         "/ColorSpace /DeviceRGB /Filter [/FlateDecode /FlateDecode]", blackRows(9000 * 3, 8000),
         "612 0 0 792 0 0 cm", 4500, 4000, 0},
        {"raw, short data pads the declared height cheaply", "/Width 20000 /Height 2000000 /BitsPerComponent 1 "
         "/ColorSpace /DeviceGray /Decode [1 0]", "x", "10 0 0 10 0 0 cm", 85, 8404, 255},
        {"JPEG: the codec's own scaling", "/Width 8200 /Height 8200 /BitsPerComponent 8 /ColorSpace /DeviceRGB "
         "/Filter /DCTDecode", jpeg, "100 0 0 100 0 0 cm", 1025, 1025, 200},
        {"JPEG 2000 is decoded whole only", "/Width 9000 /Height 9000 /Filter /JPXDecode", "not read",
         "100 0 0 100 0 0 cm", 0, 0, 0},
        {"a row beyond what a decode holds", "/Width 3000000 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB",
         "x", "1 0 0 1 0 0 cm", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedTemporaryRoot root;
        PDFBuilder b;
        int image = b.addStream("/Subtype /Image " + c.entries, c.data);
        b.addPage(c.shown + " /Im0 Do", "<< /XObject << /Im0 " + std::to_string(image) + " 0 R >> >>");
        auto run = test::runPages(b);
        ASSERT_EQ(run->recorder.images.size(), 1u);
        const test::ReportedImage& r = run->recorder.images[0];
        if (c.width == 0) {
            EXPECT_TRUE(r.overPixelBudget);
            EXPECT_TRUE(r.path.empty());
            EXPECT_EQ(test::countTempFiles("IMG_"), 0u);
            continue;
        }
        EXPECT_FALSE(r.overPixelBudget);
        ImageRef file = toRGBA8(readImageFile(r.path));
        ASSERT_TRUE(file) << r.path;
        EXPECT_EQ(file->width, c.width);
        EXPECT_EQ(file->height, c.height);
        const test::RGBA middle = test::pixelAt(*file, file->width / 2, file->height / 2);
        EXPECT_NEAR(middle[0], c.gray, 2);
        EXPECT_EQ(middle[0], middle[2]);
    }
}

TEST(ImageExtraction, ShortDataIsPaddedWithZeros) {
    ScopedTemporaryRoot root;
    PDFBuilder b;
    int image = b.addStream("/Subtype /Image /Width 4 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray", bytes({255, 255}));
    b.addPage("/Im0 Do", "<< /XObject << /Im0 " + std::to_string(image) + " 0 R >> >>");
    auto run = test::runPages(b);
    ASSERT_EQ(run->recorder.images.size(), 1u);
    EXPECT_EQ(test::rgbaPixels(run->recorder.images[0].path),
              (std::vector<int>{255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST(ImageExtraction, EachImageIsDecodedOncePerConversion) {
    ScopedTemporaryRoot root;
    PDFBuilder b;
    int image = b.addStream("/Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray", bytes({7}));
    int form = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << /Im " +
                               std::to_string(image) + " 0 R >> >>",
                           "/Im Do");
    std::string resources = "<< /XObject << /Im0 " + std::to_string(image) + " 0 R /Fm " + std::to_string(form) + " 0 R >> >>";
    // The same image twice on a page, through a form, and again on a second page.
    b.addPage("/Im0 Do /Im0 Do /Fm Do", resources);
    b.addPage("/Im0 Do", resources);
    auto run = test::runPages(b);
    ASSERT_EQ(run->recorder.images.size(), 4u);
    for (const auto& r : run->recorder.images) EXPECT_EQ(r.path, run->recorder.images[0].path);
    EXPECT_EQ(test::countTempFiles("IMG_"), 1u);
}

TEST(ImageExtraction, StencilMasksTakeTheFillColourOfEachUse) {
    ScopedTemporaryRoot root;
    PDFBuilder b;
    int image = b.addStream("/Subtype /Image /Width 1 /Height 1 /ImageMask true", bytes({0x00}));
    b.addPage("1 0 0 rg /Im0 Do 0 1 0 rg /Im0 Do", "<< /XObject << /Im0 " + std::to_string(image) + " 0 R >> >>");
    auto run = test::runPages(b);
    ASSERT_EQ(run->recorder.images.size(), 2u);
    EXPECT_EQ(test::rgbaPixels(run->recorder.images[0].path), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(test::rgbaPixels(run->recorder.images[1].path), (std::vector<int>{0, 255, 0, 255}));
}

TEST(ImageExtraction, SeparationAndDeviceNImagesGoThroughTheirTintTransforms) {
    struct Case {
        const char* name;
        std::string colorSpace;
        std::string data;
        std::vector<int> rgba;
    } cases[] = {
        // Tint 1 of a cyan spot colour printed through the CMYK table.
        {"Separation to CMYK", "[/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0 0 0] /N 1 >>]",
         bytes({0, 255}), {255, 255, 255, 255, 0, 173, 239, 255}},
        {"DeviceN to RGB through a calculator",
         "[/DeviceN [/A /B] /DeviceRGB << /FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1] /Length 20 >>]",
         bytes({255, 0, 0, 255}), {255, 0, 0, 255, 0, 255, 0, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedTemporaryRoot root;
        PDFBuilder b;
        std::string cs = c.colorSpace;
        if (cs.find("FunctionType 4") != std::string::npos) {
            // The calculator needs a stream: {a b} -> {a b 0}.
            int fn = b.addStream("/FunctionType 4 /Domain [0 1 0 1] /Range [0 1 0 1 0 1]", "{ 0 }");
            cs = "[/DeviceN [/A /B] /DeviceRGB " + std::to_string(fn) + " 0 R]";
        }
        int n = cs.find("DeviceN") != std::string::npos ? 2 : 1;
        int image = b.addStream("/Subtype /Image /Width " + std::to_string(c.data.size() / n) + " /Height 1 /BitsPerComponent 8 /ColorSpace " + cs,
                                c.data);
        b.addPage("/Im0 Do", "<< /XObject << /Im0 " + std::to_string(image) + " 0 R >> >>");
        auto run = test::runPages(b);
        ASSERT_EQ(run->recorder.images.size(), 1u);
        EXPECT_LE(test::maxDifference(test::rgbaPixels(run->recorder.images[0].path), c.rgba), 1);
    }
}

TEST(ImageExtraction, ColourSpacesFromObjects) {
    PDFBuilder b;
    int lookup = b.addStream("", bytes({255, 0, 0, 0, 255, 0}));
    b.addPage("", "<< >>",
              "/MediaBox [0 0 10 10] /Test << "
              "/IndexedString [/Indexed /DeviceRGB 1 <FF000000FF00>] "
              "/IndexedStream [/I /RGB 1 " + std::to_string(lookup) + " 0 R] "
              "/IndexedOtherBase [/Indexed /Spot 1 <FF000000FF00>] "
              "/CalRGB [/CalRGB << /WhitePoint [0.9505 1 1.089] /Gamma [1 1 1] >>] "
              "/CalGray [/CalGray << /WhitePoint [0.9505 1 1.089] >>] "
              "/Lab [/Lab << /WhitePoint [0.9505 1 1.089] /Range [-50 50 -60 60] >>] "
              "/NotAName [1 2 3] /Unknown [/Foo] /Pattern [/Pattern /DeviceRGB] /Device /DeviceCMYK >>");
    auto doc = PDFDocument::openFromMemory(b.build());
    ASSERT_TRUE(doc);
    PDFObject t = doc->page(1)->dictionary().dictGet("Test");
    auto cs = [&](const char* key) { return KXPDFUtilities::ColorSpaceWithPDFObject(t.dictGet(key)); };

    for (const char* key : {"IndexedString", "IndexedStream"}) {
        SCOPED_TRACE(key);
        auto indexed = cs(key);
        ASSERT_TRUE(indexed);
        EXPECT_EQ(indexed->kind(), ColorSpace::Kind::Indexed);
        EXPECT_EQ(indexed->lastIndex(), 1);
        float idx[2] = {0, 1};
        std::uint8_t rgb[6];
        ASSERT_TRUE(indexed->convertToRGB8(idx, 2, rgb));
        EXPECT_EQ(std::vector<int>(rgb, rgb + 6), (std::vector<int>{255, 0, 0, 0, 255, 0}));
    }
    EXPECT_FALSE(cs("IndexedOtherBase"));
    EXPECT_EQ(cs("CalRGB")->kind(), ColorSpace::Kind::CalRGB);
    EXPECT_EQ(cs("CalGray")->kind(), ColorSpace::Kind::CalGray);
    auto lab = cs("Lab");
    ASSERT_TRUE(lab);
    EXPECT_EQ(lab->rangeMin(1), -50);
    EXPECT_EQ(lab->rangeMax(2), 60);
    EXPECT_FALSE(cs("NotAName"));
    EXPECT_FALSE(cs("Unknown"));
    EXPECT_EQ(cs("Pattern")->kind(), ColorSpace::Kind::Pattern);
    EXPECT_EQ(cs("Device")->kind(), ColorSpace::Kind::DeviceCMYK);
    EXPECT_EQ(KXPDFUtilities::ColorSpaceFromName("G"), ColorSpace::deviceGray());
    EXPECT_FALSE(KXPDFUtilities::ColorSpaceFromName("Pattern"));
    EXPECT_EQ(KXPDFUtilities::DefaultColorSpace(), ColorSpace::deviceGray());
    // A family parser refuses another family's array.
    EXPECT_FALSE(KXPDFUtilities::ParserLab(t.dictGet("CalRGB")));
    EXPECT_FALSE(KXPDFUtilities::ParserIndexed(t.dictGet("CalRGB")));
    // The Indexed parser is there to be called (it was declared without a body).
    ASSERT_TRUE(KXPDFUtilities::ParserIndexed(t.dictGet("IndexedString")));
    EXPECT_EQ(KXPDFUtilities::ParserIndexed(t.dictGet("IndexedString"))->lastIndex(), 1);
}

TEST(ImageExtraction, ICCBasedWithoutAUsableProfile) {
    PDFBuilder b;
    int n3 = b.addStream("/N 3", "not a profile");
    int n2 = b.addStream("/N 2", "not a profile");
    int alt = b.addStream("/N 4 /Alternate /DeviceRGB", "not a profile");
    b.addPage("", "<< >>",
              "/Test << /N3 [/ICCBased " + std::to_string(n3) + " 0 R] /N2 [/ICCBased " + std::to_string(n2) +
                  " 0 R] /Mismatch [/ICCBased " + std::to_string(alt) + " 0 R] >>");
    auto doc = PDFDocument::openFromMemory(b.build());
    PDFObject t = doc->page(1)->dictionary().dictGet("Test");
    // N 3 without an alternate converts as DeviceRGB; N 2 has none; an alternate with another
    // component count would misread the samples and is not used.
    EXPECT_EQ(KXPDFUtilities::ColorSpaceWithPDFObject(t.dictGet("N3")), ColorSpace::deviceRGB());
    EXPECT_FALSE(KXPDFUtilities::ColorSpaceWithPDFObject(t.dictGet("N2")));
    EXPECT_FALSE(KXPDFUtilities::ColorSpaceWithPDFObject(t.dictGet("Mismatch")));
}

TEST(ImageExtraction, MaskStreamsAreWrittenAsGrayPNG) {
    ScopedTemporaryRoot root;
    PDFBuilder b;
    int smask = b.addStream("/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray", bytes({10, 200}));
    b.addPage("", "<< >>", "/Test " + std::to_string(smask) + " 0 R");
    auto doc = PDFDocument::openFromMemory(b.build());
    std::string path = KXPDFUtilities::extractPDFMaskStream(doc->page(1)->dictionary().dictGet("Test"));
    EXPECT_EQ(pathExtension(path), "png");
    EXPECT_EQ(detectImageType(readFile(path).value_or("")), ImageFileType::PNG);
    ImageRef gray = KXPDFUtilities::CGImageWithContentsOfFile_DeviceGray(path);
    ASSERT_TRUE(gray);
    EXPECT_EQ(gray->format, PixelFormat::Gray8);
    EXPECT_EQ(gray->pixels, (std::vector<std::uint8_t>{10, 200}));
}

TEST(ImageExtraction, DamagedImagesNeverCrash) {
    // Random dictionaries and data, deterministic seed: each either decodes or is refused.
    std::mt19937 rng(20261209);
    const char* spaces[] = {"/DeviceGray", "/DeviceRGB", "/DeviceCMYK", "[/Indexed /DeviceRGB 255 <00>]",
                            "[/Lab << >>]", "[/CalRGB << /Gamma [0 -1 1e300] >>]", "/Pattern", "[/DeviceN [/A] /DeviceGray 0]",
                            "[/Indexed [/Indexed /DeviceRGB 1 <00>] 1 <00>]", "/NoSuchSpace"};
    const char* filters[] = {"", "/Filter /DCTDecode", "/Filter /JPXDecode", "/Filter /JBIG2Decode",
                             "/Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns 9 >>", "/Filter /FlateDecode"};
    const int depths[] = {0, 1, 2, 3, 4, 8, 16, 32};
    std::string jpeg = test::encodeJPEG(std::vector<std::uint8_t>(64 * 3, 90), 8, 8, 3);
    ScopedTemporaryRoot root;
    PDFBuilder b;
    std::string resources = "<< /XObject << ";
    std::string content;
    for (int i = 0; i < 300; ++i) {
        std::uniform_int_distribution<int> small(0, 40);
        std::string entries = "/Subtype /Image /Width " + std::to_string(small(rng) - 2) + " /Height " + std::to_string(small(rng) - 2) +
                              " /BitsPerComponent " + std::to_string(depths[rng() % 8]) + " /ColorSpace " + spaces[rng() % 10] +
                              " " + filters[rng() % 6];
        if (rng() % 4 == 0) entries += " /Decode [1 0 0.5]";
        if (rng() % 5 == 0) entries += " /Mask [0 3 7]";
        if (rng() % 6 == 0) entries += " /ImageMask true";
        std::string data = jpeg.substr(0, rng() % jpeg.size());
        for (char& c : data)
            if (rng() % 20 == 0) c = static_cast<char>(rng());
        int image = b.addStream(entries, data);
        std::string name = "/I" + std::to_string(i);
        resources += name + " " + std::to_string(image) + " 0 R ";
        content += name + " Do ";
    }
    b.addPage(content, resources + ">> >>");
    auto run = test::runPages(b);
    EXPECT_EQ(run->recorder.images.size(), 300u);
    for (const auto& r : run->recorder.images) {
        if (r.path.empty()) continue;
        EXPECT_TRUE(readImageFile(r.path)) << r.objectID;
    }
}

TEST(ImageExtraction, DecodedFilesOfAClosedDocumentAreNotReusedForTheNext) {
    // Two documents with the same object numbers, one after the other in one temporary folder.
    ScopedTemporaryRoot root;
    std::vector<std::vector<int>> pixels;
    for (int grayValue : {30, 220}) {
        PDFBuilder b;
        int image = b.addStream("/Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray",
                                bytes({grayValue}));
        b.addPage("/Im0 Do", "<< /XObject << /Im0 " + std::to_string(image) + " 0 R >> >>");
        auto run = test::runPages(b);
        ASSERT_EQ(run->recorder.images.size(), 1u);
        pixels.push_back(test::rgbaPixels(run->recorder.images[0].path));
    }
    EXPECT_EQ(pixels[0], (std::vector<int>{30, 30, 30, 255}));
    EXPECT_EQ(pixels[1], (std::vector<int>{220, 220, 220, 255}));
}
