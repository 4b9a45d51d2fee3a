#include "docx/page/KXDocxTableRow.h"

#include <algorithm>

#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPageSection.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"

namespace {

constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
constexpr int kAtLeast = 1, kExact = 2;
constexpr double kLeastAtLeastHeight = 5;

bool drawn(const KXDocx_Border& b) { return b.val >= 2; }

}  // namespace

KXDocxTableRow::KXDocxTableRow(std::shared_ptr<KXDocxTablePoint> topLeft, std::shared_ptr<KXDocxTablePoint> topRight,
                               std::shared_ptr<KXDocxTablePoint> bottomLeft,
                               std::shared_ptr<KXDocxTablePoint> bottomRight)
    : KXDocxTableRect(std::move(topLeft), std::move(topRight), std::move(bottomLeft), std::move(bottomRight)),
      trProperty_(KXDocxUtilities::defaultTrProperty()) {}

std::string KXDocxTableRow::description() const {
    const kx::Rect& b = bounds();
    return kx::format("<KXDocxTableRow: %p:[rowIndex:%lld][bounds:[%f, %f, %f, %f]]>", static_cast<const void*>(this),
                      static_cast<long long>(rowIndex_), b.origin.x, b.origin.y, b.size.width, b.size.height);
}

void KXDocxTableRow::createXMLProperty() {
    if (!tableCellArray_.empty()) {
        const KXDocx_Borders& first = tableCellArray_.front()->tcProperty().tcBorders;
        trProperty_.top = first.top;
        trProperty_.bottom = first.bottom;
        trProperty_.left = first.left;
        trProperty_.right = first.right;
        for (size_t i = 1; i < tableCellArray_.size(); ++i) {
            const KXDocx_Borders& b = tableCellArray_[i]->tcProperty().tcBorders;
            if (drawn(b.top) && b.top.sz > trProperty_.top.sz) trProperty_.top = b.top;
            if (drawn(b.bottom) && b.bottom.sz > trProperty_.bottom.sz) trProperty_.bottom = b.bottom;
        }
        trProperty_.left = first.left;
        trProperty_.right = tableCellArray_.back()->tcProperty().tcBorders.right;
    }
    const kx::Rect& b = bounds();
    trProperty_.trHeight.val = static_cast<float>(b.height());
    const double top = KXDocxBorderDisplayWidth(trProperty_.top);
    const double bottom = KXDocxBorderDisplayWidth(trProperty_.bottom);
    kx::Rect texts = allRunTextBounds();
    texts.size.height += 2.0;
    const kx::Rect room(b.origin.x - 10, b.origin.y + top, b.size.width + 20, b.size.height - top - bottom);
    trProperty_.trHeight.hRule = room.contains(texts) ? kAtLeast : kExact;
    trProperty_.cantSplit = false;
    trProperty_.hidden = false;
}

KXDocx_TrPr KXDocxTableRow::writtenTrProperty() const {
    KXDocx_TrPr p = trProperty_;
    if (p.trHeight.hRule == kAtLeast) {
        const double top = KXDocxBorderDisplayWidth(trProperty_.top);
        p.trHeight.val = top < p.trHeight.val - kLeastAtLeastHeight ? static_cast<float>(p.trHeight.val - top)
                                                                    : static_cast<float>(kLeastAtLeastHeight);
    }
    return p;
}

void KXDocxTableRow::writeWithXMLWriter(XMLFileWriter& writer) { writeWithXMLWriter(writer, writtenTrProperty()); }

void KXDocxTableRow::writeWithXMLWriter(XMLFileWriter& writer, const KXDocx_TrPr& property) {
    writer.writeStartElementWithNamespace(W, "tr");
    KXDocxUtilities::WriteTrProperty(property, writer);
    for (const auto& cell : tableCellArray_) cell->writeWithXMLWriter(writer);
    writer.writeEndElementWithNamespace(W, "tr");
}

kx::Rect KXDocxTableRow::allRunTextBounds() const {
    kx::Rect bounds;
    for (const auto& cell : tableCellArray_)
        for (const auto& run : cell->allRunTextArray()) {
            const kx::Rect r = run->displayRect();
            bounds = bounds.size.width <= 0 ? r : bounds.unionWith(r);
        }
    return bounds;
}

std::shared_ptr<KXDocxParagraph> KXDocxTableRow::defaultParagraph() {
    if (defaultParagraph_) return defaultParagraph_;
    for (const auto& cell : tableCellArray_)
        if (auto p = cell->sampleParagraph()) {
            defaultParagraph_ = p;
            break;
        }
    return defaultParagraph_;
}

KXDocxTableCell* KXDocxTableRow::sampleDisplayTableCell(const KXDocxTableCell* cell) {
    std::vector<KXDocxTableCell*> candidates;
    auto at = std::find_if(tableCellArray_.begin(), tableCellArray_.end(), [&](const auto& c) { return c.get() == cell; });
    if (at == tableCellArray_.end()) {
        for (const auto& c : tableCellArray_) candidates.push_back(c.get());
    } else {
        for (auto it = at; it != tableCellArray_.begin();) candidates.push_back((--it)->get());
        for (auto it = at + 1; it != tableCellArray_.end(); ++it) candidates.push_back(it->get());
    }
    for (KXDocxTableCell* c : candidates) {
        KXDocxTableCell* display = c->displayTableCell();
        if (!display->allPageSectionArray().empty()) return display;
    }
    return nullptr;
}
