// The page-image exporter through the engine: file names by output position, image types by key,
// the destination folder, and failed pages.

#include <gtest/gtest.h>

#include "EngineHarness.h"
#include "engine/KXImagePDFExporter.h"
#include "platform/FileSystem.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using namespace kx;
using namespace kx::test;

namespace {

// Three pages told apart by their widths: 100, 200 and 300 points (at 72 dpi: as many pixels).
const std::string& threeWidths() {
    static const std::string path = [] {
        PDFBuilder b;
        for (int w : {100, 200, 300}) b.addPage("0 g 10 10 20 20 re f", "<< >>", "/MediaBox [0 0 " + std::to_string(w) + " 50]");
        return writeTemp("three-widths.pdf", b.build());
    }();
    return path;
}

std::string freshFolder(const std::string& name) { return pathJoin(tempDir(), name + "-" + newUUIDString()); }

// PNG width from the file's header.
int pngWidth(const std::string& path) {
    std::string d = readFile(path).value_or("");
    if (d.size() < 24 || d.compare(1, 3, "PNG") != 0) return -1;
    auto b = [&](size_t i) { return static_cast<unsigned char>(d[i]); };
    return (b(16) << 24) | (b(17) << 16) | (b(18) << 8) | b(19);
}

// The page-image exporter that asks the engine to stop after its first page.
class CancellingImageExporter : public KXImagePDFExporter {
public:
    explicit CancellingImageExporter(KXDocuvane& engine) : engine_(engine) {}
    bool convertPDFPage(const kx::PDFPage& page) override {
        const bool ok = KXImagePDFExporter::convertPDFPage(page);
        engine_.stopConvertsionIfNeed();
        return ok;
    }

private:
    KXDocuvane& engine_;
};

class ImageExporterTest : public ::testing::Test {
protected:
    // The page-image row of the exporter table, without the families above the engine.
    ScopedExporterChoice imageRow{{&KXImagePDFExporter::supportType, [] {
                                       return std::unique_ptr<KXPDFExporter>(std::make_unique<KXImagePDFExporter>());
                                   }}};
    RecordingDelegate delegate;
    KXDocuvane engine;
    std::shared_ptr<KXPDFOptions> options = std::make_shared<KXPDFOptions>();

    void SetUp() override {
        engine.setDelegate(&delegate);
        options->imageOptions().setDpi(72);
    }
    void convert(std::vector<std::uint64_t> pages, const std::string& key, const std::string& dest,
                 const std::string& pdf = threeWidths()) {
        delegate.reports.clear();
        engine.convertPDFAtPath(pdf, "", std::move(pages), key, dest, options);
        ASSERT_TRUE(runUntilEnd(delegate));
        EXPECT_FALSE(delegate.last().error);
    }
};

}  // namespace

TEST(KXImagePDFExporterTypes, SupportTypeTakesTheImageKeysInAnyCase) {
    for (const char* key : {"jpg", "JPG", "jpeg", "png", "Png", "bmp", "gif", "tiff", "tga", "jp2"})
        EXPECT_TRUE(KXImagePDFExporter::supportType(key)) << key;
    for (const char* key : {"", "pdf", "tif", "docx", "jpg ", "j2k"}) EXPECT_FALSE(KXImagePDFExporter::supportType(key)) << key;
}

// Files are numbered by output position, not by page number.
TEST_F(ImageExporterTest, NamesFollowTheOutputPosition) {
    std::string dest = freshFolder("order");
    convert({3, 1}, "png", dest);
    EXPECT_EQ(listDirectory(dest), (std::vector<std::string>{"IMG_00001.png", "IMG_00002.png"}));
    EXPECT_EQ(pngWidth(pathJoin(dest, "IMG_00001.png")), 300);
    EXPECT_EQ(pngWidth(pathJoin(dest, "IMG_00002.png")), 100);
}

TEST_F(ImageExporterTest, KeysChooseTheTypeAndTheExtension) {
    struct Case {
        const char* key;
        const char* file;
        std::string signature;
    } cases[] = {
        {"JPG", "IMG_00001.jpg", "\xFF\xD8\xFF"},
        {"jpeg", "IMG_00001.jpeg", "\xFF\xD8\xFF"},
        {"png", "IMG_00001.png", "\x89PNG"},
        {"bmp", "IMG_00001.bmp", "BM"},
        {"gif", "IMG_00001.gif", "GIF8"},
        {"tiff", "IMG_00001.tiff", "II*"},
        {"jp2", "IMG_00001.jp2", std::string("\0\0\0\x0CjP", 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        std::string dest = freshFolder("types");
        convert({1}, c.key, dest);
        EXPECT_EQ(listDirectory(dest), (std::vector<std::string>{c.file}));
        EXPECT_EQ(readFile(pathJoin(dest, c.file)).value_or("").substr(0, c.signature.size()), c.signature);
    }
}

TEST_F(ImageExporterTest, NamesLoseReservedCharactersAndDoNotOverwrite) {
    std::string dest = freshFolder("names");
    options->imageOptions().setImageName("a/b?c%d*e|f\"g<h>i\\j");
    convert({1}, "png", dest);
    EXPECT_EQ(listDirectory(dest), (std::vector<std::string>{"abcdefghij_00001.png"}));

    options->imageOptions().setImageName("IMG");
    convert({1, 2}, "png", dest);
    convert({2}, "png", dest);
    EXPECT_EQ(listDirectory(dest), (std::vector<std::string>{"IMG_00001.png", "IMG_000012.png", "IMG_00002.png",
                                                             "abcdefghij_00001.png"}));
    EXPECT_EQ(pngWidth(pathJoin(dest, "IMG_000012.png")), 200);
}

TEST_F(ImageExporterTest, TheDestinationFolderIsCreatedWithItsParents) {
    std::string dest = pathJoin(freshFolder("parents"), "a/b/c");
    convert({2}, "png", dest);
    EXPECT_EQ(listDirectory(dest), (std::vector<std::string>{"IMG_00001.png"}));
}

TEST_F(ImageExporterTest, ResolutionComesFromTheImageOptions) {
    std::string dest = freshFolder("dpi");
    options->imageOptions().setDpi(144);
    convert({1}, "png", dest);
    EXPECT_EQ(pngWidth(pathJoin(dest, "IMG_00001.png")), 200);
}

// A page whose bitmap cannot be made, or whose file cannot be written, is a failed page; its number
// stays unused, so that the n-th requested page is always the n-th file.
TEST_F(ImageExporterTest, PagesThatCannotBeDrawnOrWrittenFail) {
    PDFBuilder b;
    b.addPage("", "<< >>", "/MediaBox [0 0 100 50]");
    b.addPage("", "<< >>", "/MediaBox [0 0 200000 50]");
    b.addPage("", "<< >>", "/MediaBox [0 0 300 50]");
    std::string pdf = writeTemp("too-wide.pdf", b.build());
    std::string dest = freshFolder("too-wide");
    testing::internal::CaptureStderr();
    convert({1, 2, 3}, "png", dest, pdf);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Context not created!\n");
    auto failed = delegate.ofKind("failed");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].a, 2u);
    EXPECT_EQ(failed[0].error->failureReason, "Can't convert the PDF Page.(2)");
    EXPECT_EQ(listDirectory(dest), (std::vector<std::string>{"IMG_00001.png", "IMG_00003.png"}));
    EXPECT_EQ(pngWidth(pathJoin(dest, "IMG_00003.png")), 300);

    // A file where the destination folder should be.
    std::string blocked = writeTemp("blocked-destination", "a file");
    convert({1}, "png", blocked);
    EXPECT_EQ(delegate.ofKind("failed").size(), 1u);
    EXPECT_EQ(readFile(blocked), "a file");
}

// A cancelled conversion takes back the files it wrote, and the folder it made; what was in the
// folder before stays.
TEST_F(ImageExporterTest, ACancelledConversionLeavesNoFileOfItsOwn) {
    for (bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "into a folder with a file in it" : "into a new folder");
        std::string dest = freshFolder("cancel");
        if (existing) {
            createDirectories(dest);
            writeFile(pathJoin(dest, "IMG_00001.png"), "mine");
        }
        // The image exporter itself, asking for the cancel once its first page is written.
        ScopedExporterChoice cancelling{{[](const std::string& key) { return key == "png"; },
                                                 [this] {
                                                     return std::make_unique<CancellingImageExporter>(engine);
                                                 }}};
        delegate.reports.clear();
        engine.convertPDFAtPath(threeWidths(), "", {1, 2, 3}, "png", dest, options);
        ASSERT_TRUE(runUntilEnd(delegate));
        EXPECT_EQ(delegate.ofKind("converted").size(), 1u);
        ASSERT_TRUE(delegate.last().error);
        EXPECT_EQ(delegate.last().error->code, 406);
        if (existing) {
            EXPECT_EQ(listDirectory(dest), (std::vector<std::string>{"IMG_00001.png"}));
            EXPECT_EQ(readFile(pathJoin(dest, "IMG_00001.png")), "mine");
        } else {
            EXPECT_FALSE(fileExists(dest));
        }
    }
}

// Damaged files: a wrong cross-reference table is repaired and the page drawn; a file cut short or
// a page whose content is garbage ends in a report, never a crash.
TEST_F(ImageExporterTest, DamagedDocumentsConvertOrFailCleanly) {
    PDFBuilder good;
    good.addPage("0 g 10 10 20 20 re f", "<< >>", "/MediaBox [0 0 100 50]");
    good.addPage("0 g 10 10 20 20 re f", "<< >>", "/MediaBox [0 0 200 50]");
    const std::string bytes = good.build();
    PDFBuilder broken;
    broken.addPage("0 g 10 10 20 20 re f", "<< >>", "/MediaBox [0 0 100 50]");
    broken.setBrokenXref(true);
    PDFBuilder garbage;
    garbage.addPage("q q q 1 0 0 1 (x) cm ] >> BT /NoFont 12 Tf (text) Tj ET Q Q Q Q Q re f", "<< >>",
                    "/MediaBox [0 0 100 50]");
    struct Case {
        const char* name;
        std::string data;
        size_t converted;
    } cases[] = {
        {"broken cross-reference table", broken.build(), 1},
        {"cut short", bytes.substr(0, bytes.size() * 6 / 10), 0},
        {"garbage content", garbage.build(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string pdf = writeTemp(std::string("damaged-") + c.name + ".pdf", c.data);
        delegate.reports.clear();
        engine.convertPDFAtPath(pdf, "", {1}, "png", freshFolder("damaged"), options);
        ASSERT_TRUE(runUntilEnd(delegate));
        EXPECT_EQ(delegate.ofKind("end").size(), 1u);
        if (c.converted) {
            EXPECT_EQ(delegate.ofKind("converted").size(), c.converted);
        }
    }
}
