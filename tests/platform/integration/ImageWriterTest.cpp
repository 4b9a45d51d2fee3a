// The image-file writer, checked by an independent reader (ImageMagick): each format opens, has the
// pixel size and resolution it was given, and holds the pixels (exactly for the lossless formats).

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/image/ImageWriter.h"
#include "support/TestSupport.h"

using namespace kx;

namespace {

bool haveImageMagick() { return test::haveCommand("identify") && test::haveCommand("compare"); }

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Lines of `identify -format`; empty when identify refuses the file.
std::string identify(const std::string& path, const std::string& format) {
    std::string out;
    if (test::runCommand("identify -format " + quoted(format) + " " + quoted(path), &out) != 0) return {};
    return out;
}

// A pattern that exercises run-length packets (long runs, long raw stretches), varying alpha and
// every colour channel; smoother for a lossy codec.
std::shared_ptr<Image> patternImage(int w, int h, PixelFormat format, bool lossy = false) {
    auto img = Image::make(w, h, format);
    int n = bytesPerPixel(format);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = img->row(y) + static_cast<size_t>(x) * static_cast<size_t>(n);
            std::uint8_t v[4];
            switch (lossy ? (y / 8) % 4 : y % 4) {  // a lossy codec gets 8-row bands
                case 0: v[0] = 200, v[1] = 30, v[2] = 30, v[3] = 255; break;              // one long run
                case 1: v[0] = v[1] = v[2] = lossy ? 128 : (x % 2) ? 0 : 255, v[3] = 255; break;  // raw stretch
                case 2: v[0] = static_cast<std::uint8_t>(x * 7), v[1] = 90, v[2] = static_cast<std::uint8_t>(255 - x),
                        v[3] = static_cast<std::uint8_t>(x < w / 2 ? 255 : 128); break;
                default: v[0] = 20, v[1] = 160, v[2] = 240, v[3] = static_cast<std::uint8_t>((x / 8) % 2 ? 64 : 255); break;
            }
            if (format == PixelFormat::RGBA8) std::copy(v, v + 4, p);
            if (format == PixelFormat::RGB8) std::copy(v, v + 3, p);
            if (format == PixelFormat::Gray8) p[0] = v[0];
            if (format == PixelFormat::GrayAlpha8) p[0] = v[0], p[1] = v[3];
            if (format == PixelFormat::CMYK8) p[0] = 255 - v[0], p[1] = 255 - v[1], p[2] = 255 - v[2], p[3] = 0;
        }
    }
    return img;
}

// The expected pixels as a PAM file written here, straight or laid over white.
std::string referencePAM(const Image& img, bool keepAlpha) {
    int n = bytesPerPixel(img.format);
    std::string data;
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const std::uint8_t* p = img.row(y) + static_cast<size_t>(x) * static_cast<size_t>(n);
            unsigned r, g, b, a = 255;
            switch (img.format) {
                case PixelFormat::Gray8: r = g = b = p[0]; break;
                case PixelFormat::GrayAlpha8: r = g = b = p[0], a = p[1]; break;
                case PixelFormat::RGB8: r = p[0], g = p[1], b = p[2]; break;
                case PixelFormat::RGBA8: r = p[0], g = p[1], b = p[2], a = p[3]; break;
                default: r = 255 - p[0], g = 255 - p[1], b = 255 - p[2]; break;
            }
            if (!keepAlpha) {
                auto over = [a](unsigned v) { return (v * a + 255 * (255 - a) + 127) / 255; };
                r = over(r), g = over(g), b = over(b), a = 255;
            }
            data += static_cast<char>(r);
            data += static_cast<char>(g);
            data += static_cast<char>(b);
            data += static_cast<char>(a);
        }
    }
    std::string header = kx::format("P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                                    img.width, img.height);
    return header + data;
}

// Pixels that differ by more than `fuzzPercent` between the two files (ImageMagick's count).
long differingPixels(const std::string& a, const std::string& b, int fuzzPercent) {
    std::string out;
    test::runCommand("compare -metric AE -fuzz " + std::to_string(fuzzPercent) + "% " + quoted(a) + " " + quoted(b) +
                         " null: 2>&1",
                     &out);
    return std::lround(std::strtod(out.c_str(), nullptr));
}

// Root-mean-square difference of the two files, 0 to 1 (for the lossy format).
double rmse(const std::string& a, const std::string& b) {
    std::string out;
    test::runCommand("compare -metric RMSE " + quoted(a) + " " + quoted(b) + " null: 2>&1", &out);
    auto open = out.find('(');
    return open == std::string::npos ? 1.0 : std::strtod(out.c_str() + open + 1, nullptr);
}

double toDPI(double value, const std::string& units) {
    return units == "PixelsPerCentimeter" ? value * 2.54 : value;
}

struct FormatCase {
    const char* name;
    ImageFileType type;
    const char* extension;
    const char* magick;       // what the reader calls the format
    bool recordsResolution;
    bool keepsAlpha;
    int fuzzPercent;          // 0 for lossless; -1: lossy, compared by mean difference
};

const FormatCase kFormats[] = {
    {"PNG", ImageFileType::PNG, "png", "PNG", true, true, 0},
    {"JPEG", ImageFileType::JPEG, "jpeg", "JPEG", true, false, -1},
    {"BMP", ImageFileType::BMP, "bmp", "BMP3", true, false, 0},
    {"GIF", ImageFileType::GIF, "gif", "GIF", false, false, 4},
    {"TIFF", ImageFileType::TIFF, "tiff", "TIFF", true, true, 0},
    {"TGA", ImageFileType::TGA, "tga", "TGA", false, true, 0},
    {"JPEG2000", ImageFileType::JPEG2000, "jp2", "JP2", false, true, 0},
};

class ImageWriterFormat : public ::testing::TestWithParam<FormatCase> {};

}  // namespace

// Sizes: a single pixel, a thin strip longer than a run-length packet, and a block with odd sides.
TEST_P(ImageWriterFormat, ReadsBackWithSizeResolutionAndPixels) {
    if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    const FormatCase& fc = GetParam();
    const std::pair<int, int> sizes[] = {{1, 1}, {300, 8}, {70, 33}};
    for (auto [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        auto img = patternImage(w, h, PixelFormat::RGBA8, fc.fuzzPercent < 0);
        std::string path = pathJoin(test::tempDir(), kx::format("pattern-%dx%d.%s", w, h, fc.extension));
        ASSERT_EQ(writeImageFile(*img, path, fc.type, {144, 96, 0.92f}), ImageWriteStatus::Written);

        std::istringstream meta(identify(path, "%m %w %h %x %y %U"));
        std::string magick, units;
        int rw = 0, rh = 0;
        double xres = 0, yres = 0;
        meta >> magick >> rw >> rh >> xres >> yres >> units;
        EXPECT_EQ(magick, fc.magick);
        EXPECT_EQ(rw, w);
        EXPECT_EQ(rh, h);
        if (fc.recordsResolution) {
            EXPECT_NEAR(toDPI(xres, units), 144, 0.05) << units;
            EXPECT_NEAR(toDPI(yres, units), 96, 0.05) << units;
        }

        std::string reference = test::writeTemp(kx::format("reference-%s-%dx%d.pam", fc.name, w, h),
                                                referencePAM(*img, fc.keepsAlpha));
        if (fc.fuzzPercent >= 0)
            EXPECT_EQ(differingPixels(reference, path, fc.fuzzPercent), 0);
        else
            EXPECT_LT(rmse(reference, path), 0.08);
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ImageWriterFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

// TIFF keeps full colour and alpha, compressed without loss (not 1-bit fax).
TEST(ImageWriter, TIFFIsFullColourLZW) {
    if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    auto img = patternImage(64, 16, PixelFormat::RGBA8);
    std::string path = pathJoin(test::tempDir(), "colour.tiff");
    ASSERT_EQ(writeImageFile(*img, path, ImageFileType::TIFF, {300, 300, 1}), ImageWriteStatus::Written);
    EXPECT_EQ(identify(path, "%C %z %[channels]"), "LZW 8 srgba");
}

// Each pixel layout of a bitmap reaches the file in a layout the format can hold.
TEST(ImageWriter, PixelLayoutsAreKeptOrConverted) {
    if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    struct Case {
        const char* name;
        PixelFormat format;
        ImageFileType type;
        const char* extension;
        const char* channels;  // as the reader reports them
        bool keepsAlpha;
    } cases[] = {
        {"gray PNG stays gray", PixelFormat::Gray8, ImageFileType::PNG, "png", "gray", true},
        {"gray with alpha PNG", PixelFormat::GrayAlpha8, ImageFileType::PNG, "png", "graya", true},
        {"gray JPEG stays gray", PixelFormat::Gray8, ImageFileType::JPEG, "jpg", "gray", false},
        {"gray with alpha TGA becomes RGBA", PixelFormat::GrayAlpha8, ImageFileType::TGA, "tga", "srgba", true},
        {"CMYK TIFF stays CMYK", PixelFormat::CMYK8, ImageFileType::TIFF, "tiff", "cmyk", true},
        {"CMYK PNG becomes RGB", PixelFormat::CMYK8, ImageFileType::PNG, "png", "srgb", true},
        {"RGB BMP", PixelFormat::RGB8, ImageFileType::BMP, "bmp", "srgb", false},
        {"gray JPEG 2000", PixelFormat::Gray8, ImageFileType::JPEG2000, "jp2", "gray", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto img = patternImage(40, 8, c.format);
        std::string path = pathJoin(test::tempDir(), kx::format("layout-%d.%s", static_cast<int>(c.format), c.extension));
        ASSERT_EQ(writeImageFile(*img, path, c.type), ImageWriteStatus::Written);
        EXPECT_EQ(identify(path, "%[channels]"), c.channels);
        if (c.type != ImageFileType::JPEG && c.format != PixelFormat::CMYK8) {
            std::string reference = test::writeTemp(kx::format("layout-ref-%d.pam", static_cast<int>(c.format)),
                                                    referencePAM(*img, c.keepsAlpha));
            EXPECT_EQ(differingPixels(reference, path, 0), 0);
        }
    }
}

// The quality argument reaches the JPEG encoder.
TEST(ImageWriter, JPEGQualityIsApplied) {
    if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    auto img = patternImage(64, 64, PixelFormat::RGB8);
    for (float q : {0.3f, 0.92f, 1.0f}) {
        std::string path = pathJoin(test::tempDir(), kx::format("quality-%d.jpg", static_cast<int>(q * 100)));
        ASSERT_EQ(writeImageFile(*img, path, ImageFileType::JPEG, {72, 72, q}), ImageWriteStatus::Written);
        EXPECT_EQ(identify(path, "%Q"), std::to_string(static_cast<int>(std::lround(q * 100))));
    }
}
