#include "pdf/annot/KXPDFAnnotTextMarkup.h"

#include <algorithm>
#include <cmath>

#include "pdf/annot/KXPDFAnnotDelegate.h"
#include "pdf/annot/KXPDFAnnot_p.h"
#include "pdf/state/KXPDFRenderState.h"
#include "util/PDFObjectValues.h"

KXPDFAnnotTextMarkup::KXPDFAnnotTextMarkup(const kx::PDFObject& dictionary) : KXPDFAnnot(dictionary) {
    markupType_ = PDFAnnotTextMarkupTypeForSubtype(type());
    kx::PDFObject quads = dictionary.dictGet("QuadPoints");
    if (!quads.isArray() || quads.arrayCount() % 8 != 0) return;
    std::vector<kx::Point> points;
    points.reserve(quads.arrayCount() / 2);
    for (size_t i = 0, n = quads.arrayCount(); i < n; i += 2) {
        kx::Point p;
        if (!kx::pdfNumberInArray(quads, i, p.x) ||
            !kx::pdfNumberInArray(quads, i + 1, p.y))
            return;
        points.push_back(p);
    }
    quadrilateralPoints_ = std::move(points);
}

std::int64_t KXPDFAnnotTextMarkup::PDFAnnotTextMarkupTypeForSubtype(const std::optional<std::string>& subtype) {
    if (subtype == "StrikeOut") return 1;
    if (subtype == "Underline") return 2;
    if (subtype == "Squiggly") return 3;
    return 0;
}

std::vector<kx::Rect> KXPDFAnnotTextMarkup::lineRects() const {
    std::vector<kx::Rect> rects;
    if (!quadrilateralPoints_) return rects;
    const auto& p = *quadrilateralPoints_;
    for (size_t i = 0; i + 4 <= p.size(); i += 4) {
        double minX = p[i].x, maxX = p[i].x, minY = p[i].y, maxY = p[i].y;
        for (size_t k = i + 1; k < i + 4; ++k) {
            minX = std::min(minX, p[k].x);
            maxX = std::max(maxX, p[k].x);
            minY = std::min(minY, p[k].y);
            maxY = std::max(maxY, p[k].y);
        }
        rects.emplace_back(minX, minY, maxX - minX, maxY - minY);
    }
    return rects;
}

void KXPDFAnnotTextMarkup::startParser() {
    // Markup is drawn from its quadrilaterals whether or not it has an appearance stream.
    KXPDFAnnotDelegate* receiver = delegate();
    if (!receiver) return;
    KXPDFRenderState* state = receiver->KXPDFAnnotCurrentRenderingState();
    if (!state) return;
    auto rgb = kx::detail::annotRGBSpace("KXPDFAnnotGeometry");

    std::vector<kx::Rect> rects = lineRects();
    kx::Path path;
    for (const kx::Rect& r : rects) {
        double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
        if (markupType_ == 0) {
            path.addRect(r);
        } else if (markupType_ == 1) {
            path.moveTo({x, y + h / 2});
            path.lineTo({x + w, y + h / 2});
        } else {
            path.moveTo({x, y + 2});
            path.lineTo({x + w, y + 2});
        }
    }
    state->setCgPath(path);

    if (markupType_ == 0) {
        kx::detail::annotSetFill(*state, rgb, color());
        receiver->didScanPath(*this, path, false, true);
        return;
    }
    // The stroke grows with the text: 6% of the first line's height, at least 1.
    double width = 1.0;
    if (!rects.empty())
        width = std::max(1.0, static_cast<double>(std::ceil(0.06f * static_cast<float>(rects.front().size.height))));
    state->setStrokePattern(nullptr);
    state->setStrokeColorSpace(rgb);
    state->setStrokeColor(color());
    state->setLineWidth(width);
    state->setLineDashPattern(markupType_ == 3 ? std::vector<double>{width} : std::vector<double>{});
    receiver->didScanPath(*this, path, true, false);
}
