#include "pdf/KXPDFShadingRadial.h"

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

    domainRange_ = {0, 1};
    kx::PDFObject domain = dict.dictGet("Domain");
    if (domain.isArray() && domain.arrayCount() == 2) {
        domain.arrayAt(0).getNumber(domainRange_.first);
        domain.arrayAt(1).getNumber(domainRange_.second);
    }

    if (!parseFunctions(dict)) return false;

    extendStart_ = extendEnd_ = false;
    kx::PDFObject extend = dict.dictGet("Extend");
    if (extend.isArray() && extend.arrayCount() == 2) {
        extend.arrayAt(0).getBoolean(extendStart_);
        extend.arrayAt(1).getBoolean(extendEnd_);
    }
    return true;
}

void KXPDFShadingRadial::drawInContext(kx::BitmapContext& context, const kx::AffineTransform&) const {
    std::vector<kx::GradientStop> stops = gradientStops(domainRange_.first, domainRange_.second);
    if (stops.empty()) return;
    context.drawRadialGradient(stops, centerStart_, radiusStart_, centerEnd_, radiusEnd_, extendStart_, extendEnd_);
}
