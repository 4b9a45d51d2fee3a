#include "app/jobs/StagedOutput.h"

#include "engine/KXImagePDFExporter.h"
#include "platform/FileSystem.h"

namespace kx {

namespace {

// Hidden, and named after the program, should a killed run leave it behind.
constexpr const char* kStagingPrefix = ".KXDocuvane-";

std::string folderOf(const std::string& path) {
    std::string folder = pathDirectory(path);
    return folder.empty() ? "." : folder;
}

}  // namespace

StagedOutput::Kind StagedOutput::kindForOutputType(const std::string& type) {
    if (KXImagePDFExporter::supportType(type)) return Kind::Folder;
    return type == "csv" ? Kind::WholeFolder : Kind::File;
}

StagedOutput::~StagedOutput() {
    if (!done_) discard();
}

bool StagedOutput::prepare(const std::string& destination, Kind kind, std::string* whyNot, bool reserved) {
    destination_ = destination;
    done_ = false;
    const FileKind existing = fileKind(destination);
    // A name claimed for this run goes back unless the run succeeds.
    madeFolder_ = reserved && isFolder(kind) && existing == FileKind::Folder;
    placeholder_ = reserved && kind == Kind::File && existing == FileKind::RegularFile;
    if (kind == Kind::Folder && existing == FileKind::Folder) {
        // Written in place; a folder that takes no file fails here, not page by page.
        auto probe = createUniqueFolder(destination, kStagingPrefix, whyNot);
        if (!probe) return false;
        removeAll(*probe);
        writePath_ = destination;
        return true;
    }
    // A folder output never takes the place of a file, nor a file that of a folder (other than the
    // empty one claimed for a whole folder).
    const bool fileInTheWay = isFolder(kind) && existing == FileKind::RegularFile;
    const bool folderInTheWay = existing == FileKind::Folder && !madeFolder_ && kind != Kind::Folder;
    if (existing == FileKind::Other || fileInTheWay || folderInTheWay) {
        if (whyNot)
            *whyNot = fileInTheWay     ? "a file is in the way"
                      : folderInTheWay ? "a folder is in the way"
                                       : "not a regular file";
        return false;
    }
    if (kind == Kind::Folder && existing == FileKind::None) {
        if (!createDirectories(destination)) {
            // Say why: the folder that should hold it refuses a new entry, or is missing.
            std::string reason = "the folder cannot be made";
            if (auto probe = createUniqueFolder(folderOf(destination), kStagingPrefix, &reason)) removeAll(*probe);
            if (whyNot) *whyNot = reason;
            return false;
        }
        madeFolder_ = true;
        writePath_ = destination;
        return true;
    }
    // A file output, or a whole folder: staged beside the destination.
    auto staging = createUniqueFolder(folderOf(destination), kStagingPrefix, whyNot);
    if (!staging) return false;
    stagingFolder_ = *staging;
    writePath_ = pathJoin(stagingFolder_, pathFileName(destination));
    return true;
}

bool StagedOutput::commit(std::string* whyNot) {
    if (stagingFolder_.empty()) {
        done_ = true;
        return true;
    }
    const FileKind written = fileKind(writePath_);
    if (written == FileKind::None) {
        if (whyNot) *whyNot = "nothing was written";
        discard();
        return false;
    }
    // A file put at the destination while the folder was written stays where it is.
    if (written == FileKind::Folder && fileKind(destination_) == FileKind::RegularFile) {
        if (whyNot) *whyNot = "a file is in the way";
        discard();
        return false;
    }
    // A folder goes only over the empty one that claimed its name.
    const bool moved = moveReplacing(writePath_, destination_, whyNot);
    if (moved) placeholder_ = madeFolder_ = false;
    discard();
    return moved;
}

void StagedOutput::discard() {
    done_ = true;
    if (!stagingFolder_.empty()) removeAll(stagingFolder_);
    stagingFolder_.clear();
    if (madeFolder_ && fileKind(destination_) == FileKind::Folder && listDirectory(destination_).empty())
        removeAll(destination_);
    madeFolder_ = false;
    // The claiming file, unless someone has written into it meanwhile.
    if (placeholder_ && fileKind(destination_) == FileKind::RegularFile && fileSize(destination_) == 0u)
        removeFile(destination_);
    placeholder_ = false;
}

}  // namespace kx
