// Geometry, paths, text encodings, number formatting, files and the main queue.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Geometry.h"
#include "platform/Numeric.h"
#include "platform/Path.h"
#include "platform/PropertyList.h"
#include "platform/Unicode.h"
#include "support/TestSupport.h"

using namespace kx;

TEST(Geometry, TransformStepsActBeforeTheExistingTransform) {
    // translate then scale: the scale acts on points first.
    AffineTransform t = AffineTransform::identity().translated(10, 20).scaled(2, 3);
    EXPECT_EQ(t.apply(Point{1, 1}), (Point{12, 23}));
    // concat: the left transform first.
    AffineTransform c = concat(AffineTransform::makeScale(2, 2), AffineTransform::makeTranslation(5, 0));
    EXPECT_EQ(c.apply(Point{1, 1}), (Point{7, 2}));
    AffineTransform r = AffineTransform::makeRotation(M_PI / 2);
    Point p = r.apply(Point{1, 0});
    EXPECT_NEAR(p.x, 0, 1e-12);
    EXPECT_NEAR(p.y, 1, 1e-12);
    AffineTransform inv = c.inverted();
    Point back = inv.apply(c.apply(Point{3, -4}));
    EXPECT_NEAR(back.x, 3, 1e-12);
    EXPECT_NEAR(back.y, -4, 1e-12);
    // A singular transform is returned unchanged.
    AffineTransform singular{0, 0, 0, 0, 1, 1};
    EXPECT_EQ(singular.inverted(), singular);
}

TEST(Geometry, RectangleOperations) {
    Rect a{0, 0, 10, 10}, b{5, 5, 10, 10}, far{20, 20, 1, 1};
    EXPECT_EQ(a.intersection(b), Rect(5, 5, 5, 5));
    EXPECT_TRUE(a.intersection(far).isNull());
    EXPECT_EQ(a.unionWith(far), Rect(0, 0, 21, 21));
    EXPECT_EQ(Rect::null().unionWith(a), a);
    EXPECT_EQ(Rect(10, 10, -5, -5).standardized(), Rect(5, 5, 5, 5));
    EXPECT_TRUE(Rect(1, 1, 0, 5).isEmpty());
    EXPECT_TRUE(Rect::null().isEmpty());
    EXPECT_TRUE(Rect::infinite().isInfinite());
    EXPECT_EQ(Rect(0.5, 0.5, 1, 1).integral(), Rect(0, 0, 2, 2));
    EXPECT_TRUE(a.contains(Rect(1, 1, 2, 2)));
    Rect turned = AffineTransform::makeRotation(M_PI).apply(Rect(0, 0, 2, 1));
    EXPECT_NEAR(turned.size.width, 2, 1e-12);
    EXPECT_NEAR(turned.size.height, 1, 1e-12);
}

TEST(Path, BoundingBoxesWithAndWithoutControlPoints) {
    Path p;
    p.moveTo({0, 0});
    p.curveTo({0, 10}, {10, 10}, {10, 0});
    EXPECT_EQ(p.boundingBox(), Rect(0, 0, 10, 10));
    Rect tight = p.pathBoundingBox();
    EXPECT_NEAR(tight.size.height, 7.5, 1e-9);  // the curve peaks at 3/4 of its control height
    EXPECT_NEAR(tight.size.width, 10, 1e-9);
    EXPECT_TRUE(Path().boundingBox().isNull());
    EXPECT_EQ(p.currentPoint(), (Point{10, 0}));
    Path moved = p.transformed(AffineTransform::makeTranslation(5, 5));
    EXPECT_EQ(moved.boundingBox(), Rect(5, 5, 10, 10));
}

TEST(Path, RectangleRecognitionAndContainment) {
    Path r;
    r.addRect({1, 2, 3, 4});
    Rect out;
    EXPECT_TRUE(r.isRect(&out));
    EXPECT_EQ(out, Rect(1, 2, 3, 4));
    Path tri;
    tri.moveTo({0, 0});
    tri.lineTo({4, 0});
    tri.lineTo({0, 4});
    tri.closeSubpath();
    EXPECT_FALSE(tri.isRect());
    EXPECT_TRUE(tri.containsPoint({1, 1}, false));
    EXPECT_FALSE(tri.containsPoint({3, 3}, false));
    // Two nested squares: the hole is outside under even-odd, inside under nonzero (same winding).
    Path rings;
    rings.addRect({0, 0, 10, 10});
    rings.addRect({3, 3, 4, 4});
    EXPECT_FALSE(rings.containsPoint({5, 5}, true));
    EXPECT_TRUE(rings.containsPoint({5, 5}, false));
}

TEST(Path, CurvesBeyondNumberRangeFlattenIntoBoundedSegments) {
    // A curve whose length overflows takes the most segments; one whose length is not a number
    // takes one. Either way the count stays defined and small.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        Point control;
        size_t points;
    } cases[] = {
        {"length overflows", {1e308, 0}, 101},
        {"length not a number", {nan, 0}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Path p;
        p.moveTo({0, 0});
        p.curveTo(c.control, {-c.control.x, 0}, {0, 0});
        auto polys = p.flattened();
        ASSERT_EQ(polys.size(), 1u);
        EXPECT_EQ(polys[0].size(), c.points);
    }
}

TEST(Unicode, ConversionsJoinPairsAndReplaceBrokenSequences) {
    struct Case {
        std::u16string utf16;
        std::string utf8;
    } cases[] = {
        {u"plain", "plain"},
        {u"caf\u00e9 \u4e2d", "caf\xC3\xA9 \xE4\xB8\xAD"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD83D)) + u"x", "\xEF\xBF\xBDx"},  // lone high surrogate
        {std::u16string(1, char16_t(0xDE00)), "\xEF\xBF\xBD"},           // lone low surrogate
    };
    for (const Case& c : cases) {
        std::string u8 = utf16ToUtf8(c.utf16);
        EXPECT_EQ(u8, c.utf8);
        EXPECT_TRUE(isValidUtf8(u8));
    }
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(utf8ToUtf16("a\xFF" "b\xC0\xAF"), u"a\uFFFDb\uFFFD\uFFFD");  // invalid and overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));                             // an encoded surrogate
    EXPECT_EQ(truncateUtf8("a\xC3\xA9", 2), "a");
    EXPECT_EQ(truncateUtf16(u"a\U0001F600", 2), u"a");
}

TEST(Format, NumbersIgnoreTheLocale) {
    test::ScopedLocale german("de_DE.UTF-8");
    if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    char native[32];
    std::snprintf(native, sizeof native, "%.2f", 12.5);
    ASSERT_STREQ(native, "12,50");  // the locale is really active
    EXPECT_EQ(format("%0.2f pt %d %s", 12.5, 3, "x"), "12.50 pt 3 x");
    EXPECT_EQ(formatFixed(1234.5678, 1), "1234.6");
    EXPECT_EQ(formatShortest(0.1), "0.1");
    EXPECT_EQ(parseDouble("3.25"), 3.25);
    EXPECT_FALSE(parseDouble("3,25"));
    EXPECT_EQ(parseInteger("-17"), -17);
    EXPECT_EQ(format("%s", std::string(1000, 'y').c_str()).size(), 1000u);
}

TEST(Numeric, FloatToIntegerIsDefinedForEveryInput) {
    EXPECT_EQ(toInt<int>(std::nan("")), 0);
    EXPECT_EQ(toInt<int>(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(toInt<int>(-1e300), std::numeric_limits<int>::min());
    EXPECT_EQ(toInt<int>(-2.7), -2);
    EXPECT_EQ(roundToInt<int>(2.5), 3);
    EXPECT_EQ(toInt<std::int64_t>(std::numeric_limits<double>::infinity()), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(toInt<std::uint8_t>(-3.0), 0);
}

TEST(FileSystem, TemporaryRootIsRemovedAtTheEnd) {
    std::string path;
    {
        ScopedTemporaryRoot root;
        path = root.path();
        EXPECT_EQ(temporaryRoot(), path);
        EXPECT_TRUE(writeFile(pathJoin(temporaryRoot(), "x.txt"), "data"));
        EXPECT_TRUE(createDirectories(pathJoin(path, "a/b")));
    }
    EXPECT_FALSE(fileExists(path));
    EXPECT_NE(temporaryRoot(), path);
    std::string uuid = newUUIDString();
    EXPECT_EQ(uuid.size(), 36u);
    EXPECT_NE(uuid, newUUIDString());
    EXPECT_EQ(pathExtension("/a/b.docx"), "docx");
    EXPECT_EQ(pathWithoutExtension("/a/b.docx"), "/a/b");
    EXPECT_EQ(pathFileName("/a/b.docx"), "b.docx");
}

// A folder is moved by renaming it, or, onto another file system (memory to disk here), by copying
// it and removing the original; nothing is ever moved over something that is there.
TEST(FileSystem, MoveItem) {
    ScopedTemporaryRoot root;
    std::vector<std::string> sources = {pathJoin(temporaryRoot(), "tables")};
    if (isDirectory("/dev/shm")) sources.push_back("/dev/shm/kx-move-" + newUUIDString());
    for (const std::string& from : sources) {
        ASSERT_TRUE(createDirectories(pathJoin(from, "sub")));
        ASSERT_TRUE(writeFile(pathJoin(from, "sub/Table 1.csv"), "a\tb"));
        const std::string to = pathJoin(temporaryRoot(), "out-" + newUUIDString() + ".csv");
        EXPECT_TRUE(moveItem(from, to)) << from;
        EXPECT_FALSE(fileExists(from)) << from;
        EXPECT_EQ(readFile(pathJoin(to, "sub/Table 1.csv")).value_or(""), "a\tb") << from;
        ASSERT_TRUE(writeFile(pathJoin(temporaryRoot(), "other"), "x"));
        EXPECT_FALSE(moveItem(pathJoin(temporaryRoot(), "other"), to)) << "the destination is taken";
        EXPECT_FALSE(moveItem(pathJoin(temporaryRoot(), "missing"), pathJoin(temporaryRoot(), "else")));
        removeAll(from);
    }
}

TEST(PropertyList, ReadsNestedValues) {
    auto plist = parsePropertyList(R"(<?xml version="1.0"?><plist version="1.0"><dict>
        <key>Name</key><string>Times &amp; Roman</string>
        <key>Size</key><integer>12</integer><key>Scale</key><real>0.5</real>
        <key>On</key><true/><key>List</key><array><string>a</string><integer>2</integer></array>
        <key>Bytes</key><data>aGVsbG8=</data></dict></plist>)");
    ASSERT_TRUE(plist);
    EXPECT_EQ(plist->find("Name")->string, "Times & Roman");
    EXPECT_EQ(plist->find("Size")->number(), 12);
    EXPECT_EQ(plist->find("Scale")->number(), 0.5);
    EXPECT_TRUE(plist->find("On")->boolean);
    EXPECT_EQ(plist->find("List")->array.size(), 2u);
    EXPECT_EQ(plist->find("Bytes")->string, "hello");
    EXPECT_FALSE(parsePropertyList("<plist><dict>"));
    // Paths that hold no list: nothing, and no allocation of the size a folder reports.
    EXPECT_FALSE(readPropertyList(test::tempDir()));
    EXPECT_FALSE(readPropertyList(test::tempDir() + "/no-such.plist"));
    PlistVisitor ignoring;
    EXPECT_FALSE(visitPropertyList(test::tempDir(), ignoring));
}

TEST(PropertyList, WrittenListsReadBackAsTheyWere) {
    auto value = [](PlistValue::Type type) {
        PlistValue v;
        v.type = type;
        return v;
    };
    PlistValue root = value(PlistValue::Type::Dictionary);
    root.dictionary["Text"] = value(PlistValue::Type::String);
    root.dictionary["Text"].string = "A & B <C> \"d\" \xC3\xA9\xE4\xB8\xAD  spaced ";
    root.dictionary["Empty"] = value(PlistValue::Type::String);
    root.dictionary["Whole"] = value(PlistValue::Type::Integer);
    root.dictionary["Whole"].integer = -9007199254740993LL;
    root.dictionary["Real"] = value(PlistValue::Type::Real);
    root.dictionary["Real"].real = static_cast<float>(-7.123);  // a single-precision metric
    root.dictionary["Tiny"] = value(PlistValue::Type::Real);
    root.dictionary["Tiny"].real = 1e-300;
    root.dictionary["No"] = value(PlistValue::Type::Boolean);
    root.dictionary["Bytes"] = value(PlistValue::Type::Data);
    root.dictionary["Bytes"].string = std::string("\0\xFF" "ab", 4);
    PlistValue list = value(PlistValue::Type::Array);
    list.array.push_back(root.dictionary["Text"]);
    list.array.push_back(value(PlistValue::Type::Dictionary));
    root.dictionary["List"] = list;

    test::ScopedLocale german("de_DE.UTF-8");  // reals keep their point in any locale
    const std::string folder = test::tempDir() + "/plist-write";
    ASSERT_TRUE(createDirectories(folder));
    const std::string path = folder + "/written.plist";
    ASSERT_TRUE(writePropertyList(path, root));
    auto back = readPropertyList(path);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->dictionary.size(), root.dictionary.size());
    EXPECT_EQ(back->find("Text")->string, root.dictionary["Text"].string);
    EXPECT_EQ(back->find("Empty")->type, PlistValue::Type::String);
    EXPECT_EQ(back->find("Empty")->string, "");
    EXPECT_EQ(back->find("Whole")->integer, -9007199254740993LL);
    EXPECT_EQ(back->find("Real")->real, root.dictionary["Real"].real);
    EXPECT_EQ(back->find("Tiny")->real, 1e-300);
    EXPECT_EQ(back->find("No")->type, PlistValue::Type::Boolean);
    EXPECT_FALSE(back->find("No")->boolean);
    EXPECT_EQ(back->find("Bytes")->string, root.dictionary["Bytes"].string);
    ASSERT_EQ(back->find("List")->array.size(), 2u);
    EXPECT_EQ(back->find("List")->array[1].type, PlistValue::Type::Dictionary);
    // Only the finished file is left behind.
    EXPECT_EQ(listDirectory(folder), std::vector<std::string>{"written.plist"});

    // A folder that does not exist: nothing is written, failure is reported.
    EXPECT_FALSE(writePropertyList(folder + "/missing/x.plist", root));
}

TEST(Dispatch, WorkerReportsReachTheMainQueueInOrder) {
    std::vector<int> seen;
    std::atomic<bool> done{false};
    {
        WorkerThread worker("test", [&] {
            EXPECT_FALSE(MainQueue::isMainThread());
            for (int i = 0; i < 50; ++i) MainQueue::async([&seen, i] { seen.push_back(i); });
            MainQueue::async([&] { done = true; });
        });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return done.load(); }, std::chrono::seconds(10)));
    }
    ASSERT_EQ(seen.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(seen[static_cast<size_t>(i)], i);
    bool ranNow = false;
    MainQueue::runOrAsync([&] { ranNow = true; });
    EXPECT_TRUE(ranNow);
}
