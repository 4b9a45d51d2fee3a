// Package zipping: failures are reported and leave no package behind; the same parts give the same
// bytes. (What the packages hold is checked with independent readers in integration/.)

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/KXOutputWriter.h"
#include "ooxml/XMLFileWriter.h"
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

// --- Packages built part by part ------------------------------------------------------------------

namespace {

const std::string kW(KXOpenXMLNameSpace::nameSpace_w());
const std::string kDocumentType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
// The first bytes of a PNG file: the package does not look inside its pictures.
const std::string kPictureBytes = std::string("\x89PNG\r\n\x1a\n", 8) + "picture";

// A small word-processing package: a document part with a picture, core properties, and the
// package's own relationships. A part that cannot be created is left out, as a writer would.
void buildPackage(KXOutputWriter& out, const std::string& picture) {
    if (auto doc = out.createXMLPart("/word/document.xml", kDocumentType)) {
        doc->setPrefix("w", kW);
        doc->writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
        doc->writeStartElementWithNamespace(kW, "document");
        doc->writeStartElementWithNamespace(kW, "body");
        doc->writeStartElementWithNamespace(kW, "p");
        doc->writeStartElementWithNamespace(kW, "r");
        doc->writeStartElementWithNamespace(kW, "t");
        doc->writeCharacters(u"Hello");
        out.endXMLPart(*doc);
    }
    out.addPartWithBytes("/docProps/core.xml", KXPartRegistry::contentType_CoreProperties(),
                         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                         "<cp:coreProperties xmlns:cp=\"" +
                             std::string(KXOpenXMLNameSpace::nameSpace_cp()) + "\"/>");
    if (auto settings = out.createXMLPartInMemory("/word/settings.xml", "application/xml")) {
        settings->writeStartDocument();
        settings->writeStartElement("settings");
        out.endXMLPart(*settings);
    }
    out.addMediaPart("/word/media/image1.png", picture);
    KXPartRegistry& parts = out.parts();
    parts.addRelationship("/", KXOpenXMLNameSpace::nameSpace_Rels_OfficeDocument(), "word/document.xml");
    parts.addRelationship("/", KXOpenXMLNameSpace::nameSpace_Rels_CoreProperties(), "docProps/core.xml");
    parts.findOrAddRelationship("/word/document.xml", KXOpenXMLNameSpace::nameSpace_Rels_Image(), "media/image1.png");
}

// The name of the archive's first entry (its local header holds the name from byte 30 on).
std::string firstEntryName(const std::string& zip) {
    if (zip.size() < 30) return {};
    size_t length = static_cast<unsigned char>(zip[26]) | static_cast<unsigned char>(zip[27]) << 8;
    return zip.substr(30, length);
}

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (previous_)
            setenv("TZ", previous_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> previous_;
};

}  // namespace

TEST(KXOutputWriterPackage, TheSamePartsGiveTheSameBytes) {
    namespace fs = std::filesystem;
    std::string picture = kx::test::writeTemp("same-bytes.png", kPictureBytes);
    std::string bytes[2];
    const char* zones[2] = {"UTC", "Asia/Kathmandu"};
    for (int run = 0; run < 2; ++run) {
        // Another day, another time zone, another work folder: the package does not change.
        fs::last_write_time(picture, fs::file_time_type::clock::now() - std::chrono::hours(24 * 400 * run));
        ScopedTimeZone zone(zones[run]);
        std::string out = kx::pathJoin(kx::test::tempDir(), "same-bytes-" + std::to_string(run) + ".docx");
        KXOutputWriter writer;
        ASSERT_TRUE(writer.initWorkFolder(out));
        buildPackage(writer, picture);
        KXError error;
        ASSERT_TRUE(writer.finishPackage(&error)) << error.failureReason;
        bytes[run] = kx::readFile(out).value_or("");
    }
    ASSERT_FALSE(bytes[0].empty());
    EXPECT_TRUE(bytes[0] == bytes[1]) << "two runs on the same parts gave different packages";
    EXPECT_EQ(firstEntryName(bytes[0]), "[Content_Types].xml");
}

TEST(KXOutputWriterPackage, SmallPartsAreZippedFromMemoryWithoutFiles) {
    // The same parts, once as files and once in memory, give the same package; the parts kept in
    // memory make no file in the work folder.
    const std::string xml = "<?xml version=\"1.0\" ?>\n<settings/>";
    std::string bytes[2];
    for (int inMemory = 0; inMemory < 2; ++inMemory) {
        std::string out = kx::pathJoin(kx::test::tempDir(), "memory-" + std::to_string(inMemory) + ".docx");
        KXOutputWriter writer;
        ASSERT_TRUE(writer.initWorkFolder(out));
        auto w = inMemory ? writer.createXMLPartInMemory("/word/settings.xml", "application/xml")
                          : writer.createXMLPart("/word/settings.xml", "application/xml");
        ASSERT_TRUE(w);
        w->writeStartDocument();
        w->writeStartElement("settings");
        ASSERT_TRUE(writer.endXMLPart(*w));
        if (inMemory) {
            ASSERT_TRUE(writer.addPartWithBytes("/word/styles.xml", "application/xml", xml));
            EXPECT_FALSE(kx::fileExists(writer.pathForPart("/word/settings.xml")));
            EXPECT_FALSE(kx::fileExists(writer.pathForPart("/word/styles.xml")));
        } else {
            ASSERT_TRUE(writer.addPartFromFile("/word/styles.xml", "application/xml",
                                               kx::test::writeTemp("memory-styles.xml", xml)));
        }
        writer.parts().addRelationship("/", "http://example.com/settings", "word/settings.xml");
        KXError error;
        ASSERT_TRUE(writer.finishPackage(&error)) << error.failureReason;
        bytes[inMemory] = kx::readFile(out).value_or("");
    }
    ASSERT_FALSE(bytes[0].empty());
    EXPECT_TRUE(bytes[0] == bytes[1]) << "parts kept in memory changed the package";
}

TEST(KXOutputWriterPackage, FailuresLeaveNoPackageAndNoWorkFolder) {
    struct Case {
        const char* what;
        std::function<void(KXOutputWriter&)> before;  // runs before the package is built
        std::function<void(KXOutputWriter&)> after;   // runs after it
        bool destinationFolderMissing;
        int code;
        std::string reason;
    };
    const Case cases[] = {
        {"a relationship to a part that was never written", nullptr,
         [](KXOutputWriter& w) {
             w.parts().addRelationship("/word/document.xml", KXOpenXMLNameSpace::nameSpace_Rels_Theme(),
                                       "theme/theme1.xml");
         },
         false, KXOutputWriter::kInconsistentPackage, "points at a missing part /word/theme/theme1.xml"},
        {"a part whose file cannot be created",
         [](KXOutputWriter& w) { kx::writeFile(kx::pathJoin(w.savedWorkFolder(), "word"), "a file where a folder goes"); },
         nullptr, false, KXOutputWriter::kCannotWrite, "Can't create the part /word/document.xml."},
        {"a part whose writes fail",
         [](KXOutputWriter& w) {
             if (!kx::fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
             std::string file = w.pathForPart("/word/document.xml");
             kx::createDirectories(kx::pathDirectory(file));
             std::filesystem::create_symlink("/dev/full", file);
         },
         nullptr, false, KXOutputWriter::kCannotWrite, "Can't write the part /word/document.xml."},
        {"a part registered but removed from the work folder", nullptr,
         [](KXOutputWriter& w) { kx::removeFile(w.pathForPart("/word/media/image1.png")); }, false,
         KXOutputWriter::kInconsistentPackage, "The part /word/media/image1.png was not written."},
        {"a part kept in memory but never ended", nullptr,
         [](KXOutputWriter& w) { w.createXMLPartInMemory("/word/settings.xml", "application/xml"); }, false,
         KXOutputWriter::kInconsistentPackage, "The part /word/settings.xml was not written."},
        {"a destination folder that does not exist", nullptr, nullptr, true, KXOutputWriter::kCannotWrite,
         "Can't create the package"},
    };
    std::string picture = kx::test::writeTemp("failures.png", kPictureBytes);
    int n = 0;
    for (const Case& c : cases) {
        std::string folder = kx::pathJoin(kx::test::tempDir(), "failure-" + std::to_string(++n));
        kx::createDirectories(folder);
        std::string out = kx::pathJoin(c.destinationFolderMissing ? kx::pathJoin(folder, "missing") : folder, "out.docx");
        if (!c.destinationFolderMissing) kx::writeFile(out, "the package of an earlier run");
        KXOutputWriter writer;
        ASSERT_TRUE(writer.initWorkFolder(out)) << c.what;
        const std::string work = writer.savedWorkFolder();
        if (c.before) c.before(writer);
        buildPackage(writer, picture);
        if (c.after) c.after(writer);
        KXError error;
        EXPECT_FALSE(writer.finishPackage(&error)) << c.what;
        EXPECT_EQ(error.domain, "KXOutputWriter") << c.what;
        EXPECT_EQ(error.code, c.code) << c.what << ": " << error.failureReason;
        EXPECT_NE(error.failureReason.find(c.reason), std::string::npos) << c.what << ": " << error.failureReason;
        if (c.destinationFolderMissing)
            EXPECT_FALSE(kx::fileExists(out)) << c.what;
        else
            EXPECT_EQ(kx::readFile(out), "the package of an earlier run") << c.what;
        EXPECT_FALSE(kx::fileExists(work)) << c.what << ": the work folder stays";
    }
}

TEST(KXOutputWriterPackage, WorkFolderAndFilesBroughtIn) {
    std::string parent = kx::pathJoin(kx::test::tempDir(), "work-parent");
    kx::createDirectories(parent);
    std::string work1, work2, ownFolder;
    {
        KXOutputWriter a, b;
        ASSERT_TRUE(a.initWorkFolder("/some/where/report.pptx", parent));
        ASSERT_TRUE(b.initWorkFolder("/else/where/report.pptx", parent));
        work1 = a.savedWorkFolder();
        work2 = b.savedWorkFolder();
        // Named after the destination, made unique, created.
        EXPECT_EQ(kx::pathFileName(work1), "report.pptx");
        EXPECT_NE(work1, work2);
        EXPECT_TRUE(kx::isDirectory(work1) && kx::isDirectory(work2));
        EXPECT_EQ(a.savedFilePath(), "/some/where/report.pptx");
        EXPECT_EQ(a.pathForPart("ppt/slides/slide1.xml"), work1 + "/ppt/slides/slide1.xml");
        EXPECT_EQ(a.pathForPart("/ppt/../x"), "");

        // Files brought into the package: copied, or moved; a picture needs a known extension.
        std::string source = kx::test::writeTemp("brought-in.png", kPictureBytes);
        EXPECT_TRUE(a.addMediaPart("/ppt/media/image1.png", source));
        EXPECT_TRUE(kx::fileExists(source));
        EXPECT_TRUE(a.addMediaPart("/ppt/media/image2.PNG", source, true));
        EXPECT_FALSE(kx::fileExists(source));
        EXPECT_EQ(kx::readFile(a.pathForPart("/ppt/media/image2.PNG")), kPictureBytes);
        EXPECT_EQ(a.parts().contentTypeOf("/ppt/media/image2.PNG"), "image/png");
        std::string tga = kx::test::writeTemp("brought-in.tga", "tga");
        EXPECT_FALSE(a.addMediaPart("/ppt/media/image3.tga", tga));
        EXPECT_FALSE(a.addPartFromFile("/ppt/theme/theme1.xml", KXPartRegistry::contentType_Theme(),
                                       kx::pathJoin(parent, "no-such-theme.xml")));
        EXPECT_EQ(a.parts().parts().size(), 2u);

        KXOutputWriter c;
        ASSERT_TRUE(c.initWorkFolder("out.xlsx"));
        ownFolder = kx::pathDirectory(c.savedWorkFolder());
        EXPECT_TRUE(kx::isDirectory(ownFolder));
    }
    // A writer that never finished (a cancelled conversion) leaves nothing behind.
    EXPECT_FALSE(kx::fileExists(work1));
    EXPECT_FALSE(kx::fileExists(work2));
    EXPECT_FALSE(kx::fileExists(ownFolder));
    EXPECT_TRUE(kx::isDirectory(parent));
}
