#include "platform/ZipArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/FileSystem.h"

namespace kx {

struct ZipArchive::Handle {
    zip_t* zip = nullptr;
    zip_source_t* memory = nullptr;  // the archive's bytes when it is put together in memory

    void releaseMemory() {
        if (memory) zip_source_free(memory);
        memory = nullptr;
    }
};

namespace {

std::string libzipMessage(zip_t* zip) { return zip_error_strerror(zip_get_error(zip)); }

std::string systemMessage(int error) { return std::strerror(error); }

// Unix attributes of an entry: file type and permission bits in the upper half.
zip_uint32_t externalAttributes(mode_t mode, bool folder) {
    zip_uint32_t type = folder ? S_IFDIR : S_IFREG;
    return (type | (mode & 07777)) << 16;
}

// 1980-01-01 00:00:00 as an MS-DOS time and date: set as such, it does not depend on the time zone
// the way a time_t converted by the library would.
constexpr zip_uint16_t kFixedDosTime = 0;
constexpr zip_uint16_t kFixedDosDate = (0 << 9) | (1 << 5) | 1;

// Date and Unix attributes of the entry: the item's own, or the fixed ones.
bool setEntryAttributes(zip_t* zip, zip_uint64_t entry, const struct stat& st, bool folder, bool fixed) {
    if (fixed) {
        if (zip_file_set_dostime(zip, entry, kFixedDosTime, kFixedDosDate, 0) != 0) return false;
    } else if (zip_file_set_mtime(zip, entry, st.st_mtime, 0) != 0) {
        return false;
    }
    mode_t mode = fixed ? (folder ? 0755 : 0644) : st.st_mode;
    return zip_file_set_external_attributes(zip, entry, 0, ZIP_OPSYS_UNIX, externalAttributes(mode, folder)) == 0;
}

// The deflate method and level of an entry: negative for the default level, 0 to store, 1 to 9.
bool setCompression(zip_t* zip, zip_uint64_t entry, int compressionLevel) {
    zip_int32_t method = compressionLevel == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    zip_uint32_t level = compressionLevel > 0 ? static_cast<zip_uint32_t>(std::min(compressionLevel, 9)) : 0;
    return zip_set_file_compression(zip, entry, method, level) == 0;
}

}  // namespace

ZipArchive::ZipArchive(std::string path) : path_(std::move(path)), handle_(std::make_unique<Handle>()) {}

ZipArchive::~ZipArchive() { discard(); }

bool ZipArchive::isOpen() const { return handle_->zip != nullptr; }

bool ZipArchive::fail(std::string message) {
    lastError_ = std::move(message);
    return false;
}

bool ZipArchive::open(bool inMemory) {
    if (isOpen()) return fail("The package is already open.");
    if (inMemory) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
        zip_t* zip = nullptr;
        if (memory) {
            zip_source_keep(memory);  // read back after the archive is closed
            zip = zip_open_from_source(memory, ZIP_TRUNCATE, &error);
        }
        if (!zip) {
            std::string message = zip_error_strerror(&error);
            zip_error_fini(&error);
            if (memory) zip_source_free(memory);
            return fail("Can't create the package: " + message);
        }
        zip_error_fini(&error);
        handle_->zip = zip;
        handle_->memory = memory;
        return true;
    }
    int code = 0;
    zip_t* zip = zip_open(path_.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        std::string message = zip_error_strerror(&error);
        zip_error_fini(&error);
        return fail("Can't create the package: " + message);
    }
    handle_->zip = zip;
    return true;
}

std::optional<std::uint64_t> ZipArchive::addEntry(zip_source* source, const std::string& entryName) {
    zip_t* zip = handle_->zip;
    if (!source) {
        fail("Can't add \"" + entryName + "\": " + libzipMessage(zip));
        return std::nullopt;
    }
    zip_int64_t index = zip_file_add(zip, entryName.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        fail("Can't add \"" + entryName + "\": " + libzipMessage(zip));
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(index);
}

bool ZipArchive::writeFileAtPath(const std::string& filePath, const std::string& entryName, int compressionLevel,
                                 const std::optional<std::string>& password, bool aes) {
    if (!isOpen()) return fail("The package is not open.");
    // The data is read when the archive is closed; find out now whether it can be read at all.
    int fd = ::open(filePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail("Can't read \"" + filePath + "\": " + systemMessage(errno));
    struct stat st {};
    int statResult = fstat(fd, &st);
    int statError = errno;
    ::close(fd);
    if (statResult != 0) return fail("Can't read \"" + filePath + "\": " + systemMessage(statError));
    if (!S_ISREG(st.st_mode)) return fail("\"" + filePath + "\" is not a file.");

    zip_t* zip = handle_->zip;
    std::optional<zip_uint64_t> added = addEntry(zip_source_file(zip, filePath.c_str(), 0, -1), entryName);
    if (!added) return false;
    const zip_uint64_t entry = *added;
    // An encrypted entry keeps its file's date: the library derives the password check byte from
    // the file's own time, and its random encryption header differs every time anyway.
    const bool fixed = fixedEntryAttributes_ && !password;
    if (!setCompression(zip, entry, compressionLevel) || !setEntryAttributes(zip, entry, st, false, fixed))
        return fail("Can't add \"" + entryName + "\": " + libzipMessage(zip));
    if (password) {
        zip_uint16_t scheme = aes ? ZIP_EM_AES_256 : ZIP_EM_TRAD_PKWARE;
        if (zip_file_set_encryption(zip, entry, scheme, password->c_str()) != 0)
            return fail("Can't encrypt \"" + entryName + "\": " + libzipMessage(zip));
    }
    return true;
}

bool ZipArchive::writeBytes(std::string_view bytes, const std::string& entryName, int compressionLevel) {
    if (!isOpen()) return fail("The package is not open.");
    zip_t* zip = handle_->zip;
    std::optional<zip_uint64_t> added = addEntry(zip_source_buffer(zip, bytes.data(), bytes.size(), 0), entryName);
    if (!added) return false;
    const zip_uint64_t entry = *added;
    struct stat st {};
    st.st_mtime = std::time(nullptr);
    st.st_mode = S_IFREG | 0644;
    if (!setCompression(zip, entry, compressionLevel) ||
        !setEntryAttributes(zip, entry, st, false, fixedEntryAttributes_))
        return fail("Can't add \"" + entryName + "\": " + libzipMessage(zip));
    return true;
}

bool ZipArchive::writeFolderAtPath(const std::string& folderPath, const std::string& folderName) {
    if (!isOpen()) return fail("The package is not open.");
    struct stat st {};
    if (stat(folderPath.c_str(), &st) != 0) return fail("Can't read \"" + folderPath + "\": " + systemMessage(errno));
    zip_t* zip = handle_->zip;
    zip_int64_t index = zip_dir_add(zip, folderName.c_str(), ZIP_FL_ENC_UTF_8);
    if (index < 0) return fail("Can't add \"" + folderName + "/\": " + libzipMessage(zip));
    auto entry = static_cast<zip_uint64_t>(index);
    if (!setEntryAttributes(zip, entry, st, true, fixedEntryAttributes_))
        return fail("Can't add \"" + folderName + "/\": " + libzipMessage(zip));
    return true;
}

namespace {

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool ZipArchive::writeMemoryToPath() {
    zip_source_t* memory = handle_->memory;
    std::string bytes;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_open(memory) != 0) return fail("Can't write the package: " + std::string(zip_error_strerror(zip_source_error(memory))));
    if (zip_source_stat(memory, &st) == 0 && (st.valid & ZIP_STAT_SIZE)) bytes.reserve(st.size);
    char chunk[64 * 1024];
    zip_int64_t n = 0;
    while ((n = zip_source_read(memory, chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<size_t>(n));
    const bool readOk = n == 0;
    zip_source_close(memory);
    if (!readOk) return fail("Can't write the package: the archive could not be read back.");

    // As the library does: a temporary file beside the destination, renamed over it when complete,
    // with the permissions of the file it replaces (or the defaults of a new file).
    std::string temp = path_ + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        int error = errno;
        const std::string folder = pathDirectory(path_);
        return fail("Can't write the package: can't create a file in \"" + (folder.empty() ? std::string(".") : folder) + "\": " + systemMessage(error));
    }
    struct stat old {};
    mode_t mode = 0;
    if (stat(path_.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = umask(022);
        umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = writeAll(fd, bytes.data(), bytes.size()) && fchmod(fd, mode) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temp.c_str(), path_.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return fail("Can't write the package: " + systemMessage(error));
    }
    return true;
}

bool ZipArchive::close() {
    if (!isOpen()) return fail("The package is not open.");
    zip_t* zip = handle_->zip;
    if (zip_close(zip) != 0) {
        std::string message = libzipMessage(zip);
        zip_discard(zip);  // removes the temporary file; the path stays as it was
        handle_->zip = nullptr;
        handle_->releaseMemory();
        return fail("Can't write the package: " + message);
    }
    handle_->zip = nullptr;
    if (!handle_->memory) return true;
    const bool written = writeMemoryToPath();
    handle_->releaseMemory();
    return written;
}

void ZipArchive::discard() {
    if (!handle_) return;
    if (handle_->zip) zip_discard(handle_->zip);
    handle_->zip = nullptr;
    handle_->releaseMemory();
}

}  // namespace kx
