#pragma once
// A shading: a smooth colour fill defined by a colour space, a geometry and colour functions. The
// interpreter finds shadings by name (the "sh" operator) and in shading patterns; the exporters
// rasterise them by asking them to draw into a clipped bitmap context whose transform maps
// shading space onto the bitmap.
//
// The factory builds the class of the ShadingType: axial (2) and radial (3) shadings draw their
// gradients; function-based (1) and mesh shadings (4 to 7) keep their common entries and draw
// nothing.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "pdf/color/KXPDFColor.h"
#include "pdf/color/KXPDFColorSpace.h"
#include "platform/BitmapContext.h"
#include "platform/Geometry.h"
#include "platform/pdf/PDFObject.h"

class KXPDFShading {
public:
    KXPDFShading() = default;
    virtual ~KXPDFShading() = default;
    KXPDFShading(const KXPDFShading&) = default;
    KXPDFShading& operator=(const KXPDFShading&) = default;

    // Reads the common entries (ColorSpace, Background, BBox); false when the shading cannot be
    // made (no ColorSpace). Subclasses read their own entries after these.
    virtual bool initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey);
    // Paints into the context's clip. The base paints the Background colour over the whole clip;
    // `scaleTransform` is not used by the shadings themselves (the context's transform is set).
    virtual void drawInContext(kx::BitmapContext& context, const kx::AffineTransform& scaleTransform) const;

    const std::string& objectKey() const { return objectKey_; }
    void setObjectKey(std::string key) { objectKey_ = std::move(key); }
    std::int64_t type() const { return type_; }
    void setType(std::int64_t type) { type_ = type; }
    const std::shared_ptr<const KXPDFColorSpace>& colorSpace() const { return colorSpace_; }
    void setColorSpace(std::shared_ptr<const KXPDFColorSpace> space) { colorSpace_ = std::move(space); }
    const KXPDFColor& background() const { return background_; }
    void setBackground(const KXPDFColor& c) { background_ = c; }
    bool hasBackground() const { return hasBackground_; }
    void setHasBackground(bool v) { hasBackground_ = v; }
    double xMin() const { return xMin_; }
    void setXMin(double v) { xMin_ = v; }
    double yMin() const { return yMin_; }
    void setYMin(double v) { yMin_ = v; }
    double xMax() const { return xMax_; }
    void setXMax(double v) { xMax_ = v; }
    double yMax() const { return yMax_; }
    void setYMax(double v) { yMax_ = v; }
    bool hasBBox() const { return hasBBox_; }
    void setHasBBox(bool v) { hasBBox_ = v; }

    // A shading from a shading dictionary, or nullptr (not a dictionary, unknown type, unusable).
    static std::shared_ptr<KXPDFShading> ShadingWithObject(const kx::PDFObject& object, const std::string& objectKey);

    // A colour of the shading's space as a device colour (opaque); black without a space.
    kx::Color deviceColor(const KXPDFColor& color) const;

private:
    std::string objectKey_;
    std::int64_t type_ = 0;
    std::shared_ptr<const KXPDFColorSpace> colorSpace_;
    KXPDFColor background_{};
    bool hasBackground_ = false;
    double xMin_ = 0, yMin_ = 0, xMax_ = 0, yMax_ = 0;
    bool hasBBox_ = false;
};
