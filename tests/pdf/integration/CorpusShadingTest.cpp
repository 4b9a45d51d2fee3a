// Every shading and pattern painted by the pages of the shared corpus, rasterised over its page:
// none may fail to draw, and the figures are printed for the record.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>

#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/shading/KXPDFPattern.h"
#include "pdf/shading/KXPDFShading.h"
#include "platform/BitmapContext.h"
#include "platform/FileSystem.h"
#include "platform/Numeric.h"
#include "platform/pdf/PDFDocument.h"
#include "support/TestSupport.h"

namespace {

bool paintsSomething(const kx::Image& img) {
    for (size_t i = 3; i < img.pixels.size(); i += 4)
        if (img.pixels[i]) return true;
    return false;
}

// Draws what the interpreter reports into a bitmap of the page at one pixel a point.
class RasterisingExporter : public KXPDFConentParserDelegate {
public:
    explicit RasterisingExporter(kx::Rect box) : box_(box) {}

    void didScanPaintShading(KXPDFConentParser& parser, const std::shared_ptr<KXPDFShading>& shading) override {
        ++shadings;
        if (!shading) return;
        ++byShadingType[shading->type()];
        auto ctx = canvas();
        if (!ctx) return;
        ctx->concatCTM(parser.currentRenderingState().ctm());
        shading->drawInContext(*ctx, kx::AffineTransform::identity());
        if (kx::ImageRef img = ctx->makeImage(); img && paintsSomething(*img)) ++drawnShadings;
    }

    void didScanPatternPath(KXPDFConentParser& parser, const kx::Path& path, bool, bool fill) override {
        ++patternPaths;
        const auto& pattern = fill ? parser.currentRenderingState().fillPattern()
                                   : parser.currentRenderingState().strokePattern();
        if (!pattern) return;
        ++byPatternType[pattern->type()];
        auto ctx = canvas();
        if (!ctx) return;
        // A filled path paints its inside; a stroked one a band along its edges, which the box of
        // the path grown by a point holds (a straight line has no inside to clip to).
        if (fill) {
            ctx->addPath(path);
            ctx->clip();
        } else {
            ctx->clipToRect(path.boundingBox().standardized().insetBy(-1, -1));
        }
        pattern->drawInContext(*ctx, kx::AffineTransform::identity());
        if (kx::ImageRef img = ctx->makeImage(); img && paintsSomething(*img)) ++drawnPatterns;
    }

    size_t shadings = 0, drawnShadings = 0, patternPaths = 0, drawnPatterns = 0;
    std::map<std::int64_t, size_t> byShadingType, byPatternType;

private:
    std::unique_ptr<kx::BitmapContext> canvas() const {
        auto ctx = kx::BitmapContext::create(kx::toInt<std::int64_t>(std::ceil(box_.width())),
                                             kx::toInt<std::int64_t>(std::ceil(box_.height())));
        if (ctx) ctx->translateCTM(-box_.minX(), -box_.minY());
        return ctx;
    }
    kx::Rect box_;
};

std::string figures(const std::map<std::int64_t, size_t>& counts) {
    std::string out;
    for (const auto& [type, n] : counts) out += " type " + std::to_string(type) + ": " + std::to_string(n);
    return out.empty() ? " none" : out;
}

}  // namespace

TEST(CorpusShading, EveryShadingAndPatternOfTheCorpusDraws) {
    const std::vector<std::string> corpus = kx::test::corpusPDFs();
    KX_REQUIRE_CORPUS(!corpus.empty());
    size_t shadings = 0, drawnShadings = 0, patternPaths = 0, drawnPatterns = 0;
    std::map<std::int64_t, size_t> shadingTypes, patternTypes;
    kx::ScopedTemporaryRoot temporary;
    const auto start = std::chrono::steady_clock::now();
    const size_t pages = kx::test::forEachPage(corpus, [&](const std::string&, const kx::PDFPage& page, int) {
        RasterisingExporter exporter(page.boxRect(kx::PDFBox::CropBox));
        KXPDFConentParser parser(page.dictionary(), kx::PDFContentStream::forPage(page));
        parser.setDelegate(&exporter);
        parser.setRenderingStateStack(std::make_shared<KXPDFRenderStateStack>());
        parser.startParser();
        shadings += exporter.shadings;
        drawnShadings += exporter.drawnShadings;
        patternPaths += exporter.patternPaths;
        drawnPatterns += exporter.drawnPatterns;
        for (const auto& [t, c] : exporter.byShadingType) shadingTypes[t] += c;
        for (const auto& [t, c] : exporter.byPatternType) patternTypes[t] += c;
    }).pages;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("corpus: %zu pages; %zu sh (%zu drew;%s), %zu pattern paths (%zu drew;%s) in %lld ms\n", pages,
                shadings, drawnShadings, figures(shadingTypes).c_str(), patternPaths, drawnPatterns,
                figures(patternTypes).c_str(), static_cast<long long>(ms.count()));
    EXPECT_GT(pages, 0u);
    // Every shading and pattern the corpus paints is an axial shading or an image-filled tiling
    // pattern, and each of them shows on its page.
    size_t foundShadings = 0, foundPatterns = 0;
    for (const auto& [t, c] : shadingTypes) foundShadings += c;
    for (const auto& [t, c] : patternTypes) foundPatterns += c;
    EXPECT_EQ(drawnShadings, foundShadings);
    EXPECT_EQ(drawnPatterns, foundPatterns);
}
