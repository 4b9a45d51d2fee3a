// Rasterising through the clip: shadings, pattern-filled paths and clipped pictures drawn into
// page-sized bitmaps, and the clip's bounding box. The bitmaps are y-down display space (points)
// scaled to pixels; the clip paths of the render state are in page space and reach the bitmap
// through the page transform.

#include <cmath>
#include <cstdio>

#include "engine/KXPDFExporter.h"
#include "pdf/state/KXPDFCGPathUtilities.h"
#include "pdf/state/KXPDFClipPath.h"
#include "pdf/shading/KXPDFPattern.h"
#include "pdf/shading/KXPDFShading.h"
#include "platform/BitmapContext.h"
#include "platform/Numeric.h"

namespace {

using ClipPaths = std::vector<std::shared_ptr<const KXPDFClipPath>>;

struct Canvas {
    std::unique_ptr<kx::BitmapContext> context;
    double width = 0;   // pixels of the whole bitmap
    double height = 0;
    // The part of the whole bitmap that is made: its top-left pixel (y-down) and its size. What
    // lies outside it is cut away by the clip, so it is never drawn.
    int left = 0;
    int top = 0;
};

// Pixels by which the part made exceeds the bounds of the clip on every side: cairo's clip box
// is the clip's box rounded out to whole pixels, and antialiasing reaches half a pixel beyond.
constexpr double kRegionMargin = 2.0;

// The pixels of the whole bitmap (w x h, y-down) that can be painted under the clip paths, as
// whole pixels: the box of every clip path mapped by `toPixels`, intersected, with a margin. The
// whole bitmap without clip paths or when a box is not finite; empty (null) when nothing shows.
kx::Rect clipRegion(double w, double h, const ClipPaths& clipPaths, const kx::AffineTransform& toPixels) {
    kx::Rect region(0, 0, w, h);
    for (const auto& clip : clipPaths) {
        if (!clip) continue;
        std::optional<kx::Path> path = KXPDFCGPathUtilities::CGPathWithNSArray(clip->pathArray());
        if (!path) continue;
        kx::Rect box = path->transformed(toPixels).boundingBox();
        if (box.isNull()) return kx::Rect::null();
        box = box.standardized();
        if (!std::isfinite(box.minX()) || !std::isfinite(box.minY()) || !std::isfinite(box.maxX()) ||
            !std::isfinite(box.maxY()))
            return kx::Rect(0, 0, w, h);
        const double x0 = std::floor(box.minX()) - kRegionMargin, y0 = std::floor(box.minY()) - kRegionMargin;
        const double x1 = std::ceil(box.maxX()) + kRegionMargin, y1 = std::ceil(box.maxY()) + kRegionMargin;
        region = region.intersection(kx::Rect(x0, y0, x1 - x0, y1 - y0));
        if (region.isNull() || !(region.size.width > 0) || !(region.size.height > 0)) return kx::Rect::null();
    }
    return region;
}

// The bitmap's size in pixels from the page size (and the scale for the drawing operations); zero
// for a mirrored (negative) or squeezed size, or one that is not a number.
kx::Size canvasSize(kx::Size size, const kx::AffineTransform* scale) {
    float w = std::ceil(static_cast<float>(size.width));
    float h = std::ceil(static_cast<float>(size.height));
    double W = w, H = h;
    if (scale) {
        W = std::ceil(static_cast<float>(w * scale->a + h * scale->c));
        H = std::ceil(static_cast<float>(w * scale->b + h * scale->d));
    }
    if (!(W >= 1.0) || !(H >= 1.0)) return {0, 0};
    return {std::fabs(W), std::fabs(H)};
}

// Steps shared by every operation: the bitmap of `pixels` (canvasSize), and its transform turned
// y-down with `transform` after it, so that `transform` leads straight to its pixels. Only the
// part `region` of it (whole pixels, within the bitmap; the whole bitmap when null) is made, and
// the transform shifted to match: the same pixels as the whole bitmap would have there.
Canvas makeCanvas(kx::Size pixels, const kx::AffineTransform& transform, kx::Rect region = kx::Rect::null()) {
    Canvas canvas;
    const double W = pixels.width, H = pixels.height;
    if (!(W >= 1.0) || !(H >= 1.0)) {
        std::fputs("Context Size Zero!\n", stderr);
        return canvas;
    }
    if (region.isNull()) region = kx::Rect(0, 0, W, H);
    canvas.context = kx::BitmapContext::create(kx::toInt<std::int64_t>(region.size.width),
                                               kx::toInt<std::int64_t>(region.size.height));
    if (!canvas.context) {
        std::fputs("Context not created!\n", stderr);
        return canvas;
    }
    canvas.width = W;
    canvas.height = H;
    canvas.left = kx::toInt<int>(region.minX());
    canvas.top = kx::toInt<int>(region.minY());
    canvas.context->translateCTM(-region.minX(), region.size.height + region.minY());
    canvas.context->scaleCTM(1, -1);
    canvas.context->concatCTM(transform);
    return canvas;
}

// The canvas of a drawing operation: as much of the scaled page's bitmap as the clip paths
// (display space, mapped by `pageTransform`) leave visible, and `extra` (pixels) with it.
Canvas makeClippedCanvas(kx::Size size, const kx::AffineTransform& scale, const kx::AffineTransform& pageTransform,
                         const ClipPaths& clipPaths, const kx::Rect& extra = kx::Rect::infinite()) {
    const kx::Size pixels = canvasSize(size, &scale);
    kx::Rect region = clipRegion(pixels.width, pixels.height, clipPaths, pageTransform.concat(scale));
    if (!region.isNull() && !extra.isInfinite()) region = region.intersection(extra);
    // Nothing visible: the whole bitmap, as it always was (its picture is the blank page).
    if (region.isNull() || !(region.size.width > 0) || !(region.size.height > 0)) region = kx::Rect::null();
    return makeCanvas(pixels, scale, region);
}

// The most pixels one picture is drawn with: when the part of the page the clip leaves would take
// more at the requested scale, it is drawn at a scale lowered to fit (the picture shows the same
// area, a little softer, and one huge clip cannot exhaust memory).
constexpr double kMaxPicturePixels = 32.0 * 1024 * 1024;

kx::AffineTransform cappedScale(kx::Size size, const kx::AffineTransform& scale, const kx::AffineTransform& pageTransform,
                                const ClipPaths& clipPaths) {
    const kx::Size pixels = canvasSize(size, &scale);
    const kx::Rect region = clipRegion(pixels.width, pixels.height, clipPaths, pageTransform.concat(scale));
    const double count = region.isNull() ? pixels.width * pixels.height : region.size.width * region.size.height;
    if (!(count > kMaxPicturePixels)) return scale;
    const double f = std::sqrt(kMaxPicturePixels / count);
    return scale.concat(kx::AffineTransform::makeScale(f, f));
}

// Intersects the clip with every clip path (mapped by `pathTransform`), each with its own rule.
// An element array that does not make a path adds nothing.
void clipWithPaths(kx::BitmapContext& ctx, const ClipPaths& clipPaths, const kx::AffineTransform& pathTransform) {
    for (const auto& clip : clipPaths) {
        if (!clip) continue;
        std::optional<kx::Path> path = KXPDFCGPathUtilities::CGPathWithNSArray(clip->pathArray());
        if (!path) continue;
        ctx.beginPath();
        ctx.addPath(path->transformed(pathTransform));
        ctx.clip(clip->clipType() == KXPDFClipPath::EvenOdd ? kx::FillRule::EvenOdd : kx::FillRule::NonZero);
    }
}

// The whole bitmap as a picture. Where only a part of it was made, nothing was painted (the
// clip showed nothing): a blank picture of the whole size.
kx::ImageRef wholeImage(const Canvas& canvas) {
    const bool partial = canvas.left != 0 || canvas.top != 0 || canvas.context->width() != canvas.width ||
                         canvas.context->height() != canvas.height;
    if (!partial) return canvas.context->makeImage();
    return kx::Image::make(kx::toInt<int>(canvas.width), kx::toInt<int>(canvas.height), kx::PixelFormat::RGBA8);
}

// The bitmap cut to the clip box mapped into pixels (from the top-left corner, whole pixels), or
// the whole bitmap when the box covers it or is empty; held as its painted part.
kx::PlacedImage placedCutToClip(const Canvas& canvas, const kx::Rect& clipBox, const kx::AffineTransform& scale) {
    if (clipBox.isNull()) return kx::PlacedImage::whole(wholeImage(canvas));
    kx::Rect r = scale.apply(clipBox).standardized();
    if (!(r.size.width > 0) || r == kx::Rect(0, 0, canvas.width, canvas.height))
        return kx::PlacedImage::whole(wholeImage(canvas));
    // Values a hair beyond a whole pixel come from rounding, not from the clip.
    constexpr double kSlack = 1e-6;
    double x0 = std::floor(r.minX() + kSlack), y0 = std::floor(r.minY() + kSlack);
    double x1 = std::ceil(r.maxX() - kSlack), y1 = std::ceil(r.maxY() - kSlack);
    return canvas.context->makePlacedImage(kx::toInt<int>(x0) - canvas.left, kx::toInt<int>(y0) - canvas.top,
                                           kx::toInt<int>(x1 - x0), kx::toInt<int>(y1 - y0));
}

// The same as a whole image.
kx::ImageRef imageCutToClip(const Canvas& canvas, const kx::Rect& clipBox, const kx::AffineTransform& scale) {
    return placedCutToClip(canvas, clipBox, scale).wholeImage();
}

// The user-space transform of the context as it is now, so that a mask covering the whole bitmap
// can be given in pixels and the transform put back afterwards.
void clipToDeviceMask(kx::BitmapContext& ctx, const kx::Image& mask) {
    kx::AffineTransform current = ctx.ctm();
    if (!current.isInvertible()) return;
    ctx.concatCTM(current.inverted());
    ctx.clipToMask(mask, kx::Rect(0, 0, ctx.width(), ctx.height()));
    ctx.concatCTM(current);
}

}  // namespace

kx::ImageRef KXPDFExporter::DrawShadingInContextSize(kx::Size size, const kx::AffineTransform& transform,
                                                     const kx::AffineTransform& requestedScale,
                                                     const kx::AffineTransform& pageTransform,
                                                     const ClipPaths& clipBezierPaths, kx::Rect* clipRect,
                                                     const KXPDFShading* shading) {
    const kx::AffineTransform scaleTransform = cappedScale(size, requestedScale, pageTransform, clipBezierPaths);
    Canvas canvas = makeClippedCanvas(size, scaleTransform, pageTransform, clipBezierPaths);
    if (!canvas.context) return nullptr;
    // Without a shading there is nothing to place.
    if (!shading) return nullptr;
    kx::BitmapContext& ctx = *canvas.context;
    if (clipBezierPaths.empty())
        ctx.clipToRect(kx::Rect(0, 0, canvas.width, canvas.height));
    else
        clipWithPaths(ctx, clipBezierPaths, pageTransform);
    kx::Rect box = ctx.clipBoundingBox();
    ctx.concatCTM(transform);
    shading->drawInContext(ctx, kx::AffineTransform::identity());
    if (clipRect) *clipRect = box;
    return imageCutToClip(canvas, box, scaleTransform);
}

kx::ImageRef KXPDFExporter::DrawPatternInContextSize(kx::Size size, const kx::AffineTransform& /*transform*/,
                                                     const kx::AffineTransform& requestedScale,
                                                     const kx::AffineTransform& pageTransform,
                                                     const ClipPaths& clipBezierPaths, kx::Rect* clipRect,
                                                     const kx::Path& cgPath, const KXPDFPattern* fillPattern,
                                                     const KXPDFPattern* strokePattern, bool stroke, bool fill,
                                                     bool /*isText*/) {
    const kx::AffineTransform scaleTransform = cappedScale(size, requestedScale, pageTransform, clipBezierPaths);
    const KXPDFPattern* filling = fill ? fillPattern : nullptr;
    const KXPDFPattern* stroking = stroke ? strokePattern : nullptr;
    const kx::Path displayPath = cgPath.transformed(pageTransform);
    // The painted path limits the picture, and so does the clip in force; a stroke (one point
    // wide) reaches half a point beyond the path.
    kx::Rect painted = displayPath.transformed(scaleTransform).boundingBox();
    if (!painted.isNull()) {
        const double reach = kRegionMargin + (stroking ? std::hypot(scaleTransform.a, scaleTransform.b) +
                                                             std::hypot(scaleTransform.c, scaleTransform.d)
                                                       : 0.0);
        painted = painted.standardized();
        painted = kx::Rect(std::floor(painted.minX()) - reach, std::floor(painted.minY()) - reach,
                           std::ceil(painted.maxX()) - std::floor(painted.minX()) + 2 * reach,
                           std::ceil(painted.maxY()) - std::floor(painted.minY()) + 2 * reach);
    }
    const bool paintedIsFinite = !painted.isNull() && std::isfinite(painted.minX()) && std::isfinite(painted.minY()) &&
                                 std::isfinite(painted.maxX()) && std::isfinite(painted.maxY());
    Canvas canvas = makeClippedCanvas(size, scaleTransform, pageTransform, clipBezierPaths,
                                      paintedIsFinite ? painted : kx::Rect::infinite());
    if (!canvas.context) return nullptr;
    // A missing pattern paints nothing.
    if (!filling && !stroking) return nullptr;
    kx::BitmapContext& ctx = *canvas.context;
    clipWithPaths(ctx, clipBezierPaths, pageTransform);
    kx::Rect box = kx::Rect::null();

    if (filling) {
        ctx.saveGState();
        ctx.addPath(displayPath);
        ctx.clip(kx::FillRule::NonZero);
        box = box.unionWith(ctx.clipBoundingBox());
        // The pattern matrix leads to page space; the page transform takes it to display space.
        filling->drawInContext(ctx, pageTransform);
        ctx.restoreGState();
    }
    if (stroking) {
        // The stroke's outline (one point wide) as a mask over the bitmap.
        auto outline = kx::BitmapContext::create(ctx.width(), ctx.height());
        if (outline) {
            outline->concatCTM(ctx.ctm());
            outline->addPath(displayPath);
            outline->setLineWidth(1.0);
            outline->setStrokeColor(kx::Color::rgb(1, 1, 1));
            outline->strokePath();
            if (kx::ImageRef mask = outline->makeImage()) {
                ctx.saveGState();
                clipToDeviceMask(ctx, *mask);
                box = box.unionWith(ctx.clipBoundingBox());
                stroking->drawInContext(ctx, pageTransform);
                ctx.restoreGState();
            }
        }
    }
    if (clipRect) *clipRect = box;
    return imageCutToClip(canvas, box, scaleTransform);
}

kx::PlacedImage KXPDFExporter::ClipPlacedImageInContextSize(kx::Size size, const kx::ImageRef& imageRef,
                                                           const kx::AffineTransform& requestedScale,
                                                           const kx::AffineTransform& pageTransform,
                                                           const kx::AffineTransform& imageTransform,
                                                           kx::Rect imageRect, const ClipPaths& clipBezierPaths,
                                                           kx::Rect* clipRect) {
    const kx::AffineTransform scaleTransform = cappedScale(size, requestedScale, pageTransform, clipBezierPaths);
    Canvas canvas = makeClippedCanvas(size, scaleTransform, pageTransform, clipBezierPaths);
    if (!canvas.context) return {};
    // Without a picture there is nothing to cut; the caller keeps what it has.
    if (!imageRef || !imageRef->isValid()) return {};
    kx::BitmapContext& ctx = *canvas.context;
    clipWithPaths(ctx, clipBezierPaths, pageTransform);
    kx::Rect box = ctx.clipBoundingBox();
    if (!box.isNull()) {
        box = kx::Rect(std::round(static_cast<float>(box.origin.x)), std::round(static_cast<float>(box.origin.y)),
                       std::ceil(static_cast<float>(box.size.width)), std::ceil(static_cast<float>(box.size.height)));
        // The clip does not cut the picture: the caller goes on with its own image.
        if (box.contains(imageRect.standardized())) return {};
    }
    ctx.concatCTM(imageTransform);
    ctx.drawImage(*imageRef, kx::Rect(0, 0, 1, 1));
    if (clipRect) *clipRect = box;
    return placedCutToClip(canvas, box, scaleTransform);
}

kx::ImageRef KXPDFExporter::ClipImageInContextSize(kx::Size size, const kx::ImageRef& imageRef,
                                                   const kx::AffineTransform& requestedScale,
                                                   const kx::AffineTransform& pageTransform,
                                                   const kx::AffineTransform& imageTransform, kx::Rect imageRect,
                                                   const ClipPaths& clipBezierPaths, kx::Rect* clipRect) {
    return ClipPlacedImageInContextSize(size, imageRef, requestedScale, pageTransform, imageTransform, imageRect,
                                        clipBezierPaths, clipRect)
        .wholeImage();
}

kx::ImageRef KXPDFExporter::ClipImageInContextSize(kx::Size size, const kx::ImageRef& imageRef,
                                                   const kx::AffineTransform& pageTransform,
                                                   const kx::AffineTransform& imageTransform, kx::Rect imageRect,
                                                   const ClipPaths& clipBezierPaths, kx::Rect* clipRect) {
    return ClipImageInContextSize(size, imageRef, kx::AffineTransform::identity(), pageTransform, imageTransform,
                                  imageRect, clipBezierPaths, clipRect);
}

kx::Rect KXPDFExporter::ClipRectInContextSize(kx::Size size, const kx::AffineTransform& transform,
                                              const ClipPaths& clipBezierPaths) {
    return ClipBoxInContextSize(size, transform, clipBezierPaths).value_or(kx::Rect::null());
}

std::optional<kx::Rect> KXPDFExporter::ClipBoxInContextSize(kx::Size size, const kx::AffineTransform& transform,
                                                            const ClipPaths& clipBezierPaths) {
    // Only the clip's box is asked: a bitmap as large as the clip paths' boxes gives it.
    const kx::Size pixels = canvasSize(size, nullptr);
    const kx::Rect region = clipRegion(pixels.width, pixels.height, clipBezierPaths, transform);
    if (region.isNull() && pixels.width >= 1.0) return kx::Rect::null();
    Canvas canvas = makeCanvas(pixels, transform, region);
    if (!canvas.context) return std::nullopt;
    // The bitmap's transform already leads from the clip paths' space.
    clipWithPaths(*canvas.context, clipBezierPaths, kx::AffineTransform::identity());
    return canvas.context->clipBoundingBox();
}

bool KXPDFExporter::PathBoxMeetsClipBox(const kx::Path& cgPath, double lineWidth, const kx::Rect& clipBox) {
    // A line has no area: its box is widened to the line width where it is thinner than that.
    kx::Rect box = cgPath.boundingBox();
    if (box.isNull() || clipBox.isNull()) return false;
    box = box.standardized();
    double lw = std::isfinite(lineWidth) ? std::fabs(lineWidth) : 0;
    if (box.size.width < lw) {
        box.origin.x -= (lw - box.size.width) / 2;
        box.size.width = lw;
    }
    if (box.size.height < lw) {
        box.origin.y -= (lw - box.size.height) / 2;
        box.size.height = lw;
    }
    return clipBox.contains(box) || clipBox.intersects(box);
}

std::optional<kx::Path> KXPDFExporter::ClipPathInContextSize(kx::Size size, const kx::Path& cgPath, double lineWidth,
                                                             const kx::AffineTransform& transform,
                                                             const ClipPaths& clipBezierPaths, kx::Rect* clipBound) {
    std::optional<kx::Rect> clipBox = ClipBoxInContextSize(size, transform, clipBezierPaths);
    if (!clipBox) return std::nullopt;
    if (clipBound) *clipBound = *clipBox;
    if (!PathBoxMeetsClipBox(cgPath, lineWidth, *clipBox)) return std::nullopt;
    return cgPath;
}
