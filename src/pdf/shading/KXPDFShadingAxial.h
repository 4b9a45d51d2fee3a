#pragma once
// An axial shading (type 2): colours vary along the axis from coordsStart to coordsEnd and are
// constant across it; Extend continues the end colours beyond either end.

#include <utility>

#include "pdf/shading/KXPDFShadingUnivariate.h"

class KXPDFShadingAxial : public KXPDFShadingUnivariate {
public:
    bool initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) override;
    void drawInContext(kx::BitmapContext& context, const kx::AffineTransform& scaleTransform) const override;

    bool extendStart() const { return extendStart_; }
    bool extendEnd() const { return extendEnd_; }
    kx::Point coordsStart() const { return coordsStart_; }
    kx::Point coordsEnd() const { return coordsEnd_; }
    // t0 and t1, the parameter at the start and at the end of the axis.
    std::pair<double, double> domainRange() const { return domainRange_; }

private:
    bool extendStart_ = false;
    bool extendEnd_ = false;
    kx::Point coordsStart_{0, 0};
    kx::Point coordsEnd_{100, 100};
    std::pair<double, double> domainRange_{0, 1};
};
