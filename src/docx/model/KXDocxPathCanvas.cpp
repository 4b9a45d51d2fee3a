#include "docx/model/KXDocxPathCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "pdf/state/KXPDFCGPathUtilities.h"
#include "platform/BitmapContext.h"
#include "platform/Format.h"
#include "platform/Numeric.h"
#include "util/KXConverterUtilities.h"
#include "util/KXPDFPathUtilities.h"
#include "util/KXPictureStore.h"
#include "util/KXWriteCGImageToURL.h"

double KXDocxPathCanvas::scaleFor(const kx::Rect& area, int imageDPI) {
    double s = static_cast<float>(imageDPI) / 72.0f;
    if (!(s > 0)) s = 1;
    const double pixels = area.width() * s * area.height() * s;
    if (pixels > kMaxPicturePixels) s *= std::sqrt(kMaxPicturePixels / pixels);
    return s;
}

std::unique_ptr<KXDocxPathCanvas> KXDocxPathCanvas::create(const kx::Rect& crop, double scale) {
    const std::int64_t width = kx::toInt<std::int64_t>(crop.width()), height = kx::toInt<std::int64_t>(crop.height());
    if (width < 1 || height < 1) {
        std::fputs("Context Size Zero!\n", stderr);
        return nullptr;
    }
    std::unique_ptr<kx::BitmapContext> context = kx::BitmapContext::create(width, height);
    if (!context) {
        std::fputs("Context not created!\n", stderr);
        return nullptr;
    }
    // Display space (y down) onto the bitmap: a point (x, y) lands on column s·x and row s·y from the
    // top, less the corner of the part drawn.
    context->translateCTM(0, static_cast<double>(height));
    context->scaleCTM(1, -1);
    context->translateCTM(-crop.minX(), -crop.minY());
    context->scaleCTM(scale, scale);
    return std::unique_ptr<KXDocxPathCanvas>(new KXDocxPathCanvas(std::move(context), scale));
}

std::unique_ptr<KXDocxPathCanvas> KXDocxPathCanvas::createOver(const kx::Rect& area, int imageDPI) {
    const double s = scaleFor(area, imageDPI);
    return create(kx::Rect(area.minX() * s, area.minY() * s, area.width() * s, area.height() * s).integral(), s);
}

KXDocxPathCanvas::KXDocxPathCanvas(std::unique_ptr<kx::BitmapContext> context, double scale)
    : context_(std::move(context)), scale_(scale) {}

KXDocxPathCanvas::~KXDocxPathCanvas() = default;

int KXDocxPathCanvas::pixelWidth() const { return context_ ? context_->width() : 0; }
int KXDocxPathCanvas::pixelHeight() const { return context_ ? context_->height() : 0; }

namespace {

// Intersects the context's clip with the clip paths (page space, taken to display space).
void clipWith(kx::BitmapContext& context, const kx::ClipPathChain* clips,
              const kx::AffineTransform& pageTransform) {
    if (!clips) return;
    for (const auto& clip : clips->paths()) {
        if (!clip) continue;
        std::optional<kx::Path> clipPath = KXPDFCGPathUtilities::CGPathWithNSArray(clip->pathArray());
        if (!clipPath) continue;
        context.beginPath();
        context.addPath(clipPath->transformed(pageTransform));
        context.clip(clip->clipType() == KXPDFClipPath::EvenOdd ? kx::FillRule::EvenOdd : kx::FillRule::NonZero);
    }
}

// The rows of pixels that the edges of `path` (display space) cross when it is filled, and stroked
// `strokeWidth` wide, at `scale` pixels per point: what a scan converter works through to draw it.
// A curve counts as its control polygon, which spans at least the rows the curve does; every edge
// counts one row at least, and a stroke's outline follows each edge on both sides and round its ends.
double edgeRowsOf(const kx::Path& path, bool filled, bool stroked, double strokeWidth, double scale) {
    double spans = 0, edges = 0;
    kx::Point current{}, start{};
    for (const kx::PathElement& e : path.elements()) {
        const int points = e.pointCount();
        if (e.type == kx::PathElementType::MoveToPoint) {
            current = start = e.points[0];
            continue;
        }
        const kx::Point end = e.type == kx::PathElementType::CloseSubpath ? start : e.points[points - 1];
        double y = current.y;
        for (int i = 0; i < points; ++i) {
            spans += std::fabs(e.points[i].y - y);
            y = e.points[i].y;
        }
        if (e.type == kx::PathElementType::CloseSubpath) spans += std::fabs(start.y - y);
        edges += 1;
        current = end;
    }
    double rows = 0;
    if (filled) rows += spans * scale + edges;
    if (stroked) rows += 2 * (spans * scale + edges * (std::fabs(strokeWidth) * scale + 1));
    return std::isfinite(rows) ? rows : KXDocxPathCanvas::kMostEdgeRows + 1;
}

}  // namespace

void KXDocxPathCanvas::drawPath(kx::BitmapContext& context, const kx::Path& path, const KXDocxPathInfo& info,
                                const kx::ClipPathChain* clips,
                                const kx::AffineTransform& pageTransform) {
    context.saveGState();
    clipWith(context, clips, pageTransform);
    if (info.filled() && info.fillAlpha() > 0) {
        context.setFillColor(info.fillcolor().value_or(kx::Color{0, 0, 0, 1}));
        context.setAlpha(info.fillAlpha());
        context.beginPath();
        context.addPath(path);
        context.fillPath(kx::FillRule::NonZero);
    }
    if (info.stroked() && info.strokeAlpha() > 0) {
        context.setStrokeColor(info.strokecolor().value_or(kx::Color{0, 0, 0, 1}));
        context.setAlpha(info.strokeAlpha());
        context.setLineCap(kx::LineCap::Round);
        context.setLineJoin(kx::LineJoin::Round);
        context.setLineWidth(info.strokeweight());
        // A dashed line stays dashed in the picture.
        context.setLineDash(static_cast<double>(info.strokeDashPhase()), info.strokeDashPattern());
        context.beginPath();
        context.addPath(path);
        context.strokePath();
    }
    context.restoreGState();
}

bool KXDocxPathCanvas::drawPath(const kx::Path& path, const KXDocxPathInfo& info,
                                const kx::ClipPathChain* clips,
                                const kx::AffineTransform& pageTransform) {
    if (!context_ || path.isEmpty()) return false;
    const bool filled = info.filled() && info.fillAlpha() > 0, stroked = info.stroked() && info.strokeAlpha() > 0;
    const double rows = edgeRowsOf(path, filled, stroked, info.strokeweight(), scale_);
    if (rows > kMostEdgeRows - edgeRows_) return false;
    edgeRows_ += rows;
    drawPath(*context_, path, info, clips, pageTransform);
    return true;
}

void KXDocxPathCanvas::drawImage(const kx::Image& image, const kx::AffineTransform& imageTransform, double opacity,
                                 const kx::ClipPathChain* clips,
                                 const kx::AffineTransform& pageTransform) {
    if (!context_ || !image.isValid() || !(opacity > 0)) return;
    context_->saveGState();
    clipWith(*context_, clips, pageTransform);
    context_->setAlpha(std::min(1.0, opacity));
    context_->concatCTM(imageTransform);
    context_->drawImage(image, kx::Rect(0, 0, 1, 1));
    context_->restoreGState();
}

std::optional<std::string> KXDocxPathCanvas::writePicture() {
    if (!context_) return std::nullopt;
    kx::ImageRef image = context_->makeImage();
    context_.reset();
    const std::string name = kx::format("ShapesImage-%0.0f-%s", static_cast<double>(std::time(nullptr)),
                                        KXConverterUtilities::Random4BigLetter().c_str());
    const std::string path = KXPDFPathUtilities::getUUIDPathBy(KXPDFPathUtilities::tempIMG(name, "PNG"));
    const double dpi = scale_ * 72.0;
    if (!KXWriteOrDeferCGImageToURL(image, path, kx::ImageFileType::PNG, dpi, dpi, 1.0f,
                                    kKXPackagePictureDeflateLevel))
        return std::nullopt;
    return path;
}
