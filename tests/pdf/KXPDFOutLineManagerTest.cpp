// The outline reader on generated documents: nested items and their targets, actions, named
// destinations in the forms files use, and outlines whose links loop.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "pdf/KXPDFOutLineManager.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"

using kx::test::PDFBuilder;
using Item = KXPDFOutLineManager::Item;
using Destination = KXPDFOutLineManager::Destination;

namespace {

std::string ref(int n) { return std::to_string(n) + " 0 R"; }

// A document of three pages; `build` adds the outline objects and returns the catalog entries.
template <typename F>
std::shared_ptr<kx::PDFDocument> makeDoc(F build) {
    PDFBuilder b;
    int p1 = b.addPage("");
    int p2 = b.addPage("");
    int p3 = b.addPage("");
    b.setCatalogExtra(build(b, p1, p2, p3));
    auto doc = kx::PDFDocument::openFromMemory(b.build());
    EXPECT_TRUE(doc);
    return doc;
}

std::vector<Item> load(const kx::PDFDocument& doc, bool expectOutline = true) {
    KXPDFOutLineManager reader;
    EXPECT_EQ(reader.reLoadOutline(doc), expectOutline);
    return reader.tableArray();
}

}  // namespace

TEST(KXPDFOutLineManager, NestedItemsKeepDocumentOrderDepthCountAndTargets) {
    auto doc = makeDoc([](PDFBuilder& b, int p1, int p2, int p3) {
        int outlines = b.reserve();
        int i1 = b.reserve(), c1 = b.reserve(), c2 = b.reserve(), g1 = b.reserve(), i2 = b.reserve(),
            i3 = b.reserve();
        b.set(outlines, "<< /Type /Outlines /First " + ref(i1) + " /Last " + ref(i3) + " /Count 3 >>");
        b.set(i1, "<< /Title (Chapter 1\n) /Parent " + ref(outlines) + " /Next " + ref(i2) + " /First " + ref(c1) +
                      " /Last " + ref(c2) + " /Count -3 /Dest [" + ref(p1) + " /XYZ null null null] >>");
        b.set(c1, "<< /Title (Section 1.1) /Parent " + ref(i1) + " /Next " + ref(c2) + " /Dest [" + ref(p2) +
                      " /FitH 700] >>");
        b.set(c2, "<< /Title (Section 1.2) /Parent " + ref(i1) + " /First " + ref(g1) + " /Count 1 /Dest [" +
                      ref(p2) + " /FitR 10 20.5 300 400] >>");
        b.set(g1, "<< /Title (Deep) /Parent " + ref(c2) + " /Dest [" + ref(p3) + " /Fit] >>");
        b.set(i2, "<< /Title <FEFF004C0069006E006B> /Parent " + ref(outlines) + " /Next " + ref(i3) +
                      " /A << /S /URI /URI (https://example.org) >> >>");
        b.set(i3, "<< /Title (Last) /Parent " + ref(outlines) + " /A << /S /GoTo /D [" + ref(p3) +
                      " /XYZ 72 720.5 0] >> >>");
        return "/Outlines " + ref(outlines);
    });
    auto items = load(*doc);
    ASSERT_EQ(items.size(), 6u);

    struct Expect {
        std::u16string title;
        std::int64_t indent, count, page;
        std::optional<std::string> s;
        std::optional<std::string> fit;
        std::vector<float> values;
    };
    const Expect expected[] = {
        {u"Chapter 1\n", 0, 3, 1, "GoTo", "XYZ", {0, 0, 0}},
        {u"Section 1.1", 1, 0, 2, "GoTo", "FitH", {700}},
        {u"Section 1.2", 1, 1, 2, "GoTo", "FitR", {10, 20.5f, 300, 400}},
        {u"Deep", 2, 0, 3, "GoTo", "Fit", {}},
        {u"Link", 0, 0, -1, "URI", std::nullopt, {}},
        {u"Last", 0, 0, 3, "GoTo", "XYZ", {72, 720.5f, 0}},
    };
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        const Item& item = items[i];
        const Expect& e = expected[i];
        EXPECT_EQ(item.title, e.title);
        EXPECT_EQ(KXPDFOutLineManager::GetIndentPageWithItem(item), e.indent);
        EXPECT_EQ(item.count, e.count);
        EXPECT_EQ(KXPDFOutLineManager::GetGoToPageWithItem(item), e.page);
        ASSERT_TRUE(item.action);
        EXPECT_EQ(item.action->S, e.s);
        if (e.fit) {
            ASSERT_TRUE(item.action->D);
            EXPECT_EQ(item.action->D->fitType, e.fit);
            EXPECT_EQ(item.action->D->values, e.values);
        } else {
            EXPECT_FALSE(item.action->D);  // a URI action has no destination
        }
    }

    KXPDFOutLineManager reader;
    ASSERT_TRUE(reader.reLoadOutline(*doc));
    auto page2 = reader.outlineArrayForPage(2);
    ASSERT_EQ(page2.size(), 2u);
    EXPECT_EQ(page2[0].title, u"Section 1.1");
    EXPECT_EQ(page2[1].title, u"Section 1.2");
    EXPECT_EQ(reader.outlineArrayForPage(3).size(), 2u);
    EXPECT_TRUE(reader.outlineArrayForPage(4).empty());
    EXPECT_TRUE(KXPDFOutLineManager::isHaveOutline(*doc));
}

TEST(KXPDFOutLineManager, DocumentWithoutOutlineHasNoItems) {
    auto doc = makeDoc([](PDFBuilder& b, int, int, int) {
        int outlines = b.add("<< /Type /Outlines /Count 0 >>");  // no /First
        return "/Outlines " + ref(outlines);
    });
    KXPDFOutLineManager reader;
    reader.setTableArray({Item{u"stale", 0, 0, std::nullopt}});
    EXPECT_FALSE(reader.reLoadOutline(*doc));
    EXPECT_TRUE(reader.tableArray().empty());
    for (int page = 0; page <= 4; ++page) EXPECT_TRUE(reader.outlineArrayForPage(page).empty());
    EXPECT_FALSE(KXPDFOutLineManager::isHaveOutline(*doc));
}

TEST(KXPDFOutLineManager, DestinationToPageOutsideTheDocumentHasNoPage) {
    auto doc = makeDoc([](PDFBuilder& b, int, int, int) {
        int stray = b.add("<< /Type /Page >>");  // a page dictionary that is not in the page tree
        int outlines = b.reserve(), i1 = b.reserve(), i2 = b.reserve();
        b.set(outlines, "<< /First " + ref(i1) + " >>");
        b.set(i1, "<< /Title (Stray) /Next " + ref(i2) + " /Dest [" + ref(stray) + " /Fit] >>");
        b.set(i2, "<< /Title (Remote) /Dest [4 /Fit] >>");  // a page number, not a page
        return "/Outlines " + ref(outlines);
    });
    auto items = load(*doc);
    ASSERT_EQ(items.size(), 2u);
    ASSERT_TRUE(items[0].action && items[0].action->D);
    EXPECT_EQ(items[0].action->D->pageNumber, KXPDFOutLineManager::kNoPage);
    EXPECT_EQ(KXPDFOutLineManager::GetGoToPageWithItem(items[0]), -1);
    ASSERT_TRUE(items[1].action && items[1].action->D);
    EXPECT_FALSE(items[1].action->D->pageNumber);
    EXPECT_EQ(items[1].action->D->fitType, "Fit");
    EXPECT_EQ(KXPDFOutLineManager::GetGoToPageWithItem(items[1]), -1);
}

// Named destinations: strings through the /Names tree (a root with /Names or with /Kids, values as
// arrays or as dictionaries with /D) and names through the catalog's /Dests.
TEST(KXPDFOutLineManager, NamedDestinationsResolveInEveryForm) {
    struct Case {
        const char* what;
        const char* dest;      // the item's /Dest
        bool kidsTree;         // name tree with /Kids under the root, else /Names at the root
        std::int64_t page;     // expected target, -1 for none
    };
    const Case cases[] = {
        {"string, value dictionary with /D, names at the root", "(alpha)", false, 2},
        {"string, value array, names at the root", "(beta)", false, 3},
        {"string, value dictionary, in a kid", "(alpha)", true, 2},
        {"string, value array, in the second kid", "(gamma)", true, 1},
        {"string outside every kid's limits", "(zzz)", true, -1},
        {"string not in the tree", "(delta)", false, -1},
        {"name, /Dests value dictionary with /D", "/One", false, 1},
        {"name, /Dests value array", "/Two", false, 3},
        {"name missing from /Dests", "/Three", false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = makeDoc([&](PDFBuilder& b, int p1, int p2, int p3) {
            std::string a = "(alpha) << /D [" + ref(p2) + " /Fit] >> ";
            std::string bta = "(beta) [" + ref(p3) + " /FitB] ";
            std::string g = "(gamma) [" + ref(p1) + " /FitV 5] ";
            int tree;
            if (c.kidsTree) {
                int k1 = b.add("<< /Limits [(alpha) (beta)] /Names [" + a + bta + "] >>");
                int k2 = b.add("<< /Limits [(gamma) (gamma)] /Names [" + g + "] >>");
                int mid = b.add("<< /Kids [" + ref(k2) + "] /Limits [(gamma) (gamma)] >>");
                tree = b.add("<< /Kids [" + ref(k1) + " " + ref(mid) + "] >>");
            } else {
                tree = b.add("<< /Names [" + a + bta + g + "] >>");
            }
            int dests = b.add("<< /One << /D [" + ref(p1) + " /Fit] >> /Two [" + ref(p3) + " /Fit] >>");
            int outlines = b.reserve(), item = b.reserve();
            b.set(outlines, "<< /First " + ref(item) + " >>");
            b.set(item, "<< /Title (Named) /Dest " + std::string(c.dest) + " >>");
            return "/Outlines " + ref(outlines) + " /Names << /Dests " + ref(tree) + " >> /Dests " + ref(dests);
        });
        auto items = load(*doc);
        ASSERT_EQ(items.size(), 1u);
        ASSERT_TRUE(items[0].action);
        EXPECT_EQ(items[0].action->S, "GoTo");
        EXPECT_EQ(KXPDFOutLineManager::GetGoToPageWithItem(items[0]), c.page);
        EXPECT_EQ(items[0].action->D.has_value(), c.page != -1);
    }
}

TEST(KXPDFOutLineManager, NameTreeThatLoopsEndsTheSearch) {
    auto doc = makeDoc([](PDFBuilder& b, int, int, int) {
        int tree = b.reserve(), kid = b.reserve();
        b.set(tree, "<< /Kids [" + ref(kid) + "] >>");
        b.set(kid, "<< /Kids [" + ref(kid) + " " + ref(tree) + "] >>");
        int outlines = b.reserve(), item = b.reserve();
        b.set(outlines, "<< /First " + ref(item) + " >>");
        b.set(item, "<< /Title (Loop) /Dest (anything) >>");
        return "/Outlines " + ref(outlines) + " /Names << /Dests " + ref(tree) + " >>";
    });
    auto items = load(*doc);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_FALSE(items[0].action->D);
}

TEST(KXPDFOutLineManager, ThousandsOfNamedDestinationsResolveWithoutRescanningTheTree) {
    // 20000 items naming destinations of a 20000-entry leaf: scanning the leaf for each item took
    // tens of seconds.
    constexpr int kItems = 20000;
    auto doc = makeDoc([](PDFBuilder& b, int p1, int p2, int p3) {
        const int pages[] = {p1, p2, p3};
        std::string names;
        for (int i = 0; i < kItems; ++i) {
            char key[16];
            std::snprintf(key, sizeof key, "n%06d", i);
            names += "(" + std::string(key) + ") [" + ref(pages[i % 3]) + " /Fit] ";
        }
        int leaf = b.add("<< /Limits [(n000000) (n999999)] /Names [" + names + "] >>");
        int tree = b.add("<< /Kids [" + ref(leaf) + "] >>");
        int outlines = b.reserve();
        std::vector<int> items;
        for (int i = 0; i < kItems; ++i) items.push_back(b.reserve());
        for (int i = 0; i < kItems; ++i) {
            char key[16];
            std::snprintf(key, sizeof key, "n%06d", (i * 7919) % kItems);
            std::string next = i + 1 < kItems ? " /Next " + ref(items[static_cast<size_t>(i + 1)]) : "";
            b.set(items[static_cast<size_t>(i)], "<< /Title (I) /Dest (" + std::string(key) + ")" + next + " >>");
        }
        b.set(outlines, "<< /First " + ref(items.front()) + " >>");
        return "/Outlines " + ref(outlines) + " /Names << /Dests " + ref(tree) + " >>";
    });
    const auto start = std::chrono::steady_clock::now();
    auto items = load(*doc);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_EQ(items.size(), static_cast<size_t>(kItems));
    for (int i : {0, 1, 2, 12345, kItems - 1})
        EXPECT_EQ(KXPDFOutLineManager::GetGoToPageWithItem(items[static_cast<size_t>(i)]), (i * 7919) % kItems % 3 + 1)
            << i;
}

TEST(KXPDFOutLineManager, CyclicOutlineEndsWithEachItemOnce) {
    auto doc = makeDoc([](PDFBuilder& b, int p1, int p2, int) {
        int outlines = b.reserve(), i1 = b.reserve(), c1 = b.reserve(), i2 = b.reserve();
        b.set(outlines, "<< /First " + ref(i1) + " >>");
        // i1 → i2 → i1 through /Next; c1 is its own next sibling and has the top item as its child.
        b.set(i1, "<< /Title (One) /Next " + ref(i2) + " /First " + ref(c1) + " /Dest [" + ref(p1) + " /Fit] >>");
        b.set(c1, "<< /Title (Child) /Next " + ref(c1) + " /First " + ref(i1) + " >>");
        b.set(i2, "<< /Title (Two) /Next " + ref(i1) + " /First " + ref(outlines) + " /Dest [" + ref(p2) +
                      " /Fit] >>");
        return "/Outlines " + ref(outlines);
    });
    auto items = load(*doc);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].title, u"One");
    EXPECT_EQ(items[1].title, u"Child");
    EXPECT_EQ(items[1].indent, 1);
    EXPECT_EQ(items[2].title, u"Two");
    EXPECT_EQ(KXPDFOutLineManager::GetGoToPageWithItem(items[2]), 2);
}

TEST(KXPDFOutLineManager, VeryDeepOutlineStopsAtTheDepthCap) {
    auto doc = makeDoc([](PDFBuilder& b, int p1, int, int) {
        const int depth = 500;
        std::vector<int> ids(depth);
        for (int& id : ids) id = b.reserve();
        for (int i = 0; i < depth; ++i) {
            std::string first = i + 1 < depth ? " /First " + ref(ids[static_cast<size_t>(i) + 1]) : "";
            b.set(ids[static_cast<size_t>(i)], "<< /Title (L" + std::to_string(i) + ")" + first + " /Dest [" +
                                                   ref(p1) + " /Fit] >>");
        }
        int outlines = b.add("<< /First " + ref(ids[0]) + " >>");
        return "/Outlines " + ref(outlines);
    });
    auto items = load(*doc);
    ASSERT_FALSE(items.empty());
    EXPECT_LT(items.size(), 500u);
    EXPECT_EQ(items.back().indent, static_cast<std::int64_t>(items.size()) - 1);
}

TEST(KXPDFOutLineManager, TitleLosesBlanksLineBreaksAndControls) {
    struct Case {
        std::optional<std::u16string> title;
        std::optional<std::u16string> expected;
    };
    const Case cases[] = {
        {u"Chapter 1\n", u"Chapter1"},
        {u"\tA\u00A0B\u2003C\u200BD\r\nE\u0007", u"ABCDE"},
        {u"\U0001F600 x", u"\U0001F600x"},
        {u" \n\t", std::nullopt},
        {u"", std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        Item item;
        item.title = c.title;
        EXPECT_EQ(KXPDFOutLineManager::GetOutlineTitleWithItem(item), c.expected);
    }
}

TEST(KXPDFOutLineManager, SharedInstanceLivesUntilDestroyed) {
    KXPDFOutLineManager& a = KXPDFOutLineManager::sharedInstance();
    a.setTableArray({Item{u"kept", 0, 0, std::nullopt}});
    EXPECT_EQ(&KXPDFOutLineManager::sharedInstance(), &a);
    EXPECT_EQ(KXPDFOutLineManager::sharedInstance().tableArray().size(), 1u);
    KXPDFOutLineManager::destory();
    EXPECT_TRUE(KXPDFOutLineManager::sharedInstance().tableArray().empty());
    KXPDFOutLineManager::destory();
}
