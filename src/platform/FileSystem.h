#pragma once
// Files, folders and temporary locations. Temporary files of a conversion live in one folder under
// the system temporary directory (the temporary root), removed when the conversion ends, also on
// failure or cancel.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

bool fileExists(const std::string& path);  // anything at the path
bool isDirectory(const std::string& path);
bool isRegularFile(const std::string& path);
// Creates the folder and missing parents; true when a folder exists at the path afterwards.
bool createDirectories(const std::string& path);
// Removes a file or a whole folder; true when nothing is left at the path.
bool removeAll(const std::string& path);
bool removeFile(const std::string& path);
// Moves a file or a whole folder to a path where nothing is: renamed, or, across file systems,
// copied and then removed. False (and nothing left at `to`) when it cannot be done.
bool moveItem(const std::string& from, const std::string& to);

// What is at a path, symbolic links followed: nothing, a regular file, a folder, or anything else
// (a device, a pipe, a socket).
enum class FileKind { None, RegularFile, Folder, Other };
FileKind fileKind(const std::string& path);

// A short text for an errno value, as the messages of this program put it ("no such file",
// "permission denied", "no space left on device").
std::string errorText(int error);

// A new, empty folder "<prefix>XXXXXX" inside `parent`, with a name no one else can take; nullopt
// when it cannot be made (`whyNot` says why).
std::optional<std::string> createUniqueFolder(const std::string& parent, const std::string& prefix,
                                              std::string* whyNot = nullptr);
// Renames in one step; a file at `to` is replaced (on the same file system, as rename does). False
// when it fails (`whyNot` says why).
bool moveReplacing(const std::string& from, const std::string& to, std::string* whyNot = nullptr);

// Creates an empty file at the path unless something is there already, in one step that two
// processes cannot both win: the way to claim a free name.
enum class NewFileResult { Created, Exists, Failed };
NewFileResult createNewFile(const std::string& path);
// The same for an empty folder.
NewFileResult createNewFolder(const std::string& path);
// Claims the first free name among candidate(1), candidate(2), ... candidate(last) by creating an
// empty file (an empty folder for `folder`) there with createNewFile (createNewFolder): the path
// claimed. nullopt when every candidate is taken, or when one could not be made: then `whyNot`
// says why ("permission denied"); it stays empty when every name was taken.
std::optional<std::string> reserveFreePath(const std::function<std::string(long)>& candidate, long last,
                                           bool folder = false, std::string* whyNot = nullptr);
// The canonical absolute path, or the lexically normal absolute form when the file does not exist.
std::string canonicalPath(const std::string& path);
std::string absolutePath(const std::string& path);

std::optional<std::string> readFile(const std::string& path);
bool writeFile(const std::string& path, std::string_view data);
std::optional<std::uintmax_t> fileSize(const std::string& path);
// Entries (names only) of a folder, sorted; empty on error.
std::vector<std::string> listDirectory(const std::string& path);

std::string homeDirectory();
std::string systemTempDirectory();
std::string executableDirectory();

// Path pieces: "a/b.c" → folder "a", name "b.c", extension "c", base "a/b".
std::string pathDirectory(const std::string& path);
std::string pathFileName(const std::string& path);
std::string pathExtension(const std::string& path);
std::string pathWithoutExtension(const std::string& path);
std::string pathJoin(const std::string& a, const std::string& b);

// A new random (version 4) UUID in its 36-character upper-case form.
std::string newUUIDString();

// The folder that temporary files of the running conversion go into; created on demand. Outside a
// conversion it is a folder of the process, removed at exit.
std::string temporaryRoot();

// Makes a fresh folder the temporary root for its lifetime and removes it (with everything in it)
// at the end.
class ScopedTemporaryRoot {
public:
    ScopedTemporaryRoot();
    ~ScopedTemporaryRoot();
    ScopedTemporaryRoot(const ScopedTemporaryRoot&) = delete;
    ScopedTemporaryRoot& operator=(const ScopedTemporaryRoot&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

}  // namespace kx
