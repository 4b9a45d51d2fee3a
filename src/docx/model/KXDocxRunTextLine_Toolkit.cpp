// The class operations of the text line: finders, orders, continuity and overlap tests, splitting,
// rows, scripts and merging.

#include <algorithm>
#include <cmath>
#include <map>

#include "docx/model/KXDocxLineRuns_p.h"
#include "docx/model/KXDocxRunTextLine.h"
#include "docx/model/KXDocxUtilities.h"
#include "platform/TextBreaks.h"

namespace kx::detail {

std::size_t fusionGroupEnd(const KXDocxRunTextArray& runs, std::size_t start) {
    if (start >= runs.size()) return start;
    const KXDocxRunText& first = *runs[start];
    const KXPDF_CTMInfo& f = first.ctmInfo();
    std::size_t i = start + 1;
    for (; i < runs.size(); ++i) {
        const KXDocxRunText& r = *runs[i];
        const KXDocxRunText& previous = *runs[i - 1];
        const KXPDF_CTMInfo& g = r.ctmInfo();
        if (!(std::fabs(g.yBase - f.yBase) < 1.0)) break;
        if (r.pdfScanIndex() != first.pdfScanIndex() + (i - start)) break;
        if (!KXDocxRPrIsEqual(r.rProperty(), first.rProperty())) break;
        if (!(g.xLeft - previous.ctmInfo().xRight < 1.0)) break;
        if (!(g.xLeft > f.xLeft)) break;
    }
    return i;
}

std::shared_ptr<KXDocxRunText> fuseRuns(const KXDocxRunTextArray& runs, std::size_t begin, std::size_t end) {
    if (begin >= end || end > runs.size()) return nullptr;
    const std::shared_ptr<KXDocxRunText>& first = runs[begin];
    if (end - begin == 1) return first;

    double totalWidth = first->textWidth();
    kx::Rect u = first->ctmInfo().frame;
    std::uint64_t pdfScanIndex = first->pdfScanIndex(), textScanIndex = first->textScanIndex();
    std::uint64_t pdfScanLength = first->pdfScanLength(), textScanLength = first->textScanLength();
    std::u16string appended;
    for (std::size_t i = begin + 1; i < end; ++i) {
        const KXDocxRunText& r = *runs[i];
        appended += r.runText();
        // A piece's text width is its width in the word processor's font and its spacing the rest
        // of its place on the page. A piece measured wider than it stands brings its text width
        // alone: counted with its (negative) spacing, the joined run would be set wider than the
        // pieces stand by the sum of their excesses, and a line as wide as its column would wrap.
        totalWidth += r.textWidth() + std::max(0.0, r.insideSpacing());
        u = u.unionWith(r.ctmInfo().frame);
        pdfScanIndex = std::min(pdfScanIndex, r.pdfScanIndex());
        textScanIndex = std::min(textScanIndex, r.textScanIndex());
        pdfScanLength += r.pdfScanLength();
        textScanLength += r.textScanLength();
    }
    first->appendRunText(appended);
    first->setPdfScanIndex(pdfScanIndex);
    first->setTextScanIndex(textScanIndex);
    first->setPdfScanLength(pdfScanLength);
    first->setTextScanLength(textScanLength);

    KXPDF_CTMInfo g = first->ctmInfo();
    g.frame = u;
    g.xLeft = u.origin.x;
    g.bottomLeft.x = u.origin.x;
    g.topLeft = {u.origin.x, u.origin.y};
    g.yTop = u.origin.y;
    g.yAscent = u.origin.y;
    g.xRight = u.origin.x + u.size.width;
    g.yDescent = u.origin.y + u.size.height;
    g.yBottom = g.yDescent;
    g.bottomLeft.y = g.yDescent;
    first->setCtmInfo(g);

    first->setTextWidth(totalWidth);
    first->setInsideSpacing(u.size.width - totalWidth);
    KXDocx_RPr property = first->rProperty();
    property.spacing = static_cast<float>(first->insideSpacing());
    first->setRProperty(property);
    return first;
}

}  // namespace kx::detail

namespace {

using RunPtr = std::shared_ptr<KXDocxRunText>;
using LinePtr = std::shared_ptr<KXDocxRunTextLine>;

std::uint64_t scanIndexOf(const RunPtr& r) { return r->pdfScanIndex(); }
double topOf(const LinePtr& l) { return l->lineFrame().origin.y; }
double bottomOf(const LinePtr& l) { return l->lineFrame().origin.y + l->lineFrame().size.height; }
double heightOf(const LinePtr& l) { return l->lineFrame().size.height; }
double baseOf(const LinePtr& l) { return l->yBaseLine(); }

// A line this many times as tall as the line of text it joins spans more than one row.
constexpr double kTallLineRatio = 1.6;

KXDocxRunTextArray allRunsOf(const KXDocxRunTextLineArray& lines) {
    KXDocxRunTextArray runs;
    for (const auto& line : lines) runs.insert(runs.end(), line->runTextArray().begin(), line->runTextArray().end());
    return runs;
}

// The text a reader sees: every character but white space.
std::u16string visibleText(const KXDocxRunTextArray& runs) {
    std::u16string text;
    for (const auto& run : runs)
        for (char16_t c : run->runText())
            if (!kx::isWhitespaceOrNewline(c)) text.push_back(c);
    return text;
}

// Whether one of the texts holds the other (and both show something).
bool eitherHolds(const std::u16string& a, const std::u16string& b) {
    if (a.empty() || b.empty()) return false;
    return a.size() >= b.size() ? a.find(b) != std::u16string::npos : b.find(a) != std::u16string::npos;
}

// Whether the two runs overlap by more than half the narrower one.
bool overlapsDeeply(const KXDocxRunText& a, const KXDocxRunText& b) {
    const KXPDF_CTMInfo &g = a.ctmInfo(), &h = b.ctmInfo();
    const double overlap = std::min(g.xRight, h.xRight) - std::max(g.xLeft, h.xLeft);
    return overlap > 0.5 * std::min(g.xRight - g.xLeft, h.xRight - h.xLeft);
}

// The runs of one showing, looked up by position: whether a run overlaps any of them deeply costs
// a walk down a tree of the line's runs in left-edge order (each node keeps the rightmost right
// edge of the showing's runs below it), not a look at every run shown so far. Only runs that meet
// the asked one are tested; a run with a reversed or non-finite extent is tested against all.
class ShowingIndex {
public:
    explicit ShowingIndex(const KXDocxRunTextArray& runs) : runs_(runs) {
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < runs.size(); ++i)
            if (ordinary(*runs[i])) order.push_back(i);
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return runs[a]->ctmInfo().xLeft < runs[b]->ctmInfo().xLeft;
        });
        lefts_.reserve(order.size());
        slot_.assign(runs.size(), kNone);
        for (std::size_t k = 0; k < order.size(); ++k) {
            lefts_.push_back(runs[order[k]]->ctmInfo().xLeft);
            slot_[order[k]] = k;
        }
        while (leaves_ < order.size()) leaves_ *= 2;
        rightmost_.assign(2 * leaves_, kAbsent);
        shownAt_.assign(leaves_, kNone);
    }

    // Takes the run at `index` (of the runs given) into the showing.
    void add(std::size_t index) {
        const std::size_t k = slot_[index];
        if (k == kNone) {
            unordered_.push_back(index);
            return;
        }
        shownAt_[k] = index;
        const double right = runs_[index]->ctmInfo().xRight;
        for (std::size_t node = leaves_ + k; node >= 1 && rightmost_[node] < right; node /= 2) rightmost_[node] = right;
        added_.push_back(k);
    }

    // Empties the showing.
    void clear() {
        for (std::size_t k : added_) {
            shownAt_[k] = kNone;
            for (std::size_t node = leaves_ + k; node >= 1 && rightmost_[node] != kAbsent; node /= 2) rightmost_[node] = kAbsent;
        }
        added_.clear();
        unordered_.clear();
    }

    bool overlapsAnyDeeply(const KXDocxRunText& run) const {
        for (std::size_t i : unordered_)
            if (overlapsDeeply(*runs_[i], run)) return true;
        if (added_.empty()) return false;
        if (!ordinary(run)) {
            for (std::size_t k : added_)
                if (overlapsDeeply(*runs_[shownAt_[k]], run)) return true;
            return false;
        }
        // A deep overlap is a positive one: the shown run starts before this one ends and ends after
        // it starts.
        const double left = run.ctmInfo().xLeft, right = run.ctmInfo().xRight;
        const std::size_t before = static_cast<std::size_t>(std::lower_bound(lefts_.begin(), lefts_.end(), right) - lefts_.begin());
        return search(1, 0, leaves_, before, left, run);
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    static constexpr double kAbsent = -HUGE_VAL;

    static bool ordinary(const KXDocxRunText& run) {
        const KXPDF_CTMInfo& g = run.ctmInfo();
        return std::isfinite(g.xLeft) && std::isfinite(g.xRight) && g.xLeft <= g.xRight;
    }

    bool search(std::size_t node, std::size_t from, std::size_t to, std::size_t before, double left,
                const KXDocxRunText& run) const {
        if (from >= before || !(rightmost_[node] > left)) return false;
        if (to - from == 1) return overlapsDeeply(*runs_[shownAt_[from]], run);
        const std::size_t middle = from + (to - from) / 2;
        return search(2 * node, from, middle, before, left, run) || search(2 * node + 1, middle, to, before, left, run);
    }

    const KXDocxRunTextArray& runs_;
    std::vector<double> lefts_;
    std::vector<std::size_t> slot_, shownAt_, added_, unordered_;
    std::vector<double> rightmost_;
    std::size_t leaves_ = 1;
};

// The texts held in one text, answered in the length of the text asked: an automaton whose states
// are the sets of places where a piece of the whole ends (built in one pass; at most two states
// and three moves a character), so that asking every showing of a row whether the longest holds
// it costs no search of the longest for each.
class HeldTexts {
public:
    explicit HeldTexts(const std::u16string& whole) {
        states_.reserve(2 * whole.size() + 2);
        states_.push_back({0, -1, {}});
        int last = 0;
        for (char16_t c : whole) {
            const int current = static_cast<int>(states_.size());
            states_.push_back({states_[last].length + 1, 0, {}});
            int p = last;
            for (; p != -1 && !states_[p].next.count(c); p = states_[p].link) states_[p].next[c] = current;
            if (p != -1) {
                const int q = states_[p].next[c];
                if (states_[p].length + 1 == states_[q].length) {
                    states_[current].link = q;
                } else {
                    const int clone = static_cast<int>(states_.size());
                    states_.push_back({states_[p].length + 1, states_[q].link, states_[q].next});
                    for (; p != -1 && states_[p].next[c] == q; p = states_[p].link) states_[p].next[c] = clone;
                    states_[q].link = clone;
                    states_[current].link = clone;
                }
            }
            last = current;
        }
    }

    bool holds(const std::u16string& text) const {
        int state = 0;
        for (char16_t c : text) {
            auto it = states_[static_cast<std::size_t>(state)].next.find(c);
            if (it == states_[static_cast<std::size_t>(state)].next.end()) return false;
            state = it->second;
        }
        return true;
    }

private:
    struct State {
        int length;
        int link;
        std::map<char16_t, int> next;
    };
    std::vector<State> states_;
};

// Whether `line` shows again, over `other`, text that `other` shows: its runs lie over the other's
// and one of the two texts holds the other.
bool repeatsTextOver(const KXDocxRunTextLine& line, const KXDocxRunTextLine& other) {
    if (!eitherHolds(visibleText(line.runTextArray()), visibleText(other.runTextArray()))) return false;
    KXDocxRunTextArray both = line.runTextArray();
    both.insert(both.end(), other.runTextArray().begin(), other.runTextArray().end());
    return KXDocxRunTextLine::HaveXOverlapRunTextArray(both);
}

// Runs already in reading order: does each one's text range end where the next one's begins?
bool textContinuousInOrder(const KXDocxRunTextArray& runs) {
    for (size_t i = 1; i < runs.size(); ++i) {
        const RunPtr& a = runs[i - 1];
        if (a->textScanIndex() + a->textScanLength() != runs[i]->textScanIndex()) return false;
    }
    return true;
}

}  // namespace

RunPtr KXDocxRunTextLine::FindNewScanRunText(const KXDocxRunTextArray& runs) {
    return kx::detail::findByKey(runs, scanIndexOf);
}
RunPtr KXDocxRunTextLine::FindMinIndexRunText(const KXDocxRunTextArray& runs) {
    return kx::detail::findByKey(runs, scanIndexOf);
}
RunPtr KXDocxRunTextLine::FindXLeftRunText(const KXDocxRunTextArray& runs) {
    return kx::detail::findByKey(runs, [](const RunPtr& r) { return r->ctmInfo().xLeft; });
}
LinePtr KXDocxRunTextLine::FindMinIndexRunTextLine(const KXDocxRunTextLineArray& lines) {
    return kx::detail::findByKey(lines, [](const LinePtr& l) { return l->minPDFScanIndex(); });
}
LinePtr KXDocxRunTextLine::FindMaxHeightRunTextLine(const KXDocxRunTextLineArray& lines) {
    return kx::detail::findByKey(lines, heightOf, true);
}
LinePtr KXDocxRunTextLine::FindBottomRunTextLine(const KXDocxRunTextLineArray& lines) {
    return kx::detail::findByKey(lines, bottomOf, true);
}
LinePtr KXDocxRunTextLine::FindBaseYRunTextLine(const KXDocxRunTextLineArray& lines) {
    return kx::detail::findByKey(lines, baseOf);
}
LinePtr KXDocxRunTextLine::FindTopYRunTextLine(const KXDocxRunTextLineArray& lines) {
    return kx::detail::findByKey(lines, topOf);
}

KXDocxRunTextArray KXDocxRunTextLine::SortRunTextArrayByIndex(KXDocxRunTextArray runs) {
    kx::detail::stableSortByKey(runs, scanIndexOf);
    return runs;
}
KXDocxRunTextLineArray KXDocxRunTextLine::SortRunTextLineArrayByIndex(KXDocxRunTextLineArray lines) {
    kx::detail::stableSortByKey(lines, [](const LinePtr& l) { return l->minPDFScanIndex(); });
    return lines;
}
KXDocxRunTextLineArray KXDocxRunTextLine::SortRunTextLineArrayByTopY(KXDocxRunTextLineArray lines) {
    kx::detail::stableSortByKey(lines, topOf);
    return lines;
}
KXDocxRunTextLineArray KXDocxRunTextLine::SortRunTextLineArrayByBaseY(KXDocxRunTextLineArray lines) {
    kx::detail::stableSortByKey(lines, baseOf);
    return lines;
}

kx::Rect KXDocxRunTextLine::FrameOfLineArray(const KXDocxRunTextLineArray& lines) {
    if (lines.empty()) return kx::Rect::zero();
    kx::Rect frame = lines.front()->lineFrame();
    for (size_t i = 1; i < lines.size(); ++i) frame = frame.unionWith(lines[i]->lineFrame());
    return frame;
}

KXDocxRunTextArray KXDocxRunTextLine::FindBankSpaceRunTextArray(const KXDocxRunTextArray& runs) {
    KXDocxRunTextArray out;
    for (const auto& r : runs)
        if (r->isBankSpaceRunText()) out.push_back(r);
    return out;
}

bool KXDocxRunTextLine::IsBankSpaceRunTextArray(const KXDocxRunTextArray& runs) {
    return std::all_of(runs.begin(), runs.end(), [](const RunPtr& r) { return r->isBankSpaceRunText(); });
}

bool KXDocxRunTextLine::IsRunTextArrayPDFTextIndexContinuous(KXDocxRunTextArray& runs) {
    if (runs.empty()) return false;
    kx::detail::stableSortByKey(runs, scanIndexOf);
    return textContinuousInOrder(runs);
}

bool KXDocxRunTextLine::IsRunLineArrayPDFTextIndexContinuous(const KXDocxRunTextLineArray& lines) {
    if (lines.empty()) return false;
    KXDocxRunTextArray runs = allRunsOf(lines);
    return IsRunTextArrayPDFTextIndexContinuous(runs);
}

bool KXDocxRunTextLine::HaveXOverlapRunTextArray(const KXDocxRunTextArray& runs) {
    if (runs.size() < 2) return false;
    KXDocxRunTextArray sorted =
        kx::detail::stableSortedByKey(runs, [](const RunPtr& r) { return r->ctmInfo().xLeft; });
    float smallestGap = 0.0f;
    double charWidth = sorted.front()->ctmInfo().fontSize.width;
    for (size_t i = 1; i < sorted.size(); ++i) {
        const KXPDF_CTMInfo &a = sorted[i - 1]->ctmInfo(), &b = sorted[i]->ctmInfo();
        float gap = static_cast<float>(b.xLeft - a.xRight);
        if (gap < smallestGap) {
            smallestGap = gap;
            charWidth = std::min(a.fontSize.width, b.fontSize.width);
        }
    }
    return -0.5 * charWidth > smallestGap;
}

std::vector<KXDocxRunTextArray> KXDocxRunTextLine::SplitRunTextArrayDrawnTwice(const KXDocxRunTextArray& runs) {
    std::vector<KXDocxRunTextArray> showings;
    const KXDocxRunTextArray ordered = SortRunTextArrayByIndex(runs);
    ShowingIndex shown(ordered);
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        if (showings.empty() || shown.overlapsAnyDeeply(*ordered[i])) {
            showings.emplace_back();
            shown.clear();
        }
        showings.back().push_back(ordered[i]);
        shown.add(i);
    }
    if (showings.size() < 2) return {runs};
    std::vector<std::u16string> texts;
    size_t longest = 0;
    for (const auto& showing : showings) {
        texts.push_back(visibleText(showing));
        if (texts.back().size() > texts[longest].size()) longest = texts.size() - 1;
    }
    // Every showing shows something, and the longest holds each of the others.
    if (std::any_of(texts.begin(), texts.end(), [](const std::u16string& t) { return t.empty(); })) return {runs};
    const HeldTexts held(texts[longest]);
    for (size_t i = 0; i < texts.size(); ++i)
        if (i != longest && !held.holds(texts[i])) return {runs};
    return showings;
}

KXDocxRunTextArray KXDocxRunTextLine::FindDuplicateRunTexts(const KXDocxRunTextArray& runs) {
    KXDocxRunTextArray out;
    if (runs.empty()) return out;
    const KXDocxRunText& first = *runs.front();
    out.push_back(runs.front());
    for (size_t i = 1; i < runs.size(); ++i)
        if (first.isDuplicateRunText(*runs[i])) out.push_back(runs[i]);
    return out;
}

KXDocxRunTextLineArray KXDocxRunTextLine::SplitRunTextLineForContinuous(const KXDocxRunTextLine& line) {
    KXDocxRunTextLineArray lines;
    const KXDocxRunTextArray& runs = line.runTextArray();
    if (runs.empty()) return lines;
    if (runs.size() == 1) {
        lines.push_back(initWithRunTextArray(runs));
        return lines;
    }
    // The pool is in reading order, so a run taken from it never sorts before the runs already in
    // the group: the group stays continuous exactly when the run starts where the group's last
    // run ends.
    KXDocxRunTextArray pool = kx::detail::stableSortedByKey(runs, scanIndexOf);
    while (!pool.empty()) {
        KXDocxRunTextArray group{pool.front()}, rest;
        for (size_t i = 1; i < pool.size(); ++i) {
            const RunPtr& last = group.back();
            if (last->textScanIndex() + last->textScanLength() == pool[i]->textScanIndex())
                group.push_back(pool[i]);
            else
                rest.push_back(pool[i]);
        }
        pool = std::move(rest);
        lines.push_back(initWithRunTextArray(std::move(group)));
    }
    return SortRunTextLineArrayByBaseY(std::move(lines));
}

KXDocxRunTextLineArray KXDocxRunTextLine::SplitRunTextLineArrayContinuous(const KXDocxRunTextLineArray& lines) {
    if (lines.size() < 2) return lines;
    KXDocxRunTextLineArray out;
    for (const auto& line : lines) {
        KXDocxRunTextLineArray pieces = SplitRunTextLineForContinuous(*line);
        out.insert(out.end(), pieces.begin(), pieces.end());
    }
    return SortRunTextLineArrayByBaseY(std::move(out));
}

KXDocxRunTextLineArray KXDocxRunTextLine::FindRunTextLineArrayContinuous(const KXDocxRunTextLineArray& lines) {
    if (lines.size() < 2) return lines;
    KXDocxRunTextLineArray ordered = SortRunTextLineArrayByIndex(lines);
    KXDocxRunTextLineArray group{ordered.front()};
    // The group's runs in reading order, kept as lines join: a candidate's runs are merged in
    // (the group's first on equal positions, as a stable order of the group's lines followed by
    // the candidate would put them) instead of sorting everything again for every candidate.
    KXDocxRunTextArray groupRuns = SortRunTextArrayByIndex(ordered.front()->runTextArray());
    for (size_t i = 1; i < ordered.size(); ++i) {
        KXDocxRunTextArray candidate = SortRunTextArrayByIndex(ordered[i]->runTextArray());
        KXDocxRunTextArray merged;
        merged.reserve(groupRuns.size() + candidate.size());
        std::merge(groupRuns.begin(), groupRuns.end(), candidate.begin(), candidate.end(), std::back_inserter(merged),
                   [](const RunPtr& a, const RunPtr& b) { return a->pdfScanIndex() < b->pdfScanIndex(); });
        if (!merged.empty() && textContinuousInOrder(merged)) {
            group.push_back(ordered[i]);
            groupRuns = std::move(merged);
        }
    }
    return SortRunTextLineArrayByBaseY(std::move(group));
}

KXDocxRunTextLineArray KXDocxRunTextLine::FindMergeRunTextLineArrayY(const KXDocxRunTextLineArray& lines) {
    if (lines.size() < 2) return lines;
    KXDocxRunTextLineArray ordered = SortRunTextLineArrayByTopY(lines);
    KXDocxRunTextLineArray group{ordered.front()};
    LinePtr reference = ordered.front();
    for (size_t i = 1; i < ordered.size(); ++i) {
        const LinePtr& line = ordered[i];
        const kx::Rect &r = reference->lineFrame(), &l = line->lineFrame();
        if (r.size.height > l.size.height) {
            double middle = l.origin.y + 0.5 * l.size.height;
            if (!(middle > r.origin.y && middle < r.origin.y + r.size.height)) break;
        } else {
            double middle = r.origin.y + 0.5 * r.size.height;
            if (!(middle > l.origin.y && middle < l.origin.y + l.size.height)) break;
            reference = line;
        }
        group.push_back(line);
    }
    return SortRunTextLineArrayByBaseY(std::move(group));
}

KXDocxRunTextLineArray KXDocxRunTextLine::FindRunTextLineArrayAs1Line(const KXDocxRunTextLineArray& lines) {
    return FindRunTextLineArrayAs1Line(std::span<const LinePtr>(lines));
}

KXDocxRunTextLineArray KXDocxRunTextLine::FindRunTextLineArrayAs1Line(std::span<const LinePtr> lines) {
    if (lines.size() < 2) return KXDocxRunTextLineArray(lines.begin(), lines.end());
    KXDocxRunTextLineArray group{lines.front()};
    // The line whose baseline the walk follows. A joined line much taller than it (a brace or a
    // bracket drawn over several rows of a form) does not take over: its baseline lies in the row
    // below, and following it would fuse two separate rows into one.
    LinePtr reference = lines.front();
    for (size_t i = 1; i < lines.size(); ++i) {
        double base = reference->yBaseLine();
        const kx::Rect& f = lines[i]->lineFrame();
        if (!(base > f.origin.y && base < f.origin.y + f.size.height)) break;
        // Text drawn twice (a shadow beside a title) is two lines: joined, their words would
        // interleave.
        if (std::any_of(group.begin(), group.end(), [&](const LinePtr& l) { return repeatsTextOver(*lines[i], *l); }))
            break;
        group.push_back(lines[i]);
        if (!(f.size.height > kTallLineRatio * heightOf(reference))) reference = lines[i];
    }
    double tallest = heightOf(FindMaxHeightRunTextLine(group));
    if (tallest * 1.6 > FrameOfLineArray(group).size.height) return group;
    if (!HaveXOverlapRunTextArray(allRunsOf(group))) return group;
    return {lines.front()};
}

KXDocxRunTextLineArray KXDocxRunTextLine::FindOverlapRunTextLineY(const KXDocxRunTextLineArray& lines) {
    return FindOverlapRunTextLineY(std::span<const LinePtr>(lines));
}

KXDocxRunTextLineArray KXDocxRunTextLine::FindOverlapRunTextLineY(std::span<const LinePtr> lines) {
    if (lines.size() < 2) return {};
    KXDocxRunTextLineArray group{lines.front()};
    double bottom = bottomOf(lines.front());
    for (size_t i = 1; i < lines.size(); ++i) {
        if (!(topOf(lines[i]) < bottom - 1.0)) break;
        group.push_back(lines[i]);
        bottom = bottomOf(lines[i]);
    }
    return group.size() > 1 ? group : KXDocxRunTextLineArray{};
}

bool KXDocxRunTextLine::IsScriptRunTextLineArray(const KXDocxRunTextLineArray& lines) {
    if (lines.size() < 2) return false;
    LinePtr main = FindMaxHeightRunTextLine(lines);
    kx::Rect band(0, main->lineFrame().origin.y, static_cast<double>(KXDocxRunTextLineSpace::kOpenWidth),
                  main->lineFrame().size.height);
    for (const auto& line : lines) {
        if (line == main) continue;
        kx::Rect common = band.intersection(line->lineFrame());
        double overlap = common.isNull() ? 0.0 : common.size.height;
        if (!(overlap > 0.5 * line->lineFrame().size.height)) return false;
    }
    return !HaveXOverlapRunTextArray(allRunsOf(lines));
}

void KXDocxRunTextLine::SetupScriptRunTextLineArray(const KXDocxRunTextLineArray& lines) {
    if (lines.size() < 2) return;
    LinePtr main = FindMaxHeightRunTextLine(lines);
    if (main->runTextArray().empty()) return;
    const float s = main->runTextArray().front()->rProperty().sz;
    const double mainHeight = main->lineFrame().size.height;
    for (const auto& line : lines) {
        if (line == main) continue;
        const double height = line->lineFrame().size.height;
        if (!(height - mainHeight < -2.0)) continue;
        const int script = line->yBaseLine() > main->yBaseLine() ? 2 : 1;
        const float size = height < mainHeight / 1.9
                               ? std::ceil(static_cast<float>(height / mainHeight * 2.0 * s))
                               : s;
        for (const auto& run : line->runTextArray()) {
            KXDocx_RPr property = run->rProperty();
            property.sz = size;
            property.szCs = size;
            property.scrpit = script;
            run->setRProperty(property);
            KXPDF_CTMInfo g = run->ctmInfo();
            g.yBase = main->yBaseLine();
            run->setCtmInfo(g);
        }
    }
}

bool KXDocxRunTextLine::IsAllScriptRunTextArray(const KXDocxRunTextArray& runs) {
    if (runs.empty()) return false;
    const int script = runs.front()->rProperty().scrpit;
    if (script == 0) return false;
    return std::all_of(runs.begin(), runs.end(), [script](const RunPtr& r) { return r->rProperty().scrpit == script; });
}

bool KXDocxRunTextLine::IsScriptLine(const KXDocxRunTextLine& line) {
    return IsAllScriptRunTextArray(line.runTextArray());
}

LinePtr KXDocxRunTextLine::MergeRunTextLineArray(const KXDocxRunTextLineArray& lines) {
    if (lines.empty()) return nullptr;
    if (lines.size() == 1) return lines.front();
    return initWithRunTextArray(allRunsOf(lines));
}

KXDocxRunTextArray KXDocxRunTextLine::FindLeft2RightMergeRunTextArray(const KXDocxRunTextArray& runs) {
    if (runs.empty()) return {};
    size_t end = kx::detail::fusionGroupEnd(runs, 0);
    return KXDocxRunTextArray(runs.begin(), runs.begin() + static_cast<std::ptrdiff_t>(end));
}

RunPtr KXDocxRunTextLine::MergeLeft2RightRunTextArray(const KXDocxRunTextArray& runs) {
    return kx::detail::fuseRuns(runs, 0, runs.size());
}
