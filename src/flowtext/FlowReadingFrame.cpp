#include "flowtext/FlowReadingFrame_p.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>

#include "platform/Unicode.h"

namespace kx::detail {

namespace {

// The frame of vertical writing: lines running downward.
constexpr int kVerticalFrame = 90;

// The non-blank characters of a run: what a frame's share of the page is counted in.
size_t visibleCharacters(const FlowRunText& run) {
    // In UTF-16 units: a character beyond the first plane counts twice, which no share of a page
    // turns on.
    size_t n = 0;
    for (char16_t c : run.runText()) n += c > 0x20 && c != 0xA0 && c != 0x3000 ? 1 : 0;
    return n;
}

// The one character of a run, or 0 when it holds none or more than one.
char32_t singleCharacter(const FlowRunText& run) {
    const std::u16string& text = run.runText();
    size_t i = 0;
    if (text.empty()) return 0;
    const char32_t c = kx::nextCodePoint(text, i);
    return i == text.size() ? c : 0;
}

double heightOf(const FlowRunText& run) { return run.ctmInfo().bottomLeft.y - run.ctmInfo().topLeft.y; }

// Whether `below` is the character set right under `above` in a column of vertical writing: both
// single visible characters, starting at one x, and `below` starts about one character lower.
bool stacksUnder(const FlowRunText& above, const FlowRunText& below) {
    // Most pairs follow each other along a line: the next one starts no lower.
    if (!(below.ctmInfo().topLeft.y > above.ctmInfo().topLeft.y)) return false;
    const double h = heightOf(above);
    if (!(h > 0) || !std::isfinite(h) || std::fabs(heightOf(below) - h) > 0.2 * h) return false;
    const double dx = below.ctmInfo().topLeft.x - above.ctmInfo().topLeft.x;
    const double step = below.ctmInfo().topLeft.y - above.ctmInfo().topLeft.y;
    if (!(std::fabs(dx) <= 0.25 * h && step >= 0.7 * h && step <= 1.6 * h)) return false;
    return singleCharacter(above) > 0x20 && singleCharacter(below) > 0x20;
}

// An upright run of a column of vertical writing, moved into the frame of vertical writing. Along
// the line it reaches down to the next character of the column (`advance`).
void turnIntoVerticalFrame(FlowRunText& run, double advance, const kx::AffineTransform& toFrame) {
    const KXPDF_CTMInfo& g = run.ctmInfo();
    const double left = g.topLeft.x, right = left + run.textWidth();
    // In the frame the run starts at its top; its right edge on the page is its top in the frame.
    const kx::Point start = toFrame.apply(kx::Point{right, g.topLeft.y});
    const kx::Point end = toFrame.apply(kx::Point{left, g.topLeft.y});
    KXPDF_CTMInfo f = g;
    f.rotation = 0;
    f.topLeft = {start.x, start.y};
    f.bottomLeft = {start.x, end.y};
    f.xLeft = f.xBase = f.xTop = f.xAscent = f.xBottom = f.xDescent = start.x;
    f.xRight = start.x + advance;
    f.yTop = f.yAscent = start.y;
    f.yBottom = f.yDescent = end.y;
    f.yBase = f.yLeft = f.yRight = (start.y + end.y) / 2.0;
    f.frame = kx::Rect(start.x, start.y, advance, end.y - start.y);
    run.setCtmInfo(f);
    run.setTextWidth(advance);
    run.setReadingFrame(kVerticalFrame);
}

}  // namespace

int readingFrameOf(double angle) {
    if (!std::isfinite(angle)) return 0;
    if (angle < 5 || angle >= 355) return 0;
    for (int quarter : {90, 180, 270})
        if (angle > quarter - 5 && angle < quarter + 5) return quarter;
    return static_cast<int>(std::lround(angle)) % 360;
}

kx::AffineTransform frameTransform(int frame, kx::Size pageSize) {
    const double w = pageSize.width, h = pageSize.height;
    // Quarter turns exactly, so that upright text of a turned page lines up to the last bit.
    switch (frame) {
        case 0: return kx::AffineTransform::identity();
        case 90: return {0, -1, 1, 0, 0, w};    // (x, y) -> (y, w - x)
        case 180: return {-1, 0, 0, -1, w, h};  // (x, y) -> (w - x, h - y)
        case 270: return {0, 1, -1, 0, h, 0};   // (x, y) -> (h - y, x)
        default: break;
    }
    // Turned by -frame: the baseline's direction (cos, sin) goes to (1, 0).
    const double r = frame * std::numbers::pi / 180.0;
    const double c = std::cos(r), s = std::sin(r);
    kx::AffineTransform t{c, -s, s, c, 0, 0};
    const kx::Rect box = t.apply(kx::Rect(0, 0, w, h));
    t.tx = -box.minX();
    t.ty = -box.minY();
    return t;
}

bool isVerticalWritingCharacter(char32_t c) {
    return (c >= 0x1100 && c <= 0x11FF) ||   // Hangul jamo
           (c >= 0x2E80 && c <= 0x9FFF) ||   // radicals, CJK punctuation, kana, Han
           (c >= 0xAC00 && c <= 0xD7AF) ||   // Hangul syllables
           (c >= 0xF900 && c <= 0xFAFF) ||   // compatibility ideographs
           (c >= 0xFE30 && c <= 0xFE4F) ||   // vertical forms
           (c >= 0xFF00 && c <= 0xFFEF) ||   // full-width and half-width forms
           (c >= 0x20000 && c <= 0x3FFFF);   // supplementary ideographs
}

std::vector<bool> verticalColumnsAmong(const std::vector<std::shared_ptr<FlowRunText>>& upright) {
    // Columns of characters set one under the other, in the order shown: two or more, at least half
    // of them of vertical writing (a column of single digits in a table is no such column).
    std::vector<bool> stacked;
    for (size_t first = 0; first < upright.size();) {
        size_t end = first + 1;
        while (end < upright.size() && stacksUnder(*upright[end - 1], *upright[end])) ++end;
        size_t cjk = 0;
        if (end - first >= 2)
            for (size_t i = first; i < end; ++i) cjk += isVerticalWritingCharacter(singleCharacter(*upright[i])) ? 1 : 0;
        if (end - first >= 2 && 2 * cjk >= end - first) {
            stacked.resize(upright.size(), false);
            std::fill(stacked.begin() + static_cast<std::ptrdiff_t>(first), stacked.begin() + static_cast<std::ptrdiff_t>(end), true);
        }
        first = end;
    }
    return stacked;
}

std::vector<FrameGroup> readingGroups(const std::vector<std::shared_ptr<FlowRunText>>& upright,
                                      const std::vector<std::shared_ptr<FlowRunText>>& turned,
                                      const std::vector<bool>& stacked, kx::Size pageSize) {
    const kx::AffineTransform toVertical = frameTransform(kVerticalFrame, pageSize);
    for (size_t i = 0; i < stacked.size(); ++i) {
        if (!stacked[i]) continue;
        const bool last = i + 1 == stacked.size() || !stacked[i + 1] || !stacksUnder(*upright[i], *upright[i + 1]);
        const double advance =
            last ? heightOf(*upright[i]) : upright[i + 1]->ctmInfo().topLeft.y - upright[i]->ctmInfo().topLeft.y;
        turnIntoVerticalFrame(*upright[i], advance, toVertical);
    }

    // The groups, each with its runs in the order shown and its first run's place in that order.
    struct Gathered {
        FrameGroup group;
        std::uint64_t firstShown = std::numeric_limits<std::uint64_t>::max();
        size_t characters = 0;
    };
    // A page has few frames, and its runs come frame after frame: the frame last added to is
    // looked at first.
    std::map<int, Gathered> byFrame;
    Gathered* last = nullptr;
    auto add = [&](const std::shared_ptr<FlowRunText>& run, int frame) {
        if (!last || last->group.frame != frame) {
            last = &byFrame[frame];
            last->group.frame = frame;
        }
        last->firstShown = std::min(last->firstShown, run->pdfScanIndex());
        last->characters += visibleCharacters(*run);
        last->group.runs.push_back(run);
    };
    auto isStacked = [&](size_t i) { return i < stacked.size() && stacked[i]; };
    if (stacked.empty()) {
        // All the upright runs, in the order shown: they need no copy.
        Gathered& g = byFrame[0];
        g.group.allUpright = &upright;
        for (const auto& run : upright) g.characters += visibleCharacters(*run);
        if (!upright.empty()) g.firstShown = upright.front()->pdfScanIndex();
    } else {
        for (size_t i = 0; i < upright.size(); ++i)
            if (!isStacked(i)) add(upright[i], 0);
    }
    // The stacked characters join the vertical lines in the order shown.
    for (size_t i = 0; i < upright.size(); ++i)
        if (isStacked(i)) add(upright[i], kVerticalFrame);
    for (const auto& run : turned) add(run, run->readingFrame());

    std::vector<Gathered*> order;
    for (auto& [frame, g] : byFrame)
        if (!g.group.shown().empty()) order.push_back(&g);
    if (order.empty()) return {};
    // The frame most characters share; the upright one (the first in the map) wins a tie.
    Gathered* main = *std::max_element(order.begin(), order.end(),
                                       [](const Gathered* a, const Gathered* b) { return a->characters < b->characters; });
    std::stable_sort(order.begin(), order.end(), [&](const Gathered* a, const Gathered* b) {
        if ((a == main) != (b == main)) return a == main;
        return a->firstShown < b->firstShown;
    });
    std::vector<FrameGroup> groups;
    for (Gathered* g : order) {
        auto shownBefore = [](const auto& a, const auto& b) { return a->pdfScanIndex() < b->pdfScanIndex(); };
        if (!std::is_sorted(g->group.runs.begin(), g->group.runs.end(), shownBefore))
            std::stable_sort(g->group.runs.begin(), g->group.runs.end(), shownBefore);
        groups.push_back(std::move(g->group));
    }
    return groups;
}

}  // namespace kx::detail
