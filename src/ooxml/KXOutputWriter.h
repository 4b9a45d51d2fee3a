#pragma once
// The base of the DOCX, XLSX and PPTX package writers. A package is built as plain files in a work
// folder; at the end of the document its top-level items are zipped into the destination file.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/KXError.h"

class KXOutputWriter {
public:
    virtual ~KXOutputWriter() = default;

    // (entries done, entries to do)
    using ProgressHandler = std::function<void(std::uint64_t, std::uint64_t)>;

    // Zips the files and folders into a new package at the path: each item under its own name at the
    // top of the archive, folders with everything below them; deflate at the default level. True
    // when every entry was added and the package was written; otherwise false with every failure in
    // `error`, and no package at the path.
    static bool CreateZipFileAtPath(const std::string& path, const std::vector<std::string>& paths,
                                    KXError* error = nullptr);

    // The same with the options spelt out. keepParentDirectory: a folder's entries are named after
    // the folder ("word/document.xml") rather than relative to it ("document.xml"); an empty folder
    // item becomes a folder entry of its own. compressionLevel: negative for the default, 0 to store.
    // A password encrypts every file entry (AES-256 when AES is set).
    static bool CreateZipFileAtPath(const std::string& path, const std::vector<std::string>& paths,
                                    bool keepParentDirectory, int compressionLevel,
                                    const std::optional<std::string>& password, bool AES,
                                    const ProgressHandler& progressHandler, KXError* error = nullptr);
};
