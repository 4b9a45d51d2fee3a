#pragma once
// A tiling pattern (PatternType 1): a cell, rendered into an image when something first paints
// with the pattern (later readings of the same pattern object in the document share it, and the
// tiles made from it), repeated every XStep and YStep across pattern space. A coloured pattern
// (PaintType 1) paints the cell's own colours; an uncoloured one (PaintType 2) uses the cell as a
// stencil painted in the colour given with the pattern's name.

#include <array>
#include <optional>

#include "pdf/shading/KXPDFPattern.h"
#include "platform/Image.h"

class KXPDFPatternTiling : public KXPDFPattern {
public:
    std::shared_ptr<KXPDFPattern> copy() const override { return std::make_shared<KXPDFPatternTiling>(*this); }
    bool initWithObject(const kx::PDFObject& object, const std::string& objectKey) override;
    // Fills the clip with the cells. Nothing is painted without a cell image, with a step of 0, or
    // with an empty cell.
    void drawInContext(kx::BitmapContext& context, const kx::AffineTransform& scaleTransform) const override;

    std::int64_t paintType() const { return paintType_; }
    void setPaintType(std::int64_t v) { paintType_ = v; }
    std::int64_t tilingType() const { return tilingType_; }
    void setTilingType(std::int64_t v) { tilingType_ = v; }
    // BBox as given: llx, lly, urx, ury.
    const std::array<double, 4>& bbox() const { return bbox_; }
    void setBbox(const std::array<double, 4>& b) { bbox_ = b; }
    double xStep() const { return xStep_; }
    void setXStep(double v) { xStep_ = v; }
    double yStep() const { return yStep_; }
    void setYStep(double v) { yStep_ = v; }
    const kx::PDFObject& resDict() const { return resDict_; }
    const kx::AffineTransform& matrix() const { return matrix_; }
    void setMatrix(const kx::AffineTransform& m) { matrix_ = m; }
    const kx::PDFObject& contentStream() const { return contentStream_; }
    // The cell image, rendered on first use with the cell drawer; nullptr when the cell renders
    // nothing (or there is no drawer to render it).
    kx::ImageRef contentImageRef() const;
    void setContentImageRef(kx::ImageRef image) {
        contentImageRef_ = std::move(image);
        cellPending_ = false;
    }
    kx::PatternCellDrawer cellDrawer() const { return cellDrawer_; }
    void setCellDrawer(kx::PatternCellDrawer drawer) { cellDrawer_ = drawer; }
    // The colour of an uncoloured pattern; black when none was given.
    const std::optional<kx::Color>& paintColor() const { return paintColor_; }
    void setPaintColor(std::optional<kx::Color> c) { paintColor_ = c; }

    // The cell in pattern space: the BBox corners as a rectangle (origin at the lower-left corner).
    kx::Rect cellRect() const;
    // Pixels a unit of pattern space at which the cell is rendered.
    double cellResolution() const;
    // One period of the pattern: the cell, and the neighbours that reach into it, in an image that
    // covers (cell origin, |XStep| x |YStep|); uncoloured patterns come back in their colour. nullptr
    // when there is nothing to paint.
    kx::ImageRef tileImage() const;

private:
    // tileImage() of this cell without the cache of tiles already made from it.
    kx::ImageRef makeTileImage(const kx::ImageRef& cell) const;

    std::int64_t paintType_ = 1;
    std::int64_t tilingType_ = 1;
    std::array<double, 4> bbox_{0, 0, 1, 1};
    double xStep_ = 1;
    double yStep_ = 1;
    kx::PDFObject resDict_;
    kx::AffineTransform matrix_;
    kx::PDFObject contentStream_;
    // The cell once rendered, when the document does not keep it; pending until first asked for.
    mutable kx::ImageRef contentImageRef_;
    mutable bool cellPending_ = false;
    kx::PatternCellDrawer cellDrawer_ = nullptr;
    std::optional<kx::Color> paintColor_;
};
