// The band steps on synthetic runs: text drawn over itself taken out of rows and columns of the
// same letter.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "docx/model/DocxModelFixtures.h"
#include "docx/page/layout/KXDocxBands.h"

using kx::test::makeRun;
using kx::test::RunSpec;

namespace {

// Reading positions of the runs drawn again start here.
constexpr std::uint64_t kAgain = 100000;

// `count` runs of `text`, each `step` to the right of (or, with `down`, below) the one before.
std::vector<RunSpec> repeatedRuns(const char16_t* text, size_t count, double step, bool down, double width = 10) {
    std::vector<RunSpec> placed;
    for (size_t i = 0; i < count; ++i) {
        RunSpec s;
        s.text = text;
        s.width = width;
        s.x = down ? 100 : 100 + step * static_cast<double>(i);
        s.yBase = down ? 100 + step * static_cast<double>(i) : 100;
        s.scan = i;
        placed.push_back(s);
    }
    return placed;
}

// The runs again, moved by (dx, dy), each read after all of the first.
std::vector<RunSpec> drawnAgain(std::vector<RunSpec> placed, double dx, double dy) {
    for (RunSpec& s : placed) {
        s.x += dx;
        s.yBase += dy;
        s.scan += kAgain;
    }
    return placed;
}

std::vector<RunSpec> operator+(std::vector<RunSpec> a, const std::vector<RunSpec>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

// Each case's runs drawn again (read after the first) are the ones to go, and only they: the first
// of each pair stays, whether the same letter fills its row, its column or both.
TEST(KXDocxBands, TextDrawnOverItselfGoesFromRowsAndColumnsOfTheSameLetter) {
    const std::vector<RunSpec> row = repeatedRuns(u"x", 40, 12, false), column = repeatedRuns(u"x", 40, 12, true);
    // Letters a thousandth of a point wide, each a letter on, as in type of 0.002 points.
    const std::vector<RunSpec> tiny = repeatedRuns(u"a", 3000, 0.001, false, 0.001);
    RunSpec other = row[5];
    other.sz = 12;
    other.scan = kAgain;
    RunSpec nowhere = row[7];
    nowhere.x = NAN;
    nowhere.scan = kAgain + 1;
    struct Case {
        const char* what;
        std::vector<RunSpec> runs;
        size_t again;  // how many of the runs drawn again are duplicates
    };
    const Case cases[] = {
        {"a row drawn again 1.4 on and 0.9 lower", row + drawnAgain(row, 1.4, 0.9), 40},
        {"a row drawn again 1.6 on", row + drawnAgain(row, 1.6, 0), 0},
        {"a row drawn again 1.1 lower", row + drawnAgain(row, 0, 1.1), 0},
        {"a column drawn again 1.4 on and 0.9 lower", column + drawnAgain(column, 1.4, 0.9), 40},
        {"a column drawn again 1.6 on", column + drawnAgain(column, 1.6, 0), 0},
        {"a column drawn again 1.1 higher", column + drawnAgain(column, 0, -1.1), 0},
        {"one letter of a row drawn again in another size", row + std::vector<RunSpec>{other}, 0},
        {"a letter with no place in a row", row + std::vector<RunSpec>{nowhere}, 0},
        {"tiny letters, each a letter on", tiny, 0},
        {"tiny letters drawn again a tenth of a letter on", tiny + drawnAgain(tiny, 0.0001, 0), 3000},
        {"tiny letters drawn again 1.1 lower", tiny + drawnAgain(tiny, 0.0001, 1.1), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxRunTextArray runs;
        for (const RunSpec& s : c.runs) runs.push_back(makeRun(s));
        const size_t firsts = std::count_if(c.runs.begin(), c.runs.end(), [](const RunSpec& s) { return s.scan < kAgain; });
        EXPECT_EQ(kx::detail::removeDuplicateRunTexts(runs), c.again);
        EXPECT_EQ(runs.size(), c.runs.size() - c.again);
        EXPECT_EQ(std::count_if(runs.begin(), runs.end(), [](const auto& r) { return r->pdfScanIndex() < kAgain; }),
                  static_cast<std::ptrdiff_t>(firsts))
            << "the first of each pair stays";
    }
}
