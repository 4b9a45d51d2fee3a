#pragma once
// Writing a new zip archive (an OOXML package) entry by entry. Entries are compressed with deflate
// from their files when the archive is closed, one after the other, so files are not held in memory
// (except one large entry's, while it is deflated); entries added from bytes (small parts kept in
// memory) are read from those bytes, which must stay alive and unchanged until close() or
// discard(). Entries of a megabyte or more are deflated in blocks on several threads, at the same
// level; smaller ones on the thread that closes. Nothing appears at the
// archive's path until close() succeeds: a failed or discarded archive leaves no partial file (and
// leaves whatever was at the path before untouched).
//
// Entries carry their files' modification dates and permissions, unless setFixedEntryAttributes()
// asked for fixed ones: then every entry is dated 1980-01-01 00:00:00 (the first date a zip entry
// can hold, in any time zone) with permissions 0644 (files) or 0755 (folders), so that the same
// files give the same archive bytes whenever and wherever they are zipped. (Encrypted entries keep
// their files' dates: their encryption headers are random, so they never repeat anyway.)

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct zip_source;

namespace kx {

class ZipArchive {
public:
    explicit ZipArchive(std::string path);
    ~ZipArchive();  // discards an archive that was not closed
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    const std::string& path() const { return path_; }
    bool isOpen() const;

    // Starts a new archive that will replace any file at the path. inMemory: the archive is put
    // together in memory and written to the path at close() (for small archives: the library's
    // own way through a temporary file seeds a secure random generator, which costs more than
    // zipping a few small entries); otherwise it is written through a temporary file.
    bool open(bool inMemory = false);
    // Dates and permissions of the entries added from now on: fixed (true) or the files' own.
    void setFixedEntryAttributes(bool fixed) { fixedEntryAttributes_ = fixed; }
    bool fixedEntryAttributes() const { return fixedEntryAttributes_; }
    // Adds the file at filePath under the entry name (UTF-8, "/"-separated), with its modification
    // date and permissions (or the fixed ones). compressionLevel: negative for zlib's default level (6), 0 to store, 1 to 9.
    // A password encrypts the entry (AES-256 when aes is set, else the traditional scheme).
    bool writeFileAtPath(const std::string& filePath, const std::string& entryName, int compressionLevel,
                         const std::optional<std::string>& password = std::nullopt, bool aes = false);
    // Adds the bytes under the entry name, dated now with permissions 0644 (or the fixed
    // attributes). The bytes are not copied: they are read when the archive is closed.
    bool writeBytes(std::string_view bytes, const std::string& entryName, int compressionLevel);
    // Adds a folder entry ("name/") with the folder's date and permissions (or the fixed ones).
    bool writeFolderAtPath(const std::string& folderPath, const std::string& folderName);
    // Compresses the entries and writes the archive; false (and no file) when that fails.
    bool close();
    // Drops the archive without writing anything.
    void discard();

    // What went wrong in the last call that failed.
    const std::string& lastError() const { return lastError_; }

private:
    struct Handle;
    bool fail(std::string message);
    // Adds the source (taken over, and freed on failure) as a file entry: its index, or nothing
    // after fail() (a null source is a failure to make it).
    std::optional<std::uint64_t> addEntry(zip_source* source, const std::string& entryName);
    bool writeMemoryToPath();

    std::string path_;
    std::unique_ptr<Handle> handle_;
    std::string lastError_;
    bool fixedEntryAttributes_ = false;
};

}  // namespace kx
