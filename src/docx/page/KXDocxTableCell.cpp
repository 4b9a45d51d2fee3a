#include "docx/page/KXDocxTableCell.h"

#include <algorithm>
#include <typeinfo>

#include "docx/model/KXDocxProperty.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPage.h"
#include "docx/page/KXDocxPageSection.h"
#include "docx/page/KXDocxTable.h"
#include "docx/page/KXDocxTableCellGroup.h"
#include "docx/page/KXDocxTableManager.h"
#include "docx/page/KXDocxTableRow.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "platform/Unicode.h"
#include "util/KXConverterUtilities.h"

namespace {

constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
const KXDocx_Color kOpaqueWhite{255, 255, 255, 255};
// A filled rectangle stroked in another colour shades the cell when it covers more than this share.
constexpr float kCoveringRectangle = 0.65f;
// The smallest line and mark of the paragraph of an empty cell, points.
constexpr float kLeastEmptyParagraph = 1.0f;

template <class T>
void appendOnce(std::vector<std::shared_ptr<T>>& to, const std::shared_ptr<T>& item) {
    if (std::find(to.begin(), to.end(), item) == to.end()) to.push_back(item);
}

bool contains(const KXDocxRunPathArray& paths, const std::shared_ptr<KXDocxRunPath>& path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

// Whether the last object a section wrote is a paragraph: the objects it skips are ignorable
// paragraphs, and what stands last in a cell must be a paragraph.
bool endsWithParagraph(const KXDocxPageSection& section) {
    const KXDocxWriterObjectArray& objects = section.allWriteXMLObjects();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        const auto& object = *it;
        if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object)) {
            if (typeid(*p) == typeid(KXDocxParagraph) && p->isCanIgnore()) continue;
            return true;
        }
        if (auto property = std::dynamic_pointer_cast<KXDocxProperty>(object))
            return property->propertyWriteType() == KXDocxProperty::kWriteBlankParagraph;
        return false;
    }
    return false;
}

}  // namespace

KXDocxTableCell::KXDocxTableCell() : tcProperty_(KXDocxUtilities::defaultTcProperty()) {}

KXDocxTableCell::KXDocxTableCell(std::shared_ptr<KXDocxTablePoint> topLeft, std::shared_ptr<KXDocxTablePoint> topRight,
                                 std::shared_ptr<KXDocxTablePoint> bottomLeft,
                                 std::shared_ptr<KXDocxTablePoint> bottomRight)
    : KXDocxTableRect(topLeft, topRight, bottomLeft, bottomRight), tcProperty_(KXDocxUtilities::defaultTcProperty()) {
    borderTop_ = std::make_shared<KXDocxTableBorder>(topLeft, topRight, true);
    borderBottom_ = std::make_shared<KXDocxTableBorder>(bottomLeft, bottomRight, true);
    borderLeft_ = std::make_shared<KXDocxTableBorder>(topLeft, bottomLeft, false);
    borderRight_ = std::make_shared<KXDocxTableBorder>(topRight, bottomRight, false);
    auto takeFrom = [](KXDocxTableBorder& from, const KXDocxTableBorder& keeper) {
        KXDocxTableLineArray& lines = from.tableLines();
        std::erase_if(lines, [&](const auto& line) {
            const KXDocxTableLineArray& kept = keeper.tableLines();
            return std::find(kept.begin(), kept.end(), line) != kept.end();
        });
    };
    takeFrom(*borderTop_, *borderBottom_);
    takeFrom(*borderLeft_, *borderRight_);
}

KXDocxTableCell::KXDocxTableCell(std::shared_ptr<KXDocxTablePoint> topLeft, std::shared_ptr<KXDocxTablePoint> topRight,
                                 std::shared_ptr<KXDocxTablePoint> bottomLeft,
                                 std::shared_ptr<KXDocxTablePoint> bottomRight, std::shared_ptr<KXDocxTableBorder> top,
                                 std::shared_ptr<KXDocxTableBorder> bottom, std::shared_ptr<KXDocxTableBorder> left,
                                 std::shared_ptr<KXDocxTableBorder> right)
    : KXDocxTableRect(std::move(topLeft), std::move(topRight), std::move(bottomLeft), std::move(bottomRight)),
      tcProperty_(KXDocxUtilities::defaultTcProperty()),
      borderTop_(std::move(top)),
      borderBottom_(std::move(bottom)),
      borderLeft_(std::move(left)),
      borderRight_(std::move(right)) {}

std::string KXDocxTableCell::description() const {
    const kx::Rect& b = bounds();
    return kx::format("<KXDocxTableCell: %p:[rowIndex:%llu, columnIndex:%llu][cellText:%s][bounds:[%f, %f, %f, %f]]>",
                      static_cast<const void*>(this), static_cast<unsigned long long>(rowRange_.location),
                      static_cast<unsigned long long>(columnRange_.location), kx::utf16ToUtf8(cellText()).c_str(),
                      b.origin.x, b.origin.y, b.size.width, b.size.height);
}

KXDocxTable* KXDocxTableCell::superTable() const { return superTableRow_ ? superTableRow_->superTable() : nullptr; }

std::shared_ptr<KXDocxParagraph> KXDocxTableCell::sampleParagraph() {
    if (sampleParagraph_) return sampleParagraph_;
    if (superTableCellGroup_) return superTableCellGroup_->sampleParagraph();
    for (const auto& section : allPageSectionArray_)
        if (auto p = section->firstParagraph()) {
            sampleParagraph_ = p;
            break;
        }
    return sampleParagraph_;
}

KXDocxTableCell* KXDocxTableCell::displayTableCell() {
    return superTableCellGroup_ ? static_cast<KXDocxTableCell*>(superTableCellGroup_) : this;
}

void KXDocxTableCell::initProcessBorders() {
    for (const auto& border : {borderTop_, borderBottom_, borderLeft_, borderRight_})
        if (border) border->initProcessTableLines();
}

bool KXDocxTableCell::addRunTextIfNeed(const std::shared_ptr<KXDocxRunText>& run) {
    appendOnce(allRunTextArray_, run);
    return true;
}

bool KXDocxTableCell::addTableShadingRunPathIfNeed(const std::shared_ptr<KXDocxRunPath>& path) {
    appendOnce(tableShadingRunPaths_, path);
    return true;
}

double KXDocxTableCell::displayBoarderSizeTop() const { return KXDocxBorderDisplayWidth(tcProperty_.tcBorders.top); }
double KXDocxTableCell::displayBoarderSizeLeft() const { return KXDocxBorderDisplayWidth(tcProperty_.tcBorders.left); }
double KXDocxTableCell::displayBoarderSizeRight() const { return KXDocxBorderDisplayWidth(tcProperty_.tcBorders.right); }
double KXDocxTableCell::displayBoarderSizeBottom() const {
    return KXDocxBorderDisplayWidth(tcProperty_.tcBorders.bottom);
}

kx::Rect KXDocxTableCell::allRunTextBounds() const {
    kx::Rect bounds;
    for (const auto& run : allRunTextArray_) {
        const kx::Rect r = run->displayRect();
        bounds = bounds.size.width <= 0 ? r : bounds.unionWith(r);
    }
    return bounds;
}

std::u16string KXDocxTableCell::cellText() const {
    std::u16string text;
    for (const auto& run : allRunTextArray_) text += run->runText();
    return text;
}

KXDocxRunPathArray KXDocxTableCell::allBorderRunPaths() const {
    KXDocxRunPathArray paths;
    auto pass = [&](const std::shared_ptr<KXDocxTableBorder>& a, const std::shared_ptr<KXDocxTableBorder>& b) {
        if (!a || !b) return;
        for (const auto& path : a->allRunPaths())
            if (contains(b->allRunPaths(), path)) appendOnce(paths, path);
    };
    pass(borderTop_, borderBottom_);
    pass(borderLeft_, borderRight_);
    pass(borderBottom_, borderRight_);
    // The corner opposite the one before: a path that draws the top and the left edge outlines the
    // cell as much as one that draws the bottom and the right edge.
    pass(borderTop_, borderLeft_);
    return paths;
}

KXDocx_Shading KXDocxTableCell::cellShading() const {
    const KXDocx_Shading none = KXDocxUtilities::defaultShading();
    KXDocxRunPathArray candidates = allBorderRunPaths();
    for (const auto& path : tableShadingRunPaths_) appendOnce(candidates, path);

    const kx::Rect& cell = bounds();
    KXDocxRunPathArray filled;
    for (const auto& path : candidates) {
        const KXDocxPathInfo* info = path->pictInfo();
        if (!info || !info->filled()) continue;
        if (!info->stroked() || KXDocxColorIsEqual(info->fillColorKX(), info->strokeColorKX())) {
            filled.push_back(path);
        } else if (path->runLineType() == KXDocxRunPath::kLineTypeRect &&
                   KXConverterUtilities::PecentAreaOfIntersectRect(cell, path->boundingBox()) >
                       static_cast<double>(kCoveringRectangle)) {
            filled.push_back(path);
        }
    }
    if (filled.empty()) return none;

    bool anyStroked = false;
    std::shared_ptr<KXDocxRunPath> best;
    const double half = 0.5 * cell.width() * cell.height();
    for (const auto& path : filled) {
        anyStroked = anyStroked || path->pictInfo()->stroked();
        if (path->areaIntersectionRect(cell) > half && (!best || path->pdfScanIndex() > best->pdfScanIndex())) best = path;
    }
    if (!best || (!anyStroked && best->runLineType() != KXDocxRunPath::kLineTypeRect)) return none;

    KXDocx_Shading shading = none;
    shading.fill = best->pictInfo()->fillColorKX();
    shading.val = 1;
    if (!tableShadingRunPaths_.empty()) {
        const bool coloured = std::any_of(candidates.begin(), candidates.end(), [](const auto& path) {
            const KXDocxPathInfo* info = path->pictInfo();
            return info && info->filled() && !KXDocxColorIsEqual(info->fillColorKX(), kOpaqueWhite);
        });
        if (coloured) return shading;
    }
    const KXDocxTable* table = superTable();
    const bool whitePage = table && table->isPageWhiteBackground();
    if (whitePage && KXDocxColorIsEqual(shading.fill, kOpaqueWhite)) return none;
    return shading;
}

void KXDocxTableCell::createXMLProperty() {
    tcProperty_.tcW = {static_cast<float>(bounds().width()), 2};
    if (borderTop_) tcProperty_.tcBorders.top = borderTop_->borderProperty();
    if (borderLeft_) tcProperty_.tcBorders.left = borderLeft_->borderProperty();
    if (borderBottom_) tcProperty_.tcBorders.bottom = borderBottom_->borderProperty();
    if (borderRight_) tcProperty_.tcBorders.right = borderRight_->borderProperty();
    tcProperty_.shd = cellShading();
    tcProperty_.gridSpan = 0;
}

void KXDocxTableCell::createParagraphArrayIfNeed() {
    if (superTableCellGroup_) return;
    if (allRunTextArray_.empty()) {
        allPageSectionArray_.clear();
        return;
    }
    KXDocxPage* page = KXDocxTableManager::sharedInstance().superPage();
    KXDocx_SectPr sect = KXDocxUtilities::defaultSectPropertyHiden();
    sect.pgSz.w = page ? page->sectProperty().pgSz.w : 0;
    sect.pgSz.h = page ? page->sectProperty().pgSz.h : 0;
    const kx::Rect& b = bounds();
    const double left = displayBoarderSizeLeft(), top = displayBoarderSizeTop();
    const kx::Rect frame(b.origin.x + left, b.origin.y + top, b.size.width - left - displayBoarderSizeRight(),
                         b.size.height - top - displayBoarderSizeBottom());
    KXDocx_PgMar margins = KXDocxUtilities::defaultPageMarginProperty();
    margins.left = static_cast<float>(frame.origin.x);
    margins.top = static_cast<float>(frame.origin.y);
    margins.right = static_cast<float>(sect.pgSz.w - frame.maxX());
    margins.bottom = static_cast<float>(sect.pgSz.h - frame.maxY() - 1.0);
    sect.pgMar = margins;
    sect.type = KXDocxPageSection::kInnerSectionType;

    KXDocxRunTextArray runs = allRunTextArray_;
    std::vector<std::shared_ptr<KXDocxPageSection>> sections = KXDocxPageSection::CreatePageSection(runs, sect, false);
    if (!sections.empty()) {
        tcProperty_.vAlign = sections.front()->sectProperty().vAlign;
        for (const auto& section : sections) section->setSuperPage(page);
    }
    allPageSectionArray_ = std::move(sections);
    if (!allPageSectionArray_.empty()) {
        const double overhang = allRunTextBounds().maxY() - frame.maxY();
        if (overhang > 0) allPageSectionArray_.front()->moveUpParagraphIfNeed(overhang);
    }
}

void KXDocxTableCell::writeWithXMLWriter(XMLFileWriter& writer) {
    if (superTableCellGroup_) {
        KXDocxTableCellGroup& group = *superTableCellGroup_;
        if (columnRange_.location != group.columnRange().location) return;  // under the group's span
        if (rowRange_.location == group.rowRange().location) {
            group.writeWithXMLWriter(writer);
        } else {
            group.writeRowMergeEndWithXMLWriter(writer);
        }
        return;
    }
    writeCellWithXMLWriter(writer);
}

void KXDocxTableCell::writeCellWithXMLWriter(XMLFileWriter& writer) {
    writer.writeStartElementWithNamespace(W, "tc");

    KXDocx_TcPr properties = tcProperty_;
    if (allPageSectionArray_.empty() && superTableRow_)
        if (KXDocxTableCell* sample = superTableRow_->sampleDisplayTableCell(this))
            properties.vAlign = sample->tcProperty().vAlign;
    const KXDocxTable* table = superTable();
    KXDocxUtilities::WriteTcProperty(properties, columnRange_, rowRange_, table ? table->tblProperty() : KXDocx_TblPr{},
                                     writer);

    if (!allSubTableArray_.empty()) {
        KXDocx_SectPr sect = table ? table->sectProperty() : KXDocx_SectPr{};
        const kx::Rect& b = bounds();
        sect.pgMar.top = static_cast<float>(b.origin.y);
        sect.pgMar.left = static_cast<float>(b.origin.x);
        sect.pgMar.right = static_cast<float>(sect.pgSz.w - b.maxX());
        sect.pgMar.bottom = static_cast<float>(sect.pgSz.h - b.maxY());
        for (const auto& nested : allSubTableArray_) {
            nested->setSectProperty(sect);
            nested->convertToXMLProperty();
            nested->writeWithXMLWriter(writer);
        }
    }

    if (allPageSectionArray_.empty()) {
        writeEmptyParagraph(writer);
    } else {
        bool endsWithParagraphWritten = false;
        for (const auto& section : allPageSectionArray_) {
            section->writeWithXMLWriter(writer);
            if (!section->allWriteXMLObjects().empty()) endsWithParagraphWritten = endsWithParagraph(*section);
        }
        // A cell ends with a paragraph, also when its content wrote none after a nested table.
        if (!endsWithParagraphWritten) writeEmptyParagraph(writer);
    }

    writer.writeEndElementWithNamespace(W, "tc");
}

void KXDocxTableCell::writeEmptyParagraph(XMLFileWriter& writer) {
    std::shared_ptr<KXDocxParagraph> sample = superTableRow_ ? superTableRow_->defaultParagraph() : nullptr;
    KXDocxTable* table = superTable();
    if (!sample && table) sample = table->defaultParagraph();
    KXDocx_PPr p = sample ? sample->pProperty() : KXDocxUtilities::defaultPProperty();
    KXDocx_RPr r = sample ? sample->rProperty() : KXDocxUtilities::defaultRProperty();
    if (sample && p.jc == 2) p.ind = {};
    r.spacing = 0;
    r.u = 0;
    r.strikethrough = 0;
    const double rowHeight = superTableRow_ ? superTableRow_->bounds().height() : 0;
    const double line = p.spacing.line;
    if (line > rowHeight || line + p.spacing.before + p.spacing.after > rowHeight) {
        // The paragraph of an empty cell fits its row: no spacing, and a line and mark as high as the
        // row less a point, but never below a point (Word refuses a size of 0 and LibreOffice draws
        // a negative one at its default size). The line is that height exactly: counted in single
        // lines of a mark of the sample's size, it would be a line and more of the new mark, and
        // the row would grow.
        const float cut = std::max(static_cast<float>(rowHeight - 1.0), kLeastEmptyParagraph);
        p.spacing.line = cut;
        p.spacing.lineRule = "exact";
        p.spacing.before = 0;
        p.spacing.after = 0;
        r.sz = r.szCs = cut;
    }
    writer.writeStartElementWithNamespace(W, "p");
    KXDocxUtilities::WritePProperty(p, r, KXDocxUtilities::defaultSectPropertyHiden(),
                                    KXDocxUtilities::defaultTabsProperty(), writer);
    writer.writeEndElementWithNamespace(W, "p");
}
