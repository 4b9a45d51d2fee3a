// Package zipping: failures are reported and leave no package behind. (What the packages hold is
// checked with independent readers in integration/.)

#include <gtest/gtest.h>

#include "ooxml/KXOutputWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

// A small work folder: _rels/.rels, [Content_Types].xml, word/document.xml.
std::string makeWorkFolder(const std::string& name) {
    std::string root = kx::pathJoin(kx::test::tempDir(), name);
    kx::removeAll(root);
    kx::createDirectories(kx::pathJoin(root, "_rels"));
    kx::createDirectories(kx::pathJoin(root, "word"));
    kx::writeFile(kx::pathJoin(root, "_rels/.rels"), "<Relationships/>");
    kx::writeFile(kx::pathJoin(root, "[Content_Types].xml"), "<Types/>");
    kx::writeFile(kx::pathJoin(root, "word/document.xml"), "<document/>");
    return root;
}

std::vector<std::string> items(const std::string& root) {
    return {kx::pathJoin(root, "_rels"), kx::pathJoin(root, "[Content_Types].xml"), kx::pathJoin(root, "word")};
}

}  // namespace

TEST(KXOutputWriter, WritesThePackageAndReplacesAnOldFile) {
    std::string root = makeWorkFolder("zip-ok");
    std::string out = kx::test::writeTemp("ok.docx", "an older file at the destination");
    KXError error{"untouched", 0, ""};
    ASSERT_TRUE(KXOutputWriter::CreateZipFileAtPath(out, items(root), &error));
    EXPECT_EQ(error.domain, "untouched");
    std::optional<std::string> bytes = kx::readFile(out);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->substr(0, 4), std::string("PK\x03\x04", 4));
}

TEST(KXOutputWriter, AnUnwritableDestinationIsReported) {
    std::string root = makeWorkFolder("zip-unwritable");
    std::string blocker = kx::test::writeTemp("not-a-folder", "x");
    struct Case {
        const char* what;
        std::string destination;
    };
    const Case cases[] = {
        {"a folder that does not exist", kx::pathJoin(kx::test::tempDir(), "missing/out.docx")},
        {"a file where a folder should be", kx::pathJoin(blocker, "out.docx")},
        {"a folder at the destination", kx::test::tempDir()},
    };
    for (const Case& c : cases) {
        KXError error;
        EXPECT_FALSE(KXOutputWriter::CreateZipFileAtPath(c.destination, items(root), &error)) << c.what;
        EXPECT_EQ(error.domain, "KXOutputWriter") << c.what;
        EXPECT_NE(error.code, 0) << c.what;
        EXPECT_NE(error.failureReason.find(c.destination), std::string::npos) << error.failureReason;
        if (c.destination != kx::test::tempDir()) {
            EXPECT_FALSE(kx::fileExists(c.destination)) << c.what;
        }
    }
}

TEST(KXOutputWriter, AMissingOrUnreadablePartFailsTheWholePackage) {
    std::string root = makeWorkFolder("zip-missing");
    std::string out = kx::pathJoin(kx::test::tempDir(), "missing-part.docx");
    std::vector<std::string> list = items(root);
    list.insert(list.begin() + 1, kx::pathJoin(root, "docProps"));        // never made
    list.push_back(kx::pathJoin(root, "word/no-such-part.xml"));           // not there either
    KXError error;
    EXPECT_FALSE(KXOutputWriter::CreateZipFileAtPath(out, list, &error));
    EXPECT_EQ(error.code, 2);
    // Every failure is named, and nothing is left at the destination.
    EXPECT_NE(error.failureReason.find("docProps"), std::string::npos) << error.failureReason;
    EXPECT_NE(error.failureReason.find("no-such-part.xml"), std::string::npos) << error.failureReason;
    EXPECT_FALSE(kx::fileExists(out));

    // A file that vanishes from the work folder between listing and writing is caught on close.
    std::string root2 = makeWorkFolder("zip-vanishing");
    std::string out2 = kx::pathJoin(kx::test::tempDir(), "vanishing.docx");
    bool removed = false;
    // Called right after word/document.xml was added (the last entry of the last folder).
    auto removeAfterAdding = [&](std::uint64_t done, std::uint64_t total) {
        if (!removed && done == 3 && total == 4) removed = kx::removeFile(kx::pathJoin(root2, "word/document.xml"));
    };
    EXPECT_FALSE(KXOutputWriter::CreateZipFileAtPath(out2, items(root2), true, -1, std::nullopt, false,
                                                     removeAfterAdding, &error));
    EXPECT_TRUE(removed);
    EXPECT_FALSE(kx::fileExists(out2));
}

TEST(KXOutputWriter, ReportsProgressPerEntryAndPerItem) {
    std::string root = makeWorkFolder("zip-progress");
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    std::string out = kx::pathJoin(kx::test::tempDir(), "progress.docx");
    ASSERT_TRUE(KXOutputWriter::CreateZipFileAtPath(
        out, items(root), true, -1, std::nullopt, false,
        [&](std::uint64_t done, std::uint64_t total) { calls.emplace_back(done, total); }));
    // _rels: one subpath then the item; the file item; word: one subpath then the item.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> want = {{1, 4}, {1, 3}, {2, 3}, {3, 4}, {3, 3}};
    EXPECT_EQ(calls, want);
}
