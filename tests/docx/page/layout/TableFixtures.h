#pragma once
// Pages drawn with ruling lines for the table tests: path runs as the exporter makes them, text runs
// at given places, a page that writes into memory, and the tables of the WordprocessingML it writes
// read back as rows of cells (text, span, vertical merge, shading, borders).

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXDocxRunText.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXLineUtilites.h"
#include "docx/page/KXDocxPage.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Path.h"
#include "platform/Unicode.h"

namespace kx::tabletest {

struct Paint {
    bool fill = false;
    bool stroke = true;
    kx::Color fillColor{0, 0, 0, 1};
    kx::Color strokeColor{0, 0, 0, 1};
    double weight = 0.5;
    std::vector<double> dash;
};

inline Paint strokeOf(double weight) { return Paint{false, true, {0, 0, 0, 1}, {0, 0, 0, 1}, weight, {}}; }
inline Paint fillOf(kx::Color color) { return Paint{true, false, color, {0, 0, 0, 1}, 0.1, {}}; }

// A path run in display space, its frame the path's box (a stroked hairline as thick as its stroke).
inline std::shared_ptr<KXDocxRunPath> pathRun(const kx::Path& path, const Paint& paint, std::uint64_t scan) {
    auto run = std::make_shared<KXDocxRunPath>();
    run->setPdfScanIndex(scan);
    KXDocxPathInfo info;
    info.setStrokecolor(paint.strokeColor);
    info.setFillcolor(paint.fillColor);
    info.setStrokeweight(paint.weight);
    info.setStroked(paint.stroke);
    info.setFilled(paint.fill);
    info.setStrokeDashPattern(paint.dash);
    kx::Rect r = path.pathBoundingBox();
    if (paint.stroke) {
        if (r.size.width < 0.001) r = kx::Rect(r.origin.x - paint.weight / 2, r.origin.y, paint.weight, r.size.height);
        if (r.size.height < 0.001) r = kx::Rect(r.origin.x, r.origin.y - paint.weight / 2, r.size.width, paint.weight);
    }
    info.displayX = r.origin.x;
    info.displayY = r.origin.y;
    info.displayWidth = r.size.width;
    info.displayHeight = r.size.height;
    run->setPictInfo(info);
    run->setRunCGPath(path);
    run->setRunLinePointArray(KXLineUtilites::NSArrayFromCGPath_NoCurve(path));
    return run;
}

inline std::shared_ptr<KXDocxRunPath> lineRun(double x1, double y1, double x2, double y2, std::uint64_t scan,
                                              const Paint& paint = strokeOf(0.5)) {
    kx::Path p;
    p.moveTo({x1, y1});
    p.lineTo({x2, y2});
    return pathRun(p, paint, scan);
}

inline std::shared_ptr<KXDocxRunPath> rectRun(const kx::Rect& r, std::uint64_t scan, const Paint& paint) {
    kx::Path p;
    p.addRect(r);
    return pathRun(p, paint, scan);
}

// A word whose glyph box is (x, yBase − 8, width, 10), in 10 pt type.
inline std::shared_ptr<KXDocxRunText> textRun(const std::u16string& text, double x, double yBase, double width,
                                              std::uint64_t scan) {
    auto run = std::make_shared<KXDocxRunText>();
    run->setRunText(text);
    KXPDF_CTMInfo g;
    g.yBase = yBase;
    g.yTop = g.yAscent = yBase - 8;
    g.yBottom = g.yDescent = yBase + 2;
    g.xLeft = x;
    g.xRight = x + width;
    g.frame = kx::Rect(x, g.yTop, width, 10);
    g.topLeft = {x, g.yTop};
    g.bottomLeft = {x, g.yBottom};
    g.fontSize = {10, 10};
    run->setCtmInfo(g);
    run->setTextWidth(width);
    run->setSpaceWidth(2.5);
    run->setPdfScanIndex(scan);
    run->setTextScanIndex(scan);
    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    r.rFonts = {"Liberation Serif", "Liberation Serif", "Liberation Serif", "Liberation Serif"};
    r.sz = r.szCs = 10;
    run->setRProperty(r);
    return run;
}

// A grid of cells drawn one edge at a time. `drawn` says which edges are drawn: horizontal edge (r, c)
// runs along the top of row r over column c (r = rows: the bottom), vertical edge (r, c) down the
// left of column c in row r (c = columns: the right).
struct Grid {
    double x = 72, y = 100;
    std::vector<double> widths;   // of the columns
    std::vector<double> heights;  // of the rows
    std::function<bool(size_t r, size_t c)> horizontal = [](size_t, size_t) { return true; };
    std::function<bool(size_t r, size_t c)> vertical = [](size_t, size_t) { return true; };
    Paint paint = strokeOf(0.5);

    double left(size_t c) const {
        double v = x;
        for (size_t i = 0; i < c; ++i) v += widths[i];
        return v;
    }
    double top(size_t r) const {
        double v = y;
        for (size_t i = 0; i < r; ++i) v += heights[i];
        return v;
    }
    kx::Rect cell(size_t r, size_t c) const { return {left(c), top(r), widths[c], heights[r]}; }
};

// One path per drawn edge, reading positions from `scan` on.
inline KXDocxRunPathArray gridRuns(const Grid& g, std::uint64_t& scan) {
    KXDocxRunPathArray runs;
    for (size_t r = 0; r <= g.heights.size(); ++r)
        for (size_t c = 0; c < g.widths.size(); ++c)
            if (g.horizontal(r, c)) runs.push_back(lineRun(g.left(c), g.top(r), g.left(c + 1), g.top(r), scan++, g.paint));
    for (size_t r = 0; r < g.heights.size(); ++r)
        for (size_t c = 0; c <= g.widths.size(); ++c)
            if (g.vertical(r, c)) runs.push_back(lineRun(g.left(c), g.top(r), g.left(c), g.top(r + 1), scan++, g.paint));
    return runs;
}

// A word near the top left of a cell.
inline std::shared_ptr<KXDocxRunText> cellText(const Grid& g, size_t r, size_t c, const std::u16string& text,
                                               std::uint64_t scan) {
    const kx::Rect cell = g.cell(r, c);
    return textRun(text, cell.origin.x + 3, cell.origin.y + 12, std::min(6.0 * text.size(), cell.size.width - 6), scan);
}

// The document part's body as a page writes it: the XML and the writer bound to the prefixes the
// package writer binds.
struct MemoryDocument {
    std::unique_ptr<XMLFileWriter> writer = XMLFileWriter::initInMemory();

    MemoryDocument() {
        writer->setPrefix("w", KXOpenXMLNameSpace::nameSpace_w());
        writer->setPrefix("v", KXOpenXMLNameSpace::nameSpace_v());
        writer->setPrefix("o", KXOpenXMLNameSpace::nameSpace_o());
        writer->setPrefix("w10", KXOpenXMLNameSpace::nameSpace_w10());
        writer->writeStartElementWithNamespace(KXOpenXMLNameSpace::nameSpace_w(), "body");
    }
    std::string finish() {
        writer->writeEndDocument();
        return writer->toString().value_or("");
    }
};

// A cell of a written table.
struct WrittenCell {
    std::string text;    // the texts of its paragraphs, joined by "\n"
    int gridSpan = 1;
    std::string vMerge;  // "", "restart" or "continue"
    std::string fill;    // shading fill, or ""
    std::map<std::string, std::string> borders;  // side → style name
    int paragraphs = 0;
    bool endsWithParagraph = false;
    int nestedTables = 0;
};
using WrittenRow = std::vector<WrittenCell>;
struct WrittenTable {
    std::vector<WrittenRow> rows;
    int gridColumns = 0;
    std::map<std::string, std::string> borders;  // table borders: side → style name
    bool inTextBox = false;
};

// Every table of the XML, outer tables before the tables nested in them, read the way a word
// processor reads cells (direct paragraphs only; nested tables are tables of their own).
std::vector<WrittenTable> writtenTables(const std::string& xml);

// A page of the size, writing into `document`, holding the runs.
inline std::unique_ptr<KXDocxPage> pageWith(MemoryDocument& document, const KXDocxRunPathArray& paths,
                                            const KXDocxRunTextArray& texts, kx::Size size = {612, 792}) {
    auto page = std::make_unique<KXDocxPage>(document.writer.get(), size, true, true);
    page->allRunPathArray() = paths;
    page->allRunTextArray() = texts;
    return page;
}

inline std::string utf8(const std::u16string& s) { return kx::utf16ToUtf8(s); }

}  // namespace kx::tabletest
