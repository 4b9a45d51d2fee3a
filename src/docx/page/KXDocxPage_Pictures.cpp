// Floating pictures of the page: their stacking against the text, and the paragraph that writes
// them. Shapes and pictures are made behind the text (large negative stacking values); one that
// nothing painted after it covers comes in front, as it stood in the PDF. Text boxes and texts
// along paths stand in front of the text from the start.

#include <cstdlib>

#include "docx/model/KXDocxParagraph.h"
#include "docx/page/KXDocxPage.h"

namespace {

// The stacking value in front of the text.
constexpr std::int64_t kFrontZIndex = 251660288;

// Painted at `minScanIndex` or later and meeting the rectangle (or holding it, or held by it).
template <class Array>
bool anyUpper(const Array& objects, const kx::Rect& rect, std::uint64_t minScanIndex) {
    for (const auto& o : objects) {
        if (!o || o->pdfScanIndex() < minScanIndex) continue;
        const kx::Rect r = o->displayRect();
        if (r.intersects(rect) || rect.contains(r) || r.contains(rect)) return true;
    }
    return false;
}

}  // namespace

bool KXDocxPage::haveTextUpperInRect(const kx::Rect& rect, std::uint64_t minScanIndex) const {
    return anyUpper(allRunTextArray_, rect, minScanIndex);
}

bool KXDocxPage::haveTextBoxUpperInRect(const kx::Rect& rect, std::uint64_t minScanIndex) const {
    return anyUpper(allRunTextBoxArray_, rect, minScanIndex);
}

bool KXDocxPage::haveImageUpperInRect(const kx::Rect& rect, std::uint64_t minScanIndex) const {
    return anyUpper(allRunImageArray_, rect, minScanIndex);
}

bool KXDocxPage::haveShapeUpperInRect(const kx::Rect& rect, std::uint64_t minScanIndex) const {
    return anyUpper(allRunPathArray_, rect, minScanIndex);
}

bool KXDocxPage::haveTableUpperInRect(const kx::Rect& rect, std::uint64_t minScanIndex) const {
    return anyUpper(allTableArray_, rect, minScanIndex);
}

void KXDocxPage::_insertFloatRunPicts() {
    KXDocxRunArray picts;
    for (const auto& image : allRunImageArray_) {
        const kx::Rect rect = image->displayRect();
        const std::uint64_t since = image->pdfScanIndex();
        if (!haveTextUpperInRect(rect, since) && !haveTextBoxUpperInRect(rect, since) &&
            !haveTableUpperInRect(rect, since) && !haveShapeUpperInRect(rect, since))
            image->setPictZIndex(kFrontZIndex - std::llabs(image->pictZIndex()));
        picts.push_back(image);
    }
    for (const auto& path : allRunPathArray_) {
        const kx::Rect rect = path->displayRect();
        const std::uint64_t since = path->pdfScanIndex();
        if (!haveTextUpperInRect(rect, since) && !haveTextBoxUpperInRect(rect, since) &&
            !haveTableUpperInRect(rect, since) && !haveImageUpperInRect(rect, since))
            path->setPictZIndex(kFrontZIndex - std::llabs(path->pictZIndex()));
        picts.push_back(path);
    }
    // Text boxes and texts along paths keep the stacking they were made with, in front of the text.
    picts.insert(picts.end(), allRunTextBoxArray_.begin(), allRunTextBoxArray_.end());
    picts.insert(picts.end(), allRunTextPathArray_.begin(), allRunTextPathArray_.end());
    insertRunPictArray(picts);
}

void KXDocxPage::insertRunPictArray(const KXDocxRunArray& picts) {
    if (picts.empty()) return;
    for (const auto& section : allPageSectionArray_)
        if (auto paragraph = section->firstTextParagraph()) return paragraph->insertRunPictArray(picts);
    for (const auto& section : allPageSectionArray_)
        if (auto paragraph = section->firstParagraph()) return paragraph->insertRunPictArray(picts);
    // A page without text has only the paragraph that ends its section: it carries the pictures,
    // which would be lost otherwise.
    for (const auto& section : allPageSectionArray_)
        for (const auto& group : section->paragraphGroupArray())
            for (const auto& object : group)
                if (auto paragraph = std::dynamic_pointer_cast<KXDocxParagraph>(object))
                    return paragraph->insertRunPictArray(picts);
    // No paragraph at all: one of no height opens the first section to carry them.
    if (allPageSectionArray_.empty()) return;
    KXDocxPageSection& first = *allPageSectionArray_.front();
    std::vector<KXDocxWriterObjectArray> groups = first.paragraphGroupArray();
    if (groups.empty()) groups.emplace_back();
    auto carrier = std::make_shared<KXDocxParagraph>();
    KXDocx_PPr p = carrier->pProperty();
    p.spacing.before = p.spacing.after = 0;
    p.spacing.line = 1;
    p.spacing.lineRule = "exact";
    carrier->setPProperty(p);
    KXDocx_RPr r = carrier->rProperty();
    r.sz = r.szCs = 1;
    carrier->setRProperty(r);
    carrier->insertRunPictArray(picts);
    groups.front().insert(groups.front().begin(), carrier);
    first.setParagraphGroupArray(std::move(groups));
}
