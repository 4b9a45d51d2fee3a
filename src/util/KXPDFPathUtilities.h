#pragma once
// Temporary folders and files, unique file names, folder creation, and the resource files of the
// parser bundle ("KXPDFParser.bundle" in the resource folder).
//
// Every temporary path lies in the temporary root of the running conversion (kx::temporaryRoot()),
// which is removed when the conversion ends. None of these operations creates a file.

#include <optional>
#include <string>

class KXPDFPathUtilities {
public:
    // The full path of a file inside the parser bundle, given relative to it ("FontBook.plist",
    // "PDFEncodings/CMap/UniGB-UCS2-H"); nullopt when the bundle or the file is missing.
    static std::optional<std::string> PathInLibBundleForResource(const std::string& relativePath);

    static bool isDirectoryAtPath(const std::string& path);

    // The path with "-" and a new UUID added to its base name, before the extension.
    static std::string getUUIDPathBy(const std::string& path);

    // The path itself when nothing exists there, otherwise the first of base2.ext, base3.ext, ...
    // that is free. Gives up at 99,999,999 and answers that last candidate.
    static std::string getNewPathby(const std::string& path);
    // The same candidates, each claimed by creating an empty file there in one step (another
    // process writing into the same folder cannot take the same name between the look and the
    // write); the path of the file made, or nullopt when none could be created (a folder that
    // cannot be written, a full disk, every candidate taken). The caller writes into the file.
    static std::optional<std::string> reserveNewPathBy(const std::string& path);

    // True when a folder exists at the path afterwards (created with its parents when missing). A
    // file in the way makes it false.
    static bool createFolderIfNeed(const std::string& path);

    // A new work-folder path ("Temp-<UUID>"), not created.
    static std::string tempFolder();
    // The same; kept for the callers that name the system's temporary folder.
    static std::string tempFolder0();

    // A new temporary image path: "IMG_<name>_<UUID>.<extension>", or "IMG_<UUID>.<extension>" for
    // an empty name; the extension defaults to "PNG".
    static std::string tempIMG(const std::string& name, const std::string& extension);

    // A new temporary file path: "<name>_<UUID>.<extension>", or "<UUID>.<extension>" for an empty
    // name; the extension defaults to "unkonw".
    static std::string tempFilePathExtension(const std::string& name, const std::string& extension);
    // tempFilePathExtension("Temp", "PNG").
    static std::string tempFile();
};
