// The presentation exporter on PDFs built here: the slide of each page (size, rotation, crop box),
// text gathered into boxes, paragraphs and runs, paths as freeforms, pictures, and the order of
// shapes on the slide. The exporter runs as the engine runs it; each slide is read off its model
// just before it is written.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "engine/KXPDFOptions.h"
#include "pdf/xobject/KXPDFImageXObject.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/ImageDecoding.h"
#include "platform/LeftOut.h"
#include "platform/pdf/PDFDocument.h"
#include "pptx/KXPPTXFreeform.h"
#include "pptx/KXPPTXPDFExporter.h"
#include "pptx/KXPPTXPage.h"
#include "pptx/KXPPTXPicture.h"
#include "pptx/KXPPTXTextbox.h"
#include "pptx/KXPPTXWriter.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

using kx::format;

// Every slide's shapes in order, one line each.
class SlideReader : public KXPPTXPDFExporter {
public:
    std::vector<std::vector<std::string>> slides;
    std::vector<KXPDFPageGeometry> geometries;
    // Each slide part as it was written.
    std::vector<std::string> slideParts;

    bool convertPDFPage(const kx::PDFPage& page) override {
        const KXPDFPageGeometry g = pageGeometryOf(page);
        geometries.push_back(g);
        beginPage(g, pageSizeOf(g));
        interpretPage(page);
        std::vector<std::string> shapes;
        for (const auto& shape : pdfWriter()->currentPage()->sharepsArr()) shapes.push_back(describe(*shape));
        slides.push_back(shapes);
        beforeSlideEnds();
        const std::string part = pdfWriter()->pathForPart(pdfWriter()->currentPage()->partName());
        endPage();
        slideParts.push_back(kx::readFile(part).value_or(""));
        return true;
    }

    // A look at the slide just before it is written.
    virtual void beforeSlideEnds() {}

    static std::string describe(const KXPPTXShape& shape) {
        if (auto* box = dynamic_cast<const KXPPTXTextbox*>(&shape)) {
            const KXPPTXTextBoxInfo& i = box->spInfo();
            std::string out = format("box %g at %.0f,%.0f:", i.rotation, i.displayX, i.displayY);
            for (const auto& p : box->paragraphs()) {
                if (p->runArray().empty()) continue;
                out += format(" [m%.0f", p->pProperty().marL);
                for (const auto& r : p->runArray()) {
                    std::string text;
                    for (char16_t c : r->text) text += c < 0x80 ? static_cast<char>(c) : '?';
                    out += " (" + text + (r->rProperty.b ? "|b" : "") + (r->rProperty.i ? "|i" : "") + ")";
                }
                out += "]";
            }
            return out;
        }
        if (auto* f = dynamic_cast<const KXPPTXFreeform*>(&shape)) {
            const KXPPTXFreeformInfo& i = f->spInfo();
            return format("freeform %.1f,%.1f %.1fx%.1f w%.1f%s%s", i.displayX(), i.displayY(), i.displayWidth(),
                          i.displayHeight(), i.strokeweight(), i.filled() ? " filled" : "", i.stroked() ? " stroked" : "");
        }
        if (auto* p = dynamic_cast<const KXPPTXPicture*>(&shape)) {
            const KXPPTXImageInfo& i = p->pictInfo();
            // A picture drawn anew (a cut-out, a shading) gives its size in pixels.
            return format("picture %s %.0f,%.0f %.0fx%.0f", p->runImageID().c_str(), i.displayX, i.displayY,
                          i.displayWidth, i.displayHeight) +
                   (i.pixelWidth > 0 ? format(" (%dx%d px)", i.pixelWidth, i.pixelHeight) : "");
        }
        return "shape";
    }
};

// Runs the exporter over every page of the document; the package goes to `out`.
void convert(SlideReader& reader, const std::string& pdf, const std::string& out, int annotations = 1) {
    auto document = kx::PDFDocument::openFromMemory(pdf);
    ASSERT_TRUE(document);
    auto options = std::make_shared<KXPDFOptions>();
    options->setIsParserAnnots(annotations);
    reader.setMoreOptions(options);
    reader.setNumberOfPagesToConvert(static_cast<std::uint64_t>(document->pageCount()));
    reader.begainConvertPDF(out, document);
    for (int i = 1; i <= document->pageCount(); ++i) reader.convertPDFPage(*document->page(i));
    reader.endConvertPDF(document);
}

const char* kFonts =
    "/Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> "
    "/F2 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >> >>";

// One page holding the content.
std::string page(const std::string& content, const std::string& extra = "/MediaBox [0 0 612 792]") {
    kx::test::PDFBuilder pdf;
    pdf.addPage(content, std::string("<< ") + kFonts + " >>", extra);
    return pdf.build();
}

// A string at (x, y) turned `degrees` counter-clockwise (PDF space), in font F1 or F2 at 12 points.
std::string shown(double x, double y, double degrees, const std::string& text, const char* font = "F1") {
    const double r = degrees * M_PI / 180.0;
    return format("BT /%s 12 Tf %.6f %.6f %.6f %.6f %.2f %.2f Tm (%s) Tj ET\n", font, std::cos(r), std::sin(r),
                  -std::sin(r), std::cos(r), x, y, text.c_str());
}

std::vector<std::string> slideOf(const std::string& content, const std::string& extra = "/MediaBox [0 0 612 792]") {
    SlideReader reader;
    convert(reader, page(content, extra), kx::pathJoin(kx::test::tempDir(), "slide.pptx"));
    return reader.slides.empty() ? std::vector<std::string>{} : reader.slides[0];
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += (out.empty() ? "" : "\n") + l;
    return out;
}

}  // namespace

TEST(KXPPTXPDFExporter, SlideOfEachPage) {
    struct Case {
        const char* what;
        std::string extra;
        kx::Size slide;
        kx::Point pdfPoint, slidePoint;
    };
    const Case cases[] = {
        {"letter", "/MediaBox [0 0 612 792]", {612, 792}, {0, 792}, {0, 0}},
        {"a page of 2000 by 1000 points is scaled down", "/MediaBox [0 0 2000 1000]", {1583, 791.5}, {2000, 0},
         {1583, 791.5}},
        {"a page of 50 by 30 points is scaled up to an inch", "/MediaBox [0 0 50 30]", {120, 72}, {50, 30}, {120, 0}},
        {"a page too long to scale up keeps its long side", "/MediaBox [0 0 1583 10]", {1583, 10}, {0, 0}, {0, 10}},
        {"turned a quarter", "/MediaBox [0 0 612 792] /Rotate 90", {792, 612}, {100, 50}, {50, 100}},
        {"turned three quarters", "/MediaBox [0 0 612 792] /Rotate 270", {792, 612}, {100, 50}, {742, 512}},
        {"turned by -90", "/MediaBox [0 0 612 792] /Rotate -90", {792, 612}, {100, 50}, {742, 512}},
        {"turned half", "/MediaBox [0 0 612 792] /Rotate 180", {612, 792}, {100, 50}, {512, 50}},
        {"a crop box away from the origin", "/MediaBox [0 0 612 792] /CropBox [100 200 400 500]", {300, 300},
         {100, 200}, {0, 300}},
        {"a media box away from the origin", "/MediaBox [50 60 350 460]", {300, 400}, {50, 460}, {0, 0}},
        {"an offset crop box on a turned page", "/MediaBox [0 0 612 792] /CropBox [100 200 400 600] /Rotate 90",
         {400, 300}, {100, 200}, {0, 0}},
    };
    for (const Case& c : cases) {
        SlideReader reader;
        convert(reader, page("", c.extra), kx::pathJoin(kx::test::tempDir(), "geometry.pptx"));
        ASSERT_EQ(reader.geometries.size(), 1u) << c.what;
        const KXPDFPageGeometry& g = reader.geometries[0];
        EXPECT_NEAR(g.cropBox.size.width, c.slide.width, 1e-6) << c.what;
        EXPECT_NEAR(g.cropBox.size.height, c.slide.height, 1e-6) << c.what;
        const kx::Point p = g.pageTransform.apply(c.pdfPoint);
        EXPECT_NEAR(p.x, c.slidePoint.x, 1e-6) << c.what;
        EXPECT_NEAR(p.y, c.slidePoint.y, 1e-6) << c.what;
    }
}

TEST(KXPPTXPDFExporter, TextGathersIntoBoxesParagraphsAndRuns) {
    // Helvetica's space is 0.278 of 12 points: 3.336 points; "first" is 19.332 points long.
    struct Case {
        const char* what;
        std::string content;
        std::string want;
    };
    const Case cases[] = {
        {"a lone blank opens nothing", shown(72, 700, 0, " "), ""},
        {"one line, blanks for the gap", shown(72, 700, 0, "first") + shown(72 + 19.332 + 3.4 * 3.336, 700, 0, "second"),
         "box 0 at 72,83: [m0 (first   second)]"},
        {"a gap of two thirds of a blank is a blank",
         shown(72, 700, 0, "first") + shown(72 + 19.332 + 0.67 * 3.336, 700, 0, "word"),
         "box 0 at 72,83: [m0 (first word)]"},
        {"a kern of a third of a blank is none",
         shown(72, 700, 0, "first") + shown(72 + 19.332 + 0.33 * 3.336, 700, 0, "word"),
         "box 0 at 72,83: [m0 (firstword)]"},
        // Slanted glyphs lean from the baseline: the box starts where the baseline does, not where
        // the first glyph's slanted top edge ends up (4.5 points further right here).
        {"a slanted line's box starts above where its baseline starts",
         "BT /F1 12 Tf 1 0 0.5 1 72 700 Tm (slanted) Tj 1 0 0.5 1 72 686 Tm (lines) Tj ET\n",
         "box 0 at 72,83: [m0 (slanted|i)] [m0 (lines|i)]"},
        {"a change of weight starts a run with the blanks in front",
         shown(72, 700, 0, "first") + shown(72 + 19.332 + 2.4 * 3.336, 700, 0, "bold", "F2"),
         "box 0 at 72,83: [m0 (first) (  bold|b)]"},
        {"the next line is the next paragraph, at its margin",
         shown(72, 700, 0, "one") + shown(90, 686, 0, "two"), "box 0 at 72,83: [m0 (one)] [m18 (two)]"},
        {"well left on the same line: a new paragraph", shown(300, 700, 0, "right") + shown(72, 700, 0, "left"),
         "box 0 at 300,83: [m0 (right)] [m0 (left)]"},
        {"far below: a new box", shown(72, 700, 0, "top") + shown(72, 500, 0, "bottom"),
         "box 0 at 72,83: [m0 (top)]\nbox 0 at 72,283: [m0 (bottom)]"},
        {"above: a new box", shown(72, 500, 0, "low") + shown(72, 700, 0, "high"),
         "box 0 at 72,283: [m0 (low)]\nbox 0 at 72,83: [m0 (high)]"},
        {"two columns, one box each",
         shown(72, 700, 0, "L1") + shown(72, 686, 0, "L2") + shown(320, 700, 0, "R1") + shown(320, 686, 0, "R2"),
         "box 0 at 72,83: [m0 (L1)] [m0 (L2)]\nbox 0 at 320,83: [m0 (R1)] [m0 (R2)]"},
        {"a far gap on one line is a bounded number of blanks",
         shown(10, 700, 0, "a") + shown(10 + 6.672 + 250 * 3.336, 700, 0, "b"),
         "box 0 at 10,83: [m0 (a" + std::string(200, ' ') + "b)]"},
        // Text running down the page turns the other way in PDF space; its lines follow to the left.
        // Text turned a quarter is measured along and across its own lines: each line of a
        // paragraph starts where the first did (measured across the slide, the margins would climb
        // line by line), a kern is not taken for a step back to a new line (the space measured
        // across the slide has no width), and a line drawn on the far side of the last one is not
        // the next line.
        {"turned text keeps its lines in one box",
         shown(300, 600, -90, "down") + shown(286, 600, -90, "next"),
         "box 90 at 309,192: [m0 (down)] [m0 (next)]"},
        {"upward lines all start where the first did",
         shown(300, 300, 90, "one") + shown(314, 300, 90, "two") + shown(328, 300, 90, "three"),
         "box 270 at 291,492: [m0 (one)] [m0 (two)] [m0 (three)]"},
        {"kerned letters of turned text are one word", "BT /F1 12 Tf 0 -1 1 0 300 600 Tm [(A) 80 (VATAR)] TJ ET\n",
         "box 90 at 309,192: [m0 (AVATAR)]"},
        {"downward lines drawn last first are two boxes",
         shown(286, 600, -90, "second") + shown(300, 600, -90, "first"),
         "box 90 at 295,192: [m0 (second)]\nbox 90 at 309,192: [m0 (first)]"},
        {"text turned the other way opens another box", shown(300, 600, -90, "down") + shown(300, 300, 90, "up"),
         "box 90 at 309,192: [m0 (down)]\nbox 270 at 291,492: [m0 (up)]"},
        // Shown character by character, a line at 2 degrees stays one box (a string at 2 degrees
        // does not open a box of its own after one opened at 0), and one at 358 degrees is a box
        // turned that way.
        {"a line falling slightly is one box, character by character",
         shown(72, 700, -2, "a") + shown(72 + 6.66, 700 - 0.233, -2, "b") + shown(72 + 13.32, 700 - 0.466, -2, "c"),
         "box 0 at 72,83: [m0 (abc)]"},
        {"a line rising slightly is one turned box, character by character",
         shown(72, 700, 2, "a") + shown(72 + 6.66, 700 + 0.233, 2, "b") + shown(72 + 13.32, 700 + 0.466, 2, "c"),
         "box 358 at 72,83: [m0 (abc)]"},
    };
    for (const Case& c : cases) EXPECT_EQ(joined(slideOf(c.content)), c.want) << c.what;
}

// Every gap that parts two words is a blank, whatever the font says a space is: lines justified
// tightly, lines set without space characters (TeX's words placed apart), and a step to the next
// line where lines lie closer than their height. Kerning and letters set a little apart stay one word.
TEST(KXPPTXPDFExporter, EveryGapBetweenWordsIsABlank) {
    // Helvetica's space is 3.336 points at 12; F3 gives no width for a space (the font's space is
    // then taken as half the font size, 6 points).
    const std::string noSpaceWidth =
        "/F3 << /Type /Font /Subtype /Type1 /BaseFont /SubsetSerif /FirstChar 97 /LastChar 122 "
        "/Widths [500 500 444 500 444 333 500 500 278 278 500 278 778 500 500 500 500 333 389 278 500 500 722 500 500 "
        "444] >>";
    struct Case {
        const char* what;
        std::string content;
        std::string want;
    };
    const Case cases[] = {
        {"a tightly justified line: words a seventh of the font size apart",
         "BT /F1 12 Tf 72 700 Td [(for) -140 (profit) -140 (or) -140 (commercial) -140 (advantage)] TJ ET",
         "(for profit or commercial advantage)"},
        {"words set apart in a font that gives no space width",
         "BT /F3 12 Tf 72 700 Td [(for) -220 (profit) -220 (or) -220 (commercial)] TJ ET",
         "(for profit or commercial)"},
        {"kerned letters are one word", "BT /F1 12 Tf 72 700 Td [(A) 80 (V) 60 (A) 40 (T)] TJ ET", "(AVAT)"},
        {"letters set a twentieth of the font size apart are one word",
         "BT /F1 12 Tf 72 700 Td [(w) -50 (o) -50 (r) -50 (d)] TJ ET", "(word)"},
        {"a space stretched by word spacing is one blank", "BT /F1 12 Tf 2 Tw 72 700 Td (for profit) Tj ET",
         "(for profit)"},
        {"a gap of three and a half spaces is three blanks",
         "BT /F1 12 Tf 72 700 Td [(for) -973 (profit)] TJ ET", "(for   profit)"},
        {"the next line, closer than its height, starting where the last line ended",
         "BT /F1 10 Tf 100 700 Td (ab) Tj 11.12 -9.5 Td (cdefgh) Tj ET", "(ab cdefgh)"},
        {"a hyphen splitting a word at the end of such a line",
         "BT /F1 10 Tf 100 700 Td (exam-) Tj 27.8 -9.5 Td (ple) Tj ET", "(exam-ple)"},
        {"a raised figure stays on its line", "BT /F1 12 Tf 72 700 Td (mc) Tj /F1 7 Tf 4 Ts (2) Tj ET",
         "[m0 (mc) (2)]"},
        {"and so does a raised mark before the next word",
         "BT /F1 11 Tf 72 700 Td (tilaka ) Tj /F1 7 Tf 5 Ts (i) Tj /F1 11 Tf 0 Ts (or) Tj ET", "[m0 (tilaka ) (i) (or)]"},
    };
    for (const Case& c : cases) {
        kx::test::PDFBuilder pdf;
        pdf.addPage(c.content, std::string("<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> ") +
                                   noSpaceWidth + " >> >>");
        SlideReader reader;
        convert(reader, pdf.build(), kx::pathJoin(kx::test::tempDir(), "gaps.pptx"));
        ASSERT_EQ(reader.slides.size(), 1u) << c.what;
        const std::string slide = joined(reader.slides[0]);
        EXPECT_NE(slide.find(c.want), std::string::npos) << c.what << ": " << slide;
    }
}

// Runs are numbered by one counter for the whole process: the numbers go on from page to page and
// from one conversion to the next.
TEST(KXPPTXPDFExporter, RunNumbersGoOnAcrossPagesAndConversions) {
    class NumberReader : public SlideReader {
    public:
        std::vector<std::uint64_t> numbers;
        void beforeSlideEnds() override {
            for (const auto& shape : pdfWriter()->currentPage()->sharepsArr())
                for (const auto& paragraph : shape->paragraphs())
                    for (const auto& run : paragraph->runArray()) numbers.push_back(run->pdfScanIndex);
        }
    };
    kx::test::PDFBuilder pdf;
    const std::string resources = std::string("<< ") + kFonts + " >>";
    pdf.addPage(shown(72, 700, 0, "one") + shown(200, 700, 0, "bold", "F2"), resources);
    pdf.addPage(shown(72, 700, 0, "two"), resources);
    const std::string document = pdf.build();
    NumberReader first, second;
    convert(first, document, kx::pathJoin(kx::test::tempDir(), "numbers1.pptx"));
    convert(second, document, kx::pathJoin(kx::test::tempDir(), "numbers2.pptx"));
    ASSERT_EQ(first.numbers.size(), 3u);
    ASSERT_EQ(second.numbers.size(), 3u);
    const std::uint64_t n = first.numbers[0];
    EXPECT_EQ(first.numbers, (std::vector<std::uint64_t>{n, n + 1, n + 2}));
    EXPECT_EQ(second.numbers, (std::vector<std::uint64_t>{n + 3, n + 4, n + 5}));
}

TEST(KXPPTXPDFExporter, BoldAndItalicFromTheTextState) {
    struct Case {
        const char* what;
        std::string content;
        std::string want;
    };
    const Case cases[] = {
        {"upright", "BT /F1 12 Tf 1 0 0 1 72 700 Tm (a) Tj ET", "(a)"},
        {"a bold font", "BT /F2 12 Tf 1 0 0 1 72 700 Tm (a) Tj ET", "(a|b)"},
        {"stroked text", "BT /F1 12 Tf 2 Tr 1 0 0 1 72 700 Tm (a) Tj ET", "(a|b)"},
        {"slanted by a fifth", "BT /F1 12 Tf 1 0 0.2 1 72 700 Tm (a) Tj ET", "(a|i)"},
        {"scaled to 80 percent across", "BT /F1 12 Tf 0.8 0 0 1 72 700 Tm (a) Tj ET", "(a|i)"},
        // Upright glyphs of a turned line stay upright: the ratio |(a + c) / (b + d)| of the
        // transform's sums would read them as italic at these turns (0 at 45 degrees, 0.27 at 30,
        // 3.7 at -30), and has no divisor at -45.
        {"turned 30 degrees, upright", "BT /F1 12 Tf 0.8660 0.5 -0.5 0.8660 200 400 Tm (a) Tj ET", "(a)"},
        {"turned 45 degrees, upright", "BT /F1 12 Tf 0.7071 0.7071 -0.7071 0.7071 200 400 Tm (a) Tj ET", "(a)"},
        {"turned -30 degrees, upright", "BT /F1 12 Tf 0.8660 -0.5 0.5 0.8660 200 400 Tm (a) Tj ET", "(a)"},
        {"turned -45 degrees, upright", "BT /F1 12 Tf 0.7071 -0.7071 0.7071 0.7071 200 400 Tm (a) Tj ET", "(a)"},
        {"turned 30 degrees and slanted by a fifth", "BT /F1 12 Tf 0.8660 0.5 -0.3268 0.9660 200 400 Tm (a) Tj ET",
         "(a|i)"},
    };
    for (const Case& c : cases) {
        std::string slide = joined(slideOf(c.content));
        EXPECT_NE(slide.find(c.want), std::string::npos) << c.what << ": " << slide;
    }
}

TEST(KXPPTXPDFExporter, PathsPicturesAndTheirOrder) {
    struct Case {
        const char* what;
        std::string content;
        std::string want;
    };
    const Case cases[] = {
        {"a vertical line stroked 2 points wide", "2 w 100 100 m 100 300 l S", "freeform 99.0,492.0 2.0x200.0 w2.0 stroked"},
        {"a horizontal line", "2 w 100 100 m 300 100 l S", "freeform 100.0,691.0 200.0x2.0 w2.0 stroked"},
        {"a dot takes the line width across", "4 w 1 J 100 100 m 100 100 l S", "freeform 98.0,692.0 4.0x0.0 w4.0 stroked"},
        {"a filled path without width takes the line width too", "2 w 100 100 m 100 300 l f",
         "freeform 99.0,492.0 2.0x200.0 w2.0 filled"},
        {"the white page background is left out", "1 g 0 0 612 792 re f", ""},
        {"a white page stroked is kept", "1 g 1 G 0 0 612 792 re B", "freeform 0.0,0.0 612.0x792.0 w1.0 filled stroked"},
        {"a grey page is kept", "0.9 g 0 0 612 792 re f", "freeform 0.0,0.0 612.0x792.0 w1.0 filled"},
        {"a white area smaller by two points is kept", "1 g 0 0 610 792 re f", "freeform 0.0,0.0 610.0x792.0 w1.0 filled"},
        {"a path closes the open text box, which comes first",
         shown(72, 700, 0, "text") + "0 0 1 rg 72 600 100 50 re f\n" + shown(100, 700, 0, "more"),
         "box 0 at 72,83: [m0 (text)]\nfreeform 72.0,142.0 100.0x50.0 w1.0 filled\nbox 0 at 100,83: [m0 (more)]"},
        {"a clip that hides the path drops it", "10 10 20 20 re W n 300 300 50 50 re f", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(joined(slideOf(c.content)), c.want) << c.what;
}

// A slide holds a thousand freeforms at most, with fifty thousand path elements in all, and 32,000
// in one freeform (LibreOffice draws nothing of one of more than 32,767 points): beyond any, all its
// paths are drawn into one picture of the slide, which stands where the first freeform stood (the
// text drawn before and after keeps its place around it). It holds five hundred pictures: the next
// ones are drawn into that picture too.
TEST(KXPPTXPDFExporter, CrowdedSlidesDrawTheirPathsIntoOnePicture) {
    auto rectangles = [](int count) {
        std::string out = "0 0 1 rg\n";
        for (int i = 0; i < count; ++i) out += format("%d %d 2 2 re f\n", 20 + (i % 100) * 5, 100 + (i / 100) * 5);
        return out;
    };
    auto pictures = [](int count) {
        std::string out;
        for (int i = 0; i < count; ++i)
            out += format("q 3 0 0 3 %d %d cm /Im1 Do Q\n", 20 + (i % 100) * 5, 400 + (i / 100) * 5);
        return out;
    };
    std::string longPath = "0 G 10 300 m\n";
    for (int i = 0; i < 30000; ++i) longPath += format("%g %d l %g %d l\n", 10 + i * 0.01, 310, 10 + i * 0.01 + 0.005, 300);
    longPath += "S\n";
    // A line of 35,000 points across the page: within the slide's elements, past one freeform's.
    std::string line = "0 G 10 300 m\n";
    for (int i = 1; i < 35000; ++i) line += format("%g %d l\n", 10 + i * 0.015, 300 + (i * 7919) % 200);
    line += "S\n";
    struct Case {
        const char* what;
        std::string paths;
        size_t freeforms, pictures;
        bool slidePicture;
    };
    const Case cases[] = {
        {"a thousand paths stay shapes", rectangles(1000), 1000, 0, false},
        {"one more makes them one picture", rectangles(1001), 0, 0, true},
        {"so does one path of sixty thousand elements", longPath, 0, 0, true},
        {"and one line of 35,000 points", line, 0, 0, true},
        {"five hundred pictures stay pictures of their own", pictures(500), 0, 500, false},
        {"the next one is drawn into a picture of the slide", pictures(501), 0, 500, true},
    };
    for (const Case& c : cases) {
        kx::test::PDFBuilder pdf;
        const int image = pdf.addStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB "
                                        "/BitsPerComponent 8",
                                        std::string("\xFF\x00\x00", 3));
        pdf.addPage(shown(72, 750, 0, "before") + c.paths + shown(72, 60, 0, "after"),
                    std::string("<< ") + kFonts + format(" /XObject << /Im1 %d 0 R >> >>", image));
        SlideReader reader;
        convert(reader, pdf.build(), kx::pathJoin(kx::test::tempDir(), "crowded.pptx"));
        ASSERT_EQ(reader.slideParts.size(), 1u) << c.what;
        const std::string& part = reader.slideParts[0];
        auto count = [&](const std::string& what) {
            size_t n = 0;
            for (size_t at = part.find(what); at != std::string::npos; at = part.find(what, at + 1)) ++n;
            return n;
        };
        // The picture of the slide covers it (612 by 792 points).
        const std::string covering = "<a:off x=\"0\" y=\"0\"/>";
        const size_t before = part.find(">before<"), after = part.find(">after<");
        const size_t picture = part.find(covering, part.find("</p:grpSpPr>"));
        EXPECT_EQ(count("<a:custGeom>"), c.freeforms) << c.what;
        EXPECT_EQ(count("<p:pic>"), c.pictures + (c.slidePicture ? 1 : 0)) << c.what;
        ASSERT_NE(before, std::string::npos) << c.what;
        ASSERT_NE(after, std::string::npos) << c.what;
        EXPECT_EQ(picture != std::string::npos, c.slidePicture) << c.what;
        if (picture == std::string::npos) continue;
        EXPECT_LT(before, picture) << c.what;
        EXPECT_LT(picture, after) << c.what;
        EXPECT_EQ(part.find("<a:ext cx=\"7772400\" cy=\"10058400\"/>", picture), part.find("<a:ext", picture))
            << c.what;
    }
}

// A page's annotations are drawn on its slide only when the job's annotation switch is on: here a
// square drawn from its appearance stream, beside the page's own text.
TEST(KXPPTXPDFExporter, AnnotationsFollowTheSwitch) {
    kx::test::PDFBuilder pdf;
    const int squareLook = pdf.addStream("/Type /XObject /Subtype /Form /BBox [0 0 50 50]", "1 0 0 RG 2 w 1 1 48 48 re S");
    const int square = pdf.add(format("<< /Type /Annot /Subtype /Square /Rect [100 100 150 150] /AP << /N %d 0 R >> >>",
                                      squareLook));
    pdf.addPage(shown(72, 700, 0, "Body"), std::string("<< ") + kFonts + " >>",
                format("/MediaBox [0 0 612 792] /Annots [%d 0 R]", square));
    const std::string document = pdf.build();
    const struct {
        int annotations;
        const char* want;
    } cases[] = {
        {0, "box 0 at 72,83: [m0 (Body)]"},
        {1, "box 0 at 72,83: [m0 (Body)]\nfreeform 101.0,643.0 48.0x48.0 w2.0 stroked"},
    };
    for (const auto& c : cases) {
        SlideReader reader;
        convert(reader, document, kx::pathJoin(kx::test::tempDir(), "annotations.pptx"), c.annotations);
        ASSERT_EQ(reader.slides.size(), 1u);
        EXPECT_EQ(joined(reader.slides[0]), c.want) << "annotations " << c.annotations;
    }
}

TEST(KXPPTXPDFExporter, ImagesShadingsAndTheirMedia) {
    kx::test::PDFBuilder pdf;
    // A 2 x 2 RGB image, a shading, and text around them.
    const int image = pdf.addStream("/Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceRGB "
                                    "/BitsPerComponent 8",
                                    std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\x00", 12));
    const std::string resources =
        std::string("<< ") + kFonts + format(" /XObject << /Im1 %d 0 R >>", image) +
        " /Shading << /Sh1 << /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] "
        "/Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >> >> >>";
    pdf.addPage(shown(72, 700, 0, "before") + "q 200 0 0 100 72 400 cm /Im1 Do Q " + shown(72, 686, 0, "after") +
                    "q 72 100 100 100 re W n /Sh1 sh Q " + shown(72, 672, 0, "still") +
                    "q 300 0 0 100 300 400 cm /Im1 Do Q",
                pdf.reserve() ? resources : resources);
    SlideReader reader;
    const std::string out = kx::pathJoin(kx::test::tempDir(), "pictures.pptx");
    convert(reader, pdf.build(), out);
    ASSERT_EQ(reader.slides.size(), 1u);
    // An image closes the text box; a shading leaves it open and comes before it; the same image
    // drawn twice is one media part with one relationship.
    EXPECT_EQ(joined(reader.slides[0]),
              "box 0 at 72,83: [m0 (before)]\n"
              "picture rId2 72,292 200x100\n"
              "picture rId3 72,592 100x100 (200x200 px)\n"
              "box 0 at 72,97: [m0 (after)] [m0 (still)]\n"
              "picture rId2 300,292 300x100");
    EXPECT_TRUE(kx::isRegularFile(out));
}

TEST(KXPPTXPDFExporter, CancelledConversionsLeaveNothing) {
    SlideReader reader;
    const std::string out = kx::pathJoin(kx::test::tempDir(), "cancelled.pptx");
    auto document = kx::PDFDocument::openFromMemory(page(shown(72, 700, 0, "text")));
    ASSERT_TRUE(document);
    reader.setMoreOptions(std::make_shared<KXPDFOptions>());
    reader.setNumberOfPagesToConvert(1);
    reader.begainConvertPDF(out, document);
    reader.convertPDFPage(*document->page(1));
    ASSERT_TRUE(reader.pdfWriter());
    const std::string work = reader.pdfWriter()->savedWorkFolder();
    EXPECT_TRUE(kx::fileExists(work));
    reader.cancelConvertPDF();
    reader.cleanConvertPDF();
    EXPECT_FALSE(kx::fileExists(out));
    EXPECT_FALSE(kx::fileExists(work)) << "the work folder of the package stays behind";
}

// A slide whose part cannot be written fails the conversion, which leaves no package: completed
// without it, the package would lack that page and every word on it, and the conversion would
// report a success.
TEST(KXPPTXPDFExporter, ASlideThatCannotBeWrittenFailsTheConversion) {
    // A folder stands where the second slide's part is written, and is gone again before the
    // third slide ends: only that slide's part fails.
    class BlockingReader : public SlideReader {
    public:
        void beforeSlideEnds() override {
            const std::string part = pdfWriter()->pathForPart(pdfWriter()->currentPage()->partName());
            if (++slides_ == 2) {
                blocked_ = part;
                ASSERT_TRUE(kx::createDirectories(blocked_));
            } else if (slides_ == 3) {
                ASSERT_TRUE(kx::removeAll(blocked_));
            }
        }

    private:
        int slides_ = 0;
        std::string blocked_;
    };
    kx::test::PDFBuilder pdf;
    const std::string resources = std::string("<< ") + kFonts + " >>";
    for (const char* word : {"one", "two", "three"}) pdf.addPage(shown(72, 700, 0, word), resources);
    const std::string out = kx::pathJoin(kx::test::tempDir(), "unwritable-slide.pptx");
    std::remove(out.c_str());
    BlockingReader reader;
    convert(reader, pdf.build(), out);
    ASSERT_TRUE(reader.exportError().has_value());
    EXPECT_EQ(reader.exportError()->failureReason, "Can't write the output file.");
    EXPECT_FALSE(kx::fileExists(out));
}

namespace {

// A 2 x 2 RGB image as Im1, beside the fonts.
std::string imagePage(const std::string& content) {
    kx::test::PDFBuilder pdf;
    const int image = pdf.addStream("/Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceRGB "
                                    "/BitsPerComponent 8",
                                    std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\x00", 12));
    pdf.addPage(content, std::string("<< ") + kFonts + format(" /XObject << /Im1 %d 0 R >> >>", image));
    return pdf.build();
}

// Spoils the image's file once it has been placed, so that the image drawn again finds a file it
// cannot read; and says of every picture of the slide whether it shows anything at all.
class SpoilingReader : public SlideReader {
public:
    std::vector<bool> picturesShowSomething;

    void didScanXObjectImage(KXPDFConentParser& parser, const std::shared_ptr<KXPDFXObject>& object) override {
        SlideReader::didScanXObjectImage(parser, object);
        if (spoiled_) return;
        spoiled_ = true;
        const std::string& file = static_cast<const KXPDFImageXObject&>(*object).cachedImagePath();
        // A new file in its place: the package holds the old one under a second name.
        ASSERT_EQ(std::remove(file.c_str()), 0);
        ASSERT_TRUE(kx::writeFile(file, "no picture"));
    }
    void beforeSlideEnds() override {
        const std::vector<KXRelationship>& rels = pdfWriter()->currentPage()->pageRelsArr();
        for (size_t i = 1; i < rels.size(); ++i) {
            kx::ImageRef media = kx::readImageFile(pdfWriter()->pathForPart("/ppt/" + rels[i].Target.substr(3)));
            // A picture without alpha shows everything.
            bool shows = media && media->format != kx::PixelFormat::RGBA8;
            for (int y = 0; media && !shows && y < media->height; ++y)
                for (int x = 0; x < media->width; ++x) shows |= kx::test::pixelAt(*media, x, y)[3] != 0;
            picturesShowSomething.push_back(shows);
        }
    }

private:
    bool spoiled_ = false;
};

}  // namespace

// Under a clip an image is placed from its own file when the clip holds it whole, and otherwise
// from a picture of what the clip lets show, drawn at 144 dpi ("Clip"): upright, at the clip's box.
TEST(KXPPTXPDFExporter, ImagesUnderClips) {
    SlideReader reader;
    convert(reader,
            imagePage(
                // A rectangle that holds the image whole, one that cuts its right half and top
                // quarter, one that misses it, and a round clip.
                "q 0 0 612 792 re W n q 200 0 0 100 72 400 cm /Im1 Do Q Q\n"
                "q 72 400 100 75 re W n q 200 0 0 100 72 400 cm /Im1 Do Q Q\n"
                "q 400 0 50 50 re W n q 200 0 0 100 72 400 cm /Im1 Do Q Q\n"
                "q 100 400 m 150 400 150 450 100 450 c h W n q 200 0 0 100 72 400 cm /Im1 Do Q Q\n"
                // Turned a quarter and cut: the cut-out stands upright.
                "q 72 500 50 50 re W n q 0 100 -100 0 172 500 cm /Im1 Do Q Q\n"),
            kx::pathJoin(kx::test::tempDir(), "clipped.pptx"));
    ASSERT_EQ(reader.slides.size(), 1u);
    EXPECT_EQ(joined(reader.slides[0]),
              "picture rId2 72,292 200x100\n"
              "picture rId3 72,317 100x75 (200x150 px)\n"
              "picture rId4 400,742 50x50 (100x100 px)\n"
              "picture rId5 100,342 38x50 (76x100 px)\n"
              "picture rId6 72,242 50x50 (100x100 px)");

    // An image whose file cannot be read says so; cut by a clip it leaves a picture that shows
    // nothing, and under a clip that holds it whole its file is placed as it is.
    SpoilingReader spoiling;
    testing::internal::CaptureStderr();
    convert(spoiling,
            imagePage("q 200 0 0 100 72 400 cm /Im1 Do Q\n"
                      "q 72 400 100 75 re W n q 200 0 0 100 72 400 cm /Im1 Do Q Q\n"
                      "q 0 0 612 792 re W n q 200 0 0 100 72 400 cm /Im1 Do Q Q\n"),
            kx::pathJoin(kx::test::tempDir(), "unreadable.pptx"));
    const std::string messages = testing::internal::GetCapturedStderr();
    ASSERT_EQ(spoiling.slides.size(), 1u);
    EXPECT_EQ(joined(spoiling.slides[0]),
              "picture rId2 72,292 200x100\n"
              "picture rId3 72,317 100x75 (200x150 px)\n"
              "picture rId2 72,292 200x100");
    EXPECT_EQ(spoiling.picturesShowSomething, (std::vector<bool>{true, false}));
    size_t said = 0;
    for (size_t at = messages.find("didScanXObjectImage: image with path is null:"); at != std::string::npos;
         at = messages.find("didScanXObjectImage: image with path is null:", at + 1))
        ++said;
    EXPECT_EQ(said, 2u) << messages;
}

// A scan within the decode budget (a full page in grey at 1200 dpi) is placed as it is and the
// slide's record is empty; one beyond it (15,000 pixels square) is decoded at a lower resolution,
// and the slide's record says so.
TEST(KXPPTXPDFExporter, AScanDecodedSmallerThanItIsIsNoted) {
    const struct {
        int width, height;
        std::string leftOut;
    } cases[] = {{9920, 14030, ""}, {15000, 15000, "1 images reduced to fit the memory bound"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        kx::test::PDFBuilder pdf;
        const size_t row = (static_cast<size_t>(c.width) + 7) / 8;
        std::string samples(row * static_cast<size_t>(c.height), '\xff');
        std::fill_n(samples.begin() + static_cast<long>(row * static_cast<size_t>(c.height / 2)), row * 40, '\0');
        const int image = pdf.addFlateStream(format("/Type /XObject /Subtype /Image /Width %d /Height %d "
                                                    "/ColorSpace /DeviceGray /BitsPerComponent 1",
                                                    c.width, c.height),
                                             samples);
        pdf.addPage("q 612 0 0 792 0 0 cm /Im Do Q", format("<< /XObject << /Im %d 0 R >> >>", image));
        SlideReader reader;
        kx::LeftOut::begin();
        convert(reader, pdf.build(), kx::pathJoin(kx::test::tempDir(), "scan.pptx"));
        ASSERT_EQ(reader.slides.size(), 1u);
        EXPECT_EQ(joined(reader.slides[0]), "picture rId2 0,0 612x792");
        EXPECT_EQ(kx::LeftOut::describe(kx::LeftOut::take()), c.leftOut);
    }
}
