// The DOCX page: outline levels from the PDF's outline (bookmarks). Each outline entry that points
// at this page marks the first paragraph that carries its title with the entry's level (top-level
// entries level 1), so that the word processor's navigation shows the document's structure.

#include <algorithm>

#include "docx/model/KXDocxManager.h"
#include "docx/page/KXDocxPage.h"
#include "pdf/KXPDFOutLineManager.h"

namespace {

// The first paragraph of the page, in section, column and reading order, that carries the title
// and has no level yet.
std::shared_ptr<KXDocxParagraph> paragraphOfTitle(const std::vector<std::shared_ptr<KXDocxPageSection>>& sections,
                                                  std::u16string_view title, bool likeDetect) {
    for (const auto& section : sections)
        for (const auto& group : section->paragraphGroupArray())
            for (const auto& object : group)
                if (auto paragraph = std::dynamic_pointer_cast<KXDocxParagraph>(object);
                    paragraph && paragraph->compareOutLine(title, likeDetect))
                    return paragraph;
    return nullptr;
}

}  // namespace

void KXDocxPage::creatOutlineIfNeed() {
    switch (KXDocxManager::sharedInstance().moreOptions().wordOptions().outlineType()) {
        case 1: _creatOutline_PDF_Outline(); break;
        case 2: _creatOutline_Auto(); break;
        default: break;
    }
}

void KXDocxPage::_creatOutline_PDF_Outline() {
    const bool likeDetect = KXDocxManager::sharedInstance().moreOptions().wordOptions().enablePDFOutline_LikeDetect();
    for (const KXPDFOutLineManager::Item& item : KXPDFOutLineManager::sharedInstance().outlineArrayForPage(pdfPageIndex_))
        _findOutLines(item, likeDetect);
}

bool KXDocxPage::_findOutLines(const KXPDFOutLineManager::Item& item, bool likeDetect) {
    const std::optional<std::u16string> title = KXPDFOutLineManager::GetOutlineTitleWithItem(item);
    if (!title || title->empty()) return false;
    std::shared_ptr<KXDocxParagraph> paragraph = paragraphOfTitle(allPageSectionArray_, *title, likeDetect);
    if (!paragraph) return false;
    // Depths count from 0, levels from 1 (the document writes them from 0 again, held to its nine
    // levels); a depth beyond them is as deep as a level goes.
    const std::int64_t depth = KXPDFOutLineManager::GetIndentPageWithItem(item);
    paragraph->setupOutline(static_cast<int>(std::clamp<std::int64_t>(depth, 0, 8)) + 1);
    return true;
}
