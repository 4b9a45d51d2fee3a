// Zip archives put together in memory or through a temporary file: the same entries give the same
// bytes either way, and the destination is replaced only by a complete archive.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/FileSystem.h"
#include "platform/ZipArchive.h"
#include "support/TestSupport.h"

namespace {

// Zips a file entry and two entries from bytes (one stored) into the path.
bool zipInto(const std::string& path, bool inMemory, const std::string& file) {
    static const std::string kText(5000, 'x');
    kx::ZipArchive archive(path);
    archive.setFixedEntryAttributes(true);
    return archive.open(inMemory) && archive.writeFileAtPath(file, "word/document.xml", 3) &&
           archive.writeBytes(kText, "word/styles.xml", 3) && archive.writeBytes("stored", "media/a.png", 0) &&
           archive.close();
}

}  // namespace

TEST(ZipArchive, InMemoryAndThroughAFileGiveTheSameArchive) {
    const std::string file = kx::test::writeTemp("zip-document.xml", "<w:document>" + std::string(3000, 'y') + "</w:document>");
    const std::string throughFile = kx::pathJoin(kx::test::tempDir(), "zip-through-file.zip");
    const std::string inMemory = kx::pathJoin(kx::test::tempDir(), "zip-in-memory.zip");
    // The archive made in memory replaces an older file and keeps its permissions.
    kx::writeFile(inMemory, "an older file");
    chmod(inMemory.c_str(), 0640);
    ASSERT_TRUE(zipInto(throughFile, false, file));
    ASSERT_TRUE(zipInto(inMemory, true, file));
    const std::string bytes = kx::readFile(throughFile).value_or("");
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(bytes == kx::readFile(inMemory).value_or("")) << "the archive made in memory differs";
    struct stat st {};
    ASSERT_EQ(stat(inMemory.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ZipArchive, AnArchiveInMemoryThatFailsLeavesThePathAsItWas) {
    struct Case {
        const char* what;
        std::string path;
        bool discard;
    };
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "zip-failures");
    kx::createDirectories(folder);
    const Case cases[] = {
        {"discarded", kx::pathJoin(folder, "discarded.zip"), true},
        {"a folder that does not exist", kx::pathJoin(folder, "missing/out.zip"), false},
    };
    for (const Case& c : cases) {
        if (c.discard) kx::writeFile(c.path, "an older file");
        kx::ZipArchive archive(c.path);
        ASSERT_TRUE(archive.open(true)) << c.what;
        ASSERT_TRUE(archive.writeBytes("text", "a.txt", 3)) << c.what;
        if (c.discard) {
            archive.discard();
            EXPECT_EQ(kx::readFile(c.path), "an older file") << c.what;
        } else {
            EXPECT_FALSE(archive.close()) << c.what;
            EXPECT_NE(archive.lastError().find("Can't write the package"), std::string::npos) << archive.lastError();
            EXPECT_FALSE(kx::fileExists(c.path)) << c.what;
        }
    }
    // No temporary file is left beside the destinations.
    EXPECT_EQ(kx::listDirectory(folder), std::vector<std::string>{"discarded.zip"});
}
