// Page sections: the Word column layout of a section (its "w:cols") and the final frame of its
// text, both settled from the geometry of the lines before they become paragraphs.

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPageSection.h"

namespace {

constexpr double kMinColumnSpace = 0.2836;
constexpr double kMaxColumnSpace = 35.45;
constexpr double kColumnSpaceAllowance = 2.836;

}  // namespace

double KXDocxPageSection::minSeparatedColumSpace() const {
    const size_t n = columGroupArray_.size();
    if (n < 2) return kMinColumnSpace;
    double m = 0;
    for (size_t i = 0; i + 1 < n; ++i) {
        double gap = _minLeftXOfLineArrayA(columGroupArray_[i + 1]) - _maxRightXOfLineArrayA_SpaceBehind(columGroupArray_[i]);
        if (gap > 0 && (m <= 0 || gap < m)) m = gap;
    }
    double r = m - kColumnSpaceAllowance;
    double result = r > kMaxColumnSpace ? kMaxColumnSpace : std::floor(r);
    return std::max(result, kMinColumnSpace);
}

bool KXDocxPageSection::IsPageSectionEquallySeparatedColums(double* space) const {
    const size_t n = columGroupArray_.size();
    if (n < 2) return true;
    const double s = *space;
    const double colW = (textWidth() - s * static_cast<double>(n - 1)) / static_cast<double>(n);
    float t = static_cast<float>(s);
    for (size_t i = 0; i + 1 < n; ++i) {
        const double b = sectProperty_.pgMar.left + colW * static_cast<double>(i + 1) + 0.5 * s;
        const double r = _maxRightXOfLineArrayA_SpaceBehind(columGroupArray_[i]);
        const double l = _minLeftXOfLineArrayA(columGroupArray_[i + 1]);
        if (!(r < b && b < l)) return false;
        t = std::min({t, static_cast<float>(b - r), static_cast<float>(l - b)});
        if (t < static_cast<float>(kMinColumnSpace)) return false;
    }
    *space = t > 1.0f ? std::floor(t) : t;
    return true;
}

bool KXDocxPageSection::isTextInsideEqualColums(double space) const {
    const size_t n = columGroupArray_.size();
    const double colW = (textWidth() - space * static_cast<double>(n - 1)) / static_cast<double>(n);
    for (size_t k = 0; k < n; ++k) {
        const double start = sectProperty_.pgMar.left + static_cast<double>(k) * (colW + space);
        if (_minLeftXOfLineArrayA(columGroupArray_[k]) < start ||
            _maxRightXOfLineArrayA(columGroupArray_[k]) > start + colW)
            return false;
    }
    return true;
}

void KXDocxPageSection::createSectProperty_Cols() {
    const size_t n = columGroupArray_.size();
    if (n < 2) return;
    KXDocx_Cols cols = KXDocxUtilities::defaultColsProperty();
    cols.sep = true;
    cols.space = 0;
    cols.equalWidth = 0;
    cols.num = n;
    cols.col.resize(n);

    double s = minSeparatedColumSpace();
    // The equal-grid test looks at the middle of the first gap only where it looks at every gap,
    // and the space it settles on moves the columns of a grid of three or more: a grid that would
    // cut into a column's text (which the word processor then wraps, spilling the page) gives way
    // to columns of their own widths.
    if (IsPageSectionEquallySeparatedColums(&s) && isTextInsideEqualColums(s)) {
        const float colW = static_cast<float>((textWidth() - s * static_cast<double>(n - 1)) / static_cast<double>(n));
        for (KXDocx_Col& c : cols.col) c = {colW, static_cast<float>(s)};
        cols.space = static_cast<float>(s);
        cols.equalWidth = colW;
    } else {
        double x = sectProperty_.pgMar.left;
        for (size_t k = 0; k < n; ++k) {
            double width, space;
            if (k + 1 == n) {
                width = static_cast<double>(sectProperty_.pgSz.w) - sectProperty_.pgMar.right - x;
                space = 0;
            } else {
                const double next = _minLeftXOfLineArrayA(columGroupArray_[k + 1]);
                const double gap = next - _maxRightXOfLineArrayA_SpaceBehind(columGroupArray_[k]);
                space = gap < kMaxColumnSpace ? std::max(gap, kMinColumnSpace) : kMaxColumnSpace;
                width = std::ceil(next - space - x);
            }
            // Word needs some width in every column; a column squeezed out by its neighbours keeps
            // the smallest it can show.
            width = std::max(width, 1.0);
            cols.col[k] = {static_cast<float>(width), static_cast<float>(space)};
            x += width + space;
        }
    }
    sectProperty_.cols = std::move(cols);
}

void KXDocxPageSection::updateColumGroupFrame() {
    const kx::Rect remembered = columGroupFrame_;
    const double below = sectionFrame_.maxY() - columGroupFrame_.maxY();
    if (below <= 0) return;
    KXDocxRunTextLineArray all;
    for (const auto& group : columGroupArray_) all.insert(all.end(), group.begin(), group.end());
    double grow = 0;
    if (all.size() == 1) {
        const double d = all.front()->wordSingleLineHeight() - all.front()->lineFrame().size.height;
        if (d > 0 && below > d) grow = d;
    } else if (all.size() >= 2) {
        std::shared_ptr<KXDocxRunTextLine> b = KXDocxRunTextLine::FindBottomRunTextLine(all);
        std::shared_ptr<KXDocxRunTextLine> p;
        for (const auto& group : columGroupArray_) {
            auto it = std::find(group.begin(), group.end(), b);
            if (it == group.end()) continue;
            p = it == group.begin() ? nullptr : *(it - 1);
        }
        if (p && std::fabs(b->lineFrame().size.height - p->lineFrame().size.height) < 2.0) {
            const double gap = b->lineFrame().origin.y - p->lineFrame().maxY();
            if (gap > 0 && below > gap - 1.0) grow = gap;
        }
    }
    if (grow <= 0) return;
    if (sectProperty_.vAlign != 0) {
        columGroupFrame_.origin.y -= grow;
        columGroupFrame_.size.height += 2 * grow;
    } else {
        columGroupFrame_.size.height += grow;
    }
    for (const auto& table : allTableArray_)
        if (table->displayRect().intersects(columGroupFrame_)) {
            columGroupFrame_ = remembered;
            break;
        }
}
