// Text showing through the interpreter: every shown code reaches the delegate with its text and
// displacement, in the text state of the moment (Tc, Tw, Tz, TJ adjustments, Tf, '), from fonts of
// every kind: the standard fonts, encodings with /Differences, ToUnicode maps (with surrogate pairs),
// Type 3, composite fonts (Identity-H, CJK collections, vertical writing) and real embedded
// subsets written by cairo.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "fonts/KXPDFFont.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "pdf/interpreter/InterpreterTestSupport.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/FileSystem.h"
#include "platform/FontCatalog.h"
#include "platform/FontProgram.h"
#include "platform/Format.h"
#include "platform/Unicode.h"
#include "support/CairoFixtures.h"
#include "support/TestSupport.h"

using kx::test::PDFBuilder;

namespace {

struct ShownText {
    std::u16string text;
    kx::Size offset;
    kx::AffineTransform textMatrix;  // at the report, before the advance
    double fontSize = 0;
    std::string fontKey;
};

class TextRecorder : public KXPDFConentParserDelegate {
public:
    void didScanText(KXPDFConentParser& parser, const std::u16string& text, kx::Size offset) override {
        const KXPDFRenderState& st = parser.currentRenderingState();
        shown.push_back({text, offset, st.textMatrix(), st.fontSize(), st.font() ? st.font()->objectKey() : ""});
    }
    std::u16string allText() const {
        std::u16string out;
        for (const auto& s : shown) out += s.text;
        return out;
    }
    std::vector<ShownText> shown;
};

struct TextRun {
    std::shared_ptr<kx::PDFDocument> doc;
    std::shared_ptr<KXPDFRenderStateStack> stack = std::make_shared<KXPDFRenderStateStack>();
    TextRecorder recorder;
    std::unique_ptr<KXPDFConentParser> parser;
    // The text matrix after the run.
    kx::AffineTransform finalTextMatrix;
};

std::unique_ptr<TextRun> runPage(const std::shared_ptr<kx::PDFDocument>& doc, int pageNumber = 1) {
    auto run = std::make_unique<TextRun>();
    run->doc = doc;
    if (!doc) return run;
    auto page = doc->page(pageNumber);
    if (!page) return run;
    run->parser = std::make_unique<KXPDFConentParser>(page->dictionary(), kx::PDFContentStream::forPage(*page));
    run->parser->setDelegate(&run->recorder);
    run->parser->setRenderingStateStack(run->stack);
    run->parser->setIsParserAnnots(0);
    run->parser->startParser();
    run->finalTextMatrix = run->stack->topRenderingState().textMatrix();
    return run;
}

// A page whose resources name one font F1 (the body of its dictionary).
std::unique_ptr<TextRun> showWithFont(PDFBuilder& b, const std::string& fontBody, const std::string& content) {
    int font = b.add(fontBody);
    b.addPage(content, "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>");
    return runPage(kx::PDFDocument::openFromMemory(b.build()));
}

std::unique_ptr<TextRun> showWithFont(const std::string& fontBody, const std::string& content) {
    PDFBuilder b;
    return showWithFont(b, fontBody, content);
}

const char* kHelvetica = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";

std::string toUnicode(const std::string& range, const std::string& body) {
    return "/CIDInit /ProcSet findresource begin 12 dict begin begincmap 1 begincodespacerange " + range +
           " endcodespacerange " + body + " endcmap end end";
}

std::vector<std::u16string> texts(const TextRun& run) {
    std::vector<std::u16string> out;
    for (const auto& s : run.recorder.shown) out.push_back(s.text);
    return out;
}

}  // namespace

TEST(TextShowing, StandardFontReportsEachCharacterBeforeItsAdvance) {
    auto run = showWithFont(kHelvetica, "BT /F1 12 Tf 100 700 Td (Hi) Tj ET");
    ASSERT_EQ(run->recorder.shown.size(), 2u);
    const auto& h = run->recorder.shown[0];
    EXPECT_EQ(h.text, u"H");
    EXPECT_NEAR(h.offset.width, 0.722 * 12, 1e-4);
    EXPECT_EQ(h.offset.height, 0);
    EXPECT_EQ(h.textMatrix.tx, 100) << "the receiver sees the position of the glyph itself";
    EXPECT_EQ(h.textMatrix.ty, 700);
    EXPECT_EQ(h.fontSize, 12);
    EXPECT_EQ(h.fontKey, "F1");
    EXPECT_NEAR(run->recorder.shown[1].textMatrix.tx, 100 + 0.722 * 12, 1e-4);
    EXPECT_NEAR(run->finalTextMatrix.tx, 100 + (0.722 + 0.222) * 12, 1e-4);
    EXPECT_EQ(run->parser->scanOperatorIndex_ShowText(), std::uint64_t(-1)) << "counters are closed after the run";
}

TEST(TextShowing, TextStateSpacingScalingAndAdjustments) {
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::u16string> texts;
        std::vector<double> offsets;  // reported widths
        double finalX;                // the text matrix's x after the run
    };
    // Helvetica widths: A 667, B 667, space 278, i 222.
    const Case cases[] = {
        {"character spacing after every character", "BT /F1 10 Tf 2 Tc (AB) Tj ET", {u"A", u"B"}, {6.67, 6.67},
         2 * (6.67 + 2)},
        {"word spacing on the space only", "BT /F1 10 Tf 5 Tw (A B) Tj ET", {u"A", u" ", u"B"}, {6.67, 2.78, 6.67},
         6.67 + 2.78 + 5 + 6.67},
        {"horizontal scaling halves the advance, not the reported width", "BT /F1 10 Tf 50 Tz 1 Tc (B) Tj ET", {u"B"},
         {6.67}, (6.67 + 1) * 0.5},
        {"TJ adjustments move by thousandths of the size", "BT /F1 12 Tf [(A) -250 (B)] TJ ET", {u"A", u"B"},
         {8.004, 8.004}, 8.004 + 3 + 8.004},
        {"TJ with a negative size uses its absolute value", "BT /F1 -12 Tf [(A) -250 (B)] TJ ET", {u"A", u"B"},
         {-8.004, -8.004}, -8.004 + 3 - 8.004},
        {"TJ reals and skipped elements", "BT /F1 10 Tf [(A) 500.0 /X (B)] TJ ET", {u"A", u"B"}, {6.67, 6.67},
         6.67 - 5 + 6.67},
        {"an adjustment is not scaled and adds no spacing", "BT /F1 10 Tf 50 Tz 3 Tc [-1000] TJ ET", {}, {}, 10},
        {"empty Tj changes nothing", "BT /F1 10 Tf () Tj ET", {}, {}, 0},
        {"no font: no reports, no movement", "BT (AB) Tj [(A) -500] TJ ET", {}, {}, 0},
        {"unknown font name keeps the previous font", "BT /F1 10 Tf /F9 20 Tf (A) Tj ET", {u"A"}, {6.67}, 6.67},
        {"quote moves to the next line first", "BT /F1 10 Tf 14 TL 5 5 Td (A) ' ET", {u"A"}, {6.67}, 5 + 6.67},
        {"double quote sets word and character spacing", "BT /F1 10 Tf 3 1 ( ) \" ET", {u" "}, {2.78}, 2.78 + 3 + 1},
    };
    for (const auto& c : cases) {
        auto run = showWithFont(kHelvetica, c.content);
        ASSERT_TRUE(run->parser) << c.name;
        EXPECT_EQ(texts(*run), c.texts) << c.name;
        ASSERT_EQ(run->recorder.shown.size(), c.offsets.size()) << c.name;
        for (size_t i = 0; i < c.offsets.size(); ++i)
            EXPECT_NEAR(run->recorder.shown[i].offset.width, c.offsets[i], 1e-3) << c.name << " #" << i;
        EXPECT_NEAR(run->finalTextMatrix.tx, c.finalX, 1e-3) << c.name;
    }
}

TEST(TextShowing, QuoteOperatorsLeaveTheSpacingInTheState) {
    auto run = showWithFont(kHelvetica, "BT /F1 10 Tf 2 1 (A) \" ET");
    const KXPDFRenderState& st = run->stack->topRenderingState();
    EXPECT_EQ(st.wordSpacing(), 2);
    EXPECT_EQ(st.characterSpacing(), 1);
    EXPECT_EQ(run->parser->scanOperatorIndex_ShowText(), std::uint64_t(-1));
}

TEST(TextShowing, CountsShowOperatorsNotStrings) {
    struct Counter : KXPDFConentParserDelegate {
        void didScanText(KXPDFConentParser& p, const std::u16string&, kx::Size) override {
            counts.push_back(p.scanOperatorIndex_ShowText());
        }
        std::vector<std::uint64_t> counts;
    } counter;
    PDFBuilder b;
    int font = b.add(kHelvetica);
    b.addPage("BT /F1 10 Tf [(A) 10 (B)] TJ () Tj (C) Tj ET", "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>");
    auto doc = kx::PDFDocument::openFromMemory(b.build());
    auto page = doc->page(1);
    KXPDFConentParser parser(page->dictionary(), kx::PDFContentStream::forPage(*page));
    parser.setDelegate(&counter);
    parser.setRenderingStateStack(std::make_shared<KXPDFRenderStateStack>());
    parser.startParser();
    EXPECT_EQ(counter.counts, (std::vector<std::uint64_t>{1, 1, 3}));
}

TEST(TextShowing, MappedTextIsFoldedSpacedAndWellFormed) {
    PDFBuilder b;
    int map = b.addStream("", toUnicode("<00> <FF>",
                                        "9 beginbfchar <01> <002D00AD2010> <02> <0009000D002000A0> <03> <00A0> "
                                        "<04> <2005> <05> <00660069> <06> <D83DDE00> <07> <D83D> <08> <DE00> <09> <0000> endbfchar"));
    auto run = showWithFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /ToUnicode " + std::to_string(map) + " 0 R >>",
                            "BT /F1 10 Tf 4 Tw 1 Tc <010203040506070809> Tj ET");
    // Courier: every glyph 600; codes 1 to 9 have no standard glyph, so they advance by 0.
    struct Expect {
        std::u16string text;
        double advance;  // word and character spacing added to the glyph's own (zero) width
    };
    const Expect expected[] = {
        {u"\u2010", 1},         // hyphen-minus, soft hyphen, hyphen fold to the hyphen
        {u" ", 4 + 1},          // tab, return, space, no-break space fold to a space with word spacing
        {u" ", 4 + 1},          // no-break space reported as a space with word spacing
        {u"\u2005", 1},         // four-per-em space is not white space here
        {u"fi", 1},             // a ligature: one report, one offset
        {u"\U0001F600", 1},     // a surrogate pair stays one character
        {u"\uFFFD", 1},         // a lone high surrogate
        {u"\uFFFD", 1},         // a lone low surrogate
    };
    ASSERT_EQ(run->recorder.shown.size(), 8u) << "U+0000 gives no text to report";
    double x = 0;
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(run->recorder.shown[i].text, expected[i].text) << i;
        EXPECT_NEAR(run->recorder.shown[i].textMatrix.tx, x, 1e-6) << i;
        x += expected[i].advance;
        EXPECT_TRUE(kx::isValidUtf8(kx::utf16ToUtf8(run->recorder.shown[i].text)));
    }
    EXPECT_NEAR(run->finalTextMatrix.tx, x, 1e-6) << "a map entry of U+0000 is no mapping: no spacing either";
}

// The Latin ligatures reach the exporters as their letters, one report with the glyph's one
// offset; æ and œ are letters of their own.
TEST(TextShowing, LigaturesAreReportedAsTheirLetters) {
    PDFBuilder b;
    int map = b.addStream("", toUnicode("<00> <FF>", "6 beginbfchar <01> <FB00> <02> <FB01> <03> <FB02> <04> <FB03> "
                                                     "<05> <FB04> <06> <00E6> endbfchar"));
    auto run = showWithFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /ToUnicode " + std::to_string(map) + " 0 R >>",
                            "BT /F1 10 Tf <01020304050607> Tj ET");
    EXPECT_EQ(texts(*run), (std::vector<std::u16string>{u"ff", u"fi", u"fl", u"ffi", u"ffl", u"\u00E6"}));
}

TEST(TextShowing, CodesWithoutTextAdvanceWithoutSpacingOrReport) {
    PDFBuilder b;
    // A glyph name that maps to no character gives its code no text.
    auto run = showWithFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding << /Differences [65 /xyz] >> "
                               "/FirstChar 65 /LastChar 66 /Widths [600 600] >>",
                            "BT /F1 10 Tf 3 Tc 7 Tw (AB) Tj ET");
    ASSERT_EQ(run->recorder.shown.size(), 1u);
    EXPECT_EQ(run->recorder.shown[0].text, u"B");
    EXPECT_NEAR(run->recorder.shown[0].textMatrix.tx, 6, 1e-6) << "A moved by its width only";
    EXPECT_NEAR(run->finalTextMatrix.tx, 6 + 6 + 3, 1e-6);
}

TEST(TextShowing, SimpleFontsOfEveryEncodingReachTheDelegate) {
    struct Case {
        const char* name;
        std::string fontBody;
        std::string shown;  // the string operand, as PDF source
        std::u16string text;
        std::vector<double> widths;  // per unit of font size
    };
    const Case cases[] = {
        {"WinAnsi with Differences: ligature and uniXXXX",
         "<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding << /BaseEncoding /WinAnsiEncoding "
         "/Differences [ 2 /fi /uni20AC ] >> >>",
         "<0241939403>", u"fiA\u201C\u201D\u20AC", {0.556, 0.722, 0.444, 0.444, 0}},
        {"MacRoman with Differences", "<< /Type /Font /Subtype /TrueType /BaseFont /Helvetica /Encoding << "
                                      "/BaseEncoding /MacRomanEncoding /Differences [ 66 /germandbls ] >> >>",
         "<418E42>", u"A\u00E9\u00DF", {0.667, 0.556, 0.611}},
        {"Standard with Differences", "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding << "
                                      "/BaseEncoding /StandardEncoding /Differences [ 39 /quoteright ] >> >>",
         "<4127>", u"A\u2019", {0.6, 0.6}},
        {"Widths given by the file", "<< /Type /Font /Subtype /TrueType /BaseFont /Zzyzx /FirstChar 65 /LastChar 66 "
                                     "/Widths [ 400 800 ] >>",
         "(AB)", u"AB", {0.4, 0.8}},
        {"Type 3 glyph procedures", "<< /Type /Font /Subtype /Type3 /FontMatrix [ 0.002 0 0 0.002 0 0 ] "
                                    "/FontBBox [ 0 0 500 500 ] /CharProcs << /square 9 0 R >> "
                                    "/Encoding << /Differences [ 97 /square /bullet ] >> /FirstChar 97 /LastChar 98 "
                                    "/Widths [ 500 250 ] >>",
         "(ab)", u"\u2022", {0.5}},  // "square" names no character: no text (and no report)
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        for (int i = 1; i < 9; ++i) b.add("null");
        b.addStream("", "0 0 500 500 re f");  // object 9, the Type 3 glyph
        auto run = showWithFont(b, c.fontBody, "BT /F1 10 Tf " + c.shown + " Tj ET");
        EXPECT_EQ(run->recorder.allText(), c.text) << c.name;
        std::vector<double> widths;
        for (const auto& s : run->recorder.shown) widths.push_back(s.offset.width / 10);
        ASSERT_EQ(widths.size(), c.widths.size()) << c.name;
        for (size_t i = 0; i < widths.size(); ++i) EXPECT_NEAR(widths[i], c.widths[i], 1e-5) << c.name << " #" << i;
    }
}

TEST(TextShowing, CompositeFontsIdentityCJKAndVertical) {
    PDFBuilder b;
    int map = b.addStream("", toUnicode("<0000> <FFFF>", "2 beginbfrange <0010> <0012> <0041> <0020> <0020> <D835DC00> endbfrange"));
    auto descendant = [](const std::string& ordering, const std::string& extra) {
        return "[ << /Type /Font /Subtype /CIDFontType0 /BaseFont /Foo /CIDSystemInfo << /Registry (Adobe) /Ordering (" +
               ordering + ") /Supplement 4 >> " + extra + " >> ]";
    };
    int identity = b.add("<< /Type /Font /Subtype /Type0 /BaseFont /Foo /Encoding /Identity-H /ToUnicode " +
                         std::to_string(map) + " 0 R /DescendantFonts " + descendant("Identity", "/W [ 16 [ 500 ] 17 18 250 ]") +
                         " >>");
    int japanese = b.add("<< /Type /Font /Subtype /Type0 /BaseFont /Bar /Encoding /90ms-RKSJ-H /DescendantFonts " +
                         descendant("Japan1", "/DW 1000 /W [ 231 325 500 ]") + " >>");
    int chinese = b.add("<< /Type /Font /Subtype /Type0 /BaseFont /Baz /Encoding /GBK-EUC-H /DescendantFonts " +
                        descendant("GB1", "") + " >>");
    int vertical = b.add("<< /Type /Font /Subtype /Type0 /BaseFont /Ver /Encoding /90ms-RKSJ-V /DescendantFonts " +
                         descendant("Japan1", "") + " >>");
    b.addPage("BT /F1 10 Tf <0010001100120020> Tj /F2 10 Tf <82A082A0> Tj (A) Tj /F3 10 Tf <D6D0CEC4> Tj "
              "/F4 10 Tf 0 0 Td <93FA> Tj <815B> Tj ET",
              "<< /Font << /F1 " + std::to_string(identity) + " 0 R /F2 " + std::to_string(japanese) + " 0 R /F3 " +
                  std::to_string(chinese) + " 0 R /F4 " + std::to_string(vertical) + " 0 R >> >>");
    auto run = runPage(kx::PDFDocument::openFromMemory(b.build()));
    std::vector<std::u16string> expected = {u"A", u"B", u"C", u"\U0001D400", u"\u3042", u"\u3042", u"A",
                                            u"\u4E2D", u"\u6587", u"\u65E5", u"\u30FC"};
    EXPECT_EQ(texts(*run), expected);
    ASSERT_EQ(run->recorder.shown.size(), expected.size());
    const auto& shown = run->recorder.shown;
    EXPECT_NEAR(shown[0].offset.width, 5, 1e-5);
    EXPECT_NEAR(shown[1].offset.width, 2.5, 1e-5);
    EXPECT_NEAR(shown[4].offset.width, 10, 1e-5) << "/DW 1000";
    EXPECT_NEAR(shown[6].offset.width, 5, 1e-5) << "A is CID 264 of the range 231 to 325";
    EXPECT_NEAR(shown[7].offset.width, 10, 1e-5) << "no /W: 1000";
    // Vertical writing: no horizontal advance, one em down.
    EXPECT_EQ(shown[9].offset.width, 0);
    EXPECT_NEAR(shown[9].offset.height, -10, 1e-5);
    EXPECT_NEAR(shown[10].textMatrix.ty - shown[9].textMatrix.ty, -10, 1e-5);
    EXPECT_EQ(shown[10].textMatrix.tx, shown[9].textMatrix.tx);
}

namespace {

// An Identity-V font without a program, every glyph one em tall: CIDs 1 to 4 read as two CJK
// characters, a space and a third CJK character. Returns its object number.
int addVerticalFont(PDFBuilder& b) {
    int map = b.addStream("", toUnicode("<0000> <FFFF>", "1 beginbfrange <0001> <0004> [<6C34> <6728> <0020> <91D1>] endbfrange"));
    return b.add("<< /Type /Font /Subtype /Type0 /BaseFont /Ver /Encoding /Identity-V /ToUnicode " +
                 std::to_string(map) +
                 " 0 R /DescendantFonts [ << /Type /Font /Subtype /CIDFontType0 /BaseFont /Ver /CIDSystemInfo "
                 "<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /DW 1000 >> ] >>");
}

}  // namespace

// A vertical line set with character spacing (and a horizontal scaling that is not 100): the spacing
// lengthens the step down the line, and every glyph stays in the line's column. Put on the horizontal
// advance, the spacing would push each glyph sideways off the column (here 1.5 units a character) and
// leave the glyphs an em apart, as if no spacing were set. The blank is a code of two bytes, which
// takes no word spacing.
TEST(TextShowing, VerticalWritingSpacesTheLineDownItsColumn) {
    PDFBuilder b;
    int font = addVerticalFont(b);
    b.addPage("BT /F1 10 Tf 50 Tz -3 Tc -6 Tw 1 0 0 1 100 700 Tm <0001000200030004> Tj ET",
              "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>");
    auto run = runPage(kx::PDFDocument::openFromMemory(b.build()));
    ASSERT_TRUE(run->parser);
    struct Glyph { std::u16string text; double y; };
    // One em (10) down for each glyph and 3 more for the character spacing; none for the word spacing.
    const Glyph expected[] = {{u"\u6C34", 700}, {u"\u6728", 687}, {u" ", 674}, {u"\u91D1", 661}};
    const auto& shown = run->recorder.shown;
    ASSERT_EQ(shown.size(), std::size(expected));
    for (size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i].text, expected[i].text);
        EXPECT_EQ(shown[i].offset.width, 0);
        EXPECT_NEAR(shown[i].offset.height, -10, 1e-5) << "the reported displacement is the glyph's own";
        EXPECT_NEAR(shown[i].textMatrix.tx, 100, 1e-5) << "every glyph in the line's column";
        EXPECT_NEAR(shown[i].textMatrix.ty, expected[i].y, 1e-4);
    }
    EXPECT_NEAR(run->finalTextMatrix.tx, 100, 1e-5);
    EXPECT_NEAR(run->finalTextMatrix.ty, 661 - 13, 1e-4);
}

// TJ adjustments in a vertical line: a positive number opens a gap down the column and a negative
// one closes it up, each glyph staying at the line's x. Moved along the horizontal, as in a
// horizontal line, the adjustments would push the following glyphs sideways off the column (5 units
// left of it after the 500, still 2.5 left after the -250) and leave them an em apart.
TEST(TextShowing, VerticalWritingTJAdjustmentsMoveDownTheColumn) {
    PDFBuilder b;
    int font = addVerticalFont(b);
    b.addPage("BT /F1 10 Tf 1 0 0 1 100 700 Tm [<0001> 500 <0002> -250.0 <0003> /X <0004> 1000] TJ ET",
              "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>");
    auto run = runPage(kx::PDFDocument::openFromMemory(b.build()));
    ASSERT_TRUE(run->parser);
    struct Glyph { std::u16string text; double y; };
    // One em (10) down for each glyph, 5 more after the 500, 2.5 back after the -250; /X is skipped.
    const Glyph expected[] = {{u"\u6C34", 700}, {u"\u6728", 685}, {u" ", 677.5}, {u"\u91D1", 667.5}};
    const auto& shown = run->recorder.shown;
    ASSERT_EQ(shown.size(), std::size(expected));
    for (size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i].text, expected[i].text);
        EXPECT_NEAR(shown[i].textMatrix.tx, 100, 1e-5) << "every glyph in the line's column";
        EXPECT_NEAR(shown[i].textMatrix.ty, expected[i].y, 1e-4);
    }
    EXPECT_NEAR(run->finalTextMatrix.tx, 100, 1e-5);
    EXPECT_NEAR(run->finalTextMatrix.ty, 667.5 - 10 - 10, 1e-4) << "the trailing 1000 moves one more em down";
}

// Word spacing goes to a blank of one byte only: a composite font's two-byte blank is drawn at its
// own width whatever Tw says, while a one-byte blank of a mixed-width encoding takes the spacing.
// Justified text in an Identity-H font had every word pushed right by the spacing of each blank
// before it, over the words placed after it.
TEST(TextShowing, WordSpacingGoesToBlanksOfOneByteOnly) {
    PDFBuilder b;
    int map = b.addStream("", toUnicode("<0000> <FFFF>", "2 beginbfrange <0003> <0003> <0020> <0041> <0042> <0041> endbfrange"));
    int identity = b.add("<< /Type /Font /Subtype /Type0 /BaseFont /Foo /Encoding /Identity-H /ToUnicode " +
                         std::to_string(map) +
                         " 0 R /DescendantFonts [ << /Type /Font /Subtype /CIDFontType2 /BaseFont /Foo /CIDSystemInfo "
                         "<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /DW 500 >> ] >>");
    int japanese = b.add("<< /Type /Font /Subtype /Type0 /BaseFont /Bar /Encoding /90ms-RKSJ-H /DescendantFonts [ << "
                         "/Type /Font /Subtype /CIDFontType0 /BaseFont /Bar /CIDSystemInfo << /Registry (Adobe) "
                         "/Ordering (Japan1) /Supplement 4 >> /DW 500 >> ] >>");
    const std::string resources = "<< /Font << /F1 " + std::to_string(identity) + " 0 R /F2 " +
                                  std::to_string(japanese) + " 0 R /F3 " + std::to_string(b.add(kHelvetica)) + " 0 R >> >>";
    struct Case {
        const char* name;
        std::string shown;   // shown with 10-point text, 4 Tw and 1 Tc
        double blankAdvance;  // how far the text position moves past the blank
    } cases[] = {
        {"a two-byte blank of Identity-H", "/F1 10 Tf <004100030042> Tj", 5 + 1},
        {"a one-byte blank among two-byte codes", "/F2 10 Tf <41208AB0> Tj", 5 + 1 + 4},
        {"a blank of a simple font", "/F3 10 Tf (A B) Tj", 2.78 + 1 + 4},
    };
    for (const Case& c : cases) {
        PDFBuilder page = b;
        page.addPage("BT 4 Tw 1 Tc " + c.shown + " ET", resources);
        auto run = runPage(kx::PDFDocument::openFromMemory(page.build()));
        ASSERT_EQ(run->recorder.shown.size(), 3u) << c.name;
        const auto& shown = run->recorder.shown;
        EXPECT_EQ(shown[1].text, u" ") << c.name;
        EXPECT_NEAR(shown[2].textMatrix.tx - shown[1].textMatrix.tx, c.blankAdvance, 1e-3) << c.name;
    }
}

TEST(TextShowing, EmbeddedSubsetsWrittenByCairo) {
    struct Case {
        const char* family;
        std::string text;
    };
    const Case cases[] = {
        {"Liberation Sans", "Hello, World! 123"},      // TrueType subset
        {"Nimbus Sans", "The quick brown fox"},        // CFF from OpenType or Type 1
        {"Liberation Serif", "caf\xC3\xA9 na\xC3\xAFve \xE2\x80\x9Cquoted\xE2\x80\x9D"},
#if !defined(__SANITIZE_ADDRESS__)
        // cairo 1.16 leaks a buffer when it subsets CID-keyed CFF fonts: left out of sanitizer runs.
        {"Noto Sans CJK JP", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE7\xAB\xA0"},
#endif
    };
    for (const auto& c : cases) {
        std::string pdf = kx::test::cairoTextPDF({{c.family, false, false, 20, 50, 100, c.text}});
        ASSERT_FALSE(pdf.empty()) << c.family;
        auto run = runPage(kx::PDFDocument::openFromMemory(pdf));
        ASSERT_TRUE(run->parser) << c.family;
        std::u16string expected;
        for (char16_t ch : kx::utf8ToUtf16(c.text))
            if (ch != u' ') expected.push_back(ch);
        std::u16string got;
        for (char16_t ch : run->recorder.allText())
            if (ch != u' ') got.push_back(ch);
        EXPECT_EQ(kx::utf16ToUtf8(got), kx::utf16ToUtf8(expected)) << c.family;
        // Each reported width is the glyph's advance in the installed font cairo embedded.
        std::optional<kx::InstalledFont> face;
        for (const auto& f : kx::FontCatalog::facesOfFamily(c.family))
            if (f.style == "Regular") face = f;
        ASSERT_TRUE(face) << c.family;
        auto program = kx::FontProgram::fromFile(face->file, face->index);
        ASSERT_TRUE(program) << c.family;
        const auto& shown = run->recorder.shown;
        ASSERT_FALSE(shown.empty());
        for (const auto& glyph : shown) {
            size_t i = 0;
            char32_t ch = kx::nextCodePoint(glyph.text, i);
            double advance = program->glyphAdvance(program->glyphForCharacter(ch)).value_or(-1000);
            // cairo shows the text at size 1 under a scaled text matrix.
            EXPECT_NEAR(glyph.offset.width / glyph.fontSize, advance / program->unitsPerEm(), 0.001)
                << c.family << " " << kx::utf16ToUtf8(glyph.text);
        }
    }
}

TEST(TextShowing, SymbolicTrueTypeWithItsOwnCharacterMap) {
    // A symbol font whose program maps only the private-use characters U+F0xx (the Windows symbol map).
    std::string path = kx::test::tempDir() + "/symbolic.ttf";
    std::string script = kx::test::sourceDir() + "/tests/support/make-symbolic-truetype.py";
    if (kx::test::runCommand("python3 '" + script + "' '" + path + "' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-fonttools is needed to make the fixture font";
    auto program = kx::readFile(path);
    ASSERT_TRUE(program);
    PDFBuilder b;
    int file = b.addFlateStream("", *program);
    int map = b.addStream("", toUnicode("<00> <FF>", "2 beginbfchar <6C> <25CF> <6E> <25A0> endbfchar"));
    auto run = showWithFont(b,
                            "<< /Type /Font /Subtype /TrueType /BaseFont /ABCDEF+TestSymbols /FirstChar 108 /LastChar 110 "
                            "/Widths [ 800 0 750 ] /ToUnicode " + std::to_string(map) + " 0 R /FontDescriptor << "
                            "/Type /FontDescriptor /FontName /ABCDEF+TestSymbols /Flags 4 /FontBBox [0 -200 800 800] "
                            "/Ascent 800 /Descent -200 /FontFile2 " + std::to_string(file) + " 0 R >> >>",
                            "BT /F1 10 Tf (lnl) Tj ET");
    EXPECT_EQ(texts(*run), (std::vector<std::u16string>{u"\u25CF", u"\u25A0", u"\u25CF"}));
    ASSERT_EQ(run->recorder.shown.size(), 3u);
    EXPECT_NEAR(run->recorder.shown[0].offset.width, 8, 1e-5);
    EXPECT_NEAR(run->recorder.shown[1].offset.width, 7.5, 1e-5);
    const KXPDFFont& font = *run->stack->topRenderingState().font();
    ASSERT_TRUE(font.fontDescriptor() && font.fontDescriptor()->embFont());
    EXPECT_TRUE(font.fontDescriptor()->isSymbolic());
    EXPECT_EQ(font.fontDescriptor()->embPostScriptName(), "TestSymbols");
    // The program's symbol map answers the space: its width is the word space.
    EXPECT_NEAR(font.bankSpaceCharWidth(), 0.25, 1e-6);
    EXPECT_NEAR(font.widthOfSpace(), 0.25, 1e-6);
}

namespace {

// Arabic shown in visual order, as writers of it draw it: each glyph left of the one before it in
// reading order, in its presentation form. The codes of F1 (Helvetica, 5 points a glyph, the mark
// B without width):
//   A alef final, B fathatan, C beh medial, D hah initial, E reh final, F meem initial,
//   G beh initial, H kaf medial, I meem final, J alef isolated, K lam-alef, L seen initial.
// So "FEDCBA" shows مرحباً, "IHG" بكم and "ILKJ" الاسم, the right way round on the page, each
// written left to right.
std::unique_ptr<TextRun> showArabic(const std::string& content) {
    PDFBuilder b;
    int map = b.addStream("", toUnicode("<00> <FF>",
                                        "15 beginbfchar <41> <FE8E> <42> <064B> <43> <FE92> <44> <FEA3> <45> <FEAE> "
                                        "<46> <FEE3> <47> <FE91> <48> <FEDC> <49> <FEE2> <4A> <FE8D> <4B> <FEFB> "
                                        "<4C> <FEB3> <20> <0020> <32> <0032> <35> <0035> endbfchar"));
    std::string widths;
    for (int code = 32; code <= 90; ++code) widths += code == 'B' ? "0 " : "500 ";
    const std::string font = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FirstChar 32 /LastChar 90 /Widths [" +
                             widths + "] /ToUnicode " + std::to_string(map) + " 0 R >>";
    const int f1 = b.add(font), f2 = b.add(font);
    b.addPage(content, kx::format("<< /Font << /F1 %d 0 R /F2 %d 0 R >> >>", f1, f2));
    return runPage(kx::PDFDocument::openFromMemory(b.build()));
}

// Each report as "text@x" (the x of its text position), in the order reported.
std::string placedTexts(const TextRun& run) {
    std::string out;
    for (const auto& s : run.recorder.shown)
        out += (out.empty() ? "" : " ") + kx::utf16ToUtf8(s.text) + "@" + kx::format("%g", s.textMatrix.tx);
    return out;
}

}  // namespace

// Right-to-left text shown in visual order is reported in the order it is read, its glyphs moved
// along their line so that left to right they come in that order: each word, line and cell keeps
// its place (and the gaps within it), the letters are the ordinary ones, a mark comes with its
// letter, numbers read left to right. Such text came out reversed, in presentation forms: a reader
// of "مرحباً" got "ﺎًﺒﺣﺮﻣ".
TEST(TextShowing, RightToLeftTextShownInVisualOrderIsReportedInReadingOrder) {
    struct Case {
        const char* name;
        std::string content;
        std::string reports;
    } cases[] = {
        {"a word", "BT /F1 10 Tf 100 700 Td (ABCDEF) Tj ET",
         "\u0645@100 \u0631@105 \u062D@110 \u0628@115 \u0627\u064B@120"},
        {"a ligature and isolated forms", "BT /F1 10 Tf 100 700 Td (ILKJ) Tj ET",
         "\u0627@100 \u0644\u0627@105 \u0633@110 \u0645@115"},
        // Two words and the blank between them shown by three operators, in two fonts.
        {"a line of words shown apart", "BT /F1 10 Tf 100 700 Td (IHG) Tj /F2 10 Tf ( ) Tj /F1 10 Tf (ABCDEF) Tj ET",
         "\u0645@100 \u0631@105 \u062D@110 \u0628@115 \u0627\u064B@120  @125 \u0628@130 \u0643@135 \u0645@140"},
        {"a word gap left by a TJ adjustment", "BT /F1 10 Tf 100 700 Td [(IHG) -500 (ABCDEF)] TJ ET",
         "\u0645@100 \u0631@105 \u062D@110 \u0628@115 \u0627\u064B@120 \u0628@130 \u0643@135 \u0645@140"},
        {"a number in right-to-left text", "BT /F1 10 Tf 100 700 Td (25 IHG) Tj ET",
         "\u0628@100 \u0643@105 \u0645@110  @115 2@120 5@125"},
        // The cells of a table row, each in its place: the right one shown first.
        {"cells of one row", "BT /F1 10 Tf 300 700 Td (ILKJ) Tj -200 0 Td (IHG) Tj ET",
         "\u0627@300 \u0644\u0627@305 \u0633@310 \u0645@315 \u0628@100 \u0643@105 \u0645@110"},
        {"lines", "BT /F1 10 Tf 12 TL 100 700 Td (IHG) Tj T* (ABCDEF) Tj ET",
         "\u0628@100 \u0643@105 \u0645@110 \u0645@100 \u0631@105 \u062D@110 \u0628@115 \u0627\u064B@120"},
        // Text around it is reported where and when it was shown.
        {"a path between two words", "BT /F1 10 Tf 100 700 Td (IHG) Tj ET 0 0 m 10 10 l S BT /F1 10 Tf 130 700 Td (25) Tj ET",
         "\u0628@100 \u0643@105 \u0645@110 2@130 5@135"},
    };
    for (const Case& c : cases) {
        auto run = showArabic(c.content);
        EXPECT_EQ(placedTexts(*run), c.reports) << c.name;
    }
    // The text position after the operator is where the glyphs left it.
    auto run = showArabic("BT /F1 10 Tf 100 700 Td (ABCDEF) Tj ET");
    EXPECT_DOUBLE_EQ(run->finalTextMatrix.tx, 125);
}

// An operator that shows strings of many kilobytes is reported as a short one is: each glyph at its
// place, in order, and right-to-left text in reading order (here the word بكم shown as "IHG", left
// to right on the page م ك ب, is read ب ك م). The shown pieces repeat; the expected reports are
// worked out piece by piece at 5 points a glyph and 5 for an adjustment of -500.
TEST(TextShowing, OperatorsOfManyKilobytesAreReportedAsShortOnesAre) {
    struct Case {
        const char* name;
        std::string piece;        // repeated to make the operator
        const char* before;       // what opens the operator, and what closes it
        const char* after;
        std::vector<std::string> reports;  // of one piece
        double pieceWidth;
    } cases[] = {
        {"a Tj", "25 ", "(", ") Tj", {"2", "5", " "}, 15},
        {"a TJ with adjustments", "(25 ) -500 ", "[", "] TJ", {"2", "5", " "}, 20},
        {"right-to-left words in a TJ", "(IHG) -500 ", "[", "] TJ", {"\u0628", "\u0643", "\u0645"}, 20},
    };
    constexpr size_t kPieces = 30000;
    for (const Case& c : cases) {
        std::string content = std::string("BT /F1 10 Tf 100 700 Td ") + c.before;
        std::string expected;
        for (size_t i = 0; i < kPieces; ++i) {
            content += c.piece;
            for (size_t k = 0; k < c.reports.size(); ++k)
                expected += (expected.empty() ? "" : " ") + c.reports[k] + "@" +
                            kx::format("%g", 100 + c.pieceWidth * static_cast<double>(i) + 5.0 * static_cast<double>(k));
        }
        content += std::string(c.after) + " ET";
        ASSERT_GT(content.size(), 64u * 1024) << c.name;
        auto run = showArabic(content);
        EXPECT_EQ(placedTexts(*run), expected) << c.name;
        EXPECT_DOUBLE_EQ(run->finalTextMatrix.tx, 100 + c.pieceWidth * kPieces) << c.name;
    }
}

// A right-to-left line of many kilobytes (one Tj of different words) is decoded and put in
// reading order piece by piece, yet each glyph stands where the whole line put in reading order
// puts it: the first glyph shown at the right end, the last at the left, each word whole. Put in
// order within its own piece only, each piece kept its place and the line read its pieces from
// the wrong end.
TEST(TextShowing, ALongRightToLeftLineIsPlacedAsAWholeLine) {
    const std::string letters = "ACDEFGHIJL";
    std::map<char, std::string> textOf;
    for (char c : letters + " ") {
        auto one = showArabic(std::string("BT /F1 10 Tf 100 700 Td (") + c + ") Tj ET");
        ASSERT_EQ(one->recorder.shown.size(), 1u);
        textOf[c] = kx::utf16ToUtf8(one->recorder.shown[0].text);
    }
    std::string shown;
    for (int word = 0; shown.size() <= 80 * 1024; ++word) {
        for (int n = word + 1; n > 0; n /= 10) shown += letters[static_cast<size_t>(n % 10)];
        shown += ' ';
    }
    auto run = showArabic("BT /F1 10 Tf 100 700 Td (" + shown + ") Tj ET");
    // Every glyph is 5 points wide: the glyph shown jth lands at the place mirrored about the line.
    const double width = 5.0 * static_cast<double>(shown.size());
    std::map<long long, std::string> placed;
    for (const auto& s : run->recorder.shown) {
        const long long x = std::llround(s.textMatrix.tx * 100);
        EXPECT_TRUE(placed.emplace(x, kx::utf16ToUtf8(s.text)).second) << "two glyphs at " << s.textMatrix.tx;
    }
    ASSERT_EQ(placed.size(), shown.size());
    size_t wrong = 0;
    for (size_t j = 0; j < shown.size(); ++j) {
        const long long x = std::llround((100 + width - 5.0 * static_cast<double>(j + 1)) * 100);
        auto it = placed.find(x);
        if (it == placed.end() || it->second != textOf[shown[j]]) ++wrong;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_DOUBLE_EQ(run->finalTextMatrix.tx, 100 + width);
}
