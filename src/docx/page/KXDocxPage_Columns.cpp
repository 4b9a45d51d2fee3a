// The DOCX page: its text layout. The page's main text runs lose their duplicates and blank runs,
// become lines, row blocks and bands of columns (KXDocxBands.cpp); the page margins come from where
// the text and the tables stand, and every band becomes one section.

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxManager.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPage.h"
#include "docx/page/layout/KXDocxBands.h"

namespace {

constexpr double kUnbounded = 999999;

}  // namespace

double KXDocxPage::PageMarginStepValue(double x) {
    if (x < 35.75) return std::ceil(static_cast<float>(x));
    if (x < 71.75) return 36;
    if (x < 143.75) return 72;
    return 144;
}

KXDocx_PgMar KXDocxPage::bestPgMarWithMaxPGMar(const KXDocx_PgMar& m) const {
    KXDocx_PgMar r = KXDocxUtilities::defaultPageMarginProperty();
    double left = PageMarginStepValue(m.left), right = PageMarginStepValue(m.right);
    double top = PageMarginStepValue(m.top), bottom = PageMarginStepValue(m.bottom);
    if (std::min(left, right) > 35.75) left = right = std::min(left, right);
    if (std::min(top, bottom) > 71.75) top = bottom = std::min(top, bottom);
    top = std::min(top, static_cast<double>(m.top));
    if (left > m.left) {
        left = m.left;
        if (right > m.left) right = m.left;
    }
    if (right > m.right) {
        right = m.right;
        if (left > m.right) left = m.right;
    }
    bottom = std::min(bottom, static_cast<double>(m.bottom));
    r.left = static_cast<float>(left);
    r.right = static_cast<float>(right);
    r.top = static_cast<float>(top);
    r.bottom = static_cast<float>(bottom);
    if (top >= 36) r.header = 35.4f;
    if (bottom >= 36) r.footer = 35.4f;
    return r;
}

void KXDocxPage::createPageWithColumn() {
    if (kx::detail::removeDuplicateRunTexts(allRunTextArray_)) updateAllPDFScanIndex();
    const bool trim = KXDocxManager::sharedInstance().moreOptions().wordOptions().isTrimmingBlankSpaceCharacters();
    size_t blanks = 0;
    KXDocxRunTextLineArray lines = kx::detail::linesByBaseline(allRunTextArray_, trim, &blanks);
    if (blanks) updateAllPDFScanIndex();
    for (const auto& line : lines) line->processRunTextArray();

    KXDocxRunTextColumArray groups =
        kx::detail::mergeBands(kx::detail::chooseBands(kx::detail::rowBlocks(lines, true), true), true);

    // Page margins: as wide as the text and the tables leave them.
    const double pageW = sectProperty_.pgSz.w, pageH = sectProperty_.pgSz.h;
    KXDocx_PgMar margins = KXDocxUtilities::defaultPageMarginProperty();
    auto fitTables = [&](KXDocx_PgMar& limit, double topAllowance) {
        for (const auto& table : allTableArray_) {
            const kx::Rect b = table->displayRect().insetBy(0, -1);
            const double top = std::max(0.0, b.minY() - topAllowance);
            const double right = std::max(36.0, pageW - b.maxX());
            const double bottom = std::max(0.0, pageH - b.maxY());
            const double left = std::max(36.0, b.minX());
            limit.top = static_cast<float>(std::min(static_cast<double>(limit.top), top));
            limit.right = static_cast<float>(std::min(static_cast<double>(limit.right), right));
            limit.bottom = static_cast<float>(std::min(static_cast<double>(limit.bottom), bottom));
            limit.left = static_cast<float>(std::min(static_cast<double>(limit.left), left));
        }
    };
    if (groups.empty() && allTableArray_.empty()) {
        margins.top = margins.right = margins.bottom = margins.left = 72;
        margins.header = margins.footer = 72;
    } else if (groups.empty()) {
        KXDocx_PgMar limit;
        limit.top = limit.right = limit.bottom = limit.left = 72;
        fitTables(limit, 5);
        margins = bestPgMarWithMaxPGMar(limit);
    } else {
        double top = kUnbounded, left = kUnbounded, right = kUnbounded;
        for (const auto& group : groups) {
            const kx::Rect& f = group->columGroupFrame();
            top = std::min(top, std::max(f.minY(), 0.0));
            left = std::min(left, std::max(f.minX(), 0.0));
            right = std::min(right, std::max(pageW - f.maxX() - 1, 0.0));
        }
        std::shared_ptr<KXDocxRunText> lowest = KXDocxRunText::FindBottomAfterRunText(allRunTextArray_);
        const double d = lowest ? lowest->doubleBottomLine() : 0;
        KXDocx_PgMar limit;
        limit.top = static_cast<float>(top);
        limit.left = static_cast<float>(left);
        limit.right = static_cast<float>(right);
        limit.bottom = static_cast<float>(std::min(kUnbounded, std::max(pageH - d - 1, 0.0)));
        fitTables(limit, 0);
        margins = bestPgMarWithMaxPGMar(limit);
    }
    sectProperty_.pgMar = margins;

    if (pgBorders_offsetFrom_ != 0) {
        sectProperty_.offsetFrom = pgBorders_offsetFrom_;
        sectProperty_.pgBorders = pgBorders_;
        sectProperty_.pgBorders.top.space += margins.top;
        sectProperty_.pgBorders.left.space += margins.left;
        sectProperty_.pgBorders.bottom.space += margins.bottom;
        sectProperty_.pgBorders.right.space += margins.right;
    }

    allPageSectionArray_.clear();
    const double l = margins.left, r = margins.right, t = margins.top, b = margins.bottom;
    const size_t m = groups.size();
    std::shared_ptr<KXDocxPageSection> previous;
    for (size_t i = 0; i < m; ++i) {
        const auto& group = groups[i];
        double y, height;
        if (m == 1) {
            y = t;
            height = pageH - b - t;
        } else if (i == 0) {
            y = t;
            height = groups[1]->columGroupFrame().minY() - t;
        } else if (i + 1 < m) {
            y = previous->sectionFrame().maxY();
            height = groups[i + 1]->columGroupFrame().minY() - y;
        } else {
            y = previous->sectionFrame().maxY();
            height = pageH - b - y;
        }
        if (m > 1 && i + 1 < m) {
            const double gap = groups[i + 1]->columGroupFrame().minY() - group->columGroupFrame().maxY();
            const double need = std::min(0.5 * groups[i + 1]->bottomNeedSpace(), 8.0);
            const double d = gap < 0 ? 0 : std::min(gap, need);
            if (d > 0) height -= d;
        }
        auto section = std::make_shared<KXDocxPageSection>(sectProperty_);
        section->setSuperPage(this);
        section->setSectionFrame(kx::Rect(l, y, pageW - l - r, height));
        section->setColumGroupFrame(group->columGroupFrame());
        section->setPreviousPageSection(previous);
        section->setIsPageHeadSection(i == 0);
        section->setIsPageFootSection(i + 1 == m);
        section->setIsDocumentFirstPage(isFirstPage_);
        section->setIsDocumentLastPage(isLastPage_);
        section->setColumGroupArray(group->columGroupArray());
        section->optimizeParagraphs();
        allPageSectionArray_.push_back(section);
        previous = section;
    }
}
