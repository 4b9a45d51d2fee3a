#include "pdf/function/KXPDFStitchingFunction.h"

namespace {

// More pieces than any real file needs; a longer Functions array is refused before anything is
// built.
constexpr size_t kMaxFunctions = 1024;

}  // namespace

bool KXPDFStitchingFunction::parse(const kx::PDFObject& object, const kx::PDFObject& funcDict) {
    if (!KXPDFFunction::parse(object, funcDict) || m_ != 1) return false;
    kx::PDFObject functions = funcDict.dictGet("Functions");
    // Without functions there is nothing to stitch.
    if (!functions.isArray() || functions.arrayCount() == 0 || functions.arrayCount() > kMaxFunctions) return false;
    const size_t k = functions.arrayCount();
    for (size_t i = 0; i < k; ++i) {
        auto f = KXPDFFunction::FuntionWithObject(functions.arrayAt(i));
        if (!f || f->m_input() != 1) return false;
        if (i > 0 && f->n_output() != funcs_.front()->n_output()) return false;
        funcs_.push_back(std::move(f));
    }

    kx::PDFObject boundsArray = funcDict.dictGet("Bounds");
    if (!boundsArray.isArray() || boundsArray.arrayCount() != k - 1) return false;
    bounds_.assign(k + 1, 0);
    bounds_[0] = domain_[0];
    for (size_t i = 0; i + 1 < k; ++i)
        if (!boundsArray.arrayAt(i).getNumber(bounds_[i + 1])) return false;
    bounds_[k] = domain_[1];

    kx::PDFObject encodeArray = funcDict.dictGet("Encode");
    if (!encodeArray.isArray() || encodeArray.arrayCount() != 2 * k) return false;
    encode_.assign(2 * k, 0);
    for (size_t i = 0; i < 2 * k; ++i)
        if (!encodeArray.arrayAt(i).getNumber(encode_[i])) return false;

    scale_.assign(k, 0);
    for (size_t i = 0; i < k; ++i) {
        double width = bounds_[i + 1] - bounds_[i];
        scale_[i] = width == 0 ? 0 : (encode_[2 * i + 1] - encode_[2 * i]) / width;
    }
    n_ = funcs_.front()->n_output();
    ok_ = true;
    return true;
}

void KXPDFStitchingFunction::transformInput(const Values& input, Values& output) const {
    if (funcs_.empty()) {
        output.fill(0);
        return;
    }
    double x = clampToDomain(input[0], 0);
    size_t k = funcs_.size();
    size_t i = 0;
    while (i + 1 < k && !(x < bounds_[i + 1])) ++i;
    Values t{};
    t[0] = encode_[2 * i] + (x - bounds_[i]) * scale_[i];
    funcs_[i]->transformInput(t, output);
}
