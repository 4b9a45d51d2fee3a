#include "pdf/KXPDFUtilities.h"

#include "pdf/color/ImageColorSpaces.h"
#include "pdf/function/KXPDFFunction.h"
#include "pdf/interpreter/KXPDFConentDrawer.h"
#include "pdf/xobject/ImageExtraction.h"
#include "platform/ImageDecoding.h"
#include "platform/ImageMasking.h"
#include "util/BitmapContexts.h"
#include "util/KXPictureStore.h"
#include "util/PDFObjectValues.h"

bool KXPDFUtilities::GetNumberWithPDFDictionary(const kx::PDFObject& dict, std::string_view key, double& value) {
    return kx::pdfNumberInDictionary(dict, key, value);
}

bool KXPDFUtilities::GetNumberWithPDFArray(const kx::PDFObject& array, size_t index, double& value) {
    return kx::pdfNumberInArray(array, index, value);
}

std::optional<std::u16string> KXPDFUtilities::GetStringWithPDFDictionary(const kx::PDFObject& dict,
                                                                          std::string_view key) {
    return kx::pdfTextInDictionary(dict, key);
}

std::optional<std::u16string> KXPDFUtilities::GetStringWithPDFArray(const kx::PDFObject& array, size_t index) {
    return kx::pdfTextInArray(array, index);
}

std::int64_t KXPDFUtilities::normalizedAngle(std::int64_t angle) { return KXPDFPageGeometry::normalizedAngle(angle); }

kx::Rect KXPDFUtilities::GetPDFPageRect(const kx::PDFPage& page, kx::PDFBox box, std::int64_t rotationAngle) {
    return KXPDFPageGeometry::pageRect(page, box, rotationAngle);
}

kx::Rect KXPDFUtilities::MediaBoxOfPDFPage(const kx::PDFPage& page) {
    return GetPDFPageRect(page, kx::PDFBox::MediaBox, page.rotationAngle());
}

kx::Rect KXPDFUtilities::CropBoxOfPDFPage(const kx::PDFPage& page) {
    return GetPDFPageRect(page, kx::PDFBox::CropBox, page.rotationAngle());
}

kx::ColorSpaceRef KXPDFUtilities::ColorSpaceWithPDFObject(const kx::PDFObject& object) {
    return kx::imageColorSpaceOf(object);
}

kx::ColorSpaceRef KXPDFUtilities::ColorSpaceFromPDFArray(const kx::PDFObject& array) {
    return kx::imageColorSpaceOfArray(array);
}

kx::ColorSpaceRef KXPDFUtilities::ColorSpaceFromName(std::string_view name) { return kx::imageColorSpaceNamed(name); }

kx::ColorSpaceRef KXPDFUtilities::ParserCalGray(const kx::PDFObject& array) { return kx::imageCalGraySpace(array); }

kx::ColorSpaceRef KXPDFUtilities::ParserCalRGB(const kx::PDFObject& array) { return kx::imageCalRGBSpace(array); }

kx::ColorSpaceRef KXPDFUtilities::ParserICCBased(const kx::PDFObject& array) { return kx::imageICCBasedSpace(array); }

kx::ColorSpaceRef KXPDFUtilities::ParserIndexed(const kx::PDFObject& array) { return kx::imageIndexedSpace(array); }

kx::ColorSpaceRef KXPDFUtilities::ParserLab(const kx::PDFObject& array) { return kx::imageLabSpace(array); }

kx::ColorSpaceRef KXPDFUtilities::DefaultColorSpace() { return kx::ColorSpace::deviceGray(); }

std::shared_ptr<const KXPDFFunction> KXPDFUtilities::FunctionFromPDFStream(const kx::PDFObject& object) {
    return KXPDFFunction::FuntionWithObject(object);
}

std::string KXPDFUtilities::UUIDImagePathForStream(const kx::PDFObject& stream) {
    return kx::imagePathForStream(stream);
}

bool KXPDFUtilities::extractPDFStream(const kx::PDFObject& stream, const kx::PDFObject& colorSpaces,
                                      const std::string& path, float jpegQuality, bool isMaskStream,
                                      const kx::Color* stencilColor) {
    return kx::extractImageStream(stream, colorSpaces, path, jpegQuality, isMaskStream, stencilColor);
}

std::string KXPDFUtilities::extractPDFMaskStream(const kx::PDFObject& stream) { return kx::extractMaskStream(stream); }

kx::ImageRef KXPDFUtilities::MaskSourceImage(const kx::ImageRef& image, const kx::ImageRef& mask,
                                             const kx::AffineTransform& transform) {
    return kx::maskImage(image, mask, transform);
}

kx::ImageRef KXPDFUtilities::CGImageWithContentsOfFile(const std::string& path) { return KXPictureStore::shared().read(path); }

kx::ImageRef KXPDFUtilities::CGImageWithContentsOfFile_DeviceGray(const std::string& path) {
    return kx::toGray8(KXPictureStore::shared().read(path));
}

std::unique_ptr<kx::BitmapContext> KXPDFUtilities::CreateARGBBitmapContextSize(kx::Size size) {
    return kx::makeBitmapContext(size.width, size.height, false);
}

std::unique_ptr<kx::BitmapContext> KXPDFUtilities::CreateARGBBitmapContextFromImageBitmapData(const kx::ImageRef& image) {
    if (!image) return nullptr;
    return kx::makeBitmapContext(image->width, image->height, false);
}

std::unique_ptr<kx::BitmapContext> KXPDFUtilities::CreateARGBBitmapContextFromImage(const kx::ImageRef& image) {
    if (!image) return nullptr;
    return kx::makeBitmapContext(image->width, image->height, true);
}

kx::ImageRef KXPDFUtilities::DrawStream(const kx::PDFObject& stream, const kx::PDFObject&, const kx::Rect& mediaBox,
                                        const void*, double pixelsPerUnit) {
    return KXPDFConentDrawer::drawContentStream(stream, mediaBox, pixelsPerUnit);
}
