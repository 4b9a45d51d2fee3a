#pragma once
// Runs generated pages through the interpreter and records the images it reports (with the state
// at the moment of the report), the painted paths, and the pixels of the decoded files.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/state/KXPDFRenderState.h"
#include "pdf/xobject/KXPDFImageXObject.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"

namespace kx::test {

struct ReportedImage {
    std::string path;
    kx::Size pixelSize;
    std::string objectID;
    kx::AffineTransform ctm;
    bool hasAnnot = false;
    bool overPixelBudget = false;
};

struct ReportedPath {
    kx::Rect box;  // bounding box in page space
    std::int32_t formDepth = 0;
};

class ImageRecorder : public KXPDFConentParserDelegate {
public:
    void didScanXObjectImage(KXPDFConentParser& parser, const std::shared_ptr<KXPDFXObject>& object) override {
        auto* image = dynamic_cast<KXPDFImageXObject*>(object.get());
        ASSERT_NE(image, nullptr);
        images.push_back({image->cachedImagePath(), image->pixelSize(), object->objectID(),
                          parser.currentRenderingState().ctm(), object->annot() != nullptr, image->isOverPixelBudget()});
    }
    void didScanPath(KXPDFConentParser& parser, const kx::Path& path, bool, bool) override {
        paths.push_back({path.boundingBox(), parser.formDepth()});
    }
    std::vector<ReportedImage> images;
    std::vector<ReportedPath> paths;
};

struct ImageRun {
    std::shared_ptr<kx::PDFDocument> doc;
    ImageRecorder recorder;
    std::shared_ptr<KXPDFRenderStateStack> stack = std::make_shared<KXPDFRenderStateStack>();
    size_t depthAfter = 0;
};

// Runs every page of the built document with one recorder.
inline std::unique_ptr<ImageRun> runPages(PDFBuilder& b) {
    auto run = std::make_unique<ImageRun>();
    run->doc = kx::PDFDocument::openFromMemory(b.build());
    if (!run->doc) return run;
    for (int n = 1; n <= run->doc->pageCount(); ++n) {
        auto page = run->doc->page(n);
        if (!page) continue;
        KXPDFConentParser parser(page->dictionary(), kx::PDFContentStream::forPage(*page));
        parser.setDelegate(&run->recorder);
        parser.setRenderingStateStack(run->stack);
        parser.startParser();
        run->depthAfter = run->stack->depth();
    }
    return run;
}

// Straight RGBA pixels of an image file.
inline std::vector<int> rgbaPixels(const std::string& path) {
    kx::ImageRef img = kx::toRGBA8(kx::readImageFile(path));
    if (!img) return {};
    return {img->pixels.begin(), img->pixels.end()};
}

inline int maxDifference(const std::vector<int>& a, const std::vector<int>& b) {
    if (a.size() != b.size()) return 1000;
    int m = 0;
    for (size_t i = 0; i < a.size(); ++i) m = std::max(m, std::abs(a[i] - b[i]));
    return m;
}

// Files in the temporary root whose names start with the prefix.
inline size_t countTempFiles(const std::string& prefix) {
    size_t n = 0;
    for (const std::string& name : kx::listDirectory(kx::temporaryRoot()))
        if (name.rfind(prefix, 0) == 0) ++n;
    return n;
}

}  // namespace kx::test
