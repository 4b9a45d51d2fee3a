#include "platform/Resources.h"

#include <cstdlib>

#include "platform/FileSystem.h"

#ifndef KX_DEFAULT_RESOURCE_DIR
#define KX_DEFAULT_RESOURCE_DIR ""
#endif

namespace kx {

std::string resourceDirectory() {
    if (const char* env = std::getenv("KX_RESOURCE_DIR"); env && *env && isDirectory(env)) return env;
    std::string beside = pathJoin(executableDirectory(), "resources");
    if (isDirectory(beside)) return beside;
    return KX_DEFAULT_RESOURCE_DIR;
}

std::optional<std::string> resourcePath(const std::string& name, const std::string& type) {
    if (name.empty()) return std::nullopt;
    std::string dir = resourceDirectory();
    if (dir.empty()) return std::nullopt;
    std::string path = pathJoin(dir, type.empty() ? name : name + "." + type);
    if (!fileExists(path)) return std::nullopt;
    return path;
}

std::optional<std::string> bundleResourcePath(const std::string& bundleFolder, const std::string& subfolder,
                                              const std::string& name) {
    if (bundleFolder.empty() || name.empty()) return std::nullopt;
    std::string dir = subfolder.empty() ? bundleFolder : pathJoin(bundleFolder, subfolder);
    std::string path = pathJoin(dir, name);
    if (!isRegularFile(path)) return std::nullopt;
    return path;
}

}  // namespace kx
