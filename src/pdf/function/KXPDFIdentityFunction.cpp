#include "pdf/function/KXPDFIdentityFunction.h"

KXPDFIdentityFunction::KXPDFIdentityFunction() {
    m_ = n_ = kMaxValues;
    for (int i = 0; i < kMaxValues; ++i) {
        domain_[static_cast<size_t>(2 * i)] = 0;
        domain_[static_cast<size_t>(2 * i + 1)] = 1;
    }
}

void KXPDFIdentityFunction::transformInput(const Values& input, Values& output) const { output = input; }
