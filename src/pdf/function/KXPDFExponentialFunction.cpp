#include "pdf/function/KXPDFExponentialFunction.h"

#include <cmath>

namespace {

// C0 or C1: at most the 32 output slots, every element a number.
bool readColor(const kx::PDFObject& array, KXPDFFunction::Values& out) {
    if (array.arrayCount() > KXPDFFunction::kMaxValues) return false;
    for (size_t i = 0; i < array.arrayCount(); ++i)
        if (!array.arrayAt(i).getNumber(out[i])) return false;
    return true;
}

}  // namespace

bool KXPDFExponentialFunction::parse(const kx::PDFObject& object, const kx::PDFObject& funcDict) {
    if (!KXPDFFunction::parse(object, funcDict) || m_ != 1) return false;

    kx::PDFObject c0 = funcDict.dictGet("C0");
    if (c0.isArray()) {
        if (hasRange_ && static_cast<std::int64_t>(c0.arrayCount()) != n_) return false;
        if (!readColor(c0, c0_)) return false;
        n_ = static_cast<std::int64_t>(c0.arrayCount());
    } else {
        if (hasRange_ && n_ != 1) return false;
        n_ = 1;
        c0_[0] = 0;
    }

    kx::PDFObject c1 = funcDict.dictGet("C1");
    if (c1.isArray()) {
        if (static_cast<std::int64_t>(c1.arrayCount()) != n_) return false;
        if (!readColor(c1, c1_)) return false;
    } else {
        if (n_ != 1) return false;
        c1_[0] = 1;
    }

    if (!funcDict.dictGet("N").getNumber(e_) || !std::isfinite(e_)) return false;
    isLinear_ = std::fabs(e_ - 1) < 1e-10;
    ok_ = true;
    return true;
}

void KXPDFExponentialFunction::transformInput(const Values& input, Values& output) const {
    double x = clampToDomain(input[0], 0);
    double t = isLinear_ ? x : std::pow(x, e_);
    for (int i = 0; i < n_; ++i) {
        auto k = static_cast<size_t>(i);
        output[k] = clampToRange(c0_[k] + t * (c1_[k] - c0_[k]), i);
    }
}
