#pragma once
// FunctionType 0: a table of samples over an m-dimensional grid, interpolated multilinearly.

#include <vector>

#include "pdf/KXPDFFunction.h"

class KXPDFSampledFunction : public KXPDFFunction {
public:
    // At most 16 inputs (the interpolation visits 2^m grid corners).
    static constexpr int kMaxInputs = 16;

    std::int64_t getType() const override { return 0; }
    bool parse(const kx::PDFObject& object, const kx::PDFObject& funcDict) override;
    void transformInput(const Values& input, Values& output) const override;

    const std::array<std::int64_t, kMaxValues>& sampleSize() const { return sampleSize_; }
    const Pairs& encode() const { return encode_; }
    const Pairs& decode() const { return decode_; }
    const Values& inputMul() const { return inputMul_; }
    const std::array<std::int64_t, kMaxValues>& idxMul() const { return idxMul_; }
    // Each sample divided by 2^BitsPerSample - 1.
    const std::vector<double>& samples() const { return samples_; }
    std::int64_t nSamples() const { return static_cast<std::int64_t>(samples_.size()); }
    bool ok() const { return ok_; }

private:
    std::array<std::int64_t, kMaxValues> sampleSize_{};
    Pairs encode_{};
    Pairs decode_{};
    Values inputMul_{};
    std::array<std::int64_t, kMaxValues> idxMul_{};
    std::vector<double> samples_;
    bool ok_ = false;
};
