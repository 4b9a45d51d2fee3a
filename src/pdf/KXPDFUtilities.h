#pragma once
// Class operations between the engine and the PDF object reader: typed getters for dictionaries
// and arrays, page boxes with the page rotation applied, colour spaces of images, image extraction,
// bitmap contexts and content drawn into a bitmap; with them the page transform of a rotation and
// the operand popping of the content interpreter. The work is done where it belongs (the value
// readers of util/, the page geometry, the colour spaces, the image XObjects, the interpreter);
// this class gathers it under one name at the top of the PDF folder.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/interpreter/OperandNumbers.h"
#include "pdf/page/KXPDFPageGeometry.h"
#include "platform/BitmapContext.h"
#include "platform/Color.h"
#include "platform/ColorSpace.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/pdf/PDFContentScanner.h"
#include "platform/pdf/PDFDocument.h"
#include "platform/pdf/PDFObject.h"

class KXPDFFunction;

class KXPDFUtilities {
public:
    // True and the value when the entry is an integer or a real; false otherwise (the output is left
    // alone). Integers are widened through single precision, so values beyond 2^24 come back rounded
    // to the nearest single-precision value.
    static bool GetNumberWithPDFDictionary(const kx::PDFObject& dict, std::string_view key, double& value);
    static bool GetNumberWithPDFArray(const kx::PDFObject& array, size_t index, double& value);
    // A name's text (UTF-8 bytes) or a string's text (PDFDocEncoding or UTF-16 decoded); nullopt when
    // the entry is neither or the text is empty.
    static std::optional<std::u16string> GetStringWithPDFDictionary(const kx::PDFObject& dict, std::string_view key);
    static std::optional<std::u16string> GetStringWithPDFArray(const kx::PDFObject& array, size_t index);

    // The page's box, or 595 x 842 at the origin when the page has none usable; at 90 and 270
    // degrees x and y and width and height are swapped.
    static kx::Rect GetPDFPageRect(const kx::PDFPage& page, kx::PDFBox box, std::int64_t rotationAngle);
    static kx::Rect MediaBoxOfPDFPage(const kx::PDFPage& page);
    static kx::Rect CropBoxOfPDFPage(const kx::PDFPage& page);

    // An angle brought into 0 to 359 (whole turns added or removed).
    static std::int64_t normalizedAngle(std::int64_t angle);

    // Image colour spaces from PDF colour-space objects (names and arrays). Nothing for what is
    // not a colour space of an image; nested spaces are followed to a fixed depth.
    static kx::ColorSpaceRef ColorSpaceWithPDFObject(const kx::PDFObject& object);
    static kx::ColorSpaceRef ColorSpaceFromPDFArray(const kx::PDFObject& array);
    static kx::ColorSpaceRef ColorSpaceFromName(std::string_view name);
    // Each family from its whole array; nothing when the array's first entry is another family's.
    static kx::ColorSpaceRef ParserCalGray(const kx::PDFObject& array);
    static kx::ColorSpaceRef ParserCalRGB(const kx::PDFObject& array);
    static kx::ColorSpaceRef ParserICCBased(const kx::PDFObject& array);
    static kx::ColorSpaceRef ParserIndexed(const kx::PDFObject& array);
    static kx::ColorSpaceRef ParserLab(const kx::PDFObject& array);
    // Device gray.
    static kx::ColorSpaceRef DefaultColorSpace();
    // The tint transform of a Separation or DeviceN space: a function dictionary or stream, or
    // nothing when it cannot be parsed.
    static std::shared_ptr<const KXPDFFunction> FunctionFromPDFStream(const kx::PDFObject& object);

    // Image and mask extraction. Files go to the conversion's temporary folder; their names say
    // what they hold: "IMG_<uuid>.jpeg" for JPEG data written as JPEG, "IMG_<uuid>.png" for other
    // images, "IMG_Masked_<uuid>.png" for images with a mask, each made unique once more.
    static std::string UUIDImagePathForStream(const kx::PDFObject& stream);
    // Decodes the image stream (with the resources' colour-space dictionary for named colour
    // spaces, or the null object) and writes it to `path`: JPEG at `jpegQuality` when the stream
    // holds JPEG data and nothing masks it, PNG otherwise (always for masks). A stencil mask
    // (ImageMask) paints `stencilColor` (black when null) and leaves the rest transparent. False,
    // and no file, when the image cannot be decoded.
    static bool extractPDFStream(const kx::PDFObject& stream, const kx::PDFObject& colorSpaces, const std::string& path,
                                 float jpegQuality, bool isMaskStream, const kx::Color* stencilColor = nullptr);
    // Writes a mask stream as a gray PNG ("SMask_<uuid>.png") and returns the path, written or not.
    static std::string extractPDFMaskStream(const kx::PDFObject& stream);
    // The image clipped by the mask's gray level over a canvas of the larger size of the two; the
    // image itself without a mask; null without an image.
    static kx::ImageRef MaskSourceImage(const kx::ImageRef& image, const kx::ImageRef& mask,
                                        const kx::AffineTransform& transform);
    // The first image of a file, whatever its name says (a picture held in KXPictureStore for the
    // path comes first); null for an empty path or a missing file.
    static kx::ImageRef CGImageWithContentsOfFile(const std::string& path);
    // The same as an 8-bit gray image.
    static kx::ImageRef CGImageWithContentsOfFile_DeviceGray(const std::string& path);

    // Bitmap contexts: RGBA (transparent) of a size in pixels (truncated), or of an image's pixel
    // size with alpha (the first form) or without (the second). Null, after "Context not created!"
    // on the standard error stream, when the size is empty or beyond the bitmap budget.
    static std::unique_ptr<kx::BitmapContext> CreateARGBBitmapContextSize(kx::Size size);
    static std::unique_ptr<kx::BitmapContext> CreateARGBBitmapContextFromImageBitmapData(const kx::ImageRef& image);
    static std::unique_ptr<kx::BitmapContext> CreateARGBBitmapContextFromImage(const kx::ImageRef& image);
    // The images of a content stream (a tiling pattern's cell) drawn into a bitmap of the box's
    // size; the stream's own /Resources are used. `resources` and `parent` are not consulted.
    // `pixelsPerUnit` sets the bitmap's resolution (one pixel a unit unless given).
    static kx::ImageRef DrawStream(const kx::PDFObject& stream, const kx::PDFObject& resources,
                                   const kx::Rect& mediaBox, const void* parent, double pixelsPerUnit = 1.0);
};

// pageTransformForBox comes with the page geometry (pdf/page/KXPDFPageGeometry.h), popOperandNumbers
// with the interpreter (pdf/interpreter/OperandNumbers.h).
