#pragma once
// FunctionType 4: a program in the PostScript calculator language, run for every evaluation. The
// inputs are pushed (clamped to the domain), the program runs, and the numbers left on the stack
// are the outputs (clamped to the range). A program that fails at run time gives zeros.

#include <optional>

#include "pdf/function/KXPDFFunction.h"
#include "pdf/function/PostScriptCalculator.h"

class KXPDFPostScriptFunction : public KXPDFFunction {
public:
    std::int64_t getType() const override { return 4; }
    bool parse(const kx::PDFObject& object, const kx::PDFObject& funcDict) override;
    void transformInput(const Values& input, Values& output) const override;

private:
    std::optional<kx::detail::PostScriptCalculator> program_;
};
