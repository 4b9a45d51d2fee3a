#pragma once
// The function named Identity: every input comes back unchanged (32 of them, domain 0 to 1).

#include "pdf/function/KXPDFFunction.h"

class KXPDFIdentityFunction : public KXPDFFunction {
public:
    KXPDFIdentityFunction();
    std::int64_t getType() const override { return -1; }
    void transformInput(const Values& input, Values& output) const override;
};
