// Page sections from a set of text runs: the content of a table cell or a floating text box laid
// out as a stack of sections inside the box's inner rectangle (the page's own layout uses the same
// band steps, KXDocxBands.cpp), with the vertical alignment of the whole read from where the text
// stands in the box.

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxManager.h"
#include "docx/page/layout/KXDocxBands.h"
#include "docx/page/layout/KXDocxPageSection.h"

std::vector<std::shared_ptr<KXDocxPageSection>> KXDocxPageSection::CreatePageSection(KXDocxRunTextArray& runs,
                                                                                      KXDocx_SectPr record,
                                                                                      bool columnMode) {
    std::vector<std::shared_ptr<KXDocxPageSection>> sections;
    // The runs that leave are renumbered out of the reading order too, as the page's own runs are:
    // a blank taken out between two words is no break in the text.
    auto renumber = [&runs] {
        KXDocxRun::UpdateRunArrayPDFScanIndex(runs);
        KXDocxRunText::UpdateRunTextArrayPDFScanIndex(runs);
    };
    if (kx::detail::removeDuplicateRunTexts(runs)) renumber();
    const bool trim = KXDocxManager::sharedInstance().moreOptions().wordOptions().isTrimmingBlankSpaceCharacters();
    size_t blanks = 0;
    KXDocxRunTextLineArray lines = kx::detail::linesByBaseline(runs, trim, &blanks);
    if (blanks) renumber();
    for (const auto& line : lines) line->processRunTextArray();

    KXDocxRunTextColumArray bands = kx::detail::mergeBands(
        kx::detail::chooseBands(kx::detail::rowBlocks(lines, columnMode), columnMode), columnMode);
    if (bands.empty()) return sections;

    const double pageH = record.pgSz.h;
    int alignment = 0;
    if (!columnMode) {
        kx::Rect u = bands.front()->columGroupFrame();
        for (const auto& band : bands) u = u.unionWith(band->columGroupFrame());
        const double top = u.origin.y - record.pgMar.top;
        const double bottom = (pageH - record.pgMar.bottom) - u.maxY();
        const double m = std::min(top, bottom);
        const double allowance = m > 0.1 ? 0.2 * m + 3.0 : 0.0;
        if (std::fabs(top - bottom) < allowance)
            alignment = top >= 0.1 * m + 2.0 ? 1 : 0;
        else
            alignment = top > bottom + 5.0 ? 2 : 0;
        record.vAlign = alignment;
    }

    auto need = [](const std::shared_ptr<KXDocxRunTextColum>& band) { return std::min(band->bottomNeedSpace() * 0.5, 8.0); };
    std::shared_ptr<KXDocxPageSection> previous;
    for (size_t k = 0; k < bands.size(); ++k) {
        const auto& band = bands[k];
        const double y = band->columGroupFrame().origin.y;
        double top;
        if (k == 0) {
            top = record.pgMar.top;
            if (alignment != 0) top = y - std::clamp(y - record.pgMar.top, 0.0, std::max(0.0, need(band)));
        } else {
            top = previous->sectionFrame().maxY();
        }
        double bottom;
        if (k + 1 == bands.size()) {
            bottom = pageH - record.pgMar.bottom;
        } else {
            const auto& next = bands[k + 1];
            const double g = next->columGroupFrame().origin.y - band->columGroupFrame().maxY();
            bottom = next->columGroupFrame().origin.y - std::clamp(g, 0.0, std::max(0.0, need(next)));
        }
        auto section = std::make_shared<KXDocxPageSection>(record);
        section->setSectionFrame(kx::Rect(record.pgMar.left, top,
                                          static_cast<double>(record.pgSz.w) - record.pgMar.left - record.pgMar.right,
                                          bottom - top));
        section->setColumGroupFrame(band->columGroupFrame());
        section->setPreviousPageSection(previous);
        section->setIsPageHeadSection(k == 0);
        section->setIsPageFootSection(k + 1 == bands.size());
        section->setIsDocumentFirstPage(true);
        section->setIsDocumentLastPage(true);
        section->setColumGroupArray(band->columGroupArray());
        section->optimizeParagraphs();
        sections.push_back(section);
        previous = section;
    }
    return sections;
}
