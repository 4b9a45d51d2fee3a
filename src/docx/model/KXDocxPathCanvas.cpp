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

// Whether two chains clip alike: the same chain, or the same paths in the same order.
bool sameClips(const kx::ClipPathChain& a, const kx::ClipPathChain& b) {
    if (a == b) return true;
    if (a.size() != b.size()) return false;
    const kx::ClipPathChain::Paths pa = a.paths(), pb = b.paths();
    for (size_t i = 0; i < pa.size(); ++i) {
        if (pa[i] == pb[i]) continue;
        if (!pa[i] || !pb[i] || pa[i]->clipType() != pb[i]->clipType() || !(pa[i]->pathArray() == pb[i]->pathArray()))
            return false;
    }
    return true;
}

// Paints the path with its paint under the clip in force.
bool paintPath(kx::BitmapContext& context, const kx::Path& path, const KXDocxPathInfo& info) {
    bool drawn = false;
    context.saveGState();
    if (info.filled() && info.fillAlpha() > 0) {
        context.setFillColor(info.fillcolor().value_or(kx::Color{0, 0, 0, 1}));
        context.setAlpha(info.fillAlpha());
        context.beginPath();
        context.addPath(path);
        drawn = context.fillPath(kx::FillRule::NonZero);
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
        drawn = context.strokePath() || drawn;
    }
    context.restoreGState();
    return drawn;
}

}  // namespace

bool KXDocxPathCanvas::drawPath(kx::BitmapContext& context, const kx::Path& path, const KXDocxPathInfo& info,
                                const kx::ClipPathChain* clips,
                                const kx::AffineTransform& pageTransform) {
    context.saveGState();
    clipWith(context, clips, pageTransform);
    const bool drawn = paintPath(context, path, info);
    context.restoreGState();
    return drawn;
}

void KXDocxPathCanvas::holdClips(const kx::ClipPathChain* clips, const kx::AffineTransform& pageTransform) {
    const bool none = !clips || clips->empty();
    if (heldClips_) {
        if (!none && heldTransform_ == pageTransform && sameClips(*heldClips_, *clips)) return;
        context_->restoreGState();
        heldClips_.reset();
    }
    if (none) return;
    context_->saveGState();
    clipWith(*context_, clips, pageTransform);
    heldClips_ = *clips;
    heldTransform_ = pageTransform;
}

bool KXDocxPathCanvas::drawPath(const kx::Path& path, const KXDocxPathInfo& info,
                                const kx::ClipPathChain* clips,
                                const kx::AffineTransform& pageTransform) {
    if (!context_ || path.isEmpty()) return false;
    holdClips(clips, pageTransform);
    return paintPath(*context_, path, info);
}

void KXDocxPathCanvas::drawImage(const kx::Image& image, const kx::AffineTransform& imageTransform, double opacity,
                                 const kx::ClipPathChain* clips,
                                 const kx::AffineTransform& pageTransform) {
    if (!context_ || !image.isValid() || !(opacity > 0)) return;
    holdClips(clips, pageTransform);
    context_->saveGState();
    context_->setAlpha(std::min(1.0, opacity));
    context_->concatCTM(imageTransform);
    context_->drawImage(image, kx::Rect(0, 0, 1, 1));
    context_->restoreGState();
}

std::optional<std::string> KXDocxPathCanvas::writePicture() {
    if (!context_) return std::nullopt;
    if (heldClips_) {
        context_->restoreGState();
        heldClips_.reset();
    }
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
