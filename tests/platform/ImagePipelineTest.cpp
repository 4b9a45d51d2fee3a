// Image colour spaces, sample unpacking, codecs, reading image files by content, and masks.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include <stb/stb_image_write.h>
#include <tiffio.h>

#include "platform/ColorSpace.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "platform/ImageMasking.h"
#include "platform/ImageSamples.h"
#include "platform/image/ImageWriter.h"
#include "support/ImageFixtures.h"
#include "support/TestSupport.h"

using namespace kx;

namespace {

std::vector<int> rgbOf(const ColorSpaceRef& cs, std::vector<float> comps) {
    std::vector<std::uint8_t> out(3 * comps.size() / static_cast<size_t>(cs->componentCount()));
    EXPECT_TRUE(cs->convertToRGB8(comps.data(), out.size() / 3, out.data()));
    return {out.begin(), out.end()};
}

const double kWhiteD50[3] = {0.9642, 1.0, 0.8249};
const double kBlack[3] = {0, 0, 0};

// A gradient that exercises every channel differently.
std::vector<std::uint8_t> pattern(int w, int h, int comps) {
    std::vector<std::uint8_t> v(static_cast<size_t>(w) * h * comps);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < comps; ++c)
                v[(static_cast<size_t>(y) * w + x) * comps + c] = static_cast<std::uint8_t>((x * 37 + y * 11 + c * 85) % 256);
    return v;
}

int maxDiff(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size()) return 256;
    int m = 0;
    for (size_t i = 0; i < a.size(); ++i) m = std::max(m, std::abs(int(a[i]) - int(b[i])));
    return m;
}

}  // namespace

TEST(ColorSpace, ConvertsEachKindToRGB) {
    auto tintToCyan = [](const double* in, double* out) { out[0] = in[0], out[1] = out[2] = out[3] = 0; };
    auto twoInks = [](const double* in, double* out) { out[0] = in[0], out[1] = in[1], out[2] = 0; };
    const double range[4] = {-100, 100, -100, 100};
    struct Case {
        const char* name;
        ColorSpaceRef cs;
        std::vector<float> in;
        std::vector<int> rgb;
    } cases[] = {
        {"gray", ColorSpace::deviceGray(), {0, 0.5f, 1}, {0, 0, 0, 128, 128, 128, 255, 255, 255}},
        {"rgb clamps", ColorSpace::deviceRGB(), {1.5f, -0.2f, 0.5f}, {255, 0, 128}},
        // Black ink alone is the measured rich black of the corner table, not pure black.
        {"cmyk corners", ColorSpace::deviceCMYK(), {0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0}, {255, 255, 255, 35, 31, 32, 0, 173, 239}},
        {"calgray gamma 1 is linear light", ColorSpace::calibratedGray(kWhiteD50, kBlack, 1), {0.5f}, {188, 188, 188}},
        {"lab white and black", ColorSpace::lab(kWhiteD50, kBlack, range), {100, 0, 0, 0, 0, 0}, {255, 255, 255, 0, 0, 0}},
        {"indexed clamps the index", ColorSpace::indexed(ColorSpace::deviceRGB(), 1, std::string("\xFF\x00\x00\x00\xFF\x00", 6)),
         {0, 1, 7}, {255, 0, 0, 0, 255, 0, 0, 255, 0}},
        {"indexed short table reads zeros", ColorSpace::indexed(ColorSpace::deviceRGB(), 1, std::string("\xFF\xFF\xFF", 3)),
         {1}, {0, 0, 0}},
        {"separation through its tint", ColorSpace::deviceN(1, ColorSpace::deviceCMYK(), tintToCyan), {1, 0}, {0, 173, 239, 255, 255, 255}},
        {"devicen through its tint", ColorSpace::deviceN(2, ColorSpace::deviceRGB(), twoInks), {1, 1, 0, 1}, {255, 255, 0, 0, 255, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.cs);
        std::vector<int> got = rgbOf(c.cs, c.in);
        ASSERT_EQ(got.size(), c.rgb.size());
        for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.rgb[i], 1) << "channel " << i;
    }
}

TEST(ColorSpace, RefusesWhatCannotColourPixels) {
    EXPECT_FALSE(ColorSpace::indexed(ColorSpace::deviceRGB(), 256, std::string(768, 'a')));
    EXPECT_FALSE(ColorSpace::indexed(nullptr, 1, "ab"));
    EXPECT_FALSE(ColorSpace::deviceN(0, ColorSpace::deviceRGB(), [](const double*, double*) {}));
    float v[3] = {0, 0, 0};
    std::uint8_t rgb[3];
    EXPECT_FALSE(ColorSpace::pattern(ColorSpace::deviceRGB())->convertToRGB8(v, 1, rgb));
    // A degenerate Lab white point gives colours, not NaNs.
    const double zero[3] = {0, 0, 0}, range[4] = {-100, 100, -100, 100};
    auto lab = ColorSpace::lab(zero, zero, range);
    float white[3] = {100, 0, 0};
    ASSERT_TRUE(lab->convertToRGB8(white, 1, rgb));
    EXPECT_EQ(rgb[0], 255);
}

TEST(ImageSamples, UnpacksEveryBitDepthThroughTheDecodeArray) {
    struct Case {
        const char* name;
        int bpc;
        std::string data;  // one row of four gray samples
        std::vector<double> decode;
        std::vector<int> gray;
    } cases[] = {
        {"1 bit", 1, "\xA0", {}, {255, 0, 255, 0}},
        {"1 bit inverted by Decode", 1, "\xA0", {1, 0}, {0, 255, 0, 255}},
        {"2 bit", 2, "\x1B", {}, {0, 85, 170, 255}},
        {"4 bit", 4, std::string("\x0F\x80", 2), {}, {0, 255, 136, 0}},
        {"8 bit", 8, std::string("\x00\x40\x80\xFF", 4), {}, {0, 64, 128, 255}},
        {"16 bit big-endian", 16, std::string("\x00\x00\x80\x00\xFF\xFF\x01\x00", 8), {}, {0, 128, 255, 1}},
        {"short data reads zeros", 8, std::string("\xFF\xFF", 2), {}, {255, 255, 0, 0}},
        {"Decode with one number is padded", 8, std::string("\x00\x00\x00\x00", 4), {0.5}, {128, 128, 128, 128}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SampleImageParams p;
        p.width = 4;
        p.height = 1;
        p.bitsPerComponent = c.bpc;
        p.colorSpace = ColorSpace::deviceGray();
        p.decode = c.decode;
        ImageRef img = makeImageFromSamples(p, c.data);
        ASSERT_TRUE(img);
        ASSERT_EQ(img->format, PixelFormat::Gray8);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(img->pixels[x], c.gray[x]) << "pixel " << x;
    }
}

TEST(ImageSamples, OneBitRowsOfAnyWidthUnpackEveryPixel) {
    // Widths that end on a byte, inside one, and below one byte; the last row runs short of data.
    for (int width : {8, 11, 17, 3}) {
        for (bool inverted : {false, true}) {
            SCOPED_TRACE("width " + std::to_string(width) + (inverted ? ", Decode [1 0]" : ""));
            const int height = 3;
            const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
            std::string data;
            for (size_t i = 0; i < rowBytes * height - 1; ++i) data.push_back(static_cast<char>(0x5A ^ (i * 37)));
            SampleImageParams p;
            p.width = width;
            p.height = height;
            p.bitsPerComponent = 1;
            p.colorSpace = ColorSpace::deviceGray();
            if (inverted) p.decode = {1, 0};
            ImageRef img = makeImageFromSamples(p, data);
            ASSERT_TRUE(img);
            ASSERT_EQ(img->format, PixelFormat::Gray8);
            int wrong = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const size_t byte = y * rowBytes + static_cast<size_t>(x) / 8;
                    const bool set = byte < data.size() && (static_cast<unsigned char>(data[byte]) >> (7 - x % 8)) & 1;
                    wrong += img->row(y)[x] != ((set != inverted) ? 255 : 0);
                }
            EXPECT_EQ(wrong, 0);
        }
    }
}

TEST(ImageSamples, RowsStartOnByteBoundariesAndIndexedDecodesToIndices) {
    // Three 2-bit indices a row: each row takes one byte.
    auto cs = ColorSpace::indexed(ColorSpace::deviceRGB(), 2, std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 9));
    SampleImageParams p;
    p.width = 3;
    p.height = 2;
    p.bitsPerComponent = 2;
    p.colorSpace = cs;
    ImageRef img = makeImageFromSamples(p, std::string("\x18\x90", 2));  // 0 1 2 | 2 1 0
    ASSERT_TRUE(img);
    std::vector<std::uint8_t> want = {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0};
    EXPECT_EQ(img->pixels, want);
}

TEST(ImageSamples, ColourKeyComparesRawSamples) {
    // 4-bit RGB, key on raw red 15 and green/blue 0; Decode inverts the colours, which must not
    // change which pixels are keyed.
    SampleImageParams p;
    p.width = 2;
    p.height = 1;
    p.bitsPerComponent = 4;
    p.colorSpace = ColorSpace::deviceRGB();
    p.decode = {1, 0, 1, 0, 1, 0};
    p.colorKey = {15, 15, 0, 0, 0, 0};
    ImageRef img = makeImageFromSamples(p, std::string("\xF0\x00\xF0", 3));  // (15,0,0) (0,15,0)
    ASSERT_TRUE(img);
    ASSERT_EQ(img->format, PixelFormat::RGBA8);
    std::vector<std::uint8_t> want = {0, 255, 255, 0, 255, 0, 255, 255};
    EXPECT_EQ(img->pixels, want);
}

TEST(ImageSamples, RefusesBadDepthsAndSizesBeyondTheBudget) {
    SampleImageParams p;
    p.width = 4;
    p.height = 4;
    p.colorSpace = ColorSpace::deviceGray();
    p.bitsPerComponent = 3;
    EXPECT_FALSE(makeImageFromSamples(p, "x"));
    p.bitsPerComponent = 8;
    p.width = 100000;
    p.height = 100000;
    EXPECT_FALSE(makeImageFromSamples(p, "x"));
    p.width = p.height = 1;
    p.colorSpace = ColorSpace::pattern(nullptr);
    EXPECT_FALSE(makeImageFromSamples(p, "x"));
}

// Reduced images, fed their samples in pieces that cut rows anywhere: at factor 1 exactly the
// image makeImageFromSamples makes, for every way of unpacking; above it, each pixel the mean of
// its block (cut short at the edges), colours weighed by alpha, missing rows zeros.
TEST(ImageSamples, ReducedImagesAreBlockMeansOfTheWholeImage) {
    auto indexed = ColorSpace::indexed(ColorSpace::deviceRGB(), 3, std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\x10\x20\x30", 12));
    const std::vector<std::uint8_t> rgb = pattern(13, 7, 3), gray = pattern(13, 7, 1), wide = pattern(13, 7, 2);
    struct Same {
        const char* name;
        ColorSpaceRef cs;
        int bpc;
        std::string data;
        std::vector<std::int64_t> colorKey;
        bool isMask;
    } same[] = {
        {"RGB 8 bits", ColorSpace::deviceRGB(), 8, std::string(rgb.begin(), rgb.end()), {}, false},
        {"gray 1 bit", ColorSpace::deviceGray(), 1, std::string(gray.begin(), gray.begin() + 14), {}, false},
        {"indexed 2 bits", indexed, 2, std::string(gray.begin(), gray.begin() + 28), {}, false},
        {"gray 16 bits", ColorSpace::deviceGray(), 16, std::string(wide.begin(), wide.end()), {}, false},
        {"colour key", ColorSpace::deviceRGB(), 8, std::string(rgb.begin(), rgb.end()), {0, 120, 0, 255, 0, 255}, false},
        {"mask, short data", nullptr, 8, std::string(gray.begin(), gray.begin() + 40), {}, true},
    };
    for (const Same& c : same) {
        SCOPED_TRACE(c.name);
        SampleImageParams p;
        p.width = 13;
        p.height = 7;
        p.bitsPerComponent = c.bpc;
        p.colorSpace = c.cs;
        p.colorKey = c.colorKey;
        p.isMask = c.isMask;
        ImageRef whole = makeImageFromSamples(p, c.data);
        ASSERT_TRUE(whole);
        ReducedSampleImage reduced(p, 1);
        ASSERT_TRUE(reduced.isValid());
        for (size_t i = 0; i < c.data.size(); i += 5) reduced.add(std::string_view(c.data).substr(i, 5));
        ImageRef image = reduced.finish();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->format, whole->format);
        EXPECT_EQ(image->pixels, whole->pixels);
    }

    struct Mean {
        const char* name;
        ColorSpaceRef cs;
        int width, height, factor;
        std::string data;
        std::vector<std::int64_t> colorKey;
        std::vector<int> pixels;
    } means[] = {
        {"blocks cut short at the right", ColorSpace::deviceGray(), 4, 1, 3, std::string("\x00\xFF\xFF\xFF", 4), {},
         {170, 255}},
        {"blocks cut short at the bottom", ColorSpace::deviceGray(), 2, 3, 2, std::string("\x00\x64\xC8\x00\x0A\x0A", 6),
         {}, {75, 10}},
        {"missing rows are zeros", ColorSpace::deviceGray(), 1, 4, 4, std::string("\xFF\xFF", 2), {}, {128}},
        {"transparent pixels lend no colour", ColorSpace::deviceRGB(), 2, 1, 2, std::string("\xFF\x00\x00\x00\x00\xFF", 6),
         {255, 255, 0, 0, 0, 0}, {0, 0, 255, 128}},
    };
    for (const Mean& c : means) {
        SCOPED_TRACE(c.name);
        SampleImageParams p;
        p.width = c.width;
        p.height = c.height;
        p.colorSpace = c.cs;
        p.colorKey = c.colorKey;
        ReducedSampleImage reduced(p, c.factor);
        ASSERT_TRUE(reduced.isValid());
        reduced.add(c.data);
        ImageRef image = reduced.finish();
        ASSERT_TRUE(image);
        EXPECT_EQ(std::vector<int>(image->pixels.begin(), image->pixels.end()), c.pixels);
    }
}

// The factor keeps an image within the decode budget and the bitmap's side limit, and goes no
// further than the size the output shows it at allows.
TEST(ImageSamples, ReductionFactorKeepsTheBudgetAndWhatTheOutputShows) {
    struct Case {
        const char* name;
        std::int64_t width, height, neededWidth, neededHeight;
        int factor;
    } cases[] = {
        {"within the budget, however small it is shown", 8192, 8192, 10, 10, 1},
        {"a pixel beyond it", 8193, 8192, 0, 0, 2},
        {"20000 square, size not known", 20000, 20000, 0, 0, 3},
        {"20000 square shown over 3334 pixels", 20000, 20000, 3334, 3334, 5},
        {"shown larger than the budget allows", 20000, 20000, 20000, 20000, 3},
        {"a side beyond the bitmap's limit", 40000, 1, 0, 0, 2},
        {"the largest declared size", INT32_MAX, INT32_MAX, 1, 1, INT32_MAX},
        {"empty", 0, 5, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sampleReductionFactor(c.width, c.height, c.neededWidth, c.neededHeight), c.factor);
    }
}

// JPEG data is reduced by the codec's own scaling, to the first power of two that reaches the
// factor asked (an eighth at most), beyond the size a whole decode may have.
TEST(ImageCodecs, JPEGIsDecodedReducedByItsOwnScaling) {
    const std::string small = test::encodeJPEG(pattern(64, 40, 3), 64, 40, 3, 90);
    for (auto [reduction, width, height] : {std::tuple{1, 64, 40}, {2, 32, 20}, {3, 16, 10}, {8, 8, 5}, {20, 8, 5}}) {
        SCOPED_TRACE(reduction);
        auto s = decodeJPEG(small, reduction);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->width, width);
        EXPECT_EQ(s->height, height);
    }
    auto big = decodeJPEG(test::encodeJPEG(std::vector<std::uint8_t>(20000 * 16, 90), 20000, 16, 1, 50), 2);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->width, 10000);
}

TEST(ImageCodecs, JPEGInEachColourModel) {
    const int w = 16, h = 8;
    struct Case {
        const char* name;
        int comps;
        bool adobe;
        ColorSpaceModel model;
    } cases[] = {
        {"gray", 1, false, ColorSpaceModel::Monochrome},
        {"rgb", 3, false, ColorSpaceModel::RGB},
        {"cmyk", 4, false, ColorSpaceModel::CMYK},
        {"inverted adobe cmyk", 4, true, ColorSpaceModel::CMYK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto samples = pattern(w, h, c.comps);
        auto decoded = decodeJPEG(test::encodeJPEG(samples, w, h, c.comps, 100, c.adobe));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->width, w);
        EXPECT_EQ(decoded->height, h);
        EXPECT_EQ(decoded->model, c.model);
        EXPECT_LE(maxDiff(decoded->data, samples), 12);
    }
    std::string jpeg = test::encodeJPEG(pattern(w, h, 3), w, h, 3);
    EXPECT_FALSE(decodeJPEG("not a jpeg at all"));
    EXPECT_FALSE(decodeJPEG(jpeg.substr(0, 20)));
    // A header announcing 60000 × 60000 pixels is refused before anything is allocated.
    std::string huge = jpeg;
    size_t sof = huge.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = '\xEA', huge[sof + 6] = '\x60', huge[sof + 7] = '\xEA', huge[sof + 8] = '\x60';
    EXPECT_FALSE(decodeJPEG(huge));
}

TEST(ImageCodecs, JPEG2000CodestreamsAndFilesAreLossless) {
    for (int comps : {1, 3}) {
        for (bool jp2 : {false, true}) {
            SCOPED_TRACE(std::to_string(comps) + (jp2 ? " jp2" : " j2k"));
            auto samples = pattern(9, 7, comps);
            std::string data = test::encodeJPEG2000(samples, 9, 7, comps, jp2);
            ASSERT_FALSE(data.empty());
            EXPECT_EQ(detectImageType(data), ImageFileType::JPEG2000);
            auto decoded = decodeJPEG2000(data);
            ASSERT_TRUE(decoded);
            EXPECT_EQ(decoded->components, comps);
            EXPECT_EQ(decoded->data, samples);
        }
    }
    EXPECT_FALSE(decodeJPEG2000(std::string("\xFF\x4F\xFF\x51garbage", 11)));
}

TEST(ImageFiles, AreReadByTheirContentNotTheirName) {
    const int w = 5, h = 3;
    auto rgb = pattern(w, h, 3);
    auto write = [](void* ctx, void* data, int size) { static_cast<std::string*>(ctx)->append(static_cast<char*>(data), size); };
    std::string png, bmp, tga;
    stbi_write_png_to_func(write, &png, w, h, 3, rgb.data(), w * 3);
    stbi_write_bmp_to_func(write, &bmp, w, h, 3, rgb.data());
    stbi_write_tga_to_func(write, &tga, w, h, 3, rgb.data());
    // TIFF through libtiff.
    std::string tiffPath = pathJoin(test::tempDir(), "tiff-fixture.bin");
    {
        TIFF* t = TIFFOpen(tiffPath.c_str(), "w");
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        for (int y = 0; y < h; ++y) TIFFWriteScanline(t, rgb.data() + y * w * 3, static_cast<std::uint32_t>(y), 0);
        TIFFClose(t);
    }
    // A 2 × 1 GIF: red, blue.
    const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0, 0, 255,
                                 0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0x44, 0x0A, 0, 0x3B};
    struct Case {
        const char* name;
        std::string data;
        ImageFileType type;
        int width;
        std::vector<std::uint8_t> firstPixel;
    } cases[] = {
        {"png", png, ImageFileType::PNG, w, {rgb[0], rgb[1], rgb[2]}},
        {"bmp", bmp, ImageFileType::BMP, w, {rgb[0], rgb[1], rgb[2]}},
        {"tga", tga, ImageFileType::Unknown, w, {rgb[0], rgb[1], rgb[2]}},
        {"tiff", *readFile(tiffPath), ImageFileType::TIFF, w, {rgb[0], rgb[1], rgb[2], 255}},
        {"gif", std::string(reinterpret_cast<const char*>(gif), sizeof gif), ImageFileType::GIF, 2, {255, 0, 0, 255}},
        {"jpeg", test::encodeJPEG(std::vector<std::uint8_t>(15 * 3, 200), w, h, 3, 100), ImageFileType::JPEG, w, {200, 200, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(detectImageType(c.data), c.type);
        // Every file gets a misleading name.
        std::string path = test::writeTemp(std::string("picture-") + c.name + ".wrongext.png", c.data);
        ImageRef img = readImageFile(path);
        ASSERT_TRUE(img);
        EXPECT_EQ(img->width, c.width);
        std::vector<std::uint8_t> first(img->pixels.begin(), img->pixels.begin() + bytesPerPixel(img->format));
        EXPECT_LE(maxDiff(first, c.firstPixel), 1);
    }
    EXPECT_FALSE(readImageFile(pathJoin(test::tempDir(), "missing.png")));
    EXPECT_FALSE(readImageFile(""));
    EXPECT_FALSE(readImageData("plain text, no picture"));
}

TEST(ImageFiles, BlackAndWhiteGrayIsWrittenOneBitDeepWithTheSamePixels) {
    // Rows are checked and packed eight pixels at a time with a tail: a single level that is
    // neither black nor white, inside a word or in the tail, must keep the image 8 bits deep.
    struct Case { const char* name; std::vector<std::uint8_t> levels; int oddIndex; std::uint8_t oddLevel; int bitDepth; };
    const Case cases[] = {
        {"black and white", {0, 255}, -1, 0, 1},
        {"all white", {255}, -1, 0, 1},
        {"one gray between", {0, 255, 128}, -1, 0, 8},
        {"one near-white byte inside a word", {0, 255}, 40, 254, 8},
        {"one near-black byte inside a word", {255}, 3, 1, 8},
        {"one mid gray in the row tail", {0, 255}, 2 * 37 + 35, 127, 8},
        {"one mid gray at a word's top", {0, 255}, 7, 128, 8},
    };
    for (const Case& c : cases)
        for (int width : {13, 37}) {
            SCOPED_TRACE(std::string(c.name) + " width " + std::to_string(width));
            auto img = Image::make(width, 3, PixelFormat::Gray8);
            for (size_t i = 0; i < img->pixels.size(); ++i) img->pixels[i] = c.levels[(i * 7 / 3) % c.levels.size()];
            if (c.oddIndex >= 0) img->pixels[static_cast<size_t>(c.oddIndex) % img->pixels.size()] = c.oddLevel;
            const std::string path = pathJoin(test::tempDir(), std::string("bilevel-") + c.name + ".png");
            ASSERT_EQ(writeImageFile(*img, path, ImageFileType::PNG), ImageWriteStatus::Written);
            std::optional<std::string> bytes = readFile(path);
            ASSERT_TRUE(bytes && bytes->size() > 25);
            EXPECT_EQ(static_cast<int>((*bytes)[24]), c.bitDepth) << "the bit depth in the header";
            ImageRef back = readImageFile(path);
            ASSERT_TRUE(back);
            ASSERT_EQ(back->format, PixelFormat::Gray8);
            EXPECT_EQ(back->pixels, img->pixels);
        }
}

TEST(ImageMasking, SoftMaskIsCoverageStretchedOverTheLargerCanvas) {
    // A 2 × 2 red image under a 4 × 2 mask: the canvas is 4 × 2, the image is stretched.
    auto red = Image::make(2, 2, PixelFormat::RGB8);
    for (size_t i = 0; i < red->pixels.size(); i += 3) red->pixels[i] = 255;
    auto mask = Image::make(4, 2, PixelFormat::Gray8);
    mask->pixels = {0, 85, 170, 255, 255, 255, 255, 255};
    ImageRef out = maskImage(red, mask, AffineTransform::identity());
    ASSERT_TRUE(out);
    EXPECT_EQ(out->width, 4);
    EXPECT_EQ(out->height, 2);
    EXPECT_EQ(out->format, PixelFormat::RGBA8);
    std::vector<int> alpha, redChannel;
    for (int i = 0; i < 8; ++i) alpha.push_back(out->pixels[4 * i + 3]), redChannel.push_back(out->pixels[4 * i]);
    EXPECT_EQ(alpha, (std::vector<int>{0, 85, 170, 255, 255, 255, 255, 255}));
    EXPECT_EQ(redChannel, std::vector<int>(8, 255));
    EXPECT_EQ(maskImage(red, nullptr, {}), red);
    EXPECT_FALSE(maskImage(nullptr, mask, {}));
}

TEST(ImageMasking, AMaskOfTheImagesOwnSizeKeepsEveryPixel) {
    // Unmoved and of one size, each canvas pixel is its image pixel with the mask's coverage. A
    // shift far below a pixel takes the general sampling path over the same points: both agree.
    struct Case { int width, height; PixelFormat image, mask; };
    const Case cases[] = {
        {1, 1, PixelFormat::RGBA8, PixelFormat::Gray8},
        {7, 5, PixelFormat::RGB8, PixelFormat::Gray8},
        {301, 3, PixelFormat::RGBA8, PixelFormat::GrayAlpha8},
        {3, 257, PixelFormat::GrayAlpha8, PixelFormat::RGB8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        auto image = Image::make(c.width, c.height, c.image);
        auto mask = Image::make(c.width, c.height, c.mask);
        for (size_t i = 0; i < image->pixels.size(); ++i) image->pixels[i] = static_cast<std::uint8_t>(i * 37 + i / 5);
        for (size_t i = 0; i < mask->pixels.size(); ++i) mask->pixels[i] = static_cast<std::uint8_t>(i * 11 + 3);
        ImageRef out = maskImage(image, mask, AffineTransform::identity());
        ASSERT_TRUE(out);
        ImageRef rgba = toRGBA8(image), coverage = toGray8(mask);
        ASSERT_EQ(out->pixels.size(), rgba->pixels.size());
        for (size_t i = 0; i < coverage->pixels.size(); ++i) {
            const std::uint8_t* want = rgba->pixels.data() + 4 * i;
            const std::uint8_t* got = out->pixels.data() + 4 * i;
            ASSERT_EQ((std::vector<int>{got[0], got[1], got[2], got[3]}),
                      (std::vector<int>{want[0], want[1], want[2], (want[3] * coverage->pixels[i] + 127) / 255}))
                << "pixel " << i;
        }
        ImageRef general = maskImage(image, mask, AffineTransform::makeTranslation(0, 1e-300));
        ASSERT_TRUE(general);
        EXPECT_EQ(general->pixels, out->pixels);
    }
}

TEST(ImageMasking, ATransformThatIsNotANumberLeavesTheCanvasEmpty) {
    // Its inverse is not a number either: no canvas point maps into the image, and no sample is
    // read from outside it.
    auto red = Image::make(2, 2, PixelFormat::RGB8);
    auto mask = Image::make(2, 2, PixelFormat::Gray8);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (AffineTransform t : {AffineTransform{nan, 0, 0, 1, 0, 0}, AffineTransform{1, 0, 0, 1, nan, 0}}) {
        ImageRef out = maskImage(red, mask, t);
        ASSERT_TRUE(out);
        EXPECT_EQ(out->pixels, std::vector<std::uint8_t>(out->pixels.size(), 0));
    }
}

TEST(ImageMasking, StencilPaintsItsColourWhereTheMaskIsDark) {
    auto mask = Image::make(3, 1, PixelFormat::Gray8);
    mask->pixels = {0, 255, 0};
    ImageRef out = paintStencil(mask, Color::rgb(0, 0, 1));
    ASSERT_TRUE(out);
    std::vector<std::uint8_t> want = {0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 255, 255};
    EXPECT_EQ(out->pixels, want);
}
