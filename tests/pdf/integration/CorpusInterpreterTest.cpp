// Every page of the shared corpus through the interpreter with an exporter that only counts: no
// page may fail to run, and the figures are printed for the record.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "pdf/interpreter/KXPDFConentParser.h"
#include "platform/pdf/PDFDocument.h"
#include "support/TestSupport.h"

namespace {

class CountingExporter : public KXPDFConentParserDelegate {
public:
    void didScanPath(KXPDFConentParser&, const kx::Path&, bool, bool) override { ++paths; }
    void didScanPatternPath(KXPDFConentParser&, const kx::Path&, bool, bool) override { ++patternPaths; }
    void didScanPaintShading(KXPDFConentParser&, const std::shared_ptr<KXPDFShading>&) override { ++shadings; }
    size_t paths = 0, patternPaths = 0, shadings = 0;
};

}  // namespace

TEST(CorpusInterpreter, EveryPageRunsWithANullExporter) {
    const std::vector<std::string> corpus = kx::test::corpusPDFs();
    KX_REQUIRE_CORPUS(!corpus.empty());
    CountingExporter totals;
    const auto start = std::chrono::steady_clock::now();
    const kx::test::PagesVisited visited =
        kx::test::forEachPage(corpus, [&](const std::string& file, const kx::PDFPage& page, int n) {
            auto stack = std::make_shared<KXPDFRenderStateStack>();
            KXPDFConentParser parser(page.dictionary(), kx::PDFContentStream::forPage(page));
            parser.setDelegate(&totals);
            parser.setRenderingStateStack(stack);
            parser.setPageIndex(n - 1);
            parser.startParser();
            // Every page of the corpus saves and restores its state in balance.
            EXPECT_EQ(stack->depth(), 1u) << file << " page " << n;
        });
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("corpus: %zu files, %zu pages, %zu paths, %zu pattern paths, %zu shadings in %lld ms\n",
                visited.files, visited.pages, totals.paths, totals.patternPaths, totals.shadings,
                static_cast<long long>(ms.count()));
    EXPECT_GT(visited.pages, 0u);
    EXPECT_GT(totals.paths, 0u);
}
