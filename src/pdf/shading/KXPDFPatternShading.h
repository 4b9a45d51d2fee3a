#pragma once
// A shading pattern (PatternType 2): its shading, drawn under the pattern matrix.

#include <memory>

#include "pdf/shading/KXPDFPattern.h"
#include "pdf/shading/KXPDFShading.h"

class KXPDFPatternShading : public KXPDFPattern {
public:
    std::shared_ptr<KXPDFPattern> copy() const override { return std::make_shared<KXPDFPatternShading>(*this); }
    bool initWithObject(const kx::PDFObject& object, const std::string& objectKey) override;
    // Maps shading space by the pattern matrix, then by `scaleTransform`, and draws the shading.
    void drawInContext(kx::BitmapContext& context, const kx::AffineTransform& scaleTransform) const override;

    const std::shared_ptr<KXPDFShading>& shading() const { return shading_; }
    void setShading(std::shared_ptr<KXPDFShading> shading) { shading_ = std::move(shading); }
    const kx::AffineTransform& matrix() const { return matrix_; }
    void setMatrix(const kx::AffineTransform& m) { matrix_ = m; }

private:
    std::shared_ptr<KXPDFShading> shading_;
    kx::AffineTransform matrix_;
};
