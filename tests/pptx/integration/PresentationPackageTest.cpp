// A presentation built from hand-made shapes (a text box, a closed curved freeform, a dashed line,
// shapes without any text, a PNG picture) is valid for the shared validator and opens in LibreOffice, which turns it into a
// PDF that holds the slide's text.

#include <gtest/gtest.h>

#include "PresentationChecks.h"
#include "platform/FileSystem.h"
#include "platform/Image.h"
#include "pptx/KXPPTXFreeform.h"
#include "pptx/KXPPTXPicture.h"
#include "pptx/KXPPTXTextbox.h"
#include "pptx/KXPPTXWriter.h"
#include "support/TestSupport.h"
#include "util/KXWriteCGImageToURL.h"

namespace {

using kx::pathJoin;

using kx::test::validator;

void addTextBox(KXPPTXPage& page) {
    auto box = std::make_unique<KXPPTXTextbox>();
    KXPPTXTextBoxInfo info;
    info.displayX = 60;
    info.displayY = 40;
    info.displayWidth = 400;
    info.displayHeight = 60;
    box->setSpInfo(info);
    auto paragraph = std::make_unique<KXPPTXParagraph>();
    paragraph->pProperty().lnSpc = 30;
    auto run = std::make_unique<KXPPTXRun>();
    run->text = u"Quarterly figures \u2013 \u00E9t\u00E9";
    run->rProperty.sz = 24;
    run->rProperty.b = 1;
    run->rProperty.rgbColor = "1f2a44";
    run->rProperty.latin.typeface = run->rProperty.cs.typeface = "Liberation Sans";
    paragraph->runArray().push_back(std::move(run));
    box->paragraphs().push_back(std::move(paragraph));
    page.addShape(std::move(box));
}

void addFreeform(KXPPTXPage& page, const kx::Path& path, const kx::Rect& box, bool filled,
                 std::vector<double> dashes) {
    auto shape = std::make_unique<KXPPTXFreeform>();
    shape->setRunCGPath(path);
    KXPPTXFreeformInfo& info = shape->spInfo();
    info.setDisplayRect(box);
    info.setFilled(filled);
    info.setFillcolor(kx::Color::rgb(0.16, 0.45, 0.71));
    info.setStroked(true);
    info.setStrokecolor(kx::Color::rgb(0.85, 0.5, 0.17));
    info.setStrokeweight(3);
    info.setLineCap(0);
    info.setStrokeDashPattern(std::move(dashes));
    shape->paragraphs().push_back(std::make_unique<KXPPTXParagraph>());
    page.addShape(std::move(shape));
}

}  // namespace

TEST(PresentationPackage, HandMadeShapesMakeAValidPresentation) {
    std::optional<std::string> validate = validator();
    KX_REQUIRE_CORPUS(validate);

    const std::string out = pathJoin(kx::test::tempDir(), "hand-made.pptx");
    auto writer = KXPPTXWriter::initWithPath(out, 1);
    ASSERT_TRUE(writer);
    writer->begainWriteDocument();
    writer->begainWritePage({720, 405});
    KXPPTXPage& page = *writer->currentPage();
    addTextBox(page);

    kx::Path blob;  // a closed curved outline
    blob.moveTo({100, 250});
    blob.curveTo({100, 150}, {300, 150}, {300, 250});
    blob.quadTo({200, 330}, {100, 250});
    blob.closeSubpath();
    addFreeform(page, blob, kx::Rect(100, 175, 200, 115), true, {});

    kx::Path line;  // a dashed line
    line.moveTo({60, 360});
    line.lineTo({660, 360});
    addFreeform(page, line, kx::Rect(60, 358.5, 600, 3), false, {9, 3, 3, 3});

    // Shapes without text: a text box whose only paragraph is empty still holds the paragraph a
    // text body must have, and a freeform without a paragraph writes the default alignment and
    // languages (empty values are no alignment the schema knows).
    auto empty = std::make_unique<KXPPTXTextbox>();
    KXPPTXTextBoxInfo emptyInfo;
    emptyInfo.displayX = emptyInfo.displayY = 10;
    emptyInfo.displayWidth = emptyInfo.displayHeight = 20;
    empty->setSpInfo(emptyInfo);
    empty->paragraphs().push_back(std::make_unique<KXPPTXParagraph>());
    page.addShape(std::move(empty));
    addFreeform(page, line, kx::Rect(60, 358.5, 600, 3), false, {});
    page.sharepsArr().back()->paragraphs().clear();

    auto image = kx::Image::make(32, 24, kx::PixelFormat::RGBA8);
    for (size_t i = 0; i < image->pixels.size(); ++i) image->pixels[i] = static_cast<std::uint8_t>(i % 4 == 3 ? 255 : i);
    const std::string png = pathJoin(kx::test::tempDir(), "hand-made-picture.png");
    ASSERT_TRUE(KXWriteCGImageToURL(image, png, kx::ImageFileType::PNG, 72, 72, 1.0f));
    std::optional<std::string> id = writer->collectImageWithPath(png);
    ASSERT_TRUE(id);
    auto picture = std::make_unique<KXPPTXPicture>();
    KXPPTXImageInfo info;
    info.setDisplayRect(kx::Rect(420, 160, 240, 180));
    picture->setPictInfo(info);
    picture->setRunImageID(*id);
    page.addShape(std::move(picture));
    writer->endWritePage();
    KXError error;
    ASSERT_TRUE(writer->packetPPTXFile(&error)) << error.failureReason;

    std::string text;
    kx::test::checkPackage(out, *validate, &text);
    if (HasFatalFailure()) return;
    if (!kx::test::haveLibreOfficeText()) GTEST_SKIP() << "LibreOffice or pdftotext missing";
    EXPECT_NE(text.find("Quarterly figures"), std::string::npos) << text;
}
