#include "pdf/function/KXPDFPostScriptFunction.h"

bool KXPDFPostScriptFunction::parse(const kx::PDFObject& object, const kx::PDFObject& funcDict) {
    // The outputs are counted by Range, which such a function must give.
    if (!KXPDFFunction::parse(object, funcDict) || !hasRange_ || n_ < 1 || !object.isStream()) return false;
    std::optional<std::string> text = object.streamData();
    if (!text) return false;
    program_ = kx::detail::PostScriptCalculator::compile(*text);
    return program_.has_value();
}

void KXPDFPostScriptFunction::transformInput(const Values& input, Values& output) const {
    Values in{};
    for (int i = 0; i < m_; ++i) in[static_cast<size_t>(i)] = clampToDomain(input[static_cast<size_t>(i)], i);
    Values out{};
    if (!program_ || !program_->run(in.data(), static_cast<int>(m_), out.data(), static_cast<int>(n_))) out.fill(0);
    output.fill(0);
    for (int j = 0; j < n_; ++j) output[static_cast<size_t>(j)] = clampToRange(out[static_cast<size_t>(j)], j);
}
