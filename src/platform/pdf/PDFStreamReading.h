#pragma once
// Stream data read piece by piece: data that decodes to more than can be held at once (an image of
// a few kilobytes that inflates to gigabytes) costs a piece at a time.

#include <functional>
#include <string_view>

#include "platform/pdf/PDFObject.h"

namespace kx {

// The stream's data with every filter undone (as streamData() gives it), handed to `consume` piece
// by piece as it is decoded; `consume` returns false to stop. Damaged data ends where the damage
// is. False when the stream cannot be opened.
bool readStreamData(const PDFObject& stream, const std::function<bool(std::string_view)>& consume);

// The format streamData(format) gives the data in, told by the filters without reading the data:
// JPEG2000 with a JPXDecode filter, JPEGEncoded with DCTDecode last, Raw otherwise.
PDFDataFormat streamDataFormat(const PDFObject& stream);

}  // namespace kx
