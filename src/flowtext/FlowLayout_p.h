#pragma once
// How a flow page orders the text runs captured on one PDF page into paragraphs, step by step.
// Runs are taken top to bottom, grouped into baselines (lines), ordered left to right, cut into
// line parts at horizontal gaps, gathered into vertical bands and, inside a band, into columns;
// the columns are then read as the page means them (tables row by row, the page's columns whole
// across the bands beside them, ...); each row of a column becomes a paragraph, and vertical gaps
// become blank paragraphs. buildParagraphs runs the steps in order; each is a function of its own
// so that it can be looked at alone.
//
// Coordinates are display space: points, origin top left, y downward, so the top of anything is
// its smallest y. The steps hold the page's runs by plain pointer: the page owns them throughout.

#include <cstddef>
#include <memory>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "flowtext/FlowParagraph.h"
#include "flowtext/FlowRun.h"

namespace kx::detail {

// The runs of one baseline, left to right once ordered.
using RunLine = std::vector<FlowRunText*>;
// The runs of one line part (a stretch of a line without horizontal gaps), left to right.
using LinePart = std::vector<FlowRunText*>;
// The line parts of one baseline (a "line sect"), left to right.
using LineSect = std::vector<LinePart>;
// The line parts of a column, top to bottom.
using Column = std::vector<LinePart>;
// The columns of a band (a "div"), left to right.
using Band = std::vector<Column>;
// The line parts of a column whose bottoms lie less than 1.0 apart, left to right.
using Row = std::vector<LinePart>;
// A band: the lines from `first` up to `end`.
struct BandRange {
    std::size_t first, end;
    bool operator==(const BandRange&) const = default;
};

// Measures of line parts and line sects. Extremes are kept in single precision.
float _minTopYOfLinePartArray(const LinePart& runs);      // 0 for none
float _maxBottomYOfLinePartArray(const LinePart& runs);   // 0 for none
double _leftXOfLinePartArray(const LinePart& runs);       // its first run's left edge; 0 for none
double _rightXOfLinePartArray(const LinePart& runs);      // its last run's right edge; 0 for none
float _topYOfLineSectArray(const LineSect& parts);        // 90000 for none
float _bottomYOfLineSectArray(const LineSect& parts);     // 0 for none

// ---- The steps, in the order buildParagraphs runs them ----

// 1. The runs, top to bottom by their tops (the order of capture among equal tops).
std::vector<FlowRunText*> runsTopToBottom(const std::vector<std::shared_ptr<FlowRunText>>& runs);

// 2. Lines: the top-most remaining run and every remaining run whose bottom lies less than 1.0 from
// its own. The bottom of a run is its descent line, and fonts of one size differ in depth: a
// bullet or a symbol on the baseline of a line of text would make a line of its own and be read
// after that line. So a run of the same size whose baseline lies less than 1.0 from the line's
// joins it too, and takes the line's bottom. (Text of another size on a baseline is left to the
// bottoms: in forms, small print beside large labels is often a box of its own.) Lines come top
// to bottom, their runs in top-to-bottom order.
std::vector<RunLine> linesOf(const std::vector<FlowRunText*>& topToBottom);

// 3. Each line's runs left to right by their left edges, to a hundredth of a point: runs that start
// at one place keep the order in which they were shown. (A blank that is drawn and then
// overprinted by the word after it, as some writers mark word boundaries, would otherwise be put
// behind the word's first letter by a rounding difference.)
void sortLinesLeftToRight(std::vector<RunLine>& lines);
// Blanks never split, push or reorder the visible characters of a line: a blank lying over a
// visible character that it was not shown next to (the padding of one cell running under the
// text of the next) is no part of the line.
void dropBlanksOverVisibleText(std::vector<RunLine>& lines);
// Raised and lowered text joins the line it stands on (see FlowLayout.cpp); lines left empty go.
void joinRaisedAndLoweredRuns(std::vector<RunLine>& lines);
// An accent drawn on its own over or under a letter of the line becomes that letter's mark.
void placeAccentsOnTheirLetters(RunLine& line);
// The leftmost start of any line (the page's left text margin); 1000000 for none.
float leftmostStart(const std::vector<RunLine>& lines);

// 4. Line parts: a run joins the part when it starts within 1.0 of where the run before it ended.
std::vector<LineSect> linePartsOf(const std::vector<RunLine>& lines);

// 5. Vertical bands: lines that overlap vertically or follow each other at about their usual
// spacing. Lines of text are set with some leading, so between two lines of one column there is a
// small gap; a band must span it, or the lines of side-by-side columns would be read across the
// columns, one line of each in turn. A gap of up to half the height of the smaller of two
// neighbouring lines counts as line spacing; a wider one (before a heading, between sections)
// ends the band.
std::vector<BandRange> bandsOf(const std::vector<LineSect>& lineSects);

// 6. The columns of each band (columnsOf); the line parts move out of `lineSects`.
std::vector<Band> columnsOfBands(std::vector<LineSect>& lineSects, const std::vector<BandRange>& bands);
// The columns of a band: its line parts, ordered by their left edge, chain into one column while
// each starts no more than 8.0 beyond the running right edge; each column is ordered top to bottom.
std::vector<Column> columnsOf(std::vector<LinePart> parts);

// 7. The columns read as the page means them, in this order:
void readColumnsInOrder(std::vector<Band>& divs);
// Columns that go on below a band join the columns they continue.
void mergeContinuedColumns(std::vector<Band>& divs);
// The labels at the side of a form are read with the rows beside them.
void readSideLabelsWithTheirRows(std::vector<Band>& divs);
// The cells of matrices set in brackets are read bracket by bracket.
void readBracketedCells(std::vector<Band>& divs);
// The columns of tables and forms are read row by row.
void readTablesRowByRow(std::vector<Band>& divs);
// A heading over one column of the band below joins that column.
void joinHeadingsToTheirColumns(std::vector<Band>& divs);
// The page's columns are read whole across the bands beside them.
void readPageColumnsWhole(std::vector<Band>& divs);
// Parts of those steps: the lines of a column's wrapped cells; whether a one-column band ends the
// block above it; where a run of bands read as the page's columns ends before the centred
// headings below them.
std::size_t wrappedCellLines(const Column& column, const std::vector<double>& rowsBeside);
bool endsTheBlockAbove(const Band& before, const Band& band, const Band& below);
std::size_t headingsBelowTheColumns(const std::vector<Band>& divs, std::size_t first, std::size_t end,
                                    const std::vector<double>& cuts);

// 8. Paragraphs: each row of a column (line parts whose bottoms lie less than 1.0 apart) becomes a
// paragraph, or continues the one before it when it lies within a line of it; vertical gaps become
// blank paragraphs. The first 72 points below the page's top are margin: `sectProperty` takes the
// page's top margin, and lends its page size to the paragraphs' sections.
std::vector<std::unique_ptr<FlowParagraph>> paragraphsOf(std::vector<Band>& divs, KXDocx_SectPr& sectProperty);
// The rows of a column, top to bottom, each left to right; the parts move out of the column.
std::vector<Row> rowsOf(Column& column);
// The paragraphs of a column's rows. `top` is where the first row's gap is measured from, `leftEdge`
// the column's left edge (0 for a band's first column), `divSect` the band's section; `workingP`
// and `workingR` are the last paragraph's properties, which blank paragraphs take, and become this
// column's last.
std::vector<std::unique_ptr<FlowParagraph>> paragraphsOfRows(std::vector<Row>& rows, double top, double leftEdge,
                                                             const KXDocx_SectPr& divSect, KXDocx_PPr& workingP,
                                                             KXDocx_RPr& workingR);

// All the steps: the paragraphs of a page's runs. `textMargin`, when given, takes the top of the
// topmost run and the leftmost start of a line.
std::vector<std::unique_ptr<FlowParagraph>> buildParagraphs(const std::vector<std::shared_ptr<FlowRunText>>& runs,
                                                            KXDocx_SectPr& sectProperty, KXDocx_PgMar* textMargin);

}  // namespace kx::detail
