#include "docx/page/layout/KXDocxTableCellGroup.h"

#include <algorithm>
#include <map>
#include <utility>

#include "docx/model/KXDocxUtilities.h"
#include "docx/page/layout/KXDocxTable.h"
#include "docx/page/layout/KXDocxTableRow.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "platform/Unicode.h"

namespace {

constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
constexpr int kRestart = 2;       // "restart"
constexpr int kContinuation = 3;  // written as a bare "vMerge"

bool visible(const KXDocx_Border& border) { return border.val > 1; }

std::uint64_t rowOf(const std::shared_ptr<KXDocxTableCell>& c) { return c->rowRange().location; }
std::uint64_t columnOf(const std::shared_ptr<KXDocxTableCell>& c) { return c->columnRange().location; }

void setBorder(KXDocxTableCell& cell, KXDocx_Border KXDocx_Borders::*side, const KXDocx_Border& border) {
    KXDocx_TcPr p = cell.tcProperty();
    p.tcBorders.*side = border;
    cell.setTcProperty(p);
}

}  // namespace

KXDocxTableCellGroup::KXDocxTableCellGroup(KXDocxTableCellRowArray rows) : tableRowArray_(std::move(rows)) {
    const KXDocxTableCellRowArray& R = tableRowArray_;
    if (R.empty() || R.front().empty() || R.back().empty()) return;
    const std::shared_ptr<KXDocxTableCell>& F = R.front().front();
    const std::shared_ptr<KXDocxTableCell>& L = R.back().back();

    setPointTopLeft(F->pointTopLeft());
    setPointTopRight(R.front().back()->pointTopRight());
    setPointBottomLeft(R.back().front()->pointBottomLeft());
    setPointBottomRight(L->pointBottomRight());
    const kx::Point tl = pointTopLeft() ? pointTopLeft()->point() : kx::Point{};
    const double right = pointTopRight() ? pointTopRight()->point().x : tl.x;
    const double bottom = pointBottomLeft() ? pointBottomLeft()->point().y : tl.y;
    setBounds(kx::Rect(tl.x, tl.y, right - tl.x, bottom - tl.y));

    setBorderTop(F->borderTop());
    setBorderLeft(F->borderLeft());
    setBorderBottom(L->borderBottom());
    setBorderRight(L->borderRight());
    setColumnRange({F->columnRange().location, R.front().size()});
    setRowRange({F->rowRange().location, R.size()});

    for (const auto& row : R)
        for (const auto& member : row) {
            member->setSuperTableCellGroup(this);
            for (const auto& nested : member->allSubTableArray())
                if (std::find(allSubTableArray().begin(), allSubTableArray().end(), nested) == allSubTableArray().end())
                    allSubTableArray().push_back(nested);
        }
    setSuperTableRow(F->superTableRow());
    allRunTextArray().clear();

    for (const auto& row : R)
        for (const auto& member : row) {
            KXDocx_TcPr p = member->tcProperty();
            p.vMerge = 0;
            member->setTcProperty(p);
        }

    KXDocx_TcPr merged = F->tcProperty();
    merged.tcBorders = BordersWithRowArray(R);
    merged.tcW = {0, 2};
    for (const auto& cell : R.front()) merged.tcW.w += cell->tcProperty().tcW.w;
    if (R.front().size() > 1) {
        merged.gridSpan = static_cast<int>(R.front().size());
        for (const auto& row : R)
            for (size_t i = 1; i < row.size(); ++i)
                setBorder(*row[i], &KXDocx_Borders::left, KXDocxUtilities::defaultBorder_None());
    }
    if (R.size() > 1) {
        merged.vMerge = kRestart;
        for (size_t r = 1; r < R.size(); ++r)
            for (const auto& cell : R[r]) setBorder(*cell, &KXDocx_Borders::top, KXDocxUtilities::defaultBorder_None());
    }
    setTcProperty(merged);
}

std::string KXDocxTableCellGroup::description() const {
    const kx::Rect& b = bounds();
    return kx::format(
        "<KXDocxTableCellGroup: %p:[rowIndex:%llu~%llu, columnIndex:%llu~%llu][cellText:%s][bounds:[%f, %f, %f, %f]]"
        "[tableRowArray:%zu]>",
        static_cast<const void*>(this), static_cast<unsigned long long>(rowRange().location),
        static_cast<unsigned long long>(rowRange().length), static_cast<unsigned long long>(columnRange().location),
        static_cast<unsigned long long>(columnRange().length), kx::utf16ToUtf8(cellText()).c_str(), b.origin.x,
        b.origin.y, b.size.width, b.size.height, tableRowArray_.size());
}

bool KXDocxTableCellGroup::isExistCell(const KXDocxTableCell* cell) const {
    for (const auto& row : tableRowArray_)
        for (const auto& member : row)
            if (member.get() == cell) return true;
    return false;
}

void KXDocxTableCellGroup::writeRowMergeEndWithXMLWriter(XMLFileWriter& writer) {
    writer.writeStartElementWithNamespace(W, "tc");
    KXDocx_TcPr p = tcProperty();
    p.tcBorders.top = KXDocxUtilities::defaultBorder_None();
    p.vMerge = kContinuation;
    const KXDocxTable* table = superTable();
    KXDocxUtilities::WriteTcProperty(p, columnRange(), rowRange(), table ? table->tblProperty() : KXDocx_TblPr{}, writer);
    writer.writeStartElementWithNamespace(W, "p");
    writer.writeStartElementWithNamespace(W, "pPr");
    writer.writeStartElementWithNamespace(W, "rPr");
    for (const char* name : {"sz", "szCs"}) {
        writer.writeStartElementWithNamespace(W, name);
        writer.writeAttributeWithNamespace(W, "val", std::string_view("5"));
        writer.writeEndElement();
    }
    writer.writeEndElement();  // rPr
    writer.writeEndElement();  // pPr
    writer.writeEndElement();  // p
    writer.writeEndElement();  // tc
}

KXDocx_Borders KXDocxTableCellGroup::BordersWithRowArray(const KXDocxTableCellRowArray& R) {
    KXDocx_Borders borders = KXDocxUtilities::defaultCellBorders();
    if (R.empty() || R.front().empty() || R.back().empty()) return borders;
    const std::shared_ptr<KXDocxTableCell>& F = R.front().front();
    const std::shared_ptr<KXDocxTableCell>& L = R.back().back();
    long lastRow = -1, lastColumn = -1;
    if (F->superTableRow() && F->superTableRow()->superTable()) {
        const KXDocx_TblPr& t = F->superTableRow()->superTable()->tblProperty();
        lastRow = t.rowCount - 1;
        lastColumn = t.columnCount - 1;
    }
    const KXDocxTableCellArray& firstRow = R.front();
    const KXDocxTableCellArray& lastRowCells = R.back();

    borders.top = F->tcProperty().tcBorders.top;
    if (rowOf(F) == 0) {
        if (!visible(borders.top))
            for (const auto& c : firstRow)
                if (visible(c->tcProperty().tcBorders.top)) {
                    borders.top = c->tcProperty().tcBorders.top;
                    break;
                }
    } else {
        for (const auto& c : firstRow)
            if (!visible(c->tcProperty().tcBorders.top)) {
                borders.top = c->tcProperty().tcBorders.top;
                break;
            }
    }

    borders.left = F->tcProperty().tcBorders.left;
    if (columnOf(F) == 0) {
        if (!visible(borders.left))
            for (const auto& row : R)
                if (visible(row.front()->tcProperty().tcBorders.left)) {
                    borders.left = row.front()->tcProperty().tcBorders.left;
                    break;
                }
    } else {
        for (const auto& row : R)
            if (!visible(row.front()->tcProperty().tcBorders.left)) {
                borders.left = row.front()->tcProperty().tcBorders.left;
                break;
            }
    }

    borders.bottom = L->tcProperty().tcBorders.bottom;
    if (static_cast<long>(rowOf(L)) != lastRow) {
        for (const auto& c : lastRowCells)
            if (!visible(c->tcProperty().tcBorders.bottom)) {
                borders.bottom = c->tcProperty().tcBorders.bottom;
                break;
            }
    } else if (!visible(borders.bottom)) {
        for (const auto& c : lastRowCells)
            if (visible(c->tcProperty().tcBorders.bottom)) {
                borders.bottom = c->tcProperty().tcBorders.bottom;
                break;
            }
    }

    borders.right = L->tcProperty().tcBorders.right;
    if (static_cast<long>(columnOf(L)) != lastColumn) {
        for (const auto& row : R)
            if (!visible(row.back()->tcProperty().tcBorders.right)) {
                borders.right = row.back()->tcProperty().tcBorders.right;
                break;
            }
    } else if (!visible(borders.right)) {
        for (const auto& row : R)
            if (visible(row.back()->tcProperty().tcBorders.right)) {
                borders.right = row.back()->tcProperty().tcBorders.right;
                break;
            }
    }
    return borders;
}

KXDocxTableCellArray KXDocxTableCellGroup::_FindSameRowIndexCells(KXDocxTableCellArray& cells) {
    KXDocxTableCellArray row;
    if (cells.empty()) return row;
    const std::uint64_t r = rowOf(cells.front());
    for (const auto& c : cells)
        if (rowOf(c) == r) row.push_back(c);
    std::erase_if(cells, [r](const auto& c) { return rowOf(c) == r; });
    return row;
}

KXDocxTableCellArray KXDocxTableCellGroup::_FindColumGroupCells(const KXDocxTableCellArray& cells) {
    KXDocxTableCellArray run;
    if (cells.empty()) return run;
    run.push_back(cells.front());
    const std::uint64_t r = rowOf(cells.front());
    std::uint64_t expected = columnOf(cells.front()) + 1;
    for (size_t i = 1; i < cells.size(); ++i) {
        if (rowOf(cells[i]) != r || columnOf(cells[i]) != expected) continue;
        run.push_back(cells[i]);
        if (!ValidateBorderInsideForXGroupCellArray(run)) {
            run.pop_back();
            break;
        }
        ++expected;
    }
    return run;
}

std::vector<KXDocxTableCellArray> KXDocxTableCellGroup::_FindAllColumGroupCells(const KXDocxTableCellRowArray& rows) {
    std::vector<KXDocxTableCellArray> runs;
    for (const auto& row : rows) {
        KXDocxTableCellArray rest = row;
        while (!rest.empty()) {
            KXDocxTableCellArray run = _FindColumGroupCells(rest);
            if (run.empty()) break;
            std::erase_if(rest, [&](const auto& c) { return std::find(run.begin(), run.end(), c) != run.end(); });
            runs.push_back(std::move(run));
        }
    }
    return runs;
}

std::vector<KXDocxTableCellArray> KXDocxTableCellGroup::_FindRowGroupCells(const std::vector<KXDocxTableCellArray>& runs) {
    std::vector<KXDocxTableCellArray> stack;
    if (runs.empty() || runs.front().empty()) return stack;
    stack.push_back(runs.front());
    const std::uint64_t c = columnOf(runs.front().front());
    std::uint64_t expected = rowOf(runs.front().front()) + 1;
    for (size_t i = 1; i < runs.size(); ++i) {
        const KXDocxTableCellArray& run = runs[i];
        if (run.size() != runs.front().size() || rowOf(run.front()) != expected || columnOf(run.front()) != c) continue;
        stack.push_back(run);
        if (!ValidateBorderInsideForYGroupCellArray(stack)) {
            stack.pop_back();
            continue;
        }
        ++expected;
    }
    return stack;
}

std::vector<KXDocxTableCellRowArray> KXDocxTableCellGroup::FindAllRowGroupCells(const KXDocxTableCellRowArray& rows) {
    const std::vector<KXDocxTableCellArray> runs = _FindAllColumGroupCells(rows);
    // What taking _FindRowGroupCells off the runs left, stack after stack, gives. A stack grows by
    // the next run down in its column, found among the runs of that row and column (in the runs'
    // order, after the last one stacked) rather than by walking every run left for each stack.
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::vector<size_t>> at;
    for (size_t i = 0; i < runs.size(); ++i)
        if (!runs[i].empty()) at[{rowOf(runs[i].front()), columnOf(runs[i].front())}].push_back(i);
    std::vector<char> gone(runs.size(), 0);
    std::vector<KXDocxTableCellArray> blocks;
    for (size_t front = 0;; ++front) {
        while (front < runs.size() && gone[front]) ++front;
        if (front == runs.size() || runs[front].empty()) break;
        const KXDocxTableCellArray& first = runs[front];
        std::vector<KXDocxTableCellArray> stack{first};
        std::vector<size_t> stacked{front};
        const std::uint64_t c = columnOf(first.front());
        for (std::uint64_t expected = rowOf(first.front()) + 1;; ++expected) {
            const auto below = at.find({expected, c});
            if (below == at.end()) break;
            bool grew = false;
            for (size_t i : below->second) {
                if (i <= stacked.back() || gone[i] || runs[i].size() != first.size()) continue;
                stack.push_back(runs[i]);
                if (!ValidateBorderInsideForYGroupCellArray(stack)) {
                    stack.pop_back();
                    continue;
                }
                stacked.push_back(i);
                grew = true;
                break;
            }
            if (!grew) break;
        }
        // Each stacked run leaves the runs as the first one left that is equal to it.
        for (size_t s : stacked) {
            const std::vector<size_t>& same = at[{rowOf(runs[s].front()), columnOf(runs[s].front())}];
            for (size_t i : same)
                if (!gone[i] && runs[i] == runs[s]) {
                    gone[i] = 1;
                    break;
                }
        }
        if (stack.size() == 1 && stack.front().size() == 1) continue;
        KXDocxTableCellArray flat;
        for (const auto& run : stack) flat.insert(flat.end(), run.begin(), run.end());
        blocks.push_back(std::move(flat));
    }
    std::vector<KXDocxTableCellRowArray> groups;
    for (KXDocxTableCellArray& block : blocks) {
        std::stable_sort(block.begin(), block.end(), [](const auto& a, const auto& b) {
            return rowOf(a) != rowOf(b) ? rowOf(a) < rowOf(b) : columnOf(a) < columnOf(b);
        });
        KXDocxTableCellRowArray group;
        while (!block.empty()) group.push_back(_FindSameRowIndexCells(block));
        groups.push_back(std::move(group));
    }
    return groups;
}

bool KXDocxTableCellGroup::ValidateBorderInsideForXGroupCellArray(const KXDocxTableCellArray& run) {
    if (run.size() < 2) return false;
    for (size_t i = 0; i < run.size(); ++i) {
        const KXDocx_Borders& b = run[i]->tcProperty().tcBorders;
        if (i + 1 < run.size() && visible(b.right)) return false;
        if (i > 0 && visible(b.left)) return false;
    }
    return KXDocxShadingIsEqual(run.front()->tcProperty().shd, run.back()->tcProperty().shd);
}

bool KXDocxTableCellGroup::ValidateBorderInsideForYGroupCellArray(const std::vector<KXDocxTableCellArray>& stack) {
    if (stack.size() < 2) return false;
    for (size_t r = 0; r < stack.size(); ++r)
        for (const auto& cell : stack[r]) {
            const KXDocx_Borders& b = cell->tcProperty().tcBorders;
            if (r + 1 < stack.size() && visible(b.bottom)) return false;
            if (r > 0 && visible(b.top)) return false;
        }
    if (stack.front().empty() || stack.back().empty()) return false;
    return KXDocxShadingIsEqual(stack.front().front()->tcProperty().shd, stack.back().back()->tcProperty().shd);
}

bool KXDocxTableCellGroup::ValidateCountForGroupRowArray(const KXDocxTableCellRowArray& rows) {
    if (rows.empty()) return false;
    if (rows.size() > 1 ? rows.front().empty() : rows.front().size() < 2) return false;
    for (const auto& row : rows)
        if (row.size() != rows.front().size()) return false;
    return true;
}

bool KXDocxTableCellGroup::ValidateIndexForGroupRowArray(const KXDocxTableCellRowArray& rows) {
    if (!ValidateCountForGroupRowArray(rows)) return false;
    const std::uint64_t r0 = rowOf(rows.front().front()), c0 = columnOf(rows.front().front());
    for (size_t k = 0; k < rows.size(); ++k)
        for (size_t i = 0; i < rows[k].size(); ++i)
            if (rowOf(rows[k][i]) != r0 + k || columnOf(rows[k][i]) != c0 + i) return false;
    return true;
}

bool KXDocxTableCellGroup::ValidateBorderInsideForGroupRowArray(const KXDocxTableCellRowArray& rows) {
    if (!ValidateCountForGroupRowArray(rows)) return false;
    const bool several = rows.size() > 1;
    for (size_t k = 0; k < rows.size(); ++k)
        for (size_t i = 0; i < rows[k].size(); ++i) {
            const KXDocx_Borders& b = rows[k][i]->tcProperty().tcBorders;
            if (i + 1 < rows[k].size() && visible(b.right)) return false;
            if (several && k + 1 < rows.size() && i + 1 < rows[k].size() && visible(b.bottom)) return false;
            if (k > 0 && i > 0 && visible(b.left)) return false;
            if (several && k > 0 && i > 0 && visible(b.top)) return false;
        }
    return true;
}

bool KXDocxTableCellGroup::ValidateBorderOutsideForGroupRowArray(const KXDocxTableCellRowArray& rows) {
    if (!ValidateCountForGroupRowArray(rows)) return false;
    const KXDocx_Borders& first = rows.front().front()->tcProperty().tcBorders;
    const KXDocx_Borders& last = rows.back().back()->tcProperty().tcBorders;
    for (const auto& c : rows.front())
        if (!KXDocxBorderIsEqual(c->tcProperty().tcBorders.top, first.top)) return false;
    for (const auto& row : rows)
        if (!KXDocxBorderIsEqual(row.front()->tcProperty().tcBorders.left, first.left)) return false;
    for (const auto& c : rows.back())
        if (!KXDocxBorderIsEqual(c->tcProperty().tcBorders.bottom, last.bottom)) return false;
    for (const auto& row : rows)
        if (!KXDocxBorderIsEqual(row.back()->tcProperty().tcBorders.right, last.right)) return false;
    return true;
}
