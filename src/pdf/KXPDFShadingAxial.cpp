#include "pdf/KXPDFShadingAxial.h"

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

void KXPDFShadingAxial::drawInContext(kx::BitmapContext& context, const kx::AffineTransform&) const {
    std::vector<kx::GradientStop> stops = gradientStops(domainRange_.first, domainRange_.second);
    if (stops.empty()) return;
    context.drawLinearGradient(stops, coordsStart_, coordsEnd_, extendStart_, extendEnd_);
}
