#pragma once
// FunctionType 3: one input; the domain is cut at Bounds into k pieces, each handled by one of the
// k functions after mapping the piece onto its Encode pair.

#include <memory>
#include <vector>

#include "pdf/function/KXPDFFunction.h"

class KXPDFStitchingFunction : public KXPDFFunction {
public:
    std::int64_t getType() const override { return 3; }
    bool parse(const kx::PDFObject& object, const kx::PDFObject& funcDict) override;
    void transformInput(const Values& input, Values& output) const override;

    std::int64_t numFuncs() const { return static_cast<std::int64_t>(funcs_.size()); }
    const std::vector<std::shared_ptr<const KXPDFFunction>>& funcs() const { return funcs_; }
    // Domain minimum, the Bounds, domain maximum.
    const std::vector<double>& bounds() const { return bounds_; }
    const std::vector<double>& encode() const { return encode_; }
    const std::vector<double>& scale() const { return scale_; }
    bool ok() const { return ok_; }

private:
    std::vector<std::shared_ptr<const KXPDFFunction>> funcs_;
    std::vector<double> bounds_;
    std::vector<double> encode_;
    std::vector<double> scale_;
    bool ok_ = false;
};
