// Table lines: which pieces merge into one line, which lines group together, when a frame round the
// page is a frame, and the border style the lines under a cell edge draw.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <thread>

#include "TableFixtures.h"
#include "docx/page/KXDocxTableBorder.h"
#include "docx/page/KXDocxTableLine.h"
#include "docx/page/KXDocxTableManager.h"

using namespace kx::tabletest;

namespace {

std::shared_ptr<KXDocxTableLine> cutLine(double x1, double y1, double x2, double y2, double weight = 0.5,
                                         std::uint64_t scan = 0) {
    auto path = lineRun(x1, y1, x2, y2, scan, strokeOf(weight));
    return std::make_shared<KXDocxTableLine>(kx::Point{x1, y1}, kx::Point{x2, y2}, path);
}

}  // namespace

TEST(KXDocxTableLine, ParallelPiecesMerge) {
    struct Case {
        const char* what;
        KXDocxTableLineArray lines;
        size_t merged;       // lines after merging
        size_t firstPieces;  // pieces of the first result
    };
    const Case cases[] = {
        {"two strokes 5 apart: one line", {cutLine(0, 100, 100, 100), cutLine(0, 105, 100, 105)}, 1, 2},
        {"two strokes 20 apart: two lines", {cutLine(0, 100, 100, 100), cutLine(0, 120, 100, 120)}, 2, 0},
        {"pieces along one rule anywhere on it: one line", {cutLine(0, 100, 100, 100), cutLine(300, 100, 400, 100)}, 1, 2},
        {"a line of 8 never joins", {cutLine(0, 100, 100, 100), cutLine(10, 103, 18, 103)}, 2, 0},
        {"no thicker than 15.1: the fourth stroke starts a line of its own",
         {cutLine(0, 100, 100, 100), cutLine(0, 105, 100, 105), cutLine(0, 110, 100, 110), cutLine(0, 117, 100, 117)},
         2, 3},
        {"vertical strokes likewise", {cutLine(50, 0, 50, 80), cutLine(53, 0, 53, 80)}, 1, 2},
        {"a chain: the third stroke, far from the first, joins through the second",
         {cutLine(0, 100, 100, 100), cutLine(0, 107, 100, 107), cutLine(0, 114, 100, 114)}, 1, 3},
        {"a stroke far away in between is passed over, the near one after it joins",
         {cutLine(0, 100, 100, 100), cutLine(0, 300, 100, 300), cutLine(0, 104, 100, 104)}, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxTableLineArray merged = KXDocxTableLine::MergeParallelLinesIfNeed(c.lines, true);
        ASSERT_EQ(merged.size(), c.merged);
        EXPECT_EQ(merged.front()->subLineArray().size(), c.firstPieces);
    }
    // The merged line spans its pieces and lies on the first long one.
    auto merged = KXDocxTableLine::MergeParallelLinesIfNeed({cutLine(10, 105, 60, 105), cutLine(0, 100, 100, 100)}, true);
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0]->startPoint(), (kx::Point{0, 100}));
    EXPECT_EQ(merged[0]->endPoint(), (kx::Point{100, 100}));
    EXPECT_EQ(merged[0]->allRunPathArray().size(), 2u);
    EXPECT_FALSE(merged[0]->initRunPath());
}

TEST(KXDocxTableLine, TouchingLinesGroup) {
    struct Case {
        const char* what;
        KXDocxTableLineArray lines;
        bool together;
    };
    const Case cases[] = {
        {"ends 3.1 apart", {cutLine(0, 0, 100, 0), cutLine(103.1, 0, 103.1, 50)}, true},
        {"ends 3.2 apart", {cutLine(0, 0, 100, 0), cutLine(103.2, 0, 103.2, 50)}, false},
        {"a line crossing another", {cutLine(0, 50, 100, 50), cutLine(50, 0, 50, 100)}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KXDocxTableLine::IsIntersect(*c.lines[0], *c.lines[1]), c.together);
        EXPECT_EQ(KXDocxTableLine::FindIntersectLines(c.lines).size(), c.together ? 2u : 1u);
    }
    // A group of two lines makes no area and its lines become invalid; a group of three or more
    // with a third line crossing does.
    KXDocxTableLineArray two{cutLine(0, 0, 100, 0), cutLine(103.1, 0, 103.1, 50)};
    EXPECT_TRUE(KXDocxTableLine::FindIntersectLinesGroups(two).empty());
    EXPECT_TRUE(two[0]->isInvalid() && two[1]->isInvalid());
}

// The lines grouped by brute force: each time the first remaining line whose box, grown by 3.1,
// meets the box of a member joins. FindIntersectLines, asked again and again for the lines not yet
// grouped, must give the same groups in the same order, however the lines lie: in dense tables,
// spread far apart, exactly 3.1 apart, or with ends that are not finite.
TEST(KXDocxTableLine, TouchingGroupsMatchBruteForce) {
    auto touch = [](const KXDocxTableLine& a, const KXDocxTableLine& b) {
        const float t = 3.1f;
        return !(b.min_x() - t > a.max_x() || a.min_x() - t > b.max_x() || b.min_y() - t > a.max_y() ||
                 a.min_y() - t > b.max_y());
    };
    auto bruteGroups = [&](KXDocxTableLineArray rest) {
        std::vector<KXDocxTableLineArray> groups;
        while (!rest.empty()) {
            KXDocxTableLineArray group{rest.front()};
            rest.erase(rest.begin());
            for (bool grew = true; grew;) {
                grew = false;
                for (size_t i = 0; i < rest.size() && !grew; ++i)
                    for (const auto& member : group)
                        if (touch(*member, *rest[i])) {
                            group.push_back(rest[i]);
                            rest.erase(rest.begin() + static_cast<long>(i));
                            grew = true;
                            break;
                        }
            }
            groups.push_back(group);
        }
        return groups;
    };
    auto indexedGroups = [](KXDocxTableLineArray rest) {
        std::vector<KXDocxTableLineArray> groups;
        while (!rest.empty()) {
            KXDocxTableLineArray group = KXDocxTableLine::FindIntersectLines(rest);
            std::erase_if(rest, [&](const auto& l) { return std::find(group.begin(), group.end(), l) != group.end(); });
            groups.push_back(group);
        }
        return groups;
    };
    std::mt19937 random(7);
    auto pick = [&](double low, double high, double step) {
        return low + step * std::uniform_int_distribution<int>(0, static_cast<int>((high - low) / step))(random);
    };
    struct Layout {
        const char* what;
        int count;
        double extent;  // lines start within [0, extent) both ways
        double step;    // on a grid of this step
        double longest;
    };
    const Layout layouts[] = {
        {"a dense table", 400, 500, 0.5, 200},
        {"short strokes just touching or not", 300, 200, 3.1, 12},
        {"lines spread far apart", 200, 1e6, 1, 5e4},
        {"a page of long rules", 150, 800, 2, 800},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        for (int round = 0; round < 5; ++round) {
            KXDocxTableLineArray lines;
            for (int i = 0; i < layout.count; ++i) {
                const double x = pick(0, layout.extent, layout.step), y = pick(0, layout.extent, layout.step);
                const double length = pick(2, layout.longest, layout.step);
                lines.push_back(i % 2 ? cutLine(x, y, x + length, y) : cutLine(x, y, x, y - length));
            }
            if (round == 4) {
                lines.insert(lines.begin() + 10, cutLine(0, 50, HUGE_VAL, 50));
                lines.push_back(cutLine(std::nan(""), 20, 40, 20));
                // A slanted rule whose box covers the whole grid.
                lines.insert(lines.begin() + 20, cutLine(0, 0, layout.extent, layout.extent));
            }
            const auto expected = bruteGroups(lines);
            const auto got = indexedGroups(lines);
            ASSERT_EQ(got.size(), expected.size());
            for (size_t g = 0; g < got.size(); ++g) ASSERT_EQ(got[g], expected[g]) << "group " << g;
        }
    }
}

// Merging parallel pieces, which looks only at the lines near a group, must give the groups that
// trying every remaining line each time gives: longest first, each group from the first line left,
// growing by the first line beside one of its members while it stays no thicker than 15.1. Dense
// tables drawn in pieces, double rules, thick bars, lines spread far apart, ends that are not finite.
TEST(KXDocxTableLine, ParallelMergeMatchesBruteForce) {
    auto bruteGroups = [](const KXDocxTableLineArray& lines, bool isLengthExtend) {
        KXDocxTableLineArray horizontal, vertical;
        for (const auto& line : lines) (line->isHorizontalLine() ? horizontal : vertical).push_back(line);
        auto longestFirst = [](bool across) {
            return [across](const auto& a, const auto& b) {
                if (a->lineLength() != b->lineLength()) return a->lineLength() > b->lineLength();
                return across ? a->startPoint().y < b->startPoint().y : a->startPoint().x < b->startPoint().x;
            };
        };
        std::stable_sort(horizontal.begin(), horizontal.end(), longestFirst(true));
        std::stable_sort(vertical.begin(), vertical.end(), longestFirst(false));
        std::vector<KXDocxTableLineArray> groups;
        for (KXDocxTableLineArray rest : {horizontal, vertical}) {
            while (!rest.empty()) {
                KXDocxTableLineArray group{rest.front()};
                rest.erase(rest.begin());
                while (group.front()->initRunPath()) {
                    auto next = KXDocxTableLine::ContinuFindMergeParallelLines(rest, group, isLengthExtend);
                    if (!next) break;
                    KXDocxTableLineArray grown = group;
                    grown.push_back(next);
                    const kx::Rect box = KXDocxTableLine::BoundsOfTableLines(grown);
                    if ((next->isHorizontalLine() ? box.height() : box.width()) > 15.1f) break;
                    group = grown;
                    rest.erase(std::find(rest.begin(), rest.end(), next));
                }
                groups.push_back(group);
            }
        }
        return groups;
    };
    std::mt19937 random(11);
    auto pick = [&](double low, double high, double step) {
        return low + step * std::uniform_int_distribution<int>(0, static_cast<int>((high - low) / step))(random);
    };
    struct Layout {
        const char* what;
        int count;
        double extent;   // lines start within [0, extent) both ways
        double step;     // on a grid of this step
        double longest;  // and are at most this long
        double heaviest; // with strokes up to this weight
    };
    const Layout layouts[] = {
        {"a dense table drawn in pieces", 400, 300, 4, 60, 1},
        {"double rules and thick bars", 300, 400, 0.5, 300, 6},
        {"short strokes, most never joining", 300, 200, 1, 12, 2},
        {"lines spread far apart", 200, 1e6, 1, 5e4, 1},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        for (int round = 0; round < 6; ++round) {
            KXDocxTableLineArray lines;
            for (int i = 0; i < layout.count; ++i) {
                const double x = pick(0, layout.extent, layout.step), y = pick(0, layout.extent, layout.step);
                const double length = pick(2, layout.longest, layout.step), weight = pick(0.1, layout.heaviest, 0.1);
                lines.push_back(i % 3 ? cutLine(x, y, x + length, y, weight) : cutLine(x, y, x, y + length, weight));
            }
            if (round == 4) {
                lines.insert(lines.begin() + 10, cutLine(0, 50, HUGE_VAL, 50));
                lines.push_back(cutLine(std::nan(""), 20, 40, 20));
                lines.push_back(cutLine(30, std::nan(""), 30, 90));
                lines.push_back(cutLine(0, -HUGE_VAL, 0, 40));
                lines.push_back(cutLine(0, std::nan(""), 500, std::nan("")));
                lines.push_back(cutLine(HUGE_VAL, 0, HUGE_VAL, 30));
            }
            if (round == 5) lines.clear();
            for (bool isLengthExtend : {true, false}) {
                SCOPED_TRACE(isLengthExtend ? "lengths may extend" : "lengths overlap");
                const auto expected = bruteGroups(lines, isLengthExtend);
                const KXDocxTableLineArray merged = KXDocxTableLine::MergeParallelLinesIfNeed(lines, isLengthExtend);
                ASSERT_EQ(merged.size(), expected.size());
                for (size_t g = 0; g < merged.size(); ++g) {
                    if (expected[g].size() == 1) {
                        EXPECT_EQ(merged[g], expected[g].front()) << "line " << g;
                    } else {
                        EXPECT_EQ(merged[g]->subLineArray(), expected[g]) << "group " << g;
                    }
                }
            }
        }
    }
}

// A merged line holds each of its pieces and each run path under them once, where it first comes,
// however many there are: the same as adding them one by one after looking through all those held.
TEST(KXDocxTableLine, MergedLinesHoldEachPieceAndRunPathOnce) {
    auto bruteAppend = [](KXDocxRunPathArray to, const KXDocxRunPathArray& from) {
        for (const auto& item : from)
            if (item && std::find(to.begin(), to.end(), item) == to.end()) to.push_back(item);
        return to;
    };
    std::mt19937 random(5);
    auto index = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    KXDocxRunPathArray pool;
    for (std::uint64_t i = 0; i < 120; ++i) pool.push_back(lineRun(0, double(i), 100, double(i), i));
    struct Case {
        const char* what;
        size_t held, added;  // run paths already held, and handed over (drawn from the pool with repeats)
    };
    const Case cases[] = {
        {"a few", 3, 6}, {"just within the few", 10, 22}, {"many into none", 0, 200},
        {"many into many", 60, 150}, {"one into many", 80, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int round = 0; round < 4; ++round) {
            KXDocxRunPathArray held, added;
            for (size_t i = 0; i < c.held; ++i) held.push_back(pool[index(pool.size())]);
            for (size_t i = 0; i < c.added; ++i) added.push_back(i % 17 == 5 ? nullptr : pool[index(pool.size())]);
            auto line = cutLine(0, 0, 100, 0);
            const KXDocxRunPathArray start = line->allRunPathArray();
            line->add2AllRunPathArray(held);
            line->add2AllRunPathArray(added);
            EXPECT_EQ(line->allRunPathArray(), bruteAppend(bruteAppend(start, held), added));
        }
    }
    // Forty pieces along one rule, each a piece or a merged line of pieces sharing run paths.
    KXDocxTableLineArray group;
    for (int i = 0; i < 40; ++i) {
        auto piece = cutLine(10.0 * i, 100, 10.0 * i + 30, 100);
        piece->add2AllRunPathArray({pool[index(pool.size())], pool[index(pool.size())]});
        group.push_back(piece);
    }
    group.push_back(group[7]);
    KXDocxRunPathArray expected;
    for (const auto& line : group) expected = bruteAppend(expected, line->allRunPathArray());
    auto merged = KXDocxTableLine::MergeParallelLines(group);
    EXPECT_EQ(merged->allRunPathArray(), expected);
    KXDocxTableLineArray pieces(group.begin(), group.end() - 1);
    EXPECT_EQ(merged->subLineArray(), pieces);
}

TEST(KXDocxTableLine, PageFrame) {
    auto frame = [](double inset) {
        KXDocxTableLineArray lines{cutLine(50, 50, 550, 50), cutLine(50, 50, 50, 750), cutLine(550, 50, 550, 750),
                                   cutLine(50, 750, 550, 750)};
        if (inset > 0)
            for (auto l : {cutLine(50 + inset, 50 + inset, 550 - inset, 50 + inset),
                           cutLine(50 + inset, 50 + inset, 50 + inset, 750 - inset),
                           cutLine(550 - inset, 50 + inset, 550 - inset, 750 - inset),
                           cutLine(50 + inset, 750 - inset, 550 - inset, 750 - inset)})
                lines.push_back(l);
        return lines;
    };
    const auto single = KXDocxTableLine::FindRemoveFrameLinesIfNeed(frame(0));
    ASSERT_TRUE(single);
    EXPECT_EQ(single->at(0)->startPoint(), (kx::Point{50, 50})) << "top edge first";
    EXPECT_FALSE(KXDocxTableLine::FindRemoveFrameLinesIfNeed(frame(4))) << "an inner frame 4 inside: a double border";
    // A rule that reaches the left edge without being closed off by a line beside it: a table.
    KXDocxTableLineArray withRule = frame(0);
    withRule.push_back(cutLine(50, 300, 300, 300));
    EXPECT_FALSE(KXDocxTableLine::FindRemoveFrameLinesIfNeed(withRule));
}

TEST(KXDocxTableLine, BorderStyleOfLinesUnderAnEdge) {
    const kx::Point a{0, 100}, b{100, 100};
    const KXDocx_Color white{255, 255, 255, 255};
    auto invisible = [] {
        Paint p = strokeOf(0.5);
        p.strokeColor = {1, 1, 1, 1};  // white on white
        return p;
    };
    auto whiteLine = std::make_shared<KXDocxTableLine>(kx::Point{0, 102}, kx::Point{100, 102},
                                                       lineRun(0, 102, 100, 102, 0, invisible()));
    auto mergedLine = KXDocxTableLine::MergeParallelLines({cutLine(0, 104, 100, 104), cutLine(0, 106, 100, 106)});
    struct Case {
        const char* what;
        KXDocxTableLineArray lines;
        int style;
    };
    const Case cases[] = {
        {"no line", {}, 1},
        {"one stroke", {cutLine(0, 100, 100, 100)}, 2},
        {"two strokes 2 apart", {cutLine(0, 100, 100, 100), cutLine(0, 102, 100, 102)}, 15},
        {"two visible lines of different orientation", {cutLine(0, 100, 100, 100), cutLine(50, 90, 50, 110)}, 2},
        {"two visible lines, one merged from pieces", {cutLine(0, 100, 100, 100), mergedLine}, 15},
        {"only the second visible", {whiteLine, cutLine(0, 100, 100, 100)}, 2},
        {"neither visible", {whiteLine, whiteLine}, 1},
        {"three strokes 1.5 apart", {cutLine(0, 100, 100, 100), cutLine(0, 101.5, 100, 101.5), cutLine(0, 103, 100, 103)}, 23},
        {"four lines whatever they are", {whiteLine, whiteLine, whiteLine, whiteLine}, 23},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        double gap = 0;
        EXPECT_EQ(KXDocxTableLine::BorderStyleForTableLines(c.lines, a, b, white, &gap), c.style);
    }
    // One line per position: of two strokes at one place the heavier stays; of equal ones the first.
    auto thin = cutLine(0, 100, 100, 100, 1), thick = cutLine(0, 100.1, 100, 100.1, 2);
    EXPECT_EQ(KXDocxTableLine::FilterParalleStylelLines({thin, thick}), (KXDocxTableLineArray{thick}));
    auto other = cutLine(0, 100.2, 100, 100.2, 1);
    EXPECT_EQ(KXDocxTableLine::FilterParalleStylelLines({thin, other}), (KXDocxTableLineArray{thin}));
}

// An edge of a cell looks up the pieces of a long merged rule in an index instead of measuring
// them all: it must keep the same pieces, in the same order, with the same paths and style lines.
// Rules of many pieces along an edge and across it, edges long and tiny, drawn either way round,
// pieces and edge ends that are not finite.
TEST(KXDocxTableBorder, IndexedPiecesMatchMeasuringEveryPiece) {
    std::mt19937 random(3);
    auto pick = [&](double low, double high, double step) {
        return low + step * std::uniform_int_distribution<int>(0, static_cast<int>((high - low) / step))(random);
    };
    auto point = [](double x, double y, const KXDocxTableLineArray& lines) {
        auto p = std::make_shared<KXDocxTablePoint>();
        p->setPoint({x, y});
        p->setTableLines(lines);
        return p;
    };
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        // A horizontal rule at y 100 and a vertical one at x 100, each of many pieces, some a little
        // off the rule, a few of the other direction, one at times much longer than the others.
        KXDocxTableLineArray rules;
        for (bool horizontal : {true, false}) {
            KXDocxTableLineArray pieces;
            const int count = 20 + round * 3;
            for (int i = 0; i < count; ++i) {
                const double start = pick(-20, 600, 0.5), length = pick(2, i == 7 && round % 3 == 0 ? 500 : 40, 0.5);
                const double off = 100 + pick(-2, 2, 0.5);
                if (i % 11 == 5) {
                    pieces.push_back(horizontal ? cutLine(start, off, start, off + 30) : cutLine(off, start, off + 30, start));
                } else {
                    pieces.push_back(horizontal ? cutLine(start, off, start + length, off)
                                                : cutLine(off, start, off, start + length));
                }
            }
            if (round % 4 == 1) {
                pieces.push_back(horizontal ? cutLine(std::nan(""), 100, 50, 100) : cutLine(100, std::nan(""), 100, 50));
                pieces.push_back(horizontal ? cutLine(-HUGE_VAL, 100, 300, 100) : cutLine(100, 10, 100, HUGE_VAL));
            }
            rules.push_back(KXDocxTableLine::MergeParallelLines(pieces));
        }
        KXDocxTableBorder::PieceIndex index;
        size_t kept = 0;
        for (int edge = 0; edge < 30; ++edge) {
            for (bool horizontal : {true, false}) {
                double a = pick(-30, 620, 0.5), b = a + pick(-60, 120, 0.5);
                if (edge == 3) b = a + 0.5;                // tiny
                if (edge == 4 && round % 4 == 2) b = std::nan("");
                if (edge == 5 && round % 4 == 2) a = HUGE_VAL;
                // On the rule, where its merged line lies.
                const double on = horizontal ? rules[0]->startPoint().y : rules[1]->startPoint().x;
                auto p1 = horizontal ? point(a, on, rules) : point(on, a, rules);
                auto p2 = horizontal ? point(b, on, rules) : point(on, b, rules);
                KXDocxTableBorder measured(p1, p2, horizontal), looked(p1, p2, horizontal);
                ASSERT_EQ(measured.tableLines().size(), 1u);
                measured.initProcessTableLines();
                looked.initProcessTableLines(&index);
                ASSERT_EQ(looked.childLineArray(), measured.childLineArray()) << "edge " << edge;
                EXPECT_EQ(looked.allRunPaths(), measured.allRunPaths());
                EXPECT_EQ(looked.styleLineArray(), measured.styleLineArray());
                kept += measured.childLineArray().size();
            }
        }
        EXPECT_GT(kept, 0u) << "the edges keep pieces";
    }
}

// The two cells on either side of an edge share its border and both ask for its record, which is
// worked out once; lines taken off the edge afterwards, or worked out again, give a new record.
TEST(KXDocxTableBorder, RecordFollowsTheLinesUnderTheEdge) {
    const KXDocxTableLineArray lines{cutLine(0, 100, 100, 100), cutLine(0, 102, 100, 102)};
    auto point = [&](double x) {
        auto p = std::make_shared<KXDocxTablePoint>();
        p->setPoint({x, 100});
        p->setTableLines(lines);
        return p;
    };
    KXDocxTableBorder border(point(0), point(100), true);
    border.initProcessTableLines();
    EXPECT_EQ(border.borderProperty().val, 15) << "two strokes 2 apart: double";
    border.tableLines().pop_back();
    border.initProcessTableLines();
    EXPECT_EQ(border.borderProperty().val, 2) << "one stroke left";
    border.tableLines().clear();
    EXPECT_EQ(border.borderProperty().val, 1) << "no line: no border";
}

TEST(KXDocxTableManager, CandidatesAndLines) {
    struct Case {
        const char* what;
        std::shared_ptr<KXDocxRunPath> path;
        bool candidate;
        size_t lines;
    };
    kx::Path rounded;
    rounded.moveTo({0, 0});
    rounded.lineTo({50, 0});
    rounded.curveTo({60, 0}, {60, 10}, {60, 20});
    kx::Path diagonal;
    diagonal.moveTo({0, 0});
    diagonal.lineTo({50, 0});
    diagonal.lineTo({80, 30});
    const Case cases[] = {
        {"a rectangle: four lines", rectRun({10, 10, 100, 40}, 0, strokeOf(0.5)), true, 4},
        {"a filled bar 1.4 pt thick: its four edges", rectRun({10, 10, 100, 1.4}, 0, fillOf({0, 0, 0, 1})), true, 4},
        {"a filled bar 0.5 pt thick: its two long edges, the ends being no longer than 1 pt",
         rectRun({10, 10, 100, 0.5}, 0, fillOf({0, 0, 0, 1})), true, 2},
        {"a stroke 6.25 wide", lineRun(0, 0, 100, 0, 0, strokeOf(6.25)), true, 1},
        {"a stroke 6.3 wide", lineRun(0, 0, 100, 0, 0, strokeOf(6.3)), false, 0},
        {"a curve", pathRun(rounded, strokeOf(0.5), 0), false, 0},
        {"a slanted piece", pathRun(diagonal, strokeOf(0.5), 0), false, 0},
        {"a piece of 1 pt", lineRun(0, 0, 1, 0, 0), true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxTableManager finder;
        finder.addRunPathIfNeed(c.path);
        EXPECT_EQ(finder.allSampleRunPaths().size(), c.candidate ? 1u : 0u);
        EXPECT_EQ(finder.creatTableLines().size(), c.lines);
        EXPECT_EQ(c.path->isTableLine(), c.lines > 0) << "a path that gives no line stays a drawing";
    }
}

TEST(KXDocxTableManager, WalksOfSeparateFindersDoNotMeet) {
    // Two finders cutting lines at the same time, on two threads, each get exactly their own lines:
    // the walk over a path keeps no state outside the call.
    auto work = [](double offset, size_t* lines) {
        for (int round = 0; round < 200; ++round) {
            KXDocxTableManager finder;
            for (int k = 0; k < 20; ++k) finder.addRunPathIfNeed(rectRun({offset + k * 10, 10, 8.0 + k, 30}, 0, strokeOf(0.5)));
            *lines += finder.creatTableLines().size();
        }
    };
    size_t a = 0, b = 0;
    std::thread one(work, 0.0, &a), two(work, 1000.0, &b);
    one.join();
    two.join();
    EXPECT_EQ(a, 200u * 20 * 4);
    EXPECT_EQ(b, 200u * 20 * 4);
}
