// Drawing whole pages with the renderer: pages that would make it read outside its tables, exhaust
// its stack or run without end are refused or abandoned, and the page fails instead of the
// process.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Format.h"
#include "platform/LeftOut.h"
#include "platform/pdf/PDFDocument.h"
#include "platform/pdf/PDFPageRenderer.h"
#include "support/DensePages.h"
#include "support/PDFBuilder.h"

using namespace kx;
using kx::test::PDFBuilder;

namespace {

std::string ref(int n) { return std::to_string(n) + " 0 R"; }

// A page whose axial shading (painted with sh) and Separation tint transform use the function.
std::string pageWithFunction(PDFBuilder& b, int function) {
    int shading = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function " + ref(function) +
                        " >>");
    b.addPage("/Sh sh /CS cs 0.5 sc 0 0 10 10 re f",
              "<< /Shading << /Sh " + ref(shading) + " >> /ColorSpace << /CS [/Separation /X /DeviceRGB " +
                  ref(function) + "] >> >>",
              "/MediaBox [0 0 100 100]");
    return b.build();
}

ImageRef draw(const std::string& pdf) {
    auto doc = PDFDocument::openFromMemory(pdf);
    if (!doc) return nullptr;
    auto page = doc->page(1);
    if (!page) return nullptr;
    return renderPDFPage(*page, AffineTransform(), 100, 100);
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

TEST(PDFPageRenderer, PagesWithFunctionsTheRendererCannotEvaluateSafelyFail) {
    struct Case {
        const char* name;
        std::string dict;  // a stream's entries when `program` is set, else a dictionary
        std::string program;
        bool drawn;
    } cases[] = {
        {"sane sampled function", "/FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1] /Size [2] /BitsPerSample 8",
         "\x00\x00\x00\xff\xff\xff", true},
        {"sane calculator function", "/FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1]",
         "{ dup 0.5 gt { 1 exch sub } if dup dup }", true},
        // 2147483647 x 2147483647 x 3 wraps to 3 in 32-bit arithmetic: a table of three samples
        // indexed as if it held them all.
        {"sample count that overflows",
         "/FunctionType 0 /Domain [0 1 0 1] /Range [0 1 0 1 0 1] /Size [2147483647 2147483647] /BitsPerSample 32",
         std::string(64, '\x10'), false},
        {"sample count beyond the table limit",
         "/FunctionType 0 /Domain [0 1 0 1] /Range [0 1 0 1 0 1] /Size [4096 4096] /BitsPerSample 8",
         std::string(64, '\x10'), false},
        {"calculator nested a hundred thousand deep", "/FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1]",
         repeat("{", 100000) + repeat("}", 100000), false},
        {"calculator program of a million operators", "/FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1]",
         "{ " + repeat("1 add 2 mul pop ", 250000) + "}", false},
    };
    for (const Case& c : cases) {
        PDFBuilder b;
        int function = b.addStream(c.dict, c.program);
        const auto start = std::chrono::steady_clock::now();
        ImageRef image = draw(pageWithFunction(b, function));
        EXPECT_EQ(image != nullptr, c.drawn) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.name;
    }
}

TEST(PDFPageRenderer, FunctionsAreFoundThroughFormsPatternsAndGraphicsStates) {
    const std::string bad = "/FunctionType 0 /Domain [0 1 0 1] /Range [0 1 0 1 0 1] /Size [2147483647 2147483647] "
                            "/BitsPerSample 32";
    struct Case {
        const char* name;
        std::string (*make)(PDFBuilder& b, int function);
    } cases[] = {
        {"shading in a form",
         [](PDFBuilder& b, int f) {
             int sh = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0] /Function " + ref(f) + " >>");
             int form = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << /Shading << /S " +
                                        ref(sh) + " >> >>",
                                    "/S sh");
             b.addPage("/Fm Do", "<< /XObject << /Fm " + ref(form) + " >> >>", "/MediaBox [0 0 100 100]");
             return b.build();
         }},
        {"shading pattern",
         [](PDFBuilder& b, int f) {
             int sh = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0] /Function " + ref(f) + " >>");
             b.addPage("/Pattern cs /P scn 0 0 10 10 re f",
                       "<< /Pattern << /P << /PatternType 2 /Shading " + ref(sh) + " >> >> >>",
                       "/MediaBox [0 0 100 100]");
             return b.build();
         }},
        {"transfer function of a soft mask",
         [](PDFBuilder& b, int f) {
             int group = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Group << /S /Transparency >>",
                                     "0 0 10 10 re f");
             b.addPage("/G gs 0 0 10 10 re f",
                       "<< /ExtGState << /G << /SMask << /S /Luminosity /G " + ref(group) + " /TR " + ref(f) +
                           " >> >> >> >>",
                       "/MediaBox [0 0 100 100]");
             return b.build();
         }},
        {"appearance stream of an annotation",
         [](PDFBuilder& b, int f) {
             int sh = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0] /Function " + ref(f) + " >>");
             int ap = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << /Shading << /S " +
                                      ref(sh) + " >> >>",
                                  "/S sh");
             int annot = b.add("<< /Type /Annot /Subtype /Square /Rect [0 0 10 10] /AP << /N " + ref(ap) + " >> >>");
             b.addPage("", "<< >>", "/MediaBox [0 0 100 100] /Annots [" + ref(annot) + "]");
             return b.build();
         }},
    };
    for (const Case& c : cases) {
        PDFBuilder b;
        int function = b.addStream(bad, std::string(64, '\x10'));
        EXPECT_EQ(draw(c.make(b, function)), nullptr) << c.name;
    }
}

TEST(PDFPageRenderer, DrawingThatOutrunsTheTimeLimitIsAbandoned) {
    // Forms that each draw the next one eight times, twelve deep: no cycle, 8^12 leaf forms.
    PDFBuilder b;
    int below = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10]", "0 0 m 1 1 l S");
    for (int level = 0; level < 12; ++level)
        below = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << /XObject << /N " +
                                ref(below) + " >> >>",
                            repeat("/N Do ", 8));
    b.addPage("/Fm Do", "<< /XObject << /Fm " + ref(below) + " >> >>", "/MediaBox [0 0 100 100]");
    const std::string pdf = b.build();

    const auto previous = pageDrawingTimeLimit();
    setPageDrawingTimeLimit(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    ImageRef image = draw(pdf);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    setPageDrawingTimeLimit(previous);
    EXPECT_EQ(image, nullptr);
    EXPECT_LT(elapsed, std::chrono::seconds(5));
    EXPECT_EQ(previous, std::chrono::seconds(30));
}

TEST(PDFPageRenderer, TilingPatternsRepeatedBeyondReasonAreDrawnOnceInsteadOfWithoutEnd) {
    // A red 5 x 5 square in a 10 x 10 period; the page maps one unit to one pixel.
    auto drawPattern = [](const std::string& step) {
        PDFBuilder b;
        int pattern = b.addStream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep " +
                                      step + " /YStep " + step + " /Resources << >>",
                                  "1 0 0 rg 0 0 5 5 re f");
        b.addPage("/Pattern cs /P scn 0 0 100 100 re f", "<< /Pattern << /P " + ref(pattern) + " >> >>",
                  "/MediaBox [0 0 100 100]");
        return draw(b.build());
    };
    auto red = [](const ImageRef& image, int x, int yUp) {
        const std::uint8_t* p = &image->pixels[image->stride() * static_cast<size_t>(99 - yUp) + static_cast<size_t>(x) * 3];
        return p[0] > 200 && p[1] < 60 && p[2] < 60;
    };

    ImageRef tiled = drawPattern("10");
    ASSERT_NE(tiled, nullptr);
    EXPECT_TRUE(red(tiled, 2, 2));
    EXPECT_TRUE(red(tiled, 52, 72));
    EXPECT_FALSE(red(tiled, 7, 7));

    // A step of a thousandth of a unit would repeat the tile ten billion times over the page.
    const auto start = std::chrono::steady_clock::now();
    ImageRef crowded = drawPattern("0.001");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_NE(crowded, nullptr);
    EXPECT_TRUE(red(crowded, 2, 2));  // the cell where it stands
}

// Every page the tree holds is drawn, also where the root's /Count says fewer: the pages beyond the
// declared count are pages like the others.
TEST(PDFPageRenderer, PagesBeyondADeclaredCountThatIsTooSmallAreDrawn) {
    PDFBuilder b;
    std::vector<int> pages;
    for (int i = 0; i < 3; ++i) pages.push_back(b.add("<< /Type /Page /MediaBox [0 0 100 100] >>"));
    const int root = b.add("<< /Type /Pages /Kids [" + ref(pages[0]) + " " + ref(pages[1]) + " " + ref(pages[2]) +
                           "] /Count 1 >>");
    auto doc = PDFDocument::openFromMemory(b.buildWithRoot(b.add("<< /Type /Catalog /Pages " + ref(root) + " >>")));
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->pageCount(), 3);
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        auto page = doc->page(n);
        ASSERT_TRUE(page);
        EXPECT_TRUE(renderPDFPage(*page, AffineTransform(), 100, 100));
    }
}

// Each dense page is drawn at 144 and at 600 dpi; at each sampled mark's centre the page shows ink:
// markers under the page's clip or each in a clip of its own, the polygons of a map under the
// plot's clip, the segments of a chart each in a clip of its own, and a line of 50,000 points.
// Nothing is said to be left out.
TEST(PDFPageRenderer, DensePagesAreDrawnWhole) {
    struct Case {
        const char* name;
        test::DensePage page;
    };
    const Case cases[] = {
        {"scatter of 20,000 markers under the page clip", test::denseScatter(20000, false)},
        {"scatter of 20,000 markers each in its own clip", test::denseScatter(20000, true)},
        {"map of 30,000 polygons under the plot clip", test::denseMap(30000, false)},
        {"chart of 20,000 segments each in its own clip", test::denseChart(20000)},
        {"line of 50,000 points", test::denseLine(50000)},
    };
    for (const Case& c : cases) {
        auto doc = PDFDocument::openFromMemory(c.page.pdf);
        ASSERT_TRUE(doc);
        for (int dpi : {144, 600}) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(dpi) + " dpi");
            const double s = dpi / 72.0;
            const int w = static_cast<int>(612 * s), h = static_cast<int>(792 * s);
            LeftOut::begin();
            const auto start = std::chrono::steady_clock::now();
            ImageRef image = renderPDFPage(*doc->page(1), AffineTransform::makeScale(s, s), w, h);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            ASSERT_TRUE(image);
            EXPECT_LT(seconds, 20);
            EXPECT_EQ(LeftOut::describe(LeftOut::take()), "");
            int missing = 0, sampled = 0;
            const auto& marks = c.page.marks;
            for (size_t i = 0; i < marks.size(); i += std::max<size_t>(1, marks.size() / 2000)) {
                ++sampled;
                const int x = static_cast<int>(marks[i].x * s), y = h - 1 - static_cast<int>(marks[i].y * s);
                const std::uint8_t* p = image->row(y) + 3 * x;
                if (p[0] > 230 && p[1] > 230 && p[2] > 230) ++missing;
            }
            EXPECT_EQ(missing, 0) << "of " << sampled << " sampled marks";
            std::printf("%s at %d dpi: %.2f s, %d of %d sampled marks shown\n", c.name, dpi, seconds, sampled - missing,
                        sampled);
        }
    }
}

// A crafted page past the budget: a fill of a quarter of a million segments crossing each other all
// over the page is drawn as far as the budget goes, within seconds, and the rest is said to be
// left out, as is a clip of it; a square painted after it still shows.
TEST(PDFPageRenderer, CraftedPathsPastTheBudgetSayWhatTheyLeaveOut) {
    std::string block;
    for (std::uint64_t i = 0; i < 2000; ++i) {
        const std::uint64_t h = (i + 1) * 0x9E3779B97F4A7C15ull;
        block += std::to_string((h >> 20) % 613) + " " + std::to_string((h >> 40) % 793) + " l\n";
    }
    const std::string scattered = "300 400 m\n" + repeat(block, 131);
    struct Case {
        const char* name;
        std::string content;
        const char* said;
    };
    const Case cases[] = {
        {"the fill", scattered + "f\n", "1 parts of paths past the drawing budget of a picture"},
        {"a clip of it", "q " + scattered + "W n 0 0 612 792 re f Q\n", "1 clips past the drawing budget of a picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PDFBuilder b;
        b.addPage(c.content + "1 0 0 rg 20 20 10 10 re f\n", "<< >>", "/MediaBox [0 0 612 792]");
        auto doc = PDFDocument::openFromMemory(b.build());
        ASSERT_TRUE(doc);
        LeftOut::begin();
        const auto start = std::chrono::steady_clock::now();
        ImageRef image = renderPDFPage(*doc->page(1), AffineTransform::makeScale(2, 2), 1224, 1584);
        ASSERT_TRUE(image);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
        EXPECT_EQ(LeftOut::describe(LeftOut::take()), c.said);
        const std::uint8_t* square = image->row(1584 - 1 - 50) + 3 * 50;
        EXPECT_EQ(square[0], 255);
        EXPECT_LT(square[1], 10) << "the square";
    }
}
