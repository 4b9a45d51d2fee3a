// Page sections: writing a section. Its objects are gathered in document order (head blank
// paragraphs, the columns' content, foot blank paragraphs and the paragraphs that carry section
// properties) and then written one after another.
//
// WordprocessingML keeps a section's properties in the last paragraph of the section ("w:sectPr"
// inside its "w:pPr"), and those of the document's last section as a "w:sectPr" child of "w:body".
// Page bands and column layouts become break paragraphs: empty paragraphs whose properties carry a
// section record. A break's type tells how the section it closes begins: for one-column bands, the
// head band of every page but the first closes as a section that begins on a new page, middle
// bands belong to the section the next break closes, the foot band closes as a continuous section,
// and the foot band of the last page carries the body-level properties.
//
// Tables found on the page are placed by the table model among these objects; a section without
// tables writes its text as below.

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "docx/model/KXDocxProperty.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPageSection.h"

namespace {

constexpr double kFootAbsorbed = 8.0;
// The break paragraph's line: one twentieth of a point, in a mark of half a point.
constexpr float kBreakParagraphLine = 0.05f;
constexpr float kBreakParagraphMark = 0.5f;

std::shared_ptr<KXDocxParagraph> lastParagraphOf(const KXDocxWriterObjectArray& column) {
    for (auto it = column.rbegin(); it != column.rend(); ++it)
        if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(*it)) return p;
    return nullptr;
}

}  // namespace

KXDocx_SectPr KXDocxPageSection::breakRecord(const std::shared_ptr<KXDocxParagraph>& from) const {
    // Without a paragraph to take it from, the section's own record: a record of zeros would give
    // the section a page of no size.
    KXDocx_SectPr record = from ? from->sectProperty() : sectProperty_;
    record.shouldWrite = true;
    record.type = 1;
    return record;
}

bool KXDocxPageSection::newPageRule(bool narrow) const {
    return isPageHeadSection_ && !isDocumentFirstPage_ && (!narrow || headBlankParagraphArray_.empty());
}

void KXDocxPageSection::appendBreakParagraph(const std::shared_ptr<KXDocxParagraph>& from,
                                             const KXDocx_SectPr& record) {
    KXDocx_PPr p = from ? from->pProperty() : KXDocxUtilities::defaultPProperty();
    KXDocx_RPr r = from ? from->rProperty() : KXDocxUtilities::defaultRProperty();
    // The break paragraph takes next to no height: the bands above it fill the page, and a
    // paragraph of a text line's height below them would spill onto a page of its own. Nor does it
    // keep the indents of the paragraph it comes from: a word processor that folds an empty
    // section-break paragraph into the next one hands them on to that paragraph.
    p.ind = {};
    p.spacing.before = 0;
    p.spacing.after = 0;
    p.spacing.line = kBreakParagraphLine;
    p.spacing.lineRule = "exact";
    r.sz = r.szCs = kBreakParagraphMark;
    allWriteXMLObjects_.push_back(KXDocxProperty::NewWrite1BlankParagraphWithProperty(p, r, record));
}

void KXDocxPageSection::alignBlankParagraphs(const KXDocxParagraphArray& blanks,
                                             const std::shared_ptr<KXDocxParagraph>& sample) {
    int jc = 0;
    double left = 0, right = 0;
    if (isMultiColumn()) {
        left = columGroupFrame_.origin.x - sectionFrame_.origin.x;
    } else if (sample) {
        jc = sample->pProperty().jc;
        left = sample->pProperty().ind.left;
        if (jc == 1)
            right = std::floor(sample->columnFrame().maxX() - sample->contentFrame().maxX()) - 1;
    }
    for (const auto& blank : blanks) {
        KXDocx_PPr p = blank->pProperty();
        p.jc = jc;
        p.ind.left = static_cast<float>(left);
        p.ind.right = static_cast<float>(right);
        blank->setPProperty(p);
        allWriteXMLObjects_.push_back(blank);
    }
}

void KXDocxPageSection::writeBeforeBlankParagraphs(const std::shared_ptr<KXDocxParagraph>& paragraph) {
    const KXDocx_PPr& pp = paragraph->pProperty();
    const double b = pp.spacing.before;
    KXDocx_SectPr record = paragraph->sectProperty();
    record.shouldWrite = false;
    KXDocxParagraphArray blanks = KXDocxParagraph::BlankParagraph(
        b, pp.spacing.line, pp.ind.left, pp.ind.right, pp.jc, paragraph->rProperty(), record,
        paragraph->contentFrame().origin.y - b, paragraph->columnFrame());
    if (!blanks.empty() && paragraph->breakColumn()) blanks.front()->setBreakColumn(true);
    allWriteXMLObjects_.insert(allWriteXMLObjects_.end(), blanks.begin(), blanks.end());
}

void KXDocxPageSection::writeContent() {
    for (const auto& column : paragraphGroupArray_) {
        for (size_t i = 0; i < column.size(); ++i) {
            const auto& object = column[i];
            if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object)) {
                KXDocx_PPr pp = p->pProperty();
                if (i == 0 && isMultiColumn() && pp.spacing.before > p->rProperty().sz) {
                    // The column break moves to the first blank paragraph above the text.
                    writeBeforeBlankParagraphs(p);
                    pp.spacing.before = 0;
                    p->setBreakColumn(false);
                }
                p->setPProperty(pp);
            }
            allWriteXMLObjects_.push_back(object);
        }
    }
}

void KXDocxPageSection::writeWithXMLWriter(XMLFileWriter& writer) {
    allWriteXMLObjects_.clear();
    const bool multi = isMultiColumn();

    // Head blank paragraphs.
    if (!headBlankParagraphArray_.empty()) alignBlankParagraphs(headBlankParagraphArray_, firstParagraph());

    // A band of columns opens with a break that closes the one-column text above it.
    if (multi) {
        if (!headBlankParagraphArray_.empty()) {
            const auto& last = headBlankParagraphArray_.back();
            KXDocx_SectPr record = breakRecord(last);
            record.cols.num = 1;
            record.cols.col.clear();
            if (newPageRule(false)) record.type = 0;
            appendBreakParagraph(last, record);
        } else if (previousPageSection_ &&
                   (previousPageSection_->columGroupArray().size() == 1 ||
                    !previousPageSection_->footBlankParagraphArray().empty()) &&
                   (previousPageSection_->isDocumentFirstPage() || !previousPageSection_->isPageHeadSection())) {
            const auto last = previousPageSection_->lastParagraph();
            KXDocx_SectPr record = breakRecord(last);
            record.cols.num = 1;
            record.cols.col.clear();
            appendBreakParagraph(last, record);
        }
    }

    // The space below a band of columns: the column ending highest keeps it when it is small.
    if (multi) {
        std::shared_ptr<KXDocxParagraph> chosen;
        for (const auto& column : paragraphGroupArray_) {
            auto last = lastParagraphOf(column);
            if (last && (!chosen || last->pProperty().spacing.after < chosen->pProperty().spacing.after)) chosen = last;
        }
        footBlankHeight_ += chosen ? chosen->pProperty().spacing.after : 0;
        for (const auto& column : paragraphGroupArray_) {
            auto last = lastParagraphOf(column);
            if (!last) continue;
            last->setSpaceLineAfter(last == chosen && footBlankHeight_ < kFootAbsorbed ? footBlankHeight_ : 0);
        }
        if (footBlankHeight_ < kFootAbsorbed) footBlankHeight_ = 0;
    }

    writeContent();

    bool columnFootBreak = false, footBlanksWritten = false;
    if (footBlankHeight_ > 1 && (!isPageFootSection_ || sectProperty_.vAlign == 2)) {
        createFootBlankParagraphArray();
        if (multi) {
            const auto last = lastParagraph();
            KXDocx_SectPr record = breakRecord(last);
            if (newPageRule(true)) record.type = 0;
            appendBreakParagraph(last, record);
            columnFootBreak = true;
        }
        alignBlankParagraphs(footBlankParagraphArray_, lastParagraph());
        footBlanksWritten = true;
    }

    if (sectProperty_.type != kInnerSectionType) {
        const auto last = lastParagraph();
        auto breakOfType = [&](int type) {
            KXDocx_SectPr record = breakRecord(last);
            record.type = type;
            appendBreakParagraph(last, record);
        };
        if (isDocumentLastPage_ && isPageFootSection_) {
            KXDocx_SectPr record = sectProperty_;
            record.shouldWrite = true;
            record.type = !footBlanksWritten && newPageRule(false) ? 0 : 1;
            allWriteXMLObjects_.push_back(KXDocxProperty::NewWriteSectProperty(record));
        } else if (!footBlanksWritten && multi) {
            breakOfType(newPageRule(true) ? 0 : 1);
        } else if (isDocumentFirstPage_ && isPageFootSection_) {
            breakOfType(1);
        } else if (isDocumentFirstPage_) {
        } else if (isPageHeadSection_ && isPageFootSection_) {
            breakOfType(0);
        } else if (isPageHeadSection_ && !columnFootBreak) {
            breakOfType(0);
        } else if (isPageHeadSection_) {
        } else if (isPageFootSection_) {
            breakOfType(1);
        }
    }

    for (const auto& object : allWriteXMLObjects_) {
        auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object);
        if (p && typeid(*p) == typeid(KXDocxParagraph) && p->isCanIgnore()) continue;
        object->writeWithXMLWriter(writer);
    }
}
