// The DOCX exporter and painted paths: each row paints a little on a page and reads the path runs
// the exporter puts on it, before the page's own clean-up runs: what is not seen is not kept, a
// stroked line takes its width as its height, a thin filled bar becomes a line, a clip cuts a
// rectangle to its visible part, and a near-white rectangle painted first is the page's background.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "docx/page/ExporterProbe.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "engine/KXPDFOptions.h"
#include "platform/FileSystem.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

const std::string kResources =
    "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >>"
    " /ExtGState << /Faint << /ca 0.005 >> /NoStroke << /CA 0 >> >> >>";

using PathProbe = kx::test::ExporterProbe;

// A path run as the exporter made it (the page's clean-up changes runs in place).
struct PathSeen {
    kx::Rect box;
    bool stroked = false, filled = false;
    double weight = 0;
    KXDocx_Color strokeColor;
    std::int64_t z = 0;
    std::vector<double> dash;
    std::int64_t dashPhase = 0;
};

struct Read {
    std::vector<PathSeen> paths;
    size_t texts = 0;
};

Read readPage(const std::string& content) {
    kx::test::PDFBuilder builder;
    builder.addPage(content, kResources);
    kx::ScopedTemporaryRoot root;
    std::shared_ptr<kx::PDFDocument> document = kx::PDFDocument::openFromMemory(builder.build());
    EXPECT_TRUE(document);
    if (!document) return {};
    PathProbe exporter;
    exporter.begin(document, "paths");
    Read read;
    if (KXDocxPage* page = exporter.read(*document->page(1))) {
        for (const auto& run : page->allRunPathArray()) {
            const KXDocxPathInfo* info = run->pictInfo();
            if (!info) continue;
            read.paths.push_back({run->displayRect(), info->stroked(), info->filled(), info->strokeweight(),
                                  info->strokeColorKX(), run->pictZIndex(), info->strokeDashPattern(),
                                  info->strokeDashPhase()});
        }
        read.texts = page->allRunTextArray().size();
    }
    exporter.finish(document);
    return read;
}

}  // namespace

TEST(KXDocxPDFExporterPaths, PaintedPathsBecomePathRuns) {
    struct Shape {
        kx::Rect box;  // display frame, y down from the page's top (792)
        bool stroked, filled;
        double weight;  // checked when stroked
    };
    struct Case {
        const char* what;
        std::string content;
        std::optional<Shape> shape;  // the one run expected, or none
        size_t texts = 0;
    };
    const Case cases[] = {
        {"a fill too faint to see", "/Faint gs 1 0 0 rg 100 600 50 50 re f", std::nullopt},
        {"a stroke that is not seen but a fill that is", "/NoStroke gs 1 0 0 rg 0 0 1 RG 100 600 50 50 re B",
         Shape{{100, 142, 50, 50}, true, true, 1}},
        {"a stroked line two points wide is two points high, its top a point above",
         "2 w 0 0 1 RG 100 700 m 300 700 l S", Shape{{100, 91, 200, 2}, true, false, 2}},
        {"a filled box of no width", "1 0 0 rg 100 600 0 50 re f", std::nullopt},
        {"a filled bar two points high becomes a line as wide", "1 0 0 rg 100 600 100 2 re f",
         Shape{{100, 190, 100, 2}, true, false, 2}},
        {"a filled bar eight points high stays a rectangle", "1 0 0 rg 100 600 100 8 re f",
         Shape{{100, 184, 100, 8}, false, true, 0}},
        {"a rectangle half out of its clip is its visible half",
         "q 100 500 100 100 re W n 1 0 0 rg 150 550 100 100 re f Q", Shape{{150, 192, 50, 50}, false, true, 0}},
        {"a rectangle wholly out of its clip", "q 100 500 100 100 re W n 1 0 0 rg 300 300 50 50 re f Q",
         std::nullopt},
        {"a rectangle beyond the page's right edge is a shape where it is painted", "1 0 0 rg 700 600 50 50 re f",
         Shape{{700, 142, 50, 50}, false, true, 0}},
        {"a white rectangle painted first over text is the background: the text goes with it",
         "BT /F1 12 Tf 120 620 Td (Hidden) Tj ET 1 1 1 rg 100 600 200 50 re f", std::nullopt, 0},
        {"an almost white one is a shape, and the text stays",
         "BT /F1 12 Tf 120 620 Td (Shown) Tj ET 0.98 1 1 rg 100 600 200 50 re f",
         Shape{{100, 142, 200, 50}, false, true, 0}, 1},
        // Painted after a text box or a text path, a white rectangle is a shape over them.
        {"a white rectangle after a text box is a shape, and the text stays",
         "BT /F1 12 Tf 0 -1 1 0 400 700 Tm (Turned) Tj ET BT /F1 12 Tf 120 620 Td (Shown) Tj ET "
         "1 1 1 rg 100 600 200 50 re f",
         Shape{{100, 142, 200, 50}, false, true, 0}, 1},
        {"a white rectangle after a text path is a shape, and the text stays",
         "BT /F1 12 Tf 0.7071 0.7071 -0.7071 0.7071 400 400 Tm (Tilted) Tj ET BT /F1 12 Tf 120 620 Td (Shown) Tj ET "
         "1 1 1 rg 100 600 200 50 re f",
         Shape{{100, 142, 200, 50}, false, true, 0}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Read read = readPage(c.content);
        EXPECT_EQ(read.texts > 0, c.texts > 0);
        if (!c.shape) {
            EXPECT_TRUE(read.paths.empty());
            continue;
        }
        ASSERT_EQ(read.paths.size(), 1u);
        const PathSeen& run = read.paths.front();
        const kx::Rect& shown = run.box;
        EXPECT_NEAR(shown.origin.x, c.shape->box.origin.x, 0.01);
        EXPECT_NEAR(shown.origin.y, c.shape->box.origin.y, 0.01);
        EXPECT_NEAR(shown.size.width, c.shape->box.size.width, 0.01);
        EXPECT_NEAR(shown.size.height, c.shape->box.size.height, 0.01);
        EXPECT_EQ(run.stroked, c.shape->stroked);
        EXPECT_EQ(run.filled, c.shape->filled);
        if (c.shape->stroked) {
            EXPECT_NEAR(run.weight, c.shape->weight, 0.01);
        }
    }
}

TEST(KXDocxPDFExporterPaths, ABarTurnedIntoALineKeepsItsColourAndTheStackingStartsWithTheDocument) {
    const Read read = readPage("1 0 0 rg 100 600 100 2 re f 0 0 1 rg 100 500 50 50 re f");
    ASSERT_EQ(read.paths.size(), 2u);
    const KXDocx_Color red = read.paths[0].strokeColor;
    EXPECT_EQ(red.red, 255);
    EXPECT_EQ(red.green, 0);
    EXPECT_EQ(red.blue, 0);
    EXPECT_EQ(red.alpha, 255) << "the bar's fill alpha";
    EXPECT_EQ(read.paths[0].z, -251657498);
    EXPECT_EQ(read.paths[1].z, -251657497);
}

// The dash is the one the graphics state holds, in the units it was set in, whatever the matrix
// does to the line's width.
TEST(KXDocxPDFExporterPaths, ALineKeepsTheDashTheStateGivesIt) {
    const Read read = readPage("2 0 0 2 0 0 cm [3 1] 2 d 0 0 1 RG 50 300 m 150 300 l S");
    ASSERT_EQ(read.paths.size(), 1u);
    EXPECT_NEAR(read.paths[0].weight, 2, 0.01) << "the width is drawn at the matrix's scale";
    EXPECT_EQ(read.paths[0].dash, (std::vector<double>{3, 1}));
    EXPECT_EQ(read.paths[0].dashPhase, 2);
}
