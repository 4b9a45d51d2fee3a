#pragma once
// Writing a new zip archive (an OOXML package) entry by entry. Entries are compressed with deflate
// from their files when the archive is closed, so no file is held in memory. Nothing appears at the
// archive's path until close() succeeds: a failed or discarded archive leaves no partial file (and
// leaves whatever was at the path before untouched).

#include <memory>
#include <optional>
#include <string>

namespace kx {

class ZipArchive {
public:
    explicit ZipArchive(std::string path);
    ~ZipArchive();  // discards an archive that was not closed
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    const std::string& path() const { return path_; }
    bool isOpen() const;

    // Starts a new archive that will replace any file at the path.
    bool open();
    // Adds the file at filePath under the entry name (UTF-8, "/"-separated), with its modification
    // date and permissions. compressionLevel: negative for the default level, 0 to store, 1 to 9.
    // A password encrypts the entry (AES-256 when aes is set, else the traditional scheme).
    bool writeFileAtPath(const std::string& filePath, const std::string& entryName, int compressionLevel,
                         const std::optional<std::string>& password = std::nullopt, bool aes = false);
    // Adds a folder entry ("name/") with the folder's date and permissions.
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

    std::string path_;
    std::unique_ptr<Handle> handle_;
    std::string lastError_;
};

}  // namespace kx
