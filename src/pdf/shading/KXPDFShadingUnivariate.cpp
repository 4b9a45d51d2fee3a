#include "pdf/shading/KXPDFShadingUnivariate.h"

#include "platform/Numeric.h"

bool KXPDFShadingUnivariate::parseFunctions(const kx::PDFObject& dict) {
    funcs_.clear();
    kx::PDFObject function = dict.dictGet("Function");
    if (function.isArray()) {
        const size_t count = function.arrayCount();
        if (count >= 1 && count <= KXPDFFunction::kMaxValues) {
            for (size_t i = 0; i < count; ++i)
                if (auto f = KXPDFFunction::FuntionWithObject(function.arrayAt(i))) funcs_.push_back(std::move(f));
        }
    } else if (function.isDictionary() || function.isName()) {
        if (auto f = KXPDFFunction::FuntionWithObject(function)) funcs_.push_back(std::move(f));
    }
    return !funcs_.empty();
}

bool KXPDFShadingUnivariate::parseDomainFunctionsExtend(const kx::PDFObject& dict, std::pair<double, double>& domain,
                                                        bool& extendStart, bool& extendEnd) {
    domain = {0, 1};
    kx::PDFObject domainArray = dict.dictGet("Domain");
    if (domainArray.isArray() && domainArray.arrayCount() == 2) {
        domainArray.arrayAt(0).getNumber(domain.first);
        domainArray.arrayAt(1).getNumber(domain.second);
    }

    if (!parseFunctions(dict)) return false;

    extendStart = extendEnd = false;
    kx::PDFObject extend = dict.dictGet("Extend");
    if (extend.isArray() && extend.arrayCount() == 2) {
        extend.arrayAt(0).getBoolean(extendStart);
        extend.arrayAt(1).getBoolean(extendEnd);
    }
    return true;
}

KXPDFColor KXPDFShadingUnivariate::colorAt(double t) const {
    KXPDFColor color{};
    if (funcs_.empty()) return color;
    KXPDFFunction::Values in{}, out{};
    in[0] = t;
    int count = 0;
    if (funcs_.size() == 1) {
        funcs_.front()->transformInput(in, out);
        count = static_cast<int>(std::min<std::int64_t>(funcs_.front()->n_output(), KXPDFFunction::kMaxValues));
        for (int i = 0; i < count; ++i)
            color.c[static_cast<size_t>(i)] = kx::toInt<std::int16_t>(out[static_cast<size_t>(i)] * 255.0);
    } else {
        // One function per component: component i is the first output of function i.
        count = static_cast<int>(funcs_.size());
        for (int i = 0; i < count; ++i) {
            funcs_[static_cast<size_t>(i)]->transformInput(in, out);
            color.c[static_cast<size_t>(i)] = kx::toInt<std::int16_t>(out[0] * 255.0);
        }
    }
    color.length = count;
    return color;
}

std::vector<kx::GradientStop> KXPDFShadingUnivariate::gradientStops(double t0, double t1) const {
    std::vector<kx::GradientStop> stops;
    if (funcs_.empty() || !colorSpace()) return stops;
    stops.reserve(kGradientSamples);
    for (int i = 0; i < kGradientSamples; ++i) {
        double s = static_cast<double>(i) / (kGradientSamples - 1);
        stops.push_back({s, deviceColor(colorAt(t0 + s * (t1 - t0)))});
    }
    return stops;
}
