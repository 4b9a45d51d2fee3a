#pragma once
// Entry readers shared by the annotation classes.

#include <memory>
#include <optional>
#include <string>

#include "pdf/color/KXPDFColor.h"
#include "pdf/color/KXPDFColorSpace.h"
#include "platform/Geometry.h"
#include "platform/pdf/PDFObject.h"

namespace kx::detail {

// The colour of no colour: null flag set, no components.
KXPDFColor annotNullColor();
// A colour array of exactly three numbers (/C, /IC): components times 255, truncated; the null
// colour for any other array or entry.
KXPDFColor annotColorFromArray(const PDFObject& array);
// `color` with the annotation's opacity: below full opacity a fourth component carries it, on the
// colour scale (times 255).
KXPDFColor annotOpacityForm(const KXPDFColor& color, double opacity);
// A name or text entry as UTF-8; nullopt when absent or empty.
std::optional<std::string> annotKeyString(const PDFObject& dict, std::string_view key);
std::optional<std::string> annotKeyString(const PDFObject& array, size_t index);
// An /RD array of four non-negative numbers (left, top, right, bottom) that fit inside `bounds`:
// `bounds` less those differences. The zero rectangle otherwise.
Rect annotInnerRect(const PDFObject& rd, const Rect& bounds);

}  // namespace kx::detail

namespace kx::detail {

// The number at the start of a token, read the way a text field's number value is read: leading
// blanks skipped, the longest numeric prefix taken, 0 when there is none.
float annotLeadingFloat(std::string_view token);

}  // namespace kx::detail

class KXPDFBorder;
class KXPDFBorderBS;
class KXPDFRenderState;

namespace kx::detail {

// The border of an annotation that reads /BS: made from that dictionary, or the default border
// style when the entry is not a dictionary.
std::unique_ptr<KXPDFBorderBS> annotBorderStyle(const PDFObject& bs);
// The device RGB space in which drawn annotations paint, tagged with the drawing class's name.
std::shared_ptr<const KXPDFColorSpace> annotRGBSpace(const char* objectKey);
// The device space of a bare colour record: gray, RGB or CMYK by its component count.
std::shared_ptr<const KXPDFColorSpace> annotDeviceSpaceFor(const KXPDFColor& color);
// The state strokes in `color` with the border's width and dash (width 1 and no dash without one).
void annotSetStroke(KXPDFRenderState& state, std::shared_ptr<const KXPDFColorSpace> space, const KXPDFColor& color,
                    const KXPDFBorder* border);
void annotSetFill(KXPDFRenderState& state, std::shared_ptr<const KXPDFColorSpace> space, const KXPDFColor& color);

}  // namespace kx::detail
