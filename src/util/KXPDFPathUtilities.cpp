#include "util/KXPDFPathUtilities.h"

#include "util/KXLibBundle.h"
#include "platform/FileSystem.h"
#include "platform/Resources.h"

std::optional<std::string> KXPDFPathUtilities::PathInLibBundleForResource(const std::string& relativePath) {
    std::optional<std::string> bundle = KXLibBundle::PathForResource_KXLib("KXPDFParser", "bundle");
    if (!bundle || bundle->empty() || !kx::isDirectory(*bundle)) return std::nullopt;
    return kx::bundleResourcePath(*bundle, kx::pathDirectory(relativePath), kx::pathFileName(relativePath));
}

bool KXPDFPathUtilities::isDirectoryAtPath(const std::string& path) { return kx::isDirectory(path); }

std::string KXPDFPathUtilities::getUUIDPathBy(const std::string& path) {
    std::string base = kx::pathWithoutExtension(path);
    std::string extension = kx::pathExtension(path);
    std::string result = base + "-" + kx::newUUIDString();
    if (!extension.empty()) result += "." + extension;
    return result;
}

std::string KXPDFPathUtilities::getNewPathby(const std::string& path) {
    if (!kx::fileExists(path)) return path;
    const std::string base = kx::pathWithoutExtension(path);
    const std::string extension = kx::pathExtension(path);
    const std::string suffix = extension.empty() ? std::string() : "." + extension;
    constexpr long kLastNumber = 99'999'999;
    std::string candidate;
    for (long number = 2; number <= kLastNumber; ++number) {
        candidate = base + std::to_string(number) + suffix;
        if (!kx::fileExists(candidate)) break;
    }
    return candidate;
}

std::optional<std::string> KXPDFPathUtilities::reserveNewPathBy(const std::string& path) {
    const std::string base = kx::pathWithoutExtension(path);
    const std::string extension = kx::pathExtension(path);
    const std::string suffix = extension.empty() ? std::string() : "." + extension;
    return kx::reserveFreePath(
        [&](long number) { return number == 1 ? path : base + std::to_string(number) + suffix; }, 99'999'999);
}

bool KXPDFPathUtilities::createFolderIfNeed(const std::string& path) {
    if (kx::isDirectory(path)) return true;
    if (path.empty() || kx::fileExists(path)) return false;
    return kx::createDirectories(path);
}

std::string KXPDFPathUtilities::tempFolder() {
    return kx::pathJoin(kx::temporaryRoot(), "Temp-" + kx::newUUIDString());
}

std::string KXPDFPathUtilities::tempFolder0() { return tempFolder(); }

std::string KXPDFPathUtilities::tempIMG(const std::string& name, const std::string& extension) {
    const std::string ext = extension.empty() ? "PNG" : extension;
    const std::string uuid = kx::newUUIDString();
    std::string file = name.empty() ? "IMG_" + uuid + "." + ext : "IMG_" + name + "_" + uuid + "." + ext;
    return kx::pathJoin(kx::temporaryRoot(), file);
}

std::string KXPDFPathUtilities::tempFilePathExtension(const std::string& name, const std::string& extension) {
    const std::string ext = extension.empty() ? "unkonw" : extension;
    const std::string uuid = kx::newUUIDString();
    std::string file = name.empty() ? uuid + "." + ext : name + "_" + uuid + "." + ext;
    return kx::pathJoin(kx::temporaryRoot(), file);
}

std::string KXPDFPathUtilities::tempFile() { return tempFilePathExtension("Temp", "PNG"); }
