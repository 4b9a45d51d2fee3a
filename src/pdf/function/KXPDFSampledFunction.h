#pragma once
// FunctionType 0: a table of samples over an m-dimensional grid, interpolated multilinearly.

#include <vector>

#include "pdf/function/KXPDFFunction.h"

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

    // Sample values all tables alive at once may hold, over every document: a file of a few
    // kilobytes can declare hundreds of tables of millions of samples each.
    static constexpr std::int64_t kMaxLiveValues = std::int64_t(1) << 25;

private:
    // The table's share of the values alive (kMaxLiveValues), given back when the function goes.
    class LiveValues {
    public:
        LiveValues() = default;
        LiveValues(const LiveValues& other);
        LiveValues& operator=(const LiveValues& other);
        ~LiveValues();
        // False, and nothing taken, when the values would pass the bound.
        bool take(std::int64_t values);

    private:
        std::int64_t values_ = 0;
    };

    std::array<std::int64_t, kMaxValues> sampleSize_{};
    Pairs encode_{};
    Pairs decode_{};
    Values inputMul_{};
    std::array<std::int64_t, kMaxValues> idxMul_{};
    std::vector<double> samples_;
    LiveValues live_;
    bool ok_ = false;
};
