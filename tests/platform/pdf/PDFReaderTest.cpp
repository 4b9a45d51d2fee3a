// The PDF object reader: getters, page boxes and inheritance, passwords, repair, and the content
// scanner, on documents built by the tests.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <map>
#include <vector>

#include "platform/Format.h"
#include "platform/pdf/PDFContentScanner.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using namespace kx;
using kx::test::PDFBuilder;

namespace {

std::shared_ptr<PDFDocument> openBytes(const std::string& bytes) { return PDFDocument::openFromMemory(bytes); }

std::shared_ptr<PDFDocument> docWithObjects(std::map<std::string, std::string> entries, PDFBuilder& b) {
    std::string dict;
    for (auto& [k, v] : entries) dict += "/" + k + " " + v + " ";
    b.addPage("", "<< >>", "/MediaBox [0 0 612 792] /Test << " + dict + " >>");
    return openBytes(b.build());
}

}  // namespace

TEST(PDFObject, GettersReadEachTypeAndRefuseOthers) {
    PDFBuilder b;
    int ref = b.add("(from a reference)");
    auto doc = docWithObjects({{"Int", "42"},
                               {"Real", "-3.25"},
                               {"Name", "/Helvetica#20Bold"},
                               {"Str", "(a\\(b\\)c)"},
                               {"Hex", "<FEFF00480069D83DDE00>"},
                               {"Doc", "<8093A0>"},
                               {"Bool", "true"},
                               {"Arr", "[1 2.5 /N (s)]"},
                               {"Ref", std::to_string(ref) + " 0 R"},
                               {"Date", "(D:20231225143000+05'30')"},
                               {"Null", "null"}},
                              b);
    ASSERT_TRUE(doc);
    auto page = doc->page(1);
    ASSERT_TRUE(page);
    PDFObject t = page->dictionary().dictGet("Test");
    ASSERT_TRUE(t.isDictionary());

    std::int64_t i = 0;
    double d = 0;
    EXPECT_TRUE(t.dictGet("Int").getInteger(i));
    EXPECT_EQ(i, 42);
    EXPECT_TRUE(t.dictGet("Int").getNumber(d));
    EXPECT_EQ(d, 42.0);
    EXPECT_FALSE(t.dictGet("Real").getInteger(i));
    EXPECT_TRUE(t.dictGet("Real").getNumber(d));
    EXPECT_DOUBLE_EQ(d, -3.25);
    EXPECT_EQ(t.dictGet("Name").name(), "Helvetica Bold");
    EXPECT_FALSE(t.dictGet("Name").getNumber(d));
    EXPECT_EQ(t.dictGet("Str").stringBytes(), "a(b)c");
    EXPECT_EQ(t.dictGet("Hex").textString(), u"Hi\U0001F600");
    EXPECT_EQ(t.dictGet("Doc").textString(), u"\u2022\uFB01\u20AC");
    bool flag = false;
    EXPECT_TRUE(t.dictGet("Bool").getBoolean(flag));
    EXPECT_TRUE(flag);
    PDFObject arr = t.dictGet("Arr");
    ASSERT_EQ(arr.arrayCount(), 4u);
    EXPECT_EQ(arr.arrayAt(1).numberOr(0), 2.5);
    EXPECT_TRUE(arr.arrayAt(2).isName("N"));
    EXPECT_TRUE(arr.arrayAt(4).isNull());
    EXPECT_EQ(t.dictGet("Ref").stringBytes(), "from a reference");
    EXPECT_EQ(t.dictGet("Ref").objectNumber(), ref);
    auto date = t.dictGet("Date").date();
    ASSERT_TRUE(date);
    EXPECT_EQ(*date, (PDFDate{2023, 12, 25, 14, 30, 0, 330}));
    EXPECT_TRUE(t.dictGet("Null").isNull());
    EXPECT_TRUE(t.dictGet("Missing").isNull());

    // Dictionary entries come in file order.
    std::vector<std::string> keys;
    for (auto& [k, v] : t.dictEntries()) keys.push_back(k);
    EXPECT_EQ(keys.front(), "Arr");  // the builder wrote them in std::map order
}

TEST(PDFObject, DatesWithPartialFields) {
    struct Case {
        const char* text;
        std::optional<PDFDate> expected;
    } cases[] = {
        {"D:2001", PDFDate{2001, 1, 1, 0, 0, 0, std::nullopt}},
        {"D:19991231235959Z", PDFDate{1999, 12, 31, 23, 59, 59, 0}},
        {"20200101120000-08'00'", PDFDate{2020, 1, 1, 12, 0, 0, -480}},
        {"D:2020133", std::nullopt},
        {"garbage", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parsePDFDate(c.text), c.expected) << c.text;
}

TEST(PDFObject, StreamsDecodeAndReportImageCodecs) {
    PDFBuilder b;
    int plain = b.addFlateStream("", "hello stream");
    // A DCT-filtered stream is handed back encoded when asked (the bytes need not be a real JPEG).
    int jpeg = b.addStream("/Filter /DCTDecode /Width 1 /Height 1", "\xFF\xD8 not really a jpeg");
    b.addPage("", "<< >>", "/MediaBox [0 0 10 10] /P " + std::to_string(plain) + " 0 R /J " + std::to_string(jpeg) + " 0 R");
    auto doc = openBytes(b.build());
    ASSERT_TRUE(doc);
    PDFObject dict = doc->page(1)->dictionary();
    PDFObject s = dict.dictGet("P");
    ASSERT_TRUE(s.isStream());
    EXPECT_TRUE(s.isDictionary());
    EXPECT_EQ(s.streamData(), "hello stream");
    EXPECT_EQ(s.streamDictionary().dictGet("Filter").name(), "FlateDecode");
    PDFDataFormat format = PDFDataFormat::JPEG2000;
    EXPECT_EQ(s.streamData(format), "hello stream");
    EXPECT_EQ(format, PDFDataFormat::Raw);
    PDFObject j = dict.dictGet("J");
    auto encoded = j.streamData(format);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(format, PDFDataFormat::JPEGEncoded);
    EXPECT_EQ(*encoded, "\xFF\xD8 not really a jpeg");
    EXPECT_FALSE(dict.isStream());
}

TEST(PDFPage, BoxesAndRotationAreInheritedThroughTheWholeTree) {
    // Page -> Pages (middle) -> Pages (root); attributes only on the root.
    PDFBuilder b;
    int root = b.reserve(), middle = b.reserve();
    int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    int contents = b.addStream("", "BT /F1 12 Tf (x) Tj ET");
    int page = b.add("<< /Type /Page /Parent " + std::to_string(middle) + " 0 R /Contents " + std::to_string(contents) + " 0 R >>");
    b.set(middle, "<< /Type /Pages /Parent " + std::to_string(root) + " 0 R /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    b.set(root, "<< /Type /Pages /Kids [" + std::to_string(middle) + " 0 R] /Count 1 /MediaBox [0 0 500 400] "
                "/CropBox [10 20 400 300] /Rotate 270 /Resources << /Font << /F1 " + std::to_string(font) + " 0 R >> >> >>");
    int catalog = b.add("<< /Type /Catalog /Pages " + std::to_string(root) + " 0 R >>");
    auto doc = openBytes(b.buildWithRoot(catalog));
    ASSERT_TRUE(doc);
    auto p = doc->page(1);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->boxRect(PDFBox::MediaBox), Rect(0, 0, 500, 400));
    EXPECT_EQ(p->boxRect(PDFBox::CropBox), Rect(10, 20, 390, 280));
    EXPECT_EQ(p->boxRect(PDFBox::TrimBox), Rect(10, 20, 390, 280));
    EXPECT_EQ(p->rotationAngle(), 270);
    EXPECT_EQ(p->resources().dictGet("Font").dictGet("F1").dictGet("BaseFont").name(), "Helvetica");
}

TEST(PDFPage, RotationIsNormalised) {
    struct Case {
        const char* rotate;
        int expected;
    } cases[] = {{"0", 0}, {"90", 90}, {"180", 180}, {"270", 270}, {"-90", 270}, {"450", 90}, {"90.7", 90}, {"/Bad", 0}};
    for (const Case& c : cases) {
        PDFBuilder b;
        b.addPage("", "<< >>", std::string("/MediaBox [0 0 612 792] /Rotate ") + c.rotate);
        auto doc = openBytes(b.build());
        ASSERT_TRUE(doc);
        EXPECT_EQ(doc->page(1)->rotationAngle(), c.expected) << c.rotate;
    }
}

TEST(PDFPage, ParentCycleDoesNotHang) {
    PDFBuilder b;
    int pages = b.reserve(), page = b.reserve();
    int contents = b.addStream("", "");
    // The page's /Parent points at the Pages node, whose /Parent points back at the page.
    b.set(page, "<< /Type /Page /Parent " + std::to_string(pages) + " 0 R /Contents " + std::to_string(contents) + " 0 R >>");
    b.set(pages, "<< /Type /Pages /Parent " + std::to_string(page) + " 0 R /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    int catalog = b.add("<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>");
    auto doc = openBytes(b.buildWithRoot(catalog));
    ASSERT_TRUE(doc);
    auto p = doc->page(1);
    if (p) {
        EXPECT_TRUE(p->boxRect(PDFBox::MediaBox).isNull());
        EXPECT_TRUE(p->dictionary().inheritedGet("Nothing").isNull());
    }
}

TEST(PDFDocument, PasswordsUnlockAndPermissions) {
    PDFBuilder b;
    b.addPage("", "<< >>");
    std::string locked = test::encryptPDF(b.build(), "user", "owner", -1 - 4);  // printing not allowed
    struct Case {
        const char* password;
        bool unlocks;
        int level;
        bool prints;
    } cases[] = {{nullptr, false, 0, false}, {"user", true, 2, false}, {"owner", true, 4, true}, {"wrong", false, 0, false}};
    for (const Case& c : cases) {
        auto doc = openBytes(locked);
        ASSERT_TRUE(doc);
        EXPECT_TRUE(doc->isEncrypted());
        EXPECT_FALSE(doc->isUnlocked());
        EXPECT_EQ(doc->pageCount(), 1);  // a locked document still reports its pages
        if (c.password) {
            EXPECT_EQ(doc->unlockWithPassword(c.password), c.unlocks) << c.password;
        }
        EXPECT_EQ(doc->isUnlocked(), c.unlocks);
        EXPECT_EQ(doc->unlockLevel(), c.level);
        EXPECT_EQ(doc->allowsPrinting(), c.prints);
    }
    PDFBuilder plain;
    plain.addPage("", "<< >>");
    auto open = openBytes(plain.build());
    EXPECT_FALSE(open->isEncrypted());
    EXPECT_TRUE(open->isUnlocked());
    EXPECT_TRUE(open->allowsPrinting());
}

TEST(PDFDocument, BrokenCrossReferenceTableIsRepaired) {
    PDFBuilder b;
    b.addPage("BT ET", "<< >>");
    b.addPage("BT ET", "<< >>");
    b.setBrokenXref(true);
    auto doc = openBytes(b.build());
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->pageCount(), 2);
    EXPECT_TRUE(doc->page(2).has_value());
    EXPECT_TRUE(doc->wasRepaired());
}

// Caches of things built from a document's objects (fonts) live with the document: the same cache for
// every object of one document, another for another document, and gone when the document closes,
// taking the document's objects it holds with it (no cycle keeps the document alive).
TEST(PDFDocument, DocumentCachesLiveAndEndWithTheDocument) {
    struct Kept {
        std::vector<PDFObject> objects;
    };
    PDFBuilder b;
    b.addPage("", "<< >>");
    const std::string bytes = b.build();
    auto first = openBytes(bytes), second = openBytes(bytes);
    ASSERT_TRUE(first && second);
    PDFObject page = first->page(1)->dictionary(), catalog = first->catalog();
    std::shared_ptr<Kept> cache = page.documentCache<Kept>();
    ASSERT_TRUE(cache);
    EXPECT_EQ(catalog.documentCache<Kept>(), cache) << "one cache per document";
    EXPECT_NE(second->catalog().documentCache<Kept>(), cache) << "another document, another cache";
    struct Other {};
    EXPECT_NE(static_cast<void*>(page.documentCache<Other>().get()), static_cast<void*>(cache.get()))
        << "one cache per kind";

    cache->objects.push_back(page);  // the cache now holds the document's session
    std::weak_ptr<Kept> weakCache = cache;
    std::weak_ptr<detail::PDFSession> session = first->session();
    cache.reset();
    first.reset();
    EXPECT_TRUE(weakCache.expired()) << "the closed document's caches are gone";
    EXPECT_FALSE(page.documentCache<Kept>()) << "a closed document makes no new cache";
    page = PDFObject();
    catalog = PDFObject();
    EXPECT_TRUE(session.expired()) << "nothing keeps the closed document alive";
}

TEST(PDFDocument, UnreadableInputsGiveNoDocument) {
    EXPECT_FALSE(PDFDocument::open(test::tempDir() + "/missing.pdf"));
    EXPECT_FALSE(PDFDocument::openFromMemory("this is not a pdf at all"));
    EXPECT_FALSE(PDFDocument::openFromMemory(""));
    PDFBuilder b;
    b.addPage("", "<< >>");
    auto doc = openBytes(b.build());
    EXPECT_FALSE(doc->page(0));
    EXPECT_FALSE(doc->page(2));
    EXPECT_FALSE(doc->page(-5));
}

namespace {

// Records every operator with a printable form of its operands.
struct Recorder {
    std::vector<std::string> events;
};

std::string describe(const PDFOperand& o) {
    switch (o.type) {
        case PDFObjectType::Integer: return "i" + std::to_string(o.integer);
        case PDFObjectType::Real: {
            char buf[32];
            std::snprintf(buf, sizeof buf, "r%g", o.number);
            return buf;
        }
        case PDFObjectType::Name: return "/" + o.text;
        case PDFObjectType::String: return "(" + o.text + ")";
        case PDFObjectType::Boolean: return o.boolean ? "true" : "false";
        case PDFObjectType::Null: return "null";
        case PDFObjectType::Array: return "[" + std::to_string(o.object.arrayCount()) + "]";
        case PDFObjectType::Dictionary: return "<<" + std::to_string(o.object.dictCount()) + ">>";
        case PDFObjectType::Stream: {
            auto data = o.object.streamData();
            return "stream:" + std::to_string(o.object.streamDictionary().dictGet("W", "").integerOr(0)) + "x" +
                   std::to_string(data ? data->size() : 0);
        }
    }
    return "?";
}

void record(PDFScanner& s, void* info) {
    auto* r = static_cast<Recorder*>(info);
    std::vector<std::string> ops;
    PDFOperand o;
    while (s.popObject(o)) ops.insert(ops.begin(), describe(o));
    std::string e = s.currentOperator();
    for (auto& op : ops) e += " " + op;
    r->events.push_back(e);
}

std::vector<std::string> scanBytes(const std::string& content, bool* completed = nullptr) {
    PDFBuilder b;
    b.addPage(content, "<< >>");
    auto doc = PDFDocument::openFromMemory(b.build());
    auto page = doc->page(1);
    PDFContentStream cs = PDFContentStream::forPage(*page);
    PDFOperatorTable table;
    for (const char* op : {"cm", "Tj", "TJ", "BDC", "EI", "re", "f", "gs", "d", "ri"}) table.setCallback(op, record);
    Recorder r;
    PDFScanner scanner(cs, table, &r);
    bool ok = scanner.scan();
    if (completed) *completed = ok;
    return r.events;
}

}  // namespace

TEST(PDFScanner, DeliversEveryOperandType) {
    bool completed = false;
    auto events = scanBytes(
        "1 0 0 -1.5 .5 7 cm\n"
        "(hi\\)) Tj [(a) -120 (b)] TJ\n"
        "/Span << /ActualText (x) /MCID 3 >> BDC\n"
        "[3 1] 0 d /Perceptual ri /GS0 gs true false null re\n"
        "unknownop 9 9 f\n",
        &completed);
    EXPECT_TRUE(completed);
    std::vector<std::string> expected = {
        "cm i1 i0 i0 r-1.5 r0.5 i7", "Tj (hi))", "TJ [3]", "BDC /Span <<2>>", "d [2] i0", "ri /Perceptual",
        "gs /GS0",                   "re true false null", "f i9 i9"};
    EXPECT_EQ(events, expected);
}

namespace {

// One element of an array object, printed as describe() prints operands.
std::string describeElement(const PDFObject& e) {
    PDFOperand o;
    o.type = e.type();
    e.getBoolean(o.boolean);
    e.getInteger(o.integer);
    e.getNumber(o.number);
    if (e.isName()) o.text = e.name();
    if (e.isString()) o.text = e.stringBytes();
    if (e.isArray() || e.isDictionary()) o.object = e;
    return describe(o);
}

}  // namespace

TEST(PDFScanner, ArraysOfNumbersAndStringsComeAsPlainElements) {
    struct Case {
        const char* array;
        bool plain;
        const char* elements;
    };
    const Case cases[] = {
        {"[(a) -120 (b) 3.5 <4142> +2 -.5]", true, "(a) i-120 (b) r3.5 (AB) i2 r-0.5"},
        {"[(x\\)y) (p(q)r) (\\\\)]", true, "(x)y) (p(q)r) (\\)"},
        {"[]", true, ""},
        {"[\n(a)\r\n-1.25\t]", true, "(a) r-1.25"},
        // Anything else is read as an object, with the same elements a plain read would give.
        {"[/F1 2]", false, "/F1 i2"},
        {"[(a) [1 2] ]", false, "(a) [2]"},
        {"[(a) %c ] (b)\n 2]", false, "(a) i2"},
        {"[<< /A 1 >> 1]", false, "<<1>> i1"},
        {"[(a) true null]", false, "(a) true null"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> seen;
        bool wasPlain = false;
        PDFOperatorTable table;
        table.setCallback("TJ", [](PDFScanner& s, void* info) {
            auto* out = static_cast<std::pair<std::vector<std::string>*, bool*>*>(info);
            std::vector<PDFOperand> elements;
            if (s.popPlainArray(elements)) {
                *out->second = true;
                for (const auto& e : elements) out->first->push_back(describe(e));
                return;
            }
            PDFObject array;
            if (!s.popArray(array)) return;
            for (size_t i = 0; i < array.arrayCount(); ++i) out->first->push_back(describeElement(array.arrayAt(i)));
        });
        std::pair<std::vector<std::string>*, bool*> info{&seen, &wasPlain};
        PDFBuilder b;
        b.addPage(std::string(c.array) + " TJ (z) TJ", "<< >>");
        auto doc = PDFDocument::openFromMemory(b.build());
        PDFContentStream cs = PDFContentStream::forPage(*doc->page(1));
        PDFScanner scanner(cs, table, &info);
        EXPECT_TRUE(scanner.scan()) << c.array;
        std::string joined;
        for (const auto& e : seen) joined += (joined.empty() ? "" : " ") + e;
        EXPECT_EQ(joined, c.elements) << c.array;
        EXPECT_EQ(wasPlain, c.plain) << c.array;
    }
}

TEST(PDFScanner, InlineImageArrivesAsOneStreamOperand) {
    // Unfiltered 2x2 RGB (12 bytes) whose data contains "EI", then an ASCIIHex-filtered 1-bit mask.
    std::string content = "q BI /W 2 /H 2 /BPC 8 /CS /RGB ID\n";
    content += std::string("EI EI EI EI", 11) + "x";
    content += "\nEI Q 1 0 0 1 0 0 cm BI /W 8 /H 1 /IM true /F /AHx ID\nF0>\nEI 5 5 5 5 re";
    auto events = scanBytes(content);
    std::vector<std::string> expected = {"EI stream:2x12", "cm i1 i0 i0 i1 i0 i0", "EI stream:8x1", "re i5 i5 i5 i5"};
    EXPECT_EQ(events, expected);
}

TEST(PDFScanner, DamagedStreamsEndWithoutCrashing) {
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {
        {"truncated string", "1 0 0 1 0 0 cm (never closed"},
        {"truncated array", "[1 2 3 TJ"},
        {"truncated dict", "/P << /A 1 BDC"},
        {"inline image without ID", "BI /W 1 /H 1"},
        {"inline image without data", "BI /W 100 /H 100 /BPC 8 /CS /RGB ID\n"},
        {"huge inline image", "BI /W 2000000000 /H 2000000000 /BPC 16 /CS /CMYK ID\nxx EI"},
        {"stray delimiters", ") ] >> } { 1 1 1 1 re"},
        {"many operands", std::string(100000, '1').replace(1, 99998, std::string(49999, ' ') + std::string(49999, '1')) + " f"},
    };
    for (const Case& c : cases) {
        bool completed = true;
        auto events = scanBytes(c.content, &completed);
        SUCCEED() << c.name << " " << events.size() << " " << completed;
    }
    // A stray ")" does not stop the operators after it.
    auto events = scanBytes(") ] 1 1 1 1 re");
    EXPECT_EQ(events, std::vector<std::string>{"re i1 i1 i1 i1"});
}

TEST(PDFScanner, OperandsTooDeeplyNestedToReadDoNotStopTheOperatorsAfterThem) {
    // Arrays and dictionaries nested deeper than the reader takes are skipped like any unreadable
    // operand; the scan goes on with what follows them and says the stream was damaged.
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {
        {"arrays", std::string(50000, '[') + std::string(50000, ']') + " 1 1 1 1 re"},
        {"dictionaries", [] {
             std::string s;
             for (int i = 0; i < 20000; ++i) s += "<< /A ";
             for (int i = 0; i < 20000; ++i) s += ">> ";
             return s + "1 1 1 1 re";
         }()},
        {"arrays in a dictionary", "<< /A " + std::string(30000, '[') + std::string(30000, ']') + " >> 1 1 1 1 re"},
    };
    for (const Case& c : cases) {
        bool completed = true;
        auto events = scanBytes(c.content, &completed);
        // The innermost levels, within the reader's reach, may still arrive as an operand below
        // the rectangle's four.
        ASSERT_EQ(events.size(), 1u) << c.name;
        EXPECT_TRUE(events[0].starts_with("re ") && events[0].ends_with(" i1 i1 i1 i1")) << c.name << ": " << events[0];
        EXPECT_FALSE(completed) << c.name;
    }
}

TEST(PDFScanner, ArrayContentsAreJoined) {
    PDFBuilder b2;
    int a = b2.addStream("", "1 2 3 4");
    int z = b2.addFlateStream("", "re");
    int pages = b2.reserve();
    int page = b2.add("<< /Type /Page /Parent " + std::to_string(pages) + " 0 R /MediaBox [0 0 10 10] /Contents [" +
                      std::to_string(a) + " 0 R " + std::to_string(z) + " 0 R] >>");
    b2.set(pages, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    int cat = b2.add("<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>");
    auto doc = PDFDocument::openFromMemory(b2.buildWithRoot(cat));
    PDFContentStream cs = PDFContentStream::forPage(*doc->page(1));
    PDFOperatorTable table;
    table.setCallback("re", record);
    Recorder r;
    PDFScanner scanner(cs, table, &r);
    EXPECT_TRUE(scanner.scan());
    EXPECT_EQ(r.events, std::vector<std::string>{"re i1 i2 i3 i4"});
}

namespace {

// A document whose page tree is written by hand: `tree` holds the objects after the catalog (object
// 1), the root node being object 2; every page is "<< /Type /Page /MediaBox [0 0 10 10] >>".
std::string handTree(const std::vector<std::string>& tree) {
    PDFBuilder b;
    const int catalog = b.add("<< /Type /Catalog /Pages 2 0 R >>");
    for (const std::string& body : tree) b.add(body);
    return b.buildWithRoot(catalog);
}

const std::string kLeaf = "<< /Type /Page /MediaBox [0 0 10 10] >>";

}  // namespace

// The page count is the pages the tree holds, whatever its /Count entries say; a tree that loops or
// shares a node is walked once. Where the look-up of a page cannot reach it (it follows the counts
// and refuses loops), the page fails to read: it never stands for another one.
TEST(PDFDocument, PageCountComesFromThePagesThatExist) {
    struct Case {
        const char* name;
        std::vector<std::string> tree;
        int pages;
        bool firstPageReads;
    } cases[] = {
        {"a sound tree", {"<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>", kLeaf, kLeaf}, 2, true},
        {"two billion declared over one page", {"<< /Type /Pages /Kids [3 0 R] /Count 2147483647 >>", kLeaf}, 1, true},
        {"fifty million declared", {"<< /Type /Pages /Kids [3 0 R] /Count 50000000 >>", kLeaf}, 1, true},
        {"a negative count over one page", {"<< /Type /Pages /Kids [3 0 R] /Count -5 >>", kLeaf}, 1, true},
        {"a negative count and no kids", {"<< /Type /Pages /Kids [] /Count -5 >>"}, 0, false},
        {"no page tree", {"<< /Type /Font >>"}, 0, false},
        {"an inner node claiming too much",
         {"<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 1000001 >>", "<< /Type /Pages /Kids [4 0 R] /Count 1000000 >>",
          kLeaf, kLeaf},
         2, true},
        {"nodes without a type", {"<< /Kids [3 0 R] /Count 7 >>", "<< /Kids [4 0 R] /Count 1 >>", kLeaf}, 1, true},
        {"an inner node without a count", {"<< /Kids [3 0 R] /Count 7 >>", "<< /Kids [4 0 R] >>", kLeaf}, 1, false},
        {"a node that is its own kid", {"<< /Type /Pages /Kids [2 0 R 3 0 R] /Count 9 >>", kLeaf}, 1, false},
        {"a node two parents share",
         {"<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 4 >>", "<< /Type /Pages /Kids [4 0 R 4 0 R] /Count 2 >>", kLeaf},
         2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = openBytes(handTree(c.tree));
        ASSERT_TRUE(doc);
        EXPECT_EQ(doc->pageCount(), c.pages);
        EXPECT_EQ(doc->page(1).has_value(), c.firstPageReads);
        EXPECT_FALSE(doc->page(c.pages + 1));
    }

    // A chain of nodes each listing the next one twice: walked node by node, not path by path.
    std::vector<std::string> doubling;
    for (int level = 0; level < 60; ++level)
        doubling.push_back(kx::format("<< /Type /Pages /Kids [%d 0 R %d 0 R] /Count 1 >>", level + 3, level + 3));
    doubling.push_back(kLeaf);
    auto doc = openBytes(handTree(doubling));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->pageCount(), 2);
}

// Only regular files are opened, each refusal with its reason.
TEST(PDFDocument, OnlyRegularFilesAreOpened) {
    const std::string fifo = test::tempDir() + "/pipe.pdf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char* reason;
    } cases[] = {
        {test::tempDir() + "/missing.pdf", "no such file"},
        {test::tempDir(), "a folder"},
        {"/dev/zero", "not a regular file"},
        {fifo, "not a regular file"},
        {test::writeTemp("text.pdf", "plain text"), "not a PDF file"},
        {test::writeTemp("cut.pdf", "%PDF-1.4\n1 0 obj <<"), "a damaged PDF file that could not be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string why;
        EXPECT_FALSE(PDFDocument::open(c.path, &why));
        EXPECT_EQ(why, c.reason);
    }
}

// A stream whose /Length does not end at its "endstream" keyword is read up to that keyword, once,
// whatever comes after it in the file; a sound length is taken as it is, even where the data itself
// holds the keyword.
TEST(PDFObject, StreamLengthsThatMissTheirKeywordAreMended) {
    const std::string data = "0 g 1 0 0 1 5 5 cm 0 0 10 10 re f";
    // Another stream after it: an overshooting length would otherwise run on to this one's keyword.
    const std::string keyword = "(endstream) Tj 0 0 1 1 re";
    const std::string after = "\n9 0 obj\n<< /Length 12 >>\nstream\n0 0 1 1 re S\nendstream\nendobj\n";
    struct Case {
        const char* name;
        std::string body;
        std::string expected;
    } cases[] = {
        {"a length far past the keyword", "<< /Length 400 >>\nstream\n" + data + "\nendstream" + after, data},
        {"a length a little short", "<< /Length 20 >>\nstream\n" + data + "\nendstream", data},
        {"a negative length", "<< /Length -3 >>\nstream\n" + data + "\nendstream", data},
        {"no length", "<< >>\nstream\n" + data + "\nendstream", data},
        {"a wrong length behind a reference", "<< /Length 2 0 R >>\nstream\n" + data + "\r\nendstream", data},
        {"a sound length over data holding the keyword",
         "<< /Length " + std::to_string(keyword.size()) + " >>\nstream\n" + keyword + "\nendstream", keyword},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PDFBuilder b;
        const int stream = b.reserve();
        b.add("5000");  // object 2: a length that misses, where one refers to it
        b.set(stream, c.body);
        b.addPage("", "<< >>");
        auto doc = openBytes(b.build());
        ASSERT_TRUE(doc);
        PDFObject object = doc->object(stream);
        ASSERT_TRUE(object.isStream());
        EXPECT_EQ(object.streamData(), c.expected);
        EXPECT_EQ(object.streamData(), c.expected) << "read a second time";
    }
}
