#pragma once
// FunctionType 2: one input x, outputs C0 + x^N (C1 - C0).

#include "pdf/function/KXPDFFunction.h"

class KXPDFExponentialFunction : public KXPDFFunction {
public:
    std::int64_t getType() const override { return 2; }
    bool parse(const kx::PDFObject& object, const kx::PDFObject& funcDict) override;
    void transformInput(const Values& input, Values& output) const override;

    const Values& c0() const { return c0_; }
    const Values& c1() const { return c1_; }
    double e() const { return e_; }
    bool isLinear() const { return isLinear_; }
    bool ok() const { return ok_; }

private:
    Values c0_{};
    Values c1_{};
    double e_ = 1;
    bool isLinear_ = false;
    bool ok_ = false;
};
