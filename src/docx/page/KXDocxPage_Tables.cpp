// The DOCX page: tables drawn with ruling lines. The page hands its straight-line paths to the table
// finder, keeps the areas the finder accepts, gives each area the texts lying in it, builds a table
// per area, and takes the ruling paths and the texts that went into tables off the page. A frame of
// lines round the page that the finder recognises becomes the page's border.

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPage.h"
#include "docx/page/layout/KXDocxTable.h"
#include "docx/page/layout/KXDocxTableArea.h"
#include "docx/page/layout/KXDocxTableManager.h"

namespace {

// Pages with more paths than this are not searched for tables: nothing of the page is lost, its
// ruling lines stay as drawn and its text as text, so the page says so on standard error alone.
constexpr size_t kMaxPaths = 3000;
constexpr float kNearArea = 5.1f;

double areaOf(const kx::Rect& r) { return r.isNull() ? 0 : r.width() * r.height(); }

template <class T>
void removeAll(std::vector<std::shared_ptr<T>>& from, const std::vector<std::shared_ptr<T>>& gone) {
    std::unordered_set<const T*> set;
    for (const auto& g : gone) set.insert(g.get());
    std::erase_if(from, [&](const auto& item) { return set.count(item.get()) != 0; });
}

}  // namespace

bool KXDocxPage::isPageWhiteBackground(const KXDocxTableArea& area) const {
    return isPageWhiteBackground(area.bounds(), area.allRunPathArray(), area.minPDFScanIndex());
}

void KXDocxPage::convertPath2TableIfNeed() {
    if (allRunPathArray_.empty()) {
        allTableArray_.clear();
        return;
    }
    if (allRunPathArray_.size() > kMaxPaths) {
        std::fprintf(stderr, "page %ld: tables not looked for among %zu paths (more than %zu); the paths stay as drawn\n",
                     pdfPageIndex_, allRunPathArray_.size(), kMaxPaths);
        return;
    }

    KXDocxTableManager& finder = KXDocxTableManager::sharedInstance();
    finder.setSuperPage(this);
    finder.setPageSize(sectProperty_.pgSz);

    KXDocxRunPathArray samples = allRunPathArray_;
    removeAll(samples, KXDocxRunPath::FindAloneRects(samples));
    removeAll(samples, KXDocxRunPath::FindSmallRects(samples));
    removeAll(samples, KXDocxRunPath::FindAnnotionlPaths(samples));
    finder.begainPage();
    for (const auto& path : samples) finder.addRunPathIfNeed(path);
    KXDocxTableAreaArray areas = finder.createAllTableAreas().value_or(KXDocxTableAreaArray{});

    // Other paths near an area (each claimed by one area at most): the chart test reads them.
    KXDocxRunPathArray rest = allRunPathArray_;
    for (const auto& area : areas) removeAll(rest, area->allRunPathArray());
    for (const auto& area : areas) {
        const kx::Rect grown = area->bounds().insetBy(-1, -1);
        KXDocxRunPathArray near;
        for (const auto& path : rest) {
            if (path->isAnnotion()) continue;
            const kx::Rect i = path->boundingBox().intersection(grown);
            if (i.isNull()) continue;
            if (static_cast<float>(i.width()) > kNearArea || static_cast<float>(i.height()) > kNearArea) near.push_back(path);
        }
        area->allRunPathArray_excluded().insert(area->allRunPathArray_excluded().end(), near.begin(), near.end());
        removeAll(rest, near);
    }

    KXDocxTableAreaArray valid;
    for (const auto& area : areas) {
        if (area->isValidTableArea()) {
            valid.push_back(area);
        } else {
            area->setAllTableLinesInvalid();
        }
    }

    // Texts more than half inside an area go to it (or to its first sub-area holding more than half
    // of them); each text to one area at most.
    KXDocxRunTextArray texts = allRunTextArray_;
    for (const auto& area : valid) {
        for (const auto& run : texts) {
            const kx::Rect d = run->displayRect();
            const double half = 0.5 * d.width() * d.height();
            if (!(areaOf(d.intersection(area->bounds())) > half)) continue;
            std::shared_ptr<KXDocxTableArea> home = area;
            for (const auto& sub : area->allSubAreaArray())
                if (areaOf(d.intersection(sub->bounds())) > half) {
                    home = sub;
                    break;
                }
            home->addRunText(run);
        }
        removeAll(texts, area->allRunTextArray());
        for (const auto& sub : area->allSubAreaArray()) removeAll(texts, sub->allRunTextArray());
    }

    KXDocxTableArray tables;
    for (const auto& area : valid) {
        std::shared_ptr<KXDocxTable> table = area->createTable();
        if (!table || !table->isWritable()) {
            area->setAllTableLinesInvalid();
            continue;
        }
        table->setIsPageWhiteBackground(isPageWhiteBackground(*area));
        tables.push_back(table);
    }

    if (finder.pgBorders_offsetFrom() != 0) {
        pgBorders_offsetFrom_ = finder.pgBorders_offsetFrom();
        pgBorders_ = finder.pgBorders();
    }
    finder.clearTableLineInvalidRunPaths();
    finder.endPage();

    allTableArray_.assign(tables.begin(), tables.end());
    KXDocxRunPathArray kept;
    for (const auto& path : allRunPathArray_)
        if (!path->isTableLine()) kept.push_back(path);
    std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a->pdfScanIndex() < b->pdfScanIndex(); });
    allRunPathArray_ = std::move(kept);
    for (const auto& table : tables) {
        removeAll(allRunTextArray_, table->allRunTextArray());
        for (const auto& nested : table->allSubTableArray()) removeAll(allRunTextArray_, nested->allRunTextArray());
    }
    updateAllPDFScanIndex();
}
