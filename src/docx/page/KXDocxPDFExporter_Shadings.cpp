// Shadings (the sh operator) and pattern-painted paths: what WordprocessingML cannot draw as a
// shape is drawn as a picture of what shows through the clip, and placed where it was painted.

#include <cmath>

#include "docx/model/KXDocxCounters.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "pdf/shading/KXPDFShading.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/FileSystem.h"

void KXDocxPDFExporter::addDrawnPicture(const kx::CapturedPicture& picture) {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    const KXPDFRenderState* state = topState();
    if (!page || !state || picture.path.empty()) return;
    const kx::Rect r = picture.displayRect.standardized();
    // A picture of less than a pixel's side shows nothing.
    if (r.isNull() || !(r.width() > 0) || !(r.height() > 0) || picture.pixelWidth < 1 || picture.pixelHeight < 1) return;
    std::string id = writer_->collectImageWithPath(picture.path);
    if (id.empty()) return;
    KXDocxImageInfo info;
    info.setDisplayFrame(r);
    info.pixelWidth = picture.pixelWidth;
    info.pixelHeight = picture.pixelHeight;
    info.horizontalResolution = std::round(picture.pixelWidth * 72.0 / r.width());
    info.verticalResolution = std::round(picture.pixelHeight * 72.0 / r.height());
    info.imageID = id;
    info.imageTitle = kx::pathFileName(picture.path);
    info.opacity = 1.0f;
    info.vertices = {kx::Point{r.minX(), r.minY()}, kx::Point{r.maxX(), r.minY()}, kx::Point{r.maxX(), r.maxY()},
                     kx::Point{r.minX(), r.maxY()}};
    page->allRunImageArray().push_back(newImageRun(*state, std::move(id), picture.path, info));
}

std::shared_ptr<KXDocxRunImage> KXDocxPDFExporter::newImageRun(const KXPDFRenderState& state, std::string id,
                                                               const std::string& file, const KXDocxImageInfo& info) {
    auto run = std::make_shared<KXDocxRunImage>();
    run->setIsExtGStateSMask(state.isParseringExtGState());
    run->setIsAnnotion(state.isParseringAnnotion());
    run->setPdfAnnotionIndex(state.pdfAnnotionIndex());
    run->setPdfScanIndex(nextScanIndex());
    run->setPictZIndex(KXDocxCounters::sharedInstance().nextShapeZIndex());
    run->setRunImageID(std::move(id));
    run->setRunImageTitle(info.imageTitle);
    run->setImagePath(file);
    run->setPictInfo(info);
    run->setRProperty(currentRProperty(currentDisplayTextTransform()));
    return run;
}

void KXDocxPDFExporter::didScanPaintShading(KXPDFConentParser&, const std::shared_ptr<KXPDFShading>& shading) {
    if (!shading || !topState() || !writer_ || !writer_->currentPage() || isShouldCancel()) return;
    const kx::Rect area = visibleDisplayArea();
    if (area.isNull()) return;
    const double scale = pictureScale(area, pictureDPI() / 72.0);
    if (std::optional<kx::CapturedPicture> picture = writeShadingPicture(*shading, scale)) addDrawnPicture(*picture);
}

void KXDocxPDFExporter::didScanPatternPath(KXPDFConentParser&, const kx::Path& path, bool stroke, bool fill) {
    if (path.isEmpty() || !topState() || !writer_ || !writer_->currentPage() || isShouldCancel()) return;
    kx::Rect area = visibleDisplayArea();
    if (area.isNull()) return;
    if (const kx::Rect painted = path.transformed(currentPageTransform()).boundingBox(); !painted.isNull())
        area = area.intersection(painted.standardized().insetBy(-1, -1));
    if (area.isNull()) return;
    const double scale = pictureScale(area, pictureDPI() / 72.0);
    if (std::optional<kx::CapturedPicture> picture = writePatternPicture(path, stroke, fill, scale))
        addDrawnPicture(*picture);
}
