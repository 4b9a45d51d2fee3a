#include "capture/CaptureClip.h"

#include <algorithm>
#include <cmath>

#include "engine/KXPDFExporter.h"
#include "pdf/state/KXPDFRenderState.h"
#include "pdf/shading/KXPDFShading.h"
#include "pdf/state/KXPDFCGPathUtilities.h"
#include "pdf/state/KXPDFClipPath.h"
#include "util/KXPDFPathUtilities.h"
#include "util/KXPictureStore.h"
#include "util/KXWriteCGImageToURL.h"

namespace kx {

void CaptureClip::beginPage(kx::Size pageSize, const kx::AffineTransform& pageTransform) {
    pageSize_ = pageSize;
    pageTransform_ = pageTransform;
    clipCache_.reset();
    clipBoundsCache_.reset();
    pathClipCache_.reset();
}

// ---- What the clip lets show ----

std::optional<kx::Rect> CaptureClip::rectangularClipBox(const ClipPaths& paths) const {
    // The page's bitmap, as ClipRectInContextSize draws it: whole points from the origin.
    const kx::AffineTransform& t = pageTransform_;
    if (!t.isInvertible()) return std::nullopt;
    const double w = std::ceil(static_cast<float>(pageSize_.width));
    const double h = std::ceil(static_cast<float>(pageSize_.height));
    if (!(w >= 1.0) || !(h >= 1.0)) return std::nullopt;
    kx::Rect box(0, 0, w, h);
    for (const auto& clip : paths.paths()) {
        if (!clip) continue;
        std::optional<kx::Path> path = KXPDFCGPathUtilities::CGPathWithNSArray(clip->pathArray());
        if (!path) continue;
        kx::Rect r;
        // Any other shape is left to the bitmap.
        if (!path->transformed(t).isRect(&r)) return std::nullopt;
        box = box.intersection(r);
        if (box.isNull() || !(box.size.width > 0) || !(box.size.height > 0)) return kx::Rect::null();
    }
    return t.inverted().apply(box).standardized();
}

kx::Rect CaptureClip::visibleRect(const ClipPaths& paths) const {
    if (clipCache_ && clipCache_->paths == paths) return clipCache_->rect;
    std::optional<kx::Rect> boxed = rectangularClipBox(paths);
    kx::Rect rect = boxed ? *boxed : KXPDFExporter::ClipRectInContextSize(pageSize_, pageTransform_, paths.paths());
    clipCache_ = ClipCache{paths, rect};
    return rect;
}

kx::Rect CaptureClip::displayBounds(const ClipPaths& paths) const {
    if (clipBoundsCache_ && clipBoundsCache_->paths == paths) return clipBoundsCache_->rect;
    // The box of each path's points: a curve stays within the box of its control points.
    const kx::AffineTransform& t = pageTransform_;
    kx::Rect box = kx::Rect::infinite();
    for (const auto& clip : paths.paths()) {
        if (!clip) continue;
        const std::vector<KXPDFPathElement>& elements = clip->pathArray().elements;
        // A path of unknown elements is no path (as CGPathWithNSArray has it).
        if (std::any_of(elements.begin(), elements.end(), [](const KXPDFPathElement& e) { return e.type < 0 || e.type > 4; }))
            continue;
        double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
        for (const KXPDFPathElement& e : elements) {
            for (const kx::Point& p : e.points) {
                const kx::Point q = t.apply(p);
                x0 = std::min(x0, q.x);
                x1 = std::max(x1, q.x);
                y0 = std::min(y0, q.y);
                y1 = std::max(y1, q.y);
            }
        }
        box = x0 > x1 || y0 > y1 ? kx::Rect::null() : box.intersection(kx::Rect(x0, y0, x1 - x0, y1 - y0));
        if (box.isNull()) break;
    }
    clipBoundsCache_ = ClipCache{paths, box};
    return box;
}

bool CaptureClip::showsPath(const ClipPaths& paths, const kx::Path& path, double lineWidth, kx::Rect* clipBound) const {
    if (!pathClipCache_ || pathClipCache_->paths != paths)
        pathClipCache_ = PathClipCache{paths, KXPDFExporter::ClipBoxInContextSize(pageSize_, pageTransform_, paths.paths())};
    const std::optional<kx::Rect>& box = pathClipCache_->box;
    if (clipBound) *clipBound = box ? *box : kx::Rect();
    return box && KXPDFExporter::PathBoxMeetsClipBox(path, lineWidth, *box) && !path.isEmpty();
}

// ---- Pictures drawn through the clip ----

std::optional<CapturedPicture> CaptureClip::writePicture(const kx::ImageRef& picture, const kx::Rect& rect,
                                                         const std::string& name, double dpi) const {
    return writePicture(kx::PlacedImage::whole(picture), rect, name, dpi);
}

std::optional<CapturedPicture> CaptureClip::writePicture(const kx::PlacedImage& picture, const kx::Rect& rect,
                                                         const std::string& name, double dpi) const {
    if (!picture.image) return std::nullopt;
    const std::string path = KXPDFPathUtilities::getUUIDPathBy(KXPDFPathUtilities::tempIMG(name, "PNG"));
    if (!KXWriteOrDeferCGImageToURL(picture, path, kx::ImageFileType::PNG, dpi, dpi, 1.0f,
                                    kKXPackagePictureDeflateLevel)) return std::nullopt;
    return CapturedPicture{path, rect, picture.width, picture.height};
}

std::optional<CapturedPicture> CaptureClip::writeClippedImage(const ClipPaths& paths, const kx::ImageRef& image,
                                                              const kx::AffineTransform& imageTransform,
                                                              const kx::Rect& imageRect, double dpi,
                                                              const std::string& name) const {
    kx::Rect rect = imageRect;
    // Mostly transparent: held as its painted part.
    kx::PlacedImage clipped = KXPDFExporter::ClipPlacedImageInContextSize(
        pageSize_, image, kx::AffineTransform::makeScale(dpi / 72.0, dpi / 72.0), pageTransform_, imageTransform,
        imageRect, paths.paths(), &rect);
    return writePicture(clipped, rect, name, dpi);
}

std::optional<CapturedPicture> CaptureClip::writeShadingPicture(const ClipPaths& paths,
                                                                const kx::AffineTransform& paintTransform,
                                                                const KXPDFShading& shading, double scale) const {
    kx::Rect rect;
    kx::ImageRef picture = KXPDFExporter::DrawShadingInContextSize(
        pageSize_, paintTransform, kx::AffineTransform::makeScale(scale, scale), pageTransform_, paths.paths(), &rect,
        &shading);
    return writePicture(picture, rect, "Shading", 72);
}

std::optional<CapturedPicture> CaptureClip::writePatternPicture(const KXPDFRenderState& state,
                                                                const kx::AffineTransform& paintTransform,
                                                                const kx::Path& path, bool stroke, bool fill,
                                                                double scale) const {
    kx::Rect rect;
    kx::ImageRef picture = KXPDFExporter::DrawPatternInContextSize(
        pageSize_, paintTransform, kx::AffineTransform::makeScale(scale, scale), pageTransform_,
        state.clipBezierPaths().paths(), &rect, path, state.fillPattern().get(), state.strokePattern().get(), stroke, fill,
        false);
    return writePicture(picture, rect, "Pattern", 72);
}

}  // namespace kx
