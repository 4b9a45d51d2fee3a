// Image runs: the merge test and its edges, joining a group in reading order, the frame of a turned
// picture, a group merged into one picture (pixels, size, reading and stacking order, resolution
// bounds, pixel cap; pictures held in memory merged without being written, pictures held as their
// painted parts merged as whole ones) and the VML picture written for a run.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "DocxPictFixtures.h"
#include "docx/model/KXDocxRunImage.h"
#include "platform/BitmapContext.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "support/TestSupport.h"
#include "util/KXPictureStore.h"
#include "util/KXWriteCGImageToURL.h"

using namespace kx::test;

namespace {

std::shared_ptr<KXDocxRunImage> imageRun(kx::Rect frame, std::uint64_t scanIndex = 0, std::string file = {}) {
    auto run = std::make_shared<KXDocxRunImage>();
    KXDocxImageInfo info;
    info.setDisplayFrame(frame);
    info.opacity = 1;
    run->setPictInfo(info);
    run->setPdfScanIndex(scanIndex);
    run->setImagePath(std::move(file));
    return run;
}

}  // namespace

TEST(KXDocxRunImage, MergeTestEdges) {
    struct Case {
        const char* what;
        kx::Rect a, b;
        bool merges;
    };
    const Case cases[] = {
        {"large, overlapping by more than half of the smaller", {0, 0, 300, 300}, {250, 0, 80, 80}, true},
        {"100 pt squares overlapping by a quarter", {0, 0, 100, 100}, {50, 50, 100, 100}, false},
        {"50 pt squares overlapping by a quarter", {0, 0, 50, 50}, {25, 25, 50, 50}, true},
        {"30 pt squares 15 pt apart", {0, 0, 30, 30}, {45, 0, 30, 30}, true},
        {"30 pt squares 25 pt apart", {0, 0, 30, 30}, {55, 0, 30, 30}, false},
        {"a 200 x 40 strip is small", {0, 0, 200, 40}, {210, 0, 30, 30}, true},
        {"a picture with no height merges with nothing", {0, 0, 30, 0}, {0, 0, 30, 30}, false},
        {"touching large pictures share no area", {0, 0, 100, 100}, {100, 0, 100, 100}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KXDocxRunImage::IsIntersect(*imageRun(c.a), *imageRun(c.b)), c.merges) << c.what;
        EXPECT_EQ(KXDocxRunImage::IsIntersect(*imageRun(c.b), *imageRun(c.a)), c.merges) << c.what << " (swapped)";
    }
}

TEST(KXDocxRunImage, JoinsAGroupOnlyInReadingOrder) {
    auto first = imageRun({0, 0, 100, 100}, 4);
    auto later = imageRun({10, 10, 100, 100}, 9);
    auto next = imageRun({10, 10, 100, 100}, 5);
    EXPECT_EQ(later->isIntersectImages({first}), nullptr) << "overlaps but does not follow on";
    EXPECT_EQ(next->isIntersectImages({first}), first);
    EXPECT_EQ(KXDocxRunImage::FindBigRectRunImage({first, imageRun({0, 0, 100, 100}), imageRun({0, 0, 10, 10})}), first)
        << "the first of equals";
    EXPECT_EQ(KXDocxRunImage::FindBigRectRunImage({}), nullptr);
}

TEST(KXDocxRunImage, TurnedFrameStaysAroundItsMiddle) {
    auto run = imageRun({100, 200, 40, 20});
    run->pictInfo().rotation = 90;
    const kx::Rect r = run->displayRect();
    EXPECT_NEAR(r.midX(), 120, 1e-9);
    EXPECT_NEAR(r.midY(), 210, 1e-9);
    EXPECT_NEAR(r.width(), 20, 1e-9);
    EXPECT_NEAR(r.height(), 40, 1e-9);
}

TEST(KXDocxRunImage, MergesAGroupIntoOnePictureOfItsArea) {
    const std::string red = solidPNG("merge-red.png", 4, 4, {255, 0, 0});
    const std::string green = solidPNG("merge-green.png", 4, 4, {0, 255, 0});
    const std::string blue = solidPNG("merge-blue.png", 4, 4, {0, 0, 255});
    // A chain: red (100,100)-(150,150), green over its right part, blue over green's right part.
    auto a = imageRun({100, 100, 50, 50}, 3, red);
    a->setPictZIndex(-20);
    a->pictInfo().imageTitle = "first.png";
    a->pictInfo().opacity = 0.8f;
    auto b = imageRun({130, 100, 50, 50}, 4, green);
    b->pictInfo().opacity = 0.5f;
    auto c = imageRun({160, 100, 50, 50}, 5, blue);
    std::shared_ptr<KXDocxRunImage> merged = KXDocxRunImage::MergeRunImageArray({a, b, c}, {612, 792}, 144);
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->pdfScanIndex(), 3u);
    EXPECT_EQ(merged->pdfScanLength(), 3u);
    EXPECT_EQ(merged->pictZIndex(), -20);
    EXPECT_EQ(a->pdfScanIndex(), 4u) << "the first image moves one place on";
    EXPECT_EQ(a->pictZIndex(), -19);
    EXPECT_NE(kx::pathFileName(merged->imagePath()).find("3Images_Merged"), std::string::npos);
    EXPECT_EQ(kx::pathExtension(merged->imagePath()), "png");
    EXPECT_EQ(merged->runImageTitle(), "first.png") << "the first image's title";
    EXPECT_FLOAT_EQ(merged->pictInfo().opacity, 0.8f) << "and its opacity";
    // Only the group's area, at 2 pixels a point.
    EXPECT_EQ(merged->pictInfo().displayFrame(), kx::Rect(100, 100, 110, 50));
    kx::ImageRef picture = kx::toRGBA8(kx::readImageFile(merged->imagePath()));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 220);
    EXPECT_EQ(picture->height, 100);
    EXPECT_EQ(merged->pictInfo().horizontalResolution, 144);
    // The images are drawn opaque and the picture shows at the first image's opacity once: red at
    // 0.8, not 0.8 x 0.8.
    const RGBA alone = pixelAt(*picture, 20, 50);
    EXPECT_EQ(alone, (RGBA{255, 0, 0, 255})) << "red alone, drawn without its opacity";
    EXPECT_NEAR(alone[3] / 255.0 * merged->pictInfo().opacity, 0.8, 0.005) << "red as it shows on the page";
    EXPECT_EQ(pixelAt(*picture, 80, 50), (RGBA{0, 255, 0, 255})) << "green, painted later and opaque, over red";
    EXPECT_EQ(pixelAt(*picture, 200, 50), (RGBA{0, 0, 255, 255})) << "blue";

    struct Case {
        int dpi, width;
    };
    for (const Case& k : {Case{50, 110}, Case{1200, 110 * 600 / 72 + 1}}) {
        auto again = KXDocxRunImage::MergeRunImageArray({imageRun({100, 100, 50, 50}, 0, red),
                                                         imageRun({130, 100, 50, 50}, 1, green)},
                                                        {612, 792}, k.dpi);
        ASSERT_TRUE(again);
        EXPECT_NEAR(again->pictInfo().pixelWidth, 80.0 * std::clamp(k.dpi, 72, 600) / 72, 1) << k.dpi << " dpi";
    }
    EXPECT_FALSE(KXDocxRunImage::MergeRunImageArray({a}, {612, 792}, 144)) << "a group of one";
}

// Made while a page holds its pictures in memory, the images of a group reach the merge as bitmaps
// and the merged picture is held too: nothing is written until the page writes the merged picture,
// and the images merged away never reach disk.
TEST(KXDocxRunImage, MergesHeldPicturesWithoutWritingThem) {
    std::vector<std::string> inputs;
    std::string mergedPath;
    {
        KXPictureStore::Deferral page;
        KXDocxRunImageArray runs;
        const std::array<std::uint8_t, 3> colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
        for (int i = 0; i < 3; ++i) {
            auto image = kx::Image::make(4, 4, kx::PixelFormat::RGB8);
            for (size_t p = 0; p < image->pixels.size(); ++p) image->pixels[p] = colours[i][p % 3];
            inputs.push_back(kx::pathJoin(tempDir(), "held-merge-" + std::to_string(i) + ".png"));
            kx::removeAll(inputs.back());
            ASSERT_TRUE(KXWriteOrDeferCGImageToURL(image, inputs.back(), kx::ImageFileType::PNG, 72, 72, 1.0f));
            runs.push_back(imageRun({100.0 + 30 * i, 100, 50, 50}, static_cast<std::uint64_t>(i), inputs.back()));
        }
        std::shared_ptr<KXDocxRunImage> merged = KXDocxRunImage::MergeRunImageArray(runs, {612, 792}, 144);
        ASSERT_TRUE(merged);
        mergedPath = merged->imagePath();
        EXPECT_TRUE(KXPictureStore::shared().isHeld(mergedPath));
        EXPECT_FALSE(kx::fileExists(mergedPath)) << "held until the page writes it";
        ASSERT_TRUE(KXPictureStore::shared().realize(mergedPath));
    }
    kx::ImageRef picture = kx::toRGBA8(kx::readImageFile(mergedPath));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 220);
    EXPECT_EQ(pixelAt(*picture, 20, 50), (RGBA{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 80, 50), (RGBA{0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 200, 50), (RGBA{0, 0, 255, 255}));
    for (const std::string& input : inputs) {
        EXPECT_FALSE(kx::fileExists(input)) << "merged away, never written: " << input;
        EXPECT_FALSE(KXPictureStore::shared().isHeld(input)) << "forgotten with the page: " << input;
    }
}

// Pictures held as their painted parts (clipped pictures, mostly transparent) merge into the same
// pixels as the same pictures held whole: drawn one picture pixel to one merged pixel, at a
// fraction of a pixel's offset, and scaled.
TEST(KXDocxRunImage, MergesPicturesHeldAsTheirPartsAsTheWholePictures) {
    // A 90 x 60 picture, transparent but for an antialiased disc and a faint bar.
    auto canvas = kx::BitmapContext::create(90, 60);
    ASSERT_TRUE(canvas);
    kx::Path disc;
    disc.addEllipseInRect(kx::Rect(20.4, 15.7, 17.3, 11.1));
    canvas->setFillColor(kx::Color{0.8, 0.3, 0.1, 1});
    canvas->addPath(disc);
    canvas->fillPath();
    canvas->setFillColor(kx::Color{0.1, 0.4, 0.9, 0.5});
    canvas->fillRect(kx::Rect(30.5, 20.25, 12, 4));
    const kx::PlacedImage part = canvas->makePlacedImage(0, 0, 90, 60);
    ASSERT_FALSE(part.isWhole());
    const kx::ImageRef whole = canvas->makeImage();

    struct Case {
        const char* what;
        kx::Rect first, second;
        float opacity;
        double scale;
    };
    const Case cases[] = {
        {"a picture pixel to a merged pixel", {100.25, 100.5, 45, 30}, {110, 104.75, 45, 30}, 1, 2},
        {"faint", {100.25, 100.5, 45, 30}, {110, 104.75, 45, 30}, 0.6f, 2},
        {"scaled", {100.3, 100.1, 40, 33}, {108.7, 103.2, 51, 29}, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::array<kx::ImageRef, 2> merged;
        for (int k = 0; k < 2; ++k) {
            KXPictureStore::Deferral page;
            KXDocxRunImageArray runs;
            for (int i = 0; i < 2; ++i) {
                const std::string path = kx::pathJoin(tempDir(), "held-part-" + std::to_string(i) + ".png");
                ASSERT_TRUE(k == 0 ? KXWriteOrDeferCGImageToURL(whole, path, kx::ImageFileType::PNG, 144, 144, 1.0f)
                                   : KXWriteOrDeferCGImageToURL(part, path, kx::ImageFileType::PNG, 144, 144, 1.0f));
                auto run = imageRun(i == 0 ? c.first : c.second, static_cast<std::uint64_t>(i), path);
                run->pictInfo().opacity = c.opacity;
                runs.push_back(run);
            }
            kx::Rect frame;
            merged[static_cast<size_t>(k)] =
                KXDocxRunImage::MergeRunImage(runs, {612, 792}, kx::AffineTransform::makeScale(c.scale, c.scale), &frame);
            ASSERT_TRUE(merged[static_cast<size_t>(k)]);
        }
        EXPECT_EQ(merged[0]->pixels, merged[1]->pixels);
        EXPECT_TRUE(std::any_of(merged[0]->pixels.begin(), merged[0]->pixels.end(), [](auto v) { return v != 0; }));
    }
}

TEST(KXDocxRunImage, MergedPictureIsBoundedAndNeverOfNothing) {
    const std::string red = solidPNG("cap-red.png", 2, 2, {255, 0, 0});
    // Two pictures over a page of 22 inches at 600 dpi would be 174 million pixels.
    kx::Rect frame;
    kx::ImageRef big = KXDocxRunImage::MergeRunImage(
        {imageRun({0, 0, 1583, 1583}, 0, red), imageRun({10, 10, 1500, 1500}, 1, red)}, {1583, 1583},
        kx::AffineTransform::makeScale(600 / 72.0, 600 / 72.0), &frame);
    ASSERT_TRUE(big);
    EXPECT_LE(static_cast<double>(big->width) * big->height, KXDocxRunImage::kMaxPicturePixels * 1.001);
    EXPECT_NEAR(frame.width(), 1583, 1);

    // Pictures off the page, or of no area, draw nothing.
    EXPECT_FALSE(KXDocxRunImage::MergeRunImage({imageRun({700, 0, 50, 50}, 0, red), imageRun({0, 0, 50, 0}, 1, red)},
                                               {612, 792}, kx::AffineTransform(), &frame));
}

TEST(KXDocxRunImage, WritesAVMLPicture) {
    beginVMLDocument();
    auto run = imageRun({10, 20, 30, 40});
    run->setPictZIndex(7);
    run->setRunImageID("rId9");
    KXDocxImageInfo& info = run->pictInfo();
    info.opacity = 0.5f;
    info.rotation = 90;
    info.flipX = info.flipY = true;
    const std::string xml = vmlFragment([&](XMLFileWriter& w) { run->writeWithXMLWriter(w); });
    EXPECT_EQ(xml.find("<w:pict><v:shapetype id=\"_x0000_t75\""), xml.find("<w:pict>"))
        << "the first picture defines its type before its shape";
    EXPECT_NE(xml.find("<v:shape type=\"#_x0000_t75\" style=\"position:absolute;margin-left:10.00pt;margin-top:20.00pt;"
                       "width:30.00pt;height:40.00pt;rotation:90;flip:x y;z-index:7;"
                       "mso-position-horizontal-relative:page;mso-position-vertical-relative:page\">"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<v:imagedata r:id=\"rId9\" o:title=\"Untitled\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<v:fill opacity=\"32896f\""), std::string::npos) << xml;

    info.opacity = 1;
    info.rotation = 0;
    info.flipX = false;
    run->setRunImageTitle("logo.png");
    const std::string plain = vmlFragment([&](XMLFileWriter& w) { run->writeWithXMLWriter(w); });
    EXPECT_EQ(plain.find("shapetype"), std::string::npos) << "later pictures only refer to it";
    EXPECT_EQ(plain.find("rotation"), std::string::npos);
    EXPECT_EQ(plain.find("v:fill"), std::string::npos);
    EXPECT_NE(plain.find("flip:y;"), std::string::npos);
    EXPECT_NE(plain.find("o:title=\"logo.png\""), std::string::npos);
}
