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
// Tables found on the page go into the text flow where blank paragraphs make room for them (see
// KXDocxPageSection_Tables.cpp); the others float, anchored to the paragraph at their top-left
// corner.

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "docx/model/KXDocxProperty.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/page/layout/KXDocxPageSection.h"
#include "docx/page/layout/KXDocxTable.h"

namespace {

constexpr double kFootAbsorbed = 8.0;
// Less space than this above a band of columns is not worth a blank paragraph.
constexpr double kSmallestSpaceAboveColumns = 0.5;
// The line of a break paragraph: one twentieth of a point, exactly.
constexpr float kBreakParagraphLine = 0.05f;

std::shared_ptr<KXDocxParagraph> lastParagraphOf(const KXDocxWriterObjectArray& column) {
    for (auto it = column.rbegin(); it != column.rend(); ++it)
        if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(*it)) return p;
    return nullptr;
}

}  // namespace

KXDocx_SectPr KXDocxPageSection::breakRecord(const std::shared_ptr<KXDocxParagraph>& from) const {
    // Without a paragraph to take it from, a record of zeros.
    KXDocx_SectPr record = from ? from->sectProperty() : KXDocx_SectPr{};
    record.shouldWrite = true;
    record.type = 1;
    return record;
}

bool KXDocxPageSection::newPageRule(bool narrow) const {
    return isPageHeadSection_ && !isDocumentFirstPage_ && (!narrow || headBlankParagraphArray_.empty());
}

void KXDocxPageSection::appendBreakParagraph(const std::shared_ptr<KXDocxParagraph>& from,
                                             const KXDocx_SectPr& record) {
    // The break paragraph takes the paragraph and run properties of the paragraph it comes from,
    // but next to no height: the bands are laid out to fill the page, and a line of that
    // paragraph's height more pushes what follows down (a page number in a band of its own at the
    // foot goes onto a page of its own) or, at the foot of a page, spills onto a page of its own.
    KXDocx_PPr p = from ? from->pProperty() : KXDocx_PPr{};
    const KXDocx_RPr r = from ? from->rProperty() : KXDocx_RPr{};
    if (from) {
        p.spacing.before = 0;
        p.spacing.after = 0;
        p.spacing.line = kBreakParagraphLine;
        p.spacing.lineRule = "exact";
    }
    allWriteXMLObjects_.push_back(KXDocxProperty::NewWrite1BlankParagraphWithProperty(p, r, record));
}

void KXDocxPageSection::alignBlankParagraphs(const KXDocxParagraphArray& blanks,
                                             const std::shared_ptr<KXDocxParagraph>& sample, bool append) {
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
        if (append) allWriteXMLObjects_.push_back(blank);
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

void KXDocxPageSection::placeTablesInColumns(KXDocxTableArray& tables) {
    if (paragraphGroupArray_.empty() || tables.empty()) return;
    const kx::Rect area = columGroupFrame_.insetBy(-20, -20);
    KXDocxTableArray placed;
    for (const auto& table : tables) {
        if (area.isNull() || !area.contains(table->bounds())) continue;
        double x = sectProperty_.pgMar.left;
        const bool columns = sectProperty_.cols.num >= 2;
        for (size_t i = 0; i < paragraphGroupArray_.size(); ++i) {
            const KXDocx_Col col = i < sectProperty_.cols.col.size() ? sectProperty_.cols.col[i] : KXDocx_Col{};
            const double width =
                columns ? col.colWidth : sectProperty_.pgSz.w - sectProperty_.pgMar.left - sectProperty_.pgMar.right;
            const kx::Rect column =
                kx::Rect(x, columGroupFrame_.origin.y, width, columGroupFrame_.size.height).insetBy(-5, -5);
            if (columns) x += col.colWidth + col.colSpace;
            if (column.isNull() || !column.contains(table->bounds())) continue;
            KXDocxWriterObjectArray& objects = paragraphGroupArray_[i];
            const kx::Rect band = table->bounds().insetBy(-1000, -5);
            long first = -1, lastCovered = -1;
            KXDocxParagraphArray covered;
            for (size_t k = 0; k < objects.size(); ++k) {
                auto p = std::dynamic_pointer_cast<KXDocxParagraph>(objects[k]);
                if (!p || !band.contains(p->contentFrame())) continue;
                if (first < 0) first = static_cast<long>(k);
                lastCovered = static_cast<long>(k);
                covered.push_back(p);
            }
            if (covered.empty()) continue;
            // The table takes the place of the paragraphs beside it: only blank ones can give it. Text
            // (or a picture) beside a table stays where it is, and the table floats.
            if (std::any_of(objects.begin() + first, objects.begin() + lastCovered + 1, [](const auto& object) {
                    auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object);
                    return !p || !p->allRunTextArray().empty() ||
                           std::any_of(p->writeRunGroupArray().begin(), p->writeRunGroupArray().end(),
                                       [](const auto& group) { return !group.empty(); });
                }))
                break;
            const std::vector<KXDocxWriterObjectArray> before{
                KXDocxWriterObjectArray(objects.begin(), objects.begin() + first)};
            const std::vector<KXDocxWriterObjectArray> after{
                KXDocxWriterObjectArray(objects.begin() + lastCovered + 1, objects.end())};
            KXDocxTableArray one{table};
            KXDocxWriterObjectArray result = InsertTables(one, covered, &before, &after);
            KXDocxWriterObjectArray rebuilt = before.front();
            rebuilt.insert(rebuilt.end(), result.begin(), result.end());
            rebuilt.insert(rebuilt.end(), after.front().begin(), after.front().end());
            objects = std::move(rebuilt);
            placed.push_back(table);
            break;
        }
    }
    std::erase_if(tables, [&](const auto& t) { return std::find(placed.begin(), placed.end(), t) != placed.end(); });
}

void KXDocxPageSection::writeContent(KXDocxTableArray& tables) {
    placeTablesInColumns(tables);
    for (size_t c = 0; c < paragraphGroupArray_.size(); ++c) {
        const auto& column = paragraphGroupArray_[c];
        for (size_t i = 0; i < column.size(); ++i) {
            const auto& object = column[i];
            if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object)) {
                KXDocx_PPr pp = p->pProperty();
                // LibreOffice lays the space above the first column's first paragraph above the
                // whole band, so every other column would start that much lower: the first column
                // keeps its space as blank paragraphs instead, however small it is.
                const double keptAbove = c == 0 ? kSmallestSpaceAboveColumns : p->rProperty().sz;
                if (i == 0 && isMultiColumn() && pp.spacing.before > keptAbove) {
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

void KXDocxPageSection::appendWithTables(const KXDocxParagraphArray& blanks, KXDocxTableArray& tables,
                                         const std::vector<KXDocxWriterObjectArray>* paragraphArray0,
                                         const std::vector<KXDocxWriterObjectArray>* paragraphArrayN,
                                         const kx::Rect& frame) {
    KXDocxTableArray found = FindBlankParagraphArray(frame, tables);
    if (found.empty()) {
        allWriteXMLObjects_.insert(allWriteXMLObjects_.end(), blanks.begin(), blanks.end());
        return;
    }
    KXDocxWriterObjectArray result = InsertTables(found, blanks, paragraphArray0, paragraphArrayN);
    removeTables(tables, found);
    allWriteXMLObjects_.insert(allWriteXMLObjects_.end(), result.begin(), result.end());
}

void KXDocxPageSection::removeTables(KXDocxTableArray& tables, const KXDocxTableArray& placed) {
    std::erase_if(tables, [&](const auto& t) { return std::find(placed.begin(), placed.end(), t) != placed.end(); });
}

void KXDocxPageSection::writeWithXMLWriter(XMLFileWriter& writer) {
    allWriteXMLObjects_.clear();
    const bool multi = isMultiColumn();

    // The tables given to this band, with their properties; one without a row is never written.
    KXDocxTableArray tables;
    for (const auto& run : allTableArray_) {
        auto table = std::dynamic_pointer_cast<KXDocxTable>(run);
        if (!table || !table->isWritable()) continue;
        table->setSectProperty(sectProperty_);
        table->convertToXMLProperty();
        tables.push_back(table);
    }

    // Head blank paragraphs.
    if (!headBlankParagraphArray_.empty()) {
        alignBlankParagraphs(headBlankParagraphArray_, firstParagraph(), tables.empty());
        if (!tables.empty())
            appendWithTables(headBlankParagraphArray_, tables, nullptr, &paragraphGroupArray_,
                             FrameOfParagraphArray(headBlankParagraphArray_, true));
    }

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

    writeContent(tables);

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
        alignBlankParagraphs(footBlankParagraphArray_, lastParagraph(), tables.empty());
        footBlanksWritten = true;
        if (!tables.empty()) {
            // One column: the whole width of a page with equal side margins, and 10 pt more each side.
            const kx::Rect frame =
                multi && !paragraphGroupArray_.empty()
                    ? FrameOfParagraphArray(footBlankParagraphArray_, true)
                    : kx::Rect(-10, sectionFrame_.origin.y, 2 * sectionFrame_.origin.x + sectionFrame_.size.width + 20,
                               sectionFrame_.size.height);
            appendWithTables(footBlankParagraphArray_, tables, &paragraphGroupArray_, nullptr, frame);
        }
    } else if (!tables.empty() && footBlankHeight_ > 1) {
        // No foot blank paragraphs: tables in the empty gap below the text.
        if (multi) {
            const auto last = lastParagraph();
            KXDocx_SectPr record = breakRecord(last);
            if (newPageRule(true)) record.type = 0;
            appendBreakParagraph(last, record);
            footBlanksWritten = true;
        }
        const double y = sectionFrame_.maxY() - footBlankHeight_;
        const kx::Rect frame =
            multi ? kx::Rect(sectionFrame_.origin.x, y, sectionFrame_.size.width, footBlankHeight_)
                  : kx::Rect(-10, y, 2 * sectionFrame_.origin.x + sectionFrame_.size.width + 20, footBlankHeight_);
        KXDocxTableArray found = FindBlankParagraphArray(frame, tables);
        if (!found.empty()) {
            KXDocxWriterObjectArray result =
                CreateParagraphsAndTables(found, frame, lastParagraph(), &paragraphGroupArray_, nullptr);
            removeTables(tables, found);
            // Up to the last table: the blank paragraphs after it would only push the next band down.
            size_t end = 0;
            for (size_t i = 0; i < result.size(); ++i)
                if (std::dynamic_pointer_cast<KXDocxTable>(result[i])) end = i + 1;
            allWriteXMLObjects_.insert(allWriteXMLObjects_.end(), result.begin(), result.begin() + static_cast<long>(end));
        }
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
            // A band of columns whose opening break began the page after its head blank
            // paragraphs goes on on that page, as it does on every other page: with the new-page
            // rule in full, the document's last page began a second time, its columns on a page
            // of their own.
            record.type = !footBlanksWritten && newPageRule(multi) ? 0 : 1;
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

    // Tables that found no room in the flow float, anchored to the paragraph at their corner (or
    // to the band's first paragraph). A table with no paragraph at all to hold it is written in the
    // flow at the end of the band's content, before its section break.
    for (const auto& table : tables) {
        table->changeXMLPropertyTextWrappingToFloatTextBox();
        if (auto p = insertParagraph(table->bounds().origin)) {
            table->setTextBoxRelativeParagraph(p.get());
            p->insertRunPictArray({table});
        } else if (auto first = firstParagraph()) {
            first->insertRunPictArray({table});
        } else {
            table->changeXMLPropertyTextWrappingToNone();
            auto end = allWriteXMLObjects_.end();
            while (end != allWriteXMLObjects_.begin() && std::dynamic_pointer_cast<KXDocxProperty>(*(end - 1))) --end;
            allWriteXMLObjects_.insert(end, table);
        }
    }

    for (const auto& object : allWriteXMLObjects_) {
        auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object);
        if (p && typeid(*p) == typeid(KXDocxParagraph) && p->isCanIgnore()) continue;
        object->writeWithXMLWriter(writer);
    }
}
