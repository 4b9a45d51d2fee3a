// The DOCX exporter and text that is not upright: turned text in floating text boxes, text at other
// angles or mirrored along text paths, free-text annotations in boxes of their own, a page turned
// when most of its text is turned, and outline levels from the PDF's bookmarks; each from a small
// PDF through the exporter, checked on the page it builds or the document part it writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "engine/KXPDFOptions.h"
#include "flowtext/FlowTextFixtures.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using flowtest::Show;

namespace {

// Helvetica at 12 points: "Hello World" advances 5.167 em.
constexpr double kSize = 12;
constexpr double kHelloWorldAdvance = 5.167 * kSize;

// The exporter over every page of the document; `inspect` sees the page built last, before the
// document ends. Returns the document part written.
std::string convert(const std::string& pdf, const std::function<void(KXDocxPage&)>& inspect = {}) {
    kx::ScopedTemporaryRoot root;
    auto document = kx::PDFDocument::openFromMemory(pdf);
    EXPECT_TRUE(document);
    if (!document) return {};
    static int n = 0;
    const std::string out = kx::pathJoin(kx::test::tempDir(), "floating" + std::to_string(++n) + ".docx");
    KXDocxPDFExporter exporter;
    exporter.setMoreOptions(std::make_shared<KXPDFOptions>());
    exporter.setNumberOfPagesToConvert(static_cast<std::uint64_t>(document->pageCount()));
    exporter.begainConvertPDF(out, document);
    for (int i = 1; i <= document->pageCount(); ++i) EXPECT_TRUE(exporter.convertPDFPage(*document->page(i)));
    // The page written last stays with the writer until the document ends; a check given that
    // never sees a page checks nothing, and fails.
    KXDocxPage* built = exporter.pdfWriter() ? exporter.pdfWriter()->writtenPage() : nullptr;
    if (inspect) {
        EXPECT_TRUE(built) << "no page was written to inspect";
        if (built) inspect(*built);
    }
    exporter.endConvertPDF(document);
    std::string xml;
    kx::test::runCommand("unzip -p '" + out + "' word/document.xml", &xml);
    return xml;
}

std::string page(const std::vector<Show>& shows) { return flowtest::textDocument({shows}); }

// Content written into the stream as it stands.
Show raw(std::string content) { return {nullptr, 0, 0, 0, 0, std::move(content), 0, true}; }

// A line of upright text that keeps the page from being turned for its turned text.
Show uprightLine() { return {"F1", 10, 72, 740, 0, "Plain text at the top of the page"}; }

// The numbers of a VML style ("margin-left:12.50pt;width:30pt;rotation:330;...").
std::map<std::string, double> styleNumbers(const std::string& style) {
    std::map<std::string, double> numbers;
    std::regex entry("([a-z-]+):(-?[0-9.]+)");
    for (auto it = std::sregex_iterator(style.begin(), style.end(), entry); it != std::sregex_iterator(); ++it)
        numbers[(*it)[1]] = std::stod((*it)[2]);
    return numbers;
}

// The style of each VML shape of the type.
std::vector<std::string> shapeStyles(const std::string& xml, const std::string& type) {
    std::vector<std::string> styles;
    std::regex shape("<v:shape [^>]*type=\"#" + type + "\"[^>]*style=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), shape); it != std::sregex_iterator(); ++it)
        styles.push_back((*it)[1]);
    return styles;
}

std::string allRunText(const KXDocxRunTextArray& runs) {
    std::u16string text;
    for (const auto& run : runs) text += run->runText();
    return kx::utf16ToUtf8(text);
}

bool inside(kx::Point p, const kx::Rect& r, double tolerance) {
    return p.x >= r.minX() - tolerance && p.x <= r.maxX() + tolerance && p.y >= r.minY() - tolerance &&
           p.y <= r.maxY() + tolerance;
}

}  // namespace

TEST(KXDocxPDFExporterTextBoxes, TurnedTextBecomesABoxOverItsTextOnThePage) {
    struct Case {
        const char* what;
        double pdfDegrees;  // counter-clockwise in PDF space
        double rotation;    // the box's, clockwise on the shown page
    };
    const Case cases[] = {
        {"reading down the page", -90, 90},
        {"reading up the page", 90, 270},
        {"upside down", 180, 180},
        {"nearly reading down (88 degrees)", -88, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const double x = 300, y = 400;
        std::vector<kx::Point> baseline;
        const std::string xml = convert(page({uprightLine(), {"F1", kSize, x, y, c.pdfDegrees, "Hello World"}}),
                                        [&](KXDocxPage& p) {
                                            ASSERT_EQ(p.allRunTextBoxArray().size(), 1u);
                                            const KXDocxRunTextBox& box = *p.allRunTextBoxArray().front();
                                            EXPECT_EQ(box.pictInfo().rotation, c.rotation);
                                            EXPECT_EQ(allRunText(box.allRunTextArray()), "Hello World");
                                            // Turned is not slanted.
                                            EXPECT_FALSE(box.allRunTextArray().front()->rProperty().i);
                                            EXPECT_EQ(allRunText(p.allRunTextArray()).find("Hello"), std::string::npos);
                                        });
        // Where the text stands on the shown page (y downward): its baseline from start to end.
        const double r = -c.pdfDegrees * M_PI / 180;
        const kx::Point start{x, 792 - y};
        const kx::Point end{start.x + kHelloWorldAdvance * std::cos(r), start.y + kHelloWorldAdvance * std::sin(r)};
        const std::vector<std::string> styles = shapeStyles(xml, "_x0000_t202");
        ASSERT_EQ(styles.size(), 1u);
        std::map<std::string, double> s = styleNumbers(styles.front());
        const kx::Rect written(s["margin-left"], s["margin-top"], s["width"], s["height"]);
        // The box written lies over the text, from its baseline to the top of its glyphs, and is
        // not much larger than a line of it.
        const kx::Point up{std::sin(r), -std::cos(r)};
        const kx::Point top{start.x + 0.7 * kSize * up.x, start.y + 0.7 * kSize * up.y};
        EXPECT_TRUE(inside(start, written, 2)) << styles.front();
        EXPECT_TRUE(inside(end, written, 2)) << styles.front();
        EXPECT_TRUE(inside(top, written, 2)) << styles.front();
        EXPECT_LT(written.size.width * written.size.height, (kHelloWorldAdvance + 14) * 2 * kSize) << styles.front();
        EXPECT_NE(xml.find(">Hello World<"), std::string::npos);
    }
}

TEST(KXDocxPDFExporterTextBoxes, LinesAndGapsOfABox) {
    // Lines of text reading down the page, 14 points apart; the second line is indented by 6 points
    // and has a gap of 1.5 em (5 blanks of Helvetica's 0.278 em) in it.
    const std::string pdf = page({uprightLine(), {"F1", 10, 300, 600, -90, "First line"},
                                  raw("BT /F1 10 Tf 0 -1 1 0 286 594 Tm [(AB) -1500 (CD)] TJ ET")});
    convert(pdf, [](KXDocxPage& p) {
        ASSERT_EQ(p.allRunTextBoxArray().size(), 1u);
        const KXDocxRunTextBox& box = *p.allRunTextBoxArray().front();
        ASSERT_EQ(box.paragraphArray().size(), 2u);
        const KXDocxParagraph& second = *box.paragraphArray()[1];
        EXPECT_FLOAT_EQ(second.pProperty().spacing.line, 14);
        EXPECT_EQ(second.pProperty().spacing.lineRule, "exact");
        EXPECT_NEAR(second.pProperty().ind.left, 6, 0.5);
        EXPECT_EQ(allRunText(second.allRunTextArray()), "AB     CD");
        // Turned a quarter, the box is as wide as its lines are high together.
        EXPECT_NEAR(box.pictInfo().displayWidth, box.paragraphArray()[0]->pProperty().spacing.line + 14, 0.01);
    });
    // Lines reading up the page, 14 points apart, each starting where the box starts: no indent.
    const std::string up = page({uprightLine(), {"F1", 10, 300, 200, 90, "First line"},
                                 {"F1", 10, 314, 200, 90, "Second line"}, {"F1", 10, 328, 200, 90, "Third line"}});
    convert(up, [](KXDocxPage& p) {
        ASSERT_EQ(p.allRunTextBoxArray().size(), 1u);
        const KXDocxRunTextBox& box = *p.allRunTextBoxArray().front();
        ASSERT_EQ(box.paragraphArray().size(), 3u);
        for (const auto& paragraph : box.paragraphArray()) EXPECT_NEAR(paragraph->pProperty().ind.left, 0, 0.01);
    });
}

TEST(KXDocxPDFExporterTextBoxes, AGapAlongTheLineIsBlanks) {
    // "AB", a gap given in thousandths of an em, "CD", reading down (or up) the page in Helvetica
    // 10, whose blank is 278 thousandths wide. The box is as long as the two and the gap between
    // them (at most 64 blanks), and 10 points more.
    struct Case {
        const char* what;
        int adjustment;  // TJ's: positive moves back
        const char* text;
        size_t boxes;
        const char* matrix = "0 -1 1 0 300 600";
    };
    const Case cases[] = {
        {"2.5 blanks", -695, "AB  CD", 1},
        {"half a blank back stays in the box", 139, "ABCD", 1},
        {"1.5 blanks back leaves it", 417, "AB", 2},
        {"a gap of 2000 em is no more than 64 blanks", -2000000, "AB                                                                CD", 1},
        {"reading up, 1.2 blanks", -333, "AB CD", 1, "0 1 -1 0 300 200"},
        {"upside down, 1.2 blanks", -333, "AB CD", 1, "-1 0 0 -1 400 300"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string show = kx::format("BT /F1 10 Tf %s Tm [(AB) %d (CD)] TJ ET", c.matrix, c.adjustment);
        convert(page({uprightLine(), raw(show)}), [&](KXDocxPage& p) {
            ASSERT_EQ(p.allRunTextBoxArray().size(), c.boxes);
            const KXDocxRunTextBox& box = *p.allRunTextBoxArray().front();
            EXPECT_EQ(allRunText(box.allRunTextArray()), c.text);
            if (c.boxes > 1) return;
            const double gap = std::clamp(-c.adjustment / 100.0, 0.0, 64 * 2.78);
            const double length = box.pictInfo().rotation == 180 ? box.pictInfo().displayWidth : box.pictInfo().displayHeight;
            EXPECT_NEAR(length, (0.667 + 0.667 + 0.722 + 0.722) * 10 + gap + 10, 0.05);
        });
    }
}

TEST(KXDocxPDFExporterTextBoxes, ABoxWithAGapInItsLineIsAsLongAsTheLine) {
    // "AB", a gap of 2 em, "CD" in Helvetica 10: the line runs (0.667 + 0.667 + 0.722 + 0.722) * 10
    // + 20 = 47.78 points from its start, and its gap is written as blanks. The box written reaches
    // from the line's start to its end: a box only as long as the letters would be shorter than the
    // line of blanks and letters in it, which the word processor would then wrap.
    struct Case {
        const char* what;
        const char* matrix;
        double degrees;  // of the baseline in PDF space, counter-clockwise
    };
    const Case cases[] = {
        {"reading down the page", "0 -1 1 0 300 600", -90},
        {"reading up the page", "0 1 -1 0 300 200", 90},
        {"upside down", "-1 0 0 -1 400 300", 180},
    };
    const double length = (0.667 + 0.667 + 0.722 + 0.722) * 10 + 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string show = kx::format("BT /F1 10 Tf %s Tm [(AB) -2000 (CD)] TJ ET", c.matrix);
        const std::string xml = convert(page({uprightLine(), raw(show)}));
        ASSERT_NE(xml.find("AB       CD"), std::string::npos) << "the gap is 7 blanks";
        const std::vector<std::string> styles = shapeStyles(xml, "_x0000_t202");
        ASSERT_EQ(styles.size(), 1u);
        std::map<std::string, double> s = styleNumbers(styles.front());
        const kx::Rect written(s["margin-left"], s["margin-top"], s["width"], s["height"]);
        double x = 0, y = 0;
        std::sscanf(c.matrix, "%*s %*s %*s %*s %lf %lf", &x, &y);
        const double r = -c.degrees * M_PI / 180;
        const kx::Point start{x, 792 - y};
        const kx::Point end{start.x + length * std::cos(r), start.y + length * std::sin(r)};
        EXPECT_TRUE(inside(start, written, 2)) << styles.front();
        EXPECT_TRUE(inside(end, written, 2)) << styles.front();
    }
}

TEST(KXDocxPDFExporterTextBoxes, TextThatDoesNotGoOnClosesTheBox) {
    struct Case {
        const char* what;
        std::string next;  // shown after "Hello" reading down the page from (300, 600), 10 points
        size_t boxes;
        bool nextInMainText;
    };
    const Case cases[] = {
        {"a line step of 96 points", "BT /F1 10 Tf 0 -1 1 0 204 600 Tm (Far) Tj ET", 2, false},
        {"text running back by more than a blank", "BT /F1 10 Tf 0 -1 1 0 300 640 Tm (Back) Tj ET", 2, false},
        {"a line to the right, the one before", "BT /F1 10 Tf 0 -1 1 0 312 600 Tm (Before) Tj ET", 2, false},
        {"upright text", "BT /F1 10 Tf 1 0 0 1 72 300 Tm (Level) Tj ET", 1, true},
        {"text reading up the page", "BT /F1 10 Tf 0 1 -1 0 100 300 Tm (Up) Tj ET", 2, false},
        {"upside-down text", "BT /F1 10 Tf -1 0 0 -1 400 300 Tm (Down) Tj ET", 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string pdf = page({uprightLine(), {"F1", 10, 300, 600, -90, "Hello"}, raw(c.next)});
        convert(pdf, [&](KXDocxPage& p) {
            EXPECT_EQ(p.allRunTextBoxArray().size(), c.boxes);
            ASSERT_FALSE(p.allRunTextBoxArray().empty());
            EXPECT_EQ(allRunText(p.allRunTextBoxArray().front()->allRunTextArray()), "Hello");
            EXPECT_EQ(allRunText(p.allRunTextArray()).find("Level") != std::string::npos, c.nextInMainText);
        });
    }
}

TEST(KXDocxPDFExporterTextBoxes, TextAtOtherAnglesOrMirroredGoesAlongAPath) {
    struct Case {
        const char* what;
        std::string matrix;  // of the text
        double rotation;     // written, clockwise on the shown page
        const char* flip;    // written flip entry, or none
    };
    const double c30 = std::cos(M_PI / 6), s30 = std::sin(M_PI / 6);
    const double c2 = std::cos(M_PI / 90), s2 = std::sin(M_PI / 90);
    const Case cases[] = {
        {"rising at 30 degrees", kx::format("%.6f %.6f %.6f %.6f", c30, s30, -s30, c30), 330, nullptr},
        {"rising at 2 degrees", kx::format("%.6f %.6f %.6f %.6f", c2, s2, -s2, c2), 358, nullptr},
        {"mirrored left to right", "-1 0 0 1", 180, "flip:y;"},
        {"mirrored top to bottom", "1 0 0 -1", 0, "flip:y;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const double x = 200, y = 300;
        const std::string show = kx::format("BT /F1 12 Tf %s %.2f %.2f Tm (Hello World) Tj ET", c.matrix.c_str(), x, y);
        const std::string xml = convert(page({uprightLine(), raw(show)}), [&](KXDocxPage& p) {
            ASSERT_EQ(p.allRunTextPathArray().size(), 1u);
            EXPECT_EQ(kx::utf16ToUtf8(p.allRunTextPathArray().front()->runText()), "Hello World");
            EXPECT_FALSE(p.allRunTextPathArray().front()->rProperty().i);
            EXPECT_TRUE(p.allRunTextBoxArray().empty());
            EXPECT_EQ(allRunText(p.allRunTextArray()).find("Hello"), std::string::npos);
        });
        const std::vector<std::string> styles = shapeStyles(xml, "_x0000_t136");
        ASSERT_EQ(styles.size(), 1u);
        std::map<std::string, double> s = styleNumbers(styles.front());
        EXPECT_EQ(s.count("rotation") ? s["rotation"] : 0, c.rotation) << styles.front();
        EXPECT_EQ(c.flip != nullptr, styles.front().find(c.flip ? c.flip : "flip:") != std::string::npos) << styles.front();
        // As long as the text, and centred within a line of the middle of its baseline.
        EXPECT_NEAR(s["width"], kHelloWorldAdvance, 1) << styles.front();
        const kx::AffineTransform m = [&] {
            std::vector<double> v;
            std::stringstream in(c.matrix);
            for (double d; in >> d;) v.push_back(d);
            return kx::AffineTransform{v[0], v[1], v[2], v[3], 0, 0};
        }();
        const kx::Point middle{x + m.a * kHelloWorldAdvance / 2, 792 - (y + m.b * kHelloWorldAdvance / 2)};
        const kx::Point centre{s["margin-left"] + s["width"] / 2, s["margin-top"] + s["height"] / 2};
        EXPECT_LT(std::hypot(centre.x - middle.x, centre.y - middle.y), kSize) << styles.front();
        EXPECT_NE(xml.find("string=\"Hello World\""), std::string::npos);
    }
}

TEST(KXDocxPDFExporterTextBoxes, TurnedOrMirroredTextIsItalicOnlyWhenSlantedAgainstItsBaseline) {
    // Helvetica says nothing of italics: only the text matrix can make it so. A glyph's downward
    // axis stands at a right angle to its baseline however the text is turned or mirrored; only a
    // slant tilts it off that angle.
    const double c30 = std::cos(M_PI / 6), s30 = std::sin(M_PI / 6);
    const double slant = std::tan(12 * M_PI / 180);
    struct Case {
        const char* what;
        std::string matrix;
        bool italic;
    };
    const Case cases[] = {
        {"reading down the page (a box)", "0 -1 1 0", false},
        {"reading up the page (a box)", "0 1 -1 0", false},
        {"upside down (a box)", "-1 0 0 -1", false},
        {"rising at 30 degrees (a path)", kx::format("%.6f %.6f %.6f %.6f", c30, s30, -s30, c30), false},
        {"mirrored top to bottom (a path)", "1 0 0 -1", false},
        {"upright, slanted 12 degrees", kx::format("1 0 %.6f 1", slant), true},
        {"reading down the page, slanted 12 degrees (a box)", kx::format("0 -1 1 %.6f", -slant), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string show = kx::format("BT /F1 12 Tf %s 200 300 Tm (Hello World) Tj ET", c.matrix.c_str());
        const std::string xml = convert(page({uprightLine(), raw(show)}));
        ASSERT_NE(xml.find("World"), std::string::npos) << xml;
        // Italic runs of boxes and main text carry <w:i/>; text paths say so in their style.
        const bool italic = xml.find("<w:i/>") != std::string::npos || xml.find("font-style:italic") != std::string::npos;
        EXPECT_EQ(italic, c.italic);
    }
}

TEST(KXDocxPDFExporterTextBoxes, ALoneTurnedBlankOpensABoxAndALoneControlCharacterDoesNot) {
    // One code shown reading down the page, in a font whose own map gives "A" the unit U+0001 and
    // "B" U+001F. A tab is white space, which is shown as a blank: it opens a box as a blank does.
    kx::test::PDFBuilder pdf;
    const int cmap = pdf.addStream("",
                                   "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                                   "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                                   "/CMapName /Adobe-Identity-UCS def /CMapType 2 def\n"
                                   "1 begincodespacerange <00> <FF> endcodespacerange\n"
                                   "2 beginbfchar <41> <0001> <42> <001F> endbfchar\n"
                                   "endcmap CMapName currentdict /CMap defineresource pop end end\n");
    const int helvetica = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    const int control = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding "
                                "/ToUnicode " + std::to_string(cmap) + " 0 R >>");
    const std::string resources = kx::format("<< /Font << /F1 %d 0 R /F7 %d 0 R >> >>", helvetica, control);
    struct Case {
        const char* what;
        const char* font;
        const char* shown;
        const char* box;  // the text of the box opened, or none
    };
    const Case cases[] = {
        {"a blank", "F1", "\\040", " "},
        {"a tab, shown as a blank", "F1", "\\011", " "},
        {"U+0001", "F7", "A", nullptr},
        {"U+001F", "F7", "B", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kx::test::PDFBuilder document = pdf;
        document.addPage("BT /F1 10 Tf 1 0 0 1 72 740 Tm (Plain text at the top of the page) Tj ET\n" +
                             kx::format("BT /%s 10 Tf 0 -1 1 0 300 600 Tm (%s) Tj ET", c.font, c.shown),
                         resources, "/MediaBox [0 0 612 792]");
        convert(document.build(), [&](KXDocxPage& p) {
            ASSERT_EQ(p.allRunTextBoxArray().size(), c.box ? 1u : 0u);
            if (c.box) {
                EXPECT_EQ(allRunText(p.allRunTextBoxArray().front()->allRunTextArray()), c.box);
            }
        });
    }
}

TEST(KXDocxPDFExporterTextBoxes, AFreeTextAnnotationIsABoxOfItsOwn) {
    struct Case {
        const char* what;
        std::string entries;  // of the annotation
        const char* jc;       // paragraph alignment written, or none
        const char* size;     // w:sz written (half points)
        const char* text;
    };
    const Case cases[] = {
        {"right quadding", "/Q 2 /DA (/Helv 9 Tf 0 0 1 rg) /Contents (Right note)", "right", "18", "Right note"},
        {"centred quadding", "/Q 1 /DA (/Helv 9 Tf 0 g) /Contents (Centred note)", "center", "18", "Centred note"},
        {"a size left to the viewer", "/DA (/Helv 0 Tf 0 g) /Contents (Auto size)", nullptr, nullptr, "Auto size"},
        {"no text", "/DA (/Helv 9 Tf 0 g)", nullptr, "18", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kx::test::PDFBuilder pdf;
        const std::string resources = flowtest::addFixtureFonts(pdf);
        const int annot = pdf.add("<< /Type /Annot /Subtype /FreeText /Rect [100 600 300 640] " + c.entries + " >>");
        pdf.addPage(flowtest::content({uprightLine()}), resources,
                    kx::format("/MediaBox [0 0 612 792] /Annots [%d 0 R]", annot));
        const std::string xml = convert(pdf.build(), [&](KXDocxPage& p) {
            ASSERT_EQ(p.allRunTextBoxArray().size(), 1u);
            const KXDocxRunTextBox& box = *p.allRunTextBoxArray().front();
            EXPECT_EQ(box.pictInfo().rotation, 0);
            EXPECT_NEAR(box.pictInfo().displayX, 100, 0.01);
            EXPECT_NEAR(box.pictInfo().displayY, 792 - 640, 0.01);
            EXPECT_NEAR(box.pictInfo().displayWidth, 200, 0.01);
            EXPECT_NEAR(box.pictInfo().displayHeight, 40, 0.01);
            const KXDocxRunTextArray runs = box.allRunTextArray();
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_EQ(kx::utf16ToUtf8(runs.front()->runText()), c.text ? c.text : " ");
            EXPECT_GT(runs.front()->rProperty().sz, 0);
        });
        std::smatch m;
        ASSERT_TRUE(std::regex_search(xml, m, std::regex("<w:txbxContent>(.*?)</w:txbxContent>")));
        const std::string content = m[1];
        if (c.text) {
            EXPECT_NE(content.find(c.text), std::string::npos) << content;
        }
        for (const char* jc : {"right", "center"})
            EXPECT_EQ(content.find(std::string("<w:jc w:val=\"") + jc + "\"") != std::string::npos,
                      c.jc && std::string(c.jc) == jc)
                << content;
        if (c.size) {
            EXPECT_NE(content.find(std::string("<w:sz w:val=\"") + c.size + "\""), std::string::npos) << content;
        }
        // No size of 0 (or below) is written for the viewer to choke on.
        EXPECT_EQ(content.find("<w:sz w:val=\"0\""), std::string::npos) << content;
        EXPECT_EQ(content.find("<w:sz w:val=\"-"), std::string::npos) << content;
    }
}

TEST(KXDocxPDFExporterTextBoxes, APageOfMostlyTurnedTextIsReadTurned) {
    // Four lines reading up the page and one upright word: the page is read again turned a quarter,
    // and its text becomes the page's own upright text on a landscape page.
    std::vector<Show> shows = {{"F1", 10, 72, 700, 0, "Hi"}};
    for (int i = 0; i < 4; ++i) shows.push_back({"F1", 12, 200.0 + 16 * i, 200, 90, "Turned line of text"});
    const std::string xml = convert(page(shows), [&](KXDocxPage& p) {
        EXPECT_EQ(allRunText(p.allRunTextArrayInTextBoxes()).find("Turned"), std::string::npos);
    });
    // The page's main text once written is read from the document: the page keeps the runs it
    // read, not the lines it wrote of them. Each turned line is in the page's own text, whether
    // its lines are written as paragraphs of their own or joined into one.
    const std::string body = std::regex_replace(xml, std::regex("<w:txbxContent>[\\s\\S]*?</w:txbxContent>"), "");
    std::string text;
    const std::regex run("<w:t(?: [^>]*)?>([^<]*)</w:t>");
    for (std::sregex_iterator it(body.begin(), body.end(), run), end; it != end; ++it)
        text += (*it)[1].str();
    size_t lines = 0;
    for (size_t at = text.find("Turned line of text"); at != std::string::npos; at = text.find("Turned line of text", at + 1))
        ++lines;
    EXPECT_EQ(lines, 4u) << xml;
    EXPECT_TRUE(std::regex_search(xml, std::regex("<w:pgSz w:w=\"15840\" w:h=\"12240\"")));
}

TEST(KXDocxPDFExporterTextBoxes, TheSecondReadingGoesOnFromTheFirstReadingsMainText) {
    // A lone blank shown first, before the page's upright word and four lines reading up the page.
    // The first reading drops it (the page has no main text yet); once that reading has found main
    // text, the second, turned reading keeps it.
    class Probe : public KXDocxPDFExporter {
    public:
        std::vector<std::u16string> mainText;

    protected:
        void makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                             const KXPDF_CTMInfo& g) override {
            mainText.push_back(text);
            KXDocxPDFExporter::makeMainTextRun(text, offset, t, g);
        }
    };
    std::vector<Show> shows = {{"F1", 12, 190, 150, 90, " "}, {"F1", 10, 72, 700, 0, "Hi"}};
    for (int i = 0; i < 4; ++i) shows.push_back({"F1", 12, 200.0 + 16 * i, 200, 90, "Turned line of text"});
    kx::ScopedTemporaryRoot root;
    auto document = kx::PDFDocument::openFromMemory(page(shows));
    ASSERT_TRUE(document);
    Probe exporter;
    exporter.setMoreOptions(std::make_shared<KXPDFOptions>());
    exporter.setNumberOfPagesToConvert(1);
    exporter.begainConvertPDF(kx::pathJoin(kx::test::tempDir(), "second-reading.docx"), document);
    ASSERT_TRUE(exporter.convertPDFPage(*document->page(1)));
    exporter.endConvertPDF(document);
    // The first reading's "Hi", then the second reading's blank and its lines (its "Hi" is turned).
    ASSERT_GE(exporter.mainText.size(), 4u);
    const std::vector<std::u16string> first(exporter.mainText.begin(), exporter.mainText.begin() + 4);
    EXPECT_EQ(first, (std::vector<std::u16string>{u"H", u"i", u" ", u"T"}));
}

TEST(KXDocxPDFExporterTextBoxes, BookmarksGiveTheirHeadingsOutlineLevels) {
    // Chapter (top level) > Section > Detail, and a title on page 2 for a bookmark of page 2; a
    // bookmark whose title is nowhere marks nothing.
    kx::test::PDFBuilder pdf;
    const std::string resources = flowtest::addFixtureFonts(pdf);
    const int p1 = pdf.addPage(flowtest::content({{"F1", 18, 72, 700, 0, "Chapter One"},
                                                  {"F1", 10, 72, 600, 0, "Body text of the chapter goes here."},
                                                  {"F1", 14, 72, 500, 0, "First Section"},
                                                  {"F1", 10, 72, 400, 0, "Body text of the section goes here."},
                                                  {"F1", 12, 72, 300, 0, "Fine Detail"}}),
                               resources);
    const int p2 = pdf.addPage(flowtest::content({{"F1", 18, 72, 700, 0, "Chapter Two"}}), resources);
    const int outlines = pdf.reserve(), c1 = pdf.reserve(), s1 = pdf.reserve(), d1 = pdf.reserve(), c2 = pdf.reserve(),
              none = pdf.reserve();
    pdf.set(outlines, kx::format("<< /Type /Outlines /First %d 0 R /Last %d 0 R /Count 3 >>", c1, c2));
    pdf.set(c1, kx::format("<< /Title (Chapter One) /Parent %d 0 R /Next %d 0 R /First %d 0 R /Last %d 0 R /Count 2 "
                           "/Dest [%d 0 R /XYZ null null null] >>",
                           outlines, c2, s1, s1, p1));
    pdf.set(s1, kx::format("<< /Title (First Section) /Parent %d 0 R /First %d 0 R /Last %d 0 R /Count -1 "
                           "/Dest [%d 0 R /Fit] >>",
                           c1, d1, d1, p1));
    pdf.set(d1, kx::format("<< /Title (Fine Detail) /Parent %d 0 R /Next %d 0 R /Dest [%d 0 R /Fit] >>", s1, none, p1));
    pdf.set(none, kx::format("<< /Title (Nowhere To Be Found) /Parent %d 0 R /Prev %d 0 R /Dest [%d 0 R /Fit] >>", s1,
                             d1, p1));
    pdf.set(c2, kx::format("<< /Title (Chapter Two) /Parent %d 0 R /Prev %d 0 R /Dest [%d 0 R /Fit] >>", outlines, c1, p2));
    pdf.setCatalogExtra(kx::format("/Outlines %d 0 R", outlines));
    const std::string xml = convert(pdf.build());

    // Each heading's paragraph: its level, which sits after the alignment and before the mark's run
    // properties in its paragraph properties.
    std::map<std::string, std::string> levels;
    const std::regex text("<w:t(?: [^>]*)?>([^<]*)</w:t>");
    for (size_t at = xml.find("<w:p>"); at != std::string::npos; at = xml.find("<w:p>", at + 1)) {
        const std::string p = xml.substr(at, xml.find("</w:p>", at) - at);
        const size_t level = p.find("<w:outlineLvl ");
        // A paragraph that closes a section takes its properties from the band's last paragraph.
        if (level == std::string::npos || p.find("<w:sectPr>") != std::string::npos) continue;
        EXPECT_LT(level, p.find("<w:rPr>"));
        if (size_t jc = p.find("<w:jc "); jc != std::string::npos) {
            EXPECT_LT(jc, level);
        }
        std::string words;
        for (auto t = std::sregex_iterator(p.begin(), p.end(), text); t != std::sregex_iterator(); ++t) words += (*t)[1];
        std::smatch m;
        ASSERT_TRUE(std::regex_search(p, m, std::regex("<w:outlineLvl w:val=\"([0-9]+)\"")));
        levels[words] = m[1];
    }
    const std::map<std::string, std::string> expected = {
        {"Chapter One", "0"}, {"First Section", "1"}, {"Fine Detail", "2"}, {"Chapter Two", "0"}};
    EXPECT_EQ(levels, expected);
}

TEST(KXDocxPDFExporterTextBoxes, AnAnnotationOnATurnedPageIsAnUprightBoxOverItsTurnedRectangle) {
    // Turned a quarter clockwise, the page shows PDF point (x, y) at (y, x).
    kx::test::PDFBuilder pdf;
    const std::string resources = flowtest::addFixtureFonts(pdf);
    const int annot = pdf.add("<< /Type /Annot /Subtype /FreeText /Rect [100 600 300 640] /DA (/Helv 9 Tf 0 g) "
                              "/Contents (Turned page note) >>");
    pdf.addPage("", resources, kx::format("/MediaBox [0 0 612 792] /Rotate 90 /Annots [%d 0 R]", annot));
    convert(pdf.build(), [](KXDocxPage& p) {
        ASSERT_EQ(p.allRunTextBoxArray().size(), 1u);
        const KXDocxTextBoxInfo& info = p.allRunTextBoxArray().front()->pictInfo();
        EXPECT_EQ(info.rotation, 0);
        EXPECT_NEAR(info.displayX, 600, 0.01);
        EXPECT_NEAR(info.displayY, 100, 0.01);
        EXPECT_NEAR(info.displayWidth, 40, 0.01);
        EXPECT_NEAR(info.displayHeight, 200, 0.01);
    });
}
