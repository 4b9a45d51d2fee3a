// Floating text in a whole package: text boxes of every turn, annotation boxes with fill and dashed
// outline, mirrored and slanted texts along paths and outline levels over two pages; every shape
// unique in the document part, each shape type defined once, and the package valid by the schemas.

#include <gtest/gtest.h>

#include <set>

#include "../model/DocxModelFixtures.h"
#include "../model/DocxPictFixtures.h"
#include "docx/page/KXDocxPage.h"
#include "docx/page/KXDocxWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

using kx::test::attributeValues;
using kx::test::makeRun;
using kx::test::occurrences;

namespace {

std::shared_ptr<KXDocxRunTextBox> turnedBox(double rotation, kx::Rect frame, std::u16string text) {
    auto box = std::make_shared<KXDocxRunTextBox>();
    KXDocxTextBoxInfo info;
    info.setDisplayFrame(frame);
    info.rotation = rotation;
    info.strokeweight = 1;
    box->setPictInfo(info);
    auto paragraph = std::make_shared<KXDocxParagraph>();
    paragraph->addRunTextArray({makeRun({.text = std::move(text), .width = 40})});
    box->paragraphArray().push_back(paragraph);
    box->setPictZIndex(KXDocxCounters::sharedInstance().nextPictZIndex());
    return box;
}

std::shared_ptr<KXDocxRunTextPath> textPath(std::u16string text, double rotation, bool flipY) {
    auto path = std::make_shared<KXDocxRunTextPath>();
    path->setRunText(std::move(text));
    KXDocxTextPathInfo info;
    info.setDisplayFrame({200, 300, 120, 14});
    info.rotation = rotation;
    info.flipY = flipY;
    info.filled = true;
    info.fillcolor = kx::Color::rgb(0.2, 0.4, 0.6);
    path->setPictInfo(info);
    path->setPictZIndex(KXDocxCounters::sharedInstance().nextPictZIndex());
    return path;
}

std::string unzipDocument(const std::string& package) {
    std::string out;
    if (kx::test::runCommand("unzip -p '" + package + "' word/document.xml", &out) != 0) return {};
    return out;
}

}  // namespace

TEST(KXDocxFloatingTextPackage, ShapesUniqueTypesOnceAndValid) {
    const std::string path = kx::pathJoin(kx::test::tempDir(), "floating-text.docx");
    kx::removeAll(path);
    KXDocxWriter writer(path, 2);
    writer.begainWriteDocument();
    ASSERT_FALSE(writer.hasFailed());
    for (int n = 1; n <= 2; ++n) {
        writer.begainWritePage({612, 792}, n);
        KXDocxPage& page = *writer.currentPage();
        page.allRunTextArray().push_back(makeRun({.text = u"Body", .x = 72, .width = 30, .yBase = 100}));
        for (double r : {0.0, 90.0, 180.0, 270.0})
            page.allRunTextBoxArray().push_back(turnedBox(r, {100 + r, 200, 20, 60}, u"Turned"));
        auto note = turnedBox(0, {300, 500, 120, 30}, u"A note & more");
        note->pictInfo().filled = true;
        note->pictInfo().fillcolor = kx::Color::rgb(1, 1, 0.6);
        note->pictInfo().stroked = true;
        note->pictInfo().strokecolor = kx::Color::rgb(1, 0, 0);
        note->pictInfo().strokeDashPattern = {3, 2};
        note->pictInfo().strokeDashPhase = 1;
        page.allRunTextBoxArray().push_back(note);
        page.allRunTextPathArray().push_back(textPath(u"Slanted", 30, false));
        page.allRunTextPathArray().push_back(textPath(u"Mirrored", 180, true));
        writer.endWritePage();
    }
    ASSERT_TRUE(writer.packetZipFileIfNeed()) << writer.failureError().failureReason;
    const std::string document = unzipDocument(path);
    ASSERT_FALSE(document.empty());

    EXPECT_EQ(occurrences(document, "<v:shape "), 14u);
    EXPECT_EQ(occurrences(document, "<v:shapetype id=\"_x0000_t202\""), 1u);
    EXPECT_EQ(occurrences(document, "<v:shapetype id=\"_x0000_t136\""), 1u);
    std::set<std::string> ids, spids;
    for (size_t at = document.find("<v:shape "); at != std::string::npos; at = document.find("<v:shape ", at + 1)) {
        const std::string tag = document.substr(at, document.find('>', at) - at);
        ids.insert(attributeValues(tag, "id").at(0));
        spids.insert(attributeValues(tag, "o:spid").at(0));
    }
    EXPECT_EQ(ids.size(), 14u);
    EXPECT_EQ(spids.size(), 14u);
    EXPECT_EQ(document.find("dashPhase"), std::string::npos);
    EXPECT_EQ(document.find("=\"\""), std::string::npos) << "an attribute without a value";

    if (const std::optional<std::string> validator = kx::test::sharedTool("ooxml-validate")) {
        std::string report;
        EXPECT_EQ(kx::test::runCommand("'" + *validator + "' '" + path + "'", &report), 0) << report;
    }
}
