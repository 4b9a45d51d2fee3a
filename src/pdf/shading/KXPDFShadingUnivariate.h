#pragma once
// The base of the shadings whose colour depends on one parameter t (axial and radial): their colour
// functions and the gradient those give over a parameter interval.

#include <memory>
#include <utility>
#include <vector>

#include "pdf/function/KXPDFFunction.h"
#include "pdf/shading/KXPDFShading.h"

class KXPDFShadingUnivariate : public KXPDFShading {
public:
    // One function with the colour space's components as outputs, or one one-output function per
    // component.
    const std::vector<std::shared_ptr<const KXPDFFunction>>& funcs() const { return funcs_; }
    void setFuncs(std::vector<std::shared_ptr<const KXPDFFunction>> funcs) { funcs_ = std::move(funcs); }

    // The colour at parameter t (components of the colour space).
    KXPDFColor colorAt(double t) const;
    // Gradient stops at evenly spaced offsets 0 to 1 for t running from t0 to t1.
    std::vector<kx::GradientStop> gradientStops(double t0, double t1) const;

    static constexpr int kGradientSamples = 256;

protected:
    // Reads Function: a function object, or an array of 1 to 32 of them; false when none is usable.
    bool parseFunctions(const kx::PDFObject& dict);
    // Reads what axial and radial shadings share, in this order: Domain (t0 and t1, default 0 and 1),
    // Function (false when none is usable: Extend is not read then) and Extend (default false).
    bool parseDomainFunctionsExtend(const kx::PDFObject& dict, std::pair<double, double>& domain, bool& extendStart,
                                    bool& extendEnd);

private:
    std::vector<std::shared_ptr<const KXPDFFunction>> funcs_;
};
