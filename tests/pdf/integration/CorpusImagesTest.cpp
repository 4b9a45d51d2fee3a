// Every page of the shared corpus runs through the interpreter with its images: every image that
// is painted must come back as a readable file of its pixel size, or be reported as not decoded.
// The figures are printed for the record.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/xobject/KXPDFImageXObject.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "platform/pdf/PDFDocument.h"
#include "support/TestSupport.h"

namespace {

class ImageCounter : public KXPDFConentParserDelegate {
public:
    void didScanXObjectImage(KXPDFConentParser&, const std::shared_ptr<KXPDFXObject>& object) override {
        auto* image = dynamic_cast<KXPDFImageXObject*>(object.get());
        if (!image) return;
        ++reported;
        if (image->cachedImagePath().empty()) {
            ++undecoded;
            return;
        }
        kx::ImageRef picture = kx::readImageFile(image->cachedImagePath());
        EXPECT_TRUE(picture) << image->cachedImagePath();
        if (!picture) return;
        ++written;
        pixels += static_cast<double>(picture->width) * picture->height;
        // JPEG 2000 and JPEG data may state another size than their dictionaries; everything else
        // comes out at the size the dictionary gives.
        if (picture->width != image->pixelSize().width || picture->height != image->pixelSize().height) ++resized;
    }
    size_t reported = 0, undecoded = 0, written = 0, resized = 0;
    double pixels = 0;
};

}  // namespace

TEST(CorpusImages, EveryPaintedImageIsWrittenOrReportedUndecoded) {
    const std::vector<std::string> corpus = kx::test::corpusPDFs();
    KX_REQUIRE_CORPUS(!corpus.empty());
    kx::ScopedTemporaryRoot temporary;
    ImageCounter counter;
    const auto start = std::chrono::steady_clock::now();
    const kx::test::PagesVisited visited =
        kx::test::forEachPage(corpus, [&](const std::string&, const kx::PDFPage& page, int) {
            KXPDFConentParser parser(page.dictionary(), kx::PDFContentStream::forPage(page));
            parser.setDelegate(&counter);
            parser.startParser();
        });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("corpus images: %zu files, %zu pages, %zu images painted, %zu written (%.1f Mpixel), %zu not decoded, "
                "%zu at another size than their dictionary, %.2f s\n",
                visited.files, visited.pages, counter.reported, counter.written, counter.pixels / 1e6, counter.undecoded, counter.resized,
                seconds);
    EXPECT_EQ(counter.undecoded, 0u);
}
