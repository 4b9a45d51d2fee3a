#pragma once
// Where a conversion writes, so that a run that fails or is interrupted loses nothing that was at
// the destination and leaves no half-written output behind.
//
// A file output is written under its own name into a fresh folder beside the destination (on the
// same file system) and moved over the destination in one step when the run succeeded; a failed
// run only removes that folder. Page images are written into the destination folder itself, made
// when missing: their files take free names and the conversion takes its own files back when it is
// cancelled, so the files already there are never touched. CSV tables are written into a folder
// beside the destination and moved there whole at the end. A folder output never replaces a file:
// a regular file at its destination is refused, as a folder is for a one-file output. Anything at
// the destination that is neither a regular file nor a folder, such as a device, a pipe or a socket,
// is refused too; a refusal comes before anything is written.

#include <string>

namespace kx {

class StagedOutput {
public:
    // File: one file, written aside. Folder: page images, written into the destination folder.
    // WholeFolder: a folder written aside and put at the destination whole (CSV tables).
    enum class Kind { File, Folder, WholeFolder };

    static Kind kindForOutputType(const std::string& type);
    // The output is a folder (page images, CSV tables).
    static bool isFolder(Kind kind) { return kind != Kind::File; }

    StagedOutput() = default;
    // Removes what the run left unless it was committed.
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    // Gets the destination ready; false when it cannot take the output, with the reason in
    // `whyNot` ("not a regular file", "a file is in the way", "permission denied", ...). `reserved`:
    // the destination is the empty file (for a folder output the empty folder) made to claim its name
    // for this run; the run replaces it, or removes it when it does not succeed (unless someone has
    // written into it since).
    bool prepare(const std::string& destination, Kind kind, std::string* whyNot, bool reserved = false);
    // The path the conversion writes to.
    const std::string& writePath() const { return writePath_; }
    const std::string& destination() const { return destination_; }

    // Puts the output in its place; false (with the reason) when that failed, and then what was at
    // the destination is still there.
    bool commit(std::string* whyNot);
    // Removes the staged output and a folder this run made that is left empty.
    void discard();

private:
    std::string destination_;
    std::string writePath_;
    std::string stagingFolder_;  // the fresh folder beside the destination, when there is one
    bool madeFolder_ = false;    // the output folder did not exist before the run, or was made to claim its name
    bool placeholder_ = false;   // the file at the destination is the empty one that claimed its name
    bool done_ = false;
};

}  // namespace kx
