#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>

namespace fs = std::filesystem;

namespace kx {

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(fs::symlink_status(path, ec)) && !ec;
}

bool isDirectory(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool createDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    if (fs::is_directory(path, ec)) return true;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

bool removeAll(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::remove_all(path, ec);
    return !fs::exists(fs::symlink_status(path, ec));
}

bool removeFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(path, ec) && !ec;
}

bool moveItem(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (from.empty() || to.empty() || !fs::exists(fs::symlink_status(from, ec)) || fs::exists(fs::symlink_status(to, ec)))
        return false;
    fs::rename(from, to, ec);
    if (!ec) return true;
    if (ec != std::errc::cross_device_link) return false;
    fs::copy(from, to, fs::copy_options::recursive, ec);
    if (ec) {
        removeAll(to);
        return false;
    }
    removeAll(from);
    return true;
}

FileKind fileKind(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return FileKind::None;
    if (S_ISREG(st.st_mode)) return FileKind::RegularFile;
    if (S_ISDIR(st.st_mode)) return FileKind::Folder;
    return FileKind::Other;
}

std::string errorText(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return "no such file";
        case EACCES:
        case EPERM: return "permission denied";
        case EROFS: return "read-only file system";
        case ENOSPC: return "no space left on device";
        default: break;
    }
    std::string text = std::strerror(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

std::optional<std::string> createUniqueFolder(const std::string& parent, const std::string& prefix, std::string* whyNot) {
    std::string pattern = pathJoin(parent.empty() ? "." : parent, prefix + "XXXXXX");
    if (!::mkdtemp(pattern.data())) {
        if (whyNot) *whyNot = errorText(errno);
        return std::nullopt;
    }
    return pattern;
}

bool moveReplacing(const std::string& from, const std::string& to, std::string* whyNot) {
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    if (whyNot) *whyNot = errorText(errno);
    return false;
}

NewFileResult createNewFile(const std::string& path) {
    if (path.empty()) return NewFileResult::Failed;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return errno == EEXIST ? NewFileResult::Exists : NewFileResult::Failed;
    ::close(fd);
    return NewFileResult::Created;
}

NewFileResult createNewFolder(const std::string& path) {
    if (path.empty()) return NewFileResult::Failed;
    if (::mkdir(path.c_str(), 0777) != 0) return errno == EEXIST ? NewFileResult::Exists : NewFileResult::Failed;
    return NewFileResult::Created;
}

std::optional<std::string> reserveFreePath(const std::function<std::string(long)>& candidate, long last, bool folder,
                                           std::string* whyNot) {
    if (whyNot) whyNot->clear();
    for (long number = 1; number <= last; ++number) {
        const std::string path = candidate(number);
        errno = 0;
        switch (folder ? createNewFolder(path) : createNewFile(path)) {
            case NewFileResult::Created: return path;
            case NewFileResult::Exists: continue;
            case NewFileResult::Failed:
                if (whyNot) *whyNot = errorText(errno != 0 ? errno : EINVAL);
                return std::nullopt;
        }
    }
    return std::nullopt;
}

std::string canonicalPath(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
    if (ec) return fs::absolute(path).lexically_normal().string();
    return p.string();
}

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

std::optional<std::string> readFile(const std::string& path) {
    // In blocks, not character by character: resource tables of a few hundred kilobytes are read
    // at the start of conversions.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    std::string data;
    char block[1 << 16];
    size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) data.append(block, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::nullopt;
    return data;
}

bool writeFile(const std::string& path, std::string_view data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    return !out.fail();
}

std::optional<std::uintmax_t> fileSize(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(path, ec);
    if (ec) return std::nullopt;
    return n;
}

std::vector<std::string> listDirectory(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string homeDirectory() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    return systemTempDirectory();
}

std::string systemTempDirectory() {
    std::error_code ec;
    fs::path p = fs::temp_directory_path(ec);
    return ec ? std::string("/tmp") : p.string();
}

std::string executableDirectory() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

std::string pathDirectory(const std::string& path) { return fs::path(path).parent_path().string(); }
std::string pathFileName(const std::string& path) { return fs::path(path).filename().string(); }

std::string pathExtension(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    return ext.empty() ? ext : ext.substr(1);
}

std::string pathWithoutExtension(const std::string& path) {
    fs::path p(path);
    if (!p.has_extension()) return path;
    return (p.parent_path() / p.stem()).string();
}

std::string pathJoin(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    return (fs::path(a) / b).string();
}

std::string newUUIDString() {
    static thread_local std::mt19937_64 rng{std::random_device{}() ^ (static_cast<std::uint64_t>(getpid()) << 32)};
    std::uint64_t hi = rng(), lo = rng();
    hi = (hi & 0xFFFFFFFFFFFF0FFFULL) | 0x0000000000004000ULL;  // version 4
    lo = (lo & 0x3FFFFFFFFFFFFFFFULL) | 0x8000000000000000ULL;  // variant 1
    char buf[37];
    std::snprintf(buf, sizeof buf, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(hi >> 32),
                  static_cast<unsigned>((hi >> 16) & 0xFFFF), static_cast<unsigned>(hi & 0xFFFF),
                  static_cast<unsigned>(lo >> 48), static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFULL));
    return buf;
}

namespace {

std::mutex gRootMutex;
std::string gCurrentRoot;

// The process's own temporary folder, used outside conversions and removed at exit.
struct ProcessTemporaryFolder {
    std::string path;
    ~ProcessTemporaryFolder() {
        if (!path.empty()) removeAll(path);
    }
};

ProcessTemporaryFolder& processFolder() {
    static ProcessTemporaryFolder folder;
    return folder;
}

}  // namespace

std::string temporaryRoot() {
    std::lock_guard lock(gRootMutex);
    std::string root = gCurrentRoot;
    if (root.empty()) {
        ProcessTemporaryFolder& pf = processFolder();
        if (pf.path.empty()) pf.path = pathJoin(systemTempDirectory(), "Docuvane-" + newUUIDString());
        root = pf.path;
    }
    createDirectories(root);
    return root;
}

ScopedTemporaryRoot::ScopedTemporaryRoot() : path_(pathJoin(systemTempDirectory(), "Docuvane-" + newUUIDString())) {
    createDirectories(path_);
    std::lock_guard lock(gRootMutex);
    previous_ = gCurrentRoot;
    gCurrentRoot = path_;
}

ScopedTemporaryRoot::~ScopedTemporaryRoot() {
    {
        std::lock_guard lock(gRootMutex);
        gCurrentRoot = previous_;
    }
    removeAll(path_);
}

}  // namespace kx
