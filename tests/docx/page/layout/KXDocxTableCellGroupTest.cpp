// Merged cells: the blocks of cells with no visible border between them and the same shading, found
// as runs across each row stacked down their column.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "docx/model/KXDocxUtilities.h"
#include "docx/page/layout/KXDocxTableCellGroup.h"

namespace {

// The blocks as the runs left give them: stack after stack from the first run left, each growing by
// the first later run of the next row down in its column, as wide, that keeps no visible border
// inside; a single cell makes no block.
std::vector<KXDocxTableCellRowArray> stackEveryRunLeft(const KXDocxTableCellRowArray& rows) {
    std::vector<KXDocxTableCellArray> runs = KXDocxTableCellGroup::_FindAllColumGroupCells(rows);
    std::vector<KXDocxTableCellArray> blocks;
    while (!runs.empty()) {
        std::vector<KXDocxTableCellArray> stack = KXDocxTableCellGroup::_FindRowGroupCells(runs);
        if (stack.empty()) break;
        for (const auto& run : stack) runs.erase(std::find(runs.begin(), runs.end(), run));
        if (stack.size() == 1 && stack.front().size() == 1) continue;
        KXDocxTableCellArray flat;
        for (const auto& run : stack) flat.insert(flat.end(), run.begin(), run.end());
        blocks.push_back(std::move(flat));
    }
    std::vector<KXDocxTableCellRowArray> groups;
    for (KXDocxTableCellArray& block : blocks) {
        std::stable_sort(block.begin(), block.end(), [](const auto& a, const auto& b) {
            return a->rowRange().location != b->rowRange().location ? a->rowRange().location < b->rowRange().location
                                                                     : a->columnRange().location < b->columnRange().location;
        });
        KXDocxTableCellRowArray group;
        while (!block.empty()) group.push_back(KXDocxTableCellGroup::_FindSameRowIndexCells(block));
        groups.push_back(std::move(group));
    }
    return groups;
}

}  // namespace

// Grids of cells whose inner borders are drawn or not at random, shaded alike or not; tables with
// few borders (large blocks) and many (small ones), ragged rows, and a row holding a cell twice.
TEST(KXDocxTableCellGroup, BlocksMatchStackingEveryRunLeft) {
    std::mt19937 random(9);
    struct Layout {
        const char* what;
        size_t rows, columns;
        int drawnPercent;  // share of inner borders drawn
        bool ragged;       // rows of different lengths
        bool repeated;     // a row holds one of its cells twice
    };
    const Layout layouts[] = {
        {"few borders: large blocks", 12, 8, 15, false, false},
        {"many borders: small blocks", 15, 10, 60, false, false},
        {"no borders at all", 6, 5, 0, false, false},
        {"ragged rows", 10, 7, 30, true, false},
        {"a cell twice in a row", 8, 6, 25, false, true},
    };
    auto border = [](bool drawn) {
        KXDocx_Border b = drawn ? KXDocxUtilities::defaultBorder_SingleLine() : KXDocxUtilities::defaultBorder_None();
        if (!drawn) b.val = 1;
        return b;
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        for (int round = 0; round < 8; ++round) {
            auto drawn = [&] { return std::uniform_int_distribution<int>(0, 99)(random) < layout.drawnPercent; };
            KXDocxTableCellRowArray rows;
            for (size_t r = 0; r < layout.rows; ++r) {
                KXDocxTableCellArray row;
                const size_t columns = layout.ragged ? layout.columns - r % 3 : layout.columns;
                for (size_t c = 0; c < columns; ++c) {
                    auto cell = std::make_shared<KXDocxTableCell>();
                    cell->setRowRange({r, 1});
                    cell->setColumnRange({c, 1});
                    KXDocx_TcPr p = cell->tcProperty();
                    p.tcBorders.top = border(drawn());
                    p.tcBorders.bottom = border(drawn());
                    p.tcBorders.left = border(drawn());
                    p.tcBorders.right = border(drawn());
                    if (std::uniform_int_distribution<int>(0, 9)(random) == 0) p.shd.fill = {200, 0, 0, 255};
                    cell->setTcProperty(p);
                    row.push_back(cell);
                }
                if (layout.repeated && r % 2 == 1) row.insert(row.begin() + 2, row[1]);
                rows.push_back(row);
            }
            const auto expected = stackEveryRunLeft(rows);
            const auto got = KXDocxTableCellGroup::FindAllRowGroupCells(rows);
            ASSERT_EQ(got, expected) << "round " << round;
        }
    }
}
