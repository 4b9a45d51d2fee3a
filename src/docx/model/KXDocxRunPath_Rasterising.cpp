// Path runs drawn into a picture: drawings that are better placed as one picture than as hundreds
// of shapes (charts, logos, dense line art).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "docx/model/KXDocxRunPath.h"
#include "pdf/state/KXPDFCGPathUtilities.h"
#include "platform/BitmapContext.h"
#include "platform/Format.h"
#include "platform/Numeric.h"
#include "util/KXConverterUtilities.h"
#include "util/KXPDFPathUtilities.h"
#include "util/KXPictureStore.h"
#include "util/KXWriteCGImageToURL.h"

namespace {

// The most pixels one picture of shapes is drawn with; a larger one is drawn at a lower resolution
// (the group is still shown, a little softer, and a page of large drawings cannot exhaust memory).
constexpr double kMaxPicturePixels = 24.0 * 1024 * 1024;

}  // namespace

bool KXDocxRunPath::drawInContext(kx::BitmapContext* context, const kx::AffineTransform& pageTransform,
                                  bool needClip) const {
    if (!context || runCGPath_.isEmpty()) return false;
    const KXDocxPathInfo& i = info();
    context->saveGState();
    if (needClip) {
        for (const auto& clip : clipBezierPaths_) {
            if (!clip) continue;
            std::optional<kx::Path> path = KXPDFCGPathUtilities::CGPathWithNSArray(clip->pathArray());
            if (!path) continue;
            context->beginPath();
            context->addPath(path->transformed(pageTransform));
            context->clip(clip->clipType() == KXPDFClipPath::EvenOdd ? kx::FillRule::EvenOdd : kx::FillRule::NonZero);
        }
    }
    if (i.filled() && i.fillAlpha() > 0) {
        context->setFillColor(i.fillcolor().value_or(kx::Color{0, 0, 0, 1}));
        context->setAlpha(i.fillAlpha());
        context->beginPath();
        context->addPath(runCGPath_);
        context->fillPath(kx::FillRule::NonZero);
    }
    if (i.stroked() && i.strokeAlpha() > 0) {
        context->setStrokeColor(i.strokecolor().value_or(kx::Color{0, 0, 0, 1}));
        context->setAlpha(i.strokeAlpha());
        context->setLineCap(kx::LineCap::Round);
        context->setLineJoin(kx::LineJoin::Round);
        context->setLineWidth(i.strokeweight());
        // A dashed line stays dashed in the picture.
        context->setLineDash(static_cast<double>(i.strokeDashPhase()), i.strokeDashPattern());
        context->beginPath();
        context->addPath(runCGPath_);
        context->strokePath();
    }
    context->restoreGState();
    return true;
}

std::optional<std::string> KXDocxRunPath::CreateImageFromRunPaths(const KXDocxRunPathArray& runs, kx::Size contextSize,
                                                                  const kx::AffineTransform& pageTransform,
                                                                  int imageDPI, bool needClip, kx::Rect* clipRect) {
    if (runs.empty()) return std::nullopt;
    const kx::Rect u = BoundsOfRunPaths(runs);
    if (u.width() < 0.01 || u.height() < 0.01 || !std::isfinite(u.width()) || !std::isfinite(u.height())) {
        std::fputs("Error, Context Size Zero!\n", stderr);
        return std::nullopt;
    }
    // What is drawn, in points: the runs' common box, or the whole page.
    const kx::Rect area = needClip ? u : kx::Rect(0, 0, contextSize.width, contextSize.height);
    double s = static_cast<float>(imageDPI) / 72.0f;
    if (!(s > 0)) s = 1;
    const double pixels = area.width() * s * area.height() * s;
    if (pixels > kMaxPicturePixels) s *= std::sqrt(kMaxPicturePixels / pixels);
    kx::Rect crop = needClip ? kx::Rect(u.minX() * s, u.minY() * s, u.width() * s, u.height() * s).integral()
                             : kx::Rect(0, 0, std::ceil(static_cast<float>(contextSize.width * s)),
                                        std::ceil(static_cast<float>(contextSize.height * s)));
    const std::int64_t width = kx::toInt<std::int64_t>(crop.width()), height = kx::toInt<std::int64_t>(crop.height());
    if (width < 1 || height < 1) {
        std::fputs("Context Size Zero!\n", stderr);
        return std::nullopt;
    }
    std::unique_ptr<kx::BitmapContext> context = kx::BitmapContext::create(width, height);
    if (!context) {
        std::fputs("Context not created!\n", stderr);
        return std::nullopt;
    }
    // Display space (y down) onto the bitmap: a point (x, y) lands on column s·x and row s·y from the
    // top, less the corner of the part drawn.
    context->translateCTM(0, static_cast<double>(height));
    context->scaleCTM(1, -1);
    context->translateCTM(-crop.minX(), -crop.minY());
    context->scaleCTM(s, s);
    for (const auto& run : runs) run->drawInContext(context.get(), pageTransform, needClip);
    kx::ImageRef image = context->makeImage();
    context.reset();
    if (needClip && clipRect) *clipRect = u;

    const std::string name = kx::format("ShapesImage-%0.0f-%s", static_cast<double>(std::time(nullptr)),
                                        KXConverterUtilities::Random4BigLetter().c_str());
    const std::string path = KXPDFPathUtilities::getUUIDPathBy(KXPDFPathUtilities::tempIMG(name, "PNG"));
    const double dpi = s * 72.0;
    if (!KXWriteOrDeferCGImageToURL(image, path, kx::ImageFileType::PNG, dpi, dpi, 1.0f,
                                    kKXPackagePictureDeflateLevel)) return std::nullopt;
    return path;
}

bool KXDocxRunPath::IsVaildImageRunPaths(const KXDocxRunPathArray& runs) {
    const kx::Rect u = BoundsOfRunPaths(runs);
    const double longer = std::max(u.width(), u.height());
    return static_cast<double>(CountOfPoints(runs)) > longer / 8.1 + 6.0;
}

bool KXDocxRunPath::isIntersectRunPaths(const KXDocxRunPathArray& group, kx::Size insertSize) const {
    auto meets = [](const kx::Rect& a, const kx::Rect& b) {
        const kx::Rect i = a.intersection(b);
        return !i.isNull() && i.width() > 1.0 && i.height() > 1.0;
    };
    if (meets(boundingBox_, BoundsOfRunPaths(group))) return true;
    const kx::Rect grown = boundingBox_.insetBy(insertSize.width, insertSize.height);
    return std::any_of(group.begin(), group.end(), [&](const auto& r) { return meets(grown, r->boundingBox()); });
}

kx::Rect KXDocxRunPath::BoundsOfRunPaths(const KXDocxRunPathArray& runs) {
    if (runs.empty()) return kx::Rect::zero();
    kx::Rect u = runs.front()->boundingBox();
    for (const auto& run : runs) u = u.unionWith(run->boundingBox());
    return u;
}

std::int64_t KXDocxRunPath::CountOfPoints(const KXDocxRunPathArray& runs) {
    std::int64_t n = 0;
    for (const auto& run : runs) n += run->pathPointCount();
    return n;
}
