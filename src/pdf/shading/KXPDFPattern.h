#pragma once
// A pattern fills or strokes an area with a repeated cell (tiling pattern, PatternType 1) or with a
// shading (shading pattern, PatternType 2). The interpreter keeps the pattern that "scn"/"SCN"
// names in the render state; the exporters rasterise a path painted with it by clipping a bitmap
// context to the path and asking the pattern to draw into the clip.

#include <cstdint>
#include <memory>
#include <string>

#include "pdf/color/KXPDFColor.h"
#include "pdf/color/KXPDFColorSpace.h"
#include "platform/BitmapContext.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/pdf/PDFObject.h"

namespace kx {

// Draws a tiling pattern's cell (its content stream, read with the stream's own resources) into a
// bitmap of the box's size at a resolution in pixels a unit; null when nothing can be drawn. The
// content interpreter provides it (KXPDFConentDrawer::drawPatternCell, which draws the cell's images
// and painted paths): it reads patterns as resources, so a pattern reaches it through the pointer it
// was made with.
using PatternCellDrawer = ImageRef (*)(const PDFObject& stream, const Rect& box, double pixelsPerUnit);

}  // namespace kx

class KXPDFPattern {
public:
    KXPDFPattern() = default;
    virtual ~KXPDFPattern() = default;
    KXPDFPattern(const KXPDFPattern&) = default;
    KXPDFPattern& operator=(const KXPDFPattern&) = default;

    virtual std::shared_ptr<KXPDFPattern> copy() const { return std::make_shared<KXPDFPattern>(*this); }
    // Reads the pattern; false when it cannot be made. The base only keeps the key.
    virtual bool initWithObject(const kx::PDFObject& object, const std::string& objectKey);
    // Fills the context's clip. `scaleTransform` maps the default space of the page (where the
    // pattern matrix leads) onto the context's user space. The base fills with opaque black.
    virtual void drawInContext(kx::BitmapContext& context, const kx::AffineTransform& scaleTransform) const;

    const std::string& objectKey() const { return objectKey_; }
    void setObjectKey(std::string key) { objectKey_ = std::move(key); }
    std::int64_t type() const { return type_; }
    void setType(std::int64_t type) { type_ = type; }

    // A pattern from a pattern dictionary or stream, or nullptr. A tiling pattern renders its cell
    // with `cellDrawer`; without one its cell renders nothing.
    static std::shared_ptr<KXPDFPattern> PatternWithObject(const kx::PDFObject& object, const std::string& objectKey,
                                                           kx::PatternCellDrawer cellDrawer = nullptr);

    // The pattern as "scn"/"SCN" paints it: an uncoloured tiling pattern takes `color`, a colour of
    // the pattern space's underlying space, on a copy (the resource itself stays unpainted); other
    // patterns, and a space without an underlying space, give the pattern back unchanged.
    static std::shared_ptr<KXPDFPattern> patternForPainting(std::shared_ptr<KXPDFPattern> pattern,
                                                            const KXPDFColorSpace& patternSpace,
                                                            const KXPDFColor& color);

protected:
    // The pattern's Matrix [a b c d e f] read from its dictionary: the entries that are numbers,
    // the identity's for the others and for an array of another length.
    static kx::AffineTransform matrixOfDictionary(const kx::PDFObject& dict);

private:
    std::string objectKey_;
    std::int64_t type_ = 0;
};
