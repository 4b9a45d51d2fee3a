#pragma once
// Numbers and texts read from PDF objects the one way every reader of them agrees on. A number is
// an integer or a real, an integer passing through single precision as the interpreter's numbers
// do; a text is a name's bytes (UTF-8) or a string's decoded text. The font model, the annotations,
// the colour spaces and the PDF utilities all read their values through these.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/pdf/PDFObject.h"

namespace kx {

// The object's number; false for anything that is not an integer or a real.
bool pdfNumberOf(const PDFObject& object, double& value);
// The number under the key of a dictionary; false when the object is no dictionary or the value no number.
bool pdfNumberInDictionary(const PDFObject& dict, std::string_view key, double& value);
// The number at the index of an array; false when the object is no array, the index is past its end
// or the element no number.
bool pdfNumberInArray(const PDFObject& array, std::size_t index, double& value);

// A name's text (UTF-8 bytes) or a string's text (PDFDocEncoding or UTF-16 decoded); nullopt when
// the object is neither or the text is empty.
std::optional<std::u16string> pdfTextOf(const PDFObject& object);
// The text under the key of a dictionary, or at the index of an array; nullopt when the container
// is of another kind, the index is past its end or the value has no text.
std::optional<std::u16string> pdfTextInDictionary(const PDFObject& dict, std::string_view key);
std::optional<std::u16string> pdfTextInArray(const PDFObject& array, std::size_t index);

}  // namespace kx
