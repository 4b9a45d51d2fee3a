// The page's painted paths before anything interprets them: specks, the white page background and
// the paths that repeat a background leave; thin shapes become lines; pieces become one line or one
// rectangle. Then lines under and through text become its underline and strike-through, and filled
// rectangles around text its background.

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPage.h"

namespace {

const KXDocx_Color kWhite{255, 255, 255, 255};

// Pages with more paths than this are left as they are: the passes compare paths with each other.
constexpr size_t kMaxFilteredPaths = 2000;

void removeRuns(KXDocxRunPathArray& runs, const KXDocxRunPathArray& gone) {
    std::unordered_set<const KXDocxRunPath*> set;
    for (const auto& r : gone) set.insert(r.get());
    std::erase_if(runs, [&set](const std::shared_ptr<KXDocxRunPath>& r) { return set.contains(r.get()); });
}

bool sameColorExactly(const KXDocx_Color& a, const KXDocx_Color& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

}  // namespace

void KXDocxPage::filterAllRunPathArray() {
    if (allRunPathArray_.empty() || allRunPathArray_.size() > kMaxFilteredPaths) return;
    removeRuns(allRunPathArray_, KXDocxRunPath::FindSmallShapes(allRunPathArray_, {1.0, 1.0}));
    updateAllPDFScanIndex();

    // A background covers the middle of the page: a quarter of the page's width in from every side.
    const double w = sectProperty_.pgSz.w, h = sectProperty_.pgSz.h;
    const kx::Rect centre = kx::Rect(0, 0, w, h).insetBy(0.25 * w, 0.25 * w);
    std::shared_ptr<KXDocxRunPath> big = KXDocxRunPath::FindBigRectangeRunPath(allRunPathArray_);
    const std::shared_ptr<KXDocxRunImage> bigImage = KXDocxRunImage::FindBigRectRunImage(allRunImageArray_);
    KXDocxRunPathArray others = allRunPathArray_;
    if (big && big->boundingBox().contains(centre))
        std::erase(others, big);
    else
        big = nullptr;
    // Under a picture that covers the page no path repeats a background: they are drawn over it.
    if (bigImage && bigImage->displayRect().contains(centre)) others.clear();
    const KXDocxRunPathArray duplicates = KXDocxRunPath::FindDuplicateRunPath(big, others);
    if (!duplicates.empty()) {
        removeRuns(allRunPathArray_, duplicates);
        if (big && KXDocxColorIsEqual(big->pictInfo()->fillColorFP(), kWhite)) std::erase(allRunPathArray_, big);
        updateAllPDFScanIndex();
    }
    allRunPathArray_ = KXDocxRunPath::ConvertRect2LineIfNeed(allRunPathArray_);
    allRunPathArray_ = KXDocxRunPath::MergeOverlapLinesIfNeed(allRunPathArray_);
    updateAllPDFScanIndex();
    allRunPathArray_ = KXDocxRunPath::MergeOverlapRectangesIfNeed(allRunPathArray_);
    updateAllPDFScanIndex();
}

bool KXDocxPage::isPageWhiteBackground(const kx::Rect& areaBounds, const KXDocxRunPathArray& areaPaths,
                                       std::uint64_t minPDFScanIndex) const {
    const std::unordered_set<const KXDocxRunPath*> own = [&] {
        std::unordered_set<const KXDocxRunPath*> set;
        for (const auto& r : areaPaths) set.insert(r.get());
        return set;
    }();
    const double limit = 0.75 * areaBounds.width() * areaBounds.height();
    KXDocxRunPathArray under;
    for (const auto& run : allRunPathArray_) {
        if (own.contains(run.get()) || run->pdfScanIndex() >= minPDFScanIndex) continue;
        if (!run->pictInfo() || !run->pictInfo()->filled()) continue;
        const kx::Rect i = run->boundingBox().intersection(areaBounds);
        if (i.isNull() || i.width() <= 1.0 || i.height() <= 1.0 || i.width() * i.height() <= limit) continue;
        under.push_back(run);
    }
    if (under.empty()) return true;
    std::stable_sort(under.begin(), under.end(),
                     [](const auto& a, const auto& b) { return a->pdfScanIndex() < b->pdfScanIndex(); });
    return KXDocxColorIsEqual(under.back()->pictInfo()->fillColorFP(), kWhite);
}

void KXDocxPage::convertPathsForUnderLineIfNeed() {
    KXDocxRunPathArray underlines, strikes;
    for (const auto& path : allRunPathArray_) {
        const KXDocxPathInfo* info = path->pictInfo();
        if (!info || path->runLineType() != KXDocxRunPath::kLineTypeHorizontal || info->displayHeight > 10.0) continue;
        const kx::Rect test = path->displayRect().offsetBy(0, -1.0);
        const double linePosition = info->displayY;
        struct Group {
            std::vector<std::shared_ptr<KXDocxRunText>> runs;
            double left = 999999.0, right = 0, height = 0;
            void add(const std::shared_ptr<KXDocxRunText>& run) {
                runs.push_back(run);
                left = std::min(left, run->ctmInfo().xLeft);
                right = std::max(right, run->ctmInfo().xRight);
                height = std::max(height, run->displayRect().height());
            }
            // Text as long as the line (within its height) is the line's.
            bool matches(double lineWidth) const {
                const double width = right - left;
                return !runs.empty() && width > 1.0 && std::fabs(lineWidth - width) < height;
            }
        } under, struck;
        for (const auto& text : allRunTextArray_) {
            if (!sameColorExactly(text->rProperty().color, info->strokeColorFP())) continue;
            const kx::Rect i = test.intersection(text->displayRect());
            if (i.isNull() || !(i.size.width > 0) || !(i.size.height > 0)) continue;
            if (!(i.size.width > 0.5 * text->textWidth())) continue;
            const double base = text->ctmInfo().yBase;
            if (base > linePosition)
                struck.add(text);  // the line lies above the baseline
            else if (base + 1.0 > linePosition)
                under.add(text);  // at most a point below it
        }
        if (under.matches(info->displayWidth)) {
            underlines.push_back(path);
            for (const auto& run : under.runs) {
                KXDocx_RPr r = run->rProperty();
                r.u = 1;
                run->setRProperty(r);
            }
        }
        if (struck.matches(info->displayWidth)) {
            strikes.push_back(path);
            for (const auto& run : struck.runs) {
                KXDocx_RPr r = run->rProperty();
                r.strikethrough = 1;
                run->setRProperty(r);
            }
        }
    }
    removeRuns(allRunPathArray_, underlines);
    removeRuns(allRunPathArray_, strikes);
}

void KXDocxPage::convertPathsForHighLightIfNeed() {
    KXDocxRunPathArray taken;
    for (const auto& path : allRunPathArray_) {
        const KXDocxPathInfo* info = path->pictInfo();
        if (!info || path->runLineType() != KXDocxRunPath::kLineTypeRect || !info->filled() || info->stroked() ||
            info->displayHeight > 100.0)
            continue;
        const kx::Rect test = path->displayRect().insetBy(-2.0, -2.0);
        std::vector<std::shared_ptr<KXDocxRunText>> group;
        double left = 999999.0, top = 999999.0, right = 0, bottom = 0;
        for (const auto& text : allRunTextArray_) {
            const KXPDF_CTMInfo& g = text->ctmInfo();
            if (!test.contains(kx::Rect(g.xLeft, g.yTop, g.xRight - g.xLeft, g.yBottom - g.yTop))) continue;
            group.push_back(text);
            left = std::min(left, g.xLeft);
            top = std::min(top, g.yTop);
            right = std::max(right, g.xRight);
            bottom = std::max(bottom, g.yBottom);
        }
        if (group.empty()) continue;
        const double width = right - left, height = bottom - top;
        if (!(width > 0 && height > 0)) continue;
        if (std::fabs(info->displayWidth - width) >= 3.0 || std::fabs(info->displayHeight - height) >= 2 * height)
            continue;
        taken.push_back(path);
        for (const auto& run : group) {
            KXDocx_RPr r = run->rProperty();
            r.background = true;
            r.backgroundcolor = info->fillColorFP();
            run->setRProperty(r);
        }
    }
    removeRuns(allRunPathArray_, taken);
}
