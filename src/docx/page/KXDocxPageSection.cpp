// Page sections: the model, its construction (the blank section of a page without text) and the
// look-ups over its paragraphs and lines.

#include "docx/page/KXDocxPageSection.h"

#include <algorithm>

#include "docx/model/KXDocxUtilities.h"
#include "platform/Format.h"

KXDocxPageSection::KXDocxPageSection() : sectProperty_(KXDocxUtilities::defaultSectPropertyHiden()) {}

KXDocxPageSection::KXDocxPageSection(const KXDocx_SectPr& sectProperty) : sectProperty_(sectProperty) {}

std::shared_ptr<KXDocxPageSection> KXDocxPageSection::BankPageSectionWithSectProperty(const KXDocx_SectPr& record) {
    auto section = std::make_shared<KXDocxPageSection>(record);
    KXDocx_SectPr working = record;
    working.shouldWrite = false;
    working.type = 1;
    working.cols = KXDocxUtilities::defaultColsProperty();

    auto paragraph = std::make_shared<KXDocxParagraph>();
    paragraph->setPProperty(KXDocxUtilities::defaultPProperty());
    paragraph->setRProperty(KXDocxUtilities::defaultRProperty());
    paragraph->setSectProperty(working);
    const double line = paragraph->pProperty().spacing.line;
    paragraph->setContentFrame(kx::Rect(record.pgMar.left, record.pgMar.top, 1.0, line));
    paragraph->setYHeight(line);

    section->paragraphGroupArray_.push_back({paragraph});
    section->columGroupArray_.emplace_back();
    section->sectionFrame_ = kx::Rect(record.pgMar.left, record.pgMar.top,
                                      static_cast<double>(record.pgSz.w) - record.pgMar.left - record.pgMar.right,
                                      static_cast<double>(record.pgSz.h) - record.pgMar.top - record.pgMar.bottom);
    section->columGroupFrame_ = paragraph->contentFrame();
    section->footBlankHeight_ = section->sectionFrame_.size.height - line;
    return section;
}

std::string KXDocxPageSection::description() const {
    auto rect = [](const kx::Rect& r) {
        return kx::format("[%f, %f, %f, %f]", r.origin.x, r.origin.y, r.size.width, r.size.height);
    };
    return kx::format(
        "<KXDocxPageSection: %p:[columCount:%zu][headBlankParagraphArray:%zu][footBlankHeight:%0.2f]"
        "[isDocumentFirstPage:%d, isDocumentLastPage:%d, isPageHeadSection:%d, isPageFootSection:%d]"
        "[tableCount:%zu][sectionFrame:%s][columGroupFrame:%s]>",
        static_cast<const void*>(this), columGroupArray_.size(), headBlankParagraphArray_.size(), footBlankHeight_,
        isDocumentFirstPage_, isDocumentLastPage_, isPageHeadSection_, isPageFootSection_, allTableArray_.size(),
        rect(sectionFrame_).c_str(), rect(columGroupFrame_).c_str());
}

std::shared_ptr<KXDocxParagraph> KXDocxPageSection::firstParagraph() const {
    for (const auto& group : paragraphGroupArray_)
        for (const auto& object : group)
            if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object); p && !p->sectProperty().shouldWrite) return p;
    return nullptr;
}

std::shared_ptr<KXDocxParagraph> KXDocxPageSection::firstTextParagraph() const {
    for (const auto& group : paragraphGroupArray_)
        for (const auto& object : group)
            if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object);
                p && !p->sectProperty().shouldWrite && !p->paragraphText().empty())
                return p;
    return nullptr;
}

std::shared_ptr<KXDocxParagraph> KXDocxPageSection::lastParagraph() const {
    if (paragraphGroupArray_.empty()) return nullptr;
    const KXDocxWriterObjectArray& group = paragraphGroupArray_.back();
    for (auto it = group.rbegin(); it != group.rend(); ++it)
        if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(*it); p && !p->sectProperty().shouldWrite) return p;
    return nullptr;
}

std::shared_ptr<KXDocxParagraph> KXDocxPageSection::insertParagraph(kx::Point point) const {
    std::shared_ptr<KXDocxParagraph> found;
    for (const auto& group : paragraphGroupArray_) {
        kx::Rect frame = sectionFrame_;
        if (paragraphGroupArray_.size() >= 2) {
            if (auto first = KXDocxParagraph::FirstParagraph(group)) frame = first->columnFrame();
        }
        if (!frame.contains(point)) continue;
        for (const auto& object : group) {
            auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object);
            if (!p || p->sectProperty().shouldWrite || p->paragraphText().empty()) continue;
            const kx::Rect& c = p->contentFrame();
            const double below = point.y - (c.origin.y + 0.5 * c.size.height);
            if (below > 1.0 && below < 99999.0) found = p;
        }
    }
    return found;
}

KXDocxRunTextArray KXDocxPageSection::allRunTextArray() const {
    KXDocxRunTextArray runs;
    for (const auto& group : columGroupArray_)
        for (const auto& line : group) runs.insert(runs.end(), line->runTextArray().begin(), line->runTextArray().end());
    return runs;
}

double KXDocxPageSection::_minLeftXOfLineArrayA(const KXDocxRunTextLineArray& lines) const {
    if (lines.empty()) return 0;
    float left = static_cast<float>(lines.front()->lineFrame().origin.x);
    for (const auto& line : lines) left = std::min(left, static_cast<float>(line->lineFrame().origin.x));
    return left;
}

double KXDocxPageSection::_maxRightXOfLineArrayA(const KXDocxRunTextLineArray& lines) const {
    if (lines.empty()) return 0;
    float right = static_cast<float>(lines.front()->lineFrame().maxX());
    for (const auto& line : lines) right = std::max(right, static_cast<float>(line->lineFrame().maxX()));
    return right;
}

double KXDocxPageSection::_maxRightXOfLineArrayA_SpaceBehind(const KXDocxRunTextLineArray& lines) const {
    if (lines.empty()) return 0;
    float right = 0;
    bool first = true;
    for (const auto& line : lines) {
        const kx::Rect& f = line->lineFrame();
        float r = static_cast<float>(f.origin.x + f.size.width + line->behindTextSpaceWidth());
        right = first ? r : std::max(right, r);
        first = false;
    }
    return right;
}

double KXDocxPageSection::textWidth() const {
    return static_cast<double>(sectProperty_.pgSz.w) - sectProperty_.pgMar.left - sectProperty_.pgMar.right;
}
