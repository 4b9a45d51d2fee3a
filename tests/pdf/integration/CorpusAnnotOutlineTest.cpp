// The annotations and outlines of the shared corpus: every page's annotations are built and
// replayed, every outline is read; nothing may fail, and the figures are printed for the record.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>

#include "pdf/annot/KXPDFAnnot.h"
#include "pdf/annot/KXPDFAnnotCollection.h"
#include "pdf/KXPDFOutLineManager.h"
#include "pdf/interpreter/KXPDFRenderStateStack.h"
#include "platform/pdf/PDFDocument.h"
#include "support/TestSupport.h"

namespace {

// Stands in for the interpreter: a state stack and a count of what arrives.
class CountingAnnotDelegate : public KXPDFAnnotDelegate {
public:
    void KXPDFAnnotPushRenderingState(const KXPDFRenderState* state) override {
        if (state) stack.pushRenderingState(*state);
    }
    void KXPDFAnnotPopRenderingState() override { stack.popRenderingState(); }
    KXPDFRenderState* KXPDFAnnotCurrentRenderingState() override { return &stack.topRenderingState(); }
    void didScanTextBox(KXPDFAnnot&, const kx::Rect&, const std::u16string&, const std::string&, const KXPDFColor&,
                        double, std::int64_t, bool, bool) override {
        ++textBoxes;
    }
    void didScanStream(KXPDFAnnot&, const kx::PDFObject&, const std::string&) override { ++streams; }
    void didScanPath(KXPDFAnnot&, const kx::Path&, bool, bool) override { ++paths; }

    KXPDFRenderStateStack stack;
    size_t textBoxes = 0, streams = 0, paths = 0;
};

}  // namespace

TEST(CorpusAnnotOutline, EveryAnnotationAndOutlineReads) {
    const std::vector<std::string> corpus = kx::test::corpusPDFs();
    KX_REQUIRE_CORPUS(!corpus.empty());
    size_t withOutline = 0, items = 0, itemsWithPage = 0, annots = 0, hidden = 0;
    std::map<std::string, size_t> kinds;
    CountingAnnotDelegate recorder;
    const auto start = std::chrono::steady_clock::now();
    const auto readOutline = [&](const std::string& file, kx::PDFDocument& doc) {
        KXPDFOutLineManager outline;
        EXPECT_EQ(outline.reLoadOutline(doc), KXPDFOutLineManager::isHaveOutline(doc)) << file;
        if (!outline.tableArray().empty()) ++withOutline;
        for (const auto& item : outline.tableArray()) {
            ++items;
            std::int64_t page = KXPDFOutLineManager::GetGoToPageWithItem(item);
            if (page >= 1 && page <= doc.pageCount()) ++itemsWithPage;
        }
    };
    const auto replayAnnotations = [&](const std::string& file, const kx::PDFPage& page, int n) {
        KXPDFAnnotCollection collection(page.dictionary().dictGet("Annots"), n);
        for (const auto& a : collection.annots()) {
            ++kinds[a->type().value_or("(none)")];
            if (a->isHiddenByFlags()) ++hidden;
        }
        annots += collection.annots().size();
        collection.setDelegate(&recorder);
        collection.startAllParser();
        EXPECT_EQ(recorder.stack.depth(), 1u) << file << " page " << n;
    };
    const size_t files = kx::test::forEachPage(corpus, replayAnnotations, readOutline).files;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("corpus: %zu files, %zu with an outline of %zu items (%zu with a page); %zu annotations (%zu hidden): "
                "%zu streams, %zu paths, %zu text boxes replayed; %.0f ms\n",
                files, withOutline, items, itemsWithPage, annots, hidden, recorder.streams, recorder.paths,
                recorder.textBoxes, ms);
    for (const auto& [kind, count] : kinds) std::printf("  %s: %zu\n", kind.c_str(), count);
    EXPECT_GT(files, 0u);
}
