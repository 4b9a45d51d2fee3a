#pragma once
// Numbers read from PDF objects the one way every reader of them agrees on: an integer or a real,
// an integer passing through single precision as the interpreter's numbers do. The font model and
// the PDF utilities both read their numbers through these.

#include <cstddef>
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

}  // namespace kx
