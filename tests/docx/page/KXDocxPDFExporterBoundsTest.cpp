// The DOCX exporter's bounds against crafted pages: a dense page as drawings, maps and scans are
// made keeps all it paints, and a page past a bound says on the page's record (kx::LeftOut) what
// it left out. Each row paints a generated page and reads what the exporter kept of it, before the
// page's own clean-up runs.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "docx/page/ExporterProbe.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "engine/KXPDFOptions.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/LeftOut.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

using BoundsProbe = kx::test::ExporterProbe;

// What the exporter kept of a page, and what the page's record says it left out.
struct Read {
    size_t paths = 0;
    size_t pathElements = 0;
    size_t images = 0;
    std::vector<kx::LeftOutItem> leftOut;
    std::string said;  // standard error while the page was read and written
};

// A page (content and resources) made with the builder, for the resources it needs.
using PageMaker = std::function<std::string(kx::test::PDFBuilder&, std::string& resources)>;

Read readPage(const PageMaker& make) {
    kx::test::PDFBuilder builder;
    std::string resources = "<< >>";
    const std::string content = make(builder, resources);
    builder.addPage(content, resources);
    kx::ScopedTemporaryRoot root;
    std::shared_ptr<kx::PDFDocument> document = kx::PDFDocument::openFromMemory(builder.build());
    EXPECT_TRUE(document);
    if (!document) return {};
    BoundsProbe exporter;
    exporter.begin(document, "bounds");
    Read read;
    testing::internal::CaptureStderr();
    kx::LeftOut::begin();
    if (KXDocxPage* page = exporter.read(*document->page(1))) {
        for (const auto& run : page->allRunPathArray()) {
            ++read.paths;
            read.pathElements += run->runCGPath().elements().size();
        }
        read.images = page->allRunImageArray().size();
    }
    exporter.finish(document);
    read.leftOut = kx::LeftOut::take();
    read.said = testing::internal::GetCapturedStderr();
    return read;
}

// `layers` stroked paths of `lines` short lines each, as a CAD program writes a layer.
std::string cadLayers(int layers, int lines) {
    std::string content = "0.1 w\n";
    for (int layer = 0; layer < layers; ++layer) {
        for (int i = 0; i < lines; ++i) {
            const int x = 20 + (i * 37 + layer * 11) % 560, y = 20 + (i / 15 * 7 + layer * 5) % 800;
            content += kx::format("%d %d m %d %d l\n", x, y, x + 3 + i % 5, y + 2 + i % 3);
        }
        content += "S\n";
    }
    return content;
}

// `count` small filled squares over the page (scatter-plot markers).
std::string markers(int count) {
    std::string content = "0 0 1 rg\n";
    for (int i = 0; i < count; ++i)
        content += kx::format("%d %d 6 6 re f\n", 10 + (i * 7) % 580, 10 + (i / 83 * 3) % 820);
    return content;
}

// An image of `width` x `height` one-bit pixels (white, with a black band), painted over the page
// once, or `paints` times.
std::string scan(kx::test::PDFBuilder& b, std::string& resources, int width, int height, int paints = 1) {
    const size_t row = (static_cast<size_t>(width) + 7) / 8;
    std::string data(row * static_cast<size_t>(height), '\xff');
    for (int y = height / 3; y < height / 3 + 40; ++y) std::fill_n(data.begin() + static_cast<long>(row * y), row / 2, '\0');
    const int image = b.addFlateStream(kx::format("/Type /XObject /Subtype /Image /Width %d /Height %d "
                                                  "/ColorSpace /DeviceGray /BitsPerComponent 1",
                                                  width, height),
                                       data);
    resources = kx::format("<< /XObject << /Im %d 0 R >> >>", image);
    std::string content;
    for (int i = 0; i < paints; ++i)
        content += kx::format("q 4 0 0 4 %d %d cm /Im Do Q\n", 10 + (i % 250) * 2, 10 + (i / 250) * 2);
    if (paints == 1) content = "q 595 0 0 842 0 0 cm /Im Do Q\n";
    return content;
}

// `count` axial shadings, each over the whole page under its own clip.
std::string shadings(kx::test::PDFBuilder& b, std::string& resources, int count) {
    std::string names, content;
    for (int i = 0; i < count; ++i) {
        const int object = b.add(kx::format("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 612 792] /Function "
                                            "<< /FunctionType 2 /Domain [0 1] /C0 [%.3f 0 1] /C1 [0 1 0] /N 1 >> >>",
                                            i / double(count)));
        names += kx::format("/Sh%d %d 0 R ", i, object);
        content += kx::format("q 0 0 612 792 re W n /Sh%d sh Q\n", i);
    }
    resources = "<< /Shading << " + names + ">> >>";
    return content;
}

std::string noted(const std::vector<kx::LeftOutItem>& items) { return kx::LeftOut::describe(items); }

}  // namespace

// Each page either keeps all it paints, and its record is empty, or keeps what its bound allows
// and its record says what the rest was and how much of it there was.
TEST(KXDocxPDFExporterBounds, ADensePageKeepsItAllAndAPagePastABoundSaysWhatItLeftOut) {
    struct Case {
        const char* name;
        PageMaker page;
        size_t paths, pathElements, images;
        std::string leftOut;  // the record, as the engine describes it
    } cases[] = {
        // Three CAD layers of 100,000 lines: 600,000 elements, all kept.
        {"three CAD layers", [](auto&, auto&) { return cadLayers(3, 100000); }, 3, 600000, 0, ""},
        // Five layers of 250,000 lines past the page's 1M elements: the fifth is left out.
        {"five long layers", [](auto&, auto&) { return cadLayers(5, 125000); }, 4, 1000000, 0,
         "1 paths past the 1048576 path elements a page holds"},
        // 20,000 markers are kept; of 120,005, a page takes paths while it holds no more than
        // 120,000, so 120,001.
        {"scatter of 20,000", [](auto&, auto&) { return markers(20000); }, 20000, 100000, 0, ""},
        {"scatter of 120,005", [](auto&, auto&) { return markers(120005); }, 120001, 600005, 0,
         "4 paths past the 120001 a page holds"},
        // A scan within the decode budget is kept at its size; one beyond it is decoded smaller.
        {"scan within the decode budget", [](auto& b, auto& r) { return scan(b, r, 9920, 14030); }, 0, 0, 1, ""},
        {"scan beyond the decode budget", [](auto& b, auto& r) { return scan(b, r, 15000, 15000); }, 0, 0, 1,
         "1 images reduced to fit the memory bound"},
        // 20,003 paints of an image keep 20,000.
        {"20,003 images", [](auto& b, auto& r) { return scan(b, r, 4, 4, 20003); }, 0, 0, 20000,
         "3 images past the 20000 a page holds"},
        // 40 shadings over the page at 2 pixels a point (1.9 million each) take the page's 64
        // million pixels with the first 34; the rest are drawn softer.
        {"40 shadings", [](auto& b, auto& r) { return shadings(b, r, 40); }, 0, 0, 40,
         "6 pictures drawn at a lower resolution past the page's picture budget"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Read read = readPage(c.page);
        EXPECT_EQ(read.paths, c.paths);
        EXPECT_EQ(read.pathElements, c.pathElements);
        EXPECT_EQ(read.images, c.images);
        EXPECT_EQ(noted(read.leftOut), c.leftOut);
    }
}

// More than 3,000 paths are not searched for tables: nothing is lost, the paths stay as drawn, so
// the page says it on standard error and leaves its record empty; 3,000 are searched.
TEST(KXDocxPDFExporterBounds, APageOfManyPathsSaysItLookedForNoTables) {
    for (const int lines : {3000, 3001}) {
        SCOPED_TRACE(lines);
        const Read read = readPage([lines](auto&, auto&) {
            std::string content = "0.5 w\n";
            for (int i = 0; i < lines; ++i)
                content += kx::format("%d %d m %d %d l S\n", 10 + (i % 60) * 9, 10 + (i / 60) * 15, 15 + (i % 60) * 9,
                                      18 + (i / 60) * 15);
            return content;
        });
        EXPECT_EQ(read.paths, size_t(lines));
        EXPECT_EQ(noted(read.leftOut), "");
        const bool said = read.said.find("tables not looked for among 3001 paths (more than 3000)") != std::string::npos;
        EXPECT_EQ(said, lines > 3000) << read.said;
    }
}
