// The KXDocuvane program on pages made to exhaust memory: content that is short to say, or shorter
// still behind Flate, and costly to keep when kept naively. Each page is converted to every output
// format by the program in a child process whose address space is limited to 1 GiB; the run must
// end with its output, a resident peak below 300 MB and within seconds: as a success, or with
// status 3 where a bound left something out of the page and standard error says what.

#include <gtest/gtest.h>


#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "CommandLineHarness.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using namespace kx;
using namespace kx::test;

namespace {

constexpr long kMostResidentKB = 300 * 1024;
constexpr double kMostSeconds = 30;

const char* const kFormats[] = {"docx", "xlsx", "csv", "pptx", "txt", "html", "rtf", "png"};

std::string repeated(const std::string& piece, size_t times) {
    std::string s;
    s.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) s += piece;
    return s;
}

// One page whose content stream is Flate-compressed, with the resources given.
std::string pageOf(const std::string& content, const std::string& resources = "<< >>") {
    PDFBuilder b;
    const int pages = b.reserve();
    const int stream = b.addFlateStream("", content);
    const int page = b.add("<< /Type /Page /Parent " + std::to_string(pages) + " 0 R /MediaBox [0 0 612 792] /Contents " +
                           std::to_string(stream) + " 0 R /Resources " + resources + " >>");
    b.set(pages, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    return b.buildWithRoot(b.add("<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>"));
}

// Clip rectangles, each inside the last and each in a state of its own, then a square painted
// under all of them.
std::string nestedClips(int depth) {
    std::string content;
    for (int i = 0; i < depth; ++i) {
        const double inset = 250.0 * i / depth;
        content += "q " + std::to_string(inset) + " " + std::to_string(inset) + " " + std::to_string(612 - 2 * inset) +
                   " " + std::to_string(792 - 2 * inset) + " re W n\n";
    }
    content += "0 0 1 rg 280 300 40 40 re f\n";
    return pageOf(content + repeated("Q\n", depth));
}

// One string of `length` characters shown by one Tj in a standard font.
std::string oneLongString(size_t length) {
    const std::string words = "Lorem ipsum dolor sit amet ";
    const std::string text = repeated(words, length / words.size() + 1).substr(0, length);
    return pageOf("BT /F1 10 Tf 20 700 Td (" + text + ") Tj ET\n",
                  "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
}

// The same string in Hebrew: the font's ToUnicode map gives a Hebrew letter for each small Latin
// letter, so the whole string is right-to-left text shown in visual order; `start` sets its size and
// place (in type small enough, the whole of it stands on the page).
std::string oneLongRightToLeftString(size_t length, const std::string& start = "/F1 10 Tf 20 700 Td") {
    const std::string words = "lorem ipsum dolor sit amet ";
    const std::string text = repeated(words, length / words.size() + 1).substr(0, length);
    PDFBuilder b;
    const int map = b.addStream("", "/CIDInit /ProcSet findresource begin 12 dict begin begincmap 1 begincodespacerange "
                                    "<00> <FF> endcodespacerange 1 beginbfrange <61> <7A> <05D0> endbfrange endcmap end end");
    const int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /ToUnicode " + std::to_string(map) + " 0 R >>");
    const int pages = b.reserve();
    const int stream = b.addFlateStream("", "BT " + start + " (" + text + ") Tj ET\n");
    const int page = b.add("<< /Type /Page /Parent " + std::to_string(pages) + " 0 R /MediaBox [0 0 612 792] /Contents " +
                           std::to_string(stream) + " 0 R /Resources << /Font << /F1 " + std::to_string(font) + " 0 R >> >> >>");
    b.set(pages, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    return b.buildWithRoot(b.add("<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>"));
}

// One string of `length` characters shown by one Tj in type so small that the whole of it stands
// on the page, in one line; `matrix` places the line (its text matrix).
std::string oneLineOfTinyGlyphs(size_t length, const std::string& matrix = "1 0 0 1 5 400") {
    return pageOf("BT /F1 0.002 Tf " + matrix + " Tm (" + repeated("abcdefghij", length / 10) + ") Tj ET\n",
                  "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
}

// One path of `segments` line segments from (300, 400), through the first 2000 points of `point`
// over and over (Flate keeps the file small), then painted with `paint`.
template <typename PointAt>
std::string pathContent(size_t segments, PointAt point, const std::string& paint) {
    std::string block;
    for (size_t i = 0; i < 2000; ++i) {
        const auto [x, y] = point(i);
        block += std::to_string(x) + " " + std::to_string(y) + " l\n";
    }
    return "300 400 m\n" + repeated(block, segments / 2000) + paint;
}

// A stroked zigzag of short steps across the page.
std::pair<int, int> zigzagPoint(size_t i) { return {10 + static_cast<int>(i % 590), 10 + static_cast<int>(i * 7 % 770)}; }

// Points all over the page in no order: each segment crosses a third of the page and thousands of
// the others.
std::pair<int, int> scatteredPoint(size_t i) {
    const std::uint64_t h = (i + 1) * 0x9E3779B97F4A7C15ull;
    return {static_cast<int>((h >> 20) % 613), static_cast<int>((h >> 40) % 793)};
}

// A text matrix that turns the line `degrees` counter-clockwise from (5, 100).
std::string turnedBy(double degrees) {
    const double r = degrees * M_PI / 180;
    return kx::format("%.6f %.6f %.6f %.6f 5 100", std::cos(r), std::sin(r), -std::sin(r), std::cos(r));
}

// `layers` stroked paths of `lines` short lines each (a move and a line for each), repeating a
// block of 1000 lines (Flate keeps the file small): CAD layers, each a sub-path a line.
std::string cadLayers(int layers, size_t lines) {
    std::string block;
    for (size_t i = 0; i < 1000; ++i) {
        const int x = 10 + static_cast<int>(i * 37 % 570), y = 10 + static_cast<int>(i / 3 % 770);
        block += kx::format("%d %d m %d %d l\n", x, y, x + 3, y + 2);
    }
    return repeated(repeated(block, lines / 1000) + "S\n", static_cast<size_t>(layers));
}

// A shading from red at the bottom-left of the page to blue at its top-right.
const std::string kPageShading =
    "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 612 792] /Function << /FunctionType 2 /Domain [0 1] "
    "/C0 [1 0 0] /C1 [0 0 1] /N 1 >> /Extend [true true] >>";

// `paint` under a clip of a quarter of a million segments crossing each other all over the page.
std::string underSelfCrossingClip(const std::string& paint, const std::string& resources = "<< >>") {
    return pageOf("q " + pathContent(262'000, scatteredPoint, "W n\n" + paint) + "Q\n", resources);
}

// `count` small blue squares, twenty to a row, up the page.
std::string squares(int count) {
    std::string s = "0 0 1 rg\n";
    for (int i = 0; i < count; ++i)
        s += std::to_string(10 + i % 20 * 29) + " " + std::to_string(10 + i / 20 * 50) + " 20 20 re f\n";
    return s;
}

}  // namespace

// Each case is a page that the program once could not convert within 1 GiB: nested clips copied
// whole into each saved state, a stream of moves kept as an ever longer path, a string of
// megabytes kept as a text run per character, level or turned, or held whole to be put in reading
// order when it is right-to-left text, one path of millions of segments,
// paths of a quarter of a million segments each kept whole by the page until it is done and drawn
// into its image one after another (or of as many short lines, each a sub-path of its own), and one filled path whose segments cross each other all over
// the page, which a picture of the page's paths took minutes to draw, alone or as a clip paid for
// again by every paint under it.
TEST(CommandLineHostile, PagesMadeToExhaustMemoryConvertInBoundedMemory) {
#if defined(KX_TEST_UNDER_ASAN)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
#endif
    struct Case {
        const char* name;
        std::string pdf;
    };
    const Case cases[] = {
        {"ten-thousand-nested-clips", nestedClips(10000)},
        {"sixteen-million-moves", pageOf(repeated("1 1 m\n", 16'000'000))},
        {"five-megabyte-string", oneLongString(5'000'000)},
        {"five-megabyte-right-to-left-string", oneLongRightToLeftString(5'000'000)},
        {"five-megabyte-right-to-left-string-on-the-page", oneLongRightToLeftString(5'000'000, "/F1 0.0002 Tf 5 400 Td")},
        {"three-hundred-thousand-glyphs-in-one-line", oneLineOfTinyGlyphs(300'000)},
        {"one-and-a-half-million-glyphs-in-one-line", oneLineOfTinyGlyphs(1'500'000)},
        {"four-million-segment-stroke", pageOf(pathContent(4'000'000, zigzagPoint, "S\n"))},
        {"sixteen-strokes-of-250000-segments", pageOf(repeated(pathContent(250'000, zigzagPoint, "S\n"), 16))},
        {"eight-cad-layers-of-130000-lines", pageOf("0.1 w\n" + cadLayers(8, 130'000))},
        {"a-cad-layer-of-250000-lines", pageOf("0.1 w\n" + cadLayers(1, 250'000))},
        {"self-crossing-fill", pageOf(pathContent(262'000, scatteredPoint, "0.5 g f\n"))},
        {"one-and-a-half-million-glyphs-in-a-turned-line", oneLineOfTinyGlyphs(1'500'000, turnedBy(30))},
        {"squares-under-a-self-crossing-clip", underSelfCrossingClip(squares(300))},
        {"shading-under-a-self-crossing-clip",
         underSelfCrossingClip("/Sh0 sh\n", "<< /Shading << /Sh0 " + kPageShading + " >> >>")},
        {"self-crossing-fill-with-a-shading-pattern",
         pageOf("/Pattern cs /P0 scn\n" + pathContent(262'000, scatteredPoint, "f\n"),
                "<< /Pattern << /P0 << /PatternType 2 /Shading " + kPageShading + " >> >> >>")},
    };
    for (const Case& c : cases) {
        const std::string input = writeTemp(std::string(c.name) + ".pdf", c.pdf);
        // The page is small; only what it says is large.
        EXPECT_LT(c.pdf.size(), 400'000u) << c.name;
        for (const char* format : kFormats) {
            SCOPED_TRACE(std::string(c.name) + " as " + format);
            const std::string dest = freshFolder(std::string(c.name) + "-" + format);
            const LimitedRun run = runLimited({"-i", input, "-o", pathJoin(dest, "out"), "-f", format});
            // A bound that leaves something out of the page says so: status 3, the page named
            // with what it lost. Anything else is a success; the output is there either way.
            if (run.status == 3) {
                EXPECT_NE(run.errors.find("Conversion Page Incomplete: \"Left out of page 1: "), std::string::npos)
                    << run.errors;
                EXPECT_EQ(run.errors.find("Conversion Page Failed"), std::string::npos) << run.errors;
            } else {
                EXPECT_EQ(run.status, 0) << run.errors;
            }
            EXPECT_FALSE(listDirectory(dest).empty());
            EXPECT_LT(run.peakKilobytes, kMostResidentKB);
            EXPECT_LT(run.seconds, kMostSeconds);
            std::printf("%s %s: %ld MB, %.1f s%s\n", c.name, format, run.peakKilobytes / 1024, run.seconds,
                        run.status == 3 ? ", something left out" : "");
            removeAll(dest);
        }
        removeFile(input);
    }
}
