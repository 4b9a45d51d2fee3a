// Packages read back by independent readers: Python's zipfile lists and extracts every entry,
// unzip tests and extracts the archive; both must give the work folder's bytes back.

#include <gtest/gtest.h>

#include <random>

#include "ooxml/KXOutputWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

using kx::pathJoin;

const std::string kNestedUtf8 = "word/Gr\xC3\xB6\xC3\x9F" "e/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xC3\xBC.xml";

// A work folder with nested folders, UTF-8 names, an empty folder and a larger binary part.
std::string makeWorkFolder(const std::string& name) {
    std::string root = pathJoin(kx::test::tempDir(), name);
    kx::removeAll(root);
    auto put = [&](const std::string& rel, const std::string& bytes) {
        kx::createDirectories(kx::pathDirectory(pathJoin(root, rel)));
        EXPECT_TRUE(kx::writeFile(pathJoin(root, rel), bytes));
    };
    put("_rels/.rels", "<?xml version=\"1.0\"?><Relationships/>");
    put("[Content_Types].xml", "<Types/>");
    put("docProps/app.xml", "<Properties/>");
    put("docProps/core.xml", "<coreProperties/>");
    put("word/document.xml", "<document>\xC3\xA9t\xC3\xA9</document>");
    put(kNestedUtf8, "nested \xE2\x9C\x93");
    std::string big;
    std::mt19937 rng(7);
    for (int i = 0; i < 300000; ++i) big.push_back(static_cast<char>(i % 3 ? rng() & 0xFF : 0));
    put("word/embeddings/big.bin", big);
    kx::createDirectories(pathJoin(root, "word/media"));
    kx::createDirectories(pathJoin(root, "customXml"));
    return root;
}

// Lists the package's entries, one a line, after checking each file entry against the work folder
// (same bytes, deflated, UTF-8 flag on non-ASCII names, the fixed date and permissions that make
// packages reproducible). Exit status 0 when everything matches.
const char* kCheckScript = R"(
import sys, zipfile
package, root = sys.argv[1], sys.argv[2]
prefix = sys.argv[3] if len(sys.argv) > 3 else ''
pwd = sys.argv[4].encode() if len(sys.argv) > 4 else None
with zipfile.ZipFile(package) as z:
    for info in z.infolist():
        print(info.filename)
        if not info.filename.isascii():
            assert info.flag_bits & 0x800, 'no UTF-8 flag on ' + info.filename
        assert pwd or info.date_time == (1980, 1, 1, 0, 0, 0), 'date of ' + info.filename
        assert info.external_attr >> 16 == (0o40755 if info.is_dir() else 0o100644), 'mode of ' + info.filename
        if info.is_dir():
            continue
        assert info.compress_type == zipfile.ZIP_DEFLATED, info.filename
        path = root + '/' + prefix + info.filename
        with open(path, 'rb') as f:
            assert z.read(info, pwd=pwd) == f.read(), 'different bytes in ' + info.filename
)";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string shellQuoted(const std::string& s) { return "'" + s + "'"; }

bool havePython() { return kx::test::haveCommand("python3"); }

}  // namespace

TEST(PackageZip, IndependentReadersListAndExtractTheSameBytes) {
    if (!havePython() || !kx::test::haveCommand("unzip")) GTEST_SKIP() << "python3 or unzip not installed";
    std::string root = makeWorkFolder("package-readers");
    std::string out = pathJoin(kx::test::tempDir(), "readers.docx");
    std::vector<std::string> items = {pathJoin(root, "_rels"), pathJoin(root, "[Content_Types].xml"),
                                      pathJoin(root, "docProps"), pathJoin(root, "word"),
                                      pathJoin(root, "customXml")};
    KXError error;
    ASSERT_TRUE(KXOutputWriter::CreateZipFileAtPath(out, items, &error)) << error.failureReason;

    std::string script = kx::test::writeTemp("check-package.py", kCheckScript);
    std::string listing;
    ASSERT_EQ(kx::test::runCommand("python3 " + shellQuoted(script) + " " + shellQuoted(out) + " " + shellQuoted(root), &listing), 0)
        << listing;
    // Items in the order given, each folder's contents in sorted order; folders with contents have
    // no entry of their own, empty ones do.
    std::vector<std::string> want = {"_rels/.rels",       "[Content_Types].xml",
                                     "docProps/app.xml",  "docProps/core.xml",
                                     kNestedUtf8,         "word/document.xml",
                                     "word/embeddings/big.bin", "word/media/",
                                     "customXml/"};
    EXPECT_EQ(lines(listing), want);

    std::string report;
    EXPECT_EQ(kx::test::runCommand("unzip -t " + shellQuoted(out), &report), 0) << report;
    EXPECT_NE(report.find("No errors detected"), std::string::npos) << report;

    std::string extracted = pathJoin(kx::test::tempDir(), "package-extracted");
    kx::removeAll(extracted);
    ASSERT_EQ(kx::test::runCommand("LC_ALL=C.UTF-8 unzip -q " + shellQuoted(out) + " -d " + shellQuoted(extracted), &report), 0)
        << report;
    for (const std::string& entry : want) {
        if (entry.back() == '/') {
            EXPECT_TRUE(kx::isDirectory(pathJoin(extracted, entry))) << entry;
            continue;
        }
        std::optional<std::string> a = kx::readFile(pathJoin(extracted, entry)), b = kx::readFile(pathJoin(root, entry));
        ASSERT_TRUE(a.has_value()) << "unzip did not extract " << entry;
        EXPECT_TRUE(a == b) << entry;
    }
}

TEST(PackageZip, EntriesRelativeToTheFolderAndTheArchiveItselfSkipped) {
    if (!havePython()) GTEST_SKIP() << "python3 not installed";
    std::string root = makeWorkFolder("package-relative");
    // The destination lies inside the folder being zipped, with an old package already there.
    std::string out = pathJoin(root, "word/out.docx");
    ASSERT_TRUE(kx::writeFile(out, "old package"));
    ASSERT_TRUE(KXOutputWriter::CreateZipFileAtPath(out, {pathJoin(root, "word")}, false, -1, std::nullopt, false,
                                                    nullptr));
    std::string script = kx::test::writeTemp("check-package.py", kCheckScript);
    std::string listing;
    ASSERT_EQ(kx::test::runCommand("python3 " + shellQuoted(script) + " " + shellQuoted(out) + " " + shellQuoted(root) + " word/",
                                   &listing),
              0)
        << listing;
    std::vector<std::string> want = {kNestedUtf8.substr(5), "document.xml", "embeddings/big.bin", "media/"};
    EXPECT_EQ(lines(listing), want);
}

TEST(PackageZip, PasswordProtectedEntries) {
    if (!havePython()) GTEST_SKIP() << "python3 not installed";
    std::string root = makeWorkFolder("package-password");
    std::string out = pathJoin(kx::test::tempDir(), "password.zip");
    ASSERT_TRUE(KXOutputWriter::CreateZipFileAtPath(out, {pathJoin(root, "docProps")}, true, 9,
                                                    std::string("secret"), false, nullptr));
    std::string script = kx::test::writeTemp("check-package.py", kCheckScript);
    std::string listing;
    EXPECT_EQ(kx::test::runCommand("python3 " + shellQuoted(script) + " " + shellQuoted(out) + " " + shellQuoted(root) + " '' secret",
                                   &listing),
              0)
        << listing;
    EXPECT_NE(kx::test::runCommand("python3 " + shellQuoted(script) + " " + shellQuoted(out) + " " + shellQuoted(root) + " '' wrong",
                                   &listing),
              0);
}

namespace {

// Markup whose size after deflate tells the level it was deflated at: zlib's levels 3, 6 and 9 give
// sizes a tenth apart.
std::string levelSensitiveMarkup(std::size_t size) {
    const std::string run = "<w:r><w:t>Hello world</w:t></w:r>";
    std::string text(size, ' ');
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        text[i] = (x >> 16) % 4 == 0 ? static_cast<char>('a' + (x >> 8) % 26) : run[i % run.size()];
    }
    return text;
}

// For each entry: deflated, flagged as deflated at the normal level, and, for entries of more than
// 64 KB, of the size zlib's default level gives rather than that of level 3 or 9.
const char* kLevelScript = R"(
import sys, zipfile, zlib
with zipfile.ZipFile(sys.argv[1]) as z:
    for info in z.infolist():
        print(info.filename)
        assert info.compress_type == zipfile.ZIP_DEFLATED, 'not deflated: ' + info.filename
        assert (info.flag_bits >> 1) & 3 == 0, 'not at the normal level: ' + info.filename
        data = z.read(info)
        if len(data) > 65536:
            sizes = {}
            for level in (3, 6, 9):
                c = zlib.compressobj(level, zlib.DEFLATED, -15)
                sizes[level] = len(c.compress(data) + c.flush())
            nearest = min(sizes, key=lambda level: abs(sizes[level] - info.compress_size))
            assert nearest == 6, '%s: %d bytes, at levels 3, 6, 9: %s' % (info.filename, info.compress_size, sizes)
)";

}  // namespace

// Every entry of a package is deflated at zlib's default level, pictures included, whether the
// package is put together from its registered parts or zipped from a work folder.
TEST(PackageZip, EveryEntryPicturesIncludedIsDeflatedAtZlibsDefaultLevel) {
    if (!havePython()) GTEST_SKIP() << "python3 not installed";
    const std::string markup = levelSensitiveMarkup(300000);
    const std::string largeMarkup = levelSensitiveMarkup(1536 * 1024 + 3);  // deflated in blocks
    std::string picture = "\x89PNG\r\n\x1A\n";
    for (int i = 0; i < 4000; ++i) picture += static_cast<char>(i % 7 == 0 ? i * 31 : 0);
    const char* pictures[] = {"png", "jpeg", "jpg", "gif", "jp2", "PNG"};
    const std::string script = kx::test::writeTemp("check-levels.py", kLevelScript);

    // From registered parts.
    {
        const std::string out = pathJoin(kx::test::tempDir(), "levels-parts.docx");
        KXOutputWriter writer;
        ASSERT_TRUE(writer.initWorkFolder(out));
        ASSERT_TRUE(writer.addPartFromFile("/word/document.xml", "application/xml",
                                           kx::test::writeTemp("levels-document.xml", markup)));
        ASSERT_TRUE(writer.addPartWithBytes("/word/large.xml", "application/xml", largeMarkup));
        for (const char* extension : pictures) {
            const std::string name = std::string("/word/media/image.") + extension;
            ASSERT_TRUE(writer.addMediaPart(name, kx::test::writeTemp(std::string("levels-image.") + extension, picture)))
                << name;
        }
        KXError error;
        ASSERT_TRUE(writer.finishPackage(&error)) << error.failureReason;
        std::string listing;
        EXPECT_EQ(kx::test::runCommand("python3 " + shellQuoted(script) + " " + shellQuoted(out), &listing), 0) << listing;
        EXPECT_NE(listing.find("word/media/image.jpeg"), std::string::npos) << listing;
    }
    // From a work folder.
    {
        const std::string root = pathJoin(kx::test::tempDir(), "levels-folder");
        kx::removeAll(root);
        kx::createDirectories(pathJoin(root, "word/media"));
        ASSERT_TRUE(kx::writeFile(pathJoin(root, "[Content_Types].xml"), "<Types/>"));
        ASSERT_TRUE(kx::writeFile(pathJoin(root, "word/document.xml"), markup));
        ASSERT_TRUE(kx::writeFile(pathJoin(root, "word/large.xml"), largeMarkup));
        for (const char* extension : pictures)
            ASSERT_TRUE(kx::writeFile(pathJoin(root, std::string("word/media/image.") + extension), picture));
        const std::string out = pathJoin(kx::test::tempDir(), "levels-folder.docx");
        KXError error;
        ASSERT_TRUE(KXOutputWriter::CreateZipFileAtPath(
            out, {pathJoin(root, "[Content_Types].xml"), pathJoin(root, "word")}, &error))
            << error.failureReason;
        std::string listing;
        EXPECT_EQ(kx::test::runCommand("python3 " + shellQuoted(script) + " " + shellQuoted(out), &listing), 0) << listing;
        EXPECT_NE(listing.find("word/media/image.gif"), std::string::npos) << listing;
    }
}
