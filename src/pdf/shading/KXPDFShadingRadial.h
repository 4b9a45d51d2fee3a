#pragma once
// A radial shading (type 3): colours vary over the circles interpolated between a start circle
// and an end circle; Extend continues the end colours beyond either circle.

#include <utility>

#include "pdf/shading/KXPDFShadingUnivariate.h"

class KXPDFShadingRadial : public KXPDFShadingUnivariate {
public:
    bool initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) override;
    void drawInContext(kx::BitmapContext& context, const kx::AffineTransform& scaleTransform) const override;

    bool extendStart() const { return extendStart_; }
    bool extendEnd() const { return extendEnd_; }
    kx::Point centerStart() const { return centerStart_; }
    double radiusStart() const { return radiusStart_; }
    kx::Point centerEnd() const { return centerEnd_; }
    double radiusEnd() const { return radiusEnd_; }
    std::pair<double, double> domainRange() const { return domainRange_; }

private:
    bool extendStart_ = false;
    bool extendEnd_ = false;
    kx::Point centerStart_{0, 0};
    double radiusStart_ = 0;
    kx::Point centerEnd_{0, 0};
    double radiusEnd_ = 0;
    std::pair<double, double> domainRange_{0, 1};
};
