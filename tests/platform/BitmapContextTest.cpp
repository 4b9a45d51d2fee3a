// The bitmap drawing context: y-up user space, painting, clipping, gradients, images, tiles and
// the pixels it hands back.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "platform/BitmapContext.h"
#include "platform/LeftOut.h"
#include "support/TestSupport.h"

using namespace kx;

namespace {

using kx::test::RGBA;
using kx::test::pixelAt;

void expectNear(const RGBA& got, const RGBA& want, int tolerance, const char* what) {
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(got[i], want[i], tolerance) << what << " channel " << i << " got " << got[0] << ","
                                                << got[1] << "," << got[2] << "," << got[3];
}

const RGBA kClear{0, 0, 0, 0};
const RGBA kRed{255, 0, 0, 255};
const RGBA kBlue{0, 0, 255, 255};

std::unique_ptr<BitmapContext> make(int w, int h) {
    auto ctx = BitmapContext::create(w, h);
    EXPECT_TRUE(ctx);
    return ctx;
}

}  // namespace

TEST(BitmapContext, RefusesSizesOutsideTheBudget) {
    struct Case { std::int64_t w, h; bool ok; const char* what; };
    const Case cases[] = {
        {1, 1, true, "one pixel"},
        {0, 10, false, "zero width"},
        {10, -1, false, "negative height"},
        {40000, 1, false, "side above the cairo limit"},
        {20000, 20000, false, "more pixels than the budget"},
    };
    for (const Case& c : cases) EXPECT_EQ(BitmapContext::create(c.w, c.h) != nullptr, c.ok) << c.what;
}

TEST(BitmapContext, UserSpaceStartsYUpAndTheDesignFlipTurnsItDown) {
    auto ctx = make(10, 10);
    ctx->setFillColor(Color::rgb(1, 0, 0));
    ctx->fillRect(Rect(0, 0, 10, 2));  // the bottom two rows
    ctx->saveGState();
    ctx->translateCTM(0, 10);
    ctx->scaleCTM(1, -1);
    ctx->setFillColor(Color::rgb(0, 0, 1));
    ctx->fillRect(Rect(0, 0, 10, 2));  // the top two rows
    EXPECT_EQ(ctx->ctm(), (AffineTransform{1, 0, 0, -1, 0, 10}));
    ctx->restoreGState();
    EXPECT_TRUE(ctx->ctm().isIdentity());
    ImageRef img = ctx->makeImage();
    ASSERT_TRUE(img);
    EXPECT_EQ(img->format, PixelFormat::RGBA8);
    expectNear(pixelAt(*img, 5, 9), kRed, 0, "bottom row");
    expectNear(pixelAt(*img, 5, 0), kBlue, 0, "top row");
    expectNear(pixelAt(*img, 5, 5), kClear, 0, "middle");
}

TEST(BitmapContext, ClipRulesAndClipBoundingBox) {
    // Two squares wound the same way: nonzero fills the inner one, even-odd leaves it out.
    Path squares;
    squares.addRect(Rect(0, 0, 10, 10));
    squares.addRect(Rect(3, 3, 4, 4));
    for (FillRule rule : {FillRule::NonZero, FillRule::EvenOdd}) {
        auto ctx = make(10, 10);
        ctx->addPath(squares);
        ctx->clip(rule);
        ctx->setFillColor(Color::rgb(1, 0, 0));
        ctx->fillRect(Rect(0, 0, 10, 10));
        ImageRef img = ctx->makeImage();
        expectNear(pixelAt(*img, 5, 5), rule == FillRule::NonZero ? kRed : kClear, 0, "inner square");
        expectNear(pixelAt(*img, 1, 1), kRed, 0, "ring");
    }

    auto ctx = make(100, 50);
    EXPECT_EQ(ctx->clipBoundingBox(), Rect(0, 0, 100, 50)) << "no clip: the whole bitmap";
    ctx->saveGState();
    ctx->clipToRect(Rect(10.5, 5.25, 20, 10));
    EXPECT_EQ(ctx->clipBoundingBox(), Rect(10.5, 5.25, 20, 10)) << "fractional rectangle kept exactly";
    ctx->scaleCTM(2, 2);
    EXPECT_EQ(ctx->clipBoundingBox(), Rect(5.25, 2.625, 10, 5)) << "answered in user space";
    ctx->restoreGState();
    ctx->saveGState();
    ctx->clipToRect(Rect(0, 0, 10, 10));
    ctx->clipToRect(Rect(20, 20, 10, 10));
    EXPECT_TRUE(ctx->clipBoundingBox().isNull()) << "disjoint clips leave nothing";
    ctx->restoreGState();
    ctx->beginPath();
    ctx->clip();
    EXPECT_TRUE(ctx->clipBoundingBox().isNull()) << "clipping to an empty path leaves nothing";
}

TEST(BitmapContext, StrokeStyle) {
    struct Case { const char* what; LineCap cap; std::vector<double> dash; int x; bool painted; };
    // A horizontal line from x 5 to 15 at y 5, 4 wide.
    const Case cases[] = {
        {"butt cap stops at the end", LineCap::Butt, {}, 3, false},
        {"square cap reaches half the width beyond", LineCap::Square, {}, 3, true},
        {"solid line inside", LineCap::Butt, {}, 8, true},
        {"dash on", LineCap::Butt, {2, 2}, 6, true},
        {"dash off", LineCap::Butt, {2, 2}, 8, false},
        {"all-zero dash strokes solid", LineCap::Butt, {0, 0}, 8, true},
    };
    for (const Case& c : cases) {
        auto ctx = make(20, 10);
        ctx->setStrokeColor(Color::rgb(0, 0, 1));
        ctx->setLineWidth(4);
        ctx->setLineCap(c.cap);
        ctx->setLineDash(0, c.dash);
        Path line;
        line.moveTo({5, 5});
        line.lineTo({15, 5});
        ctx->addPath(line);
        ctx->strokePath();
        ImageRef img = ctx->makeImage();
        expectNear(pixelAt(*img, c.x, 4), c.painted ? kBlue : kClear, 0, c.what);
        expectNear(pixelAt(*img, 10, 1), kClear, 0, c.what);  // beyond the line width
    }
    // Width 0 is the thinnest visible line, not no line.
    auto ctx = make(20, 10);
    ctx->setLineWidth(0);
    ctx->setShouldAntialias(false);
    Path line;
    line.moveTo({0, 4.5});
    line.lineTo({20, 4.5});
    ctx->addPath(line);
    ctx->strokePath();
    EXPECT_EQ(pixelAt(*ctx->makeImage(), 10, 5)[3], 255);
}

TEST(BitmapContext, LinearAndRadialGradientsWithAndWithoutExtension) {
    const std::vector<GradientStop> redToBlue{{0, Color::rgb(1, 0, 0)}, {1, Color::rgb(0, 0, 1)}};
    struct Case { bool start, end; RGBA before, after; };
    const Case cases[] = {
        {false, false, kClear, kClear},
        {true, true, kRed, kBlue},
        {true, false, kRed, kClear},
        {false, true, kClear, kBlue},
    };
    for (const Case& c : cases) {
        std::string what = std::string("extend ") + (c.start ? "start" : "-") + "/" + (c.end ? "end" : "-");
        auto lin = make(100, 4);
        lin->drawLinearGradient(redToBlue, {25, 0}, {75, 0}, c.start, c.end);
        ImageRef img = lin->makeImage();
        expectNear(pixelAt(*img, 10, 2), c.before, 0, (what + " linear before").c_str());
        expectNear(pixelAt(*img, 90, 2), c.after, 0, (what + " linear after").c_str());
        expectNear(pixelAt(*img, 50, 2), RGBA{128, 0, 127, 255}, 3, (what + " linear middle").c_str());

        // Concentric circles from radius 10 to 30 around (50, 50).
        auto rad = make(100, 100);
        rad->drawRadialGradient(redToBlue, {50, 50}, 10, {50, 50}, 30, c.start, c.end);
        img = rad->makeImage();
        expectNear(pixelAt(*img, 50, 50), c.before, 0, (what + " radial centre").c_str());
        expectNear(pixelAt(*img, 95, 50), c.after, 0, (what + " radial outside").c_str());
        expectNear(pixelAt(*img, 70, 50), RGBA{128, 0, 127, 255}, 8, (what + " radial ring").c_str());
    }
}

TEST(BitmapContext, ImagesAreDrawnUprightTiledAndUsedAsMasks) {
    // 2 x 2: red, blue on the top row; blue, red on the bottom row.
    auto src = Image::make(2, 2, PixelFormat::RGB8);
    const std::uint8_t pixels[] = {255, 0, 0, 0, 0, 255, 0, 0, 255, 255, 0, 0};
    std::copy(std::begin(pixels), std::end(pixels), src->pixels.begin());

    auto ctx = make(20, 20);
    ctx->setImageInterpolation(ImageInterpolation::None);
    ctx->drawImage(*src, Rect(0, 0, 10, 10));  // the bottom-left quarter of the bitmap
    ImageRef img = ctx->makeImage();
    expectNear(pixelAt(*img, 2, 12), kRed, 0, "top-left of the image");
    expectNear(pixelAt(*img, 7, 12), kBlue, 0, "top-right of the image");
    expectNear(pixelAt(*img, 2, 17), kBlue, 0, "bottom-left of the image");
    expectNear(pixelAt(*img, 15, 5), kClear, 0, "outside the image");

    // Tiled over the whole bitmap, one tile every 4 units from (1, 1).
    auto tiled = make(20, 20);
    tiled->setImageInterpolation(ImageInterpolation::None);
    tiled->drawTiledImage(*src, Rect(1, 1, 4, 4), AffineTransform::identity());
    img = tiled->makeImage();
    // y-up (1..3) is rows 17..18 from the top: the tile's bottom row (blue, red).
    expectNear(pixelAt(*img, 2, 18), kBlue, 0, "first tile, bottom-left");
    expectNear(pixelAt(*img, 6, 18), kBlue, 0, "next tile to the right repeats");
    expectNear(pixelAt(*img, 4, 18), kRed, 0, "first tile, bottom-right");
    // y-up 19..20 lies in the upper half of the tile that starts at 17: its top row (red, blue).
    expectNear(pixelAt(*img, 2, 0), kRed, 0, "wraps to the top edge");

    // A gray mask: white upper half, black lower half.
    auto mask = Image::make(1, 2, PixelFormat::Gray8);
    mask->pixels = {255, 0};
    auto masked = make(10, 10);
    masked->setImageInterpolation(ImageInterpolation::None);
    masked->clipToMask(*mask, Rect(0, 0, 10, 10));
    EXPECT_EQ(masked->clipBoundingBox(), Rect(0, 5, 10, 5)) << "the covered upper half";
    masked->setFillColor(Color::rgb(1, 0, 0));
    masked->setAlpha(0.5);
    masked->fillRect(Rect(0, 0, 10, 10));
    img = masked->makeImage();
    expectNear(pixelAt(*img, 5, 1), RGBA{255, 0, 0, 128}, 1, "covered half, half opacity");
    expectNear(pixelAt(*img, 5, 8), kClear, 0, "masked-out half");
}

TEST(BitmapContext, ImagesComeBackUnpremultipliedAndCropped) {
    auto ctx = make(4, 4);
    ctx->setFillColor(Color::rgb(1, 0.5, 0, 0.5));
    ctx->fillRect(Rect(0, 0, 2, 4));
    ImageRef whole = ctx->makeImage();
    expectNear(pixelAt(*whole, 0, 0), RGBA{255, 128, 0, 128}, 1, "straight colour");
    ImageRef part = ctx->makeImage(1, 1, 10, 2);  // clipped to the bitmap
    ASSERT_TRUE(part);
    EXPECT_EQ(part->width, 3);
    EXPECT_EQ(part->height, 2);
    expectNear(pixelAt(*part, 0, 0), RGBA{255, 128, 0, 128}, 1, "cropped left column");
    expectNear(pixelAt(*part, 2, 0), kClear, 0, "cropped right column");
    EXPECT_FALSE(ctx->makeImage(5, 5, 2, 2)) << "nothing left after clipping";

    auto opaque = BitmapContext::create(2, 2, true);
    ASSERT_TRUE(opaque);
    opaque->setFillColor(Color::rgb(0, 1, 0));
    opaque->fillRect(Rect(0, 0, 1, 2));
    ImageRef rgb = opaque->makeImage();
    EXPECT_EQ(rgb->format, PixelFormat::RGB8);
    EXPECT_EQ(rgb->pixels, (std::vector<std::uint8_t>{0, 255, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0}));
}

// Every pixel format drawn one to one into a bitmap and read back: each colour level under each
// alpha goes through cairo's premultiplied form and comes back with the rounding below (nearest
// level both ways, transparent pixels as transparent black).
TEST(BitmapContext, EveryPixelFormatRoundTripsThroughTheBitmapExactly) {
    auto premultiply = [](int v, int a) { return (v * a + 127) / 255; };
    auto unpremultiply = [](int v, int a) { return a == 0 ? 0 : std::min(255, (v * 255 + a / 2) / a); };
    // The straight RGBA an image format stands for (CMYK by the plain complement).
    auto straight = [](const Image& img, int x, int y) -> RGBA {
        const std::uint8_t* p = img.row(y) + static_cast<size_t>(x) * static_cast<size_t>(bytesPerPixel(img.format));
        switch (img.format) {
            case PixelFormat::Gray8: return {p[0], p[0], p[0], 255};
            case PixelFormat::GrayAlpha8: return {p[0], p[0], p[0], p[1]};
            case PixelFormat::RGB8: return {p[0], p[1], p[2], 255};
            case PixelFormat::RGBA8: return {p[0], p[1], p[2], p[3]};
            case PixelFormat::CMYK8: {
                auto ch = [&](int v) { return std::max(0, 255 - std::min(255, v + p[3])); };
                return {ch(p[0]), ch(p[1]), ch(p[2]), 255};
            }
        }
        return {};
    };
    const struct {
        PixelFormat format;
        bool opaqueContext;
    } cases[] = {
        {PixelFormat::Gray8, false},  {PixelFormat::GrayAlpha8, false}, {PixelFormat::RGB8, false},
        {PixelFormat::RGBA8, false},  {PixelFormat::CMYK8, false},      {PixelFormat::Gray8, true},
        {PixelFormat::RGB8, true},    {PixelFormat::CMYK8, true},
    };
    // Every level against every alpha (one alpha a row), where the format has alpha; other bytes vary
    // along the row. Rows are converted eight pixels at a time with a tail (the odd width); the
    // last rows mix opaque and clear pixels, and one translucent pixel among opaque ones.
    auto alphaAt = [](int x, int y) {
        if (y < 256) return y;
        if (y == 256) return x % 3 == 0 ? 0 : 255;
        if (y == 257) return x == 11 ? 128 : 255;
        return (x / 8) % 2 ? 0 : 255;
    };
    for (const auto& c : cases) {
        for (int width : {256, 37}) {
            const int height = 259;
            auto src = Image::make(width, height, c.format);
            ASSERT_TRUE(src);
            const int bpp = bytesPerPixel(c.format);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    std::uint8_t* p = src->row(y) + static_cast<size_t>(x) * static_cast<size_t>(bpp);
                    for (int k = 0; k < bpp; ++k) p[k] = static_cast<std::uint8_t>(x * (k + 1) * 7 + k * 31 + y * k);
                    if (hasAlpha(c.format)) p[bpp - 1] = static_cast<std::uint8_t>(alphaAt(x, y));
                }
            auto ctx = BitmapContext::create(width, height, c.opaqueContext);
            ASSERT_TRUE(ctx);
            ctx->setImageInterpolation(ImageInterpolation::None);
            ctx->drawImage(*src, Rect(0, 0, width, height));
            ImageRef back = ctx->makeImage();
            ASSERT_TRUE(back);
            ASSERT_EQ(back->format, c.opaqueContext ? PixelFormat::RGB8 : PixelFormat::RGBA8);
            int mismatches = 0;
            for (int y = 0; y < height && mismatches < 5; ++y)
                for (int x = 0; x < width && mismatches < 5; ++x) {
                    RGBA in = straight(*src, x, y);
                    RGBA want{0, 0, 0, in[3]};
                    for (int k = 0; k < 3; ++k) want[k] = unpremultiply(premultiply(in[k], in[3]), in[3]);
                    if (c.opaqueContext) want[3] = 255;
                    RGBA got = straight(*back, x, y);
                    if (got != want) {
                        ++mismatches;
                        ADD_FAILURE() << "format " << static_cast<int>(c.format) << " opaque " << c.opaqueContext
                                      << " width " << width << " at " << x << "," << y << ": got " << got[0] << ","
                                      << got[1] << "," << got[2] << "," << got[3] << " want " << want[0] << ","
                                      << want[1] << "," << want[2] << "," << want[3];
                    }
                }
        }
    }
}

TEST(BitmapContext, SingularTransformsDrawNothingAndDoNotSpoilTheContext) {
    auto ctx = make(10, 10);
    ctx->saveGState();
    ctx->scaleCTM(0, 1);
    ctx->setFillColor(Color::rgb(1, 0, 0));
    ctx->fillRect(Rect(0, 0, 10, 10));
    ctx->strokePath();
    ctx->drawLinearGradient({{0, Color::rgb(1, 0, 0)}, {1, Color::rgb(0, 0, 1)}}, {0, 0}, {1, 0}, true, true);
    EXPECT_TRUE(ctx->clipBoundingBox().isNull());
    ctx->restoreGState();
    Path nan;
    nan.moveTo({NAN, 0});
    nan.lineTo({5, 5});
    ctx->addPath(nan);
    ctx->fillPath();
    expectNear(pixelAt(*ctx->makeImage(), 5, 5), kClear, 0, "nothing drawn");
    ctx->setFillColor(Color::rgb(0, 0, 1));
    ctx->fillRect(Rect(0, 0, 10, 10));
    expectNear(pixelAt(*ctx->makeImage(), 5, 5), kBlue, 0, "drawing works again");
}

TEST(BitmapContext, GradientsFarFromTheOriginUnderATinyTransform) {
    // Office programs write shadings in millions of units scaled down to points; the gradient must
    // still cover the bitmap.
    const std::vector<GradientStop> redToBlue{{0, Color::rgb(1, 0, 0)}, {1, Color::rgb(0, 0, 1)}};
    auto lin = make(40, 40);
    lin->concatCTM(AffineTransform{1e-5, 0, 0, 1e-5, 0, 0});
    lin->drawLinearGradient(redToBlue, {0, 2e6}, {4e6, 2e6}, true, true);
    ImageRef img = lin->makeImage();
    expectNear(pixelAt(*img, 0, 20), kRed, 8, "start");
    expectNear(pixelAt(*img, 39, 20), kBlue, 8, "end");
    auto rad = make(40, 40);
    rad->concatCTM(AffineTransform{1e-5, 0, 0, 1e-5, 0, 0});
    rad->drawRadialGradient(redToBlue, {2e6, 2e6}, 0, {2e6, 2e6}, 2e6, false, false);
    img = rad->makeImage();
    expectNear(pixelAt(*img, 20, 20), kRed, 12, "centre");
    expectNear(pixelAt(*img, 1, 1), kClear, 0, "beyond the end circle");
}

TEST(BitmapContext, ASharedTilePaintedOverManyPathsIsConvertedOnce) {
    // An exporter paints a pattern's tile once for every path the pattern fills. Converting a large
    // tile for every paint made a page of a thousand pattern fills take minutes.
    auto tile = Image::make(2048, 2048, PixelFormat::RGBA8);
    for (size_t i = 0; i < tile->pixels.size(); i += 4) {
        tile->pixels[i] = 255;
        tile->pixels[i + 3] = 255;
    }
    ImageRef shared = tile;
    const auto start = std::chrono::steady_clock::now();
    ImageRef last;
    for (int i = 0; i < 300; ++i) {
        auto ctx = BitmapContext::create(16, 16);
        ASSERT_TRUE(ctx);
        ctx->drawTiledImage(shared, Rect(0, 0, 8, 8), AffineTransform::identity());
        last = ctx->makeImage();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    expectNear(pixelAt(*last, 3, 3), kRed, 0, "the shared tile paints as the plain one does");

    // Once the image is gone, a new one (often at the same address) is converted afresh.
    last.reset();
    tile.reset();
    const Image* before = shared.get();
    shared.reset();
    auto blue = Image::make(2048, 2048, PixelFormat::RGBA8);
    for (size_t i = 0; i < blue->pixels.size(); i += 4) {
        blue->pixels[i + 2] = 255;
        blue->pixels[i + 3] = 255;
    }
    SCOPED_TRACE(blue.get() == before ? "same address" : "another address");
    auto ctx = BitmapContext::create(16, 16);
    ASSERT_TRUE(ctx);
    ctx->drawTiledImage(ImageRef(blue), Rect(0, 0, 8, 8), AffineTransform::identity());
    expectNear(pixelAt(*ctx->makeImage(), 3, 3), kBlue, 0, "a new image is not mistaken for an old one");
}

namespace {

// A 90 x 60 picture, transparent but for antialiased shapes of several colours and opacities in
// a small area; with `toEdge` a shape also reaches the picture's right and bottom edges.
std::unique_ptr<BitmapContext> sparsePicture(bool toEdge) {
    auto ctx = make(90, 60);
    ctx->setFillColor(Color{0.9, 0.2, 0.1, 1});
    Path blob;
    blob.addEllipseInRect(Rect(30.3, 20.6, 14.2, 9.7));
    ctx->addPath(blob);
    ctx->fillPath();
    ctx->setFillColor(Color{0.1, 0.5, 0.9, 0.6});
    ctx->fillRect(Rect(38.5, 24.25, 9, 5));
    if (toEdge) {
        ctx->setFillColor(Color{0.2, 0.8, 0.3, 0.8});
        ctx->fillRect(Rect(80.5, 0, 9.5, 6.3));
    }
    return ctx;
}

// "" for two images with the same pixels, else how many pixels differ and the first of them.
std::string differingPixels(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) return "different sizes";
    int count = 0;
    std::string first;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const RGBA p = pixelAt(a, x, y), q = pixelAt(b, x, y);
            if (p == q) continue;
            if (count++ == 0)
                first = std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(p[0]) + " " +
                        std::to_string(p[1]) + " " + std::to_string(p[2]) + " " + std::to_string(p[3]) + " against " +
                        std::to_string(q[0]) + " " + std::to_string(q[1]) + " " + std::to_string(q[2]) + " " +
                        std::to_string(q[3]);
        }
    return count ? std::to_string(count) + " pixels differ, the first at " + first : "";
}

}  // namespace

TEST(BitmapContext, APlacedImageHoldsThePaintedPartWithATransparentMargin) {
    struct Case { bool toEdge; int x, y, w, h; bool whole; const char* what; };
    const Case cases[] = {
        {false, 0, 0, 90, 60, false, "the whole bitmap, shapes inside"},
        {true, 0, 0, 90, 60, false, "a shape at the right and bottom edges: no margin there"},
        {false, 28, 28, 20, 14, true, "a region the shapes fill for the most part"},
        {false, 50, 0, 40, 20, false, "a region with nothing painted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto ctx = sparsePicture(c.toEdge);
        const ImageRef region = ctx->makeImage(c.x, c.y, c.w, c.h);
        const PlacedImage placed = ctx->makePlacedImage(c.x, c.y, c.w, c.h);
        ASSERT_TRUE(placed.image);
        EXPECT_EQ(placed.width, c.w);
        EXPECT_EQ(placed.height, c.h);
        EXPECT_EQ(placed.isWhole(), c.whole);
        const ImageRef whole = placed.wholeImage();
        ASSERT_TRUE(whole);
        EXPECT_EQ(whole->pixels, region->pixels) << "expanded, the part is the region's picture";
        if (c.whole) continue;
        const Image& part = *placed.image;
        EXPECT_LT(part.width * part.height * 2, c.w * c.h);
        // Every edge of the part that lies inside the picture is transparent; the part's inside
        // reaches painted pixels on every side that has a margin.
        auto columnIsClear = [&](int x) {
            for (int y = 0; y < part.height; ++y)
                if (pixelAt(part, x, y)[3]) return false;
            return true;
        };
        auto rowIsClear = [&](int y) {
            for (int x = 0; x < part.width; ++x)
                if (pixelAt(part, x, y)[3]) return false;
            return true;
        };
        const bool blank = std::all_of(region->pixels.begin(), region->pixels.end(), [](auto v) { return v == 0; });
        if (blank) {
            EXPECT_EQ(part.width * part.height, 1) << "nothing painted: one transparent pixel";
            continue;
        }
        const bool atRight = placed.left + part.width == c.w, atBottom = placed.top + part.height == c.h;
        EXPECT_EQ(atRight, c.toEdge);
        EXPECT_EQ(atBottom, c.toEdge);
        EXPECT_TRUE(columnIsClear(0) && rowIsClear(0));
        EXPECT_FALSE(columnIsClear(1) || rowIsClear(1));
        EXPECT_EQ(columnIsClear(part.width - 1), !atRight);
        EXPECT_FALSE(columnIsClear(part.width - 1 - (atRight ? 0 : 1)));
        EXPECT_EQ(rowIsClear(part.height - 1), !atBottom);
        EXPECT_FALSE(rowIsClear(part.height - 1 - (atBottom ? 0 : 1)));
    }
}

TEST(BitmapContext, APlacedImageDrawsTheSamePixelsAsTheWholePicture) {
    struct Case { AffineTransform t; double alpha; ImageInterpolation filter; bool mask; const char* what; };
    const double turn = 0.52;
    const Case cases[] = {
        {AffineTransform::identity(), 1, ImageInterpolation::Default, false, "identity"},
        {AffineTransform::makeTranslation(17, 23), 1, ImageInterpolation::Default, false, "whole-pixel offset"},
        {AffineTransform::makeTranslation(17.37, 23.81), 1, ImageInterpolation::Default, false, "fractional offset"},
        {{2.7, 0, 0, 2.3, 3.5, 4.25}, 1, ImageInterpolation::Default, false, "scaled up"},
        {{2.7, 0, 0, 2.3, 3.5, 4.25}, 1, ImageInterpolation::None, false, "scaled up without smoothing"},
        {{0.61, 0, 0, 0.7, 5.3, 2.9}, 1, ImageInterpolation::Default, false, "scaled down a little"},
        {{0.21, 0, 0, 0.33, 5.3, 2.9}, 1, ImageInterpolation::Default, false, "scaled down"},
        {{0.03, 0, 0, 0.05, 40.2, 30.7}, 1, ImageInterpolation::Default, false, "scaled down past the filter's cap"},
        {{1.3 * std::cos(turn), 1.3 * std::sin(turn), -1.1 * std::sin(turn), 1.1 * std::cos(turn), 80.4, 10.6}, 1,
         ImageInterpolation::Default, false, "rotated"},
        {{0.4, 0.2, -0.3, 0.5, 60.5, 20.2}, 1, ImageInterpolation::Default, false, "rotated and scaled down"},
        {{1, 0, 0, -1, 20.5, 120.5}, 1, ImageInterpolation::Default, false, "mirrored"},
        {{0, 1, -1, 0, 120.3, 20.6}, 1, ImageInterpolation::Default, false, "turned a quarter"},
        {AffineTransform::makeTranslation(40.25, 50.5), 0.6, ImageInterpolation::None, true,
         "fractional offset, faint, under a mask, without smoothing"},
        {AffineTransform::makeTranslation(17.37, 23.81), 0.5, ImageInterpolation::Default, false, "half opacity"},
        {{0.21, 0, 0, 0.33, 5.3, 2.9}, 0.3, ImageInterpolation::Default, false, "scaled down, faint"},
        {{1.3, 0.1, 0.2, 1.2, 7.7, 8.8}, 0.7, ImageInterpolation::Default, true, "skewed, faint, under a mask"},
    };
    // A gray mask over the target: its left half lets everything through, its right half a third.
    auto mask = Image::make(2, 1, PixelFormat::Gray8);
    mask->pixels = {255, 85};
    auto plain = make(200, 150);
    plain->setFillColor(Color{0.3, 0.3, 0.6, 0.5});
    plain->fillRect(Rect(0, 0, 200, 150));
    const ImageRef background = plain->makeImage();
    for (bool toEdge : {false, true}) {
        auto source = sparsePicture(toEdge);
        const ImageRef whole = source->makeImage();
        const PlacedImage placed = source->makePlacedImage(0, 0, 90, 60);
        ASSERT_FALSE(placed.isWhole());
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (toEdge ? ", picture painted to its edge" : ""));
            std::array<ImageRef, 2> drawn;
            for (int k = 0; k < 2; ++k) {
                auto ctx = make(200, 150);
                // Something under the picture, which transparent pixels must leave as it is.
                ctx->setFillColor(Color{0.3, 0.3, 0.6, 0.5});
                ctx->fillRect(Rect(0, 0, 200, 150));
                ctx->setImageInterpolation(c.filter);
                ctx->setAlpha(c.alpha);
                if (c.mask) ctx->clipToMask(*mask, Rect(0, 0, 200, 150));
                ctx->concatCTM(c.t);
                const Rect rect(0, 0, 90, 60);
                if (k == 0)
                    ctx->drawImage(*whole, rect);
                else
                    ctx->drawImage(placed, rect);
                drawn[static_cast<size_t>(k)] = ctx->makeImage();
            }
            ASSERT_TRUE(drawn[0] && drawn[1]);
            EXPECT_EQ(differingPixels(*drawn[0], *drawn[1]), "");
            EXPECT_NE(drawn[0]->pixels, background->pixels) << "the picture shows";
        }
    }
}

namespace {

// Whether the pixel at (x, y) of user space (y up) holds paint.
bool inked(const Image& img, int x, int y) { return pixelAt(img, x, img.height - 1 - y)[3] > 0; }

std::string leftOutSaid() { return LeftOut::describe(LeftOut::take()); }

}  // namespace

// Paints take their own rows from the budget, which grows with the bitmap's pixels; a path past
// what is left is drawn simplified to the pixels, and what still does not fit is cut off and said.
// On a bitmap of 1000 x 2000 pixels (a budget of 16.8M rows): a waveform of 200,000 points across
// it (every point's row drawn at random, 300M rows as given) stays the band it shows in every
// column, stroked (and is drawn filled); a zigzag from corner to corner, whose points no pixel shares, is cut off where the budget
// ends; and a clip path of it past the budget lets nothing through.
TEST(BitmapContext, PathsPastTheEdgeRowBudgetAreDrawnSimplifiedAndWhatIsLeftOutIsSaid) {
    EXPECT_EQ(BitmapContext::edgeRowBudget(10, 10), BitmapContext::kLeastEdgeRows);
    EXPECT_EQ(BitmapContext::edgeRowBudget(5100, 6600), 8.0 * 5100 * 6600) << "a page at 600 dpi";
    Path waveform;
    // The lowest and highest row of the points in each column.
    std::vector<double> lowest(1000, 2000), highest(1000, 0);
    std::uint64_t h = 1;
    for (int i = 0; i < 200'000; ++i) {
        h = h * 6364136223846793005ull + 1442695040888963407ull;
        const Point p{1000.0 * i / 200'000, 5.0 + static_cast<double>((h >> 33) % 1990)};
        if (i == 0) waveform.moveTo(p);
        else waveform.lineTo(p);
        const size_t column = static_cast<size_t>(p.x);
        lowest[column] = std::min(lowest[column], p.y);
        highest[column] = std::max(highest[column], p.y);
    }
    Path zigzag;
    zigzag.moveTo({0.5, 0.5});
    for (int i = 1; i <= 20'000; ++i) zigzag.lineTo(i % 2 ? Point{999.5, 1999.5} : Point{0.5, 0.5});
    enum Paint { Stroke, Fill, Clip };
    struct Case {
        const char* what;
        const Path* path;
        Paint paint;
        bool painted;
        const char* said;
    };
    const Case cases[] = {
        {"a stroked waveform", &waveform, Stroke, true, ""},
        {"a filled waveform", &waveform, Fill, true, ""},
        {"a stroked zigzag past the budget", &zigzag, Stroke, true,
         "1 parts of paths past the drawing budget of a picture"},
        {"a filled zigzag past the budget", &zigzag, Fill, true, "1 parts of paths past the drawing budget of a picture"},
        {"a clip path past the budget", &zigzag, Clip, false, "1 clips past the drawing budget of a picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LeftOut::begin();
        auto ctx = make(1000, 2000);
        ctx->setLineWidth(1);
        ctx->addPath(*c.path);
        bool painted = false;
        if (c.paint == Clip) {
            ctx->clip();
            ctx->fillRect(Rect(0, 0, 1000, 2000));
            painted = inked(*ctx->makeImage(), 500, 1000);
        } else {
            painted = c.paint == Stroke ? ctx->strokePath() : ctx->fillPath();
        }
        EXPECT_EQ(painted, c.painted);
        EXPECT_LE(ctx->edgeRowsSpent(), ctx->edgeRowsBudget());
        EXPECT_EQ(leftOutSaid(), c.said);
        if (c.path != &waveform || c.paint != Stroke) continue;
        // Each column shows the band of its points, from the lowest to the highest.
        ImageRef img = ctx->makeImage();
        int bare = 0;
        for (int x = 0; x < 1000; ++x) {
            const int lo = static_cast<int>(lowest[static_cast<size_t>(x)]) + 1;
            const int hi = static_cast<int>(highest[static_cast<size_t>(x)]) - 1;
            if (!inked(*img, x, lo) || !inked(*img, x, hi) || !inked(*img, x, (lo + hi) / 2)) ++bare;
        }
        EXPECT_EQ(bare, 0) << "columns without the band";
    }
}

// A clip that many paints share is paid for once. An upright rectangle is a box for the paints
// under it, and costs nothing; another path is scan converted once, into a mask, and each paint
// under it then costs its own rows: 2,000 squares of 2 x 2 pixels (8 rows each) under a clip of
// the whole bitmap and under a diamond, each square shown only where the clip lets it through.
TEST(BitmapContext, AClipIsPaidForOnceAndPaintsUnderItCostTheirOwnRows) {
    Path diamond;
    diamond.moveTo({100, 0});
    diamond.lineTo({200, 100});
    diamond.lineTo({100, 200});
    diamond.lineTo({0, 100});
    diamond.closeSubpath();
    Path box;
    box.addRect(Rect(0, 0, 200, 200));
    struct Case {
        const char* what;
        const Path* clip;
        double clipRows;
        bool cornerShown;
    };
    const Case cases[] = {
        {"an upright rectangle", &box, 0, true},
        {"a diamond", &diamond, 400 + 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto ctx = make(200, 200);
        ctx->saveGState();
        ctx->addPath(*c.clip);
        ctx->clip();
        int drawn = 0;
        for (int i = 0; i < 2000; ++i) {
            ctx->setFillColor(i % 2 ? Color::rgb(1, 0, 0) : Color::rgb(0, 0, 1));
            ctx->addRect(Rect(i % 50 * 4, i / 50 * 5, 2, 2));
            drawn += ctx->fillPath();
        }
        ctx->restoreGState();
        EXPECT_EQ(drawn, 2000);
        EXPECT_DOUBLE_EQ(ctx->edgeRowsSpent(), c.clipRows + 2000 * 8.0);
        ImageRef img = ctx->makeImage();
        EXPECT_TRUE(inked(*img, 100, 100)) << "a square in the middle";
        EXPECT_TRUE(inked(*img, 96, 5)) << "a square at the bottom, within the diamond";
        EXPECT_EQ(inked(*img, 4, 5), c.cornerShown) << "a square in the corner";
        EXPECT_EQ(inked(*img, 196, 195), c.cornerShown) << "a square in the opposite corner";
    }
}
