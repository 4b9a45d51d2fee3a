#pragma once
// The product's display name and version as the generator texts of the outputs name them.

#include <string>

namespace kx::detail {

// From the program's information list; "Docuvane" and an empty version when it is missing.
std::string productDisplayName();
std::string productVersion();
// The company named in the generator texts.
inline constexpr const char* kProductCompany = "Ostrevo Software Inc";

}  // namespace kx::detail
