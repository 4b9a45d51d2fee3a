#include "app/jobs/KXSandBoxUtilities.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "app/jobs/KXSettingsKeys.h"
#include "app/jobs/KXSettingsStore.h"
#include "platform/FileSystem.h"

namespace {

bool isReadableAndWritable(const std::string& folder) {
    return !folder.empty() && access(folder.c_str(), R_OK | W_OK) == 0;
}

// XDG_DOWNLOAD_DIR="$HOME/Downloads" in the user's user-dirs.dirs, with $HOME expanded.
std::optional<std::string> downloadDirFromUserDirs(const std::string& home) {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string config = configHome && *configHome ? configHome : kx::pathJoin(home, ".config");
    auto text = kx::readFile(kx::pathJoin(config, "user-dirs.dirs"));
    if (!text) return std::nullopt;
    std::istringstream lines(*text);
    for (std::string line; std::getline(lines, line);) {
        const std::string prefix = "XDG_DOWNLOAD_DIR=";
        if (line.rfind(prefix, 0) != 0) continue;
        std::string value = line.substr(prefix.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
        if (value.empty() || value.front() != '/') return std::nullopt;
        return value;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> KXSandBoxUtilities::UserSelectedOutputURLBookmark() {
    return UserSelectedOutputURLBookmarkForKey(KXDefaulExportDirectory_SandBox);
}

bool KXSandBoxUtilities::isReadAndWritableUserSelectedOutputURLBookmark() {
    auto folder = UserSelectedOutputURLBookmark();
    return folder && isReadableAndWritable(*folder);
}

bool KXSandBoxUtilities::startAccessingUserSelectedOutputURLBookmark() { return UserSelectedOutputURLBookmark().has_value(); }

void KXSandBoxUtilities::stopAccessingUserSelectedOutputURLBookmark() {}

std::optional<std::string> KXSandBoxUtilities::UserSelectedOutputURLBookmarkForKey(const std::string& key) {
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    if (!store.hasObjectForKey(key)) return std::nullopt;
    std::string folder = store.stringForKey(key);
    if (folder.empty() || folder.front() != '/' || !kx::isDirectory(folder)) return std::nullopt;
    return folder;
}

bool KXSandBoxUtilities::SaveUserSelectedOutputURLBookmark(const std::string& folder) {
    return SaveUserSelectedOutputURLBookmark(folder, KXDefaulExportDirectory_SandBox);
}

bool KXSandBoxUtilities::SaveUserSelectedOutputURLBookmark(const std::string& folder, const std::string& key) {
    if (folder.empty()) return false;
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.removeObjectForKey(key);
    store.synchronize();
    store.setString(key, kx::absolutePath(folder));
    return store.synchronize();
}

bool KXSandBoxUtilities::startAccessingUserSelectedOutputURL(const std::string& folder) {
    return isReadableAndWritable(folder);
}

bool KXSandBoxUtilities::startAccessingUserSelectedOutputURLBookmarkForKey(const std::string& key) {
    auto folder = UserSelectedOutputURLBookmarkForKey(key);
    return folder && startAccessingUserSelectedOutputURL(*folder);
}

bool KXSandBoxUtilities::stopAccessingUserSelectedOutputURL(const std::string& folder) { return !folder.empty(); }

bool KXSandBoxUtilities::stopAccessingUserSelectedOutputURLBookmarkForKey(const std::string& key) {
    auto folder = UserSelectedOutputURLBookmarkForKey(key);
    return folder && stopAccessingUserSelectedOutputURL(*folder);
}

std::string KXSandBoxUtilities::defaultOutputDirectory() {
    const std::string home = kx::homeDirectory();
    if (auto folder = downloadDirFromUserDirs(home)) return *folder;
    return kx::pathJoin(home, "Downloads");
}
