// The page capture's text: where each shown string goes (main text, text box, text path), what
// closes a box or a path, the run counter, the page geometry, and the conversion's failures.

#include <gtest/gtest.h>

#include <string>

#include "CaptureTestFamily.h"
#include "engine/KXDocuvane.h"

using capturetest::joined;
using capturetest::LogCapture;
using capturetest::shown;

namespace {

std::string routed(const std::string& content) {
    LogCapture capture;
    capturetest::convert(capture, capturetest::pagesDocument({content}));
    return joined(capture.log);
}

}  // namespace

TEST(PageCapture, ShownStringsGoToTheMainTextATextBoxOrATextPath) {
    // PDF angles are counter-clockwise; display angles run from x towards y (downward), so a
    // baseline running up the page is at 270 and one running down at 90.
    struct Case {
        const char* name;
        std::string content;
        std::string log;
    } cases[] = {
        {"a turned string is a box until horizontal text leaves it",
         shown(72, 700, 0, "x") + shown(300, 300, 90, "up") + shown(72, 600, 0, "y"),
         "main x#0 | box 270 u | box+ p | close box | main y#1"},
        {"text turned the other way opens the next box", shown(300, 300, 90, "u") + shown(400, 300, -90, "d"),
         "box 270 u | close box | box 90 d | close box"},
        {"a slanted string is one text path", shown(100, 100, 30, "ab") + shown(72, 600, 0, "x"),
         "path 330 ab | main x#0"},
        {"a character off the path's line starts another path", shown(100, 100, 30, "ab") + shown(300, 100, 30, "c"),
         "path 330 ab | path 330 c"},
        {"upside-down text is a text path", shown(300, 300, 180, "u"), "path 180 u"},
        {"a lone blank before the first main run is dropped, after it kept",
         shown(72, 700, 0, " ") + shown(72, 690, 0, "a") + shown(90, 690, 0, " "), "main a#0 | main  #1"},
        {"a lone blank opens no box", shown(72, 700, 0, "x") + shown(300, 300, 90, " u"),
         "main x#0 | box 270 u | close box"},
        {"the end of the page closes an open path", shown(100, 100, 30, "ab"), "path 330 ab"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(routed(c.content), "page 1 612x792 last | " + c.log + (c.log.empty() ? "" : " | ") + "end page 1")
            << c.name;
}

TEST(PageCapture, AFamilyPlacesTextByItsOwnRules) {
    LogCapture capture;
    capture.place = [](const KXPDF_CTMInfo&) { return kx::TextPlace::MainText; };
    capturetest::convert(capture, capturetest::pagesDocument({shown(300, 300, 90, "up") + shown(100, 100, 30, "s")}));
    EXPECT_EQ(joined(capture.log), "page 1 612x792 last | main u#0 | main p#1 | main s#2 | end page 1");

    LogCapture dropping;
    dropping.place = [](const KXPDF_CTMInfo& g) { return g.rotation == 0 ? kx::TextPlace::Dropped : kx::TextPlace::TextBox; };
    capturetest::convert(dropping, capturetest::pagesDocument({shown(72, 700, 0, "x") + shown(300, 300, 90, "u")}));
    EXPECT_EQ(joined(dropping.log), "page 1 612x792 last | box 270 u | close box | end page 1");
}

TEST(PageCapture, RunsAreNumberedFromZeroOnEveryPage) {
    LogCapture capture;
    capturetest::convert(capture, capturetest::pagesDocument({shown(72, 700, 0, "ab"), shown(72, 700, 0, "cd")}));
    EXPECT_EQ(joined(capture.log), "page 1 612x792 | main a#0 | main b#1 | end page 1 | "
                                   "page 2 612x792 last | main c#0 | main d#1 | end page 2");
}

TEST(PageCapture, ThePageIsSetUpFromItsRotationAndMediaBox) {
    struct Case {
        const char* name;
        std::string extra;
        long rotation;
        std::string page;
    } cases[] = {
        {"upright", "/MediaBox [0 0 600 800]", 0, "page 1 600x800 last"},
        {"turned a quarter", "/MediaBox [0 0 600 800] /Rotate 90", 90, "page 1 800x600 last"},
        {"turned back a quarter", "/MediaBox [0 0 600 800] /Rotate -90", 270, "page 1 800x600 last"},
        {"turned more than once", "/MediaBox [0 0 600 800] /Rotate 450", 90, "page 1 800x600 last"},
    };
    for (const Case& c : cases) {
        LogCapture capture;
        capturetest::convert(capture, capturetest::pagesDocument({""}, c.extra));
        EXPECT_EQ(capture.currentPageRotationAngle(), c.rotation) << c.name;
        EXPECT_EQ(joined(capture.log), c.page + " | end page 1") << c.name;
    }
    // Text that runs along the page as it is shown is horizontal on a turned page.
    LogCapture turned;
    capturetest::convert(turned, capturetest::pagesDocument({shown(300, 300, 90, "ab")}, "/MediaBox [0 0 612 792] /Rotate 90"));
    EXPECT_EQ(joined(turned.log), "page 1 792x612 last | main a#0 | main b#1 | end page 1");
}

TEST(PageCapture, AnOutputThatCannotBeWrittenFailsTheConversion) {
    struct Case {
        const char* name;
        bool noDocument, failAtBegin, failAtEnd;
        bool pageConverts;
        bool failedAfterBegin, failedAfterEnd;
    } cases[] = {
        {"all well", false, false, false, true, false, false},
        {"no document can be made", true, false, false, false, true, true},
        {"the document cannot begin", false, true, false, false, true, true},
        {"the output cannot be completed", false, false, true, true, false, true},
    };
    const KXError writeFailure{KXDocuvaneErrorDomain, 400, "Can't write the output file."};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kx::ScopedTemporaryRoot root;
        LogCapture capture;
        capture.noDocument = c.noDocument;
        capture.script = {c.failAtBegin, c.failAtEnd};
        auto document = kx::PDFDocument::openFromMemory(capturetest::pagesDocument({shown(72, 700, 0, "a")}));
        ASSERT_TRUE(document);
        capture.setNumberOfPagesToConvert(1);
        capture.begainConvertPDF(kx::pathJoin(kx::test::tempDir(), "failing.out"), document);
        EXPECT_EQ(capture.exportError().has_value(), c.failedAfterBegin);
        EXPECT_EQ(capture.convertPDFPage(*document->page(1)), c.pageConverts);
        capture.endConvertPDF(document);
        EXPECT_EQ(capture.exportError().has_value(), c.failedAfterEnd);
        if (capture.exportError()) {
            EXPECT_EQ(*capture.exportError(), writeFailure);
        }
    }
}

TEST(PageCapture, ACancelledConversionTakesNoMoreText) {
    LogCapture capture;
    auto document = kx::PDFDocument::openFromMemory(capturetest::pagesDocument({shown(72, 700, 0, "ab")}));
    ASSERT_TRUE(document);
    capture.setNumberOfPagesToConvert(1);
    capture.begainConvertPDF(kx::pathJoin(kx::test::tempDir(), "cancelled.out"), document);
    capture.cancelConvertPDF();
    EXPECT_TRUE(capture.convertPDFPage(*document->page(1)));
    capture.cleanConvertPDF();
    EXPECT_EQ(joined(capture.log), "page 1 612x792 last | end page 1");
}
