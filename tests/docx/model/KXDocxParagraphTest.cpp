// Paragraphs from synthetic lines: how each gap between two runs is written, leaders that become
// underlines, the spacing and line rule resolved from the lines' geometry, blank paragraphs, and
// the "w:p" each paragraph writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <regex>

#include "DocxModelFixtures.h"
#include "docx/model/KXDocxParagraph.h"
#include "docx/model/KXDocxRunTab.h"
#include "util/KXConverterUtilities.h"
#include "platform/Unicode.h"

using kx::test::makeLine;
using kx::test::makeRun;
using kx::test::RunSpec;
using kx::test::wordFragment;

namespace {

// The runs of the write groups: text runs by their text, tab runs as "<tab>", groups split by "/".
std::u16string groupsOf(const KXDocxParagraph& p) {
    std::u16string out;
    for (const auto& group : p.writeRunGroupArray()) {
        if (!out.empty()) out.push_back(u'/');
        for (size_t i = 0; i < group.size(); ++i) {
            if (i) out.push_back(u',');
            if (auto text = std::dynamic_pointer_cast<KXDocxRunText>(group[i]))
                out += text->runText();
            else if (std::dynamic_pointer_cast<KXDocxRunTab>(group[i]))
                out += u"<tab>";
            else
                out += u"<other>";
        }
    }
    return out;
}

RunSpec word(std::u16string text, double x, std::uint64_t scan, double width = 30) {
    RunSpec s;
    s.text = std::move(text);
    s.x = x;
    s.width = width;
    s.scan = scan;
    s.showText = scan;
    return s;
}

std::string fonts(const std::string& name) {
    return "<w:rFonts w:ascii=\"" + name + "\" w:hAnsi=\"" + name + "\" w:cs=\"" + name + "\" w:eastAsia=\"" + name +
           "\"/>";
}
std::string rPr(int halfPoints, const std::string& extra = "") {
    const std::string size = std::to_string(halfPoints);
    return "<w:rPr>" + fonts("Liberation Serif") + "<w:sz w:val=\"" + size + "\"/><w:szCs w:val=\"" + size +
           "\"/><w:color w:val=\"000000\"/>" + extra + "<w:noProof/></w:rPr>";
}
std::string run(const std::string& text, int halfPoints = 20, const std::string& extra = "") {
    return "<w:r>" + rPr(halfPoints, extra) + "<w:t>" + text + "</w:t></w:r>";
}
std::string pPr(const std::string& spacing, const std::string& ind, const std::string& jc, int markHalfPoints = 20,
                const std::string& tabs = "") {
    return "<w:pPr>" + tabs + "<w:spacing " + spacing + "/><w:ind " + ind + "/><w:jc w:val=\"" + jc + "\"/>" +
           rPr(markHalfPoints) + "</w:pPr>";
}

// The runs written after the paragraph's properties: their text and character spacing (twips).
struct WrittenRun {
    std::string text;
    int spacing;
    int scale = 100;  // horizontal scale in percent
};
std::vector<WrittenRun> writtenRuns(const std::string& xml) {
    std::vector<WrittenRun> runs;
    const std::string body = xml.substr(xml.find("</w:pPr>"));
    const std::regex run("<w:r>(.*?)</w:r>"), spacing("<w:spacing w:val=\"(-?[0-9]+)\"/>"),
        text("<w:t[^>]*>([^<]*)</w:t>"), scale("<w:w w:val=\"([0-9]+)\"/>");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), run); it != std::sregex_iterator(); ++it) {
        const std::string r = (*it)[1];
        std::smatch m;
        WrittenRun w{std::regex_search(r, m, text) ? m[1].str() : "", 0};
        if (std::regex_search(r, m, spacing)) w.spacing = std::stoi(m[1]);
        if (std::regex_search(r, m, scale)) w.scale = std::stoi(m[1]);
        runs.push_back(w);
    }
    return runs;
}

}  // namespace

TEST(KXDocxParagraph, EachGapBetweenTwoRunsIsWrittenOneWay) {
    struct Case {
        const char* what;
        RunSpec left, right;
        bool twoLines;  // a second line "Next" follows
        std::u16string text, groups;
        double leftOutside, rightOutside;
    };
    RunSpec hello = word(u"Hello", 100, 0);  // 100 .. 130, blanks 3 wide
    RunSpec bold = word(u"World", 105, 1);
    bold.font = "Liberation Sans";
    RunSpec merged = word(u"Hello ", 100, 0);
    const Case cases[] = {
        {"0.5 apart: touching, half the gap each", hello, word(u"World", 130.5, 5), false, u"HelloWorld",
         u"Hello,World", 0.25, 0.25},
        {"10 apart in one line: a tab", hello, word(u"World", 140, 1), false, u"Hello\tWorld", u"Hello,<tab>,World",
         0, 0},
        {"10 apart in a paragraph of two lines: a blank", hello, word(u"World", 140, 1), true, u"Hello WorldNext",
         u"Hello ,World/Next", 7, 0},
        {"3 apart after a blank: joined", word(u"Hello ", 100, 0), word(u"World", 133, 1), false, u"Hello World",
         u"Hello ,World", 3, 0},
        {"3 apart without blanks: a blank", hello, word(u"World", 133, 1), false, u"Hello World", u"Hello ,World", 0,
         0},
        {"one character 1.2 before the next: joined", word(u"H", 100, 0, 6), word(u"World", 107.2, 1), false,
         u"HWorld", u"H,World", 1.2, 0},
        {"lying over the left run, same format: one run", hello, word(u"World", 105, 1), false, u"HelloWorld",
         u"HelloWorld", 0, 0},
        {"lying over the left run, other format: the right run steps back", hello, bold, false, u"HelloWorld",
         u"Hello,World", 0, -25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto left = makeRun(c.left), right = makeRun(c.right);
        KXDocxRunTextLineArray lines{KXDocxRunTextLine::initWithRunTextArray({left, right})};
        if (c.twoLines) lines.push_back(makeLine({word(u"Next", 100, 2)}));
        auto paragraph = KXDocxParagraph::initWithLineArray(lines);
        EXPECT_EQ(paragraph->paragraphText(), c.text);
        EXPECT_EQ(groupsOf(*paragraph), c.groups);
        EXPECT_NEAR(left->outsideSpacing(), c.leftOutside, 1e-9);
        EXPECT_NEAR(right->outsideSpacing(), c.rightOutside, 1e-9);
    }

    // A tab run stands at the right run's left edge with the gap's width.
    auto paragraph = KXDocxParagraph::initWithLineArray({makeLine({hello, word(u"World", 140, 1)})});
    auto tab = std::dynamic_pointer_cast<KXDocxRunTab>(paragraph->writeRunGroupArray()[0][1]);
    ASSERT_TRUE(tab);
    EXPECT_DOUBLE_EQ(tab->tabPostion(), 140);
    EXPECT_DOUBLE_EQ(tab->tabWidth(), 10);

    // A run made of several pieces gives its trailing blank to a run of its own.
    auto piece = makeRun(merged);
    piece->setPdfScanLength(2);
    auto line = KXDocxRunTextLine::initWithRunTextArray({piece, makeRun(word(u"World", 140, 2))});
    auto split = KXDocxParagraph::initWithLineArray({line, makeLine({word(u"Next", 100, 3)})});
    EXPECT_EQ(groupsOf(*split), u"Hello, ,World/Next");
    EXPECT_EQ(line->runTextArray().size(), 3u) << "the blank run joins its line";
    auto blank = std::dynamic_pointer_cast<KXDocxRunText>(split->writeRunGroupArray()[0][1]);
    EXPECT_DOUBLE_EQ(blank->outsideSpacing(), 10);

}

TEST(KXDocxParagraph, LeadersThatCrossTextBecomeItsUnderline) {
    struct Case {
        const char* what;
        std::u16string leader;
        double leaderX;
        int underline;  // 0: nothing changes
        std::string written;
    };
    const Case cases[] = {
        {"underscores: single", u"__________", 100, 1, "single"},
        {"dots: dotted", u"..........", 100, 4, "dotted"},
        {"equals signs: double", u"==========", 100, 2, "double"},
        {"dot and underscore: dash", u"._._._._._", 100, 6, "dash"},
        {"a leader beside the text: nothing", u"__________", 200, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto name = makeRun(word(u"Name", 100, 0, 30));
        auto leader = makeRun(word(c.leader, c.leaderX, 1, 60));
        KXDocxParagraph paragraph;
        paragraph.setWriteRunGroupArray({{name, leader}});
        paragraph.fixOutsideSpacingError();
        EXPECT_EQ(name->rProperty().u, c.underline);
        EXPECT_EQ(leader->runText(), c.underline ? u" " : c.leader);
        EXPECT_LE(name->outsideSpacing(), 0);
        if (c.underline) {
            std::string xml = wordFragment([&](XMLFileWriter& w) { name->writeWithXMLWriter(w); });
            EXPECT_NE(xml.find("<w:u w:val=\"" + c.written + "\" w:color=\"000000\"/>"), std::string::npos) << xml;
        }
    }
}

TEST(KXDocxParagraph, SpacingAndLineRuleFromTheLines) {
    struct LineSpec {
        double top, height, lineHeight, blankTop;
    };
    struct Case {
        const char* what;
        std::vector<LineSpec> lines;
        double yBefore, yHeight, yAfter;
        double before, after, line;
        const char* rule;
    };
    const Case cases[] = {
        {"one line with no room: one exact point", {{100, 10, 0, 0}}, 2, 0.5, 0, 0, 0, 1, "exact"},
        {"one line that fits Word's line after its blank top", {{100, 12, 14, 2}}, 6, 12, 3, 4, 3, 14, "auto"},
        {"the same with no room above for the blank top", {{100, 12, 14, 2}}, 1, 12, 3, 1, 3, 12, "exact"},
        {"one line of an unknown font: its glyph height", {{100, 10, 0, 0}}, 6, 12, 3, 6, 5, 10, "exact"},
        {"three lines 14 apart, Word's line 12: the floor rule",
         {{100, 14, 12, 0}, {114, 14, 12, 0}, {128, 14, 12, 0}}, 5, 42, 0, 5, 0, 14, "auto"},
        {"three lines 14 apart, Word's line 14: whole lines",
         {{100, 14, 14, 0}, {114, 14, 14, 0}, {128, 14, 14, 0}}, 5, 42, 0, 5, 0, 14, "auto"},
        {"three lines 14 apart of an unknown font", {{100, 14, 0, 0}, {114, 14, 0, 0}, {128, 14, 0, 0}}, 5, 42, 2, 5,
         2, 14, "exact"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxRunTextLineArray lines;
        for (size_t i = 0; i < c.lines.size(); ++i) {
            const LineSpec& l = c.lines[i];
            RunSpec s = word(u"word", 100, i);
            s.height = l.height;
            s.yBase = l.top + 0.8 * l.height;
            s.lineHeight = l.lineHeight;
            auto r = makeRun(s);
            r->setWordSingleLineBlankTop(l.blankTop);
            lines.push_back(KXDocxRunTextLine::initWithRunTextArray({r}));
        }
        auto p = KXDocxParagraph::initWithLineArray(lines, c.yBefore, c.yHeight, c.yAfter, kx::Rect(72, 0, 468, 700), 0,
                                                    KXDocxUtilities::defaultSectPropertyHiden());
        const KXDocx_Spacing& s = p->pProperty().spacing;
        EXPECT_NEAR(s.before, c.before, 1e-4);
        EXPECT_NEAR(s.after, c.after, 1e-4);
        EXPECT_NEAR(s.line, c.line, 1e-4);
        EXPECT_EQ(s.lineRule, c.rule);
        EXPECT_NEAR(p->resolvedHeight(), c.line - 12, 1e-4) << "change from the default line of 12";
        if (c.lines.size() == 1) {
            EXPECT_FLOAT_EQ(p->pProperty().ind.left, 28);
        }
    }
}

TEST(KXDocxParagraph, LineSpacingEstimateCountsEveryPair) {
    KXDocxRunTextLineArray lines;
    for (double bottom : {10.0, 24.0, 44.0}) {
        RunSpec s = word(u"w", 100, lines.size());
        s.yBase = bottom - 2;
        lines.push_back(makeLine({s}));
    }
    KXDocxParagraph p;
    p.setLineArray(lines);
    EXPECT_DOUBLE_EQ(p.averageSpacingLineWithRunTextLines(), 17);
}

TEST(KXDocxParagraph, BlankParagraphsFillASpace) {
    struct Case {
        const char* what;
        double b;
        float sz;
        std::vector<double> lines;
    };
    const Case cases[] = {
        {"30 points of 10-point lines", 30, 10, {10, 10, 10}},
        {"15 points: one paragraph of 15", 15, 10, {15}},
        {"35 points: the last one takes the rest", 35, 10, {10, 10, 15}},
        {"no size and no line: 12-point lines", 30, 0, {12, 18}},
        {"a space that is no number: one paragraph", NAN, 10, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
        r.sz = c.sz;
        auto paragraphs = KXDocxParagraph::BlankParagraph(c.b, 0, 5, 0, 0, r, KXDocxUtilities::defaultSectPropertyHiden(),
                                                          200, kx::Rect(72, 0, 468, 700));
        ASSERT_EQ(paragraphs.size(), c.lines.size());
        double y = 200;
        for (size_t i = 0; i < paragraphs.size(); ++i) {
            EXPECT_NEAR(paragraphs[i]->pProperty().spacing.line, c.lines[i], 1e-4);
            EXPECT_EQ(paragraphs[i]->pProperty().spacing.lineRule, "exact");
            EXPECT_DOUBLE_EQ(paragraphs[i]->contentFrame().origin.x, 77);
            EXPECT_NEAR(paragraphs[i]->contentFrame().origin.y, y, 1e-4);
            y += paragraphs[i]->pProperty().spacing.line;
        }
    }
    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    EXPECT_LE(KXDocxParagraph::BlankParagraph(1e12, 0, 0, 0, 0, r, KXDocxUtilities::defaultSectPropertyHiden(), 0,
                                              kx::Rect())
                  .size(),
              2000u)
        << "a malformed height does not make millions of paragraphs";
}

TEST(KXDocxParagraph, IgnorableParagraphsAndTheLastTextRun) {
    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    auto blank = KXDocxParagraph::BlankParagraph(1, 0, 0, 0, 0, r, KXDocxUtilities::defaultSectPropertyHiden(), 0,
                                                 kx::Rect())
                     .front();
    EXPECT_TRUE(blank->isCanIgnore());
    blank->insertRunPictArray({std::make_shared<KXDocxRun>()});
    EXPECT_FALSE(blank->isCanIgnore()) << "a picture is kept";
    EXPECT_FALSE(blank->lastRunText()) << "a group of pictures only has no text run";

    auto text = KXDocxParagraph::initWithLineArray({makeLine({word(u"a", 100, 0), word(u"b", 200, 1)})});
    EXPECT_FALSE(text->isCanIgnore());
    ASSERT_TRUE(text->lastRunText());
    EXPECT_EQ(text->lastRunText()->runText(), u"b");
}

TEST(KXDocxParagraph, TheFirstWordOfARunWithoutTextHasNoShareOfItsSpacing) {
    auto empty = makeRun(word(u"", 100, 0));
    empty->setInsideSpacing(4);
    auto line = KXDocxRunTextLine::initWithRunTextArray({empty, makeRun(word(u"word", 200, 5))});
    auto p = KXDocxParagraph::initWithLineArray({line});
    EXPECT_TRUE(std::isfinite(p->firstWordWidth()));
    EXPECT_EQ(p->firstWord(), u"word");
}

// The first word is the first piece the whole first line cuts into, also where a line cut into
// characters holds a character that takes in a space (a prefixed sign before it, a mark after it).
TEST(KXDocxParagraph, TheFirstWordIsTheFirstPieceOfTheWholeLine) {
    for (const std::u16string& text : {std::u16string(u"word and more"), std::u16string(u"\u0600 \u0301x"),
                                      std::u16string(u"\u4e2d \u6587"), std::u16string(u"  lead")}) {
        auto p = KXDocxParagraph::initWithLineArray({makeLine({word(text, 100, 0)})});
        const std::vector<std::u16string> pieces = KXConverterUtilities::ComponentsSeparatedByWords(text);
        ASSERT_FALSE(pieces.empty());
        EXPECT_EQ(p->firstWord(), pieces.front()) << kx::utf16ToUtf8(text);
    }
}

TEST(KXDocxParagraph, WritesOneParagraph) {
    // One line "Hello" 100 .. 130, 10 high; its column starts at 72: indent 28 (560 twips); 6
    // before, 10 exact, 4 after.
    const std::string spacing = "w:before=\"120\" w:after=\"80\" w:line=\"200\" w:lineRule=\"exact\"";
    const std::string indent = "w:firstLine=\"0\" w:left=\"560\" w:right=\"0\"";
    struct Case {
        const char* what;
        std::vector<std::vector<RunSpec>> lines;
        int jc;
        kx::Rect column;
        bool breakColumn;
        std::string want;
    };
    const kx::Rect column(72, 0, 468, 700);
    const RunSpec hello = word(u"Hello", 100, 0);
    const Case cases[] = {
        {"left", {{hello}}, 0, column, false, "<w:p>" + pPr(spacing, indent, "left") + run("Hello") + "</w:p>"},
        {"right-aligned, 20.6 before the column's edge: right indent 19", {{hello}}, 1, kx::Rect(72, 0, 78.6, 700), false,
         "<w:p>" + pPr(spacing, "w:firstLine=\"0\" w:left=\"0\" w:right=\"380\"", "right") + run("Hello") + "</w:p>"},
        {"centred 7.5 right of the column's centre: left indent 7", {{hello}}, 2, kx::Rect(72, 0, 71, 700), false,
         "<w:p>" + pPr(spacing, "w:firstLine=\"0\" w:left=\"140\" w:right=\"0\"", "center") + run("Hello") + "</w:p>"},
        {"one justified line is written left-aligned", {{hello}}, 3, column, false,
         "<w:p>" + pPr(spacing, indent, "left") + run("Hello") + "</w:p>"},
        {"a tab: left-aligned with its stop", {{hello, word(u"World", 140, 1)}}, 2, column, false,
         "<w:p>" +
             pPr(spacing, indent, "left", 20, "<w:tabs><w:tab w:val=\"left\" w:pos=\"1360\"/></w:tabs>") +
             run("Hello") + "<w:r>" + rPr(20) + "<w:tab/></w:r>" + run("World") + "</w:p>"},
        {"a column break comes first", {{hello}}, 0, column, true,
         "<w:p>" + pPr(spacing, indent, "left") + "<w:r><w:rPr/><w:br w:type=\"column\"/></w:r>" + run("Hello") +
             "</w:p>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxRunTextLineArray lines;
        for (const auto& specs : c.lines) {
            KXDocxRunTextArray runs;
            for (const RunSpec& s : specs) runs.push_back(makeRun(s));
            lines.push_back(KXDocxRunTextLine::initWithRunTextArray(runs));
        }
        auto p = KXDocxParagraph::initWithLineArray(lines, 6, 10, 4, c.column, c.jc,
                                                    KXDocxUtilities::defaultSectPropertyHiden());
        p->setBreakColumn(c.breakColumn);
        EXPECT_EQ(wordFragment([&](XMLFileWriter& w) { p->writeWithXMLWriter(w); }), c.want);
    }
}

TEST(KXDocxParagraph, NeighbouringRunsWrittenAlikeShareOneRun) {
    // "Hello" 100 .. 130 and a run after it that the line does not fuse with it (not next in the
    // content stream); the gap between touching runs is shared out as spacing over their
    // characters. The runs after the paragraph's properties are compared.
    const std::string spaced1 = "<w:spacing w:val=\"1\"/>";
    RunSpec sans = word(u"World", 130, 5);
    sans.font = "Liberation Sans";
    auto sansRun = [&](const std::string& text) {
        return "<w:r><w:rPr>" + fonts("Liberation Sans") +
               "<w:sz w:val=\"20\"/><w:szCs w:val=\"20\"/><w:color w:val=\"000000\"/><w:noProof/></w:rPr><w:t>" +
               text + "</w:t></w:r>";
    };
    struct Case {
        const char* what;
        const char16_t* left;
        RunSpec right;
        std::u16string groups;  // the runs the paragraph keeps
        std::string runs;       // and the runs written
    };
    const Case cases[] = {
        {"touching, the same format: one run", u"Hello", word(u"World", 130, 5), u"Hello,World", run("HelloWorld")},
        {"touching, another font: two runs", u"Hello", sans, u"Hello,World", run("Hello") + sansRun("World")},
        {"half a point apart: a twip a character on both sides, one run", u"Hello", word(u"World", 130.5, 5),
         u"Hello,World", run("HelloWorld", 20, spaced1)},
        {"half a point apart after two characters: 3 twips and 1, two runs", u"Hi", word(u"World", 130.5, 5),
         u"Hi,World", run("Hi", 20, "<w:spacing w:val=\"3\"/>") + run("World", 20, spaced1)},
        {"a tab between: three runs", u"Hello", word(u"World", 140, 5), u"Hello,<tab>,World",
         run("Hello") + "<w:r>" + rPr(20) + "<w:tab/></w:r>" + run("World")},
        {"blanks at the ends of the shared run are kept", u"Hello ", word(u" World", 130, 5), u"Hello , World",
         "<w:r>" + rPr(20) + "<w:t xml:space=\"preserve\">Hello  World</w:t></w:r>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto p = KXDocxParagraph::initWithLineArray({makeLine({word(c.left, 100, 0), c.right})}, 0, 10, 0,
                                                    kx::Rect(72, 0, 468, 700), 0,
                                                    KXDocxUtilities::defaultSectPropertyHiden());
        EXPECT_EQ(groupsOf(*p), c.groups);
        const std::string xml = wordFragment([&](XMLFileWriter& w) { p->writeWithXMLWriter(w); });
        const size_t runs = xml.find("</w:pPr>");
        ASSERT_NE(runs, std::string::npos) << xml;
        EXPECT_EQ(xml.substr(runs + 8), c.runs + "</w:p>");
    }
}

TEST(KXDocxParagraph, ALineIsWrittenAtTheWidthItHasOnThePage) {
    // Spacing is written in whole twentieths of a point a character. What the runs of a line are
    // written with adds up to the spacing they have (within half a twentieth a character of one
    // run), each run counted as the reader that sets it wider does: LibreOffice spaces every
    // character of a run but its last, Word every one, so condensing counts on all but the last
    // and widening on all. No run of one character is written narrower than its own width. No
    // character is condensed by a sixth of its size or more, which LibreOffice does not apply:
    // past that, the glyphs are scaled narrower.
    struct Case {
        const char* what;
        std::function<KXDocxRunTextArray()> runs;
        double spacing;  // points, all runs together
        double within;   // twips
        float sz = 10;
    };
    // Ten characters at 6 pt (LibreOffice condenses a character by 1 pt at most) that the reader's
    // face sets 50 wide, in a place `place` wide.
    auto tenAtSixPoints = [](const char16_t* text, double x, std::uint64_t scan, double place) {
        RunSpec s = word(text, x, scan, place);
        s.sz = 6;
        auto run = makeRun(s);
        run->setTextWidth(50);
        run->setInsideSpacing(place - 50);
        return run;
    };
    const Case cases[] = {
        {"five touching words whose spacing each rounds up: the rounding is carried on",
         [] {
             KXDocxRunTextArray runs;
             for (std::uint64_t i = 0; i < 5; ++i) {
                 // 0.5367 a character: 10.73 twips, each rounded to 11 on its own.
                 auto run = makeRun(word(u"abcdefghij", 100 + 50.0 * static_cast<double>(i), 2 * i, 50));
                 run->setInsideSpacing(5.367);
                 runs.push_back(run);
             }
             return runs;
         },
         5 * 5.367, 5},
        {"a word joined from pieces 2 before the next, its blank 3 wide: the word is narrowed instead",
         [] {
             auto hello = makeRun(word(u"Hello", 100, 0));
             hello->setPdfScanLength(2);
             return KXDocxRunTextArray{hello, makeRun(word(u"World", 132, 2))};
         },
         -1, 2.5},
        {"a word in a face set twice as wide as its place: scaled narrower, condensed within the limit",
         [&] { return KXDocxRunTextArray{tenAtSixPoints(u"abcdefghij", 100, 0, 25)}; }, -25, 10, 6},
        {"two such words, the second over the end of the first",
         [&] {
             return KXDocxRunTextArray{tenAtSixPoints(u"abcdefghij", 100, 0, 25),
                                       tenAtSixPoints(u"klmnopqrst", 120, 1, 25)};
         },
         -25 - 5 - 25, 20, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const KXDocxRunTextArray runs = c.runs();
        auto p = KXDocxParagraph::initWithLineArray({KXDocxRunTextLine::initWithRunTextArray(runs)}, 0, 10, 0,
                                                    kx::Rect(72, 0, 468, 700), 0,
                                                    KXDocxUtilities::defaultSectPropertyHiden());
        const std::string xml = wordFragment([&](XMLFileWriter& w) { p->writeWithXMLWriter(w); });
        double twips = 0;
        for (const WrittenRun& run : writtenRuns(xml)) {
            const double n = static_cast<double>(run.text.size());
            twips += run.spacing * (run.spacing < 0 ? n - 1 : n);
            if (run.scale != 100) {
                const auto source = std::find_if(runs.begin(), runs.end(),
                                                 [&](const auto& r) { return kx::utf16ToUtf8(r->runText()) == run.text; });
                ASSERT_NE(source, runs.end()) << run.text;
                twips += 20 * (run.scale / 100.0 - 1) * (*source)->textWidth();
            }
            if (run.text.size() == 1) {
                EXPECT_GE(run.spacing, 0) << run.text;
            }
            EXPECT_GT(run.spacing, -std::floor(20 * c.sz / 6)) << run.text;
        }
        EXPECT_NEAR(twips, 20 * c.spacing, c.within) << xml;
    }
}

TEST(KXDocxParagraph, WritesSeveralLinesWithoutTabsAndKeepsJustification) {
    // Three lines 14 apart: the first has a tab gap, which Word's own line breaking would not keep.
    KXDocxRunTextLineArray lines;
    lines.push_back(makeLine({word(u"a", 100, 0), word(u"b", 140, 1)}));
    for (double top : {114.0, 128.0}) {
        RunSpec s = word(u"c", 100, static_cast<std::uint64_t>(top));
        s.yBase = top + 8;
        lines.push_back(makeLine({s}));
    }
    auto p = KXDocxParagraph::initWithLineArray(lines, 0, 38, 0, kx::Rect(72, 0, 468, 700), 3,
                                                KXDocxUtilities::defaultSectPropertyHiden());
    std::string xml = wordFragment([&](XMLFileWriter& w) { p->writeWithXMLWriter(w); });
    EXPECT_NE(xml.find("<w:jc w:val=\"both\"/>"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("<w:tab"), std::string::npos) << xml;
    EXPECT_FALSE(p->haveRunTab());
}

TEST(KXDocxParagraph, RunsLargerThanTheLineAreWrittenAtTheLine) {
    struct Case {
        const char* what;
        const char16_t* text;
        float sz;
        double line;  // the glyph height, which becomes the exact line
        int written;  // half points
    };
    const Case cases[] = {
        {"14 on a line of 10: 10", u"Big", 14, 10, 20},
        {"11 on a line of 10: kept (9.9 is not above 10)", u"Big", 11, 10, 22},
        {"14 on a line of 4.5 raised to 5: 5", u"Big", 14, 4.5, 10},
        {"14 on a line of 4.5 without text: the line is too small to go by", u"", 14, 4.5, 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunSpec s = word(c.text, 100, 0);
        s.sz = c.sz;
        s.height = c.line;
        auto r = makeRun(s);
        auto p = KXDocxParagraph::initWithLineArray({KXDocxRunTextLine::initWithRunTextArray({r})}, 0, c.line, 0,
                                                    kx::Rect(72, 0, 468, 700), 0,
                                                    KXDocxUtilities::defaultSectPropertyHiden());
        KXDocx_PPr pp = p->pProperty();
        pp.spacing.line = static_cast<float>(c.line);
        p->setPProperty(pp);
        std::string xml = wordFragment([&](XMLFileWriter& w) { p->writeWithXMLWriter(w); });
        EXPECT_NE(xml.find(run(kx::utf16ToUtf8(c.text), c.written)), std::string::npos) << xml;
    }

    // Without any run the mark's size comes down to the line.
    KXDocxParagraph empty;
    KXDocx_RPr r = empty.rProperty();
    r.sz = 24;
    empty.setRProperty(r);
    empty.setSpaceLine(12.4);
    std::string xml = wordFragment([&](XMLFileWriter& w) { empty.writeWithXMLWriter(w); });
    EXPECT_NE(xml.find("<w:sz w:val=\"24\"/>"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("<w:sz w:val=\"48\"/>"), std::string::npos) << xml;
}
