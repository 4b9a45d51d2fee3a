#include "pdf/interpreter/KXPDFConentDrawer.h"

#include <algorithm>
#include <cmath>

#include "pdf/state/KXPDFRenderState.h"
#include "pdf/xobject/KXPDFImageXObject.h"
#include "platform/ImageDecoding.h"
#include "util/BitmapContexts.h"
#include "util/KXPictureStore.h"

KXPDFConentDrawer::KXPDFConentDrawer() = default;

KXPDFConentDrawer::KXPDFConentDrawer(kx::PDFObject contentDict, kx::PDFContentStream contentStream,
                                     const kx::Rect& mediaBox, double pixelsPerUnit)
    : KXPDFConentParser(std::move(contentDict), std::move(contentStream)),
      bitmapContext_(kx::makeBitmapContext(mediaBox.size.width * pixelsPerUnit, mediaBox.size.height * pixelsPerUnit,
                                           false)) {
    // The box's lower-left corner is the bitmap's first pixel (a pattern cell need not start at 0).
    if (bitmapContext_) {
        bitmapContext_->scaleCTM(pixelsPerUnit, pixelsPerUnit);
        bitmapContext_->translateCTM(-mediaBox.origin.x, -mediaBox.origin.y);
    }
}

kx::ImageRef KXPDFConentDrawer::CGImage() const { return bitmapContext_ ? bitmapContext_->makeImage() : nullptr; }

kx::ImageRef KXPDFConentDrawer::drawContentStream(const kx::PDFObject& stream, const kx::Rect& box,
                                                  double pixelsPerUnit) {
    return draw(stream, box, pixelsPerUnit, false);
}

kx::ImageRef KXPDFConentDrawer::drawPatternCell(const kx::PDFObject& stream, const kx::Rect& box, double pixelsPerUnit) {
    return draw(stream, box, pixelsPerUnit, true);
}

kx::ImageRef KXPDFConentDrawer::draw(const kx::PDFObject& stream, const kx::Rect& box, double pixelsPerUnit,
                                     bool paths) {
    if (!stream.isStream()) return nullptr;
    kx::PDFObject dict = stream.streamDictionary();
    KXPDFConentDrawer drawer(dict, kx::PDFContentStream::forStream(stream, dict.dictGet("Resources")), box,
                             pixelsPerUnit);
    drawer.drawsPaths_ = paths;
    drawer.setDelegate(&drawer);
    drawer.startParser();
    return drawer.CGImage();
}

void KXPDFConentDrawer::didScanXObjectImage(KXPDFConentParser& parser, const std::shared_ptr<KXPDFXObject>& object) {
    auto* image = dynamic_cast<KXPDFImageXObject*>(object.get());
    if (!bitmapContext_ || !image || image->cachedImagePath().empty()) return;
    const kx::AffineTransform& ctm = parser.currentRenderingState().ctm();
    kx::Point p00 = ctm.apply(kx::Point{0, 0}), p10 = ctm.apply(kx::Point{1, 0}), p11 = ctm.apply(kx::Point{1, 1});
    double width = std::hypot(p10.x - p00.x, p10.y - p00.y);
    double height = std::hypot(p11.x - p10.x, p11.y - p10.y);
    kx::Point centre{(p00.x + p11.x) / 2, (p00.y + p11.y) / 2};
    kx::ImageRef picture = KXPictureStore::shared().read(image->cachedImagePath());
    if (!picture) return;
    bitmapContext_->drawImage(*picture, kx::Rect(centre.x - width / 2, centre.y - height / 2, width, height));
}

void KXPDFConentDrawer::didScanPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) {
    if (!drawsPaths_ || !bitmapContext_ || path.isEmpty()) return;
    const KXPDFRenderState& state = parser.currentRenderingState();
    kx::BitmapContext& ctx = *bitmapContext_;
    ctx.saveGState();
    if (fill) {
        ctx.setFillColor(state.currentFillColor());
        ctx.setAlpha(std::clamp(state.currentFillAlpha(), 0.0, 1.0));
        ctx.beginPath();
        ctx.addPath(path);
        ctx.fillPath(kx::FillRule::NonZero);
    }
    if (stroke) {
        // The path is after the CTM; so is the width the line is drawn with.
        const kx::AffineTransform& ctm = state.ctm();
        const double width = state.lineWidth() * std::sqrt(std::fabs(ctm.a * ctm.d - ctm.b * ctm.c));
        ctx.setStrokeColor(state.currentStrokeColor());
        ctx.setAlpha(std::clamp(state.currentStrokeAlpha(), 0.0, 1.0));
        ctx.setLineWidth(std::isfinite(width) && width > 0 ? width : 1.0);
        ctx.beginPath();
        ctx.addPath(path);
        ctx.strokePath();
    }
    ctx.restoreGState();
}
