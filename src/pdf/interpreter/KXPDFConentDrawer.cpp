#include "pdf/interpreter/KXPDFConentDrawer.h"

#include <cmath>

#include "pdf/xobject/KXPDFImageXObject.h"
#include "pdf/KXPDFUtilities.h"

KXPDFConentDrawer::KXPDFConentDrawer() = default;

KXPDFConentDrawer::KXPDFConentDrawer(kx::PDFObject contentDict, kx::PDFContentStream contentStream,
                                     const kx::Rect& mediaBox, double pixelsPerUnit)
    : KXPDFConentParser(std::move(contentDict), std::move(contentStream)),
      bitmapContext_(KXPDFUtilities::CreateARGBBitmapContextSize(
          {mediaBox.size.width * pixelsPerUnit, mediaBox.size.height * pixelsPerUnit})) {
    // The box's lower-left corner is the bitmap's first pixel (a pattern cell need not start at 0).
    if (bitmapContext_) {
        bitmapContext_->scaleCTM(pixelsPerUnit, pixelsPerUnit);
        bitmapContext_->translateCTM(-mediaBox.origin.x, -mediaBox.origin.y);
    }
}

kx::ImageRef KXPDFConentDrawer::CGImage() const { return bitmapContext_ ? bitmapContext_->makeImage() : nullptr; }

void KXPDFConentDrawer::didScanXObjectImage(KXPDFConentParser& parser, const std::shared_ptr<KXPDFXObject>& object) {
    auto* image = dynamic_cast<KXPDFImageXObject*>(object.get());
    if (!bitmapContext_ || !image || image->cachedImagePath().empty()) return;
    const kx::AffineTransform& ctm = parser.currentRenderingState().ctm();
    kx::Point p00 = ctm.apply(kx::Point{0, 0}), p10 = ctm.apply(kx::Point{1, 0}), p11 = ctm.apply(kx::Point{1, 1});
    double width = std::hypot(p10.x - p00.x, p10.y - p00.y);
    double height = std::hypot(p11.x - p10.x, p11.y - p10.y);
    kx::Point centre{(p00.x + p11.x) / 2, (p00.y + p11.y) / 2};
    kx::ImageRef picture = KXPDFUtilities::CGImageWithContentsOfFile(image->cachedImagePath());
    if (!picture) return;
    bitmapContext_->drawImage(*picture, kx::Rect(centre.x - width / 2, centre.y - height / 2, width, height));
}
