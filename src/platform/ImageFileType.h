#pragma once
// Image file formats, shared by the readers (which detect them from the content) and the writers.

namespace kx {

// Unknown: not recognised from the content (TGA files have no signature).
enum class ImageFileType { Unknown, PNG, JPEG, JPEG2000, TIFF, GIF, BMP, TGA };

}  // namespace kx
