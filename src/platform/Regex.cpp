#include "platform/Regex.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace kx {

struct Regex::Pattern {
    std::unique_ptr<icu::RegexPattern> compiled;
};

Regex::Regex(std::u16string_view pattern) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    icu::UnicodeString p(pattern.data(), static_cast<int32_t>(pattern.size()));
    std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(p, 0, parseError, status));
    if (U_SUCCESS(status) && compiled) pattern_ = std::make_unique<Pattern>(Pattern{std::move(compiled)});
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

bool Regex::matchesWhole(std::u16string_view text) const {
    if (!pattern_) return false;
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString t(false, text.data(), static_cast<int32_t>(text.size()));
    // A matcher per call: the compiled pattern is shared, matchers are not.
    std::unique_ptr<icu::RegexMatcher> m(pattern_->compiled->matcher(t, status));
    if (U_FAILURE(status) || !m) return false;
    bool matched = m->matches(status);
    return U_SUCCESS(status) && matched;
}

}  // namespace kx
