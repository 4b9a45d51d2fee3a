#include "docx/model/KXDocxRunTextColum.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "platform/Format.h"
#include "platform/Unicode.h"

namespace {

using LinePtr = std::shared_ptr<KXDocxRunTextLine>;

constexpr double kSmallColumnWidth = 36.0;

bool shareVerticalExtent(const kx::Rect& a, const kx::Rect& b) {
    return a.minY() < b.maxY() && b.minY() < a.maxY();
}

// Whether `single` lines up with exactly one line of `others`: side by side (sharing a vertical
// extent, as lines of neighbouring columns do), tops and heights within 2.
bool linesUpWithExactlyOne(const KXDocxRunTextLine& single, const KXDocxRunTextLineArray& others) {
    const kx::Rect& s = single.lineFrame();
    int count = 0;
    for (const auto& line : others) {
        const kx::Rect& f = line->lineFrame();
        if (shareVerticalExtent(s, f) && std::fabs(s.origin.y - f.origin.y) < 2.0 &&
            std::fabs(s.size.height - f.size.height) < 2.0)
            ++count;
    }
    return count == 1;
}

void removeMarked(std::vector<kx::Rect>& strips, const std::vector<bool>& marked) {
    std::vector<kx::Rect> kept;
    for (size_t i = 0; i < strips.size(); ++i)
        if (!marked[i]) kept.push_back(strips[i]);
    strips = std::move(kept);
}

}  // namespace

std::shared_ptr<KXDocxRunTextColum> KXDocxRunTextColum::CreateRunTextColum(const KXDocxRunTextLineArray& lines,
                                                                           bool columnMode) {
    auto block = std::make_shared<KXDocxRunTextColum>();
    block->setIsColumnMode(columnMode);
    block->setLineArray(lines);
    return block;
}

std::string KXDocxRunTextColum::description() const {
    std::string strips;
    for (const kx::Rect& s : spaceColumArray_) {
        if (!strips.empty()) strips += ", ";
        strips += kx::format("(%f-%f)", s.origin.x, s.origin.x + s.size.width);
    }
    std::string first = lineArray_.empty() ? "" : kx::utf16ToUtf8(lineArray_.front()->lineText());
    std::string last = lineArray_.empty() ? "" : kx::utf16ToUtf8(lineArray_.back()->lineText());
    return kx::format(
        "<KXDocxRunTextColum: %p:[columGroupFrame:[%f, %f, %f, %f]][spaceColumArray.count:%zu][lineArray.count:%zu]"
        "[lineText0:%s][lineTextN:%s][pdfScanIndex:%llu~%llu][spaceRects:%s]>",
        static_cast<const void*>(this), columGroupFrame_.origin.x, columGroupFrame_.origin.y,
        columGroupFrame_.size.width, columGroupFrame_.size.height, spaceColumArray_.size(), lineArray_.size(),
        first.c_str(), last.c_str(), static_cast<unsigned long long>(minPDFScanIndex_),
        static_cast<unsigned long long>(maxPDFScanIndex_), strips.c_str());
}

void KXDocxRunTextColum::setLineArray(KXDocxRunTextLineArray lines) {
    lineArray_ = std::move(lines);
    if (lineArray_.empty()) return;
    _updateColumInfo(lineArray_);
    findSpaceColumns();
}

void KXDocxRunTextColum::_updateColumInfo(const KXDocxRunTextLineArray& lines) {
    if (lines.empty()) return;
    columGroupFrame_ = KXDocxRunTextLine::FrameOfLineArray(lines);
    minPDFScanIndex_ = minPDFScanIndex(lines);
    maxPDFScanIndex_ = maxPDFScanIndex(lines);
}

void KXDocxRunTextColum::findSpaceColumns() {
    spaceColumArray_.clear();
    if (!isColumnMode_ || lineArray_.empty()) return;
    const kx::Rect& f = columGroupFrame_;
    std::vector<kx::Rect> strips;
    for (const auto& space : lineArray_.front()->spaceRowArray()) {
        const kx::Rect& g = space->spaceRect();
        if (g.size.width > 0.0) strips.emplace_back(g.origin.x, f.origin.y, g.size.width, f.size.height);
    }
    // One buffer for the narrowed strips of every line, swapped with the strips.
    std::vector<kx::Rect> narrowed;
    for (size_t l = 1; l < lineArray_.size() && !strips.empty(); ++l) {
        narrowed.clear();
        for (const kx::Rect& s : strips) {
            for (const auto& space : lineArray_[l]->spaceRowArray()) {
                kx::Rect i = s.intersection(space->spaceRect());
                if (!i.isNull() && i.size.width > 0.0) narrowed.emplace_back(i.origin.x, f.origin.y, i.size.width, f.size.height);
            }
        }
        strips.swap(narrowed);
    }
    kx::detail::stableSortByKey(strips, [](const kx::Rect& r) { return r.origin.x; });
    spaceColumArray_ = std::move(strips);
}

void KXDocxRunTextColum::createColumGroup() {
    if (!columGroupArray_.empty()) return;
    if (spaceColumArray_.size() <= 2) {
        columGroupArray_.push_back(lineArray_);
        return;
    }
    // Column c reaches from the middle of strip c to the middle of strip c + 1. A run goes to the
    // column that holds its horizontal centre, the first column taking everything left of it and
    // the last everything right: every run lands in exactly one column, also one that a strip of
    // touching or overlapping runs cuts into, or one left of a block whose text starts at the
    // page's edge (there is no left margin strip then).
    std::vector<double> separators;
    for (size_t i = 1; i + 1 < spaceColumArray_.size(); ++i) separators.push_back(spaceColumArray_[i].midX());
    const size_t columns = spaceColumArray_.size() - 1;
    columGroupArray_.assign(columns, {});
    std::vector<KXDocxRunTextArray> parts(columns);
    for (const auto& line : lineArray_) {
        for (auto& part : parts) part.clear();
        for (const auto& run : line->runTextArray()) {
            double centre = run->displayRect().midX();
            size_t c = static_cast<size_t>(std::upper_bound(separators.begin(), separators.end(), centre) -
                                           separators.begin());
            if (std::isnan(centre)) c = 0;
            parts[c].push_back(run);
        }
        for (size_t c = 0; c < columns; ++c) {
            if (parts[c].empty()) continue;
            if (parts[c].size() == line->runTextArray().size())
                columGroupArray_[c].push_back(line);
            else
                columGroupArray_[c].push_back(KXDocxRunTextLine::initWithRunTextArray(parts[c]));
        }
    }
}

double KXDocxRunTextColum::bottomNeedSpace() const {
    KXDocxRunTextLineArray all;
    for (const auto& group : columGroupArray_) all.insert(all.end(), group.begin(), group.end());
    if (all.empty()) return 0;
    if (all.size() == 1) {
        double space = all.front()->wordSingleLineHeight() - all.front()->lineFrame().size.height;
        return space > 0 ? space : 0;
    }
    LinePtr b = KXDocxRunTextLine::FindBottomRunTextLine(all);
    LinePtr a;
    for (const auto& group : columGroupArray_) {
        auto it = std::find(group.begin(), group.end(), b);
        if (it == group.end()) continue;
        if (it != group.begin()) a = *(it - 1);
        break;
    }
    if (!a) return 0;
    const kx::Rect &fa = a->lineFrame(), &fb = b->lineFrame();
    if (!(std::fabs(fb.size.height - fa.size.height) < 2.0)) return 0;
    double gap = fb.origin.y - (fa.origin.y + fa.size.height);
    return gap > 0 ? gap : 0;
}

std::vector<size_t> KXDocxRunTextColum::findSmallWidthColumns() const {
    std::vector<size_t> out;
    if (columGroupArray_.size() < 2) return out;
    for (size_t i = 0; i < columGroupArray_.size(); ++i)
        if (KXDocxRunTextLine::FrameOfLineArray(columGroupArray_[i]).size.width < kSmallColumnWidth) out.push_back(i);
    return out;
}

std::vector<size_t> KXDocxRunTextColum::findBankSpaceColumns() const {
    std::vector<size_t> out;
    if (columGroupArray_.size() < 2) return out;
    for (size_t i = 0; i < columGroupArray_.size(); ++i) {
        const auto& group = columGroupArray_[i];
        bool blank = std::all_of(group.begin(), group.end(), [](const LinePtr& line) {
            return KXDocxRunTextLine::IsBankSpaceRunTextArray(line->runTextArray());
        });
        if (blank) out.push_back(i);
    }
    return out;
}

void KXDocxRunTextColum::optimizeColumnSpaces() {
    const size_t count = spaceColumArray_.size();
    if (lineArray_.size() < 2) spaceColumArray_.clear();
    // Each test marks strips by the place of the columns beside them and removes its marks before
    // the next test looks.
    auto removeWhere = [&](auto marks) {
        std::vector<bool> marked(spaceColumArray_.size(), false);
        for (size_t strip : marks)
            if (strip < marked.size()) marked[strip] = true;
        removeMarked(spaceColumArray_, marked);
    };
    const size_t groups = columGroupArray_.size();
    if (groups >= 2) {
        std::vector<size_t> apart, single;
        for (size_t i = 0; i + 1 < groups; ++i)
            if (!ColumIntersectLineArrayA(columGroupArray_[i], columGroupArray_[i + 1])) apart.push_back(i + 1);
        removeWhere(apart);
        for (size_t i = 0; i + 1 < groups; ++i)
            if (IsSingleColumLineArrayA(columGroupArray_[i], columGroupArray_[i + 1])) single.push_back(i + 1);
        removeWhere(single);
    }
    removeWhere(findSmallWidthColumns());
    if (!spaceColumArray_.empty() && spaceColumArray_.front().origin.x > 0) {
        kx::Rect& first = spaceColumArray_.front();
        first.size.width += first.origin.x;
        first.origin.x = 0;
    }
    if (spaceColumArray_.size() != count) columGroupArray_.clear();
}

void KXDocxRunTextColum::optimizeColumnGroups() {
    std::vector<size_t> blank = findBankSpaceColumns();
    for (auto it = blank.rbegin(); it != blank.rend(); ++it)
        columGroupArray_.erase(columGroupArray_.begin() + static_cast<std::ptrdiff_t>(*it));
}

std::uint64_t KXDocxRunTextColum::minPDFScanIndex(const KXDocxRunTextLineArray& lines) const {
    std::uint64_t index = std::numeric_limits<std::uint64_t>::max();
    for (const auto& line : lines) index = std::min(index, line->minPDFScanIndex());
    return index;
}

std::uint64_t KXDocxRunTextColum::maxPDFScanIndex(const KXDocxRunTextLineArray& lines) const {
    std::uint64_t index = 0;
    for (const auto& line : lines) index = std::max(index, line->maxPDFScanIndex());
    return index;
}

bool KXDocxRunTextColum::isPDFScanIndexContinuousRunTextInEveryColum() {
    if (columGroupArray_.empty()) createColumGroup();
    for (const auto& group : columGroupArray_) {
        // Only each run's scan index and length matter here: sort those (stably, by index, as the
        // runs themselves would be) rather than copies of the runs.
        std::vector<std::pair<std::uint64_t, std::uint64_t>> spans;
        for (const auto& line : group)
            for (const auto& run : line->runTextArray()) spans.emplace_back(run->pdfScanIndex(), run->pdfScanLength());
        const auto byIndex = [](const auto& a, const auto& b) { return a.first < b.first; };
        if (!std::is_sorted(spans.begin(), spans.end(), byIndex)) std::stable_sort(spans.begin(), spans.end(), byIndex);
        for (size_t i = 1; i < spans.size(); ++i)
            if (spans[i - 1].first + spans[i - 1].second != spans[i].first) return false;
    }
    return true;
}

bool KXDocxRunTextColum::ColumIntersectLineArrayA(const KXDocxRunTextLineArray& a, const KXDocxRunTextLineArray& b) {
    for (const auto& la : a)
        for (const auto& lb : b)
            if (shareVerticalExtent(la->lineFrame(), lb->lineFrame())) return true;
    return false;
}

bool KXDocxRunTextColum::IsSingleColumLineArrayA(const KXDocxRunTextLineArray& a, const KXDocxRunTextLineArray& b) {
    if (a.size() == 1) return linesUpWithExactlyOne(*a.front(), b);
    if (b.size() == 1) return linesUpWithExactlyOne(*b.front(), a);
    return false;
}

KXDocxRunTextColumArray KXDocxRunTextColum::FindMergeRunTextColumArray(const KXDocxRunTextColumArray& blocks) {
    KXDocxRunTextColumArray result;
    if (blocks.empty()) return result;
    result.push_back(blocks.front());
    std::shared_ptr<KXDocxRunTextColum> current = blocks.front();
    for (size_t i = 1; i < blocks.size(); ++i) {
        const std::shared_ptr<KXDocxRunTextColum>& next = blocks[i];
        if (current->lineArray().empty() || next->lineArray().empty()) break;
        const kx::Rect &cf = current->columGroupFrame(), &nf = next->columGroupFrame();
        double gap = nf.origin.y - (cf.origin.y + cf.size.height);
        double h = std::min(current->lineArray().back()->lineFrame().size.height,
                            next->lineArray().front()->lineFrame().size.height);
        float limit = std::max(5.0f, static_cast<float>(2.0 * h));
        if (gap > limit) break;

        KXDocxRunTextLineArray lines = current->lineArray();
        lines.insert(lines.end(), next->lineArray().begin(), next->lineArray().end());
        std::shared_ptr<KXDocxRunTextColum> merged = CreateRunTextColum(lines, current->isColumnMode());
        const size_t k = std::max(current->spaceColumArray().size(), next->spaceColumArray().size());
        const bool interleaved = next->maxPDFScanIndex() > current->minPDFScanIndex() &&
                                 next->minPDFScanIndex() < current->maxPDFScanIndex();
        bool accept = merged->spaceColumArray().size() == k;
        if (!accept && interleaved) accept = merged->isPDFScanIndexContinuousRunTextInEveryColum();
        if (!accept) break;
        result.push_back(next);
        current = merged;
    }
    return result;
}
