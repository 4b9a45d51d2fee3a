// Form XObjects in nested interpreters (matrices, nesting, recursion, the caller's states), the
// XObject collection, and the content drawer that paints a stream's images into a bitmap.

#include <gtest/gtest.h>

#include "pdf/KXPDFUtilities.h"
#include "pdf/interpreter/KXPDFConentDrawer.h"
#include "pdf/xobject/ImageTestSupport.h"
#include "pdf/xobject/KXPDFFormXObject.h"
#include "pdf/xobject/KXPDFXObjectCollection.h"
#include "platform/FileSystem.h"

using namespace kx;
using kx::test::PDFBuilder;

namespace {

std::string ref(int n) { return std::to_string(n) + " 0 R"; }

int addForm(PDFBuilder& b, const std::string& entries, const std::string& content) {
    return b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] " + entries, content);
}

int addRedBlueImage(PDFBuilder& b) {
    return b.addStream("/Type /XObject /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB",
                       std::string("\xFF\x00\x00\x00\x00\xFF", 6));
}

void expectBox(const Rect& got, const Rect& want) {
    EXPECT_NEAR(got.origin.x, want.origin.x, 1e-9);
    EXPECT_NEAR(got.origin.y, want.origin.y, 1e-9);
    EXPECT_NEAR(got.size.width, want.size.width, 1e-9);
    EXPECT_NEAR(got.size.height, want.size.height, 1e-9);
}

}  // namespace

TEST(FormXObject, NestedFormsPlaceTheirContentThroughTheirMatrices) {
    ScopedTemporaryRoot root;
    PDFBuilder b;
    int image = addRedBlueImage(b);
    int inner = addForm(b, "/Matrix [1 0 0 1 100 0]", "0 0 1 1 re f");
    int outer = addForm(b, "/Matrix [2 0 0 2 10 10] /Resources << /XObject << /F2 " + ref(inner) + " /Im0 " + ref(image) + " >> >>",
                        "0 0 1 1 re f /F2 Do /Im0 Do");
    b.addPage("q /F1 Do Q 0 0 5 5 re f", "<< /XObject << /F1 " + ref(outer) + " >> >>");
    auto run = test::runPages(b);
    const auto& paths = run->recorder.paths;
    ASSERT_EQ(paths.size(), 3u);
    expectBox(paths[0].box, Rect(10, 10, 2, 2));
    EXPECT_EQ(paths[0].formDepth, 1);
    expectBox(paths[1].box, Rect(210, 10, 2, 2));
    EXPECT_EQ(paths[1].formDepth, 2);
    expectBox(paths[2].box, Rect(0, 0, 5, 5));
    EXPECT_EQ(paths[2].formDepth, 0);
    ASSERT_EQ(run->recorder.images.size(), 1u);
    EXPECT_EQ(run->recorder.images[0].ctm, (AffineTransform{2, 0, 0, 2, 10, 10}));
    EXPECT_EQ(run->depthAfter, 1u);
}

TEST(FormXObject, MatricesThatAreNotReadKeepTheIdentity) {
    struct Case {
        const char* name;
        std::string entries;
        Rect box;
    } cases[] = {
        {"FormType 2 stops reading but still runs", "/FormType 2 /Matrix [2 0 0 2 0 0]", Rect(0, 0, 1, 1)},
        {"five numbers", "/Matrix [2 0 0 2 0]", Rect(0, 0, 1, 1)},
        {"six numbers", "/Matrix [3 0 0 3 1 1]", Rect(1, 1, 3, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PDFBuilder b;
        int form = addForm(b, c.entries, "0 0 1 1 re f");
        b.addPage("/F Do", "<< /XObject << /F " + ref(form) + " >> >>");
        auto run = test::runPages(b);
        ASSERT_EQ(run->recorder.paths.size(), 1u);
        expectBox(run->recorder.paths[0].box, c.box);
    }
}

TEST(FormXObject, UnbalancedRestoresInsideAFormCannotReachTheCallersStates) {
    PDFBuilder b;
    int form = addForm(b, "", "Q Q Q 2 0 0 2 0 0 cm");
    b.addPage("1 0 0 1 50 50 cm /F Do 0 0 1 1 re f", "<< /XObject << /F " + ref(form) + " >> >>");
    auto run = test::runPages(b);
    ASSERT_EQ(run->recorder.paths.size(), 1u);
    expectBox(run->recorder.paths[0].box, Rect(50, 50, 1, 1));
    EXPECT_EQ(run->depthAfter, 1u);
}

TEST(FormXObject, FormsThatInvokeThemselvesEndCleanly) {
    struct Case {
        const char* name;
        int forms;  // a ring of this many forms, each calling the next
    } cases[] = {{"directly", 1}, {"through another form", 2}, {"through a ring of five", 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PDFBuilder b;
        std::vector<int> numbers;
        for (int i = 0; i < c.forms; ++i) numbers.push_back(b.reserve());
        for (int i = 0; i < c.forms; ++i) {
            int next = numbers[(i + 1) % c.forms];
            std::string content = "0 0 1 1 re f /Next Do";
            b.set(numbers[i], "<< /Type /XObject /Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << /Next " + ref(next) +
                                  " >> >> /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
        }
        b.addPage("/F Do /F Do", "<< /XObject << /F " + ref(numbers[0]) + " >> >>");
        auto run = test::runPages(b);
        // Each form of the ring runs once per Do; the call back into the ring is refused.
        EXPECT_EQ(run->recorder.paths.size(), static_cast<size_t>(2 * c.forms));
        EXPECT_EQ(run->depthAfter, 1u);
    }
}

TEST(FormXObject, NothingIsDrawnInATextClipModeAndPostScriptIsNeverDrawn) {
    PDFBuilder b;
    int image = addRedBlueImage(b);
    int ps = b.addStream("/Type /XObject /Subtype /PS", "0 0 moveto");
    b.addPage("BT 7 Tr ET /Im0 Do BT 0 Tr ET /PS0 Do /Missing Do",
              "<< /XObject << /Im0 " + ref(image) + " /PS0 " + ref(ps) + " >> >>");
    auto run = test::runPages(b);
    EXPECT_TRUE(run->recorder.images.empty());
    EXPECT_EQ(run->depthAfter, 1u);
}

// The entries past the 2401 kept are not made up front, yet each is still found by its name: a
// document whose pages share one dictionary of 3000 images lost the pictures of 599 pages.
TEST(XObjectCollection, KeepsAtMost2401ObjectsFindsTheRestByNameAndSkipsWhatIsNoXObject) {
    PDFBuilder b;
    int image = addRedBlueImage(b);
    int form = addForm(b, "", "");
    int other = b.addStream("/Subtype /Unknown", "x");
    std::string entries = "/Form " + ref(form) + " /Other " + ref(other) + " /NotAStream 5 ";
    for (int i = 0; i < 3000; ++i) entries += "/Im" + std::to_string(i) + " " + ref(image) + " ";
    b.addPage("", "<< >>", "/Test << " + entries + " >>");
    auto doc = PDFDocument::openFromMemory(b.build());
    ASSERT_TRUE(doc);
    KXPDFXObjectCollection collection(doc->page(1)->dictionary().dictGet("Test"));
    EXPECT_EQ(collection.xObjects().size(), 2401u);
    ASSERT_TRUE(collection.xObjectWithNamed("Form"));
    EXPECT_EQ(collection.xObjectWithNamed("Form")->getType(), KXPDFXObject::Form);
    EXPECT_EQ(collection.xObjectWithNamed("Im0")->getType(), KXPDFXObject::Image);
    EXPECT_EQ(collection.xObjectWithNamed("Im0")->objectID(), "Im0");
    EXPECT_FALSE(collection.xObjectWithNamed("Other"));
    EXPECT_FALSE(collection.xObjectWithNamed("NotAStream"));
    EXPECT_FALSE(collection.xObjectWithNamed("Missing"));
    for (int i = 0; i < 3000; ++i) {
        const std::string name = "Im" + std::to_string(i);
        std::shared_ptr<KXPDFXObject> found = collection.xObjectWithNamed(name);
        ASSERT_TRUE(found) << name;
        EXPECT_EQ(found->getType(), KXPDFXObject::Image) << name;
        EXPECT_EQ(found->objectID(), name);
    }
    EXPECT_EQ(collection.xObjects().size(), 2401u);
}

TEST(FormXObject, ReadsItsGroup) {
    PDFBuilder b;
    int form = addForm(b, "/Matrix [1 0 0 1 5 6] /Group << /S /Transparency /I true /K false /CS /DeviceRGB >>", "");
    int plainGroup = addForm(b, "/Group << /S /Image >>", "");
    b.addPage("", "<< >>", "/A " + ref(form) + " /B " + ref(plainGroup));
    auto doc = PDFDocument::openFromMemory(b.build());
    KXPDFFormXObject a(doc->page(1)->dictionary().dictGet("A"));
    EXPECT_TRUE(a.transpGroup);
    EXPECT_TRUE(a.isolated);
    EXPECT_FALSE(a.knockout);
    EXPECT_TRUE(a.blendingColorSpace);
    EXPECT_EQ(a.matrixTransform(), (AffineTransform{1, 0, 0, 1, 5, 6}));
    EXPECT_EQ(a.bbox, (std::array<double, 4>{0, 0, 100, 100}));
    KXPDFFormXObject plain(doc->page(1)->dictionary().dictGet("B"));
    EXPECT_FALSE(plain.transpGroup);
}

TEST(ContentDrawer, DrawsImagesUprightInTheBoxOfTheirPlace) {
    struct Case {
        const char* name;
        std::string cm;
        // Bitmap pixels (x, y from the top) and their expected RGBA.
        std::vector<std::pair<std::pair<int, int>, std::vector<int>>> pixels;
    } cases[] = {
        {"scaled and moved", "100 0 0 50 10 20 cm",
         {{{30, 80}, {255, 0, 0, 255}}, {{90, 80}, {0, 0, 255, 255}}, {{5, 80}, {0, 0, 0, 0}}, {{30, 120}, {0, 0, 0, 0}}}},
        // A quarter turn lands upright in a 100 × 100 square centred on (150, 50).
        {"turned a quarter", "0 100 -100 0 200 0 cm",
         {{{110, 78}, {255, 0, 0, 255}}, {{190, 78}, {0, 0, 255, 255}}, {{95, 78}, {0, 0, 0, 0}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedTemporaryRoot root;
        PDFBuilder b;
        int image = addRedBlueImage(b);
        int cell = b.addStream("/Resources << /XObject << /Im0 " + ref(image) + " >> >>", "q " + c.cm + " /Im0 Do Q");
        b.addPage("", "<< >>", "/Cell " + ref(cell));
        auto doc = PDFDocument::openFromMemory(b.build());
        ImageRef picture = KXPDFUtilities::DrawStream(doc->page(1)->dictionary().dictGet("Cell"), {}, Rect(0, 0, 256, 128), nullptr);
        ASSERT_TRUE(picture);
        ASSERT_EQ(picture->width, 256);
        ASSERT_EQ(picture->height, 128);
        ImageRef rgba = toRGBA8(picture);
        for (const auto& [xy, want] : c.pixels) {
            const std::uint8_t* px = rgba->row(xy.second) + 4 * xy.first;
            EXPECT_EQ((std::vector<int>{px[0], px[1], px[2], px[3]}), want) << xy.first << "," << xy.second;
        }
    }
}

TEST(ContentDrawer, LeavesTheBitmapClearWithoutDrawableImages) {
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {
        {"only text and paths", "0 0 50 50 re f BT /F1 12 Tf (Hi) Tj ET"},
        {"an image that cannot be decoded", "q 50 0 0 50 0 0 cm /Bad Do Q"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedTemporaryRoot root;
        PDFBuilder b;
        int bad = b.addStream("/Subtype /Image /Width 8 /Height 8 /BitsPerComponent 8 /Filter /DCTDecode", "garbage");
        int cell = b.addStream("/Resources << /XObject << /Bad " + ref(bad) + " >> >>", c.content);
        b.addPage("", "<< >>", "/Cell " + ref(cell));
        auto doc = PDFDocument::openFromMemory(b.build());
        ImageRef picture = KXPDFUtilities::DrawStream(doc->page(1)->dictionary().dictGet("Cell"), {}, Rect(0, 0, 64, 64), nullptr);
        ASSERT_TRUE(picture);
        ImageRef rgba = toRGBA8(picture);
        for (size_t i = 3; i < rgba->pixels.size(); i += 4) ASSERT_EQ(rgba->pixels[i], 0) << "pixel " << i / 4;
    }
}

TEST(BitmapContexts, RefuseEmptyAndOversizedBitmaps) {
    EXPECT_TRUE(KXPDFUtilities::CreateARGBBitmapContextSize(Size{10.9, 3}));
    EXPECT_EQ(KXPDFUtilities::CreateARGBBitmapContextSize(Size{10.9, 3})->width(), 10);
    EXPECT_FALSE(KXPDFUtilities::CreateARGBBitmapContextSize(Size{0.5, 3}));
    EXPECT_FALSE(KXPDFUtilities::CreateARGBBitmapContextSize(Size{1e6, 1e6}));
    auto image = Image::make(4, 2, PixelFormat::RGB8);
    auto withAlpha = KXPDFUtilities::CreateARGBBitmapContextFromImageBitmapData(image);
    auto opaque = KXPDFUtilities::CreateARGBBitmapContextFromImage(image);
    ASSERT_TRUE(withAlpha && opaque);
    EXPECT_FALSE(withAlpha->isOpaque());
    EXPECT_TRUE(opaque->isOpaque());
    EXPECT_EQ(opaque->width(), 4);
    EXPECT_FALSE(KXPDFUtilities::CreateARGBBitmapContextFromImage(nullptr));
}

TEST(AppearanceStream, FormsArePlacedAtTheAnnotationAndImagesBelongToIt) {
    ScopedTemporaryRoot root;
    PDFBuilder b;
    int image = addRedBlueImage(b);
    int form = addForm(b, "/Resources << /XObject << /Im0 " + ref(image) + " >> >>", "0 0 10 10 re f q 20 0 0 10 0 0 cm /Im0 Do Q");
    int imageAppearance = b.addStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray",
                                      std::string(1, '\x80'));
    std::string annots = "[<< /Type /Annot /Subtype /Square /Rect [100 100 200 200] /AP << /N " + ref(form) + " >> >> "
                         "<< /Type /Annot /Subtype /Stamp /Rect [0 0 10 10] /AP << /N " + ref(imageAppearance) + " >> >>]";
    b.addPage("0 0 1 1 re f", "<< >>", "/MediaBox [0 0 612 792] /Annots " + annots);
    auto run = test::runPages(b);
    const auto& paths = run->recorder.paths;
    ASSERT_EQ(paths.size(), 2u);
    expectBox(paths[0].box, Rect(0, 0, 1, 1));
    expectBox(paths[1].box, Rect(100, 100, 10, 10));
    const auto& images = run->recorder.images;
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].objectID, "Im0");
    EXPECT_TRUE(images[0].hasAnnot);
    EXPECT_EQ(images[0].ctm, (AffineTransform{20, 0, 0, 10, 100, 100}));
    EXPECT_FALSE(images[0].path.empty());
    EXPECT_EQ(images[1].objectID.rfind("Annot-EI-", 0), 0u);
    EXPECT_TRUE(images[1].hasAnnot);
    EXPECT_EQ(test::rgbaPixels(images[1].path), (std::vector<int>{128, 128, 128, 255}));
    EXPECT_EQ(run->depthAfter, 1u);
}
