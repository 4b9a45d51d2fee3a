#pragma once
// The presentation templates built into the program (generated from resources/KXSolbrin.bundle at
// build time), the fallback of each template file the resource folder lacks.

#include <cstddef>
#include <string_view>

namespace kx::detail {

struct EmbeddedFile {
    std::string_view name;
    std::string_view data;
};

extern const EmbeddedFile kPPTXTemplates[];
extern const std::size_t kPPTXTemplatesCount;

}  // namespace kx::detail
