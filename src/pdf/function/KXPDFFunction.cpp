#include "pdf/function/KXPDFFunction.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "pdf/function/KXPDFExponentialFunction.h"
#include "pdf/function/KXPDFIdentityFunction.h"
#include "pdf/function/KXPDFPostScriptFunction.h"
#include "pdf/function/KXPDFSampledFunction.h"
#include "pdf/function/KXPDFStitchingFunction.h"
#include "util/NestingGuard.h"
#include "platform/Numeric.h"

namespace {

// Reads n numbers of an array into out; false when one is not a number.
bool readNumbers(const kx::PDFObject& array, size_t n, double* out) {
    for (size_t i = 0; i < n; ++i)
        if (!array.arrayAt(i).getNumber(out[i])) return false;
    return true;
}

// Stitching functions hold functions, possibly through indirect objects that lead back to
// themselves; the chain of functions being built is cut at a fixed depth and at any object that
// is already being built. Shared sub-functions could still multiply the work level by level, so
// one outermost call builds a bounded number of functions in all.
constexpr size_t kMaxNesting = 8;
constexpr int kMaxFunctionsPerCall = 4096;
thread_local std::vector<std::uintptr_t> tInProgress;
thread_local int tBuilt = 0;

// Sampled and calculator functions (streams, objects of their own) built for a document, by object
// number. Colour spaces and shadings name the same function object again and again (a thousand
// Separation spaces over one tint table of a million samples took 42 s and 22 GB, each space
// decoding and holding its own copy); functions do not change once built, so one copy serves them
// all. Bounded in sample values; a function the file does not make is kept as such (null).
class DocumentFunctions {
public:
    static constexpr std::int64_t kMaxValues = std::int64_t(1) << 23;

    bool find(int number, std::shared_ptr<const KXPDFFunction>& function) {
        std::lock_guard lock(mutex_);
        auto it = functions_.find(number);
        if (it == functions_.end()) return false;
        function = it->second;
        return true;
    }
    void store(int number, const std::shared_ptr<const KXPDFFunction>& function) {
        const auto* sampled = dynamic_cast<const KXPDFSampledFunction*>(function.get());
        const std::int64_t weight = 1 + (sampled ? sampled->nSamples() : 0);
        if (weight > kMaxValues) return;
        std::lock_guard lock(mutex_);
        if (held_ + weight > kMaxValues) {
            functions_.clear();
            held_ = 0;
        }
        if (functions_.try_emplace(number, function).second) held_ += weight;
    }

private:
    std::mutex mutex_;
    std::unordered_map<int, std::shared_ptr<const KXPDFFunction>> functions_;
    std::int64_t held_ = 0;
};

}  // namespace

bool KXPDFFunction::parse(const kx::PDFObject&, const kx::PDFObject& funcDict) {
    kx::PDFObject domain = funcDict.dictGet("Domain");
    if (!domain.isArray() || domain.arrayCount() > 2 * kMaxValues + 1) return false;
    m_ = static_cast<std::int64_t>(domain.arrayCount() / 2);
    if (!readNumbers(domain, static_cast<size_t>(2 * m_), domain_.data())) return false;

    hasRange_ = false;
    n_ = 0;
    kx::PDFObject range = funcDict.dictGet("Range");
    if (range.isArray()) {
        hasRange_ = true;
        if (range.arrayCount() > 2 * kMaxValues + 1) return false;
        n_ = static_cast<std::int64_t>(range.arrayCount() / 2);
        if (!readNumbers(range, static_cast<size_t>(2 * n_), range_.data())) return false;
    }
    return true;
}

void KXPDFFunction::transformInput(const Values&, Values& output) const { output.fill(0); }

double KXPDFFunction::clampToDomain(double x, int i) const {
    double lo = domain_[static_cast<size_t>(2 * i)], hi = domain_[static_cast<size_t>(2 * i + 1)];
    if (std::isnan(x)) return lo;
    return x < lo ? lo : (x > hi ? hi : x);
}

double KXPDFFunction::clampToRange(double y, int j) const {
    if (std::isnan(y)) y = 0;
    if (!hasRange_ || j >= n_) return y;
    double lo = range_[static_cast<size_t>(2 * j)], hi = range_[static_cast<size_t>(2 * j + 1)];
    return y < lo ? lo : (y > hi ? hi : y);
}

std::shared_ptr<const KXPDFFunction> KXPDFFunction::FuntionWithObject(const kx::PDFObject& object) {
    if (object.isName()) {
        if (object.isName("Identity")) return std::make_shared<KXPDFIdentityFunction>();
        return nullptr;
    }
    if (!object.isDictionary()) return nullptr;
    kx::PDFObject dict = object.isStream() ? object.streamDictionary() : object;

    kx::PDFObject typeObject = dict.dictGet("FunctionType");
    std::int64_t type = 0;
    double real = 0;
    if (typeObject.getInteger(type)) {
    } else if (typeObject.getNumber(real)) {
        type = kx::toInt<std::int64_t>(real, -1);
    } else {
        return nullptr;
    }

    // Only these two hold no other functions: what they build does not depend on the chain they
    // are read in, so one copy is right for every reader.
    const bool keepable = (type == 0 || type == 4) && object.isStream() && object.objectNumber() > 0;
    std::shared_ptr<DocumentFunctions> kept = keepable ? object.documentCache<DocumentFunctions>() : nullptr;
    std::shared_ptr<const KXPDFFunction> found;
    if (kept && kept->find(object.objectNumber(), found)) return found;

    if (tInProgress.empty()) tBuilt = 0;
    kx::NestingGuard guard(tInProgress, object.identity(), kMaxNesting, tBuilt < kMaxFunctionsPerCall);
    if (!guard.ok()) return nullptr;
    ++tBuilt;

    std::shared_ptr<KXPDFFunction> function;
    switch (type) {
        case 0: function = std::make_shared<KXPDFSampledFunction>(); break;
        case 2: function = std::make_shared<KXPDFExponentialFunction>(); break;
        case 3: function = std::make_shared<KXPDFStitchingFunction>(); break;
        case 4: function = std::make_shared<KXPDFPostScriptFunction>(); break;
        default: return nullptr;
    }
    function->setType(type);
    if (!function->parse(object, dict)) function.reset();
    if (kept) kept->store(object.objectNumber(), function);
    return function;
}
