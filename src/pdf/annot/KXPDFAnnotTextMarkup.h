#pragma once
// Text markup (highlight, underline, strike-out, squiggly): drawn from its quadrilaterals, whether
// or not it has an appearance stream. A highlight fills each line's rectangle; the others stroke a
// segment through or under it.

#include <vector>

#include "pdf/annot/KXPDFAnnot.h"

class KXPDFAnnotTextMarkup : public KXPDFAnnot {
public:
    KXPDFAnnotTextMarkup() = default;
    explicit KXPDFAnnotTextMarkup(const kx::PDFObject& dictionary);

    // "Highlight" 0, "StrikeOut" 1, "Underline" 2, "Squiggly" 3; anything else 0.
    static std::int64_t PDFAnnotTextMarkupTypeForSubtype(const std::optional<std::string>& subtype);

    // For each quadrilateral, the smallest axis-aligned rectangle that holds its four points.
    std::vector<kx::Rect> lineRects() const;

    void startParser() override;

    // Four points per quadrilateral, in the file's order; nullopt when /QuadPoints is absent or
    // malformed.
    const std::optional<std::vector<kx::Point>>& quadrilateralPoints() const { return quadrilateralPoints_; }
    void setQuadrilateralPoints(std::optional<std::vector<kx::Point>> v) { quadrilateralPoints_ = std::move(v); }
    std::int64_t markupType() const { return markupType_; }
    void setMarkupType(std::int64_t v) { markupType_ = v; }

private:
    std::optional<std::vector<kx::Point>> quadrilateralPoints_;
    std::int64_t markupType_ = 0;
};
