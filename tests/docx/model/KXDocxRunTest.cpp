// Runs: the reading-order fields of the run base, text runs (blank flags, trailing blanks, sizes in
// half points, Word's line metrics) and what text runs, tab runs and section-break holders write.

#include <gtest/gtest.h>

#include <cmath>

#include "DocxModelFixtures.h"
#include "docx/model/KXDocxManager.h"
#include "docx/model/KXDocxProperty.h"
#include "docx/model/KXDocxRunTab.h"
#include "docx/model/KXDocxRunText.h"
#include "fonts/KXPDFFontUtilities.h"
#include "platform/FontCatalog.h"

using kx::test::makeRun;
using kx::test::RunSpec;
using kx::test::wordFragment;

namespace {

std::string fonts(const std::string& name) {
    return "<w:rFonts w:ascii=\"" + name + "\" w:hAnsi=\"" + name + "\" w:cs=\"" + name + "\" w:eastAsia=\"" + name +
           "\"/>";
}
// The run properties of a RunSpec run (Liberation Serif 10) with extra elements before noProof.
std::string rPr(const std::string& extra = "", const std::string& size = "20") {
    return "<w:rPr>" + fonts("Liberation Serif") + "<w:sz w:val=\"" + size + "\"/><w:szCs w:val=\"" + size +
           "\"/><w:color w:val=\"000000\"/>" + extra + "<w:noProof/></w:rPr>";
}

std::vector<std::shared_ptr<KXDocxRun>> runsWithIndexes(std::initializer_list<std::uint64_t> indexes) {
    std::vector<std::shared_ptr<KXDocxRun>> runs;
    for (std::uint64_t i : indexes) {
        auto run = std::make_shared<KXDocxRun>();
        run->setPdfScanIndex(i);
        runs.push_back(run);
    }
    return runs;
}

std::vector<std::uint64_t> indexesOf(const std::vector<std::shared_ptr<KXDocxRun>>& runs) {
    std::vector<std::uint64_t> out;
    for (const auto& r : runs) out.push_back(r->pdfScanIndex());
    return out;
}

}  // namespace

TEST(KXDocxRun, ReadingOrderFields) {
    KXDocxRun run;
    EXPECT_EQ(run.pdfScanIndex(), 0u);
    EXPECT_EQ(run.pdfScanLength(), 1u);
    EXPECT_EQ(run.pdfScanIndex_orignal(), KXDocxRun::kScanIndexNotSet);
    EXPECT_EQ(run.rProperty().rFonts.ascii, KXDocxUtilities::defaultRProperty().rFonts.ascii);
    run.setPdfScanIndex(7);
    EXPECT_EQ(run.pdfScanIndex_orignal(), KXDocxRun::kScanIndexNotSet) << "the first copy moves only once set";
    run.setPdfScanIndex_orignal(3);
    run.setPdfScanIndex(9);
    EXPECT_EQ(run.pdfScanIndex_orignal(), 9u);

    struct Pair {
        std::uint64_t a, b;
        bool continues;
    };
    for (const Pair& p : {Pair{4, 5, true}, Pair{5, 4, true}, Pair{4, 4, true}, Pair{4, 6, false}, Pair{0, 0, true}}) {
        KXDocxRun a, b;
        a.setPdfScanIndex(p.a);
        b.setPdfScanIndex(p.b);
        EXPECT_EQ(a.isPDFScanIndexContinue(b), p.continues) << p.a << " " << p.b;
    }
}

TEST(KXDocxRun, OrderingAndRenumbering) {
    auto runs = runsWithIndexes({10, 3, 7});
    auto third = runs[2];
    KXDocxRun::UpdateRunArrayPDFScanIndex(runs);
    EXPECT_EQ(indexesOf(runs), (std::vector<std::uint64_t>{0, 1, 2}));
    EXPECT_EQ(runs[1], third) << "7 was the middle one";

    auto continuous = runsWithIndexes({5, 3, 4});
    EXPECT_TRUE(KXDocxRun::IsPDFScanIndexContinue(continuous));
    EXPECT_EQ(indexesOf(continuous), (std::vector<std::uint64_t>{3, 4, 5}));
    auto gap = runsWithIndexes({3, 5});
    EXPECT_FALSE(KXDocxRun::IsPDFScanIndexContinue(gap));

    auto withMax = runsWithIndexes({2, 9, 4, 9});
    EXPECT_EQ(KXDocxRun::FindMaxPDFScanIndex(withMax), withMax[1]);
    EXPECT_FALSE(KXDocxRun::FindMaxPDFScanIndex(std::vector<std::shared_ptr<KXDocxRun>>{}));

    // Equal positions keep their order when numbered.
    KXDocxRunTextArray texts{makeRun({.text = u"b", .scan = 4}), makeRun({.text = u"a", .scan = 4}),
                             makeRun({.text = u"c", .scan = 1})};
    KXDocxRunText::UpdateRunTextArrayPDFScanIndex(texts);
    EXPECT_EQ(texts[0]->runText(), u"c");
    EXPECT_EQ(texts[1]->runText(), u"b");
    EXPECT_EQ(texts[2]->textScanIndex(), 2u);
}

TEST(KXDocxRunText, BlankFlagsAndTrailingBlanks) {
    KXDocxRunText run;
    run.setRunText(u" x ");
    EXPECT_TRUE(run.isSpaceFirst());
    EXPECT_TRUE(run.isSpaceLast());
    run.setRunText(u"x");
    EXPECT_TRUE(run.isSpaceFirst() && run.isSpaceLast()) << "a text never clears them";
    run.setRunText(u"");
    EXPECT_FALSE(run.isSpaceFirst() || run.isSpaceLast());

    auto two = makeRun({.text = u"ab  ", .x = 100, .width = 24, .spaceWidth = 3});
    EXPECT_DOUBLE_EQ(two->trimBehindTextRect().size.width, 18);
    EXPECT_TRUE(makeRun({.text = u" \t"})->isBankSpaceRunText());
    auto underlined = makeRun({.text = u"  "});
    KXDocx_RPr r = underlined->rProperty();
    r.u = 1;
    underlined->setRProperty(r);
    EXPECT_FALSE(underlined->isBankSpaceRunText()) << "an underlined blank draws a line";
}

TEST(KXDocxRunText, SplittingOffTheTrailingBlank) {
    struct Case {
        const char* what;
        std::u16string text;
        std::uint64_t scan, length;
        bool split;
        std::u16string left;
        std::uint64_t leftScan, blankScan;
        double blankGap;
    };
    const Case cases[] = {
        {"one piece: nothing to split", u"a", 5, 1, false, u"a", 5, 0, 0},
        {"two letters and a blank", u"ab ", 5, 3, true, u"ab", 4, 7, 3},
        {"no blank at the end: an empty gap", u"ab", 5, 2, true, u"ab", 4, 6, 0},
        {"at position 0 the index does not wrap round", u"ab ", 0, 3, true, u"ab", 0, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto run = makeRun({.text = c.text, .x = 100, .width = 6.0 * c.text.size(), .scan = c.scan});
        run->setPdfScanLength(c.length);
        const double right = run->ctmInfo().frame.maxX();
        auto blank = run->splitBlackSpaceRunTextBehind();
        EXPECT_EQ(run->runText(), c.left);
        EXPECT_EQ(run->pdfScanIndex(), c.leftScan);
        if (!c.split) {
            EXPECT_FALSE(blank);
            continue;
        }
        ASSERT_TRUE(blank);
        EXPECT_EQ(blank->runText(), u" ");
        EXPECT_EQ(blank->pdfScanIndex(), c.blankScan);
        // Stepping back from 0 would leave the run at the index that means "not set", after every
        // other run of the page, and the blank before the text it ends.
        EXPECT_NE(run->pdfScanIndex(), KXDocxRun::kScanIndexNotSet);
        EXPECT_LT(run->pdfScanIndex(), blank->pdfScanIndex()) << "the blank follows its run in reading order";
        EXPECT_DOUBLE_EQ(blank->outsideSpacing(), c.blankGap);
        EXPECT_DOUBLE_EQ(blank->textWidth(), 3);
        EXPECT_DOUBLE_EQ(blank->ctmInfo().xLeft, run->ctmInfo().frame.maxX());
        EXPECT_DOUBLE_EQ(blank->ctmInfo().frame.origin.y, run->ctmInfo().frame.origin.y);
        EXPECT_DOUBLE_EQ(run->ctmInfo().frame.maxX(), right - c.blankGap);
    }
}

TEST(KXDocxRunText, SizesInHalfPointsGiveTheirWidthBackAsSpacing) {
    struct Case {
        const char* what;
        float sz;
        float wantSz;
        double wantInside;  // the run is 100 wide
    };
    const Case cases[] = {
        {"11.3 becomes 11", 11.3f, 11.0f, 100 * (1 - 11.0 / static_cast<double>(11.3f))},
        {"10.5 stays", 10.5f, 10.5f, 0},
        {"no size at all: nothing to give back", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto run = makeRun({.width = 100, .sz = c.sz, .font = "No Such Font Anywhere"});
        run->optimizePropertyAtStart(false);
        EXPECT_FLOAT_EQ(run->rProperty().sz, c.wantSz);
        EXPECT_NEAR(run->insideSpacing(), c.wantInside, 1e-4);
        EXPECT_TRUE(std::isfinite(run->spaceWidth()));
        EXPECT_TRUE(std::isfinite(run->rProperty().spacing));
    }
}

// With fonts replaced, a run is measured in the font the word processor will set it in: its own
// when installed, else its replacement (whose names it takes), else the replacement's installed
// stand-in of the same widths (the document names the replacement). The run keeps its place on
// the page; its spacing spreads the rest of that place over the text.
TEST(KXDocxRunText, WithFontsReplacedTheTextIsMeasuredInTheWordProcessorsFont) {
    if (!kx::FontCatalog::findFont("LiberationSerif") || !kx::FontCatalog::findFont("LiberationSans"))
        GTEST_SKIP() << "the Liberation fonts are not installed";
    struct Case {
        const char* what;
        std::string font, replacement;
        std::string named;     // the font the document names
        std::string measured;  // the installed face the text is measured in; none: not measured
    };
    const Case cases[] = {
        {"its own font installed", "Liberation Serif", "Arial", "Liberation Serif", "Liberation Serif"},
        {"the replacement installed", "No Such Font", "Liberation Sans", "Liberation Sans", "Liberation Sans"},
        {"a stand-in of the replacement", "No Such Font", "Times New Roman", "Times New Roman", "Liberation Serif"},
        {"nothing to measure with", "No Such Font", "No Such Replacement", "No Such Font", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto run = makeRun({.text = u"Wide", .width = 40, .spaceWidth = 4, .sz = 11.3f, .font = c.font});
        KXDocx_RPr r = run->rProperty();
        r.rFonts_replace = {c.replacement, c.replacement, c.replacement, c.replacement};
        run->setRProperty(r);
        run->optimizePropertyAtStart(true);
        EXPECT_EQ(run->rProperty().rFonts.ascii, c.named);
        EXPECT_FLOAT_EQ(run->rProperty().sz, 11.0f);
        EXPECT_DOUBLE_EQ(run->ctmInfo().frame.size.width, 40) << "the run keeps its place";
        if (c.measured.empty()) {
            EXPECT_DOUBLE_EQ(run->textWidth(), 40);
            EXPECT_NEAR(run->insideSpacing(), 40 * (1 - 11.0 / static_cast<double>(11.3f)), 1e-4);
            EXPECT_NEAR(run->spaceWidth(), 4 * 11.0 / static_cast<double>(11.3f), 1e-4);
            continue;
        }
        const double width = KXPDFFontUtilities::SystemFontNameWidthOfString(c.measured, 11, u"Wide");
        ASSERT_GT(width, 0);
        EXPECT_NEAR(run->textWidth(), width, 1e-9);
        EXPECT_NEAR(run->insideSpacing(), 40 - width, 1e-4);
        EXPECT_NEAR(run->spaceWidth(), KXPDFFontUtilities::SystemFontNameWidthOfString(c.measured, 11, u" "), 1e-4);
    }
}

TEST(KXDocxRunText, WordLineMetricsOfTheFont) {
    KXDocxManager& manager = KXDocxManager::sharedInstance();
    auto saved = manager.wordInfoDictionary();
    struct Case {
        const char* what;
        float height, ascent;
        double wantHeight, wantTop;
    };
    const Case cases[] = {
        {"height 1.15, ascent 0.9", 1.15f, 0.9f, 11.5, 0.35},
        {"ascent 0.8: no blank above", 1.15f, 0.8f, 11.5, 0},
        {"an implausible height: unknown", 2.5f, 0.9f, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        manager.setWordInfoDictionary(KXDocxManager::WordInfoDictionary{{"liberation serif", {c.height, c.ascent}}});
        auto run = makeRun({.sz = 10, .font = "Liberation Serif"});
        run->setWordSingleLineHeight(99);
        run->optimizePropertyAtStart(false);
        EXPECT_NEAR(run->wordSingleLineHeight(), c.wantHeight, 1e-5);
        EXPECT_NEAR(run->wordSingleLineBlankTop(), c.wantTop, 1e-5);
    }
    manager.setWordInfoDictionary(saved);
}

TEST(KXDocxRunText, WritesOneRunWithItsSpacingSpreadOverTheCharacters) {
    struct Case {
        const char* what;
        std::u16string text;
        double inside, outside;
        std::string want;
    };
    const Case cases[] = {
        {"six characters share 3 points", u"abcdef", 2, 1,
         "<w:r>" + rPr("<w:spacing w:val=\"10\"/>") + "<w:t>abcdef</w:t></w:r>"},
        {"one character takes it all", u"a", 2, 1, "<w:r>" + rPr("<w:spacing w:val=\"60\"/>") + "<w:t>a</w:t></w:r>"},
        {"blanks at an end are kept", u" a b ", 0, 0,
         "<w:r>" + rPr() + "<w:t xml:space=\"preserve\"> a b </w:t></w:r>"},
        {"markup characters are escaped", u"a<b&c", 0, 0, "<w:r>" + rPr() + "<w:t>a&lt;b&amp;c</w:t></w:r>"},
        {"an empty run has no spacing to spread", u"", 2, 1,
         "<w:r>" + rPr("<w:spacing w:val=\"60\"/>") + "<w:t></w:t></w:r>"},
        // Past a sixth of the size a character (1.6 pt at 10 pt), which is as far as LibreOffice
        // condenses, the glyphs are scaled to their place instead; a lone character is not.
        {"two characters in a quarter of their width are scaled to it", u"ab", -3.5, -1,
         "<w:r>" + rPr("<w:w w:val=\"25\"/>") + "<w:t>ab</w:t></w:r>"},
        {"a lone character over its neighbour keeps its shape", u"k", -3.5, -1,
         "<w:r>" + rPr("<w:spacing w:val=\"-90\"/>") + "<w:t>k</w:t></w:r>"},
        // LibreOffice condenses every character of a run but its last.
        {"condensing is spread over every character but the last", u"abcd", -2, -1,
         "<w:r>" + rPr("<w:spacing w:val=\"-20\"/>") + "<w:t>abcd</w:t></w:r>"},
    };
    kx::test::ScopedLocale german("de_DE.UTF-8");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto run = makeRun({.text = c.text});
        run->setInsideSpacing(c.inside);
        run->setOutsideSpacing(c.outside);
        EXPECT_EQ(wordFragment([&](XMLFileWriter& w) { run->writeWithXMLWriter(w); }), c.want);
    }
    auto run = makeRun({.text = u"x"});
    run->setInsideSpacing(NAN);
    EXPECT_EQ(wordFragment([&](XMLFileWriter& w) { run->writeWithXMLWriter(w); }),
              "<w:r>" + rPr() + "<w:t>x</w:t></w:r>")
        << "no NaN reaches the XML";
}

TEST(KXDocxRunTab, WritesATabAndItsStop) {
    auto tab = KXDocxRunTab::RunTapWithTabPostion(72.4, 10);
    const std::string defaults = fonts("Times New Roman");
    EXPECT_EQ(wordFragment([&](XMLFileWriter& w) { tab->writeWithXMLWriter(w); }),
              "<w:r><w:rPr>" + defaults +
                  "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/><w:noProof/></w:rPr><w:tab/></w:r>");
    struct Case {
        double position;
        std::string want;
    };
    for (const Case& c : {Case{72.4, "1448"}, Case{72.44, "1449"}, Case{0, "0"}}) {
        auto stop = KXDocxRunTab::RunTapWithTabPostion(c.position, 0);
        EXPECT_EQ(wordFragment([&](XMLFileWriter& w) { stop->writeTabPropertyWithXMLWriter(w); }),
                  "<w:tab w:val=\"left\" w:pos=\"" + c.want + "\"/>");
    }
}

TEST(KXDocxProperty, WritesASectionBreakABlankParagraphOrNothing) {
    KXDocx_SectPr section = KXDocxUtilities::defaultSectPropertyHiden();
    section.shouldWrite = true;
    std::string sect = wordFragment([&](XMLFileWriter& w) { KXDocxProperty::NewWriteSectProperty(section)->writeWithXMLWriter(w); });
    EXPECT_EQ(sect.rfind("<w:sectPr>", 0), 0u) << sect;
    std::string blank = wordFragment([&](XMLFileWriter& w) {
        KXDocxProperty::NewWrite1BlankParagraphWithProperty(KXDocxUtilities::defaultPProperty(),
                                                            KXDocxUtilities::defaultRProperty(), section)
            ->writeWithXMLWriter(w);
    });
    EXPECT_EQ(blank.rfind("<w:p><w:pPr>", 0), 0u) << blank;
    EXPECT_NE(blank.find("<w:sectPr>"), std::string::npos);
    EXPECT_EQ(blank.find("<w:r>"), std::string::npos);
    EXPECT_EQ(wordFragment([&](XMLFileWriter& w) { KXDocxProperty().writeWithXMLWriter(w); }), "");
}

TEST(KXDocxRunText, LinesBelowARun) {
    auto run = makeRun({.yBase = 109.6, .height = 12});
    EXPECT_DOUBLE_EQ(run->doubleBottomLine(), 119);
    run->setWordSingleLineHeight(14);
    EXPECT_DOUBLE_EQ(run->doubleBottomLine(), 122);
}
