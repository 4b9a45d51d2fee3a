// The DOCX page's reading order: every run of the page (text boxes, texts, pictures, paths, tables)
// numbered by its reading position, equal positions in that order of kinds.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "docx/model/DocxModelFixtures.h"
#include "docx/model/KXDocxRunImage.h"
#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXDocxRunTextBox.h"
#include "docx/page/KXDocxPage.h"

namespace {

constexpr kx::Size kPage{612, 792};

}  // namespace

// The kinds are put in order one by one and merged: the numbers must be those of one stable sort of
// all the runs, kinds in order, whether a kind comes in order or not, with many equal positions, with
// kinds left empty, and on a page with no run.
TEST(KXDocxPage, RenumberingMatchesOneStableSortOfAllRuns) {
    std::mt19937 random(5);
    struct Layout {
        const char* what;
        int perKind;            // runs of each kind (0: none)
        std::uint64_t spread;   // positions drawn from [0, spread)
        bool kindsInOrder;      // each kind's runs come sorted by position
    };
    const Layout layouts[] = {
        {"kinds in order, positions interleaved", 60, 1000, true},
        {"kinds out of order", 60, 1000, false},
        {"many equal positions", 80, 6, false},
        {"equal positions, kinds in order", 80, 6, true},
        {"no run", 0, 1, true},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        for (int round = 0; round < 4; ++round) {
            KXDocxPage page(nullptr, kPage, true, true);
            // Each kind's count varies, one kind at times left empty.
            auto count = [&](int kind) { return round == kind ? 0 : layout.perKind + kind; };
            auto positions = [&](int n) {
                std::vector<std::uint64_t> p(static_cast<size_t>(n));
                for (auto& v : p) v = std::uniform_int_distribution<std::uint64_t>(0, layout.spread - 1)(random);
                if (layout.kindsInOrder) std::sort(p.begin(), p.end());
                return p;
            };
            std::vector<KXDocxRun*> all;  // in the order of kinds the page numbers them in
            auto make = [&](auto& runs, int kind, auto factory) {
                for (std::uint64_t p : positions(count(kind))) {
                    auto run = factory();
                    run->setPdfScanIndex(p);
                    runs.push_back(run);
                    all.push_back(run.get());
                }
            };
            make(page.allRunTextBoxArray(), 0, [] { return std::make_shared<KXDocxRunTextBox>(); });
            make(page.allRunTextArray(), 1, [] { return kx::test::makeRun({.text = u"a"}); });
            make(page.allRunImageArray(), 2, [] { return std::make_shared<KXDocxRunImage>(); });
            make(page.allRunPathArray(), 3, [] { return std::make_shared<KXDocxRunPath>(); });
            make(page.allTableArray(), 4, [] { return std::make_shared<KXDocxRun>(); });

            std::vector<KXDocxRun*> expected = all;
            std::stable_sort(expected.begin(), expected.end(),
                             [](const KXDocxRun* a, const KXDocxRun* b) { return a->pdfScanIndex() < b->pdfScanIndex(); });
            page.updateAllPDFScanIndex();
            for (size_t k = 0; k < expected.size(); ++k) {
                ASSERT_EQ(expected[k]->pdfScanIndex(), k) << "run " << k;
                EXPECT_EQ(expected[k]->pdfScanLength(), 1u);
            }
        }
    }
}
