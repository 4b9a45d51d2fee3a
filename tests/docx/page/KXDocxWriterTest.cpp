// The DOCX package writer: the relationship ids of pictures, the document part of pages made from
// synthetic runs (bookmarks, the body's own section properties, no foreign elements in the body),
// failures that leave no file behind, and the package against the schemas when the checker is
// there.

#include <gtest/gtest.h>

#include <filesystem>

#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPage.h"
#include "docx/page/KXDocxWriter.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "support/ImageFixtures.h"
#include "support/TestSupport.h"
#include "util/KXPictureStore.h"
#include "util/KXWriteCGImageToURL.h"

namespace {

std::shared_ptr<KXDocxRunText> word(const std::u16string& text, double x, double yBase, std::uint64_t scan) {
    auto run = std::make_shared<KXDocxRunText>();
    run->setRunText(text);
    KXPDF_CTMInfo g;
    g.yBase = yBase;
    g.yTop = yBase - 8;
    g.yBottom = yBase + 2;
    g.xLeft = x;
    g.xRight = x + 6.0 * text.size();
    g.frame = kx::Rect(x, g.yTop, g.xRight - x, 10);
    g.fontSize = {10, 10};
    run->setCtmInfo(g);
    run->setTextWidth(g.xRight - x);
    run->setSpaceWidth(3);
    run->setPdfScanIndex(scan);
    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    r.rFonts = {"Liberation Serif", "Liberation Serif", "Liberation Serif", "Liberation Serif"};
    r.rFonts_replace = r.rFonts;
    r.sz = r.szCs = 10;
    run->setRProperty(r);
    return run;
}

// A page of a few lines of words.
void fillPage(KXDocxPage& page, int lines) {
    std::uint64_t scan = 0;
    for (int l = 0; l < lines; ++l)
        for (int w = 0; w < 5; ++w)
            page.allRunTextArray().push_back(word(u"word" + std::u16string(1, char16_t(u'a' + w)), 72 + 40.0 * w,
                                                  100 + 14.0 * l, scan++));
}

std::string unzipPart(const std::string& package, const std::string& part) {
    std::string out;
    std::string pattern;  // unzip reads names as patterns: brackets stand for themselves only escaped
    for (char c : part) {
        if (c == '[' || c == ']') pattern.push_back('\\');
        pattern.push_back(c);
    }
    if (kx::test::runCommand("unzip -p '" + package + "' '" + pattern + "'", &out) != 0) return {};
    return out;
}

std::string output(const std::string& name) {
    std::string path = kx::pathJoin(kx::test::tempDir(), name);
    kx::removeAll(path);
    return path;
}

}  // namespace

TEST(KXDocxWriter, PictureRelationshipIds) {
    KXDocxWriter writer(output("ids.docx"), 1);
    writer.begainWriteDocument();
    ASSERT_FALSE(writer.hasFailed());
    // The media writer reads the format from the content: each file starts as a PNG does.
    const std::string png("\x89PNG\r\n\x1a\n", 8);
    const std::string a = kx::test::writeTemp("a.png", png), b = kx::test::writeTemp("b.png", png);
    const std::string c = kx::test::writeTemp("c.png", png);
    EXPECT_EQ(writer.collectImageWithPath(a), "rId6") << "after the five parts every document has";
    EXPECT_EQ(writer.collectImageWithPath(b), "rId7");
    EXPECT_EQ(writer.collectImageWithPath(a), "rId6") << "the same picture twice";
    writer.removeCollectedImageWithPath(a);
    writer.removeCollectedImageWithPath("/never/collected.png");
    EXPECT_EQ(writer.collectImageWithPath(b), "rId7") << "a removal leaves the earlier ids";
    EXPECT_EQ(writer.collectImageWithPath(c), "rId8");
}

TEST(KXDocxWriter, WritesPagesIntoOnePackage) {
    const std::string path = output("pages.docx");
    KXDocxWriter writer(path, 2);
    writer.begainWriteDocument();
    ASSERT_FALSE(writer.hasFailed());
    for (int page = 0; page < 2; ++page) {
        writer.begainWritePage({612, 792}, 7);  // the same PDF page twice
        ASSERT_TRUE(writer.currentPage());
        EXPECT_EQ(writer.currentPage()->isFirstPage(), page == 0);
        EXPECT_EQ(writer.currentPage()->isLastPage(), page == 1);
        fillPage(*writer.currentPage(), 3);
        writer.endWritePage();
    }
    ASSERT_TRUE(writer.packetZipFileIfNeed()) << writer.failureError().failureReason;
    const std::string document = unzipPart(path, "word/document.xml");
    ASSERT_FALSE(document.empty());
    EXPECT_NE(document.find("w:bookmarkStart w:id=\"7\" w:name=\"7\""), std::string::npos);
    EXPECT_NE(document.find("w:name=\"7_2\""), std::string::npos) << "a page written twice keeps its bookmark unique";
    EXPECT_EQ(document.find("docPr"), std::string::npos);
    const size_t bodyEnd = document.find("</w:body>");
    const size_t lastSect = document.rfind("<w:sectPr>");
    ASSERT_NE(lastSect, std::string::npos);
    EXPECT_EQ(document.find("</w:p>", lastSect), std::string::npos) << "the body ends with its own section properties";
    EXPECT_LT(lastSect, bodyEnd);
    EXPECT_NE(document.find("wordd"), std::string::npos);
    const std::string app = unzipPart(path, "docProps/app.xml");
    EXPECT_NE(app.find("<Application>Docuvane</Application>"), std::string::npos) << app;
    EXPECT_NE(unzipPart(path, "word/fontTable.xml").find("w:charset w:val=\"00\""), std::string::npos);
    EXPECT_NE(unzipPart(path, "word/settings.xml").find("<w:view w:val=\"print\"/>"), std::string::npos);
    for (const char* part : {"word/styles.xml", "word/theme/theme1.xml", "word/webSettings.xml", "[Content_Types].xml",
                             "_rels/.rels", "word/_rels/document.xml.rels", "docProps/core.xml"})
        EXPECT_FALSE(unzipPart(path, part).empty()) << part;

    if (const std::optional<std::string> validator = kx::test::sharedTool("ooxml-validate")) {
        std::string report;
        EXPECT_EQ(kx::test::runCommand("'" + *validator + "' '" + path + "'", &report), 0) << report;
    }
}

TEST(KXDocxWriter, TheBodyEndsWithTheLastWrittenSectionWhenTheLastPageIsMissing) {
    const std::string path = output("missing-last.docx");
    KXDocxWriter writer(path, 3);  // three pages asked for, the last one never comes
    writer.begainWriteDocument();
    ASSERT_FALSE(writer.hasFailed());
    for (int page = 0; page < 2; ++page) {
        writer.begainWritePage({300, 400}, page + 1);
        fillPage(*writer.currentPage(), 2);
        writer.endWritePage();
    }
    ASSERT_TRUE(writer.packetZipFileIfNeed());
    const std::string document = unzipPart(path, "word/document.xml");
    const size_t lastSect = document.rfind("<w:sectPr>");
    ASSERT_NE(lastSect, std::string::npos);
    EXPECT_EQ(document.find("</w:p>", lastSect), std::string::npos) << document.substr(lastSect);
    EXPECT_NE(document.find("w:w=\"6000\" w:h=\"8000\"", lastSect), std::string::npos) << "the last page's size";
}

TEST(KXDocxWriter, AWriterFailureInAPageFailsTheDocumentAndLeavesNoFile) {
    const std::string path = output("broken.docx");
    KXDocxWriter writer(path, 1);
    writer.begainWriteDocument();
    ASSERT_FALSE(writer.hasFailed());
    writer.begainWritePage({612, 792}, 1);
    fillPage(*writer.currentPage(), 1);
    // Something closes more elements than it opened while the page is written.
    writer.documentWriter()->writeEndElement();
    writer.documentWriter()->writeEndElement();
    writer.endWritePage();
    EXPECT_TRUE(writer.hasFailed());
    EXPECT_FALSE(writer.packetZipFileIfNeed());
    EXPECT_FALSE(writer.failureError().failureReason.empty());
    EXPECT_FALSE(std::filesystem::exists(path));
}

namespace {

std::shared_ptr<KXDocxRunImage> pictureRun(const std::string& file, double x) {
    auto run = std::make_shared<KXDocxRunImage>();
    KXDocxImageInfo info;
    info.setDisplayFrame({x, 400, 50, 50});
    info.opacity = 1;
    run->setPictInfo(info);
    run->setImagePath(file);
    return run;
}

}  // namespace

TEST(KXDocxWriter, PackagesOnlyWrittenPicturesNamedByTheirFormat) {
    const std::string path = output("media.docx");
    const std::string png("\x89PNG\r\n\x1a\n", 8);
    const std::string jpeg = kx::test::encodeJPEG(std::vector<std::uint8_t>(3 * 8 * 8, 128), 8, 8, 3);
    // Names that say another format, or none, or shout.
    const std::string shot = kx::test::writeTemp("Shot.PNG", png);
    const std::string photo = kx::test::writeTemp("photo.png", jpeg);
    const std::string orphan = kx::test::writeTemp("orphan.png", png);
    const std::string logo = kx::test::writeTemp("logo.png", png);
    KXDocxWriter writer(path, 2);
    writer.begainWriteDocument();
    ASSERT_FALSE(writer.hasFailed());
    EXPECT_EQ(writer.collectImageWithPath(kx::pathJoin(kx::test::tempDir(), "never-written.png")), "")
        << "a missing file is not collected";
    EXPECT_EQ(writer.collectImageWithPath(kx::test::writeTemp("text.png", "not a picture")), "");

    writer.begainWritePage({612, 792}, 0);
    fillPage(*writer.currentPage(), 2);
    writer.currentPage()->allRunImageArray() = {pictureRun(shot, 72), pictureRun(photo, 200), pictureRun(logo, 300)};
    // Collected while the page was built, then left unused (a merge replaced it).
    EXPECT_FALSE(writer.collectImageWithPath(orphan).empty());
    writer.endWritePage();
    // A later page that withdraws a picture the first page wrote leaves it in the package.
    writer.begainWritePage({612, 792}, 1);
    fillPage(*writer.currentPage(), 1);
    writer.removeCollectedImageWithPath(logo);
    writer.endWritePage();
    ASSERT_TRUE(writer.packetZipFileIfNeed()) << writer.failureError().failureReason;

    std::string listing;
    kx::test::runCommand("unzip -Z1 '" + path + "'", &listing);
    EXPECT_NE(listing.find("word/media/Shot.png"), std::string::npos) << listing;
    EXPECT_NE(listing.find("word/media/photo.jpeg"), std::string::npos) << listing;
    EXPECT_NE(listing.find("word/media/logo.png"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("orphan"), std::string::npos) << listing;
    EXPECT_EQ(listing.find(".PNG"), std::string::npos) << listing;
    const std::string rels = unzipPart(path, "word/_rels/document.xml.rels");
    EXPECT_EQ(rels.find("orphan"), std::string::npos) << rels;
    const std::string document = unzipPart(path, "word/document.xml");
    const std::string types = unzipPart(path, "[Content_Types].xml");
    EXPECT_NE(types.find("image/jpeg"), std::string::npos) << types;
    for (const char* target : {"media/Shot.png", "media/photo.jpeg", "media/logo.png"}) {
        const size_t at = rels.find(target);
        ASSERT_NE(at, std::string::npos) << target;
        const size_t idAt = rels.rfind("Id=\"", at);
        const std::string id = rels.substr(idAt + 4, rels.find('"', idAt + 4) - idAt - 4);
        EXPECT_NE(document.find("r:id=\"" + id + "\""), std::string::npos) << target << " is written as " << id;
    }
    if (const std::optional<std::string> validator = kx::test::sharedTool("ooxml-validate")) {
        std::string report;
        EXPECT_EQ(kx::test::runCommand("'" + *validator + "' '" + path + "'", &report), 0) << report;
    }
}

// Pictures are told apart by their file, names by their letters: two files whose names differ
// only in case are two pictures, each with a part of its own (part names do not tell case apart);
// the part name of a withdrawn picture is free again, and a picture collected again after its
// withdrawal goes after the others.
TEST(KXDocxWriter, PicturesWhoseNamesDifferOnlyInCase) {
    const std::string path = output("case.docx");
    const std::string png("\x89PNG\r\n\x1a\n", 8);
    const std::string folder = output("case-pictures");
    auto picture = [&](const std::string& name) {
        const std::string file = kx::pathJoin(folder, name);
        kx::createDirectories(kx::pathDirectory(file));
        kx::writeFile(file, png);
        return file;
    };
    const std::string upper = picture("Fig.png"), lower = picture("fig.png"), shout = picture("other/FIG.png");
    const std::string dropped = picture("dropped/fig.png"), later = picture("later/fig.png");
    KXDocxWriter writer(path, 1);
    writer.begainWriteDocument();
    ASSERT_FALSE(writer.hasFailed());
    EXPECT_EQ(writer.collectImageWithPath(upper), "rId6");
    EXPECT_EQ(writer.collectImageWithPath(lower), "rId7");
    EXPECT_EQ(writer.collectImageWithPath(dropped), "rId8");
    EXPECT_EQ(writer.collectImageWithPath(shout), "rId9");
    EXPECT_EQ(writer.collectImageWithPath(lower), "rId7") << "the same file again";
    writer.removeCollectedImageWithPath(dropped);
    EXPECT_EQ(writer.collectImageWithPath(later), "rId10");
    writer.removeCollectedImageWithPath(upper);
    EXPECT_EQ(writer.collectImageWithPath(upper), "rId11") << "collected again after its withdrawal";

    writer.begainWritePage({612, 792}, 0);
    fillPage(*writer.currentPage(), 1);
    writer.currentPage()->allRunImageArray() = {pictureRun(upper, 72), pictureRun(lower, 150), pictureRun(shout, 230),
                                                pictureRun(later, 310)};
    writer.endWritePage();
    ASSERT_TRUE(writer.packetZipFileIfNeed()) << writer.failureError().failureReason;

    // In the order collected: the withdrawn one's name taken by the later picture, the one collected
    // again last, under the first name free again.
    const std::string rels = unzipPart(path, "word/_rels/document.xml.rels");
    size_t at = 0;
    for (const char* entry :
         {"Id=\"rId7\" Type=\"", "Target=\"media/2-fig.png\"", "Id=\"rId9\" Type=\"", "Target=\"media/4-FIG.png\"",
          "Id=\"rId10\" Type=\"", "Target=\"media/3-fig.png\"", "Id=\"rId11\" Type=\"", "Target=\"media/Fig.png\""}) {
        const size_t next = rels.find(entry, at);
        ASSERT_NE(next, std::string::npos) << entry << " in order in " << rels;
        at = next;
    }
    EXPECT_EQ(rels.find("rId6"), std::string::npos) << rels;
    EXPECT_EQ(rels.find("rId8"), std::string::npos) << rels;
    std::string listing;
    kx::test::runCommand("unzip -Z1 '" + path + "'", &listing);
    for (const char* name :
         {"word/media/Fig.png", "word/media/2-fig.png", "word/media/3-fig.png", "word/media/4-FIG.png"})
        EXPECT_NE(listing.find(std::string(name) + "\n"), std::string::npos) << name << " in " << listing;
    size_t media = 0;
    for (size_t from = listing.find("word/media/"); from != std::string::npos;
         from = listing.find("word/media/", from + 1))
        ++media;
    EXPECT_EQ(media, 4u) << listing;
}

// Pictures held in memory are written into the package while the pages go on, with the bytes a
// direct write gives; one that cannot be written fails the package (the document refers to it)
// instead of going missing, and nothing is left at the destination.
TEST(KXDocxWriter, HeldPicturesAreWrittenMeanwhileAndOneThatCannotBeFailsThePackage) {
    auto picture = kx::Image::make(4, 3, kx::PixelFormat::RGBA8);
    for (size_t i = 0; i < picture->pixels.size(); ++i) picture->pixels[i] = static_cast<std::uint8_t>(i * 7);
    const std::string direct = kx::pathJoin(kx::test::tempDir(), "held-direct.png");
    ASSERT_TRUE(KXWriteCGImageToURL(picture, direct, kx::ImageFileType::PNG, 72, 72, 1.0f, 3));
    for (const bool writable : {true, false}) {
        SCOPED_TRACE(writable ? "writable" : "unwritable");
        const std::string path = output(writable ? "held.docx" : "held-fails.docx");
        // A folder that is a file cannot take the picture.
        const std::string folder = writable ? kx::test::tempDir() : kx::test::writeTemp("not-a-folder", "x");
        const std::string file = kx::pathJoin(folder, writable ? "held-picture.png" : "held-picture-fails.png");
        kx::removeAll(file);
        KXDocxWriter writer(path, 1);
        writer.begainWriteDocument();
        writer.begainWritePage({612, 792}, 0);
        {
            KXPictureStore::Deferral page;
            ASSERT_TRUE(KXWriteOrDeferCGImageToURL(picture, file, kx::ImageFileType::PNG, 72, 72, 1.0f, 3));
            ASSERT_FALSE(kx::fileExists(file)) << "held, not written";
            fillPage(*writer.currentPage(), 1);
            writer.currentPage()->allRunImageArray() = {pictureRun(file, 72)};
            writer.endWritePage();
        }
        const bool packaged = writer.packetZipFileIfNeed();
        EXPECT_EQ(packaged, writable) << writer.failureError().failureReason;
        if (!writable) {
            EXPECT_NE(writer.failureError().failureReason.find("Can't write the picture"), std::string::npos)
                << writer.failureError().failureReason;
            EXPECT_FALSE(kx::fileExists(path));
            continue;
        }
        std::string listing;
        kx::test::runCommand("unzip -Z1 '" + path + "'", &listing);
        EXPECT_NE(listing.find("word/media/held-picture.png"), std::string::npos) << listing;
        EXPECT_EQ(unzipPart(path, "word/media/held-picture.png"), kx::readFile(direct).value_or(""));
    }
    EXPECT_EQ(KXPictureStore::shared().heldCount(), 0u);
}

