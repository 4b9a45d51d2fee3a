#include "ooxml/KXOutputWriter.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/FileSystem.h"
#include "platform/ZipArchive.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kErrorDomain = "KXOutputWriter";
enum FailureCode { kCannotCreate = 1, kCannotAddEntry = 2, kCannotWrite = 3 };
// Folders nested deeper than this are not followed (a work folder is a few levels deep).
constexpr int kMaxDepth = 64;

struct Failures {
    int firstCode = 0;
    std::vector<std::string> reasons;

    void add(int code, std::string reason) {
        if (!firstCode) firstCode = code;
        reasons.push_back(std::move(reason));
    }
    bool empty() const { return reasons.empty(); }
};

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool isRealFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec) && !fs::is_symlink(path, ec);
}

// Every path below the folder, relative to it, "/"-separated: each folder before its contents,
// names in sorted order so that packages come out the same every time.
void listBelow(const std::string& root, const std::string& sub, int depth, std::vector<std::string>& out,
               Failures& failures) {
    std::string dir = sub.empty() ? root : kx::pathJoin(root, sub);
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    if (ec) {
        failures.add(kCannotAddEntry, "Can't list \"" + dir + "\": " + ec.message());
        return;
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::string child = sub.empty() ? name : sub + "/" + name;
        out.push_back(child);
        if (depth < kMaxDepth && isRealFolder(kx::pathJoin(root, child)))
            listBelow(root, child, depth + 1, out, failures);
    }
}

bool isEmptyFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_empty(path, ec) && !ec;
}

}  // namespace

bool KXOutputWriter::CreateZipFileAtPath(const std::string& path, const std::vector<std::string>& paths,
                                         KXError* error) {
    return CreateZipFileAtPath(path, paths, true, -1, std::nullopt, false, nullptr, error);
}

bool KXOutputWriter::CreateZipFileAtPath(const std::string& path, const std::vector<std::string>& paths,
                                         bool keepParentDirectory, int compressionLevel,
                                         const std::optional<std::string>& password, bool AES,
                                         const ProgressHandler& progressHandler, KXError* error) {
    Failures failures;
    kx::ZipArchive archive(path);
    if (!archive.open()) {
        failures.add(kCannotCreate, archive.lastError());
    } else {
        const std::string archivePath = kx::canonicalPath(path);
        const auto itemCount = static_cast<std::uint64_t>(paths.size());
        std::uint64_t itemsDone = 0;
        auto addFile = [&](const std::string& file, const std::string& entryName) {
            if (!archive.writeFileAtPath(file, entryName, compressionLevel, password, AES))
                failures.add(kCannotAddEntry, archive.lastError());
        };

        for (const std::string& rawItem : paths) {
            const std::string item = withoutTrailingSlashes(rawItem);
            if (!kx::isDirectory(item)) {
                addFile(item, kx::pathFileName(item));
            } else {
                std::vector<std::string> subpaths;
                listBelow(item, "", 0, subpaths, failures);
                if (keepParentDirectory && subpaths.empty()) subpaths.push_back("");
                const std::string folderName = kx::pathFileName(item);
                const auto subpathCount = static_cast<std::uint64_t>(subpaths.size());
                std::uint64_t subpathsDone = 0;
                for (const std::string& sub : subpaths) {
                    const std::string full = sub.empty() ? item : kx::pathJoin(item, sub);
                    if (kx::canonicalPath(full) != archivePath) {
                        std::string entryName =
                            keepParentDirectory ? (sub.empty() ? folderName : folderName + "/" + sub) : sub;
                        if (kx::isDirectory(full)) {
                            // A folder with contents gets no entry: its files carry its name.
                            if (isEmptyFolder(full) && !archive.writeFolderAtPath(full, entryName))
                                failures.add(kCannotAddEntry, archive.lastError());
                        } else {
                            addFile(full, entryName);
                        }
                    }
                    ++subpathsDone;
                    if (progressHandler) progressHandler(subpathsDone + itemsDone, subpathCount + itemCount);
                }
            }
            ++itemsDone;
            if (progressHandler) progressHandler(itemsDone, itemCount);
        }

        // A package with a missing part is no package: drop it rather than leave it behind.
        if (!failures.empty())
            archive.discard();
        else if (!archive.close())
            failures.add(kCannotWrite, archive.lastError());
    }

    if (failures.empty()) return true;
    if (error) {
        std::string reason = "Can't create the package \"" + path + "\".";
        for (const std::string& r : failures.reasons) reason += "\n" + r;
        *error = KXError{kErrorDomain, failures.firstCode, reason};
    }
    return false;
}
