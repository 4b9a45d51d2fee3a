// Page sections: text alignment and indents from line geometry alone. A PDF page has no paragraph
// alignment, only lines placed at some x; a column's dominant alignment (its trend) and each line's
// own alignment are read from how its edges line up, and a joined paragraph's indents from where
// its lines stood.

#include <algorithm>
#include <cmath>

#include "docx/page/layout/KXDocxPageSection.h"

namespace {

constexpr double kEdgeTolerance = 3.0;
constexpr double kContinuation = 1.0;

struct Edges {
    double minX = 0, maxX = 0, midX = 0;
};

Edges edgesOf(const KXDocxRunTextLine* line) {
    if (!line) return {};
    const kx::Rect& f = line->lineFrame();
    return {f.origin.x, f.origin.x + f.size.width, f.origin.x + 0.5 * f.size.width};
}

Edges edgesOf(const kx::Rect& f) { return {f.origin.x, f.origin.x + f.size.width, f.origin.x + 0.5 * f.size.width}; }

float leftOf(const std::shared_ptr<KXDocxParagraph>& p) { return p ? p->pProperty().ind.left : 0.0f; }

}  // namespace

long KXDocxPageSection::NumberOf(const KXDocxRunTextLineArray& lines, int textAlign) {
    if (lines.empty()) return 0;
    std::vector<Edges> edges;
    edges.reserve(lines.size());
    for (const auto& line : lines) edges.push_back(edgesOf(line.get()));
    auto near = [](double a, double b) { return std::fabs(a - b) < kEdgeTolerance; };
    auto same = [&](const Edges& a, const Edges& b) {
        switch (textAlign) {
            case 0: return near(a.minX, b.minX);
            case 1: return near(a.maxX, b.maxX);
            case 2: return near(a.midX, b.midX);
            default: return near(a.minX, b.minX) && near(a.maxX, b.maxX);
        }
    };
    long best = 0;
    for (const Edges& a : edges) {
        long count = 0;
        for (const Edges& b : edges)
            if (same(a, b)) ++count;
        best = std::max(best, count);
    }
    return best;
}

int KXDocxPageSection::RecognizeTextAlignTrend(const KXDocxRunTextLineArray& lines, const kx::Rect& content,
                                               const kx::Rect& column) {
    if (lines.size() < 2) return 0;
    const KXDocxRunTextLineArray rest(lines.begin() + 1, lines.end());
    const float n = static_cast<float>(rest.size());
    const float fL = static_cast<float>(NumberOf(rest, 0)) / n;
    const float fR = static_cast<float>(NumberOf(rest, 1)) / n;
    const float fC = static_cast<float>(NumberOf(rest, 2)) / n;
    const float fB = static_cast<float>(NumberOf(rest, 3)) / n;
    if (rest.size() <= 2) {
        if (std::fabs(edgesOf(content).midX - edgesOf(column).midX) < kEdgeTolerance) return fL <= fC ? 2 : 0;
        return 0;
    }
    if (fL >= fR) {
        if (fC > fL) return 2;
        return fB >= 0.5f ? 3 : 0;
    }
    if (fC > fR) return 2;
    return fL > fC ? 3 : 1;
}

int KXDocxPageSection::RecognizeTextAlign(const KXDocxRunTextLine* line, const KXDocxRunTextLine* last,
                                          int textAlignLast, int trend, const kx::Rect& content,
                                          const kx::Rect& column) {
    if (!line || line->lineFrame().size.width <= 2.0) return trend;
    const Edges l = edgesOf(line);
    if (last) {
        const Edges p = edgesOf(last);
        if (std::fabs(l.minX - p.minX) < kContinuation) {
            if (textAlignLast == 0 || textAlignLast == 3) return textAlignLast;
        } else if (std::fabs(l.maxX - p.maxX) < kContinuation) {
            if (textAlignLast == 1) return 1;
        } else if (textAlignLast == 2 && std::fabs(l.midX - p.midX) < kContinuation) {
            return 2;
        }
    }
    // A line that leaves no room in its column shows no alignment of its own.
    const kx::Rect common = column.intersection(line->lineFrame());
    const double free = column.size.width - (common.isNull() ? column.size.width : common.size.width);
    if (std::max(line->lineFrame().size.height, 10.0) > free) return trend;
    if (trend > 3) return trend;

    const Edges c = edgesOf(content);
    const double dL = std::fabs(l.minX - c.minX), dR = std::fabs(l.maxX - c.maxX), dC = std::fabs(l.midX - c.midX);
    constexpr int kLastTolerance = 1023;
    switch (trend) {
        case 0:
        case 3:
            for (int t = 3; t <= kLastTolerance; t += 5) {
                if (dL < t) return dR < t ? 3 : 0;
                if (dR < t) return 1;
            }
            return dC < kEdgeTolerance ? 2 : trend;
        case 1:
            for (int t = 3; t <= kLastTolerance; t += 5) {
                if (dR < t) return dL < t ? 3 : 1;
                if (dL < t) return 0;
            }
            return dC < kEdgeTolerance ? 2 : 1;
        case 2:
            if (dC < kEdgeTolerance) return dL < kEdgeTolerance && dR < kEdgeTolerance ? 3 : 2;
            for (int t = 3; t <= kLastTolerance; t += 5) {
                if (dR < t && !(dL < t)) return 1;
                if (dL < t) return dR < kLastTolerance ? 3 : 0;
            }
            return 2;
        default:
            return trend;
    }
}

double KXDocxPageSection::Ind_MinLeftOfParagraphs(const KXDocxParagraphArray& paragraphs) {
    if (paragraphs.empty()) return 0;
    float m = leftOf(paragraphs.front());
    for (const auto& p : paragraphs) m = std::min(m, leftOf(p));
    return m;
}

double KXDocxPageSection::Ind_SubMinLeftOfParagraphs(const KXDocxParagraphArray& paragraphs) {
    if (paragraphs.empty()) return 0;
    if (paragraphs.size() == 1) return leftOf(paragraphs.front());
    float m = 9999.9f;
    for (size_t i = 1; i < paragraphs.size(); ++i) m = std::min(m, leftOf(paragraphs[i]));
    return m;
}

void KXDocxPageSection::SetMergedParagraphIndents(KXDocxParagraph& merged, const KXDocxParagraphArray& group) {
    if (group.empty()) return;
    const KXDocxParagraph& first = *group.front();
    KXDocx_PPr p = merged.pProperty();
    const double contentMaxX = merged.contentFrame().maxX();
    const double columnMaxX = merged.columnFrame().maxX();
    switch (first.pProperty().jc) {
        case 2:
            p.ind.left = static_cast<float>(std::max(0.0, Ind_MinLeftOfParagraphs(group)));
            p.ind.firstLine = 0;
            if (columnMaxX > contentMaxX)
                p.ind.right = std::max(0.0f, std::floor(static_cast<float>(columnMaxX - contentMaxX)));
            break;
        case 0:
        case 1:
        case 3:
        case 4:
            p.ind.left = std::max(0.0f, std::floor(static_cast<float>(Ind_SubMinLeftOfParagraphs(group))));
            p.ind.firstLine = std::floor(first.pProperty().ind.left - p.ind.left);
            if (columnMaxX > contentMaxX + 1.0)
                p.ind.right = std::max(0.0f, std::floor(static_cast<float>(columnMaxX - contentMaxX - 1.0)));
            break;
        default:
            return;
    }
    merged.setPProperty(p);
}
