// The DOCX exporter's display space: the crop box as shown, moved to the origin, and held to a size
// Word can show; the page it builds takes that space, in which its shapes become pictures.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "capture/RunContinuation.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "docx/page/Type3Fixtures.h"
#include "engine/KXPDFOptions.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/ImageDecoding.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

// The exporter over every page of the document with the options; `inspect` sees the page built
// last. Returns the package written.
std::string convert(const std::string& pdf, const std::shared_ptr<KXPDFOptions>& options,
                    const std::function<void(KXDocxPage&)>& inspect = {}) {
    auto document = kx::PDFDocument::openFromMemory(pdf);
    EXPECT_TRUE(document);
    if (!document) return {};
    static int n = 0;
    const std::string out = kx::pathJoin(kx::test::tempDir(), "exporter" + std::to_string(++n) + ".docx");
    KXDocxPDFExporter exporter;
    exporter.setMoreOptions(options);
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
    return out;
}

std::string unzipped(const std::string& package, const std::string& part) {
    std::string bytes;
    kx::test::runCommand("unzip -p '" + package + "' '" + part + "'", &bytes);
    return bytes;
}

KXPDFPageGeometry shownCrop(kx::Rect crop, std::int64_t rotation = 0) {
    KXPDFPageGeometry g;
    g.rotationAngle = rotation;
    g.pdfCropBox = crop;
    g.cropBox = (rotation == 90 || rotation == 270) ? kx::Rect(crop.origin.y, crop.origin.x, crop.size.height, crop.size.width)
                                                     : crop;
    g.mediaBox = g.cropBox;
    g.pageTransform = pageTransformForBox(rotation, g.mediaBox.size.width, g.mediaBox.size.height);
    return g;
}

}  // namespace

TEST(KXDocxPDFExporter, PagesAreHeldToASizeWordCanShow) {
    struct Case {
        const char* what;
        kx::Rect crop;
        std::int64_t rotation;
        kx::Size shown;
    };
    const Case cases[] = {
        {"1600 by 800 is scaled down to 1583 wide", {0, 0, 1600, 800}, 0, {1583, 800 * 1583.0 / 1600}},
        {"5 by 400 is scaled up to 7 wide", {0, 0, 5, 400}, 0, {7, 560}},
        {"600 by 800 stays", {0, 0, 600, 800}, 0, {600, 800}},
        {"a page of no width stays (nothing to scale by)", {0, 0, 0, 400}, 0, {0, 400}},
        // The scale acts on the page as shown: turned, or cut from far inside a larger sheet, the
        // page still fills the smaller size from its top-left corner to its bottom-right one.
        {"1600 by 3200 turned a quarter is scaled down to 1583 wide", {0, 0, 1600, 3200}, 90, {1583, 1600 * 1583.0 / 3200}},
        {"3200 by 1600 at (1000, 200) is scaled down to 1583 wide", {1000, 200, 3200, 1600}, 0, {1583, 1600 * 1583.0 / 3200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXPDFPageGeometry g = KXDocxPDFExporter::docxPageGeometry(shownCrop(c.crop, c.rotation));
        EXPECT_NEAR(g.cropBox.size.width, c.shown.width, 1e-6);
        EXPECT_NEAR(g.cropBox.size.height, c.shown.height, 1e-6);
        // The crop box's top-left corner is the origin of display space, its bottom-right corner
        // the far corner of the page as shown (upright: the top-left corner in PDF space is
        // (min x, max y); turned a quarter clockwise, it is (min x, min y)).
        const bool turned = c.rotation == 90;
        kx::Point topLeft = g.pageTransform.apply(kx::Point{c.crop.origin.x, turned ? c.crop.origin.y : c.crop.maxY()});
        kx::Point bottomRight = g.pageTransform.apply(kx::Point{c.crop.maxX(), turned ? c.crop.maxY() : c.crop.origin.y});
        EXPECT_NEAR(topLeft.x, 0, 1e-6);
        EXPECT_NEAR(topLeft.y, 0, 1e-6);
        EXPECT_NEAR(bottomRight.x, c.shown.width, 1e-6);
        EXPECT_NEAR(bottomRight.y, c.shown.height, 1e-6);
    }
}

TEST(KXDocxPDFExporter, TextAtTheEdgesOfAnOversizedPageTurnedOrCutFromALargerSheetIsKept) {
    // Pages of 3200 by 1600 points as shown, held to 1583 wide: one turned a quarter (its text
    // turned back to read upright), one cut from the middle of a larger sheet. A word stands near
    // each side of the page as shown; every one of them is on the scaled page.
    struct Case {
        const char* what;
        const char* page;
        std::string content;
    };
    const auto word = [](const char* matrix, double x, double y, const char* text) {
        return kx::format("BT /F1 24 Tf %s %.1f %.1f Tm (%s) Tj ET\n", matrix, x, y, text);
    };
    const char* upright = "1 0 0 1";
    const char* turnedBack = "0 1 -1 0";
    const Case cases[] = {
        {"turned a quarter", "/MediaBox [0 0 1600 3200] /Rotate 90",
         word(turnedBack, 60, 40, "North") + word(turnedBack, 1560, 40, "South") + word(turnedBack, 800, 40, "West") +
             word(turnedBack, 800, 3100, "East")},
        {"cut from a larger sheet", "/MediaBox [0 0 4400 2000] /CropBox [1000 200 4200 1800]",
         word(upright, 2400, 1760, "North") + word(upright, 2400, 220, "South") + word(upright, 1020, 1000, "West") +
             word(upright, 4100, 1000, "East")},
    };
    kx::ScopedTemporaryRoot root;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kx::test::PDFBuilder builder;
        builder.addPage(c.content, "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>", c.page);
        const std::string xml = unzipped(convert(builder.build(), std::make_shared<KXPDFOptions>()), "word/document.xml");
        // Upright main text, in no text box or text path.
        EXPECT_EQ(xml.find("<v:shape "), std::string::npos) << xml;
        for (const char* side : {"North", "South", "West", "East"}) EXPECT_NE(xml.find(side), std::string::npos) << side;
    }
}

TEST(KXDocxPDFExporter, DisplaySpaceStartsAtTheCropBox) {
    // A crop box inside the media box, and one reaching left of the page's origin.
    for (kx::Rect crop : {kx::Rect(50, 100, 400, 500), kx::Rect(-10, 20, 300, 400)}) {
        KXPDFPageGeometry g = KXDocxPDFExporter::docxPageGeometry(shownCrop(crop));
        EXPECT_GE(g.cropBox.origin.x, 0);
        EXPECT_GE(g.cropBox.origin.y, 0);
        kx::Point topLeft = g.pageTransform.apply(kx::Point{crop.origin.x, crop.maxY()});
        EXPECT_NEAR(topLeft.x, 0, 1e-6);
        EXPECT_NEAR(topLeft.y, 0, 1e-6);
    }
    // Turned a quarter: the crop box's top-right corner in PDF space is the top-left one shown.
    KXPDFPageGeometry turned = KXDocxPDFExporter::docxPageGeometry(shownCrop(kx::Rect(0, 0, 600, 800), 90));
    EXPECT_NEAR(turned.cropBox.size.width, 800, 1e-6);
    kx::Point corner = turned.pageTransform.apply(kx::Point{0, 0});
    EXPECT_NEAR(corner.x, 0, 1e-6);
    EXPECT_NEAR(corner.y, 0, 1e-6);
}

TEST(KXDocxPDFExporter, ShapesTurnedIntoAPictureAreClippedWhereTheClipIsShown) {
    // A red 40-gon of radius 80 round (300, 450), clipped to its left half (PDF space), drawn as a
    // picture; the page's crop box lies away from the origin, and the page is shown upright or
    // turned a quarter, which brings the PDF's left half to the top.
    std::string polygon = "1 0 0 rg ";
    for (int i = 0; i < 40; ++i) {
        const double a = 2 * M_PI * i / 40;
        polygon += kx::format("%.3f %.3f %s ", 300 + 80 * std::cos(a), 450 + 80 * std::sin(a), i ? "l" : "m");
    }
    polygon += "h f";
    struct Case {
        const char* what;
        const char* page;
        double keptX, keptY, goneX, goneY;  // fractions of the picture: inside the clip, outside it
    };
    const Case cases[] = {
        {"crop box away from the origin", "/MediaBox [0 0 612 792] /CropBox [100 200 500 700]", 0.25, 0.5, 0.75, 0.5},
        {"turned a quarter", "/MediaBox [0 0 612 792] /CropBox [100 200 500 700] /Rotate 90", 0.5, 0.25, 0.5, 0.75},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kx::test::PDFBuilder builder;
        builder.addPage("q 220 370 80 160 re W n " + polygon + " Q", "<< >>", c.page);
        auto options = std::make_shared<KXPDFOptions>();
        options->wordOptions().setEnableShapToImage(true);
        kx::ScopedTemporaryRoot root;
        const std::string package = convert(builder.build(), options, [&](KXDocxPage& page) {
            EXPECT_EQ(page.allRunImageArray().size(), 1u);
            EXPECT_TRUE(page.allRunPathArray().empty());
        });
        std::string media;
        kx::test::runCommand("unzip -Z1 '" + package + "' 'word/media/*'", &media);
        ASSERT_EQ(std::count(media.begin(), media.end(), '\n'), 1) << media;
        media.pop_back();
        const kx::ImageRef picture = kx::toRGBA8(kx::readImageData(unzipped(package, media)));
        ASSERT_TRUE(picture);
        auto at = [&](double fx, double fy) {
            return kx::test::pixelAt(*picture, static_cast<int>(fx * (picture->width - 1)),
                                     static_cast<int>(fy * (picture->height - 1)));
        };
        const kx::test::RGBA kept = at(c.keptX, c.keptY), gone = at(c.goneX, c.goneY);
        EXPECT_EQ(kept[0], 255);
        EXPECT_EQ(kept[3], 255) << "the clipped half is painted";
        EXPECT_EQ(gone[3], 0) << "the half outside the clip is not";
    }
}

TEST(KXDocxPDFExporter, TextAtTheLeftOfACropBoxThatReachesLeftOfTheOriginIsKept) {
    // The crop box runs from x = -10: a viewer shows the page from there, and a word 5 points left
    // of the origin is on it.
    kx::test::PDFBuilder builder;
    builder.addPage("BT /F1 12 Tf -5 300 Td (Margin) Tj ET BT /F1 12 Tf 100 300 Td (Body) Tj ET",
                    "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>",
                    "/MediaBox [-10 20 290 420]");
    kx::ScopedTemporaryRoot root;
    const std::string xml = unzipped(convert(builder.build(), std::make_shared<KXPDFOptions>()), "word/document.xml");
    EXPECT_NE(xml.find("Margin"), std::string::npos) << xml;
    EXPECT_NE(xml.find("Body"), std::string::npos) << xml;
}

TEST(KXDocxPDFExporter, AWordAtTheRightEdgeOfThePageKeepsAllItsLetters) {
    // "Edge" in Helvetica at 12 points advances (667 + 556 + 556 + 556) * 12 / 1000 = 28.02 points;
    // the page is 200 points wide.
    struct Case {
        const char* what;
        double x;
    } cases[] = {
        {"ending at the edge", 200 - 28.02},
        {"its last letter advancing a point past the edge", 201 - 28.02},
    };
    kx::ScopedTemporaryRoot root;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kx::test::PDFBuilder builder;
        builder.addPage(kx::format("BT /F1 12 Tf %.2f 100 Td (Edge) Tj ET", c.x),
                        "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>",
                        "/MediaBox [0 0 200 200]");
        const std::string xml = unzipped(convert(builder.build(), std::make_shared<KXPDFOptions>()), "word/document.xml");
        std::string text;
        const std::regex t("<w:t(?: [^>]*)?>([^<]*)</w:t>");
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), t); it != std::sregex_iterator(); ++it) text += (*it)[1].str();
        EXPECT_EQ(text, "Edge");
    }
}

TEST(KXDocxPDFExporter, TextInAType3FontMirroredByItsMatrixIsUprightMainTextWithItsBlanks) {
    // The font matrix mirrors the glyphs and the text matrix mirrors them back: upright text, whose
    // words are set apart by a blank glyph on the first line and by moving the text on the second.
    const std::string pdf = kx::test::type3StatementPDF(
        {{"Account messages"}, {"For customers who qualify for benefits the fees are waived", false}});
    kx::ScopedTemporaryRoot root;
    const std::string xml = unzipped(convert(pdf, std::make_shared<KXPDFOptions>(), [](KXDocxPage& page) {
        EXPECT_TRUE(page.allRunTextPathArray().empty());
        EXPECT_TRUE(page.allRunTextBoxArray().empty());
    }), "word/document.xml");
    std::string text;
    const std::regex t("<w:t(?: [^>]*)?>([^<]*)</w:t>|</w:p>");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), t); it != std::sregex_iterator(); ++it)
        text += (*it)[1].matched ? (*it)[1].str() : "\n";
    EXPECT_NE(text.find("Account messages\n"), std::string::npos) << text;
    EXPECT_NE(text.find("For customers who qualify for benefits the fees are waived"), std::string::npos) << text;
}

TEST(KXDocxPDFExporter, EveryRunKnowsTheTextObjectAndShowOperatorOfItsString) {
    // The page orders and joins its runs by the text object (BT) and the show operator each string
    // comes from, counted from 1 on the page, as the interpreter stood when it reported the string.
    struct Recording : KXDocxPDFExporter {
        std::vector<std::tuple<std::string, std::uint64_t, std::uint64_t>> runs;
        void makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                             const KXPDF_CTMInfo& g) override {
            const KXDocxRunTextArray& made = pdfWriter()->currentPage()->allRunTextArray();
            const size_t before = made.size();
            KXDocxPDFExporter::makeMainTextRun(text, offset, t, g);
            if (made.size() > before)
                runs.emplace_back(kx::utf16ToUtf8(made.back()->runText()), made.back()->pdfScanIndex_BegainText(),
                                  made.back()->pdfScanIndex_ShowText());
        }
    };
    kx::test::PDFBuilder builder;
    builder.addPage("BT /F1 12 Tf 72 700 Td (AB) Tj (C) Tj ET BT /F1 12 Tf 72 650 Td [(D) -20 (E)] TJ ET "
                    "BT /F1 12 Tf 72 600 Td (F) ' ET",
                    "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
    auto document = kx::PDFDocument::openFromMemory(builder.build());
    ASSERT_TRUE(document);
    kx::ScopedTemporaryRoot root;
    Recording exporter;
    exporter.setNumberOfPagesToConvert(1);
    exporter.begainConvertPDF(kx::pathJoin(kx::test::tempDir(), "places.docx"), document);
    EXPECT_TRUE(exporter.convertPDFPage(*document->page(1)));
    exporter.endConvertPDF(document);
    const std::vector<std::tuple<std::string, std::uint64_t, std::uint64_t>> expected = {
        {"A", 1, 1}, {"B", 1, 1}, {"C", 1, 2}, {"D", 2, 3}, {"E", 2, 3}, {"F", 3, 4},
    };
    EXPECT_EQ(exporter.runs, expected);
}

TEST(KXDocxPDFExporter, PastTheRunBudgetTextThatGoesOnInTheLastRunExtendsIt) {
    // A first line of x's a thousandth of a point high fills the page's runs up to the budget; the
    // case's content follows. Helvetica at 12 points: "wo" advances (722 + 556) * 12 / 1000 =
    // 15.336, "word" 26.004.
    struct Made {
        std::string text;
        double left, width, right;
    };
    // Each main-text run as it stands when the capture is done with it.
    struct Recording : KXDocxPDFExporter {
        std::vector<Made> made;
        void makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                             const KXPDF_CTMInfo& g) override {
            const KXDocxRunTextArray& runs = pdfWriter()->currentPage()->allRunTextArray();
            const size_t before = runs.size();
            KXDocxPDFExporter::makeMainTextRun(text, offset, t, g);
            if (runs.empty()) return;
            if (runs.size() > before) made.emplace_back();
            const KXDocxRunText& last = *runs.back();
            made.back() = {kx::utf16ToUtf8(last.runText()), last.ctmInfo().xLeft, last.textWidth(), last.ctmInfo().xRight};
        }
    };
    const std::string filler = "BT /F1 0.001 Tf 1 0 0 1 10 100 Tm (" +
                               std::string(kx::kRunsBeforeExtending, 'x') + ") Tj ET\n";
    const auto at = [](const char* font, int size, double x, double y, const char* text) {
        return kx::format("BT /%s %d Tf 1 0 0 1 %.2f %.2f Tm (%s) Tj ET\n", font, size, x, y, text);
    };
    // "wo" on a baseline falling a degree to the right, then "rd" moved from its start by (along,
    // across) in the text's own space: each string keeps a baseline of its own.
    const auto tilted = [](double along, double across) {
        const double r = -M_PI / 180;
        return kx::format("BT /F1 12 Tf %.9f %.9f %.9f %.9f 72 700 Tm (wo) Tj %.3f %.3f Td (rd) Tj ET\n", std::cos(r),
                          std::sin(r), -std::sin(r), std::cos(r), along, across);
    };
    struct Case {
        const char* name;
        std::string content;
        const char* runs;  // the runs made after the filler's
    } cases[] = {
        {"one string", at("F1", 12, 72, 700, "word"), "word|"},
        {"a string where the last one ended", at("F1", 12, 72, 700, "wo") + at("F1", 12, 87.34, 700, "rd"), "word|"},
        {"half a point on", at("F1", 12, 72, 700, "wo") + at("F1", 12, 87.84, 700, "rd"), "wo|rd|"},
        {"going back", at("F1", 12, 72, 700, "wo") + at("F1", 12, 50, 700, "rd"), "wo|rd|"},
        {"in another size", at("F1", 12, 72, 700, "wo") + at("F1", 10, 87.34, 700, "rd"), "wo|rd|"},
        {"in another font", at("F1", 12, 72, 700, "wo") + at("F2", 12, 87.34, 700, "rd"), "wo|rd|"},
        {"on another baseline", at("F1", 12, 72, 700, "wo") + at("F1", 12, 87.34, 697, "rd"), "wo|rd|"},
        // The square's path run comes between the two strings in the page's reading order.
        {"after a square painted between them",
         at("F1", 12, 72, 700, "wo") + "q 0 0 1 rg 300 300 20 20 re f Q\n" + at("F1", 12, 87.34, 700, "rd"), "wo|rd|"},
        {"tilted, where the last one ended", tilted(15.336, 0), "word|"},
        {"tilted, half a point on", tilted(15.836, 0), "wo|rd|"},
        {"tilted, a twentieth of a point across", tilted(15.336, 0.05), "wo|rd|"},
    };
    kx::ScopedTemporaryRoot root;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kx::test::PDFBuilder builder;
        builder.addPage(filler + c.content,
                        "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> "
                        "/F2 << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >> >> >>");
        auto document = kx::PDFDocument::openFromMemory(builder.build());
        ASSERT_TRUE(document);
        Recording exporter;
        exporter.setNumberOfPagesToConvert(1);
        const std::string out = kx::pathJoin(kx::test::tempDir(), "runcap.docx");
        exporter.begainConvertPDF(out, document);
        EXPECT_TRUE(exporter.convertPDFPage(*document->page(1)));
        exporter.endConvertPDF(document);
        ASSERT_GT(exporter.made.size(), kx::kRunsBeforeExtending);
        std::string runs;
        for (size_t i = kx::kRunsBeforeExtending; i < exporter.made.size(); ++i) runs += exporter.made[i].text + "|";
        EXPECT_EQ(runs, c.runs);
        // An extended run ends where its last character does; the document says what was shown.
        if (exporter.made.size() == kx::kRunsBeforeExtending + 1) {
            const Made& word = exporter.made.back();
            EXPECT_NEAR(word.left, 72, 1e-6);
            EXPECT_NEAR(word.width, 26.004, 0.01);
            EXPECT_NEAR(word.right, 72 + 26.004, 0.01);
            EXPECT_NE(unzipped(out, "word/document.xml").find("word"), std::string::npos);
        }
    }
}
