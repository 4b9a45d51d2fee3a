#pragma once
// Regular expressions (ICU syntax) matched against whole texts.

#include <memory>
#include <string_view>

namespace kx {

class Regex {
public:
    // A pattern that does not compile gives a regex that matches nothing (valid() is false).
    explicit Regex(std::u16string_view pattern);
    ~Regex();
    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;

    bool valid() const { return pattern_ != nullptr; }
    // True when the whole text matches the pattern.
    bool matchesWhole(std::u16string_view text) const;

private:
    struct Pattern;
    std::unique_ptr<Pattern> pattern_;
};

}  // namespace kx
