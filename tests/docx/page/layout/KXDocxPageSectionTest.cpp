// Page sections from synthetic lines: the section breaks each kind of band writes, the Word column
// layout, the alignment read from line edges, the stop conditions of paragraph merging, and the
// spacing corrections.

#include <gtest/gtest.h>

#include <regex>

#include "docx/model/DocxModelFixtures.h"
#include "docx/page/layout/KXDocxPageSection.h"
#include "docx/page/layout/KXDocxTable.h"
#include "platform/Format.h"

using kx::test::makeRun;
using kx::test::RunSpec;
using kx::test::wordFragment;

namespace {

KXDocx_SectPr pageRecord() {
    KXDocx_SectPr s = KXDocxUtilities::defaultSectPropertyHiden();
    s.shouldWrite = true;
    s.type = 1;
    s.pgSz = {612, 792};
    s.pgMar = {72, 72, 72, 72, 36, 36, 0};
    return s;
}

// A line of text 10 high, its top at `top`, one run per word.
std::shared_ptr<KXDocxRunTextLine> textLine(double x, double top, const std::u16string& text, std::uint64_t scan,
                                            double width = 0, std::string font = "Liberation Serif", float sz = 10) {
    RunSpec s;
    s.text = text;
    s.x = x;
    s.width = width > 0 ? width : 6.0 * text.size();
    s.yBase = top + 8;
    s.scan = scan;
    s.font = std::move(font);
    s.sz = sz;
    s.lineHeight = 1.15 * sz;  // Word's single line of the font
    return KXDocxRunTextLine::initWithRunTextArray({makeRun(s)});
}

// The section breaks written, in order: "break" (a paragraph carrying them) or "body", the type
// ("page" or "cont") and the column count.
std::vector<std::string> breaksOf(const std::string& xml) {
    std::vector<std::string> out;
    for (size_t at = xml.find("<w:sectPr>"); at != std::string::npos; at = xml.find("<w:sectPr>", at + 1)) {
        const size_t end = xml.find("</w:sectPr>", at);
        const std::string sect = xml.substr(at, end - at);
        const bool inParagraph = xml.rfind("<w:pPr>", at) != std::string::npos &&
                                 xml.rfind("<w:pPr>", at) > (xml.rfind("</w:p>", at) == std::string::npos ? 0 : xml.rfind("</w:p>", at));
        const bool continuous = sect.find("<w:type w:val=\"continuous\"/>") != std::string::npos;
        std::smatch m;
        std::string columns = "1";
        if (std::regex_search(sect, m, std::regex("w:num=\"(\\d+)\""))) columns = m[1];
        out.push_back(std::string(inParagraph ? "break" : "body") + ":" + (continuous ? "cont" : "page") + ":" + columns);
    }
    return out;
}

// A band of one or two columns of two lines whose text fills it from top to bottom.
std::shared_ptr<KXDocxPageSection> band(int columns, bool firstPage, bool lastPage, bool head, bool foot,
                                        double topGap = 0) {
    auto section = std::make_shared<KXDocxPageSection>(pageRecord());
    const double top = 200;
    section->setSectionFrame(kx::Rect(72, top - topGap, 468, 24 + topGap));
    section->setColumGroupFrame(kx::Rect(72, top, 468, 24));
    section->setIsDocumentFirstPage(firstPage);
    section->setIsDocumentLastPage(lastPage);
    section->setIsPageHeadSection(head);
    section->setIsPageFootSection(foot);
    std::vector<KXDocxRunTextLineArray> groups;
    for (int c = 0; c < columns; ++c) {
        const double x = 72 + 250.0 * c;
        groups.push_back({textLine(x, top, u"column text line one", 10 * c), textLine(x, top + 14, u"column text line two", 10 * c + 1)});
    }
    section->setColumGroupArray(groups);
    return section;
}

std::string written(KXDocxPageSection& section) {
    return wordFragment([&](XMLFileWriter& w) { section.writeWithXMLWriter(w); });
}

}  // namespace

TEST(KXDocxPageSection, SectionBreaksOfEachKindOfBand) {
    struct Case {
        const char* what;
        int columns;
        bool firstPage, lastPage, head, foot;
        std::vector<std::string> breaks;
    };
    using V = std::vector<std::string>;
    const Case cases[] = {
        {"first page, head band, one column", 1, true, false, true, false, V{}},
        {"first page, middle band, one column", 1, true, false, false, false, V{}},
        {"first page, foot band, one column", 1, true, false, false, true, V{"break:cont:1"}},
        {"middle page, head band, one column: a new page", 1, false, false, true, false, V{"break:page:1"}},
        {"middle page, middle band, one column", 1, false, false, false, false, V{}},
        {"middle page, foot band, one column", 1, false, false, false, true, V{"break:cont:1"}},
        {"last page, head band, one column", 1, false, true, true, false, V{"break:page:1"}},
        {"last page, middle band, one column", 1, false, true, false, false, V{}},
        {"last page, foot band, one column: the body's own", 1, false, true, false, true, V{"body:cont:1"}},
        {"first page, head band, two columns", 2, true, false, true, false, V{"break:cont:2"}},
        {"first page, middle band, two columns", 2, true, false, false, false, V{"break:cont:2"}},
        {"first page, foot band, two columns", 2, true, false, false, true, V{"break:cont:2"}},
        {"middle page, head band, two columns: a new page", 2, false, false, true, false, V{"break:page:2"}},
        {"middle page, middle band, two columns", 2, false, false, false, false, V{"break:cont:2"}},
        {"middle page, foot band, two columns", 2, false, false, false, true, V{"break:cont:2"}},
        {"last page, head band, two columns", 2, false, true, true, false, V{"break:page:2"}},
        {"last page, middle band, two columns", 2, false, true, false, false, V{"break:cont:2"}},
        {"last page, foot band, two columns: the body's own", 2, false, true, false, true, V{"body:cont:2"}},
        {"a page that is one band", 1, false, false, true, true, V{"break:page:1"}},
        {"the only band of a one-page document", 1, true, true, true, true, V{"body:cont:1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto section = band(c.columns, c.firstPage, c.lastPage, c.head, c.foot);
        EXPECT_EQ(breaksOf(written(*section)), c.breaks);
    }
}

TEST(KXDocxPageSection, ColumnsOpenWithABreakThatClosesTheTextAbove) {
    // Head blank paragraphs above two columns: they close as a one-column section first.
    auto withBlanks = band(2, false, false, true, false, 20);
    ASSERT_FALSE(withBlanks->headBlankParagraphArray().empty());
    EXPECT_EQ(breaksOf(written(*withBlanks)), (std::vector<std::string>{"break:page:1", "break:cont:2"}));
    // The same band as the whole of the document's last page: the opening break begins the page,
    // and the columns go on on it (the body's own properties do not begin another page).
    auto lastPage = band(2, false, true, true, true, 20);
    ASSERT_FALSE(lastPage->headBlankParagraphArray().empty());
    EXPECT_EQ(breaksOf(written(*lastPage)), (std::vector<std::string>{"break:page:1", "body:cont:2"}));

    // Two columns below a one-column band of the same page: the one-column text closes first.
    auto above = band(1, true, false, true, false);
    auto columns = band(2, true, false, false, false);
    columns->setPreviousPageSection(above);
    EXPECT_EQ(breaksOf(written(*columns)), (std::vector<std::string>{"break:cont:1", "break:cont:2"}));

    // A table cell's own content writes no section properties at all.
    KXDocx_SectPr inner = pageRecord();
    inner.type = KXDocxPageSection::kInnerSectionType;
    auto cell = band(1, false, true, false, true);
    cell->setSectProperty(inner);
    EXPECT_TRUE(breaksOf(written(*cell)).empty());
}

// Two columns whose first lines stand lower than the band's top by different amounts: the space
// above the first column's first paragraph is never that paragraph's own (a word processor would
// lay it above every column), the other columns keep theirs.
TEST(KXDocxPageSection, TheSpaceAboveTheFirstColumnIsBlankParagraphs) {
    struct Case {
        const char* what;
        double leftGap, rightGap;
    };
    const Case cases[] = {{"the left column starts lower, by less than its font size", 6, 0},
                          {"the right column starts lower", 0, 6},
                          {"both start lower", 4, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto section = std::make_shared<KXDocxPageSection>(pageRecord());
        section->setIsPageHeadSection(true);
        section->setSectionFrame(kx::Rect(72, 200, 468, 40));
        section->setColumGroupFrame(kx::Rect(72, 200, 468, 40));
        section->setColumGroupArray({{textLine(72, 200 + c.leftGap, u"left one", 0), textLine(72, 214 + c.leftGap, u"left two", 1)},
                                     {textLine(322, 200 + c.rightGap, u"right one", 2), textLine(322, 214 + c.rightGap, u"right two", 3)}});
        const std::string xml = written(*section);
        // The paragraphs of the body in order: their space before, their exact line and their text.
        struct Paragraph {
            double before = 0, line = 0;
            std::string text;
        };
        std::vector<Paragraph> paragraphs;
        const std::regex p("<w:p>(.*?)</w:p>"), before("w:before=\"(\\d+)\""), line("w:line=\"(\\d+)\""),
            text("<w:t[^>]*>([^<]*)</w:t>");
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), p); it != std::sregex_iterator(); ++it) {
            const std::string body = (*it)[1];
            Paragraph q;
            std::smatch m;
            if (std::regex_search(body, m, before)) q.before = std::stod(m[1]) / 20;
            if (std::regex_search(body, m, line)) q.line = std::stod(m[1]) / 20;
            for (auto t = std::sregex_iterator(body.begin(), body.end(), text); t != std::sregex_iterator(); ++t)
                q.text += (*t)[1];
            paragraphs.push_back(q);
        }
        const auto at = [&](const std::string& words) {
            return std::find_if(paragraphs.begin(), paragraphs.end(),
                                [&](const Paragraph& q) { return q.text.find(words) != std::string::npos; });
        };
        const auto left = at("left one"), right = at("right one");
        ASSERT_TRUE(left != paragraphs.end() && right != paragraphs.end()) << xml;
        EXPECT_EQ(left->before, 0) << xml;
        // Blank paragraphs just above it make up the left column's space.
        double blank = 0;
        for (auto q = left; q != paragraphs.begin() && (q - 1)->text.empty() && (q - 1)->line > 0.5; --q) blank += (q - 1)->line;
        EXPECT_NEAR(blank, c.leftGap, 0.05) << xml;
        EXPECT_NEAR(right->before, c.rightGap, 0.05) << xml;
    }
}

// The content of a box (a table cell, a text box) read on across the blanks taken out between its
// words: a label of a form's narrow column, on a row with an item line that stands half a line
// lower, keeps its words together instead of falling apart into one paragraph a word.
TEST(KXDocxPageSection, ABoxReadsOnAcrossTheBlanksTakenOut) {
    // One run a character, as the page's text arrives; 8-point text, blanks narrower.
    std::uint64_t scan = 0;
    KXDocxRunTextArray runs;
    auto text = [&](double x, double base, const std::u16string& s) {
        for (char16_t c : s) {
            RunSpec r;
            r.text = std::u16string(1, c);
            r.x = x;
            r.width = c == u' ' ? 2.2 : 4.5;
            r.yBase = base;
            r.height = 8;
            r.scan = scan++;
            r.showText = static_cast<std::uint64_t>(base * 10);
            runs.push_back(makeRun(r));
            x += r.width;
        }
    };
    text(36, 440, u"W-2G and");
    text(36, 449.6, u"If you did not");
    text(36, 459.2, u"get a W-2,");
    text(113.5, 441.5, u"13 Capital gain");
    text(113.5, 453.5, u"14 Other gains");
    KXDocx_SectPr box = pageRecord();
    box.type = KXDocxPageSection::kInnerSectionType;
    box.pgMar = {30, 430, 152, 322, 0, 0, 0};
    std::vector<std::string> texts;
    for (const auto& section : KXDocxPageSection::CreatePageSection(runs, box, false)) {
        const std::string xml = written(*section);
        const std::regex p("<w:p>(.*?)</w:p>"), t("<w:t[^>]*>([^<]*)</w:t>");
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), p); it != std::sregex_iterator(); ++it) {
            const std::string body = (*it)[1];
            std::string text;
            for (auto r = std::sregex_iterator(body.begin(), body.end(), t); r != std::sregex_iterator(); ++r) text += (*r)[1];
            if (!text.empty()) texts.push_back(text);
        }
    }
    const auto label = std::find_if(texts.begin(), texts.end(), [](const std::string& t) { return t.find("If") != std::string::npos; });
    ASSERT_NE(label, texts.end());
    EXPECT_NE(label->find("If you did"), std::string::npos) << ::testing::PrintToString(texts);
}

TEST(KXDocxPageSection, WordColumnLayout) {
    struct Case {
        const char* what;
        double secondLeft;  // the first column's text ends at 300 (with a blank behind it, 303)
        double space;
    };
    const Case cases[] = {
        {"a gap of 20.4: floor(20.4 - 2.836)", 323.4, 17},
        {"a gap of 50: the largest space", 353, 35.45},
        {"a gap of 2: the smallest space", 305, 0.2836},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxPageSection section(pageRecord());
        section.setSectionFrame(kx::Rect(72, 100, 468, 100));
        section.setColumGroupFrame(kx::Rect(72, 100, 468, 24));
        section.setColumGroupArray({{textLine(72, 100, u"left", 0, 228)},
                                    {textLine(c.secondLeft, 100, u"right", 5, 500 - c.secondLeft)}});
        EXPECT_NEAR(section.minSeparatedColumSpace(), c.space, 1e-4);
    }

    // Columns off the equal grid: each its own width and the space to the next, the last one
    // reaching the right margin.
    KXDocxPageSection unequal(pageRecord());
    unequal.setSectionFrame(kx::Rect(72, 100, 468, 100));
    unequal.setColumGroupFrame(kx::Rect(72, 100, 468, 24));
    unequal.setColumGroupArray({{textLine(72, 100, u"left", 0, 328)}, {textLine(420, 100, u"right", 5, 120)}});
    const KXDocx_Cols& cols = unequal.sectProperty().cols;
    ASSERT_EQ(cols.num, 2u);
    EXPECT_EQ(cols.equalWidth, 0);
    EXPECT_FLOAT_EQ(cols.col[0].colSpace, 17);
    EXPECT_FLOAT_EQ(cols.col[0].colWidth, 331);
    EXPECT_FLOAT_EQ(cols.col[1].colWidth, 120);
    EXPECT_FLOAT_EQ(cols.col[1].colSpace, 0);
    std::string unequalXML = wordFragment([&](XMLFileWriter& w) { KXDocxUtilities::WriteSectProperty(unequal.sectProperty(), w); });
    EXPECT_NE(unequalXML.find("w:equalWidth=\"0\""), std::string::npos) << unequalXML;

    // Columns that fit an equal grid: one space, no column list written.
    KXDocxPageSection equal(pageRecord());
    equal.setSectionFrame(kx::Rect(72, 100, 468, 100));
    equal.setColumGroupFrame(kx::Rect(72, 100, 468, 24));
    equal.setColumGroupArray({{textLine(72, 100, u"left", 0, 200)}, {textLine(340, 100, u"right", 5, 200)}});
    EXPECT_GT(equal.sectProperty().cols.equalWidth, 0);
    std::string sect = wordFragment([&](XMLFileWriter& w) { KXDocxUtilities::WriteSectProperty(equal.sectProperty(), w); });
    EXPECT_EQ(sect.find("<w:col "), std::string::npos) << sect;

    // Whatever form the layout takes, each column's text lies inside its Word column: text that
    // crosses a column's edge is wrapped by the word processor and pushes the page over its end.
    // (Columns of their own widths are whole points wide, so a column may start up to a point
    // right of its text, which its paragraphs' indents take back.)
    struct Grid {
        const char* what;
        std::vector<std::pair<double, double>> columns;  // left and right edge of each column's text
    };
    const Grid grids[] = {
        {"two columns on an equal grid", {{36, 290}, {310, 576}}},
        {"three columns on an equal grid", {{36, 204}, {222, 390}, {408, 576}}},
        {"three columns off the grid",
         {{83.73, 211.71}, {232.85, 359.83}, {381.96, 512.63}}},
        {"four narrow columns", {{40, 150}, {170, 280}, {300, 410}, {430, 560}}},
    };
    for (const Grid& g : grids) {
        SCOPED_TRACE(g.what);
        KXDocx_SectPr record = pageRecord();
        record.pgMar.left = record.pgMar.right = 36;
        KXDocxPageSection section(record);
        section.setSectionFrame(kx::Rect(36, 100, 540, 100));
        section.setColumGroupFrame(kx::Rect(36, 100, 540, 24));
        std::vector<KXDocxRunTextLineArray> groups;
        for (size_t k = 0; k < g.columns.size(); ++k)
            groups.push_back({textLine(g.columns[k].first, 100, u"text of a column", 10 * k,
                                       g.columns[k].second - g.columns[k].first)});
        section.setColumGroupArray(groups);
        const KXDocx_Cols& c = section.sectProperty().cols;
        ASSERT_EQ(c.num, g.columns.size());
        const bool equal = c.equalWidth > 0;
        double x = 36;
        for (size_t k = 0; k < g.columns.size(); ++k) {
            const double width = equal ? c.equalWidth : c.col[k].colWidth;
            const double space = equal ? c.space : c.col[k].colSpace;
            EXPECT_GE(g.columns[k].first, x - (equal ? 0.0 : 1.0)) << "column " << k;
            EXPECT_LE(g.columns[k].second, x + width) << "column " << k;
            x += width + space;
        }
    }

    // A column squeezed to nothing by its neighbour still has a width Word can show.
    KXDocxPageSection squeezed(pageRecord());
    squeezed.setSectionFrame(kx::Rect(72, 100, 468, 100));
    squeezed.setColumGroupFrame(kx::Rect(0, 100, 540, 24));
    squeezed.setColumGroupArray({{textLine(0, 100, u"a", 0, 10)}, {textLine(40, 100, u"b", 5, 100)}});
    for (const KXDocx_Col& col : squeezed.sectProperty().cols.col) EXPECT_GE(col.colWidth, 1.0f);
}

TEST(KXDocxPageSection, LineAlignmentWithinItsTolerances) {
    const kx::Rect column(72, 100, 468, 300);
    const kx::Rect content(72, 100, 400, 300);  // edges 72 and 472, centre 272
    struct Case {
        const char* what;
        double left, right;  // the line's edges
        int trend;
        int previousAlign;
        double previousLeft;  // < 0: no previous line
        int want;
    };
    const Case cases[] = {
        {"trend left: 4 from the left edge, 20 from the right", 76, 452, 0, 0, -1, 0},
        {"trend left: 20 from the left edge, 4 from the right", 92, 468, 0, 0, -1, 1},
        {"trend left: near both edges", 73, 471, 0, 0, -1, 3},
        {"trend center: off centre, 2 from the left and 40 from the right", 74, 432, 2, 0, -1, 3},
        {"trend center: centred within 3", 150, 392, 2, 0, -1, 2},
        {"trend right: 4 from the right", 300, 468, 1, 0, -1, 1},
        {"a line 2 wide takes the trend", 200, 202, 1, 0, -1, 1},
        {"a line that fills its column takes the trend", 72, 535, 2, 0, -1, 2},
        {"within 1 of the previous left edge, previous left: left", 300.5, 400, 1, 0, 300, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto line = textLine(c.left, 200, u"text", 0, c.right - c.left);
        auto previous = c.previousLeft >= 0 ? textLine(c.previousLeft, 186, u"text", 1, 50) : nullptr;
        EXPECT_EQ(KXDocxPageSection::RecognizeTextAlign(line.get(), previous.get(), c.previousAlign, c.trend, content,
                                                        column),
                  c.want);
    }

    struct TrendCase {
        const char* what;
        std::vector<std::pair<double, double>> lines;  // left, right of each line
        kx::Rect content;
        int want;
    };
    const TrendCase trends[] = {
        {"one line", {{72, 300}}, kx::Rect(72, 0, 228, 10), 0},
        {"two lines centred in the column", {{200, 412}, {220, 392}}, kx::Rect(200, 0, 212, 20), 2},
        {"two lines off centre", {{72, 300}, {72, 250}}, kx::Rect(72, 0, 228, 20), 0},
        {"four lines, the last three justified", {{90, 540}, {72, 540}, {72, 540}, {72, 540}}, column, 3},
        {"right edges only", {{72, 540}, {100, 540}, {200, 540}, {300, 540}}, column, 1},
    };
    for (const TrendCase& c : trends) {
        SCOPED_TRACE(c.what);
        KXDocxRunTextLineArray lines;
        for (size_t i = 0; i < c.lines.size(); ++i)
            lines.push_back(textLine(c.lines[i].first, 100 + 14.0 * i, u"text", i, c.lines[i].second - c.lines[i].first));
        EXPECT_EQ(KXDocxPageSection::RecognizeTextAlignTrend(lines, c.content, column), c.want);
    }
}

TEST(KXDocxPageSection, MergingStopsAtEachSignOfAForcedBreak) {
    // Three lines of one column, 14 apart, each filling the text width: they join, unless one of
    // them shows a reason not to.
    struct LineSpec {
        std::u16string text;
        double left = 72, width = 400;
        double top = 0;  // 0: 14 below the line before
        std::string font = "Liberation Serif";
        float sz = 10;
    };
    struct Case {
        const char* what;
        std::vector<LineSpec> lines;
        size_t joined;
    };
    const std::u16string body = u"running text that fills the line";
    auto L = [&](std::u16string text) { return LineSpec{std::move(text)}; };
    auto shifted = [&](double left) {
        LineSpec s = L(body);
        s.left = left;
        s.width = 472 - left;
        return s;
    };
    auto span = [&](double left, double right) {
        LineSpec s = L(body);
        s.left = left;
        s.width = right - left;
        return s;
    };
    auto font = [&](std::string name, float sz) {
        LineSpec s = L(body);
        s.font = std::move(name);
        s.sz = sz;
        return s;
    };
    auto at = [&](double top) {
        LineSpec s = L(body);
        s.top = top;
        return s;
    };
    auto shortLine = [&] {
        LineSpec s = L(u"a short line");
        s.width = 100;
        return s;
    };
    const Case cases[] = {
        {"running text", {L(body), L(body), L(body)}, 3},
        {"a line beginning with \"o\"", {L(body), L(u"o item"), L(body)}, 1},
        {"a line beginning with \".\"", {L(body), L(u".dot"), L(body)}, 1},
        {"a colon", {L(body), L(u"Name: value of the field"), L(body)}, 1},
        {"a bullet", {L(body), L(u"\u2022 an item of a list here"), L(body)}, 1},
        {"a bar", {L(body), L(u"left | right column text"), L(body)}, 1},
        {"another font", {L(body), font("Liberation Sans", 10), L(body)}, 1},
        {"another size", {L(body), font("Liberation Serif", 12), L(body)}, 1},
        {"a third line at another pitch", {L(body), L(body), at(100 + 28 + 3)}, 2},
        {"one character each", {L(u"a"), L(u"b"), L(u"c")}, 1},
        {"a line whose next word would have fitted on it", {shortLine(), L(body), L(body)}, 1},
        {"a first line indented", {shifted(90), L(body), L(body)}, 3},
        {"a ragged left-aligned column whose third line starts left of the second",
         {span(90, 460), span(72, 470), span(70, 468)}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxParagraphArray paragraphs;
        double top = 100;
        for (size_t i = 0; i < c.lines.size(); ++i) {
            const LineSpec& s = c.lines[i];
            if (s.top > 0) top = s.top;
            auto line = textLine(s.left, top, s.text, i * 10, s.width, s.font, s.sz);
            paragraphs.push_back(KXDocxParagraph::initWithLineArray({line}, 0, 10, 4, kx::Rect(72, 100, 468, 300), 0,
                                                                    pageRecord()));
            top += 14;
        }
        KXDocxPageSection section(pageRecord());
        EXPECT_EQ(section.findMergeParagraphs(paragraphs).size(), c.joined);
    }
}

TEST(KXDocxPageSection, JoinedParagraphs) {
    KXDocxParagraphArray paragraphs;
    const double heights[] = {10, 11, 12};
    double top = 100;
    for (int i = 0; i < 3; ++i) {
        auto line = textLine(72, top, i ? u"continued words" : u"first words", i * 10, 400);
        paragraphs.push_back(KXDocxParagraph::initWithLineArray({line}, i == 0 ? 6 : 0, heights[i], i == 2 ? 9 : 2,
                                                                kx::Rect(72, 100, 468, 300), 0, pageRecord()));
        top += 14;
    }
    KXDocxPageSection section(pageRecord());
    auto merged = section.mergeParagraphs(paragraphs);
    EXPECT_EQ(merged->lineArray().size(), 3u);
    EXPECT_DOUBLE_EQ(merged->yBefore(), 6);
    EXPECT_DOUBLE_EQ(merged->yAfter(), 9);
    EXPECT_DOUBLE_EQ(merged->yHeight(), (6 + 10 + 2) + (11 + 2) + (12 + 9) - 6 - 9);
    EXPECT_EQ(merged->paragraphText(), u"first words continued words continued words")
        << "one blank where two lines of words meet";

    // Lines of full-width characters join without a blank.
    auto a = textLine(72, 100, u"\u4E2D\u6587", 0, 40), b = textLine(72, 114, u"\u6587\u5B57", 10, 40);
    KXDocxParagraphArray cjk{
        KXDocxParagraph::initWithLineArray({a}, 0, 10, 4, kx::Rect(72, 100, 468, 300), 0, pageRecord()),
        KXDocxParagraph::initWithLineArray({b}, 0, 10, 4, kx::Rect(72, 100, 468, 300), 0, pageRecord())};
    EXPECT_EQ(section.mergeParagraphs(cjk)->paragraphText(), u"\u4E2D\u6587\u6587\u5B57");
}

TEST(KXDocxPageSection, SpacingCorrections) {
    // Line spacings written in twentieths of a point: the last one takes the rounding error back.
    KXDocxParagraphArray three;
    for (int i = 0; i < 3; ++i) {
        auto p = std::make_shared<KXDocxParagraph>();
        p->setSpaceLine(12.34);
        three.push_back(p);
    }
    KXDocxPageSection section(pageRecord());
    section.fixErrorSpaceInParagraphs(three);
    EXPECT_FLOAT_EQ(three[0]->pProperty().spacing.line, 12.34f);
    EXPECT_NEAR(three[2]->pProperty().spacing.line, 12.31, 1e-4);

    struct Case {
        const char* what;
        double prevAfter, curBefore;  // measured gaps of two text paragraphs
        double wantAfter, wantBefore;
    };
    const Case cases[] = {{"a gap of 10 goes after the first", 6, 4, 10, 0}, {"a gap of 0.9 stays", 0.5, 0.4, 4, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto first = KXDocxParagraph::initWithLineArray({textLine(72, 100, u"first", 0)});
        auto second = KXDocxParagraph::initWithLineArray({textLine(72, 120, u"second", 10)});
        first->setYAfter(c.prevAfter);
        second->setYBefore(c.curBefore);
        first->setSpaceLineAfter(4);
        second->setSpaceLineBefore(3);
        KXDocxPageSection s(pageRecord());
        s.setParagraphGroupArray({{first, second}});
        auto columns = s.autoFitParagraphSpacing();
        EXPECT_NEAR(first->pProperty().spacing.after, c.wantAfter, 1e-4);
        EXPECT_NEAR(second->pProperty().spacing.before, c.wantBefore, 1e-4);
    }

    struct BlankCase {
        const char* what;
        double blankLine;
        size_t paragraphsLeft;
        double wantAfter, wantBlankLine;
    };
    const BlankCase blanks[] = {{"a 14-point blank is folded in", 14, 1, 16, 0},
                                {"a 30-point blank gives up the line's height", 30, 2, 12, 20}};
    for (const BlankCase& c : blanks) {
        SCOPED_TRACE(c.what);
        RunSpec s;
        s.text = u"text";
        s.height = 12;
        s.yBase = 100;
        auto text = KXDocxParagraph::initWithLineArray({KXDocxRunTextLine::initWithRunTextArray({makeRun(s)})});
        text->setSpaceLineAfter(2);
        auto blank = KXDocxParagraph::BlankParagraph(c.blankLine, 0, 0, 0, 0, KXDocxUtilities::defaultRProperty(),
                                                     pageRecord(), 200, kx::Rect(72, 0, 468, 700))
                         .front();
        blank->setSpaceLine(c.blankLine);
        KXDocxPageSection s2(pageRecord());
        s2.setParagraphGroupArray({{text, blank}});
        auto columns = s2.autoFitParagraphSpacing();
        ASSERT_EQ(columns.size(), 1u);
        EXPECT_EQ(columns[0].size(), c.paragraphsLeft);
        EXPECT_NEAR(text->pProperty().spacing.after, c.wantAfter, 1e-4);
        if (c.paragraphsLeft == 2) {
            EXPECT_NEAR(blank->pProperty().spacing.line, c.wantBlankLine, 1e-4);
        }
    }
}

TEST(KXDocxPageSection, APageWithoutText) {
    auto section = KXDocxPageSection::BankPageSectionWithSectProperty(pageRecord());
    auto p = section->firstParagraph();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->contentFrame(), kx::Rect(72, 72, 1, 12));
    EXPECT_DOUBLE_EQ(section->footBlankHeight(), 792 - 144 - 12);
}

TEST(KXDocxPageSection, ABreakParagraphTakesThePropertiesOfTheParagraphItCloses) {
    // The break paragraph written after the last paragraph of the band.
    auto breakParagraph = [](const std::string& xml) {
        const size_t sect = xml.find("<w:sectPr>");
        const size_t begin = xml.rfind("<w:p>", sect);
        return xml.substr(begin, sect - begin);
    };
    auto section = band(1, false, false, false, true);
    auto last = section->lastParagraph();
    ASSERT_TRUE(last);
    KXDocx_PPr p = last->pProperty();
    p.spacing.before = 3;
    p.spacing.after = 7;
    p.ind.left = 18;
    p.jc = 2;
    last->setPProperty(p);
    const std::string closing = breakParagraph(written(*section));
    EXPECT_NE(closing.find("w:left=\"360\""), std::string::npos) << closing;
    EXPECT_NE(closing.find("<w:jc w:val=\"center\"/>"), std::string::npos) << closing;
    EXPECT_NE(closing.find("w:ascii=\"" + last->rProperty().rFonts.ascii + "\""), std::string::npos) << closing;
    EXPECT_NE(closing.find(kx::format("<w:sz w:val=\"%.0f\"/>", 2 * last->rProperty().sz)), std::string::npos) << closing;
    // But next to no height: the bands fill the page without it, and a line more at the foot of a
    // page spills onto another.
    EXPECT_NE(closing.find("<w:spacing w:before=\"0\" w:after=\"0\" w:line=\"1\" w:lineRule=\"exact\"/>"),
              std::string::npos)
        << closing;

    // Without a paragraph to take them from, zero records, the section's record too.
    auto empty = band(1, false, false, false, true);
    empty->setParagraphGroupArray({{}});
    const std::string emptyXml = written(*empty);
    const std::string none = breakParagraph(emptyXml);
    EXPECT_NE(none.find("<w:spacing w:before=\"0\" w:after=\"0\" w:line=\"0\""), std::string::npos) << none;
    EXPECT_NE(none.find("<w:sz w:val=\"0\"/>"), std::string::npos) << none;
    EXPECT_NE(emptyXml.find("<w:pgSz w:w=\"0\" w:h=\"0\"/>"), std::string::npos) << emptyXml;
}

// Lines laid out as paragraphs whose spacing reproduces where they stand: a line's space after is
// the gap below it up to twice its height, and a larger gap leaves blank paragraphs for the rest,
// placed where that rest lies.
TEST(KXDocxPageSection, LinesBecomeParagraphsSpacedAsTheyStand) {
    struct Case {
        const char* what;
        double gap;  // below the first line (10 high, 5 below the band's top)
        double after, blank;
    };
    const Case cases[] = {{"a gap of 40: 20 after the line, 20 of blank paragraphs", 40, 20, 20},
                          {"a gap of 25 (25 - 8 is not above 20): all of it after the line", 25, 25, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxPageSection section(pageRecord());
        section.setSectionFrame(kx::Rect(72, 200, 468, 200));
        section.setColumGroupFrame(kx::Rect(72, 205, 468, 20 + c.gap));
        section.setColumGroupArray({{textLine(72, 205, u"first line of text", 0, 300),
                                     textLine(72, 215 + c.gap, u"second line of text", 10, 300)}});
        ASSERT_EQ(section.paragraphGroupArray().size(), 1u);
        const auto& column = section.paragraphGroupArray()[0];
        auto first = std::dynamic_pointer_cast<KXDocxParagraph>(column.front());
        ASSERT_TRUE(first);
        EXPECT_DOUBLE_EQ(first->yBefore(), 5) << "the band's top is pulled up to the line";
        EXPECT_DOUBLE_EQ(first->yAfter(), c.after);
        double blank = 0;
        for (size_t i = 1; i < column.size(); ++i) {
            auto p = std::dynamic_pointer_cast<KXDocxParagraph>(column[i]);
            ASSERT_TRUE(p);
            if (!p->isParagraphBlankText()) break;  // the second line
            if (i == 1) { EXPECT_DOUBLE_EQ(p->contentFrame().origin.y, 5 + 205 + 10 + c.after); }
            blank += p->pProperty().spacing.line;
        }
        EXPECT_NEAR(blank, c.blank, 1e-4);
    }
}

// A column that starts lower than the band, its first two lines set so close that their boxes
// overlap: the two share the height of their boxes by their baselines, and the lines below keep
// their places.
TEST(KXDocxPageSection, CloseSetLinesAtTheTopOfALowerColumnKeepTheirHeight) {
    KXDocxPageSection section(pageRecord());
    section.setSectionFrame(kx::Rect(72, 100, 468, 300));
    section.setColumGroupFrame(kx::Rect(72, 100, 468, 250));
    KXDocxRunTextLineArray left, right;
    for (int i = 0; i < 10; ++i) left.push_back(textLine(72, 100 + 14.0 * i, u"left column line", i, 200));
    right.push_back(textLine(322, 220, u"two lines set", 20, 200));
    right.push_back(textLine(322, 228, u"close together", 21, 200));  // 2 into the box above
    right.push_back(textLine(322, 250, u"and a line below", 22, 200));
    section.setColumGroupArray({left, right});
    ASSERT_EQ(section.paragraphGroupArray().size(), 2u);
    const auto& column = section.paragraphGroupArray()[1];
    ASSERT_GE(column.size(), 3u);
    double y = section.columGroupFrame().origin.y;
    std::vector<double> heights;
    for (size_t i = 0; i < 2; ++i) {
        auto p = std::dynamic_pointer_cast<KXDocxParagraph>(column[i]);
        ASSERT_TRUE(p);
        heights.push_back(p->yHeight());
        y += p->yBefore() + p->yHeight() + p->yAfter();
    }
    EXPECT_GT(heights[1], 5) << "the second line keeps most of its 10-point box";
    EXPECT_NEAR(y, 250, 1.0) << "the line below starts where it stands";
}

// Rows whose pieces stand apart like the cells of a table (an item, then its price at the right
// edge) are not joined into a running paragraph: where the text is wider in the font the reader
// sets it in, a running paragraph would wrap each row's last cell onto the start of the next row.
TEST(KXDocxPageSection, RowsSetApartLikeCellsStayParagraphs) {
    struct Case {
        const char* what;
        double gap;  // between the item and its price
        size_t joined;
    };
    const Case cases[] = {{"an item and its price far apart", 200, 1},
                          {"words one blank apart", 3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxParagraphArray paragraphs;
        for (int i = 0; i < 3; ++i) {
            const double base = 108 + 14.0 * i;
            const double priceX = 472 - 30;
            const double itemWidth = priceX - c.gap - 72;
            auto line = kx::test::makeLine({{.text = u"Item of the season", .x = 72, .width = itemWidth, .yBase = base,
                                             .scan = 10u * i, .lineHeight = 11.5},
                                            {.text = u"$1.00", .x = priceX, .width = 30, .yBase = base,
                                             .scan = 10u * i + 1, .lineHeight = 11.5}});
            paragraphs.push_back(KXDocxParagraph::initWithLineArray({line}, 0, 10, 4, kx::Rect(72, 100, 468, 300), 0,
                                                                    pageRecord()));
        }
        KXDocxPageSection section(pageRecord());
        EXPECT_EQ(section.findMergeParagraphs(paragraphs).size(), c.joined);
    }
}

// The text frame stretched down by its last line's spacing when the band leaves room for it.
TEST(KXDocxPageSection, TheTextFrameTakesItsLastLinesSpacing) {
    struct Case {
        const char* what;
        std::vector<std::pair<double, double>> lines;  // top and height of each line
        double lineHeight;                             // Word's single line of the text
        double room;                                   // below the frame, in the band
        int vAlign;
        bool tableBelow;
        kx::Rect want;  // the frame after, from (72, 100, 468, text height)
    };
    const Case cases[] = {
        {"one 10-point line of a 12-point single line, 5 of room: 2 taller", {{100, 10}}, 12, 5, 0, false,
         kx::Rect(72, 100, 468, 12)},
        {"the same, vertically aligned: also 2 higher", {{100, 10}}, 12, 5, 1, false, kx::Rect(72, 98, 468, 14)},
        {"the same with no more room than it needs", {{100, 10}}, 12, 2, 0, false, kx::Rect(72, 100, 468, 10)},
        {"the same onto a table of the band: put back", {{100, 10}}, 12, 5, 0, true, kx::Rect(72, 100, 468, 10)},
        {"two lines 4 apart: the gap below the last one too", {{100, 10}, {114, 10}}, 11.5, 5, 0, false,
         kx::Rect(72, 100, 468, 28)},
        {"two lines of other heights: unchanged", {{100, 10}, {114, 13}}, 11.5, 5, 0, false,
         kx::Rect(72, 100, 468, 27)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocx_SectPr record = pageRecord();
        record.vAlign = c.vAlign;
        KXDocxPageSection section(record);
        KXDocxRunTextLineArray lines;
        for (size_t i = 0; i < c.lines.size(); ++i) {
            const auto [top, height] = c.lines[i];
            lines.push_back(kx::test::makeLine({{.text = u"text", .x = 72, .width = 200, .yBase = top + 0.8 * height,
                                                 .height = height, .scan = i, .lineHeight = c.lineHeight}}));
        }
        const kx::Rect text = KXDocxRunTextLine::FrameOfLineArray(lines);
        const kx::Rect frame(72, text.minY(), 468, text.size.height);
        // Laid out in a band that ends at the text, so that the layout leaves the frame as it is.
        section.setSectionFrame(frame);
        section.setColumGroupFrame(frame);
        section.setColumGroupArray({lines});
        ASSERT_EQ(section.columGroupFrame(), frame);

        section.setSectionFrame(kx::Rect(72, frame.minY(), 468, frame.size.height + c.room));
        if (c.tableBelow) {
            auto table = std::make_shared<KXDocxTable>();
            table->setBounds(kx::Rect(72, frame.maxY() + 1, 100, 3));
            section.addTable(table);
        }
        section.updateColumGroupFrame();
        EXPECT_EQ(section.columGroupFrame(), c.want);
    }
}

TEST(KXDocxPageSection, MovingUpTakesTheOuterSpacingOfEachColumn) {
    auto paragraph = [](float before, float after) {
        auto p = std::make_shared<KXDocxParagraph>();
        KXDocx_PPr pp = p->pProperty();
        pp.spacing.before = before;
        pp.spacing.after = after;
        p->setPProperty(pp);
        return p;
    };
    // Column one: 4 before its first paragraph and 3 after its last, 7 in all; column two: 6 and
    // 8, enough for 10.
    auto a1 = paragraph(4, 1), a2 = paragraph(2, 3), b1 = paragraph(6, 0), b2 = paragraph(0, 8);
    KXDocxPageSection section(pageRecord());
    section.setParagraphGroupArray({{a1, a2}, {b1, b2}});
    EXPECT_DOUBLE_EQ(section.moveUpParagraphIfNeed(10), 0) << "what the last column leaves over";
    EXPECT_FLOAT_EQ(a1->pProperty().spacing.before, 0);
    EXPECT_FLOAT_EQ(a2->pProperty().spacing.after, 0);
    EXPECT_FLOAT_EQ(a1->pProperty().spacing.after, 1) << "inner spacing is left alone";
    EXPECT_FLOAT_EQ(a2->pProperty().spacing.before, 2);
    EXPECT_FLOAT_EQ(b1->pProperty().spacing.before, 0);
    EXPECT_FLOAT_EQ(b2->pProperty().spacing.after, 4);

    // The last column short of space: what it cannot give is the answer.
    auto c1 = paragraph(2, 3);
    KXDocxPageSection one(pageRecord());
    one.setParagraphGroupArray({{c1}});
    EXPECT_DOUBLE_EQ(one.moveUpParagraphIfNeed(10), 5) << "one paragraph gives its space before, then its after";
    EXPECT_FLOAT_EQ(c1->pProperty().spacing.before, 0);
    EXPECT_FLOAT_EQ(c1->pProperty().spacing.after, 0);

    // A shift down moves nothing; a section without columns cannot move.
    auto d1 = paragraph(4, 4);
    KXDocxPageSection down(pageRecord());
    down.setParagraphGroupArray({{d1}});
    EXPECT_DOUBLE_EQ(down.moveUpParagraphIfNeed(-3), 0);
    EXPECT_FLOAT_EQ(d1->pProperty().spacing.before, 4);
    KXDocxPageSection none(pageRecord());
    EXPECT_DOUBLE_EQ(none.moveUpParagraphIfNeed(7), 7);
}

// The vertical alignment of a box's content, read from where its text stands between the box's
// top and bottom; the top band then starts a little above the text instead of at the box's top.
TEST(KXDocxPageSection, ABoxsContentIsAlignedAsItStands) {
    struct Case {
        const char* what;
        double above;  // the text's distance from the box's top (the box is 200 high, the text 59)
        bool columnMode;
        int want;
    };
    const Case cases[] = {{"centred: 70 above, 71 below", 70, false, 1},
                          {"40 lower than centred: bottom", 110, false, 2},
                          {"near the top", 2, false, 0},
                          {"in column mode the alignment is left as it was", 110, true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocx_SectPr box = pageRecord();
        box.type = KXDocxPageSection::kInnerSectionType;
        box.pgMar = {100, 72, 792 - 300, 72, 0, 0, 0};  // the box: y from 100 to 300
        KXDocxRunTextArray runs;
        const double tops[] = {0, 16, 32, 49};  // four 10-high lines: 59 from the first top to the last bottom
        for (size_t i = 0; i < 4; ++i)
            runs.push_back(makeRun({.text = u"a line of the box", .x = 80, .width = 200,
                                    .yBase = 100 + c.above + tops[i] + 8, .scan = i, .lineHeight = 11.5}));
        auto sections = KXDocxPageSection::CreatePageSection(runs, box, c.columnMode);
        ASSERT_FALSE(sections.empty());
        const KXDocxPageSection& first = *sections.front();
        EXPECT_EQ(first.sectProperty().vAlign, c.want);
        const double textTop = 100 + c.above;
        if (c.want == 0) {
            EXPECT_DOUBLE_EQ(first.sectionFrame().minY(), 100);
        } else {
            EXPECT_LT(first.sectionFrame().minY(), textTop);
            EXPECT_GE(first.sectionFrame().minY(), textTop - 8);
        }
        EXPECT_DOUBLE_EQ(sections.back()->sectionFrame().maxY(), 300) << "the last band reaches the box's bottom";
    }
}
