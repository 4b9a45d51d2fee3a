#include "pdf/shading/KXPDFShadingRadial.h"

bool KXPDFShadingRadial::initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) {
    if (!KXPDFShading::initWithDictionary(dict, objectKey)) return false;

    // Without usable Coords the circles stay empty and nothing is drawn.
    kx::PDFObject coords = dict.dictGet("Coords");
    double v[6] = {0, 0, 0, 0, 0, 0};
    if (coords.isArray() && coords.arrayCount() == 6) {
        for (size_t i = 0; i < 6; ++i) coords.arrayAt(i).getNumber(v[i]);
    }
    centerStart_ = {v[0], v[1]};
    radiusStart_ = v[2];
    centerEnd_ = {v[3], v[4]};
    radiusEnd_ = v[5];

    return parseDomainFunctionsExtend(dict, domainRange_, extendStart_, extendEnd_);
}

void KXPDFShadingRadial::drawInContext(kx::BitmapContext& context, const kx::AffineTransform&) const {
    std::vector<kx::GradientStop> stops = gradientStops(domainRange_.first, domainRange_.second);
    if (stops.empty()) return;
    context.drawRadialGradient(stops, centerStart_, radiusStart_, centerEnd_, radiusEnd_, extendStart_, extendEnd_);
}
