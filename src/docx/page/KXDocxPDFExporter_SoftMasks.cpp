// Soft masks: the interpreter paints a mask's group first (its image becomes the page's last image
// run, flagged as part of the mask); the path or image painted next under the mask is drawn
// through that image's gray level into a new PNG, and one image run carries the result.
//
// The pictures are drawn in display space (points, y downward) over the part that can show, and
// written into the conversion's temporary folder. Whatever cannot be drawn or written answers
// nothing, and the runs keep the files they had.

#include <algorithm>
#include <cmath>

#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "pdf/KXPDFUtilities.h"
#include "platform/BitmapContext.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "platform/LeftOut.h"
#include "platform/Numeric.h"
#include "util/KXPDFPathUtilities.h"
#include "util/KXPictureStore.h"
#include "util/KXWriteCGImageToURL.h"

namespace {

// The transform that takes a run's picture (its unit square, y upward) to the page.
kx::AffineTransform pictureToPage(const KXDocxRunImage& run) {
    const KXDocxImageInfo& i = run.pictInfo();
    if (!i.pdfTransform.isIdentity()) return i.pdfTransform;
    const kx::Rect r = i.displayFrame().standardized();
    return {r.width(), 0, 0, -r.height(), r.minX(), r.minY() + r.height()};
}

// A bitmap over `area` (display space) at `sx` x `sy` pixels a point, with display space as its
// user space; null when it would be less than a pixel. Too large a bitmap is drawn at lower scales.
std::unique_ptr<kx::BitmapContext> displayBitmap(const kx::Rect& area, double sx, double sy) {
    double w = area.width() * sx, h = area.height() * sy;
    if (w * h > KXDocxRunImage::kMaxPicturePixels) {
        const double f = std::sqrt(KXDocxRunImage::kMaxPicturePixels / (w * h));
        sx *= f;
        sy *= f;
        w *= f;
        h *= f;
        kx::LeftOut::note("pictures drawn at a lower resolution to fit the memory bound");
    }
    const std::int64_t pw = kx::roundToInt<std::int64_t>(w), ph = kx::roundToInt<std::int64_t>(h);
    if (pw < 1 || ph < 1) return nullptr;
    std::unique_ptr<kx::BitmapContext> ctx = kx::BitmapContext::create(pw, ph);
    if (!ctx) return nullptr;
    ctx->translateCTM(0, static_cast<double>(ph));
    ctx->scaleCTM(1, -1);
    ctx->scaleCTM(static_cast<double>(pw) / area.width(), static_cast<double>(ph) / area.height());
    ctx->translateCTM(-area.minX(), -area.minY());
    return ctx;
}

// Limits what is drawn next to the mask picture's gray level where its run stands.
void clipToMaskRun(kx::BitmapContext& ctx, const kx::Image& mask, const KXDocxRunImage& maskRun) {
    const kx::AffineTransform place = pictureToPage(maskRun);
    if (!place.isInvertible()) return;
    ctx.concatCTM(place);
    ctx.clipToMask(mask, kx::Rect(0, 0, 1, 1));
    ctx.concatCTM(place.inverted());
}

std::optional<std::string> writeMasked(const kx::ImageRef& picture, const std::string& name) {
    if (!picture) return std::nullopt;
    const std::string path = KXPDFPathUtilities::getUUIDPathBy(KXPDFPathUtilities::tempIMG(name, "png"));
    if (!KXWriteOrDeferCGImageToURL(picture, path, kx::ImageFileType::PNG, 72, 72, 1.0f,
                                    kKXPackagePictureDeflateLevel)) return std::nullopt;
    return path;
}

}  // namespace

std::optional<std::string> KXDocxPDFExporter::RunPath(const KXDocxRunPath& path, KXDocxRunImage* mask,
                                                      const kx::AffineTransform& /*transform*/, bool applyRunImage) {
    if (!mask) return std::nullopt;
    kx::ImageRef gray = KXPDFUtilities::CGImageWithContentsOfFile_DeviceGray(mask->imagePath());
    if (!gray) return std::nullopt;
    const kx::Rect maskFrame = mask->displayRect().standardized();
    const kx::Rect overlap = path.displayRect().standardized().intersection(maskFrame);
    // An overlap with a side of (nearly) nothing shows nothing.
    if (overlap.isNull() || overlap.width() < 0.1 || overlap.height() < 0.1) return std::nullopt;
    if (!(maskFrame.width() > 0) || !(maskFrame.height() > 0)) return std::nullopt;
    // The mask's own resolution.
    const double sx = gray->width / maskFrame.width(), sy = gray->height / maskFrame.height();
    std::unique_ptr<kx::BitmapContext> ctx = displayBitmap(overlap, sx, sy);
    if (!ctx) return std::nullopt;
    clipToMaskRun(*ctx, *gray, *mask);
    path.drawInContext(ctx.get(), kx::AffineTransform::identity(), false);
    kx::ImageRef picture = ctx->makeImage();
    std::optional<std::string> file = writeMasked(picture, "PathSmaskImage_" + mask->runImageID());
    if (file && applyRunImage) {
        KXDocxImageInfo& info = mask->pictInfo();
        info.becomeUprightPicture(overlap, picture->width, picture->height);
        // The path's own alpha is drawn into the picture: the mask group's opacity would show it
        // a second time.
        info.opacity = 1.0f;
    }
    return file;
}

std::optional<std::string> KXDocxPDFExporter::RunImage(KXDocxRunImage& image, const KXDocxRunImage& mask,
                                                       const kx::AffineTransform& /*transform*/) {
    kx::ImageRef picture = KXPictureStore::shared().read(image.imagePath());
    kx::ImageRef gray = KXPDFUtilities::CGImageWithContentsOfFile_DeviceGray(mask.imagePath());
    if (!picture || !gray) return std::nullopt;
    const KXDocxImageInfo& info = image.pictInfo();
    const kx::Rect shown = image.displayRect().standardized();
    if (!(info.displayWidth > 0) || !(info.displayHeight > 0) || shown.isNull()) return std::nullopt;
    // The picture's own resolution.
    const double sx = picture->width / info.displayWidth, sy = picture->height / info.displayHeight;
    std::unique_ptr<kx::BitmapContext> ctx = displayBitmap(shown, sx, sy);
    if (!ctx) return std::nullopt;
    clipToMaskRun(*ctx, *gray, mask);
    ctx->saveGState();
    ctx->concatCTM(pictureToPage(image));
    ctx->drawImage(*picture, kx::Rect(0, 0, 1, 1));
    ctx->restoreGState();
    kx::ImageRef masked = ctx->makeImage();
    std::optional<std::string> file = writeMasked(masked, "ImageSmaskImage_" + image.runImageID());
    if (!file) return std::nullopt;
    // The new picture stands upright over the frame the image was shown in.
    image.pictInfo().becomeUprightPicture(shown, masked->width, masked->height);
    return file;
}

std::shared_ptr<KXDocxRunImage> KXDocxPDFExporter::softMaskImageRun() const {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    if (!page || page->allRunImageArray().empty()) return nullptr;
    // Only a picture that the mask's group painted is the mask: any other is content of the page.
    const std::shared_ptr<KXDocxRunImage>& last = page->allRunImageArray().back();
    return last->isExtGStateSMask() ? last : nullptr;
}

bool KXDocxPDFExporter::maskImageWithSoftMask(KXDocxRunImage& run, const kx::AffineTransform& transform) {
    std::shared_ptr<KXDocxRunImage> mask = softMaskImageRun();
    if (!mask) return false;
    const std::string old = run.imagePath();
    // The run's record changes only once the new picture is written.
    auto trial = std::static_pointer_cast<KXDocxRunImage>(run.copy());
    std::optional<std::string> masked = RunImage(*trial, *mask, transform);
    if (!masked) return false;
    std::string id = writer_->collectImageWithPath(*masked);
    if (id.empty()) return false;
    KXDocxPage* page = writer_->currentPage();
    writer_->removeCollectedImageWithPath(mask->imagePath());
    std::erase(page->allRunImageArray(), mask);
    writer_->removeCollectedImageWithPath(old);
    run.setPictInfo(trial->pictInfo());
    run.setRunImageID(std::move(id));
    run.setImagePath(*masked);
    run.setRunImageTitle(kx::pathFileName(*masked));
    run.setIsExtGStateSMask(false);
    return true;
}

bool KXDocxPDFExporter::cutSoftMaskPictureWithPath(const KXDocxRunPath& run) {
    std::shared_ptr<KXDocxRunImage> mask = softMaskImageRun();
    if (!mask) return false;
    const std::string old = mask->imagePath();
    // The mask's record changes only once the new picture is written.
    auto trial = std::static_pointer_cast<KXDocxRunImage>(mask->copy());
    std::optional<std::string> cut = RunPath(run, trial.get(), currentPageTransform(), true);
    if (!cut) return false;
    std::string id = writer_->collectImageWithPath(*cut);
    if (id.empty()) return false;
    writer_->removeCollectedImageWithPath(old);
    mask->setPictInfo(trial->pictInfo());
    mask->setRunImageID(std::move(id));
    mask->setImagePath(*cut);
    mask->setRunImageTitle(kx::pathFileName(*cut));
    mask->setIsExtGStateSMask(false);
    return true;
}
