#include "pdf/page/KXPDFPageGeometry.h"

#include <numbers>

KXPDFPageGeometry KXPDFPageGeometry::ofPage(const kx::PDFPage& page) { return ofPage(page, page.rotationAngle()); }

KXPDFPageGeometry KXPDFPageGeometry::ofPage(const kx::PDFPage& page, std::int64_t rotationAngle) {
    KXPDFPageGeometry g;
    g.rotationAngle = normalizedAngle(rotationAngle);
    g.mediaBox = pageRect(page, kx::PDFBox::MediaBox, g.rotationAngle);
    g.cropBox = pageRect(page, kx::PDFBox::CropBox, g.rotationAngle);
    g.pageTransform = pageTransformForBox(g.rotationAngle, g.mediaBox.size.width, g.mediaBox.size.height);
    g.pdfCropBox = page.boxRect(kx::PDFBox::CropBox);
    return g;
}

kx::AffineTransform KXPDFPageGeometry::rotation() const {
    switch (rotationAngle) {
        case 90: return {0, -1, 1, 0, 0, 0};
        case 180: return {-1, 0, 0, -1, 0, 0};
        case 270: return {0, 1, -1, 0, 0, 0};
        default: return {};
    }
}

std::int64_t KXPDFPageGeometry::normalizedAngle(std::int64_t angle) {
    std::int64_t a = angle % 360;
    return a < 0 ? a + 360 : a;
}

kx::Rect KXPDFPageGeometry::pageRect(const kx::PDFPage& page, kx::PDFBox box, std::int64_t rotationAngle) {
    kx::Rect r = page.boxRect(box);
    if (r.isInfinite() || r.isNull() || r.isEmpty()) r = kx::Rect(0, 0, 595, 842);
    std::int64_t a = normalizedAngle(rotationAngle);
    if (a == 90 || a == 270) r = kx::Rect(r.origin.y, r.origin.x, r.size.height, r.size.width);
    return r;
}

kx::AffineTransform pageTransformForBox(std::int64_t rotationAngle, double w, double h) {
    std::int64_t a = KXPDFPageGeometry::normalizedAngle(rotationAngle);
    kx::AffineTransform t = kx::AffineTransform::identity().translated(0, h).scaled(1, -1);
    switch (a) {
        case 90: return t.translated(0, h).rotated(-std::numbers::pi / 2);
        case 180: return t.translated(w, h).rotated(std::numbers::pi);
        case 270: return t.translated(w, 0).rotated(std::numbers::pi / 2);
        default: return t;
    }
}
