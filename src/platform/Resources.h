#pragma once
// Files that ship beside the program. The resource folder is, in order: $KX_RESOURCE_DIR, the
// folder "resources" beside the executable, or the build tree's resource folder. A "bundle" is a
// sub-folder named "<name>.<type>" (for example "KXPDFParser.bundle").

#include <optional>
#include <string>

namespace kx {

std::string resourceDirectory();

// The path of resourceDirectory()/<name>.<type> (or <name> when type is empty), when it exists.
std::optional<std::string> resourcePath(const std::string& name, const std::string& type);

// A file named exactly `name` in `subfolder` of the bundle folder, when it exists.
std::optional<std::string> bundleResourcePath(const std::string& bundleFolder, const std::string& subfolder,
                                              const std::string& name);

}  // namespace kx
