#pragma once
// Class operations between the engine and the PDF object reader: typed getters for dictionaries
// and arrays, page boxes with the page rotation applied, the page transform of a rotation and the
// operand popping of the content interpreter.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"
#include "platform/pdf/PDFContentScanner.h"
#include "platform/pdf/PDFDocument.h"
#include "platform/pdf/PDFObject.h"

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
};

// The transform that turns page space (y up) into display space (y down) with the rotation applied,
// for a box of width w and height h. Only 90, 180 and 270 rotate.
kx::AffineTransform pageTransformForBox(std::int64_t rotationAngle, double width, double height);

// Pops n numbers (the last operand first) into entries 0, 1, ...: when only the first pop succeeds,
// every entry takes that value; when a later pop fails, the entries after it are 0; when the first
// fails, all are 0. n below 1 gives an empty result.
std::vector<double> popOperandNumbers(kx::PDFScanner& scanner, int n);
