// Object getters, page boxes, the page transform, operand popping and the application's document
// checks.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "pdf/KXCPDFUtilities.h"
#include "pdf/KXPDFUtilities.h"
#include "pdf/ObjectDoc.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using namespace kx;
using kx::test::ObjectDoc;
using kx::test::PDFBuilder;

TEST(KXPDFUtilities, NumberAndStringGetters) {
    std::shared_ptr<ObjectDoc> keep;
    PDFObject dict = ObjectDoc::parse(
        "<< /Int 42 /Big 16777217 /Real -2.5 /Name /Helvetica#20Bold /Str (plain) /Empty () "
        "/Utf16 <FEFF00480069> /Bool true /Arr [7 1.5 /N (s) ()] >>",
        &keep);
    struct NumberCase {
        const char* key;
        bool ok;
        double value;
    } numbers[] = {
        {"Int", true, 42},
        {"Big", true, 16777216},  // widened through single precision
        {"Real", true, -2.5},
        {"Name", false, 99},
        {"Str", false, 99},
        {"Bool", false, 99},
        {"Missing", false, 99},
    };
    for (const NumberCase& c : numbers) {
        double v = 99;
        EXPECT_EQ(KXPDFUtilities::GetNumberWithPDFDictionary(dict, c.key, v), c.ok) << c.key;
        EXPECT_EQ(v, c.value) << c.key;
    }
    struct StringCase {
        const char* key;
        std::optional<std::u16string> text;
    } strings[] = {
        {"Name", u"Helvetica Bold"}, {"Str", u"plain"}, {"Empty", std::nullopt},
        {"Utf16", u"Hi"},           {"Int", std::nullopt}, {"Missing", std::nullopt},
    };
    for (const StringCase& c : strings) EXPECT_EQ(KXPDFUtilities::GetStringWithPDFDictionary(dict, c.key), c.text) << c.key;

    PDFObject arr = dict.dictGet("Arr");
    double v = 0;
    EXPECT_TRUE(KXPDFUtilities::GetNumberWithPDFArray(arr, 1, v));
    EXPECT_EQ(v, 1.5);
    EXPECT_FALSE(KXPDFUtilities::GetNumberWithPDFArray(arr, 2, v));
    EXPECT_FALSE(KXPDFUtilities::GetNumberWithPDFArray(arr, 9, v));
    EXPECT_EQ(KXPDFUtilities::GetStringWithPDFArray(arr, 2), u"N");
    EXPECT_EQ(KXPDFUtilities::GetStringWithPDFArray(arr, 3), u"s");
    EXPECT_EQ(KXPDFUtilities::GetStringWithPDFArray(arr, 4), std::nullopt);
    EXPECT_EQ(KXPDFUtilities::GetStringWithPDFArray(arr, 99), std::nullopt);
    // Getters on objects of the wrong kind answer nothing.
    EXPECT_FALSE(KXPDFUtilities::GetNumberWithPDFDictionary(arr, "Int", v));
    EXPECT_FALSE(KXPDFUtilities::GetNumberWithPDFArray(dict, 0, v));
}

TEST(KXPDFUtilities, PageBoxesTurnWithTheRotation) {
    struct Case {
        const char* extra;
        Rect media;
        Rect crop;
        const char* inherited = "";  // entries of the root of the page tree
    } cases[] = {
        {"", Rect(0, 0, 400, 300), Rect(0, 0, 400, 300), "/MediaBox [0 0 300 400] /Rotate 90"},
        {"/Rotate 0", Rect(0, 0, 300, 400), Rect(0, 0, 300, 400), "/MediaBox [0 0 300 400] /Rotate 90"},
        {"/MediaBox [0 0 612 792]", Rect(0, 0, 612, 792), Rect(0, 0, 612, 792)},
        {"/MediaBox [0 0 612 792] /CropBox [10 20 310 420] /Rotate 90", Rect(0, 0, 792, 612), Rect(20, 10, 400, 300)},
        {"/MediaBox [0 0 612 792] /Rotate -90", Rect(0, 0, 792, 612), Rect(0, 0, 792, 612)},
        {"/MediaBox [0 0 612 792] /Rotate 180", Rect(0, 0, 612, 792), Rect(0, 0, 612, 792)},
        {"/MediaBox [0 0 0 0]", Rect(0, 0, 595, 842), Rect(0, 0, 595, 842)},
        {"/MediaBox [0 0 0 0] /Rotate 90", Rect(0, 0, 842, 595), Rect(0, 0, 842, 595)},
    };
    for (const Case& c : cases) {
        PDFBuilder b;
        b.setPagesExtra(c.inherited);
        b.addPage("", "<< >>", c.extra);
        auto doc = PDFDocument::openFromMemory(b.build());
        ASSERT_TRUE(doc) << c.extra;
        auto page = doc->page(1);
        ASSERT_TRUE(page) << c.extra;
        EXPECT_EQ(KXPDFUtilities::MediaBoxOfPDFPage(*page), c.media) << c.extra;
        EXPECT_EQ(KXPDFUtilities::CropBoxOfPDFPage(*page), c.crop) << c.extra;
    }
}

TEST(KXPDFUtilities, PageTransformMapsPageSpaceIntoTheTurnedDisplay) {
    const double w = 600, h = 800;
    struct Case {
        std::int64_t angle;
        Point in, out;
    } cases[] = {
        {0, {10, 20}, {10, 780}},  {45, {10, 20}, {10, 780}},    {90, {10, 20}, {20, 10}},
        {180, {10, 20}, {590, 20}}, {270, {10, 20}, {580, 790}}, {-90, {10, 20}, {580, 790}},
        {450, {10, 20}, {20, 10}},
    };
    for (const Case& c : cases) {
        Point p = pageTransformForBox(c.angle, w, h).apply(c.in);
        EXPECT_NEAR(p.x, c.out.x, 1e-9) << c.angle;
        EXPECT_NEAR(p.y, c.out.y, 1e-9) << c.angle;
    }
}

namespace {

struct PopProbe {
    int n = 0;
    std::vector<double> got;
};

void popProbe(PDFScanner& s, void* info) {
    auto* probe = static_cast<PopProbe*>(info);
    probe->got = popOperandNumbers(s, probe->n);
}

}  // namespace

TEST(KXPDFUtilities, PopOperandNumbersFillsAsTheInterpreterExpects) {
    PDFBuilder b;
    b.addPage("");
    auto doc = PDFDocument::openFromMemory(b.build());
    ASSERT_TRUE(doc);
    PDFOperatorTable table;
    table.setCallback("X", popProbe);
    struct Case {
        const char* content;
        int n;
        std::vector<double> expected;  // last operand first
    } cases[] = {
        {"1 2 3 X", 3, {3, 2, 1}},
        {"7 X", 3, {7, 7, 7}},           // one number fills every entry
        {"/N 5 6 X", 4, {6, 5, 0, 0}},   // a later failure leaves zeros after it
        {"X", 2, {0, 0}},
        {"(s) X", 2, {0, 0}},
        {"1 2 X", 0, {}},
        {"1 2 X", -3, {}},
    };
    for (const Case& c : cases) {
        PopProbe probe;
        probe.n = c.n;
        PDFContentStream stream = PDFContentStream::forBytes(doc->session(), c.content);
        PDFScanner scanner(stream, table, &probe);
        scanner.scan();
        EXPECT_EQ(probe.got, c.expected) << c.content;
    }
}

TEST(KXCPDFUtilities, DocumentChecks) {
    PDFBuilder b;
    b.addPage("");
    const std::string plain = b.build();
    const std::string dir = test::tempDir();
    const std::string plainPath = test::writeTemp("plain.pdf", plain);
    const std::string lockedPath = test::writeTemp("locked.pdf", test::encryptPDF(plain, "user", "owner"));
    const std::string noPrintPath = test::writeTemp("noprint.pdf", test::encryptPDF(plain, "", "owner", -8));
    const std::string junkPath = test::writeTemp("junk.pdf", "this is not a PDF");

    EXPECT_TRUE(KXCPDFUtilities::isPDFDocumentValidAtPath(plainPath));
    EXPECT_TRUE(KXCPDFUtilities::isPDFDocumentValidAtPath(lockedPath));
    EXPECT_FALSE(KXCPDFUtilities::isPDFDocumentValidAtPath(junkPath));
    EXPECT_FALSE(KXCPDFUtilities::isPDFDocumentValidAtPath(dir));
    EXPECT_FALSE(KXCPDFUtilities::isPDFDocumentValidAtPath(dir + "/missing.pdf"));

    EXPECT_FALSE(KXCPDFUtilities::isPDFDocumentLockedAtPath(plainPath));
    EXPECT_TRUE(KXCPDFUtilities::isPDFDocumentLockedAtPath(lockedPath));
    EXPECT_FALSE(KXCPDFUtilities::isPDFDocumentLockedAtPath(noPrintPath));
    EXPECT_TRUE(KXCPDFUtilities::isPDFDocumentLockedAtPath(junkPath));

    EXPECT_FALSE(KXCPDFUtilities::isPDFDocumentLockPritingAtPath(plainPath));
    EXPECT_TRUE(KXCPDFUtilities::isPDFDocumentLockPritingAtPath(lockedPath));
    EXPECT_TRUE(KXCPDFUtilities::isPDFDocumentLockPritingAtPath(noPrintPath));

    EXPECT_TRUE(KXCPDFUtilities::isAllowPrintingPDFDcoumentAtPath(plainPath, ""));
    EXPECT_TRUE(KXCPDFUtilities::isAllowPrintingPDFDcoumentAtPath(lockedPath, "user"));
    EXPECT_TRUE(KXCPDFUtilities::isAllowPrintingPDFDcoumentAtPath(lockedPath, "owner"));
    EXPECT_FALSE(KXCPDFUtilities::isAllowPrintingPDFDcoumentAtPath(lockedPath, "wrong"));
    EXPECT_FALSE(KXCPDFUtilities::isAllowPrintingPDFDcoumentAtPath(lockedPath, ""));
    EXPECT_FALSE(KXCPDFUtilities::isAllowPrintingPDFDcoumentAtPath(noPrintPath, ""));
    EXPECT_TRUE(KXCPDFUtilities::isAllowPrintingPDFDcoumentAtPath(noPrintPath, "owner"));
    EXPECT_FALSE(KXCPDFUtilities::isAllowPrintingPDFDcoumentAtPath(junkPath, ""));

    auto opened = KXCPDFUtilities::initPDFDocumentAtPath(lockedPath, "");
    ASSERT_TRUE(opened);
    EXPECT_FALSE(opened->isUnlocked());
    auto unlocked = KXCPDFUtilities::initPDFDocumentAtPath(lockedPath, "user");
    ASSERT_TRUE(unlocked);
    EXPECT_TRUE(unlocked->isUnlocked());
    EXPECT_EQ(unlocked->pageCount(), 1);
    EXPECT_FALSE(KXCPDFUtilities::initPDFDocumentAtPath(lockedPath, "wrong"));
    EXPECT_FALSE(KXCPDFUtilities::initPDFDocumentAtPath(junkPath, ""));
}
