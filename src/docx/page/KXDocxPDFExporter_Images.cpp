// Painted images reported by the interpreter become image runs of the page: placed where the image
// is painted (turned and mirrored as drawn), cut by the clip into a new picture when the clip cuts
// it, and seen through the soft mask that the graphics state holds.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "docx/model/KXDocxManager.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "pdf/annot/KXPDFAnnot.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/interpreter/KXPDFRenderStateStack.h"
#include "pdf/state/KXPDFRenderState.h"
#include "pdf/xobject/KXPDFImageXObject.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "platform/ImageSamples.h"
#include "platform/LeftOut.h"
#include "util/KXPictureStore.h"

namespace {

// A page takes no more images than this: a bound against content that paints an image over and
// over. The images past it are left out, and the page says how many.
constexpr size_t kMaxImageRuns = 20000;

}  // namespace

int KXDocxPDFExporter::pictureDPI() {
    return std::clamp(KXDocxManager::sharedInstance().moreOptions().imageDPI(), 72, 600);
}

double KXDocxPDFExporter::pictureScale(const kx::Rect& area, double scale) {
    const double points = area.isNull() ? 0 : area.width() * area.height();
    if (!(points > 0) || !std::isfinite(points)) return scale;
    // A page full of pictures is drawn softer once it has used its budget, never at less than a
    // quarter pixel a point.
    const double left = std::max(0.0, kMaxPagePicturePixels - pagePicturePixels_);
    if (points * scale * scale > left) {
        scale = std::max(kMinPictureScale, std::min(scale, std::sqrt(left / points)));
        kx::LeftOut::note("pictures drawn at a lower resolution past the page's picture budget");
    }
    pagePicturePixels_ += points * scale * scale;
    return scale;
}

kx::Rect KXDocxPDFExporter::visibleDisplayArea() const {
    const kx::Rect page(0, 0, pageSize().width, pageSize().height);
    std::optional<kx::Rect> clip = visibleClipRect();
    if (!clip) return page;
    if (clip->isNull()) return *clip;
    return currentPageTransform().apply(*clip).standardized().intersection(page);
}

void KXDocxPDFExporter::didScanXObjectImage(KXPDFConentParser& parser, const std::shared_ptr<KXPDFXObject>& object) {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    const KXPDFRenderState* state = topState();
    if (!page || !state || !object || object->getType() != KXPDFXObject::Image || isShouldCancel()) return;
    if (failsPageForImage(*object)) return;
    if (page->allRunImageArray().size() >= kMaxImageRuns) {
        static const std::string kPastImages = "images past the " + std::to_string(kMaxImageRuns) + " a page holds";
        kx::LeftOut::note(kPastImages);
        return;
    }
    const auto& xobject = static_cast<const KXPDFImageXObject&>(*object);
    bool clipped = !state->clipBezierPaths().empty();
    // An image that its clip leaves less than a point of is not seen.
    kx::Rect visible;
    if (clipped) {
        visible = visibleDisplayArea();
        if (visible.isNull() || visible.width() < 1.0 || visible.height() < 1.0) return;
    }
    const std::string& decoded = xobject.cachedImagePath();
    if (!KXPictureStore::shared().exists(decoded)) {
        std::fprintf(stderr, "didScanXObjectImage: Image isn't exists:%s\n", decoded.c_str());
        return;
    }
    const int pixelWidth = static_cast<int>(xobject.pixelSize().width);
    const int pixelHeight = static_cast<int>(xobject.pixelSize().height);
    const kx::AffineTransform m = paintTransform();
    const kx::PicturePlacement placed = placementOf(m);
    // A picture smaller than a pixel, in its file or on the page, shows nothing.
    const double pixel = 72.0 / pictureDPI();
    if (pixelWidth < 1 || pixelHeight < 1 || !(placed.displayWidth >= pixel) || !(placed.displayHeight >= pixel))
        return;

    KXDocxImageInfo info;
    info.pdfTransform = m;
    info.imageID = object->objectID();
    info.imageTitle = kx::pathFileName(decoded);
    info.opacity = static_cast<float>(state->currentFillAlpha());
    info.pixelWidth = pixelWidth;
    info.pixelHeight = pixelHeight;
    std::copy(std::begin(placed.vertices), std::end(placed.vertices), info.vertices.begin());
    info.setDisplayFrame(placed.displayRect);
    if (object->annot()) info.setDisplayFrame(currentPageTransform().apply(object->annot()->bounds()).standardized());
    float rotation = placed.angle;
    if (placed.mirrored) {
        info.flipY = true;
        rotation = 360.0f - rotation;
    }
    while (rotation >= 360.0f) rotation -= 360.0f;
    while (rotation < 0.0f) rotation += 360.0f;
    info.rotation = rotation;
    info.horizontalResolution = info.verticalResolution = 72;
    // An image beyond the decode budget was decoded at a lower resolution than it has.
    if (xobject.decodeReduction() > 1) kx::LeftOut::note("images reduced to fit the memory bound");

    closeTextForPicture();

    std::string file = decoded;
    if (clipped) {
        if (kx::ImageRef image = KXPictureStore::shared().read(decoded)) {
            const kx::Rect imageRect = info.displayFrame();
            // Only the clip's box is drawn: the page's budget of pixels is spent on that.
            const double scale = pictureScale(visible, pictureDPI() / 72.0);
            if (std::optional<kx::CapturedPicture> cut =
                    writeClippedImage(image, m, imageRect, scale * 72.0, object->objectID() + "-Clip")) {
                file = cut->path;
                info.becomeUprightPicture(cut->displayRect, cut->pixelWidth, cut->pixelHeight);
            }
        } else {
            // The decoded file is kept as it is, uncut.
            std::fprintf(stderr, "didScanXObjectImage: image with path is null:%s!\n", decoded.c_str());
        }
    }

    std::string id = writer_->collectImageWithPath(file);
    // A file the package cannot carry is no picture of the document.
    if (id.empty()) return;
    std::shared_ptr<KXDocxRunImage> run = newImageRun(*state, std::move(id), file, info);

    if (!state->isParseringExtGState() && state->haveSoftMask()) {
        // The mask is used up by this image.
        if (const auto& stack = parser.renderingStateStack()) stack->topRenderingState().setHaveSoftMask(false);
        if (state->softMaskBlendMode() != 0) maskImageWithSoftMask(*run, m);
    }
    page->allRunImageArray().push_back(std::move(run));
}
