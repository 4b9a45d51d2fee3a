#include "docx/page/layout/KXDocxTable.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "docx/model/KXDocxCounters.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXDocxVMLShapeTypes.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"

namespace {

constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
constexpr std::string_view V = KXOpenXMLNameSpace::nameSpace_v();
constexpr std::string_view O = KXOpenXMLNameSpace::nameSpace_o();
constexpr std::string_view W10 = KXOpenXMLNameSpace::nameSpace_w10();
constexpr int kAnchorNone = 0, kAnchorPage = 2, kDxa = 2;
// A row keeps at least this much height when its bottom rule is taken into it.
constexpr double kLeastRowHeight = 1;
// Within this much of a whole twentieth of a point, a height is that whole twentieth.
constexpr double kTwipSlack = 1e-3;

bool drawn(const KXDocx_Border& b) { return b.val >= 2; }

}  // namespace

KXDocxTable::KXDocxTable()
    : sectProperty_(KXDocxUtilities::defaultSectPropertyHiden()),
      tblProperty_(KXDocxUtilities::defaultTblProperty()),
      tblGridProperty_(KXDocxUtilities::defaultTblGridProperty()) {}

std::string KXDocxTable::description() const {
    return kx::format(
        "<KXDocxTable: %p:[minPDFScanIndex:%llu, maxPDFScanIndex:%llu][tableRowArrayCount:%zu, "
        "cellGroupArrayCount:%zu][rowCount:%d, columnCount:%d][bounds:[%f, %f, %f, %f]]>",
        static_cast<const void*>(this), static_cast<unsigned long long>(minPDFScanIndex_),
        static_cast<unsigned long long>(maxPDFScanIndex_), tableRowArray_.size(), cellGroupArray_.size(),
        tblProperty_.rowCount, tblProperty_.columnCount, bounds_.origin.x, bounds_.origin.y, bounds_.size.width,
        bounds_.size.height);
}

bool KXDocxTable::isWritable() const {
    if (tableRowArray_.empty()) return false;
    return std::all_of(tableRowArray_.begin(), tableRowArray_.end(),
                       [](const auto& row) { return !row->tableCellArray().empty(); });
}

void KXDocxTable::convertToXMLProperty() {
    changeXMLPropertyTextWrappingToAround();
    tblProperty_.tblBorders = KXDocxUtilities::defaultTableBorders();
    tblProperty_.rowCount = 0;
    tblProperty_.columnCount = 0;
    if (!tableRowArray_.empty()) {
        const KXDocxTableCellArray& first = tableRowArray_.front()->tableCellArray();
        tblProperty_.rowCount = static_cast<int>(tableRowArray_.size());
        tblProperty_.columnCount = static_cast<int>(first.size());
        tblGridProperty_.gridCol.clear();
        for (const auto& cell : first) tblGridProperty_.gridCol.push_back(static_cast<float>(cell->bounds().width()));
    }
    for (const auto& row : tableRowArray_) {
        for (const auto& cell : row->tableCellArray()) cell->createXMLProperty();
        row->createXMLProperty();
    }
    optimizeXMLProperty();
}

void KXDocxTable::changeXMLPropertyTextWrappingToNone() {
    isWrappingToFloatTextBox_ = false;
    tblProperty_.tblpPr = KXDocxUtilities::defaultTblpProperty();
    tblProperty_.tblpPr.vertAnchor = kAnchorNone;
    tblProperty_.tblpPr.horzAnchor = kAnchorNone;
    tblProperty_.jc = 0;
    tblProperty_.tblInd = {static_cast<float>(bounds_.origin.x - sectProperty_.pgMar.left), kDxa};
}

void KXDocxTable::changeXMLPropertyTextWrappingToAround() {
    isWrappingToFloatTextBox_ = false;
    tblProperty_.tblpPr = KXDocxUtilities::defaultTblpProperty();
    tblProperty_.tblpPr.vertAnchor = kAnchorPage;
    tblProperty_.tblpPr.horzAnchor = kAnchorPage;
    double x = bounds_.origin.x, y = bounds_.origin.y;
    if (superTable_) {
        x -= sectProperty_.pgMar.left;
        y -= sectProperty_.pgMar.top;
    }
    tblProperty_.tblpPr.tblpX = static_cast<float>(x);
    tblProperty_.tblpPr.tblpY = static_cast<float>(y);
    tblProperty_.jc = 0;
    tblProperty_.tblInd = {0, kDxa};
}

void KXDocxTable::changeXMLPropertyTextWrappingToFloatTextBox() {
    isWrappingToFloatTextBox_ = true;
    tblProperty_.tblpPr = KXDocxUtilities::defaultTblpProperty();
    tblProperty_.tblpPr.vertAnchor = kAnchorNone;
    tblProperty_.tblpPr.horzAnchor = kAnchorNone;
    tblProperty_.jc = 0;
    tblProperty_.tblInd = {tblProperty_.tblBorders.left.sz, kDxa};
}

void KXDocxTable::optimizeXMLProperty() {
    createMergeCellsGroup();
    for (const auto& row : tableRowArray_)
        for (const auto& cell : row->tableCellArray()) cell->createParagraphArrayIfNeed();
    for (const auto& group : cellGroupArray_) group->createParagraphArrayIfNeed();

    const std::shared_ptr<KXDocxTableCell> F = firstTableCell(), L = lastTableCell();
    if (!F) return;
    KXDocx_Borders& t = tblProperty_.tblBorders;
    const KXDocx_Borders& f = F->tcProperty().tcBorders;
    const KXDocx_Borders l = L ? L->tcProperty().tcBorders : KXDocx_Borders{};
    t.top = f.top;
    t.left = f.left;
    t.right = l.right;
    t.bottom = l.bottom;
    t.insideV = drawn(l.left) ? l.left : drawn(f.right) ? f.right : KXDocxUtilities::defaultBorder_SingleLine();
    t.insideH = drawn(l.top) ? l.top : drawn(f.bottom) ? f.bottom : KXDocxUtilities::defaultBorder_SingleLine();
}

void KXDocxTable::createMergeCellsGroup() {
    KXDocxTableCellRowArray rows;
    for (const auto& row : tableRowArray_) {
        for (const auto& cell : row->tableCellArray()) cell->setSuperTableCellGroup(nullptr);
        rows.push_back(row->tableCellArray());
    }
    cellGroupArray_.clear();
    for (KXDocxTableCellRowArray& block : KXDocxTableCellGroup::FindAllRowGroupCells(rows))
        cellGroupArray_.push_back(std::make_shared<KXDocxTableCellGroup>(std::move(block)));
    // The texts each group's member cells hold, gathered once rather than searched for each text.
    std::vector<std::unordered_set<const KXDocxRunText*>> memberTexts(cellGroupArray_.size());
    for (size_t g = 0; g < cellGroupArray_.size(); ++g)
        for (const auto& members : cellGroupArray_[g]->tableRowArray())
            for (const auto& member : members)
                for (const auto& text : member->allRunTextArray()) memberTexts[g].insert(text.get());
    for (const auto& run : allRunTextArray_) {
        const kx::Rect r = run->displayRect();
        for (size_t g = 0; g < cellGroupArray_.size(); ++g) {
            const auto& group = cellGroupArray_[g];
            // A text a member cell holds stays with the group even when it reaches out of the group's
            // frame: the member writes nothing of its own.
            const bool held = group->bounds().insetBy(-1.0, -1.0).contains(r) || memberTexts[g].contains(run.get());
            if (held) group->addRunTextIfNeed(run);
        }
    }
}

void KXDocxTable::writeWithXMLWriter(XMLFileWriter& writer) {
    if (!isWritable()) return;
    if (isWrappingToFloatTextBox_) writeTextBoxStartWithXMLWriter(writer);
    writer.writeStartElementWithNamespace(W, "tbl");
    KXDocxUtilities::WriteTblProperty(tblProperty_, writer);
    KXDocxUtilities::WriteTblGridProperty(tblGridProperty_, writer);
    if (tblProperty_.tblpPr.horzAnchor == kAnchorNone) {
        const double e = (textWrappingToNoneMarginTop_ + textWrappingToNoneMarginBottom_) /
                         static_cast<double>(tableRowArray_.size());
        if (e != 0 && std::isfinite(e))
            for (const auto& row : tableRowArray_) {
                KXDocx_TrPr p = row->trProperty();
                p.trHeight.val += static_cast<float>(e);
                row->setTrProperty(p);
            }
    }
    writeRows(writer);
    writer.writeEndElementWithNamespace(W, "tbl");
    if (isWrappingToFloatTextBox_) writeTextBoxEndWithXMLWriter(writer);
}

void KXDocxTable::writeRows(XMLFileWriter& writer) {
    // The rows together are as high as the table stands on the page, and no higher: a table that
    // fills the page to its bottom margin must not push its last row onto a page of its own. Heights
    // are written in whole twentieths of a point, each row taking what the rows before it left over
    // of their rounding (so that the rounding of many rows never adds up), and the last row keeps
    // its bottom rule within its height (a word processor draws the table's last rule below it).
    std::vector<KXDocx_TrPr> written;
    written.reserve(tableRowArray_.size());
    for (const auto& row : tableRowArray_) written.push_back(row->writtenTrProperty());
    if (!written.empty()) {
        KXDocx_TrPr& last = written.back();
        const double rule = KXDocxBorderDisplayWidth(tableRowArray_.back()->trProperty().bottom);
        if (rule > 0 && last.trHeight.val - rule >= kLeastRowHeight)
            last.trHeight.val = static_cast<float>(last.trHeight.val - rule);
    }
    double total = 0;
    long long twips = 0;
    for (KXDocx_TrPr& p : written) {
        total += p.trHeight.val;
        const long long upTo = static_cast<long long>(std::floor(total * 20 + kTwipSlack));
        p.trHeight.val = static_cast<float>(static_cast<double>(upTo - twips) / 20);
        twips = upTo;
    }
    for (size_t i = 0; i < tableRowArray_.size(); ++i) tableRowArray_[i]->writeWithXMLWriter(writer, written[i]);
}

void KXDocxTable::writeTextBoxStartWithXMLWriter(XMLFileWriter& writer) {
    writer.writeStartElementWithNamespace(W, "r");
    writer.writeStartElementWithNamespace(W, "rPr");
    writer.writeEndElement();
    writer.writeStartElementWithNamespace(W, "pict");

    const kx::Rect box = bounds_.insetBy(-tblProperty_.tblBorders.left.sz, -tblProperty_.tblBorders.top.sz);
    double top = box.origin.y;
    if (textBoxRelativeParagraph_) top -= textBoxRelativeParagraph_->contentFrame().origin.y;
    // Stacked by the shapes' counter, negated: each later table stands behind the one before it.
    const long long zIndex = -static_cast<long long>(KXDocxCounters::sharedInstance().nextShapeZIndex());
    std::string style = kx::format("position:%s;left:%0.0f;text-align:%s;", "absolute", 0.0, "left");
    style += kx::format("margin-left:%0.0fpt;width:%0.0fpt;height:%0.0fpt;", box.origin.x, box.size.width,
                        box.size.height);
    style += kx::format("z-index:%lld;mso-position-horizontal-relative:%s;", zIndex, "page");
    style += kx::format("margin-top:%0.0fpt;mso-position-vertical-relative:%s;v-text-anchor:%s", top,
                        textBoxRelativeParagraph_ ? "paragraph" : "page", "top");

    // The document's text-box type (defined once, before its first use); every table's box carries
    // the same id and o:spid.
    const std::string type =
        KXDocxVMLShapeTypes::sharedInstance().writeShapeTypeIfNeed(writer, KXDocxVMLShapeTypes::Kind::TextBox);
    writer.writeStartElementWithNamespace(V, "shape");
    writer.writeAttribute("id", "TextBox 1");
    writer.writeAttributeWithNamespace(O, "spid", "_x0000_t202");
    writer.writeAttribute("type", type);
    writer.writeAttribute("style", style);
    writer.writeAttribute("filled", "false");
    writer.writeAttribute("stroked", "false");
    writer.writeStartElementWithNamespace(V, "textbox");
    writer.writeAttribute("inset", "0,0,0,0");
    writer.writeStartElementWithNamespace(W, "txbxContent");
}

void KXDocxTable::writeTextBoxEndWithXMLWriter(XMLFileWriter& writer) {
    // The story of a text box ends with a paragraph, as a cell does.
    writer.writeStartElementWithNamespace(W, "p");
    writer.writeEndElement();
    writer.writeEndElement();  // txbxContent
    writer.writeEndElement();  // textbox
    writer.writeStartElementWithNamespace(W10, "wrap");
    writer.writeAttribute("type", "none");
    writer.writeEndElement();
    writer.writeEndElement();  // shape
    writer.writeEndElement();  // pict
    writer.writeEndElement();  // r
}

std::shared_ptr<KXDocxTableCell> KXDocxTable::firstTableCell() const {
    if (tableRowArray_.empty() || tableRowArray_.front()->tableCellArray().empty()) return nullptr;
    return tableRowArray_.front()->tableCellArray().front();
}

std::shared_ptr<KXDocxTableCell> KXDocxTable::lastTableCell() const {
    if (tableRowArray_.empty() || tableRowArray_.back()->tableCellArray().empty()) return nullptr;
    return tableRowArray_.back()->tableCellArray().back();
}

std::shared_ptr<KXDocxParagraph> KXDocxTable::defaultParagraph() {
    if (defaultParagraph_) return defaultParagraph_;
    for (const auto& row : tableRowArray_)
        if (auto p = row->defaultParagraph()) {
            defaultParagraph_ = p;
            break;
        }
    return defaultParagraph_;
}
