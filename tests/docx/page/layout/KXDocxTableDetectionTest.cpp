// Tables found on a page drawn with ruling lines, from the page's paths and texts to the written
// WordprocessingML: the grid, merged cells across and down, texts in their cells, shading, border
// styles, lines drawn inside a cell, the column limit, and what stays on the page.

#include <gtest/gtest.h>

#include <regex>

#include "TableFixtures.h"
#include "docx/page/KXDocxPage.h"
#include "docx/page/layout/KXDocxTable.h"
#include "docx/page/layout/KXDocxTableManager.h"

using namespace kx::tabletest;

namespace {

struct Placed {
    size_t row, column;
    std::u16string text;
};

// What a cell shows: its text (without the blank paragraphs that place it), its span, its vertical
// merge.
std::string describe(const WrittenCell& cell) {
    std::string s;
    for (char ch : cell.text)
        if (ch != '\n') s.push_back(ch);
    if (cell.gridSpan > 1) s += "|span=" + std::to_string(cell.gridSpan);
    if (!cell.vMerge.empty()) s += "|" + cell.vMerge;
    return s;
}

std::vector<std::vector<std::string>> describe(const WrittenTable& table) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& row : table.rows) {
        rows.emplace_back();
        for (const auto& cell : row) rows.back().push_back(describe(cell));
    }
    return rows;
}

std::string show(const std::vector<std::vector<std::string>>& rows) {
    std::string s;
    for (const auto& row : rows) {
        s += "[";
        for (const auto& c : row) s += "\"" + c + "\" ";
        s += "]\n";
    }
    return s;
}

struct Converted {
    std::string xml;
    std::vector<WrittenTable> tables;
};

Converted convert(const KXDocxRunPathArray& paths, const KXDocxRunTextArray& texts) {
    MemoryDocument document;
    auto page = pageWith(document, paths, texts);
    page->endWritePage(1);
    Converted c;
    c.xml = document.finish();
    c.tables = writtenTables(c.xml);
    return c;
}

// The grid's paths first, then one word per placed text.
Converted convertGrid(const Grid& grid, const std::vector<Placed>& placed, KXDocxRunPathArray extra = {}) {
    std::uint64_t scan = 0;
    KXDocxRunPathArray paths = extra;
    scan = paths.size();
    for (const auto& p : gridRuns(grid, scan)) paths.push_back(p);
    KXDocxRunTextArray texts;
    for (const Placed& p : placed) texts.push_back(cellText(grid, p.row, p.column, p.text, scan++));
    return convert(paths, texts);
}

}  // namespace

TEST(KXDocxTableDetection, GridsBecomeTables) {
    struct Case {
        const char* what;
        Grid grid;
        std::vector<Placed> texts;
        std::vector<std::vector<std::string>> expected;
    };
    Grid simple;
    simple.widths = {80, 80, 80};
    simple.heights = {20, 20, 20};

    Grid header;  // "Figures" spans the last three columns of the first row
    header.widths = {80, 60, 60, 60};
    header.heights = {20, 20, 20};
    header.vertical = [](size_t r, size_t c) { return !(r == 0 && (c == 2 || c == 3)); };

    Grid down;  // the first column's label spans all four rows
    down.widths = {80, 60, 60};
    down.heights = {20, 20, 20, 20};
    down.horizontal = [](size_t r, size_t c) { return !(c == 0 && r >= 1 && r <= 3); };

    Grid block;  // a 2 × 2 block without inner lines in the middle of a 4 × 4 grid
    block.widths = {60, 60, 60, 60};
    block.heights = {20, 20, 20, 20};
    block.horizontal = [](size_t r, size_t c) { return !(r == 2 && (c == 1 || c == 2)); };
    block.vertical = [](size_t r, size_t c) { return !(c == 2 && (r == 1 || r == 2)); };

    const Case cases[] = {
        {"a simple grid",
         simple,
         {{0, 0, u"A"}, {0, 1, u"B"}, {0, 2, u"C"}, {1, 0, u"D"}, {1, 1, u"E"}, {1, 2, u"F"}, {2, 0, u"G"},
          {2, 1, u"H"}, {2, 2, u"I"}},
         {{"A", "B", "C"}, {"D", "E", "F"}, {"G", "H", "I"}}},
        {"a header spanning three columns",
         header,
         {{0, 0, u"Name"}, {0, 1, u"Figures"}, {1, 0, u"a"}, {1, 1, u"1"}, {1, 2, u"2"}, {1, 3, u"3"}, {2, 0, u"b"},
          {2, 1, u"4"}, {2, 2, u"5"}, {2, 3, u"6"}},
         {{"Name", "Figures|span=3"}, {"a", "1", "2", "3"}, {"b", "4", "5", "6"}}},
        {"a label spanning four rows, its text in the second",
         down,
         {{1, 0, u"GMC"}, {0, 1, u"p"}, {0, 2, u"q"}, {1, 1, u"r"}, {1, 2, u"s"}, {2, 1, u"t"}, {2, 2, u"u"},
          {3, 1, u"v"}, {3, 2, u"w"}},
         {{"GMC|restart", "p", "q"}, {"|continue", "r", "s"}, {"|continue", "t", "u"}, {"|continue", "v", "w"}}},
        {"a block merged both ways",
         block,
         {{1, 1, u"Block"}, {0, 0, u"a"}, {3, 3, u"z"}},
         {{"a", "", "", ""}, {"", "Block|span=2|restart", ""}, {"", "|span=2|continue", ""}, {"", "", "", "z"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Converted out = convertGrid(c.grid, c.texts);
        ASSERT_EQ(out.tables.size(), 1u) << out.xml;
        EXPECT_EQ(describe(out.tables[0]), c.expected) << show(describe(out.tables[0]));
        EXPECT_EQ(out.tables[0].gridColumns, static_cast<int>(c.grid.widths.size()));
        for (const auto& row : out.tables[0].rows)
            for (const auto& cell : row) EXPECT_TRUE(cell.endsWithParagraph);
    }
}

// The rule under a header that spans the last columns is painted as one filled path: small squares
// where the first columns' rules meet it, and a bar under the spanned columns only. The thin path
// is one rule across the whole table, so the first column's label, spanning both header rows in the
// drawing, lands in the header row that holds most of it; no word is lost.
TEST(KXDocxTableDetection, RuleUnderSomeColumnsPaintedWithTheSquaresWhereRulesMeet) {
    struct Case {
        const char* what;
        double labelBase;  // the label's baseline (its box runs from 8 above to 2 below)
        std::vector<std::vector<std::string>> expected;
    };
    Grid grid;
    grid.widths = {80, 60, 60};
    grid.heights = {20, 20, 20};
    grid.horizontal = [](size_t r, size_t) { return r != 1; };
    grid.vertical = [](size_t r, size_t c) { return !(r == 0 && c == 2); };
    const Case cases[] = {
        {"the label in the lower header row", grid.top(1) + 12,
         {{"", "Figures|span=2"}, {"State", "a", "b"}, {"x", "1", "2"}}},
        {"the label mostly above the rule", grid.top(1) + 1,
         {{"State", "Figures|span=2"}, {"", "a", "b"}, {"x", "1", "2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kx::Path rule;
        const double y = grid.top(1) - 0.25;
        rule.addRect({grid.left(0) - 0.7, y, 1.4, 0.5});
        rule.addRect({grid.left(1) - 0.25, y, 0.5, 0.5});
        rule.addRect({grid.left(1) + 0.25, y, grid.left(3) - grid.left(1) - 0.25, 0.5});
        std::uint64_t scan = 1;
        KXDocxRunPathArray paths{pathRun(rule, fillOf({0, 0, 0, 1}), 0)};
        for (const auto& p : gridRuns(grid, scan)) paths.push_back(p);
        KXDocxRunTextArray texts{textRun(u"State", grid.left(0) + 3, c.labelBase, 30, scan++)};
        for (const Placed& p : std::vector<Placed>{
                 {0, 1, u"Figures"}, {1, 1, u"a"}, {1, 2, u"b"}, {2, 0, u"x"}, {2, 1, u"1"}, {2, 2, u"2"}})
            texts.push_back(cellText(grid, p.row, p.column, p.text, scan++));
        Converted out = convert(paths, texts);
        ASSERT_EQ(out.tables.size(), 1u) << out.xml;
        EXPECT_EQ(describe(out.tables[0]), c.expected) << show(describe(out.tables[0]));
    }
}

TEST(KXDocxTableDetection, RunsOfMergedCells) {
    struct Case {
        const char* what;
        Grid grid;
        std::vector<Placed> texts;
        std::vector<std::vector<std::string>> expected;
    };
    Grid uneven;  // three cells merged in the first row, two in the second, no rule between the rows
    uneven.widths = {60, 60, 60};
    uneven.heights = {20, 20, 20};
    uneven.horizontal = [](size_t r, size_t) { return r != 1; };
    uneven.vertical = [](size_t r, size_t c) { return !((r == 0 && (c == 1 || c == 2)) || (r == 1 && c == 1)); };

    Grid split;  // four cells in a row with a rule between the second and the third only
    split.widths = {50, 50, 50, 50};
    split.heights = {20, 20};
    split.vertical = [](size_t r, size_t c) { return !(r == 0 && (c == 1 || c == 3)); };

    const Case cases[] = {
        {"runs of different lengths in neighbouring rows are not stacked",
         uneven,
         {{0, 0, u"A"}, {1, 0, u"B"}, {2, 0, u"x"}, {2, 1, u"y"}, {2, 2, u"z"}},
         {{"A|span=3"}, {"B|span=2", ""}, {"x", "y", "z"}}},
        {"a run stops at a rule; the cell after it starts the next run",
         split,
         {{0, 0, u"a"}, {0, 2, u"b"}, {1, 0, u"1"}, {1, 3, u"4"}},
         {{"a|span=2", "b|span=2"}, {"1", "", "", "4"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Converted out = convertGrid(c.grid, c.texts);
        ASSERT_EQ(out.tables.size(), 1u) << out.xml;
        EXPECT_EQ(describe(out.tables[0]), c.expected) << show(describe(out.tables[0]));
    }
}

// Neither the first cell's right rule nor the last cell's left rule is drawn: the table's inside
// borders are single lines all the same.
TEST(KXDocxTableDetection, InsideBordersOfATableWhoseCornerCellsHaveNoInnerRule) {
    Grid grid;
    grid.widths = {60, 60, 60};
    grid.heights = {20, 20};
    grid.vertical = [](size_t r, size_t c) { return !((r == 0 && c == 1) || (r == 1 && c == 2)); };
    Converted out = convertGrid(grid, {{0, 0, u"a"}, {0, 2, u"b"}, {1, 0, u"c"}, {1, 1, u"d"}});
    ASSERT_EQ(out.tables.size(), 1u) << out.xml;
    EXPECT_EQ(describe(out.tables[0]), (std::vector<std::vector<std::string>>{{"a|span=2", "b"}, {"c", "d|span=2"}}))
        << show(describe(out.tables[0]));
    EXPECT_EQ(out.tables[0].borders["insideV"], "single") << out.xml;
    EXPECT_EQ(out.tables[0].borders["insideH"], "single") << out.xml;
}

// Two cells merged at the top of the table, a rule over the second only: the merged cell takes the
// rule its first cell lacks. Inside the table it keeps to no rule where one of its cells has none.
TEST(KXDocxTableDetection, MergedCellTakesItsTopRuleFromItsCells) {
    struct Case {
        const char* what;
        size_t row;  // of the merged pair
        std::string top;
    };
    const Case cases[] = {{"at the top of the table: the rule drawn", 0, "single"},
                          {"inside the table: no rule", 1, "nil"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Grid grid;
        grid.widths = {60, 60, 60};
        grid.heights = {20, 20, 20};
        const size_t row = c.row;
        grid.horizontal = [row](size_t r, size_t col) { return !(r == row && col == 0); };
        grid.vertical = [row](size_t r, size_t col) { return !(r == row && col == 1); };
        Converted out = convertGrid(grid, {{row, 0, u"pair"}, {2, 2, u"z"}});
        ASSERT_EQ(out.tables.size(), 1u) << out.xml;
        const WrittenCell& pair = out.tables[0].rows[row][0];
        EXPECT_EQ(pair.gridSpan, 2) << show(describe(out.tables[0]));
        EXPECT_EQ(pair.borders.count("top") ? pair.borders.at("top") : "", c.top) << out.xml;
    }
}

TEST(KXDocxTableDetection, TextsFindTheirCell) {
    Grid grid;
    grid.widths = {80, 80};
    grid.heights = {30, 30};
    std::uint64_t scan = 0;
    KXDocxRunPathArray paths = gridRuns(grid, scan);
    // "across" lies over the line between the two cells of the first row, two thirds of it in the
    // second cell; "outside" lies below the table.
    KXDocxRunTextArray texts{textRun(u"across", 72 + 80 - 10, 120, 30, scan++), textRun(u"left", 75, 150, 20, scan++),
                             textRun(u"outside", 80, 250, 40, scan++)};
    Converted out = convert(paths, texts);
    ASSERT_EQ(out.tables.size(), 1u) << out.xml;
    EXPECT_EQ(describe(out.tables[0]), (std::vector<std::vector<std::string>>{{"", "across"}, {"left", ""}}))
        << show(describe(out.tables[0]));
    EXPECT_NE(out.xml.find(">outside<"), std::string::npos) << "a text on no cell stays on the page";
}

// Text beside a table, in no cell of it, stays on the page as paragraphs: it is never replaced by
// the table when the table goes into the text flow.
TEST(KXDocxTableDetection, TextBesideATableStaysOnThePage) {
    struct Case {
        const char* what;
        Grid grid;
        double besideX;  // where the lines beside the table start
    };
    Grid boxes;  // a column of six check boxes of 8 pt, 3 pt apart, each edge a path of its own
    boxes.x = 80;
    boxes.widths = {8};
    boxes.heights = {8, 3, 8, 3, 8, 3, 8, 3, 8, 3, 8};
    boxes.vertical = [](size_t r, size_t) { return r % 2 == 0; };
    Grid table;
    table.widths = {60, 60};
    table.heights = {22, 22, 22};
    const Case cases[] = {
        {"answers beside a column of check boxes", boxes, 94},
        {"notes beside a ruled table", table, 72 + 120 + 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::uint64_t scan = 0;
        KXDocxRunPathArray paths = gridRuns(c.grid, scan);
        KXDocxRunTextArray texts{textRun(u"Question above", 72, c.grid.y - 20, 80, scan++)};
        std::vector<std::string> beside;
        for (size_t i = 0; i < 6; ++i) {
            const std::u16string line = u"Line beside number " + std::u16string(1, static_cast<char16_t>(u'1' + i));
            texts.push_back(textRun(line, c.besideX, c.grid.y + 8 + 11 * static_cast<double>(i), 90, scan++));
            beside.push_back(utf8(line));
        }
        texts.push_back(textRun(u"Question below", 72, c.grid.y + 110, 80, scan++));
        Converted out = convert(paths, texts);
        ASSERT_EQ(out.tables.size(), 1u) << out.xml;
        // The letters of the runs' texts, blanks aside (the lines may be laid out anew).
        auto letters = [](const std::string& s) {
            std::string kept;
            for (char ch : s)
                if (ch != ' ') kept.push_back(ch);
            return kept;
        };
        std::string written;
        const std::regex run("<w:t(?: [^>]*)?>([^<]*)</w:t>");
        for (auto it = std::sregex_iterator(out.xml.begin(), out.xml.end(), run); it != std::sregex_iterator(); ++it)
            written += (*it)[1].str();
        for (const std::string& line : beside)
            EXPECT_NE(letters(written).find(letters(line)), std::string::npos) << line << "\n" << written;
        EXPECT_NE(written.find("Question below"), std::string::npos) << written;
    }
}

TEST(KXDocxTableDetection, ShadedCells) {
    Grid grid;
    grid.widths = {80, 80};
    grid.heights = {25, 25};
    const kx::Color grey{0.85, 0.85, 0.85, 1}, white{1, 1, 1, 1};
    // Filled boxes painted under the lines: grey behind the first row's second cell, white behind
    // the second row's first cell.
    KXDocxRunPathArray fills{rectRun(grid.cell(0, 1), 0, fillOf(grey)), rectRun(grid.cell(1, 0), 1, fillOf(white))};
    Converted out = convertGrid(grid, {{0, 0, u"a"}, {0, 1, u"b"}, {1, 0, u"c"}, {1, 1, u"d"}}, fills);
    ASSERT_EQ(out.tables.size(), 1u) << out.xml;
    const auto& rows = out.tables[0].rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1].fill, "D9D9D9");
    EXPECT_EQ(rows[0][0].fill, "");
    EXPECT_EQ(rows[1][0].fill, "") << "white on a white page is no shading";
    EXPECT_EQ(rows[1][1].text, "d");
}

TEST(KXDocxTableDetection, BorderStylesOfParallelRules) {
    struct Case {
        const char* what;
        std::vector<double> offsets;  // strokes along the table's top edge, upwards from it
        std::string style;
    };
    const Case cases[] = {
        {"one stroke", {0}, "single"},
        {"two strokes 2 pt apart", {0, 2}, "double"},
        {"three strokes 1.5 pt apart", {0, 1.5, 3}, "triple"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Grid grid;
        grid.widths = {100, 100};
        grid.heights = {25, 25};
        grid.horizontal = [](size_t r, size_t) { return r != 0; };
        KXDocxRunPathArray rules;
        std::uint64_t scan = 100;
        for (double d : c.offsets) rules.push_back(lineRun(72, 100 - d, 272, 100 - d, scan++));
        Converted out = convertGrid(grid, {{0, 0, u"a"}, {1, 1, u"b"}}, rules);
        ASSERT_EQ(out.tables.size(), 1u) << out.xml;
        EXPECT_EQ(out.tables[0].borders["top"], c.style) << out.xml;
        EXPECT_EQ(out.tables[0].borders["bottom"], "single");
        EXPECT_EQ(out.tables[0].rows.size(), 2u) << "parallel rules make one edge of the grid";
    }
}

TEST(KXDocxTableDetection, ColumnLimit) {
    struct Case {
        const char* what;
        size_t columns;
        bool table;
    };
    const Case cases[] = {{"63 columns: Word's largest table", 63, true}, {"64 columns", 64, false}, {"65 columns", 65, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Full rules across and a rule down between every two columns, 9 pt apart (rules closer than
        // 8.1 merge into one).
        KXDocxRunPathArray paths;
        std::uint64_t scan = 0;
        const double w = 9, x0 = 10, right = x0 + w * static_cast<double>(c.columns);
        for (int r = 0; r <= 2; ++r) paths.push_back(lineRun(x0, 100 + 20 * r, right, 100 + 20 * r, scan++));
        for (size_t k = 0; k <= c.columns; ++k) paths.push_back(lineRun(x0 + w * k, 100, x0 + w * k, 140, scan++));
        KXDocxRunTextArray texts{textRun(u"x", x0 + 1, 115, 5, scan++)};

        MemoryDocument document;
        auto page = pageWith(document, paths, texts);
        page->convertPath2TableIfNeed();
        EXPECT_EQ(page->allTableArray().size(), c.table ? 1u : 0u);
        EXPECT_EQ(page->allRunPathArray().size(), c.table ? 0u : paths.size()) << "the rules stay drawings";
        EXPECT_EQ(page->allRunTextArray().size(), c.table ? 0u : 1u) << "the text stays on the page";
        if (c.table) {
            auto table = std::dynamic_pointer_cast<KXDocxTable>(page->allTableArray().front());
            table->convertToXMLProperty();
            EXPECT_EQ(table->tblGridProperty().gridCount(), 63);
        }
        KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
    }
}

// Lines drawn inside a cell of a table, another table or a box, touch no line of the table but lie
// within its bounds: they are read with the table's own lines as one grid, which they cut into more
// rows and columns; every text stays in its place.
TEST(KXDocxTableDetection, LinesInsideACellJoinTheTablesGrid) {
    Grid outer;
    outer.widths = {200, 150};
    outer.heights = {100, 40};
    Grid inner;  // 20 pt inside the first cell
    inner.x = 72 + 20;
    inner.y = 100 + 20;
    inner.widths = {70, 70};
    inner.heights = {25, 25};
    struct Case {
        const char* what;
        Grid inner;
        std::vector<std::vector<std::string>> expected;
    };
    Grid box = inner;  // a box with a stub too short to count hanging from its top
    box.widths = {140};
    box.heights = {50};
    const Case cases[] = {
        {"a 2 × 2 table in the first cell",
         inner,
         {{"|span=4", "o2|restart"},
          {"|restart", "i1", "", "|restart", "|continue"},
          {"|continue", "", "i4", "|continue", "|continue"},
          {"|span=4", "|continue"},
          {"o3|span=4", ""}}},
        {"a box in the first cell",
         box,
         {{"|span=3", "o2|restart"}, {"", "i1", "", "|continue"}, {"|span=3", "|continue"}, {"o3|span=3", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::uint64_t scan = 0;
        KXDocxRunPathArray paths = gridRuns(outer, scan);
        for (const auto& p : gridRuns(c.inner, scan)) paths.push_back(p);
        KXDocxRunTextArray texts{cellText(c.inner, 0, 0, u"i1", scan++), cellText(outer, 0, 1, u"o2", scan++),
                                 cellText(outer, 1, 0, u"o3", scan++)};
        if (c.inner.widths.size() > 1) {
            texts.push_back(cellText(c.inner, 1, 1, u"i4", scan++));
        } else {
            paths.push_back(lineRun(c.inner.x + 70, c.inner.y, c.inner.x + 70, c.inner.y + 4, scan++));
        }
        Converted out = convert(paths, texts);
        ASSERT_EQ(out.tables.size(), 1u) << out.xml;
        EXPECT_EQ(describe(out.tables[0]), c.expected) << show(describe(out.tables[0]));
    }
}

// A filled box with two rules across it makes a table of three rows, also when the box runs off
// the page: its edges are ruling lines wherever they lie.
TEST(KXDocxTableDetection, ABoxWithRulesAcrossIsATableOnAndOffThePage) {
    struct Case {
        const char* what;
        kx::Rect box;
    };
    const Case cases[] = {
        {"a box on the page", {323, 100, 240, 600}},
        {"a box running off the top and the right of the page", {323, -246, 537, 1025}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::uint64_t scan = 0;
        KXDocxRunPathArray paths{rectRun(c.box, scan++, fillOf({0.9, 0.9, 1, 1})), lineRun(317, 219, 556, 219, scan++),
                                 lineRun(317, 488, 556, 488, scan++)};
        KXDocxRunTextArray texts{textRun(u"words", 340, 300, 40, scan++)};
        MemoryDocument document;
        auto page = pageWith(document, paths, texts);
        page->convertPath2TableIfNeed();
        ASSERT_EQ(page->allTableArray().size(), 1u);
        auto table = std::static_pointer_cast<KXDocxTable>(page->allTableArray().front());
        EXPECT_EQ(table->tableRowArray().size(), 3u);
        EXPECT_EQ(table->bounds().minY(), c.box.minY());
        EXPECT_TRUE(page->allRunTextArray().empty()) << "the text went into the table";
        KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
    }
}

TEST(KXDocxTableDetection, PageFrameBecomesBorder) {
    // A frame round 70 % of the page and a small table inside it, apart from the frame.
    const double w = 612, h = 792, fw = w * 0.84, fh = h * 0.84, fx = (w - fw) / 2, fy = (h - fh) / 2;
    std::uint64_t scan = 0;
    KXDocxRunPathArray paths{lineRun(fx, fy, fx + fw, fy, scan++), lineRun(fx, fy, fx, fy + fh, scan++),
                             lineRun(fx + fw, fy, fx + fw, fy + fh, scan++), lineRun(fx, fy + fh, fx + fw, fy + fh, scan++)};
    Grid grid;
    grid.x = 150;
    grid.y = 200;
    grid.widths = {80, 80};
    grid.heights = {20, 20};
    for (const auto& p : gridRuns(grid, scan)) paths.push_back(p);
    MemoryDocument document;
    auto page = pageWith(document, paths, {cellText(grid, 0, 0, u"a", scan++)});
    page->convertPath2TableIfNeed();
    EXPECT_EQ(page->pgBorders_offsetFrom(), 2);
    EXPECT_EQ(page->pgBorders().top.val, 2);
    EXPECT_FLOAT_EQ(page->pgBorders().top.sz, 0.5f);
    EXPECT_EQ(page->allTableArray().size(), 1u);
    EXPECT_TRUE(page->allRunPathArray().empty()) << "the frame is drawn by the border, the grid by the table";
    KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
}

// A page of more than 3000 paths is not searched for tables; nor is one whose candidate paths cut
// into more lines than the finder takes (the grouping and merging of lines cost more than in
// proportion to the lines: a dense stack of 400,000 short rules in one path took 27 s, 100,000 took
// 1.7 s). Such a page keeps its paths and texts.
TEST(KXDocxTableDetection, PagesLeftAlone) {
    struct Case {
        const char* what;
        size_t slanted;  // short slanted strokes added to a 2 × 2 grid, a path each
        size_t rules;    // short rules 4 pt apart (none touches another) added in one path
        bool searched;
    };
    const size_t most = KXDocxTableManager::kMaxTableLines - 12;
    const Case cases[] = {{"3000 paths are searched", 3000 - 12, 0, true},
                          {"3001 paths are not", 3001 - 12, 0, false},
                          {"paths cut into as many lines as the finder takes are searched", 0, most, true},
                          {"one line more and they are not", 0, most + 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Grid grid;
        grid.widths = {80, 80};
        grid.heights = {20, 20};
        std::uint64_t scan = 0;
        KXDocxRunPathArray paths = gridRuns(grid, scan);
        ASSERT_EQ(paths.size(), 12u);
        for (size_t i = 0; i < c.slanted; ++i)
            paths.push_back(lineRun(300 + (i % 50) * 5, 400 + (i / 50) * 5, 302 + (i % 50) * 5, 403 + (i / 50) * 5, scan++));
        if (c.rules > 0) {
            kx::Path rules;
            for (size_t i = 0; i < c.rules; ++i) {
                const double x = 20 + static_cast<double>(i % 140) * 4, y = 200 + static_cast<double>(i / 140) * 4;
                rules.moveTo({x, y});
                rules.lineTo({x + 2, y});
            }
            paths.push_back(pathRun(rules, strokeOf(0.5), scan++));
        }
        const size_t extra = paths.size() - 12;
        MemoryDocument document;
        auto page = pageWith(document, paths, {cellText(grid, 0, 0, u"a", scan++)});
        page->convertPath2TableIfNeed();
        EXPECT_EQ(page->allTableArray().size(), c.searched ? 1u : 0u);
        EXPECT_EQ(page->allRunPathArray().size(), c.searched ? extra : paths.size());
        EXPECT_EQ(page->allRunTextArray().size(), c.searched ? 0u : 1u);
        KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
    }
    MemoryDocument document;
    auto page = pageWith(document, {}, {textRun(u"only text", 72, 100, 50, 0)});
    page->convertPath2TableIfNeed();
    EXPECT_TRUE(page->allTableArray().empty());
    EXPECT_EQ(KXDocxTableManager::sharedInstance().superPage(), nullptr) << "no paths: the finder is not asked";
}
