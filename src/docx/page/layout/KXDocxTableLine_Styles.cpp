// Table lines: the border a set of lines lying under one cell edge draws. The lines that really draw
// the edge are kept, one per parallel position; one, two or three of them become a single, double or
// triple border (or one of the thick-thin kinds), judged from their paths.

#include <algorithm>
#include <cmath>

#include "docx/page/layout/KXDocxTableLine.h"

namespace {

constexpr int kNil = 1, kSingle = 2, kDouble = 15, kTriple = 23;
constexpr float kSamePosition = 0.25f;

bool visible(int style) { return style >= kSingle; }
int atLeastNil(int style) { return style == 0 ? kNil : style; }

// The distance between two parallel lines, measured by the first one's orientation.
double distanceBetween(const KXDocxTableLine& a, const KXDocxTableLine& b) {
    return a.isHorizontalLine() ? std::fabs(a.startPoint().y - b.startPoint().y)
                                : std::fabs(a.startPoint().x - b.startPoint().x);
}

int twoPathStyle(const KXDocxTableLine& a, const KXDocxTableLine& b, kx::Point p1, kx::Point p2,
                 const KXDocx_Color& background, double* gap) {
    return KXDocxRunPath::BorderStyleFor2RunPaths({a.initRunPath(), b.initRunPath()}, p1, p2, background, gap,
                                                  distanceBetween(a, b));
}

}  // namespace

std::optional<kx::Color> KXDocxTableLine::tableLineColor() const {
    for (const auto& path : allRunPathArray_)
        if (path->pictInfo() && path->pictInfo()->stroked()) return path->pictInfo()->strokecolor();
    return std::nullopt;
}

int KXDocxTableLine::borderStyleForLinePoint1(kx::Point linePoint1, kx::Point point2,
                                              const KXDocx_Color& backgroundColor) const {
    const KXDocxRunPathArray paths =
        KXDocxRunPath::FindBorderRunPathArray(allRunPathArray_, linePoint1, point2, backgroundColor);
    double gap = 0;
    return KXDocxRunPath::BorderStyleForRunPaths(paths, linePoint1, point2, backgroundColor, &gap);
}

KXDocxTableLineArray KXDocxTableLine::CreateStyleLineArray(const KXDocxTableLineArray& lines, kx::Point linePoint1,
                                                           kx::Point point2, const KXDocx_Color& backgroundColor) {
    return FilterParalleStylelLines(FilterStrokeStyleLines(lines, linePoint1, point2, backgroundColor));
}

KXDocxTableLineArray KXDocxTableLine::FilterStrokeStyleLines(const KXDocxTableLineArray& lines, kx::Point linePoint1,
                                                             kx::Point point2, const KXDocx_Color& backgroundColor) {
    KXDocxTableLineArray drawn;
    for (const auto& line : lines) {
        double gap = 0;
        if (visible(KXDocxRunPath::BorderStyleForRunPaths(line->allRunPathArray(), linePoint1, point2,
                                                          backgroundColor, &gap)))
            drawn.push_back(line);
    }
    return drawn;
}

std::shared_ptr<KXDocxTableLine> KXDocxTableLine::FindSameParallelStyleLine(const KXDocxTableLine& line,
                                                                            const KXDocxTableLineArray& lines) {
    const float sx = static_cast<float>(line.startPoint().x), sy = static_cast<float>(line.startPoint().y);
    const float ex = static_cast<float>(line.endPoint().x), ey = static_cast<float>(line.endPoint().y);
    const bool horizontal = std::fabs(sy - ey) <= kSamePosition;
    const bool vertical = !horizontal && std::fabs(sx - ex) <= kSamePosition;
    if (!horizontal && !vertical) return nullptr;
    for (const auto& other : lines) {
        const float o = static_cast<float>(horizontal ? other->startPoint().y : other->startPoint().x);
        if (std::fabs(o - (horizontal ? sy : sx)) <= kSamePosition) return other;
    }
    return nullptr;
}

KXDocxTableLineArray KXDocxTableLine::FilterParalleStylelLines(const KXDocxTableLineArray& lines) {
    if (lines.size() <= 1) return lines;
    KXDocxTableLineArray result{lines.front()};
    for (const auto& line : lines) {
        std::shared_ptr<KXDocxTableLine> same = FindSameParallelStyleLine(*line, result);
        if (!same) {
            result.push_back(line);
            continue;
        }
        if (same == line || !line->initRunPath() || !same->initRunPath()) continue;
        const KXDocxPathInfo* mine = line->initRunPath()->pictInfo();
        const KXDocxPathInfo* theirs = same->initRunPath()->pictInfo();
        if (mine && theirs && mine->strokeweight() > theirs->strokeweight()) {
            result.erase(std::find(result.begin(), result.end(), same));
            result.push_back(line);
        }
    }
    return result;
}

int KXDocxTableLine::BorderStyleForTableLines(const KXDocxTableLineArray& lines, kx::Point p1, kx::Point p2,
                                              const KXDocx_Color& background, double* gap) {
    auto style = [&](const KXDocxTableLine& l) { return l.borderStyleForLinePoint1(p1, p2, background); };
    switch (lines.size()) {
        case 0: return kNil;
        case 1: return style(*lines[0]);
        case 2: {
            const KXDocxTableLine &a = *lines[0], &b = *lines[1];
            const int sa = style(a), sb = style(b);
            if (!visible(sa) || !visible(sb)) return visible(sa) ? sa : atLeastNil(sb);
            if (!a.initRunPath() || !b.initRunPath()) return kDouble;
            if (a.isHorizontalLine() != b.isHorizontalLine()) return kSingle;
            return twoPathStyle(a, b, p1, p2, background, gap);
        }
        case 3: {
            const int s[3] = {style(*lines[0]), style(*lines[1]), style(*lines[2])};
            if (visible(s[0]) && visible(s[1]) && visible(s[2])) {
                for (const auto& l : lines)
                    if (!l->initRunPath()) return kTriple;
                return KXDocxRunPath::BorderStyleFor3RunPaths(
                    {lines[0]->initRunPath(), lines[1]->initRunPath(), lines[2]->initRunPath()}, p1, p2, background, gap);
            }
            const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
            for (const auto& pair : pairs) {
                if (!visible(s[pair[0]]) || !visible(s[pair[1]])) continue;
                const KXDocxTableLine &a = *lines[static_cast<size_t>(pair[0])], &b = *lines[static_cast<size_t>(pair[1])];
                if (!a.initRunPath() || !b.initRunPath()) return kDouble;
                return twoPathStyle(a, b, p1, p2, background, gap);
            }
            if (visible(s[0])) return s[0];
            if (visible(s[1])) return s[1];
            return atLeastNil(s[2]);
        }
        default: return kTriple;
    }
}
