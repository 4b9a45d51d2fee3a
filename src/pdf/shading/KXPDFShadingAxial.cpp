#include "pdf/shading/KXPDFShadingAxial.h"

bool KXPDFShadingAxial::initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) {
    if (!KXPDFShading::initWithDictionary(dict, objectKey)) return false;

    coordsStart_ = {0, 0};
    coordsEnd_ = {100, 100};
    kx::PDFObject coords = dict.dictGet("Coords");
    if (coords.isArray() && coords.arrayCount() == 4) {
        coords.arrayAt(0).getNumber(coordsStart_.x);
        coords.arrayAt(1).getNumber(coordsStart_.y);
        coords.arrayAt(2).getNumber(coordsEnd_.x);
        coords.arrayAt(3).getNumber(coordsEnd_.y);
    }

    return parseDomainFunctionsExtend(dict, domainRange_, extendStart_, extendEnd_);
}

void KXPDFShadingAxial::drawInContext(kx::BitmapContext& context, const kx::AffineTransform&) const {
    std::vector<kx::GradientStop> stops = gradientStops(domainRange_.first, domainRange_.second);
    if (stops.empty()) return;
    context.drawLinearGradient(stops, coordsStart_, coordsEnd_, extendStart_, extendEnd_);
}
