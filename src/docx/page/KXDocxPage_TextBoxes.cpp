// The DOCX page: its floating text boxes. While turned text arrives, the exporter fills the open
// box's paragraphs through the cache here; at the end of the page the text that came from
// annotations leaves the main text, each annotation's text laid out in a box of its own at its
// place; and the boxes tell whether the page is mostly turned text.

#include <algorithm>

#include "docx/model/KXDocxCounters.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPage.h"

std::shared_ptr<KXDocxParagraph> KXDocxPage::cachedTextBoxLastParagraph() {
    return cachedTextBoxParagraphs_.empty() ? nullptr : cachedTextBoxParagraphs_.back();
}

std::shared_ptr<KXDocxParagraph> KXDocxPage::cachedTextBoxNewParagraph() {
    auto paragraph = std::make_shared<KXDocxParagraph>();
    if (std::shared_ptr<KXDocxParagraph> last = cachedTextBoxLastParagraph()) {
        last->resolvePProperty();
        paragraph->setPProperty(last->pProperty());
        paragraph->setRProperty(last->rProperty());
    }
    cachedTextBoxParagraphs_.push_back(paragraph);
    return paragraph;
}

double KXDocxPage::cachedTextBoxHeight() const {
    double height = 0;
    for (const auto& paragraph : cachedTextBoxParagraphs_) height += paragraph->pProperty().spacing.line;
    return height;
}

double KXDocxPage::cachedTextBoxWidthMax() const {
    float width = 0;
    for (const auto& paragraph : cachedTextBoxParagraphs_)
        width = std::max(width, static_cast<float>(paragraph->firstLineTextWidth()));
    return width;
}

KXDocxRunTextArray KXDocxPage::allRunTextArrayInTextBoxes() const {
    KXDocxRunTextArray runs;
    for (const auto& box : allRunTextBoxArray_) {
        KXDocxRunTextArray more = box->allRunTextArray();
        runs.insert(runs.end(), more.begin(), more.end());
    }
    return runs;
}

int KXDocxPage::autoRotationOfPDFPage() const {
    const size_t inBoxes = allRunTextArrayInTextBoxes().size();
    if (inBoxes < 3 || inBoxes <= allRunTextArray_.size()) return 0;
    return KXDocxRunTextBox::RotationOfRunTextBoxArray(allRunTextBoxArray_);
}

void KXDocxPage::convertAnnotion2TextBox() {
    KXDocxRunTextArray annotations;
    for (const auto& run : allRunTextArray_)
        if (run->isAnnotion()) annotations.push_back(run);
    if (annotations.empty()) return;
    std::erase_if(allRunTextArray_, [](const std::shared_ptr<KXDocxRunText>& run) { return run->isAnnotion(); });
    for (KXDocxRunTextArray& group : KXDocxRunText::FindGroupSameAnnotionRunText(annotations))
        if (std::shared_ptr<KXDocxRunTextBox> box = NewTextBoxWithRunTextArray(std::move(group)))
            allRunTextBoxArray_.push_back(std::move(box));
}

std::shared_ptr<KXDocxRunTextBox> KXDocxPage::NewTextBoxWithRunTextArray(KXDocxRunTextArray runs) {
    if (runs.empty()) return nullptr;
    const kx::Rect f = KXDocxRunText::FrameOfRunTextArray(runs);
    KXDocxTextBoxInfo info;
    info.setDisplayFrame({f.origin.x, f.origin.y, f.size.width + 2.0, f.size.height + 2.0});
    info.strokeweight = 1.0;

    auto box = std::make_shared<KXDocxRunTextBox>();
    const KXDocxRunText& first = *runs.front();
    box->setIsAnnotion(first.isAnnotion());
    box->setPdfAnnotionIndex(first.pdfAnnotionIndex());
    box->setPdfScanIndex(first.pdfScanIndex());
    box->setPdfScanIndex_orignal(first.pdfScanIndex_orignal());

    // The box's content is laid out like a page of this page's size whose margins leave just the
    // box: its lines keep their places within it. (The page is this one: a box made on a page
    // without tables needs the page's size as much as one made on a page with them.)
    KXDocx_SectPr record = KXDocxUtilities::defaultSectPropertyHiden();
    record.pgSz = sectProperty_.pgSz;
    record.pgMar = KXDocxUtilities::defaultPageMarginProperty();
    record.pgMar.left = static_cast<float>(f.origin.x);
    record.pgMar.top = static_cast<float>(f.origin.y);
    record.pgMar.right = static_cast<float>(record.pgSz.w - (f.origin.x + f.size.width));
    record.pgMar.bottom = static_cast<float>(record.pgSz.h - (f.origin.y + f.size.height));
    record.type = KXDocxPageSection::kInnerSectionType;
    KXDocxRunTextArray laidOut = runs;
    std::vector<std::shared_ptr<KXDocxWriterObject>> sections;
    for (const auto& section : KXDocxPageSection::CreatePageSection(laidOut, record, false)) {
        section->setSuperPage(this);
        sections.push_back(section);
    }
    box->setPictZIndex(KXDocxCounters::sharedInstance().nextPictZIndex());
    box->setAllPageSectionArray(std::move(sections), std::move(runs));
    box->setPictInfo(info);
    return box;
}
