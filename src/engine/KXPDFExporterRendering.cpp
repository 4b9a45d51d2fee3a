// The rasterising class operations of the exporter base: page capture, the rectangle transform and
// temporary bitmaps.

#include <cstdio>

#include "engine/KXPDFExporter.h"
#include "util/KXPDFPathUtilities.h"
#include "util/KXWriteCGImageToURL.h"
#include "platform/Numeric.h"
#include "platform/pdf/PDFDocument.h"
#include "platform/pdf/PDFPageRenderer.h"

kx::AffineTransform KXPDFExporter::CGAffineTransformFromRect(const kx::Rect& from, const kx::Rect& to) {
    kx::AffineTransform t = kx::AffineTransform::makeTranslation(-from.origin.x, -from.origin.y);
    t = t.concat(kx::AffineTransform::makeScale(to.size.width / from.size.width, to.size.height / from.size.height));
    return t.concat(kx::AffineTransform::makeTranslation(to.origin.x, to.origin.y));
}

kx::ImageRef KXPDFExporter::CapturePDFPage(const kx::PDFPage& page, kx::Size dpi) {
    return CapturePDFPage(page, KXPDFPageGeometry::ofPage(page), dpi);
}

kx::ImageRef KXPDFExporter::CapturePDFPage(const kx::PDFPage& page, const KXPDFPageGeometry& geometry, kx::Size dpi) {
    const kx::Rect crop = geometry.pdfCropBox;
    const kx::AffineTransform rotation = geometry.rotation();
    const kx::Rect turned = crop.isNull() ? kx::Rect::null() : rotation.apply(crop);

    // Pixel size: the turned box at the resolution, truncated.
    const std::int64_t width = kx::toInt<std::int64_t>(turned.size.width * dpi.width / 72.0);
    const std::int64_t height = kx::toInt<std::int64_t>(turned.size.height * dpi.height / 72.0);
    if (crop.isNull() || !kx::isBitmapSizeAllowed(width, height)) {
        std::fputs("Context not created!\n", stderr);
        return nullptr;
    }

    // Turn the page as it is shown, then stretch the turned box over the whole bitmap, so that the
    // truncated pixel size is filled exactly.
    const kx::Rect bitmap(0, 0, static_cast<double>(width), static_cast<double>(height));
    const kx::AffineTransform transform = rotation.concat(CGAffineTransformFromRect(turned, bitmap));
    return kx::renderPDFPage(page, transform, static_cast<int>(width), static_cast<int>(height));
}

std::optional<std::string> KXPDFExporter::SaveTempCGImage(const kx::ImageRef& image) {
    if (!image) return std::nullopt;
    std::string path = KXPDFPathUtilities::getUUIDPathBy(KXPDFPathUtilities::tempIMG("SaveCGImage", "PNG"));
    if (!KXWriteCGImageToURL(image, path, kx::ImageFileType::PNG, 72, 72, 1.0f,
                             kKXPackagePictureDeflateLevel)) return std::nullopt;
    return path;
}
