#include "pdf/function/KXPDFSampledFunction.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Numeric.h"

namespace {

std::atomic<std::int64_t> gLiveValues{0};

}  // namespace

KXPDFSampledFunction::LiveValues::LiveValues(const LiveValues& other) : values_(other.values_) {
    gLiveValues += values_;
}

KXPDFSampledFunction::LiveValues& KXPDFSampledFunction::LiveValues::operator=(const LiveValues& other) {
    if (this != &other) {
        gLiveValues += other.values_ - values_;
        values_ = other.values_;
    }
    return *this;
}

KXPDFSampledFunction::LiveValues::~LiveValues() { gLiveValues -= values_; }

bool KXPDFSampledFunction::LiveValues::take(std::int64_t values) {
    std::int64_t alive = gLiveValues.load();
    do {
        if (values > kMaxLiveValues - alive) return false;
    } while (!gLiveValues.compare_exchange_weak(alive, alive + values));
    gLiveValues -= values_;
    values_ = values;
    return true;
}

bool KXPDFSampledFunction::parse(const kx::PDFObject& object, const kx::PDFObject& funcDict) {
    if (!KXPDFFunction::parse(object, funcDict)) return false;
    if (!hasRange_ || n_ < 1 || m_ < 1 || m_ > kMaxInputs || !object.isStream()) return false;
    const auto m = static_cast<size_t>(m_), n = static_cast<size_t>(n_);

    kx::PDFObject size = funcDict.dictGet("Size");
    if (!size.isArray() || size.arrayCount() != m) return false;
    for (size_t i = 0; i < m; ++i) {
        // A grid needs at least one sample along every input.
        if (!size.arrayAt(i).getInteger(sampleSize_[i]) || sampleSize_[i] < 1) return false;
    }

    // Strides of the table; the table's length follows from them and is bounded (4 Mi values is
    // far more than any tint transform or shading function holds).
    idxMul_[0] = n_;
    std::int64_t total = n_;
    constexpr std::int64_t kLimit = std::int64_t(1) << 22;
    for (size_t i = 0; i < m; ++i) {
        if (i > 0) idxMul_[i] = idxMul_[i - 1] * sampleSize_[i - 1];
        if (sampleSize_[i] > kLimit / total) return false;
        total *= sampleSize_[i];
    }

    std::int64_t bps = 0;
    if (!funcDict.dictGet("BitsPerSample").getInteger(bps) || bps < 1 || bps > 32) return false;

    kx::PDFObject encode = funcDict.dictGet("Encode");
    bool haveEncode = encode.isArray() && encode.arrayCount() == 2 * m;
    for (size_t i = 0; i < m; ++i) {
        if (haveEncode) {
            if (!encode.arrayAt(2 * i).getNumber(encode_[2 * i]) ||
                !encode.arrayAt(2 * i + 1).getNumber(encode_[2 * i + 1]))
                return false;
        } else {
            encode_[2 * i] = 0;
            encode_[2 * i + 1] = static_cast<double>(sampleSize_[i] - 1);
        }
        double width = domain_[2 * i + 1] - domain_[2 * i];
        inputMul_[i] = width == 0 ? 0 : (encode_[2 * i + 1] - encode_[2 * i]) / width;
    }

    kx::PDFObject decode = funcDict.dictGet("Decode");
    bool haveDecode = decode.isArray() && decode.arrayCount() == 2 * n;
    for (size_t j = 0; j < 2 * n; ++j) {
        if (haveDecode) {
            if (!decode.arrayAt(j).getNumber(decode_[j])) return false;
        } else {
            decode_[j] = range_[j];
        }
    }

    // Refused before its data is read when the tables alive would pass their bound.
    if (!live_.take(total)) return false;

    // The table must hold every declared sample: a short stream is refused rather than read past
    // its end or padded with made-up values.
    std::optional<std::string> data = object.streamData();
    if (!data) return false;
    const std::uint64_t bits = static_cast<std::uint64_t>(total) * static_cast<std::uint64_t>(bps);
    if (bits > static_cast<std::uint64_t>(data->size()) * 8) return false;

    const double maxValue = std::ldexp(1.0, static_cast<int>(bps)) - 1;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data->data());
    samples_.resize(static_cast<size_t>(total));
    std::uint64_t bitPos = 0;
    for (auto& sample : samples_) {
        std::uint64_t v = 0;
        if (bps % 8 == 0) {
            size_t at = static_cast<size_t>(bitPos / 8);
            for (std::int64_t b = 0; b < bps / 8; ++b) v = (v << 8) | bytes[at + static_cast<size_t>(b)];
        } else {
            for (std::int64_t b = 0; b < bps; ++b) {
                std::uint64_t p = bitPos + static_cast<std::uint64_t>(b);
                v = (v << 1) | ((bytes[p / 8] >> (7 - p % 8)) & 1u);
            }
        }
        bitPos += static_cast<std::uint64_t>(bps);
        sample = static_cast<double>(v) / maxValue;
    }
    ok_ = true;
    return true;
}

void KXPDFSampledFunction::transformInput(const Values& input, Values& output) const {
    if (!ok_) {
        output.fill(0);
        return;
    }
    const auto m = static_cast<size_t>(m_);
    std::array<std::int64_t, kMaxInputs> e0{}, e1{};
    std::array<double, kMaxInputs> f{};
    for (size_t i = 0; i < m; ++i) {
        double x = (input[i] - domain_[2 * i]) * inputMul_[i] + encode_[2 * i];
        double top = static_cast<double>(sampleSize_[i] - 1);
        if (std::isnan(x)) x = 0;
        x = x < 0 ? 0 : (x > top ? top : x);
        e0[i] = kx::toInt<std::int64_t>(x);
        e1[i] = e0[i] + 1 < sampleSize_[i] ? e0[i] + 1 : e0[i];
        f[i] = x - static_cast<double>(e0[i]);
    }
    const size_t corners = size_t(1) << m;
    std::vector<double> scratch(corners);
    for (int j = 0; j < n_; ++j) {
        for (size_t corner = 0; corner < corners; ++corner) {
            std::int64_t idx = j;
            for (size_t i = 0; i < m; ++i) idx += ((corner >> i) & 1u ? e1[i] : e0[i]) * idxMul_[i];
            scratch[corner] = samples_[static_cast<size_t>(idx)];
        }
        // Collapse one input at a time: pairs that differ in input i become one value.
        size_t count = corners;
        for (size_t i = 0; i < m; ++i) {
            for (size_t k = 0; k < count / 2; ++k)
                scratch[k] = scratch[2 * k + 1] * f[i] + scratch[2 * k] * (1 - f[i]);
            count /= 2;
        }
        auto jj = static_cast<size_t>(j);
        double s = scratch[0];
        output[jj] = clampToRange(decode_[2 * jj] + s * (decode_[2 * jj + 1] - decode_[2 * jj]), j);
    }
}
