// Path runs drawn into a picture: drawings that are better placed as one picture than as hundreds
// of shapes (charts, logos, dense line art).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "docx/model/KXDocxPathCanvas.h"
#include "docx/model/KXDocxRunPath.h"

bool KXDocxRunPath::drawInContext(kx::BitmapContext* context, const kx::AffineTransform& pageTransform,
                                  bool needClip) const {
    if (!context || runCGPath_.isEmpty()) return false;
    KXDocxPathCanvas::drawPath(*context, runCGPath_, info(), needClip ? &clipBezierPaths_ : nullptr, pageTransform);
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
    const double s = KXDocxPathCanvas::scaleFor(area, imageDPI);
    kx::Rect crop = needClip ? kx::Rect(u.minX() * s, u.minY() * s, u.width() * s, u.height() * s).integral()
                             : kx::Rect(0, 0, std::ceil(static_cast<float>(contextSize.width * s)),
                                        std::ceil(static_cast<float>(contextSize.height * s)));
    std::unique_ptr<KXDocxPathCanvas> canvas = KXDocxPathCanvas::create(crop, s);
    if (!canvas) return std::nullopt;
    for (const auto& run : runs)
        canvas->drawPath(run->runCGPath(), run->info(), needClip ? &run->clipBezierPaths() : nullptr, pageTransform);
    if (needClip && clipRect) *clipRect = u;
    return canvas->writePicture();
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
