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
    double width = 0;   // pixels of the whole page at the scale
    double height = 0;
    // The part of the page's bitmap that is drawn (whole pixels): only what can show is allocated.
    kx::Rect region;
};

// The most pixels one picture is drawn with; a larger one is drawn at a lower scale (the picture
// shows the same area, a little softer, and one huge clip cannot exhaust memory).
constexpr double kMaxPicturePixels = 32.0 * 1024 * 1024;

// The scale transform lowered so that `area` (display space) fits kMaxPicturePixels.
kx::AffineTransform cappedScale(const kx::AffineTransform& scale, const kx::Rect& area) {
    if (area.isNull()) return scale;
    const kx::Rect r = scale.apply(area).standardized();
    const double pixels = r.width() * r.height();
    if (!(pixels > kMaxPicturePixels)) return scale;
    const double f = std::sqrt(kMaxPicturePixels / pixels);
    return scale.concat(kx::AffineTransform::makeScale(f, f));
}

// Steps shared by every operation: the bitmap's size from the page size (and the scale for the
// drawing operations), the bitmap, and its transform turned y-down with `transform` after it.
// `area` (display space; null for the whole page) is the part of the page that can show: only its
// pixels are allocated, and user space stays the page's.
Canvas makeCanvas(kx::Size size, const kx::AffineTransform* scale, const kx::AffineTransform& transform,
                  const kx::Rect& area = kx::Rect::null()) {
    Canvas canvas;
    float w = std::ceil(static_cast<float>(size.width));
    float h = std::ceil(static_cast<float>(size.height));
    double W = w, H = h;
    if (scale) {
        W = std::ceil(static_cast<float>(w * scale->a + h * scale->c));
        H = std::ceil(static_cast<float>(w * scale->b + h * scale->d));
    }
    // A mirrored (negative) or squeezed size counts as empty, as does one that is not a number.
    if (!(W >= 1.0) || !(H >= 1.0)) {
        std::fputs("Context Size Zero!\n", stderr);
        return canvas;
    }
    W = std::fabs(W);
    H = std::fabs(H);
    kx::Rect region(0, 0, W, H);
    if (!area.isNull() && scale) {
        // A pixel more on every side: antialiased edges reach into it.
        kx::Rect r = scale->apply(area).standardized().insetBy(-1, -1);
        r = kx::Rect(std::floor(r.minX()), std::floor(r.minY()), 0, 0)
                .unionWith(kx::Rect(std::ceil(r.maxX()), std::ceil(r.maxY()), 0, 0));
        region = region.intersection(r);
        // Nothing of the page can show: a pixel is enough to say so.
        if (region.isNull() || !(region.size.width >= 1) || !(region.size.height >= 1)) region = kx::Rect(0, 0, 1, 1);
    }
    canvas.context = kx::BitmapContext::create(kx::toInt<std::int64_t>(region.size.width),
                                               kx::toInt<std::int64_t>(region.size.height));
    if (!canvas.context) {
        std::fputs("Context not created!\n", stderr);
        return canvas;
    }
    canvas.width = W;
    canvas.height = H;
    canvas.region = region;
    canvas.context->translateCTM(0, region.size.height);
    canvas.context->scaleCTM(1, -1);
    canvas.context->translateCTM(-region.minX(), -region.minY());
    canvas.context->concatCTM(transform);
    return canvas;
}

// The box (display space) of what the clip paths leave of the page: the intersection of their
// boxes. Null when they leave nothing; the page when there are none.
kx::Rect clipPathsBox(const std::vector<std::shared_ptr<const KXPDFClipPath>>& clipPaths,
                      const kx::AffineTransform& pathTransform, kx::Size size) {
    kx::Rect box(0, 0, std::ceil(static_cast<float>(size.width)), std::ceil(static_cast<float>(size.height)));
    for (const auto& clip : clipPaths) {
        if (!clip) continue;
        std::optional<kx::Path> path = KXPDFCGPathUtilities::CGPathWithNSArray(clip->pathArray());
        if (!path) continue;
        const kx::Rect r = path->transformed(pathTransform).boundingBox();
        if (r.isNull()) return r;
        box = box.intersection(r.standardized());
        if (box.isNull()) return box;
    }
    return box;
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

// The bitmap cut to the clip box mapped into pixels (from the top-left corner, whole pixels), or
// the whole bitmap when the box covers it or is empty.
kx::ImageRef imageCutToClip(const Canvas& canvas, const kx::Rect& clipBox, const kx::AffineTransform& scale) {
    if (clipBox.isNull()) return canvas.context->makeImage();
    kx::Rect r = scale.apply(clipBox).standardized();
    if (!(r.size.width > 0) || r == kx::Rect(0, 0, canvas.width, canvas.height)) return canvas.context->makeImage();
    // The bitmap holds only the canvas's region of the page.
    r = r.offsetBy(-canvas.region.minX(), -canvas.region.minY());
    if (r == kx::Rect(0, 0, canvas.region.size.width, canvas.region.size.height)) return canvas.context->makeImage();
    // Values a hair beyond a whole pixel come from rounding, not from the clip.
    constexpr double kSlack = 1e-6;
    double x0 = std::floor(r.minX() + kSlack), y0 = std::floor(r.minY() + kSlack);
    double x1 = std::ceil(r.maxX() - kSlack), y1 = std::ceil(r.maxY() - kSlack);
    kx::ImageRef cut = canvas.context->makeImage(kx::toInt<int>(x0), kx::toInt<int>(y0), kx::toInt<int>(x1 - x0),
                                                 kx::toInt<int>(y1 - y0));
    return cut;
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
                                                     const kx::AffineTransform& scaleTransform,
                                                     const kx::AffineTransform& pageTransform,
                                                     const ClipPaths& clipBezierPaths, kx::Rect* clipRect,
                                                     const KXPDFShading* shading) {
    const kx::Rect area = clipPathsBox(clipBezierPaths, pageTransform, size);
    const kx::AffineTransform scale = cappedScale(scaleTransform, area);
    Canvas canvas = makeCanvas(size, &scale, scale, area);
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
    return imageCutToClip(canvas, box, scale);
}

kx::ImageRef KXPDFExporter::DrawPatternInContextSize(kx::Size size, const kx::AffineTransform& /*transform*/,
                                                     const kx::AffineTransform& scaleTransform,
                                                     const kx::AffineTransform& pageTransform,
                                                     const ClipPaths& clipBezierPaths, kx::Rect* clipRect,
                                                     const kx::Path& cgPath, const KXPDFPattern* fillPattern,
                                                     const KXPDFPattern* strokePattern, bool stroke, bool fill,
                                                     bool /*isText*/) {
    // The painted path (its stroke a point wide) within the clip is all that can show.
    kx::Rect area = clipPathsBox(clipBezierPaths, pageTransform, size);
    if (const kx::Rect painted = cgPath.transformed(pageTransform).boundingBox(); !area.isNull() && !painted.isNull())
        area = area.intersection(painted.standardized().insetBy(-1, -1));
    const kx::AffineTransform scale = cappedScale(scaleTransform, area);
    Canvas canvas = makeCanvas(size, &scale, scale, area);
    if (!canvas.context) return nullptr;
    const KXPDFPattern* filling = fill ? fillPattern : nullptr;
    const KXPDFPattern* stroking = stroke ? strokePattern : nullptr;
    // A missing pattern paints nothing.
    if (!filling && !stroking) return nullptr;
    kx::BitmapContext& ctx = *canvas.context;
    // The painted path limits the picture, and so does the clip in force.
    clipWithPaths(ctx, clipBezierPaths, pageTransform);
    const kx::Path displayPath = cgPath.transformed(pageTransform);
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
    return imageCutToClip(canvas, box, scale);
}

kx::ImageRef KXPDFExporter::ClipImageInContextSize(kx::Size size, const kx::ImageRef& imageRef,
                                                   const kx::AffineTransform& scaleTransform,
                                                   const kx::AffineTransform& pageTransform,
                                                   const kx::AffineTransform& imageTransform, kx::Rect imageRect,
                                                   const ClipPaths& clipBezierPaths, kx::Rect* clipRect) {
    const kx::Rect area = clipPathsBox(clipBezierPaths, pageTransform, size);
    const kx::AffineTransform scale = cappedScale(scaleTransform, area);
    Canvas canvas = makeCanvas(size, &scale, scale, area);
    if (!canvas.context) return nullptr;
    // Without a picture there is nothing to cut; the caller keeps what it has.
    if (!imageRef || !imageRef->isValid()) return nullptr;
    kx::BitmapContext& ctx = *canvas.context;
    clipWithPaths(ctx, clipBezierPaths, pageTransform);
    kx::Rect box = ctx.clipBoundingBox();
    if (!box.isNull()) {
        box = kx::Rect(std::round(static_cast<float>(box.origin.x)), std::round(static_cast<float>(box.origin.y)),
                       std::ceil(static_cast<float>(box.size.width)), std::ceil(static_cast<float>(box.size.height)));
        // The clip does not cut the picture: the caller goes on with its own image.
        if (box.contains(imageRect.standardized())) return nullptr;
    }
    ctx.concatCTM(imageTransform);
    ctx.drawImage(*imageRef, kx::Rect(0, 0, 1, 1));
    if (clipRect) *clipRect = box;
    return imageCutToClip(canvas, box, scale);
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
    Canvas canvas = makeCanvas(size, nullptr, transform);
    if (!canvas.context) return kx::Rect::null();
    // The bitmap's transform already leads from the clip paths' space.
    clipWithPaths(*canvas.context, clipBezierPaths, kx::AffineTransform::identity());
    return canvas.context->clipBoundingBox();
}

std::optional<kx::Path> KXPDFExporter::ClipPathInContextSize(kx::Size size, const kx::Path& cgPath, double lineWidth,
                                                             const kx::AffineTransform& transform,
                                                             const ClipPaths& clipBezierPaths, kx::Rect* clipBound) {
    Canvas canvas = makeCanvas(size, nullptr, transform);
    if (!canvas.context) return std::nullopt;
    clipWithPaths(*canvas.context, clipBezierPaths, kx::AffineTransform::identity());
    kx::Rect clipBox = canvas.context->clipBoundingBox();
    if (clipBound) *clipBound = clipBox;

    // A line has no area: its box is widened to the line width where it is thinner than that.
    kx::Rect box = cgPath.boundingBox();
    if (box.isNull() || clipBox.isNull()) return std::nullopt;
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
    if (clipBox.contains(box) || clipBox.intersects(box)) return cgPath;
    return std::nullopt;
}
