// Patterns: tiling patterns (coloured and uncoloured) and shading patterns rasterised into bitmaps,
// what the factory refuses, and the colour "scn" gives an uncoloured pattern.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>

#include "pdf/ObjectDoc.h"
#include "pdf/color/KXPDFColorSpace.h"
#include "pdf/interpreter/InterpreterTestSupport.h"
#include "pdf/interpreter/KXPDFConentDrawer.h"
#include "pdf/shading/KXPDFPattern.h"
#include "pdf/shading/KXPDFPatternCollection.h"
#include "pdf/shading/KXPDFPatternShading.h"
#include "pdf/shading/KXPDFPatternTiling.h"
#include "platform/BitmapContext.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

using kx::test::ObjectDoc;

namespace {

using kx::test::RGBA;
using kx::test::pixelAt;

// Cells are drawn by the content interpreter's drawer, as the interpreter's pattern resources do.
constexpr kx::PatternCellDrawer kDrawCell = &KXPDFConentDrawer::drawPatternCell;

const RGBA kClear{0, 0, 0, 0};
const RGBA kRed{255, 0, 0, 255};
const RGBA kBlue{0, 0, 255, 255};
const RGBA kGreen{0, 255, 0, 255};
const RGBA kBlack{0, 0, 0, 255};

// A 2 x 2 cell: red, blue on the top row; blue, red on the bottom row.
kx::ImageRef checkerCell() {
    auto img = kx::Image::make(2, 2, kx::PixelFormat::RGB8);
    img->pixels = {255, 0, 0, 0, 0, 255, 0, 0, 255, 255, 0, 0};
    return img;
}

// A 2 x 2 stencil cell: only the top-left pixel is painted (black, opaque).
kx::ImageRef stencilCell() {
    auto img = kx::Image::make(2, 2, kx::PixelFormat::RGBA8);
    img->pixels = {0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    return img;
}

std::shared_ptr<KXPDFPattern> tilingFrom(const std::string& entries, kx::ImageRef cell) {
    ObjectDoc doc;
    int n = doc.addStream("/PatternType 1 " + entries, "");
    auto pattern = KXPDFPattern::PatternWithObject(doc.get(n), "P1");
    if (auto* tiling = dynamic_cast<KXPDFPatternTiling*>(pattern.get())) tiling->setContentImageRef(std::move(cell));
    return pattern;
}

kx::ImageRef render(const KXPDFPattern& pattern, int w, int h,
                    kx::AffineTransform scale = kx::AffineTransform::identity()) {
    auto ctx = kx::BitmapContext::create(w, h);
    ctx->setImageInterpolation(kx::ImageInterpolation::None);
    pattern.drawInContext(*ctx, scale);
    return ctx->makeImage();
}

struct PixelCase {
    int x, y;  // from the top-left corner of an 8 x 8 bitmap
    RGBA color;
};

}  // namespace

TEST(KXPDFPattern, ColouredTilingPatternRepeatsItsCell) {
    struct Case { const char* what; std::string entries; std::vector<PixelCase> pixels; };
    // Rows 7 and 6 from the top are y-up 0..1 and 1..2: the cell's bottom and top rows.
    const std::vector<Case> cases = {
        {"steps equal to the cell", "/PaintType 1 /BBox [0 0 2 2] /XStep 2 /YStep 2",
         {{0, 7, kBlue}, {1, 7, kRed}, {0, 6, kRed}, {2, 7, kBlue}, {6, 1, kBlue}, {7, 0, kBlue}, {6, 0, kRed}}},
        {"steps larger than the cell leave gaps", "/PaintType 1 /BBox [0 0 2 2] /XStep 4 /YStep 4",
         {{0, 7, kBlue}, {2, 7, kClear}, {4, 7, kBlue}, {0, 5, kClear}, {0, 3, kBlue}}},
        {"negative steps tile the same way", "/PaintType 1 /BBox [0 0 2 2] /XStep -4 /YStep -4",
         {{0, 7, kBlue}, {2, 7, kClear}, {4, 7, kBlue}}},
        {"the pattern matrix scales and moves the cells", "/PaintType 1 /BBox [0 0 2 2] /XStep 2 /YStep 2 /Matrix [2 0 0 2 1 0]",
         {{1, 7, kBlue}, {2, 7, kBlue}, {3, 7, kRed}, {0, 7, kRed}, {1, 5, kRed}}},
        {"a BBox away from the origin starts the cells there", "/PaintType 1 /BBox [1 0 3 2] /XStep 2 /YStep 2",
         {{1, 7, kBlue}, {2, 7, kRed}, {0, 7, kRed}}},

    };
    for (const Case& c : cases) {
        auto pattern = tilingFrom(c.entries, checkerCell());
        ASSERT_TRUE(pattern) << c.what;
        EXPECT_EQ(pattern->type(), 1);
        kx::ImageRef img = render(*pattern, 8, 8);
        for (const PixelCase& p : c.pixels)
            EXPECT_EQ(pixelAt(*img, p.x, p.y), p.color) << c.what << " (" << p.x << ", " << p.y << ")";
    }

    // Cells larger than their step overlap: a 4 x 4 cell painted only in its upper-left quarter,
    // repeated every 2 units, shows that quarter of the cell below in every period.
    auto corner = kx::Image::make(2, 2, kx::PixelFormat::RGBA8);
    corner->pixels = {255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    auto overlapping = tilingFrom("/PaintType 1 /BBox [0 0 4 4] /XStep 2 /YStep 2", corner);
    kx::ImageRef over = render(*overlapping, 8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(pixelAt(*over, x, y), kRed) << x << ", " << y;

    // The scale transform applies after the pattern matrix.
    auto pattern = tilingFrom("/PaintType 1 /BBox [0 0 2 2] /XStep 2 /YStep 2", checkerCell());
    kx::ImageRef scaled = render(*pattern, 8, 8, kx::AffineTransform::makeScale(2, 2));
    EXPECT_EQ(pixelAt(*scaled, 1, 7), kBlue);
    EXPECT_EQ(pixelAt(*scaled, 2, 7), kRed);
}

TEST(KXPDFPattern, UncolouredTilingPatternPaintsItsCellInTheGivenColour) {
    auto pattern = tilingFrom("/PaintType 2 /BBox [0 0 2 2] /XStep 2 /YStep 2", stencilCell());
    ASSERT_TRUE(pattern);
    auto space = KXPDFColorSpace::ColorSpaceWithObject(ObjectDoc::parse("[/Pattern /DeviceRGB]"));
    ASSERT_TRUE(space);
    KXPDFColor green{};
    green.c[1] = 255;
    auto painted = KXPDFPattern::patternForPainting(pattern, *space, green);
    ASSERT_NE(painted, pattern) << "the resource itself stays unpainted";
    kx::ImageRef img = render(*painted, 8, 8);
    EXPECT_EQ(pixelAt(*img, 0, 6), kGreen) << "the stencil's painted pixel";
    EXPECT_EQ(pixelAt(*img, 4, 2), kGreen) << "and in the other cells";
    EXPECT_EQ(pixelAt(*img, 1, 6), kClear);
    EXPECT_EQ(pixelAt(*img, 0, 7), kClear);

    // Without a colour the stencil paints black.
    EXPECT_EQ(pixelAt(*render(*pattern, 8, 8), 0, 6), kBlack);

    // A coloured pattern, and a pattern space without an underlying space, keep the pattern as it is.
    auto coloured = tilingFrom("/PaintType 1 /BBox [0 0 2 2] /XStep 2 /YStep 2", checkerCell());
    EXPECT_EQ(KXPDFPattern::patternForPainting(coloured, *space, green), coloured);
    auto bare = KXPDFColorSpace::ColorSpaceWithObject(ObjectDoc::parse("/Pattern"));
    EXPECT_EQ(KXPDFPattern::patternForPainting(pattern, *bare, green), pattern);
}

TEST(KXPDFPattern, TilingPatternsWithNothingToRepeatPaintNothing) {
    struct Case { const char* what; std::string entries; kx::ImageRef cell; };
    const std::vector<Case> cases = {
        {"no cell image", "/PaintType 1 /BBox [0 0 2 2] /XStep 2 /YStep 2", nullptr},
        {"XStep 0", "/PaintType 1 /BBox [0 0 2 2] /XStep 0 /YStep 2", checkerCell()},
        {"YStep 0", "/PaintType 2 /BBox [0 0 2 2] /XStep 2 /YStep 0", stencilCell()},
        {"empty BBox", "/PaintType 1 /BBox [0 0 0 2] /XStep 2 /YStep 2", checkerCell()},
    };
    for (const Case& c : cases) {
        auto pattern = tilingFrom(c.entries, c.cell);
        ASSERT_TRUE(pattern) << c.what;
        kx::ImageRef img = render(*pattern, 8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) ASSERT_EQ(pixelAt(*img, x, y), kClear) << c.what;
    }
    // Without XStep and YStep the cell repeats every unit.
    auto unit = tilingFrom("/PaintType 1 /BBox [0 0 1 1]", checkerCell());
    auto& tiling = dynamic_cast<KXPDFPatternTiling&>(*unit);
    EXPECT_EQ(tiling.xStep(), 1);
    EXPECT_EQ(tiling.yStep(), 1);
}

TEST(KXPDFPattern, ShadingPatternDrawsUnderItsMatrix) {
    const std::string shading = "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 20 0] /Function << "
                                "/FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >>";
    struct Case { const char* what; std::string matrix; kx::AffineTransform scale; int start, end; };
    const std::vector<Case> cases = {
        {"no Matrix: the scale transform alone", "", kx::AffineTransform::identity(), 0, 20},
        {"Matrix moves the gradient", "/Matrix [1 0 0 1 20 0]", kx::AffineTransform::identity(), 20, 40},
        {"Matrix first, then the scale transform", "/Matrix [1 0 0 1 10 0]", kx::AffineTransform::makeScale(2, 1), 20, 60},
    };
    for (const Case& c : cases) {
        ObjectDoc doc;
        int n = doc.add("<< /PatternType 2 /Shading " + shading + " " + c.matrix + " >>");
        auto pattern = KXPDFPattern::PatternWithObject(doc.get(n), "P2");
        ASSERT_TRUE(pattern) << c.what;
        EXPECT_EQ(pattern->type(), 2);
        kx::ImageRef img = render(*pattern, 80, 2, c.scale);
        if (c.start > 0) {
            EXPECT_EQ(pixelAt(*img, c.start - 1, 1), kClear) << c.what;
        }
        EXPECT_NEAR(pixelAt(*img, c.start, 1)[0], 255, 16) << c.what << " starts red";
        EXPECT_NEAR(pixelAt(*img, c.end - 1, 1)[2], 255, 16) << c.what << " ends blue";
        EXPECT_EQ(pixelAt(*img, c.end, 1), kClear) << c.what;
    }
}

TEST(KXPDFPattern, FactoryAndCollection) {
    ObjectDoc doc;
    int tilingDict = doc.add("<< /PatternType 1 /PaintType 1 /BBox [0 0 1 1] >>");
    int type3 = doc.addStream("/PatternType 3", "");
    int noShading = doc.add("<< /PatternType 2 >>");
    int noType = doc.addStream("/PaintType 1", "");
    int dict = doc.add("<< /Good << /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceGray /Function << "
                       "/FunctionType 2 /Domain [0 1] /N 1 >> >> >> /Bad " + std::to_string(type3) + " 0 R >>");
    EXPECT_FALSE(KXPDFPattern::PatternWithObject(doc.get(tilingDict), "P")) << "a tiling pattern must be a stream";
    EXPECT_FALSE(KXPDFPattern::PatternWithObject(doc.get(type3), "P")) << "PatternType 3";
    EXPECT_FALSE(KXPDFPattern::PatternWithObject(doc.get(noShading), "P")) << "shading pattern without a shading";
    EXPECT_FALSE(KXPDFPattern::PatternWithObject(doc.get(noType), "P")) << "no PatternType";

    KXPDFPatternCollection collection(doc.get(dict));
    EXPECT_TRUE(collection.objectNamed("Good"));
    EXPECT_FALSE(collection.objectNamed("Bad"));
    EXPECT_EQ(collection.objectNamed("Good")->objectKey(), "Good");
    auto& shadingPattern = dynamic_cast<KXPDFPatternShading&>(*collection.objectNamed("Good"));
    EXPECT_TRUE(shadingPattern.matrix().isIdentity());
    EXPECT_EQ(shadingPattern.shading()->objectKey(), "Good");
}

TEST(KXPDFPattern, ScnGivesAnUncolouredPatternItsColour) {
    kx::test::PDFBuilder b;
    int uncoloured = b.addStream("/PatternType 1 /PaintType 2 /TilingType 1 /BBox [0 0 4 4] /XStep 4 /YStep 4", "");
    int coloured = b.addStream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 4 4] /XStep 4 /YStep 4", "");
    std::string resources = "<< /ColorSpace << /CS0 [/Pattern /DeviceRGB] >> /Pattern << /U " +
                            std::to_string(uncoloured) + " 0 R /C " + std::to_string(coloured) + " 0 R >> >>";
    auto run = kx::test::runContent(b, "/CS0 cs 0 1 0 /U scn 0 0 10 10 re f /C scn 0 0 5 5 re f /Missing scn 0 0 1 1 re f",
                                    resources);
    ASSERT_TRUE(run->parser);
    ASSERT_EQ(run->recorder.paths.size(), 3u);
    for (const auto& p : run->recorder.paths) EXPECT_TRUE(p.pattern);
    auto* painted = dynamic_cast<KXPDFPatternTiling*>(run->recorder.paths[0].state.fillPattern().get());
    ASSERT_TRUE(painted);
    ASSERT_TRUE(painted->paintColor());
    EXPECT_EQ(*painted->paintColor(), kx::Color::rgb(0, 1, 0));
    auto* plain = dynamic_cast<KXPDFPatternTiling*>(run->recorder.paths[1].state.fillPattern().get());
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->paintColor());
    EXPECT_FALSE(run->recorder.paths[2].state.fillPattern()) << "an unknown pattern name leaves no pattern";
}

TEST(KXPDFPattern, TilingPatternRendersItsCellFromTheFile) {
    kx::ScopedTemporaryRoot root;
    // A 4 x 4 cell whose BBox starts at (2, 2); an opaque green image fills its left half.
    ObjectDoc doc;
    int image = doc.addStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB "
                              "/BitsPerComponent 8", std::string("\x00\xFF\x00", 3));
    int tiling = doc.addStream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [2 2 6 6] /XStep 4 /YStep 4 "
                               "/Resources << /XObject << /Im1 " + std::to_string(image) + " 0 R >> >>",
                               "q 2 0 0 4 2 2 cm /Im1 Do Q");
    int bare = doc.addStream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 4 4] /XStep 4 /YStep 4", "");
    // An office program's picture fill: a cell of a million units scaled down to 8 points.
    int huge = doc.addStream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 1000000 1000000] /XStep 1000000 "
                             "/YStep 1000000 /Matrix [0.000008 0 0 0.000008 0 0] /Resources << /XObject << /Im1 " +
                                 std::to_string(image) + " 0 R >> >>",
                             "q 1000000 0 0 1000000 0 0 cm /Im1 Do Q");
    auto pattern = KXPDFPattern::PatternWithObject(doc.get(tiling), "P1", kDrawCell);
    ASSERT_TRUE(pattern);
    auto& cell = dynamic_cast<KXPDFPatternTiling&>(*pattern);
    ASSERT_TRUE(cell.contentImageRef());
    // Four pixels a point: the 4 x 4 unit cell is 16 x 16 pixels.
    EXPECT_EQ(cell.contentImageRef()->width, 16);
    EXPECT_EQ(cell.contentImageRef()->height, 16);
    kx::ImageRef img = render(*pattern, 8, 8);
    // Cells start at x 2, 6, ...: their left halves (x 2..4, 6..8) are green, the right halves empty.
    for (int x : {2, 3, 6, 7}) EXPECT_GT(pixelAt(*img, x, 4)[1], 200) << x;
    for (int x : {0, 1, 4, 5}) EXPECT_EQ(pixelAt(*img, x, 4)[3], 0) << x;

    auto picture = KXPDFPattern::PatternWithObject(doc.get(huge), "P3", kDrawCell);
    ASSERT_TRUE(picture);
    auto& hugeCell = dynamic_cast<KXPDFPatternTiling&>(*picture);
    ASSERT_TRUE(hugeCell.contentImageRef()) << "rendered at a resolution that fits a bitmap";
    EXPECT_NEAR(hugeCell.contentImageRef()->width, 32, 1);
    kx::ImageRef filled = render(*picture, 8, 8);
    EXPECT_GT(pixelAt(*filled, 0, 0)[1], 200);
    EXPECT_GT(pixelAt(*filled, 7, 7)[1], 200);

    // Without Resources there is no cell: the pattern paints nothing.
    auto empty = KXPDFPattern::PatternWithObject(doc.get(bare), "P2", kDrawCell);
    ASSERT_TRUE(empty);
    EXPECT_FALSE(dynamic_cast<KXPDFPatternTiling&>(*empty).contentImageRef());
    // Nor is there one without a drawer to render it.
    auto undrawn = KXPDFPattern::PatternWithObject(doc.get(tiling), "P1");
    ASSERT_TRUE(undrawn);
    EXPECT_FALSE(dynamic_cast<KXPDFPatternTiling&>(*undrawn).contentImageRef());
}

TEST(KXPDFPattern, CellsThatPaintWithTheirOwnPatternEnd) {
    kx::ScopedTemporaryRoot root;
    // Each cell paints a green image over its left half, then fills itself with a pattern that leads
    // back to the one being read. Reading such a pattern renders its cell and ends.
    ObjectDoc doc;
    const std::string green = std::to_string(doc.addStream(
        "/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB /BitsPerComponent 8",
        std::string("\x00\xFF\x00", 3)));
    auto addCell = [&](int number, int filledWith) {
        const std::string content = "q 2 0 0 4 0 0 cm /Im1 Do Q /Pattern cs /P scn 0 0 4 4 re f";
        doc.set(number, "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 4 4] /XStep 4 /YStep 4 "
                        "/Resources << /XObject << /Im1 " + green + " 0 R >> /Pattern << /P " +
                            std::to_string(filledWith) + " 0 R >> >> /Length " + std::to_string(content.size()) +
                            " >>\nstream\n" + content + "\nendstream");
    };
    const int self = doc.reserve(), first = doc.reserve(), second = doc.reserve();
    addCell(self, self);
    addCell(first, second);
    addCell(second, first);
    for (int number : {self, first}) {
        SCOPED_TRACE(number == self ? "filled with itself" : "filled with a pattern filled with it");
        auto pattern = KXPDFPattern::PatternWithObject(doc.get(number), "P", kDrawCell);
        ASSERT_TRUE(pattern);
        const kx::ImageRef& cell = dynamic_cast<KXPDFPatternTiling&>(*pattern).contentImageRef();
        ASSERT_TRUE(cell);
        EXPECT_GT(pixelAt(*cell, 2, 8)[1], 200);
    }
}

namespace {

// Paints every pattern-filled path as an exporter does and keeps the first pattern's cell and tile
// (held, so that no later image can take their addresses) to compare the others with.
class PatternPainter : public KXPDFConentParserDelegate {
public:
    void didScanPatternPath(KXPDFConentParser& parser, const kx::Path&, bool, bool) override {
        auto* tiling = dynamic_cast<KXPDFPatternTiling*>(parser.currentRenderingState().fillPattern().get());
        if (!tiling || !tiling->contentImageRef()) return;
        ++painted;
        kx::ImageRef tile = tiling->tileImage();
        if (!firstCell) {
            firstCell = tiling->contentImageRef();
            firstTile = tile;
        }
        sameCell += tiling->contentImageRef() == firstCell;
        sameTile += tile == firstTile;
        auto ctx = kx::BitmapContext::create(8, 8);
        tiling->drawInContext(*ctx, kx::AffineTransform::identity());
        last = ctx->makeImage();
    }
    int painted = 0, sameCell = 0, sameTile = 0;
    kx::ImageRef firstCell, firstTile, last;
};

std::string greenImage(kx::test::PDFBuilder& b) {
    return std::to_string(b.addStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB "
                                      "/BitsPerComponent 8",
                                      std::string("\x00\xFF\x00", 3)));
}

}  // namespace

TEST(KXPDFPattern, APatternInAFormDrawnManyTimesRendersItsCellAndTileOnce) {
    // Every run of the form reads the form's resources afresh. The cell (600 units: a bitmap of the
    // largest size) was rendered at every run, and its tile made and converted again for every
    // painted path: a form drawn a thousand times took minutes.
    kx::ScopedTemporaryRoot root;
    kx::test::PDFBuilder b;
    const std::string image = greenImage(b);
    int pattern = b.addStream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 600 600] /XStep 600 /YStep 600 "
                              "/Resources << /XObject << /Im " + image + " 0 R >> >>",
                              "q 600 0 0 600 0 0 cm /Im Do Q");
    int form = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << /Pattern << /P " +
                               std::to_string(pattern) + " 0 R >> >>",
                           "/Pattern cs /P scn 0 0 10 10 re f");
    std::string content;
    for (int i = 0; i < 1000; ++i) content += "/Fm Do ";
    b.addPage(content, "<< /XObject << /Fm " + std::to_string(form) + " 0 R >> >>");
    auto doc = kx::PDFDocument::openFromMemory(b.build());
    ASSERT_TRUE(doc);
    auto page = doc->page(1);
    ASSERT_TRUE(page);

    const auto start = std::chrono::steady_clock::now();
    PatternPainter painter;
    KXPDFConentParser parser(page->dictionary(), kx::PDFContentStream::forPage(*page));
    parser.setDelegate(&painter);
    parser.setRenderingStateStack(std::make_shared<KXPDFRenderStateStack>());
    parser.startParser();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    EXPECT_EQ(painter.painted, 1000);
    EXPECT_EQ(painter.sameCell, 1000) << "one cell for every run";
    EXPECT_EQ(painter.sameTile, 1000) << "one tile for every painted path";
    ASSERT_TRUE(painter.firstCell);
    EXPECT_EQ(painter.firstCell->width, 2048);
    ASSERT_TRUE(painter.last);
    EXPECT_GT(pixelAt(*painter.last, 4, 4)[1], 200) << "the shared tile paints the cell";
    EXPECT_LT(seconds, 10) << "a second or less when the cell and its tile are shared";
}

TEST(KXPDFPattern, AKeptCellServesOnlyItsOwnPatternObjectAndDocument) {
    kx::ScopedTemporaryRoot root;
    kx::test::PDFBuilder b;
    const std::string green = greenImage(b);
    const std::string blue = std::to_string(b.addStream(
        "/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB /BitsPerComponent 8",
        std::string("\x00\x00\xFF", 3)));
    auto cellOf = [&](const std::string& image) {
        return b.addStream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 4 4] /XStep 4 /YStep 4 "
                           "/Resources << /XObject << /Im " + image + " 0 R >> >>",
                           "q 4 0 0 4 0 0 cm /Im Do Q");
    };
    const int greenCell = cellOf(green), sameAgain = cellOf(green), blueCell = cellOf(blue);
    b.addPage("", "<< >>");
    const std::string bytes = b.build();
    auto doc = kx::PDFDocument::openFromMemory(bytes), other = kx::PDFDocument::openFromMemory(bytes);
    ASSERT_TRUE(doc && other);
    auto cell = [](const kx::PDFObject& object) {
        auto pattern = KXPDFPattern::PatternWithObject(object, "P", kDrawCell);
        auto* tiling = dynamic_cast<KXPDFPatternTiling*>(pattern.get());
        return tiling ? tiling->contentImageRef() : nullptr;
    };

    kx::ImageRef first = cell(doc->object(greenCell));
    ASSERT_TRUE(first);
    EXPECT_GT(pixelAt(*first, 8, 8)[1], 200);
    EXPECT_EQ(cell(doc->object(greenCell)), first) << "the same pattern object read again";
    kx::ImageRef twin = cell(doc->object(sameAgain));
    EXPECT_NE(twin, first) << "another object with the same content renders its own";
    kx::ImageRef bluePainted = cell(doc->object(blueCell));
    ASSERT_TRUE(bluePainted);
    EXPECT_EQ(pixelAt(*bluePainted, 8, 8), kBlue) << "another object, another cell";
    kx::ImageRef elsewhere = cell(other->object(greenCell));
    EXPECT_NE(elsewhere, first) << "another document renders its own";
    ASSERT_TRUE(elsewhere);
    EXPECT_GT(pixelAt(*elsewhere, 8, 8)[1], 200);
}

TEST(KXPDFPattern, TilesOfAnUncolouredPatternAreMadeForEachColour) {
    // One cell, painted in the colours the content gives it: each colour has its own tile, and a
    // colour painted again finds its tile.
    kx::ScopedTemporaryRoot root;
    kx::test::PDFBuilder b;
    // The cell's image (black) covers its bottom-left quarter.
    int black = b.addStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
                            "/BitsPerComponent 8",
                            std::string(1, '\0'));
    int stencil = b.addStream("/PatternType 1 /PaintType 2 /TilingType 1 /BBox [0 0 4 4] /XStep 4 /YStep 4 "
                              "/Resources << /XObject << /Im " + std::to_string(black) + " 0 R >> >>",
                              "q 2 0 0 2 0 0 cm /Im Do Q");
    b.addPage("", "<< >>");
    auto doc = kx::PDFDocument::openFromMemory(b.build());
    ASSERT_TRUE(doc);
    auto pattern = KXPDFPattern::PatternWithObject(doc->object(stencil), "P", kDrawCell);
    ASSERT_TRUE(pattern);
    auto space = KXPDFColorSpace::ColorSpaceWithObject(ObjectDoc::parse("[/Pattern /DeviceRGB]"));
    ASSERT_TRUE(space);
    auto tileIn = [&](int r, int g, int bl) {
        KXPDFColor color{};
        color.c[0] = static_cast<std::int16_t>(r);
        color.c[1] = static_cast<std::int16_t>(g);
        color.c[2] = static_cast<std::int16_t>(bl);
        auto painted = KXPDFPattern::patternForPainting(pattern, *space, color);
        auto* tiling = dynamic_cast<KXPDFPatternTiling*>(painted.get());
        return tiling ? tiling->tileImage() : nullptr;
    };
    kx::ImageRef red = tileIn(255, 0, 0), green = tileIn(0, 255, 0);
    ASSERT_TRUE(red && green);
    // Rows from the top: the painted quarter is at the bottom left.
    const int bottom = red->height - 1;
    EXPECT_EQ(pixelAt(*red, 0, bottom), kRed);
    EXPECT_EQ(pixelAt(*green, 0, bottom), kGreen);
    EXPECT_EQ(pixelAt(*red, red->width - 1, 0)[3], 0);
    EXPECT_EQ(tileIn(255, 0, 0), red) << "the same colour again";
    EXPECT_EQ(pixelAt(*tileIn(0, 0, 255), 0, bottom), kBlue);
}
