#include "flowtext/FlowLayout_p.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "docx/model/KXDocxUtilities.h"
#include "flowtext/FlowReadingFrame_p.h"
#include "flowtext/MostlyOrderedSort_p.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "platform/Geometry.h"
#include "platform/Numeric.h"

namespace kx::detail {

// Measures of line parts, line sects, columns and divs. Extremes are kept in single precision.
float _minTopYOfLinePartArray(const LinePart& runs) {
    if (runs.empty()) return 0.0f;
    float v = static_cast<float>(runs.front()->ctmInfo().topLeft.y);
    for (const FlowRunText* r : runs) v = std::min(v, static_cast<float>(r->ctmInfo().topLeft.y));
    return v;
}
float _maxBottomYOfLinePartArray(const LinePart& runs) {
    if (runs.empty()) return 0.0f;
    float v = static_cast<float>(runs.front()->ctmInfo().bottomLeft.y);
    for (const FlowRunText* r : runs) v = std::max(v, static_cast<float>(r->ctmInfo().bottomLeft.y));
    return v;
}
double _leftXOfLinePartArray(const LinePart& runs) {
    return runs.empty() ? 0.0 : runs.front()->ctmInfo().topLeft.x;
}
double _rightXOfLinePartArray(const LinePart& runs) {
    return runs.empty() ? 0.0 : runs.back()->ctmInfo().bottomLeft.x + runs.back()->textWidth();
}
float _topYOfLineSectArray(const LineSect& parts) {
    float v = 90000.0f;
    for (const LinePart& part : parts)
        for (const FlowRunText* r : part) v = std::min(v, static_cast<float>(r->ctmInfo().topLeft.y));
    return v;
}
float _bottomYOfLineSectArray(const LineSect& parts) {
    float v = 0.0f;
    for (const LinePart& part : parts)
        for (const FlowRunText* r : part) v = std::max(v, static_cast<float>(r->ctmInfo().bottomLeft.y));
    return v;
}

namespace {

// A coordinate as a sort key: one that is not a number sorts last, so that every order is a
// strict one (the exporter never makes such runs; a hostile file must still not break a sort).
double key(double v) { return std::isnan(v) ? std::numeric_limits<double>::infinity() : v; }
// The right edge of what a line part shows: blanks at its end show nothing, and where lines
// end with a blank (as justified text often does) they would otherwise carry a column's right
// edge towards the next column. A part of blanks only shows nothing at all: its right edge is
// its left edge, so that it neither widens a column nor stands apart from what follows it.
double visibleRightX(const LinePart& runs) {
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        const std::u16string& text = (*it)->runText();
        if (text.find_first_not_of(u" \u00a0\t") != std::u16string::npos)
            return (*it)->ctmInfo().bottomLeft.x + (*it)->textWidth();
    }
    return _leftXOfLinePartArray(runs);
}
// The height of a line part, top to bottom.
double partHeight(const LinePart& part) {
    return static_cast<double>(_maxBottomYOfLinePartArray(part)) - _minTopYOfLinePartArray(part);
}
// The middle value (the upper one of an even count; one that is not a number counts as
// infinite, so that the order stays a strict one); 0 for none.
double medianOf(std::vector<double> values) {
    if (values.empty()) return 0;
    for (double& v : values) v = key(v);
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}
// The height of a line from its top to its bottom; 0 when it makes no sense.
double lineHeight(const LineSect& line) {
    const double h = static_cast<double>(_bottomYOfLineSectArray(line)) - _topYOfLineSectArray(line);
    return std::isfinite(h) && h > 0 ? h : 0.0;
}
// The left edge of a run or line part as the key of left-to-right orders, to a hundredth of a
// point: runs that start at one place keep the order in which they were shown. (A blank that is
// drawn and then overprinted by the word after it, as some writers mark word boundaries,
// would otherwise be put behind the word's first letter by a rounding difference.)
double leftKey(const FlowRunText* run) { return key(std::round(run->ctmInfo().bottomLeft.x * 100.0)); }
double leftKey(const LinePart& part) { return key(std::round(_leftXOfLinePartArray(part) * 100.0)); }

// The horizontal extent of a column, and whether it is running text: two lines (parts whose
// bottoms lie less than 1.0 apart) or more, most of them wider than ten times their height.
struct Extent {
    double left, right;
    bool text;
};
Extent extentOf(const Column& column) {
    Extent e{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), false};
    size_t lines = 0, wide = 0;
    double lineLeft = 0, lineRight = 0, lineBottom = 0, lineTop = 0;
    auto endLine = [&] {
        if (lines > 0 && lineRight - lineLeft >= 10.0 * (lineBottom - lineTop)) ++wide;
    };
    for (const LinePart& part : column) {
        const double left = _leftXOfLinePartArray(part), right = visibleRightX(part);
        const double top = _minTopYOfLinePartArray(part), bottom = _maxBottomYOfLinePartArray(part);
        e.left = std::min(e.left, left);
        e.right = std::max(e.right, right);
        if (lines > 0 && std::fabs(bottom - lineBottom) < 1.0) {
            lineLeft = std::min(lineLeft, left);
            lineRight = std::max(lineRight, right);
            lineTop = std::min(lineTop, top);
            continue;
        }
        endLine();
        ++lines;
        lineLeft = left, lineRight = right, lineBottom = bottom, lineTop = top;
    }
    endLine();
    e.text = lines >= 2 && 2 * wide > lines;
    return e;
}
// A column narrower than ten times its usual line height: a table's or a form's, not running text.
bool isNarrowColumn(const Column& column) {
    double left = std::numeric_limits<double>::infinity(), right = -left;
    std::vector<double> heights;
    for (const LinePart& part : column) {
        left = std::min(left, _leftXOfLinePartArray(part));
        right = std::max(right, visibleRightX(part));
        heights.push_back(partHeight(part));
    }
    return !(right - left >= 10.0 * medianOf(std::move(heights)));
}
// A band's usual line height (the median of its parts'), its top and its bottom.
double bandLineHeight(const std::vector<Column>& band) {
    std::vector<double> heights;
    for (const Column& c : band)
        for (const LinePart& part : c) heights.push_back(partHeight(part));
    return medianOf(std::move(heights));
}
double bandTop(const std::vector<Column>& band) {
    double v = std::numeric_limits<double>::infinity();
    for (const Column& c : band)
        for (const LinePart& part : c) v = std::min<double>(v, _minTopYOfLinePartArray(part));
    return v;
}
double bandBottom(const std::vector<Column>& band) {
    double v = -std::numeric_limits<double>::infinity();
    for (const Column& c : band)
        for (const LinePart& part : c) v = std::max<double>(v, _maxBottomYOfLinePartArray(part));
    return v;
}
// Where a run stands on its line: its baseline, or its bottom when it has no usable baseline.
double baselineOf(const FlowRunText* run) {
    const double y = run->ctmInfo().yBase;
    return std::isfinite(y) ? y : run->ctmInfo().bottomLeft.y;
}
// Text of about one size: heights within a fifth of each other.
bool sameSize(const FlowRunText* a, const FlowRunText* b) {
    const double ha = a->ctmInfo().bottomLeft.y - a->ctmInfo().topLeft.y;
    const double hb = b->ctmInfo().bottomLeft.y - b->ctmInfo().topLeft.y;
    return ha > 0 && hb > 0 && std::max(ha, hb) <= 1.2 * std::min(ha, hb);
}
// Moves a run down by `shift` (up when negative), all of its geometry.
void moveDown(FlowRunText* run, double shift) {
    KXPDF_CTMInfo g = run->ctmInfo();
    g.topLeft.y += shift;
    g.bottomLeft.y += shift;
    g.frame.origin.y += shift;
    for (double* y : {&g.yTop, &g.yAscent, &g.yBase, &g.yDescent, &g.yBottom, &g.yLeft, &g.yRight}) *y += shift;
    run->setCtmInfo(g);
}

// The runs of a line part as a paragraph holds them.
std::vector<std::shared_ptr<FlowRun>> shared(const LinePart& runs) {
    std::vector<std::shared_ptr<FlowRun>> out;
    out.reserve(runs.size());
    for (FlowRunText* run : runs) out.push_back(run->shared_from_this());
    return out;
}

void appendAll(std::vector<std::unique_ptr<FlowParagraph>>& to, std::vector<std::unique_ptr<FlowParagraph>> from) {
    for (std::unique_ptr<FlowParagraph>& p : from) to.push_back(std::move(p));
}

}  // namespace

// Taking repeatedly the smallest element out of a list, the earliest of equal ones first, is a
// stable sort; the steps below sort instead of searching, which keeps a page linear-logarithmic.

std::vector<FlowRunText*> runsTopToBottom(const std::vector<std::shared_ptr<FlowRunText>>& runs) {
    std::vector<FlowRunText*> sorted;
    sorted.reserve(runs.size());
    for (const std::shared_ptr<FlowRunText>& run : runs) sorted.push_back(run.get());
    sortMostlyOrdered(sorted.begin(), sorted.end(), [](const FlowRunText* a, const FlowRunText* b) {
        return key(a->ctmInfo().topLeft.y) < key(b->ctmInfo().topLeft.y);
    });
    return sorted;
}

std::vector<RunLine> linesOf(const std::vector<FlowRunText*>& sorted) {
    // An index by bottom and one by baseline find a line's runs without a scan.
    const size_t n = sorted.size();
    std::vector<std::pair<double, size_t>> byBottom(n);
    std::vector<std::pair<double, size_t>> byBase(n);
    for (size_t i = 0; i < n; ++i) {
        byBottom[i] = {key(sorted[i]->ctmInfo().bottomLeft.y), i};
        byBase[i] = {key(baselineOf(sorted[i])), i};
    }
    // Indexes make every pair distinct: any sort gives the one order.
    sortMostlyOrdered(byBottom.begin(), byBottom.end());
    sortMostlyOrdered(byBase.begin(), byBase.end());
    std::vector<char> taken(n, 0);  // bytes, not bits: read for every candidate of every line
    std::vector<RunLine> lines;
    std::vector<size_t> members;
    for (size_t cursor = 0;; ++cursor) {
        while (cursor < n && taken[cursor]) ++cursor;
        if (cursor == n) break;
        const FlowRunText* reference = sorted[cursor];
        const double bottom = reference->ctmInfo().bottomLeft.y;
        const double base = baselineOf(reference);
        members.assign(1, cursor);
        taken[cursor] = true;
        // A margin around the tolerance so that rounding in the bounds cannot lose a member; the
        // tests themselves are the exact ones.
        if (std::isfinite(bottom)) {
            auto it = std::lower_bound(byBottom.begin(), byBottom.end(), std::make_pair(bottom - 1.5, size_t{0}));
            for (; it != byBottom.end() && it->first <= bottom + 1.5; ++it) {
                if (!taken[it->second] && std::fabs(sorted[it->second]->ctmInfo().bottomLeft.y - bottom) < 1.0) {
                    members.push_back(it->second);
                    taken[it->second] = true;
                }
            }
        }
        if (std::isfinite(base)) {
            auto it = std::lower_bound(byBase.begin(), byBase.end(), std::make_pair(base - 1.5, size_t{0}));
            for (; it != byBase.end() && it->first <= base + 1.5; ++it) {
                if (!taken[it->second] && std::fabs(baselineOf(sorted[it->second]) - base) < 1.0 &&
                    sameSize(sorted[it->second], reference)) {
                    members.push_back(it->second);
                    taken[it->second] = true;
                }
            }
        }
        std::sort(members.begin() + 1, members.end());
        std::vector<FlowRunText*> line;
        line.reserve(members.size());
        // Runs of one baseline in fonts of other depths (a bullet of a symbol font before a word)
        // take the line's bottom, which the later steps compare.
        for (size_t i : members) {
            const double shift = bottom - sorted[i]->ctmInfo().bottomLeft.y;
            if (std::fabs(shift) >= 1.0 && std::isfinite(shift)) moveDown(sorted[i], shift);
            line.push_back(sorted[i]);
        }
        lines.push_back(std::move(line));
    }

    return lines;
}

void sortLinesLeftToRight(std::vector<RunLine>& lines) {
    // Each run's key is worked out once, not twice a comparison.
    std::vector<std::pair<double, FlowRunText*>> keyed;
    for (RunLine& line : lines) {
        keyed.clear();
        for (FlowRunText* run : line) keyed.emplace_back(leftKey(run), run);
        sortMostlyOrdered(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t i = 0; i < line.size(); ++i) line[i] = keyed[i].second;
    }
}

namespace {

bool isBlankRun(const FlowRunText* run) {
    const std::u16string& text = run->runText();
    auto blank = [](char16_t c) { return c == u' ' || c == 0xA0 || c == u'\t' || c == 0x3000; };
    // Most runs are one visible character: the first unit tells.
    if (text.empty() || !blank(text[0])) return false;
    return std::all_of(text.begin(), text.end(), blank);
}

// Whether a blank lies over a visible run without being shown next to it: it overlaps the run by
// more than a quarter of its own width, and the two were not shown one right after the other (a
// writer that marks a word boundary with a blank and then draws the next word over it shows them
// in turn).
bool liesOverVisibleRun(const FlowRunText* blank, const FlowRunText* visible) {
    if (!visible) return false;
    const double bl = blank->ctmInfo().bottomLeft.x, br = bl + blank->textWidth();
    const double vl = visible->ctmInfo().bottomLeft.x, vr = vl + visible->textWidth();
    const double overlap = std::min(br, vr) - std::max(bl, vl);
    if (!(overlap > 0.25 * blank->textWidth()) || !(overlap > 0)) return false;
    const std::uint64_t b = blank->pdfScanIndex(), v = visible->pdfScanIndex();
    return b + 1 != v && v + 1 != b;
}

}  // namespace

void dropBlanksOverVisibleText(std::vector<RunLine>& lines) {
    std::vector<FlowRunText*> nextVisible;
    std::vector<char> blank;
    for (RunLine& line : lines) {
        blank.resize(line.size());
        bool any = false;
        for (size_t i = 0; i < line.size(); ++i) any |= (blank[i] = isBlankRun(line[i])) != 0;
        if (!any) continue;
        nextVisible.assign(line.size(), nullptr);
        FlowRunText* after = nullptr;
        for (size_t i = line.size(); i-- > 0;) {
            nextVisible[i] = after;
            if (!blank[i]) after = line[i];
        }
        FlowRunText* before = nullptr;
        size_t kept = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            FlowRunText* run = line[i];
            if (!blank[i]) {
                before = run;
            } else if (liesOverVisibleRun(run, before) || liesOverVisibleRun(run, nextVisible[i])) {
                continue;
            }
            line[kept++] = run;
        }
        line.resize(kept);
    }
}

float leftmostStart(const std::vector<RunLine>& lines) {
    float minLeft = 1000000.0f;
    for (const RunLine& line : lines) minLeft = std::min(minLeft, static_cast<float>(line.front()->ctmInfo().bottomLeft.x));
    return minLeft;
}

std::vector<LineSect> linePartsOf(const std::vector<RunLine>& lines) {
    std::vector<LineSect> lineSects;
    lineSects.reserve(lines.size());
    for (const RunLine& line : lines) {
        LineSect parts;
        size_t start = 0;  // each part is made once its end is known, in one allocation
        double expected = line.front()->ctmInfo().bottomLeft.x + line.front()->textWidth();
        for (size_t i = 1; i < line.size(); ++i) {
            const FlowRunText* run = line[i];
            if (!(std::fabs(run->ctmInfo().bottomLeft.x - expected) < 1.0)) {
                parts.emplace_back(line.begin() + start, line.begin() + i);
                start = i;
            }
            expected = run->ctmInfo().bottomLeft.x + run->textWidth();
        }
        parts.emplace_back(line.begin() + start, line.end());
        lineSects.push_back(std::move(parts));
    }

    return lineSects;
}

std::vector<BandRange> bandsOf(const std::vector<LineSect>& lineSects) {
    std::vector<BandRange> bands;
    for (size_t i = 0; i < lineSects.size();) {
        double bottom = _bottomYOfLineSectArray(lineSects[i]);
        double previousHeight = lineHeight(lineSects[i]);
        size_t j = i + 1;
        for (; j < lineSects.size(); ++j) {
            const double height = lineHeight(lineSects[j]);
            if (!(_topYOfLineSectArray(lineSects[j]) <= bottom + 0.5 * std::min(height, previousHeight))) break;
            bottom = std::max<double>(bottom, _bottomYOfLineSectArray(lineSects[j]));
            previousHeight = height;
        }
        bands.push_back({i, j});
        i = j;
    }
    return bands;
}

std::vector<Band> columnsOfBands(std::vector<LineSect>& lineSects, const std::vector<BandRange>& bands) {
    std::vector<Band> divs;
    divs.reserve(bands.size());
    for (const BandRange& band : bands) {
        std::vector<LinePart> parts;
        for (size_t i = band.first; i < band.end; ++i)
            for (LinePart& part : lineSects[i]) parts.push_back(std::move(part));
        divs.push_back(columnsOf(std::move(parts)));
    }
    return divs;
}

void readColumnsInOrder(std::vector<Band>& divs) {
    mergeContinuedColumns(divs);
    readSideLabelsWithTheirRows(divs);
    // Brackets are looked for in the bands (a matrix standing alone) and again in the rows of
    // tables (a matrix whose lines and brackets were taken for one row of a table).
    readBracketedCells(divs);
    readTablesRowByRow(divs);
    readBracketedCells(divs);
    joinHeadingsToTheirColumns(divs);
    readPageColumnsWhole(divs);
}

std::vector<Row> rowsOf(Column& column) {
    std::vector<Row> rows;
    for (size_t i = 0; i < column.size();) {
        const double bottom = _maxBottomYOfLinePartArray(column[i]);
        Row row;
        row.push_back(std::move(column[i]));
        size_t j = i + 1;
        for (; j < column.size() && std::fabs(_maxBottomYOfLinePartArray(column[j]) - bottom) < 1.0; ++j)
            row.push_back(std::move(column[j]));
        if (row.size() > 1)  // most rows are one part: no sort buffer for them
            std::stable_sort(row.begin(), row.end(),
                             [](const LinePart& a, const LinePart& b) { return leftKey(a) < leftKey(b); });
        rows.push_back(std::move(row));
        i = j;
    }
    return rows;
}

namespace {

// The last characters of a paragraph's text, the last one at the end (up to `count`).
std::u16string lastCharactersOf(const FlowParagraph& paragraph, size_t count) {
    std::u16string tail;
    for (auto it = paragraph.runArray().rbegin(); it != paragraph.runArray().rend() && tail.size() < count; ++it)
        if (const FlowRunText* run = FlowParagraph::textOf(it->get())) {
            const std::u16string& text = run->runText();
            tail.insert(0, text.substr(text.size() - std::min(text.size(), count - tail.size())));
        }
    return tail;
}

bool endsInBlank(const FlowParagraph& paragraph) {
    const std::u16string tail = lastCharactersOf(paragraph, 1);
    return !tail.empty() && tail.back() == u' ';
}

// A letter of a word, near enough for telling a hyphen inside a word: any character but blanks,
// digits, punctuation and symbols of the ASCII range and of the general punctuation and symbol
// blocks.
bool isLetterUnit(char16_t c) {
    if (c < 0x80) return std::isalpha(c) != 0;
    return !(c >= 0x2000 && c <= 0x2BFF) && !(c >= 0x3000 && c <= 0x303F) && c != 0xA0;
}

// Chinese and Japanese text: lines of it run on without a blank (Hangul parts its words with blanks).
bool runsOnWithoutBlank(char16_t c) {
    return isVerticalWritingCharacter(c) && !(c >= 0x1100 && c <= 0x11FF) && !(c >= 0xAC00 && c <= 0xD7AF);
}

// Whether a blank goes between a paragraph and a row of its column that goes on in it. A row on
// the paragraph's line, after its text, is a word of its own when it stands apart from it by more
// than a tenth of the font size (as the parts of a row are). A row that starts back under the
// paragraph's text is the next line: the line break is a blank, except after a hyphen that splits
// a word and between two Chinese or Japanese characters.
bool blankBeforeRow(const FlowParagraph& paragraph, const LinePart& row) {
    const FlowRunText* last = paragraph.lastRunText();
    const FlowRunText* next = nullptr;
    for (const FlowRunText* run : row)
        if (!run->runText().empty()) {
            next = run;
            break;
        }
    if (!last || !next) return false;
    const double gap = _leftXOfLinePartArray(row) - (last->ctmInfo().bottomLeft.x + last->textWidth());
    if (gap > -1.0) return gap > last->ctmInfo().fontSize.width / 10.0;
    const std::u16string tail = lastCharactersOf(paragraph, 2);
    const char16_t first = next->runText().front();
    if (tail.empty() || first == u' ') return false;
    const char16_t end = tail.back();
    if (runsOnWithoutBlank(end) && runsOnWithoutBlank(first)) return false;
    const bool hyphen = end == u'-' || end == 0x2010 || end == 0x00AD;
    return !(hyphen && tail.size() == 2 && isLetterUnit(tail.front()) && isLetterUnit(first));
}

}  // namespace

std::vector<std::unique_ptr<FlowParagraph>> paragraphsOfRows(std::vector<Row>& rows, double top, double leftEdge,
                                                             const KXDocx_SectPr& divSect, KXDocx_PPr& workingP,
                                                             KXDocx_RPr& workingR) {
    double previousRowBottom = top;
    std::vector<std::unique_ptr<FlowParagraph>> columnParagraphs;
    for (Row& row : rows) {
        auto fresh = std::make_unique<FlowParagraph>(shared(row.front()));
        fresh->setSectProperty(divSect);
        fresh->setXColumnPosition(leftEdge);
        fresh->resolveXColumnProperty();
        workingP = fresh->pProperty();
        workingR = fresh->rProperty();
        const double line = workingP.spacing.line;
        const double rowGap = _maxBottomYOfLinePartArray(row.front()) - previousRowBottom;
        const double delta = rowGap - line;
        FlowParagraph* holder = nullptr;
        if (delta > line) {
            appendAll(columnParagraphs,
                      FlowParagraph::BlankParagraph(delta, line, workingP.ind.left, workingR, divSect));
            holder = fresh.get();
            columnParagraphs.push_back(std::move(fresh));
        } else if (delta > -8.0) {
            workingP.spacing.line = static_cast<float>(line + delta);
            fresh->setPProperty(workingP);
            holder = fresh.get();
            columnParagraphs.push_back(std::move(fresh));
        } else if (!columnParagraphs.empty()) {
            // A row that sits within a line of the previous one continues its paragraph.
            // This also takes a row that lies above the previous row's bottom (small text
            // beside a taller line part), so that its text is kept; that text is not the
            // continuation of the previous row's last word, so a blank parts them.
            holder = columnParagraphs.back().get();
            FlowRunText* last = holder->lastRunText();
            if (last && (delta < -line || blankBeforeRow(*holder, row.front())) && !endsInBlank(*holder))
                last->runText() += u' ';
            for (FlowRunText* run : row.front()) holder->runArray().push_back(run->shared_from_this());
        } else {
            holder = fresh.get();
            columnParagraphs.push_back(std::move(fresh));
        }
        for (size_t k = 1; k < row.size(); ++k) {
            const double horizontalGap = _leftXOfLinePartArray(row[k]) - _rightXOfLinePartArray(row[k - 1]);
            if (FlowRunText* last = holder->lastRunText();
                last && horizontalGap > last->ctmInfo().fontSize.width / 10.0) {
                last->runText() += u' ';
                last->setTextWidth(last->textWidth() + horizontalGap);
            }
            for (FlowRunText* run : row[k]) holder->runArray().push_back(run->shared_from_this());
        }
        previousRowBottom = _maxBottomYOfLinePartArray(row.front());
    }
    return columnParagraphs;
}

std::vector<std::unique_ptr<FlowParagraph>> paragraphsOf(std::vector<Band>& divs, KXDocx_SectPr& sectProperty) {
    std::vector<std::unique_ptr<FlowParagraph>> result;
    KXDocx_PPr workingP = KXDocxUtilities::defaultPProperty();
    KXDocx_RPr workingR = KXDocxUtilities::defaultRProperty();
    double previousDivBottom = 0.0;
    for (size_t d = 0; d < divs.size(); ++d) {
        std::vector<Column>& columns = divs[d];
        float minTop = _minTopYOfLinePartArray(columns.front().front());
        float maxBottom = _maxBottomYOfLinePartArray(columns.front().back());
        for (const Column& c : columns) {
            minTop = std::min(minTop, _minTopYOfLinePartArray(c.front()));
            maxBottom = std::max(maxBottom, _maxBottomYOfLinePartArray(c.back()));
        }
        double top = minTop;
        double gap;
        if (d == 0) {
            // The first 72 points below the page's top edge are margin, not a gap.
            gap = top > 72.0 ? top - 72.0 : 0.0;
            KXDocx_PgMar margin;
            margin.top = static_cast<float>(std::min(72.0, top));
            sectProperty.pgMar = margin;
        } else {
            gap = top - previousDivBottom;
        }
        previousDivBottom = maxBottom;

        KXDocx_SectPr divSect = KXDocxUtilities::defaultSectPropertyHiden();
        divSect.shouldWrite = false;
        divSect.type = 1;
        divSect.pgSz = sectProperty.pgSz;
        divSect.pgMar = sectProperty.pgMar;

        if (gap > workingP.spacing.line) {
            appendAll(result,
                      FlowParagraph::BlankParagraph(gap, workingP.spacing.line, workingP.ind.left, workingR, divSect));
        } else if (gap > 0.0) {
            top -= gap;  // the band's first row measures its height from the previous band's bottom
        }

        if (!result.empty() && columns.size() > 1 && result.back()->runArray().empty()) {
            auto copy = std::make_unique<FlowParagraph>();
            copy->setRProperty(result.back()->rProperty());
            copy->setPProperty(result.back()->pProperty());
            copy->setSectProperty(result.back()->sectProperty());
            result.push_back(std::move(copy));
        }

        for (size_t c = 0; c < columns.size(); ++c) {
            std::vector<Row> rows = rowsOf(columns[c]);
            // The paragraphs of a column after the first are indented from the column's left edge.
            double leftEdge = 0.0;
            if (c > 0) {
                leftEdge = _leftXOfLinePartArray(rows.front().front());
                for (const Row& row : rows) leftEdge = std::min(leftEdge, _leftXOfLinePartArray(row.front()));
            }
            std::vector<std::unique_ptr<FlowParagraph>> columnParagraphs =
                paragraphsOfRows(rows, top, leftEdge, divSect, workingP, workingR);
            if (c > 0 && !columnParagraphs.empty()) columnParagraphs.front()->setBreakColumn(true);
            appendAll(result, std::move(columnParagraphs));
        }
    }
    return result;
}

// The columns of a band: its line parts, ordered by their left edge, chain into one column while
// each starts no more than 8.0 beyond the running right edge; each column is ordered top to bottom.
std::vector<Column> columnsOf(std::vector<LinePart> parts) {
    // Both orders are stable ones; each part's key is worked out once and sorted with the part's
    // place (distinct pairs: any sort gives the stable order), and the parts move once.
    std::vector<std::pair<double, size_t>> byLeft(parts.size());
    for (size_t i = 0; i < parts.size(); ++i) byLeft[i] = {leftKey(parts[i]), i};
    std::sort(byLeft.begin(), byLeft.end());
    std::vector<Column> columns;
    std::vector<std::pair<double, size_t>> byTop;
    for (size_t i = 0; i < byLeft.size();) {
        double right = visibleRightX(parts[byLeft[i].second]);
        size_t j = i + 1;
        for (; j < byLeft.size() && _leftXOfLinePartArray(parts[byLeft[j].second]) <= right + 8.0; ++j)
            right = std::max(right, visibleRightX(parts[byLeft[j].second]));
        byTop.clear();
        // Among parts of one top, the left-to-right order: their places in `byLeft` rise with it.
        for (size_t k = i; k < j; ++k)
            byTop.emplace_back(key(_minTopYOfLinePartArray(parts[byLeft[k].second])), k - i);
        std::sort(byTop.begin(), byTop.end());
        Column column;
        column.reserve(j - i);
        for (const auto& [top, k] : byTop) column.push_back(std::move(parts[byLeft[i + k].second]));
        columns.push_back(std::move(column));
        i = j;
    }
    return columns;
}

// Tables and forms. A band holds the lines that follow each other at about their usual spacing,
// so that side-by-side columns of running text are read one after the other. The rows of a
// table or a form are set just as close, and read that way its columns would come one after the
// other too: every document number, then every date, then every amount. What tells a table from
// columns of text is a narrow column (narrower than ten of its lines are high: numbers, dates,
// labels) whose rows line up with those of the column beside it: on two rows or more, on two
// thirds of its own rows at least (a note in the margin beside running text, or the end of the
// next column of text, meets only some lines of its neighbour) and on a third of the rows of the
// taller of the two; a column whose every row stands on a row of a table's column beside it joins
// the table (the lines of cells that wrap aside, `wrappedCellLines`). Columns linked so are read
// row by row: their line parts are cut into rows wherever nothing spans the gap between two lines
// (the lines of one row touch or overlap), and each row is read across, its cells from the left.
void readTablesRowByRow(std::vector<std::vector<Column>>& divs) {
    // The bottoms of a column's rows (line parts whose bottoms lie less than 1.0 apart are a row).
    auto rowBottoms = [](const Column& column) {
        std::vector<double> bottoms;
        for (const LinePart& part : column) bottoms.push_back(_maxBottomYOfLinePartArray(part));
        std::sort(bottoms.begin(), bottoms.end());
        std::vector<double> rows;
        for (double b : bottoms)
            if (rows.empty() || !(b - rows.back() < 1.0)) rows.push_back(b);
        return rows;
    };
    auto aligned = [](const std::vector<double>& a, const std::vector<double>& b) {
        size_t n = 0;
        for (double y : a) {
            auto it = std::lower_bound(b.begin(), b.end(), y - 1.0);
            if (it != b.end() && std::fabs(*it - y) < 1.0) ++n;
            else if (it != b.begin() && std::fabs(*(it - 1) - y) < 1.0) ++n;
        }
        return n;
    };

    std::vector<std::vector<Column>> out;
    for (std::vector<Column>& div : divs) {
        const size_t n = div.size();
        std::vector<bool> linked(n, false);  // linked[i]: column i and column i + 1 are one table
        bool any = false;
        if (n >= 2) {
            std::vector<std::vector<double>> rows(n);
            std::vector<bool> narrow(n);
            for (size_t i = 0; i < n; ++i) {
                rows[i] = rowBottoms(div[i]);
                narrow[i] = isNarrowColumn(div[i]);
            }
            for (size_t i = 0; i + 1 < n; ++i) {
                if (!narrow[i] && !narrow[i + 1]) continue;
                const size_t both = aligned(rows[i], rows[i + 1]);
                const auto mostOf = [&](size_t c) { return !narrow[c] || 3 * both >= 2 * rows[c].size(); };
                linked[i] = both >= 2 && 3 * both >= std::max(rows[i].size(), rows[i + 1].size()) && mostOf(i) &&
                            mostOf(i + 1);
                any = any || linked[i];
            }
            // A wide column beside a table whose every row stands on a row of the table's column
            // next to it is one more column of the table (names beside descriptions and amounts).
            // One sweep to the right and one to the left, so that a table grows by whole runs
            // of such columns.
            // The lines of a cell that wraps stand on no row beside them; they count with the
            // row of their cell (`wrappedCellLines`).
            auto tryJoin = [&](size_t other, size_t inTable) {
                const size_t both = aligned(rows[other], rows[inTable]);
                const size_t ownRows = rows[other].size() - wrappedCellLines(div[other], rows[inTable]);
                const size_t tableRows = rows[inTable].size() - wrappedCellLines(div[inTable], rows[other]);
                return both >= 2 && both == ownRows && 3 * both >= 2 * tableRows;
            };
            for (size_t i = 1; any && i + 1 < n; ++i)
                if (linked[i - 1] && !linked[i]) linked[i] = tryJoin(i + 1, i);
            for (size_t i = n - 1; any && i-- > 0;)
                if (i + 2 < n && linked[i + 1] && !linked[i]) linked[i] = tryJoin(i, i + 1);
        }
        if (!any) {
            out.push_back(std::move(div));
            continue;
        }
        std::vector<Column> plain;
        for (size_t i = 0; i < n;) {
            if (!linked[i]) {
                plain.push_back(std::move(div[i]));
                ++i;
                continue;
            }
            if (!plain.empty()) out.push_back(std::move(plain));
            plain.clear();
            std::vector<LinePart> parts;
            size_t j = i;
            for (;; ++j) {
                for (LinePart& part : div[j]) parts.push_back(std::move(part));
                if (j + 1 >= n || !linked[j]) break;
            }
            i = j + 1;
            std::stable_sort(parts.begin(), parts.end(), [](const LinePart& a, const LinePart& b) {
                return key(_minTopYOfLinePartArray(a)) < key(_minTopYOfLinePartArray(b));
            });
            for (size_t k = 0; k < parts.size();) {
                std::vector<LinePart> row;
                double bottom = _maxBottomYOfLinePartArray(parts[k]);
                row.push_back(std::move(parts[k]));
                size_t m = k + 1;
                for (; m < parts.size() && _minTopYOfLinePartArray(parts[m]) <= bottom; ++m) {
                    bottom = std::max<double>(bottom, _maxBottomYOfLinePartArray(parts[m]));
                    row.push_back(std::move(parts[m]));
                }
                out.push_back(columnsOf(std::move(row)));
                k = m;
            }
        }
        if (!plain.empty()) out.push_back(std::move(plain));
    }
    divs = std::move(out);
}

// Cells that wrap. A table cell too long for its column goes on in a line below, indented under
// its first line ("MDS installation and verification, INOP" / "  marker removal."); that line has
// no cell beside it, so it is a row of its column that no row of the next column meets. Counted as
// rows, such lines would keep a table's first column (the names of its rows) out of the table,
// and its names would be read as a block before all the figures. Gives the number of the
// column's rows (line parts whose bottoms lie less than 1.0 apart) that are such lines: on no row
// of `rowsBeside` (the bottoms of the next column's rows, ascending), starting right of the
// column's left edge, and right under the row above (no more than half their height below it).
size_t wrappedCellLines(const Column& column, const std::vector<double>& rowsBeside) {
    struct Row {
        double bottom, lowest, top, left;
    };
    std::vector<const LinePart*> parts;
    double columnLeft = std::numeric_limits<double>::infinity();
    for (const LinePart& part : column) {
        parts.push_back(&part);
        columnLeft = std::min(columnLeft, _leftXOfLinePartArray(part));
    }
    std::stable_sort(parts.begin(), parts.end(), [](const LinePart* a, const LinePart* b) {
        return key(_maxBottomYOfLinePartArray(*a)) < key(_maxBottomYOfLinePartArray(*b));
    });
    std::vector<Row> rows;
    for (const LinePart* part : parts) {
        const double bottom = _maxBottomYOfLinePartArray(*part);
        const double top = _minTopYOfLinePartArray(*part), left = _leftXOfLinePartArray(*part);
        if (!rows.empty() && bottom - rows.back().bottom < 1.0) {
            Row& row = rows.back();
            row.lowest = std::max(row.lowest, bottom);
            row.top = std::min(row.top, top);
            row.left = std::min(row.left, left);
        } else {
            rows.push_back({bottom, bottom, top, left});
        }
    }
    auto besideARow = [&](double y) {
        auto it = std::lower_bound(rowsBeside.begin(), rowsBeside.end(), y - 1.0);
        return (it != rowsBeside.end() && std::fabs(*it - y) < 1.0) ||
               (it != rowsBeside.begin() && std::fabs(*(it - 1) - y) < 1.0);
    };
    size_t wrapped = 0;
    for (size_t k = 1; k < rows.size(); ++k) {
        const Row& row = rows[k];
        if (!besideARow(row.bottom) && row.left > columnLeft + 1.0 &&
            row.top - rows[k - 1].lowest <= 0.5 * (row.lowest - row.top))
            ++wrapped;
    }
    return wrapped;
}

// The labels at the side of a form. A form sets the name of each of its sections ("Filing
// Status", "Exemptions", "Income") in a narrow column at its left edge, beside the section's first
// rows. The rows of the whole form follow each other at their usual spacing and make one band, and
// read as the band's columns the labels would all come first, each far from the rows it names. A
// narrow first column (narrower than ten of its lines are high) whose lines fall into several
// blocks, apart by more than one of its lines, and do not line up with the rows beside it (those
// of a table's first column do, and the table is read row by row) is such a column of labels: the
// band is cut at the top of each block, and each block, a band of its own, is read before the rest
// of the band that starts at its height or below it, up to the next block. A single block (a note
// in the margin) stays as it is.
void readSideLabelsWithTheirRows(std::vector<std::vector<Column>>& divs) {
    // The tops of a column's blocks: its parts are in top-to-bottom order, and a block ends where
    // the next part starts more than a line (the column's usual line height) below the block's
    // bottom.
    auto blockTops = [](const Column& column) {
        std::vector<double> heights;
        for (const LinePart& part : column) heights.push_back(partHeight(part));
        const double line = medianOf(std::move(heights));
        std::vector<double> tops;
        double bottom = -std::numeric_limits<double>::infinity();
        for (const LinePart& part : column) {
            const double top = _minTopYOfLinePartArray(part);
            if (!std::isfinite(top)) return std::vector<double>();
            if (tops.empty() || top - bottom > line) tops.push_back(top);
            bottom = std::max<double>(bottom, _maxBottomYOfLinePartArray(part));
        }
        return tops;
    };
    // How many of the label column's line bottoms stand on a bottom of the rest of the band.
    auto linedUp = [](const Column& labels, const std::vector<double>& others) {
        size_t n = 0;
        for (const LinePart& part : labels) {
            const double y = _maxBottomYOfLinePartArray(part);
            auto it = std::lower_bound(others.begin(), others.end(), y - 1.0);
            if (it != others.end() && std::fabs(*it - y) < 1.0) ++n;
        }
        return n;
    };

    std::vector<std::vector<Column>> out;
    for (std::vector<Column>& div : divs) {
        std::vector<double> tops;
        if (div.size() >= 2 && div.front().size() >= 2 && isNarrowColumn(div.front())) tops = blockTops(div.front());
        if (tops.size() >= 2) {
            std::vector<double> others;
            for (size_t c = 1; c < div.size(); ++c)
                for (const LinePart& part : div[c]) others.push_back(_maxBottomYOfLinePartArray(part));
            std::sort(others.begin(), others.end());
            if (3 * linedUp(div.front(), others) >= 2 * div.front().size()) tops.clear();
        }
        if (tops.size() < 2) {
            out.push_back(std::move(div));
            continue;
        }
        // Sections: each column's parts above the first block, then each block with the columns'
        // parts from its top to the next block's top. The band's columns stay as they were: only
        // their heights are cut.
        std::vector<size_t> next(div.size(), 0);
        for (size_t b = 0; b <= tops.size(); ++b) {
            const double until = b < tops.size() ? tops[b] : std::numeric_limits<double>::infinity();
            std::vector<Column> section;
            for (size_t c = 0; c < div.size(); ++c) {
                Column part;
                // The last section takes whatever is left, so that nothing is lost whatever the
                // geometry.
                for (; next[c] < div[c].size() &&
                       (b == tops.size() || key(_minTopYOfLinePartArray(div[c][next[c]])) < until);
                     ++next[c])
                    part.push_back(std::move(div[c][next[c]]));
                if (part.empty()) continue;
                // The block is a band of its own: beside the rows it would look like the first of
                // the page's columns, to be read down the page before them.
                if (c == 0) out.push_back({std::move(part)});
                else section.push_back(std::move(part));
            }
            if (!section.empty()) out.push_back(std::move(section));
        }
    }
    divs = std::move(out);
}

// Headings over a column. A heading at the top of a page's second column, above a figure or
// white space in the first, stands apart from the column's text by more than line spacing and so
// makes a band of its own; read as such it would come before the whole first column, far from the
// text it heads. A band standing clear above a band of several columns, no more than one and a half
// of their lines apart, whose parts all fall into one column of running text of that band (two
// lines or more, most of them wider than ten times their height), so that it neither crosses a
// gutter nor stands in one, joins that column and is read at its top, as long as the other columns
// stand beside that column rather than on its baselines. A band across the page (a page header
// over both columns) touches more than one column and stays where it is.
void joinHeadingsToTheirColumns(std::vector<std::vector<Column>>& divs) {

    std::vector<std::vector<Column>> out;
    for (size_t d = 0; d < divs.size(); ++d) {
        std::vector<Column>& above = divs[d];
        if (d + 1 < divs.size() && !above.empty() && divs[d + 1].size() >= 2) {
            std::vector<Column>& below = divs[d + 1];
            // The distance between the bands first: most bands stand too far apart, and their
            // heights and extents need not be worked out.
            const double gap = bandTop(below) - bandBottom(above);
            const bool close = gap >= 0.0 && gap <= 1.5 * std::max(bandLineHeight(above), bandLineHeight(below));
            Extent a{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), false};
            if (close) {
                for (const Column& c : above) {
                    const Extent e = extentOf(c);
                    a.left = std::min(a.left, e.left);
                    a.right = std::max(a.right, e.right);
                }
            }
            // The one column of the band below that the heading falls into: it lies within that
            // column's width and clear of the others by more than the gap that parts columns.
            size_t into = below.size();
            Extent target{};
            bool clear = close && std::isfinite(a.left) && std::isfinite(a.right);
            for (size_t c = 0; clear && c < below.size(); ++c) {
                const Extent e = extentOf(below[c]);
                if (a.left <= e.right + 8.0 && e.left <= a.right + 8.0) {
                    if (into != below.size()) clear = false;
                    into = c;
                    target = e;
                }
            }
            // The other columns must stand beside the column, not on its baselines: a number
            // hanging before the first line of a table of contents is part of that line.
            if (clear && into < below.size()) {
                std::vector<double> bottoms;
                for (const LinePart& part : below[into]) bottoms.push_back(_maxBottomYOfLinePartArray(part));
                std::sort(bottoms.begin(), bottoms.end());
                for (size_t c = 0; clear && c < below.size(); ++c) {
                    if (c == into) continue;
                    size_t same = 0;
                    for (const LinePart& part : below[c]) {
                        const double y = _maxBottomYOfLinePartArray(part);
                        auto it = std::lower_bound(bottoms.begin(), bottoms.end(), y - 1.0);
                        if (it != bottoms.end() && std::fabs(*it - y) < 1.0) ++same;
                    }
                    if (3 * same >= 2 * below[c].size()) clear = false;
                }
            }
            if (clear && into < below.size() && target.text && a.left >= target.left - 8.0 &&
                a.right <= target.right + 8.0) {
                std::vector<LinePart> heading;
                for (Column& c : above)
                    for (LinePart& part : c) heading.push_back(std::move(part));
                std::stable_sort(heading.begin(), heading.end(), [](const LinePart& x, const LinePart& y) {
                    return key(_minTopYOfLinePartArray(x)) < key(_minTopYOfLinePartArray(y));
                });
                below[into].insert(below[into].begin(), std::make_move_iterator(heading.begin()),
                                   std::make_move_iterator(heading.end()));
                continue;
            }
        }
        out.push_back(std::move(above));
    }
    divs = std::move(out);
}

// Matrices and vectors set in brackets. A displayed matrix shows its cells on lines of their own,
// and its brackets, one glyph each, stand between its first and last lines, reaching into both:
// so do the signs between two matrices. Read as it stands, a table row or a band's column, such a
// block goes one column or one line across all its matrices at a time and mixes their cells. A
// block whose every part lies between two such brackets or more (a bracket here is a part of one
// of "()[]{}|" that reaches into two lines of the block's other parts) is read from the left: each
// bracket, then what lies between it and the next one, line by line.
void readBracketedCells(std::vector<std::vector<Column>>& divs) {
    // One character other than blanks, across the part's runs (read in place: most parts are
    // words, and this looks at every part of every band).
    auto isBracket = [](const LinePart& part) {
        char16_t only = 0;
        bool found = false;
        for (const FlowRunText* run : part) {
            for (const char16_t c : run->runText()) {
                if (c == u' ' || c == u'\u00a0' || c == u'\t') continue;
                if (found) return false;
                found = true;
                only = c;
            }
        }
        return found && std::u16string_view(u"()[]{}|").find(only) != std::u16string_view::npos;
    };
    // Most bands hold no two brackets: they are counted before the parts are sorted out.
    auto twoBrackets = [&](const std::vector<Column>& div) {
        size_t count = 0;
        for (const Column& column : div)
            for (const LinePart& part : column)
                if (isBracket(part) && ++count == 2) return true;
        return false;
    };
    for (std::vector<Column>& div : divs) {
        if (!twoBrackets(div)) continue;
        std::vector<LinePart*> brackets, cells;
        for (Column& column : div)
            for (LinePart& part : column) (isBracket(part) ? brackets : cells).push_back(&part);
        if (brackets.size() < 2 || cells.size() < 2) continue;
        // The lines of the other parts: bottoms less than 1.0 apart, each with its height.
        struct Line {
            double top, bottom;
        };
        std::vector<std::pair<double, double>> spans;  // (bottom, top) of each part
        for (const LinePart* part : cells)
            spans.emplace_back(key(_maxBottomYOfLinePartArray(*part)), key(_minTopYOfLinePartArray(*part)));
        std::sort(spans.begin(), spans.end());
        std::vector<Line> lines;
        for (const auto& [bottom, top] : spans) {
            if (!lines.empty() && bottom - lines.back().bottom < 1.0) {
                lines.back().top = std::min(lines.back().top, top);
                continue;
            }
            lines.push_back({top, bottom});
        }
        if (lines.size() < 2) continue;
        // The brackets that reach into two lines or more; any other bracket is a cell.
        std::vector<LinePart*> spanning;
        for (LinePart* part : brackets) {
            const double top = _minTopYOfLinePartArray(*part), bottom = _maxBottomYOfLinePartArray(*part);
            size_t into = 0;
            for (const Line& line : lines)
                if (top < line.bottom && bottom > line.top) ++into;
            (into >= 2 ? spanning : cells).push_back(part);
        }
        if (spanning.size() < 2) continue;
        std::stable_sort(spanning.begin(), spanning.end(),
                         [](const LinePart* a, const LinePart* b) { return leftKey(*a) < leftKey(*b); });
        const double left = _leftXOfLinePartArray(*spanning.front());
        const double right = visibleRightX(*spanning.back());
        bool inside = std::isfinite(left) && std::isfinite(right);
        for (const LinePart* part : cells)
            inside = inside && _leftXOfLinePartArray(*part) >= left && visibleRightX(*part) <= right;
        if (!inside) continue;
        // Each cell goes between the brackets its middle lies between.
        std::vector<Column> segments(spanning.size());
        for (LinePart* part : cells) {
            const double middle = (_leftXOfLinePartArray(*part) + visibleRightX(*part)) / 2.0;
            size_t k = 0;
            while (k + 1 < spanning.size() && !(middle < _leftXOfLinePartArray(*spanning[k + 1]))) ++k;
            segments[k].push_back(std::move(*part));
        }
        std::vector<Column> read;
        for (size_t k = 0; k < spanning.size(); ++k) {
            read.push_back(Column{std::move(*spanning[k])});
            if (segments[k].empty()) continue;
            std::stable_sort(segments[k].begin(), segments[k].end(), [](const LinePart& a, const LinePart& b) {
                return key(_minTopYOfLinePartArray(a)) < key(_minTopYOfLinePartArray(b));
            });
            read.push_back(std::move(segments[k]));
        }
        div = std::move(read);
    }
}

// Accents drawn on their own. Typesetting programs often draw an accent as a glyph of its own
// over or under a letter (the circumflex of "ê", the cedilla of "ç"); read as it stands, the
// accent would be a character beside its letter, and a word such as "Aviação" would come out as
// "Aviac¸a˜o", three words. An accent alone in its run whose middle lies over a letter of the line
// (the one before it, else the one after it) becomes that letter's combining mark.
void placeAccentsOnTheirLetters(std::vector<FlowRunText*>& line) {
    // The combining mark of a spacing accent (or the mark itself).
    auto markOf = [](const std::u16string& text) -> char16_t {
        if (text.size() != 1) return 0;
        const char16_t c = text[0];
        if (c >= 0x0300 && c <= 0x036F) return c;
        switch (c) {
        case 0x0060: return 0x0300;  // grave
        case 0x00B4: return 0x0301;  // acute
        case 0x02C6: return 0x0302;  // circumflex
        case 0x02DC: return 0x0303;  // tilde
        case 0x00AF: return 0x0304;  // macron
        case 0x02D8: return 0x0306;  // breve
        case 0x02D9: return 0x0307;  // dot above
        case 0x00A8: return 0x0308;  // dieresis
        case 0x02DA: return 0x030A;  // ring
        case 0x02DD: return 0x030B;  // double acute
        case 0x02C7: return 0x030C;  // caron
        case 0x00B8: return 0x0327;  // cedilla
        case 0x02DB: return 0x0328;  // ogonek
        default: return 0;
        }
    };
    auto isLetter = [](const FlowRunText* run) {
        const std::u16string& t = run->runText();
        if (t.empty() || t.size() > 2) return false;  // one letter (a surrogate pair at most)
        const char16_t c = t[0];
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0x00C0 && c <= 0x024F && c != 0x00D7 &&
                                                                         c != 0x00F7) ||
               (c >= 0x0370 && c <= 0x03FF) || (c >= 0x0400 && c <= 0x04FF);
    };
    auto over = [](const FlowRunText* letter, double middle) {
        const double left = letter->ctmInfo().bottomLeft.x;
        return middle >= left && middle <= left + letter->textWidth();
    };
    std::vector<FlowRunText*> kept;
    kept.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        FlowRunText* run = line[i];
        const char16_t mark = markOf(run->runText());
        if (mark != 0 && std::isfinite(run->ctmInfo().bottomLeft.x) && std::isfinite(run->textWidth())) {
            const double middle = run->ctmInfo().bottomLeft.x + run->textWidth() / 2.0;
            FlowRunText* letter = nullptr;
            if (!kept.empty() && isLetter(kept.back()) && over(kept.back(), middle)) letter = kept.back();
            else if (i + 1 < line.size() && isLetter(line[i + 1]) && over(line[i + 1], middle)) letter = line[i + 1];
            if (letter) {
                letter->runText() += mark;
                continue;
            }
        }
        kept.push_back(run);
    }
    line = std::move(kept);
}

// Raised and lowered text: superscripts and subscripts, footnote marks, the letters of logos such
// as TeX's that sit above or below the others. Such text has a baseline of its own, so it makes a
// line of its own, and that line would be read before or after the line it belongs to instead of
// in its place. Each line is cut into clusters, stretches of runs no farther apart than half their
// height (a word, or words with their blanks). A cluster joins another line, in its place from left
// to right, when it touches a run of that line horizontally (no farther from it than half its own
// height), is no taller than that run, and lies at least half within its height: lines of text
// that follow each other do not overlap like that, however tight their leading. (Taller things
// beside a line, a drop capital or a brace over several lines, stay where they are.) Of two such
// clusters the smaller moves to the other's line (the one of fewer runs, or of smaller text when
// they have as many): a word takes its footnote mark, not the other way round. A cluster that has
// taken others stays where it is, so that joins never chain from line to line. The runs of a
// cluster that joins move up or down by the distance between the bottoms of the two touching runs,
// so that it is on the line for every later step (line parts, rows, joining lines when writing).
void joinRaisedAndLoweredRuns(std::vector<std::vector<FlowRunText*>>& lines) {
    if (lines.size() < 2) return;
    auto leftOf = [](const FlowRunText* r) { return r->ctmInfo().bottomLeft.x; };
    auto rightOf = [](const FlowRunText* r) { return r->ctmInfo().bottomLeft.x + r->textWidth(); };
    auto topOf = [](const FlowRunText* r) { return r->ctmInfo().topLeft.y; };
    auto bottomOf = [](const FlowRunText* r) { return r->ctmInfo().bottomLeft.y; };
    auto heightOf = [](const FlowRunText* r) { return r->ctmInfo().bottomLeft.y - r->ctmInfo().topLeft.y; };
    auto placed = [&](const FlowRunText* r) {
        return heightOf(r) > 0.0 && std::isfinite(topOf(r)) && std::isfinite(bottomOf(r)) && std::isfinite(rightOf(r));
    };

    struct Cluster {
        size_t line;             // the line it is on now
        size_t first;            // where its own runs start on that line (they follow each other)
        size_t own;              // how many runs of its own
        std::vector<FlowRunText*> taken;  // the runs of the clusters that joined it, as they came
        size_t size;             // runs of its own when it was cut, then with those it took
        double height;           // of its tallest run
        size_t parent;           // the cluster it joined; itself while it has joined none
        bool joined = false;     // others have joined it: it stays on its line
    };
    std::vector<Cluster> clusters;
    // Per run, by its order within the lines (which also orders the runs within their line): the
    // cluster it was cut into. Each run holds its ordinal in its layout slot, so that neither a
    // search nor an allocation per run is needed to find it (pages have thousands of runs).
    std::vector<size_t> clusterOfOrdinal;
    double tallest = 0.0;
    for (size_t i = 0; i < lines.size(); ++i) {
        for (size_t k = 0; k < lines[i].size(); ++k) {
            FlowRunText* run = lines[i][k];
            run->setLayoutSlot(clusterOfOrdinal.size());
            const bool opens = k == 0 || !placed(run) || !placed(lines[i][k - 1]) ||
                               leftOf(run) - rightOf(lines[i][k - 1]) >
                                   0.5 * std::max(heightOf(run), heightOf(lines[i][k - 1]));
            if (opens) clusters.push_back(Cluster{i, k, 0, {}, 0, 0.0, clusters.size()});
            Cluster& c = clusters.back();
            ++c.own;
            ++c.size;
            if (placed(run)) c.height = std::max(c.height, heightOf(run));
            clusterOfOrdinal.push_back(clusters.size() - 1);
            if (placed(run)) tallest = std::max(tallest, heightOf(run));
        }
    }
    // Every run is on one line, once.
    auto ordinal = [](const FlowRunText* run) { return run->layoutSlot(); };
    // A cluster's own runs, on the line it was cut from.
    auto ownRuns = [&](const Cluster& c) {
        const auto begin = lines[c.line].begin() + static_cast<std::ptrdiff_t>(c.first);
        return std::pair(begin, begin + static_cast<std::ptrdiff_t>(c.own));
    };
    auto clusterOf = [&](const FlowRunText* run) { return clusterOfOrdinal[ordinal(run)]; };
    auto root = [&](size_t c) {
        while (clusters[c].parent != c) c = clusters[c].parent;
        return c;
    };

    // Lines by the top of their first run (a line's runs lie within a point of each other's
    // bottom), to find those that can touch a cluster without looking at all of them.
    std::vector<size_t> byTop;
    for (size_t i = 0; i < lines.size(); ++i)
        if (placed(lines[i].front())) byTop.push_back(i);
    std::stable_sort(byTop.begin(), byTop.end(),
                     [&](size_t a, size_t b) { return topOf(lines[a].front()) < topOf(lines[b].front()); });

    // The runs' left keys, line by line (joins move runs up or down, never sideways).
    std::vector<std::vector<double>> leftKeys(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        leftKeys[i].reserve(lines[i].size());
        for (const FlowRunText* run : lines[i]) leftKeys[i].push_back(leftKey(run));
    }

    std::vector<bool> gained(lines.size(), false);  // lines that clusters joined

    // The smaller clusters first: they look for a larger one to join.
    std::vector<size_t> order(clusters.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return clusters[a].size < clusters[b].size; });
    for (size_t ci : order) {
        Cluster& c = clusters[ci];
        if (c.joined) continue;
        bool usable = c.height > 0.0;
        double top = std::numeric_limits<double>::infinity(), bottom = -top, left = top, right = -top;
        const auto [ownBegin, ownEnd] = ownRuns(c);
        for (auto run = ownBegin; run != ownEnd; ++run) {  // its own runs: it has taken none
            const FlowRunText* r = *run;
            usable = usable && placed(r);
            top = std::min(top, topOf(r));
            bottom = std::max(bottom, bottomOf(r));
            left = std::min(left, leftOf(r));
            right = std::max(right, rightOf(r));
        }
        if (!usable) continue;
        FlowRunText* touched = nullptr;
        double bestOverlap = 0.0;
        // The keys of the cluster's edges, once for all the lines it is looked up in.
        const double edgeKeys[2] = {key(std::round(left * 100.0)), key(std::round(right * 100.0))};
        auto from = std::lower_bound(byTop.begin(), byTop.end(), top - 2.0 * tallest - 1.0,
                                     [&](size_t i, double v) { return topOf(lines[i].front()) < v; });
        for (auto it = from; it != byTop.end() && topOf(lines[*it].front()) < bottom + tallest + 1.0; ++it) {
            const std::vector<FlowRunText*>& line = lines[*it];
            // The runs of the line on either side of the cluster's left and right edges.
            const std::vector<double>& keys = leftKeys[*it];
            for (const double edgeKey : edgeKeys) {
                auto at = line.begin() + (std::lower_bound(keys.begin(), keys.end(), edgeKey) - keys.begin());
                for (auto near : {at, at == line.begin() ? line.end() : at - 1}) {
                    if (near == line.end() || !placed(*near)) continue;
                    const size_t other = root(clusterOf(*near));
                    if (other == root(ci)) continue;
                    const Cluster& o = clusters[other];
                    if (!(o.size > c.size || (o.size == c.size && o.height > c.height))) continue;
                    const double apart = std::max({0.0, left - rightOf(*near), leftOf(*near) - right});
                    const double overlap = std::min(bottom, bottomOf(*near)) - std::max(top, topOf(*near));
                    if (apart <= 0.5 * c.height && c.height <= 1.1 * heightOf(*near) &&
                        overlap >= 0.5 * c.height && overlap > bestOverlap) {
                        touched = *near;
                        bestOverlap = overlap;
                    }
                }
            }
        }
        if (!touched) continue;
        const size_t target = root(clusterOf(touched));
        // The cluster's own runs lie on one baseline; the first of them is the first of its runs.
        const double shift = bottomOf(touched) - bottomOf(*ownBegin);
        for (auto run = ownBegin; run != ownEnd; ++run) moveDown(*run, shift);
        Cluster& t = clusters[target];
        t.taken.insert(t.taken.end(), ownBegin, ownEnd);
        t.size += c.size;
        t.joined = true;
        c.parent = target;
        gained[t.line] = true;
    }

    // The lines again, each with the clusters that are on it now, left to right.
    std::vector<std::vector<FlowRunText*>> joined(lines.size());
    for (size_t i = 0; i < clusters.size(); ++i) {
        if (clusters[i].parent != i) continue;
        std::vector<FlowRunText*>& line = joined[clusters[i].line];
        const auto [ownBegin, ownEnd] = ownRuns(clusters[i]);
        line.insert(line.end(), ownBegin, ownEnd);
        line.insert(line.end(), clusters[i].taken.begin(), clusters[i].taken.end());
    }
    // A line that took no cluster keeps its runs in their order (left to right, as they came), less
    // those that left: it is in order already.
    for (size_t i = 0; i < joined.size(); ++i) {
        if (!gained[i]) continue;
        std::vector<FlowRunText*>& line = joined[i];
        std::stable_sort(line.begin(), line.end(), [&](const FlowRunText* a, const FlowRunText* b) {
            const double ka = leftKey(a), kb = leftKey(b);
            return ka < kb || (ka == kb && ordinal(a) < ordinal(b));
        });
    }
    joined.erase(std::remove_if(joined.begin(), joined.end(), [](const std::vector<FlowRunText*>& l) { return l.empty(); }),
                 joined.end());
    lines = std::move(joined);
}

// The columns of a page read whole. Where the columns of the page hold more than running text (a
// table of contents, displayed formulas, a figure or a heading beside the top of the next
// column), the bands beside them do not pair up one to one, and reading each band across would
// read the page's columns in slices. A band with running text (a column of two lines or more, most
// of them wider than ten times their height) on one side of a strip free of text, and anything on
// the other, has a gutter there; the bands that follow it closely and leave its gutters open
// (narrowed, perhaps) are the same columns going on, and their parts between two gutters are read,
// band by band, before those beyond the next gutter. A band that closes a gutter (a heading or a
// figure across the page), or whose lines stand on the same baselines on both sides of it (a table
// or a table's heading row across the page), ends them. Tables have been cut into their rows before
// this, so that their columns are not read as the page's.
void readPageColumnsWhole(std::vector<std::vector<Column>>& divs) {
    auto usable = [](const Extent& e) { return std::isfinite(e.left) && std::isfinite(e.right) && e.left <= e.right; };
    // The strips between the columns of a set of bands wider than the gap that parts columns.
    auto gapsOf = [](std::vector<Extent> extents) {
        std::sort(extents.begin(), extents.end(), [](const Extent& a, const Extent& b) { return a.left < b.left; });
        std::vector<std::pair<double, double>> gaps;
        double right = -std::numeric_limits<double>::infinity();
        for (const Extent& e : extents) {
            if (std::isfinite(right) && e.left > right + 8.0) gaps.push_back({right, e.left});
            right = std::max(right, e.right);
        }
        return gaps;
    };

    std::vector<std::vector<Extent>> extents(divs.size());
    std::vector<bool> placed(divs.size(), true);
    for (size_t d = 0; d < divs.size(); ++d) {
        for (const Column& c : divs[d]) {
            extents[d].push_back(extentOf(c));
            placed[d] = placed[d] && usable(extents[d].back());
        }
        placed[d] = placed[d] && !divs[d].empty();
    }

    std::vector<std::vector<Column>> out;
    for (size_t i = 0; i < divs.size();) {
        // A run starts at a band that has running text beside a strip free of text (a gutter),
        // and takes the bands below it, as long as they follow closely and leave every
        // gutter of the first one open (narrowed, perhaps).
        std::vector<std::pair<double, double>> strips;
        if (placed[i]) {
            const std::vector<std::pair<double, double>> gaps = gapsOf(extents[i]);
            auto textBetween = [&](double a, double b) {
                for (const Extent& e : extents[i])
                    if (e.text && e.left >= a && e.right <= b) return true;
                return false;
            };
            for (size_t g = 0; g < gaps.size(); ++g) {
                const double from = g > 0 ? gaps[g - 1].second : -std::numeric_limits<double>::infinity();
                const double to = g + 1 < gaps.size() ? gaps[g + 1].first : std::numeric_limits<double>::infinity();
                if (textBetween(from, gaps[g].first) || textBetween(gaps[g].second, to)) strips.push_back(gaps[g]);
            }
        }
        size_t j = i + 1;
        for (; !strips.empty() && j < divs.size() && placed[j]; ++j) {
            const double h = std::max(bandLineHeight(divs[j - 1]), bandLineHeight(divs[j]));
            if (!(bandTop(divs[j]) - bandBottom(divs[j - 1]) <= 3.0 * h)) break;
            std::vector<std::pair<double, double>> narrowed = strips;
            bool open = true;
            for (auto& [a, b] : narrowed) {
                for (const Extent& e : extents[j]) {
                    if (e.right <= a || e.left >= b) continue;
                    if (e.left <= a && e.right >= b) open = false;
                    else if (e.left <= a) a = e.right;
                    else if (e.right >= b) b = e.left;
                    else open = false;  // a column inside the gutter
                }
            }
            if (!open) break;
            // A band whose lines on the two sides of a gutter stand on the same baselines is a
            // table (or a heading row) across the page, not the page's columns going on.
            bool across = false;
            for (const auto& [a, b] : narrowed) {
                std::vector<double> left, right;
                for (size_t c = 0; c < divs[j].size(); ++c) {
                    std::vector<double>& side = extents[j][c].right <= a ? left : right;
                    for (const LinePart& part : divs[j][c]) side.push_back(_maxBottomYOfLinePartArray(part));
                }
                if (left.empty() || right.empty()) continue;
                std::vector<double>& few = left.size() <= right.size() ? left : right;
                std::vector<double>& many = left.size() <= right.size() ? right : left;
                std::sort(many.begin(), many.end());
                size_t same = 0;
                for (double y : few) {
                    auto it = std::lower_bound(many.begin(), many.end(), y - 1.0);
                    if (it != many.end() && std::fabs(*it - y) < 1.0) ++same;
                    else if (it != many.begin() && std::fabs(*(it - 1) - y) < 1.0) ++same;
                }
                if (3 * same >= 2 * few.size()) across = true;
            }
            if (across) break;
            strips = std::move(narrowed);
        }
        std::vector<double> cuts;
        if (j - i >= 2)
            for (const auto& strip : strips) cuts.push_back(strip.first);
        j = headingsBelowTheColumns(divs, i, j, cuts);
        if (j - i < 2) cuts.clear();
        if (cuts.empty()) {
            out.push_back(std::move(divs[i]));
            ++i;
            continue;
        }
        cuts.push_back(std::numeric_limits<double>::infinity());
        for (size_t side = 0; side < cuts.size(); ++side) {
            for (size_t d = i; d < j; ++d) {
                std::vector<Column> part;
                for (size_t c = 0; c < divs[d].size(); ++c) {
                    // Each column goes to exactly one side, also one that starts on a cut.
                    const double left = extents[d][c].left;
                    if (left < cuts[side] && (side == 0 || left >= cuts[side - 1]))
                        part.push_back(std::move(divs[d][c]));
                }
                if (!part.empty()) out.push_back(std::move(part));
            }
        }
        i = j;
    }
    divs = std::move(out);
}

// Headings below the columns. A line centred on the page below the ends of all the page's columns
// (the title of a table or of a section set across the page under them) comes after those columns.
// Taken as the page's columns going on, it would be read inside the column it happens to stand
// under, before the columns to the right of it. So the last bands of a run of bands read as the
// page's columns (`first` to `end`, parted at `cuts`: the left edges of the gutters, left to
// right) are handed back when they stand beside one column only, not the last, and each of their
// lines is centred on the run's whole width; a column's own last line starts at its left edge or
// indent and keeps its place. Returns the end of the run without them.
size_t headingsBelowTheColumns(const std::vector<std::vector<Column>>& divs, size_t first, size_t end,
                               const std::vector<double>& cuts) {
    if (cuts.empty() || end - first < 2) return end;
    auto sideOf = [&](double left) {
        return static_cast<size_t>(std::upper_bound(cuts.begin(), cuts.end(), left,
                                                    [](double x, double cut) { return x < cut; }) -
                                   cuts.begin());
    };
    double runLeft = std::numeric_limits<double>::infinity(), runRight = -runLeft;
    for (size_t d = first; d < end; ++d)
        for (const Column& c : divs[d])
            for (const LinePart& part : c) {
                runLeft = std::min(runLeft, _leftXOfLinePartArray(part));
                runRight = std::max(runRight, visibleRightX(part));
            }
    if (!(runLeft < runRight)) return end;
    const double middle = (runLeft + runRight) / 2.0;
    auto centredBelow = [&](const std::vector<Column>& div) {
        std::vector<const LinePart*> parts;
        size_t side = std::numeric_limits<size_t>::max();
        for (const Column& c : div) {
            for (const LinePart& part : c) {
                const size_t s = sideOf(_leftXOfLinePartArray(part));
                if (side != std::numeric_limits<size_t>::max() && s != side) return false;
                side = s;
                parts.push_back(&part);
            }
        }
        if (parts.empty() || side >= cuts.size()) return false;
        // Its lines: parts whose bottoms lie less than 1.0 apart.
        std::stable_sort(parts.begin(), parts.end(), [](const LinePart* a, const LinePart* b) {
            return key(_maxBottomYOfLinePartArray(*a)) < key(_maxBottomYOfLinePartArray(*b));
        });
        for (size_t k = 0; k < parts.size();) {
            const double bottom = _maxBottomYOfLinePartArray(*parts[k]);
            double left = _leftXOfLinePartArray(*parts[k]), right = visibleRightX(*parts[k]);
            double top = _minTopYOfLinePartArray(*parts[k]);
            size_t m = k + 1;
            for (; m < parts.size() && std::fabs(_maxBottomYOfLinePartArray(*parts[m]) - bottom) < 1.0; ++m) {
                left = std::min(left, _leftXOfLinePartArray(*parts[m]));
                right = std::max(right, visibleRightX(*parts[m]));
                top = std::min<double>(top, _minTopYOfLinePartArray(*parts[m]));
            }
            // Centred: its middle within a line's height of the run's middle.
            if (!(std::fabs((left + right) / 2.0 - middle) <= bottom - top)) return false;
            k = m;
        }
        return true;
    };
    while (end - first >= 2 && centredBelow(divs[end - 1])) --end;
    return end;
}

// The last line of a block. A band of one column that starts at the left edge of a column of the
// band before it, and lies nearer to that band than to the band after it, is the end of that
// block (the date line under a masthead's title and volume), not the top of a column below it;
// joined to the columns below, it would be read at the top of the column it happens to stand over,
// after all the columns to the left of it.
bool endsTheBlockAbove(const std::vector<Column>& before, const std::vector<Column>& band,
                       const std::vector<Column>& below) {
    if (band.size() != 1 || band.front().empty()) return false;
    auto leftOf = [](const Column& column) {
        double v = std::numeric_limits<double>::infinity();
        for (const LinePart& part : column) v = std::min(v, _leftXOfLinePartArray(part));
        return v;
    };
    const double left = leftOf(band.front());
    bool underAColumn = false;
    for (const Column& c : before) underAColumn = underAColumn || std::fabs(leftOf(c) - left) < 1.0;
    return underAColumn && bandTop(band) - bandBottom(before) < bandTop(below) - bandBottom(band);
}

// Columns that go on below a band. Bands end at every horizontal strip of the page that holds no
// text, and in side-by-side columns such strips also fall where two paragraphs happen to end at
// the same height. Reading each band's columns in turn would then read the page's columns in
// slices, left and right in turn. A band whose columns each continue one column of the band above
// (they overlap it horizontally, one to one) therefore joins it, as long as one of the two has
// more than one column, all are columns of running text and the bands lie close together; a
// full-width line (a heading, a caption) overlaps several columns and so still separates them.
void mergeContinuedColumns(std::vector<std::vector<std::vector<LinePart>>>& divs) {
    // Columns of running text are wide: ten times their usual line height or more. The narrow
    // columns of a table are read row by row, band by band, and are not joined.
    auto medianHeight = [](const std::vector<LinePart>& column) {
        std::vector<double> heights;
        for (const LinePart& part : column)
            heights.push_back(partHeight(part));
        return medianOf(std::move(heights));
    };
    auto areTextColumns = [&](const std::vector<std::vector<LinePart>>& columns, const std::vector<Extent>& extents) {
        for (size_t i = 0; i < columns.size(); ++i)
            if (!(extents[i].right - extents[i].left >= 10.0 * medianHeight(columns[i]))) return false;
        return true;
    };
    // The bands lie close together: no more than three lines of their text apart. Farther down the
    // page a band is something else (a footer, a block of its own), not the rest of a column.
    auto areClose = [&](const std::vector<std::vector<LinePart>>& above, const std::vector<std::vector<LinePart>>& below) {
        double bottom = -std::numeric_limits<double>::infinity(), top = std::numeric_limits<double>::infinity();
        double height = 0;
        for (const auto& c : above) {
            for (const LinePart& part : c) bottom = std::max<double>(bottom, _maxBottomYOfLinePartArray(part));
            height = std::max(height, medianHeight(c));
        }
        for (const auto& c : below) {
            for (const LinePart& part : c) top = std::min<double>(top, _minTopYOfLinePartArray(part));
            height = std::max(height, medianHeight(c));
        }
        return top - bottom <= 3.0 * height;
    };
    auto overlaps = [](const Extent& a, const Extent& b) { return a.left < b.right && b.left < a.right; };
    // For each column of `few`, the one column of `many` it overlaps; empty when that is not one
    // to one.
    auto match = [&](const std::vector<Extent>& few, const std::vector<Extent>& many) {
        std::vector<size_t> to(few.size());
        std::vector<bool> used(many.size(), false);
        for (size_t i = 0; i < few.size(); ++i) {
            size_t hits = 0;
            for (size_t j = 0; j < many.size(); ++j) {
                if (overlaps(few[i], many[j])) {
                    ++hits;
                    to[i] = j;
                }
            }
            if (hits != 1 || used[to[i]]) return std::vector<size_t>();
            used[to[i]] = true;
        }
        return to;
    };
    using Columns = std::vector<std::vector<LinePart>>;
    std::vector<Columns> merged;
    // The extents of the last band kept, while it stands as they were worked out: each band's
    // are worked out once, as the band below and then as the band above.
    std::vector<Extent> aboveExtents;
    bool aboveKnown = false;
    for (Columns& div : divs) {
        std::vector<Extent> b;
        bool known = false;
        // Two single columns are never joined: their extents are not worked out.
        if (!merged.empty() && std::max(merged.back().size(), div.size()) >= 2) {
            Columns& above = merged.back();
            std::vector<Extent> a;
            if (aboveKnown) a = std::move(aboveExtents);
            else
                for (const auto& c : above) a.push_back(extentOf(c));
            for (const auto& c : div) b.push_back(extentOf(c));
            known = true;
            if (std::max(a.size(), b.size()) >= 2 && areTextColumns(above, a) && areTextColumns(div, b) &&
                areClose(above, div) &&
                !(merged.size() >= 2 && endsTheBlockAbove(merged[merged.size() - 2], above, div))) {
                const bool belowHasMore = b.size() > a.size();
                std::vector<size_t> to = belowHasMore ? match(a, b) : match(b, a);
                if (!to.empty()) {
                    if (!belowHasMore) {
                        for (size_t i = 0; i < div.size(); ++i)
                            for (LinePart& part : div[i]) above[to[i]].push_back(std::move(part));
                    } else {
                        // The band below has more columns: they become the columns, and the
                        // columns above go in front of the ones they continue into.
                        for (size_t i = 0; i < above.size(); ++i) {
                            std::vector<LinePart>& target = div[to[i]];
                            target.insert(target.begin(), std::make_move_iterator(above[i].begin()),
                                          std::make_move_iterator(above[i].end()));
                        }
                        above = std::move(div);
                    }
                    aboveKnown = false;
                    continue;
                }
            }
        }
        merged.push_back(std::move(div));
        aboveExtents = std::move(b);
        aboveKnown = known;
    }
    divs = std::move(merged);
}

std::vector<std::unique_ptr<FlowParagraph>> buildParagraphs(const std::vector<std::shared_ptr<FlowRunText>>& runs,
                                                            KXDocx_SectPr& sectProperty, KXDocx_PgMar* textMargin) {
    const std::vector<FlowRunText*> sorted = runsTopToBottom(runs);
    if (textMargin && !sorted.empty()) textMargin->top = static_cast<float>(sorted.front()->ctmInfo().topLeft.y);
    std::vector<RunLine> lines = linesOf(sorted);
    sortLinesLeftToRight(lines);
    dropBlanksOverVisibleText(lines);
    joinRaisedAndLoweredRuns(lines);
    for (RunLine& line : lines) placeAccentsOnTheirLetters(line);
    if (textMargin) textMargin->left = leftmostStart(lines);
    std::vector<LineSect> lineSects = linePartsOf(lines);
    std::vector<Band> divs = columnsOfBands(lineSects, bandsOf(lineSects));
    readColumnsInOrder(divs);
    return paragraphsOf(divs, sectProperty);
}

}  // namespace kx::detail
