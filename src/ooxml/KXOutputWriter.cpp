#include "ooxml/KXOutputWriter.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/ZipArchive.h"
#include "util/KXPDFPathUtilities.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCannotCreate = KXOutputWriter::kCannotCreate;
constexpr int kCannotAddEntry = KXOutputWriter::kCannotAddEntry;
constexpr int kCannotWrite = KXOutputWriter::kCannotWrite;
constexpr int kInconsistentPackage = KXOutputWriter::kInconsistentPackage;
// Folders nested deeper than this are not followed (a work folder is a few levels deep).
constexpr int kMaxDepth = 64;
// Packages whose parts add up to less than this are put together in memory.
constexpr std::uintmax_t kMemoryPackageBytes = 8 * 1024 * 1024;

struct Failures {
    int firstCode = 0;
    std::vector<std::string> reasons;

    void add(int code, std::string reason) {
        if (!firstCode) firstCode = code;
        reasons.push_back(std::move(reason));
    }
    bool empty() const { return reasons.empty(); }

    // True when there is no failure; otherwise false with every reason in the error.
    bool report(const std::string& path, KXError* error) const {
        if (empty()) return true;
        if (error) {
            std::string reason = "Can't create the package \"" + path + "\".";
            for (const std::string& r : reasons) reason += "\n" + r;
            *error = KXError{std::string(KXOutputWriter::errorDomain()), firstCode, reason};
        }
        return false;
    }
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
    archive.setFixedEntryAttributes(true);
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

    return failures.report(path, error);
}

// --- A package built part by part -----------------------------------------------------------------

KXOutputWriter::~KXOutputWriter() { removeWorkFolder(); }

void KXOutputWriter::removeWorkFolder() {
    if (!savedWorkFolder_.empty()) kx::removeAll(savedWorkFolder_);
    if (!ownedParentFolder_.empty()) kx::removeAll(ownedParentFolder_);
    savedWorkFolder_.clear();
    ownedParentFolder_.clear();
}

bool KXOutputWriter::initWorkFolder(const std::string& destinationPath, const std::optional<std::string>& parentFolder) {
    removeWorkFolder();
    savedFilePath_ = destinationPath;
    std::string parent = parentFolder ? *parentFolder : KXPDFPathUtilities::tempFolder();
    if (!parentFolder) ownedParentFolder_ = parent;
    std::string name = kx::pathFileName(withoutTrailingSlashes(destinationPath));
    if (name.empty() || name == "/" || name == "." || name == "..") name = "package";
    std::string folder = KXPDFPathUtilities::getNewPathby(kx::pathJoin(parent, name));
    if (!KXPDFPathUtilities::createFolderIfNeed(folder)) {
        removeWorkFolder();
        return false;
    }
    savedWorkFolder_ = folder;
    return true;
}

std::string KXOutputWriter::pathForPart(std::string_view partName) const {
    std::optional<std::string> name = KXPartRegistry::normalisedPartName(partName);
    if (!name || savedWorkFolder_.empty()) return {};
    return savedWorkFolder_ + *name;
}

namespace {

// The folders of the file, made; false when that fails.
bool makeFoldersFor(const std::string& file) { return kx::createDirectories(kx::pathDirectory(file)); }

}  // namespace

std::unique_ptr<XMLFileWriter> KXOutputWriter::openXMLPart(std::string_view partName, std::string_view contentType,
                                                           bool inMemory) {
    std::optional<std::string> name = KXPartRegistry::normalisedPartName(partName);
    std::unique_ptr<XMLFileWriter> writer;
    if (name && !savedWorkFolder_.empty()) {
        if (inMemory) {
            writer = XMLFileWriter::initInMemory();
        } else {
            const std::string file = pathForPart(*name);
            if (makeFoldersFor(file)) writer = XMLFileWriter::initWithPath(file);
        }
    }
    if (!writer || !parts_.addPart(partName, contentType)) {
        partFailures_.push_back("Can't create the part " + std::string(partName) + ".");
        return nullptr;
    }
    // A writer that died without endXMLPart may have left its address to this one.
    std::erase_if(openXMLParts_, [&](const OpenXMLPart& p) { return p.writer == writer.get(); });
    memoryParts_.erase(*name);
    openXMLParts_.push_back({writer.get(), *name});
    return writer;
}

std::unique_ptr<XMLFileWriter> KXOutputWriter::createXMLPart(std::string_view partName, std::string_view contentType) {
    return openXMLPart(partName, contentType, false);
}

std::unique_ptr<XMLFileWriter> KXOutputWriter::createXMLPartInMemory(std::string_view partName,
                                                                     std::string_view contentType) {
    return openXMLPart(partName, contentType, true);
}

bool KXOutputWriter::endXMLPart(XMLFileWriter& writer) {
    writer.writeEndDocument();
    auto open = std::find_if(openXMLParts_.begin(), openXMLParts_.end(),
                             [&](const OpenXMLPart& p) { return p.writer == &writer; });
    if (open == openXMLParts_.end()) return !writer.hasWriteError();
    std::string partName = std::move(open->partName);
    openXMLParts_.erase(open);
    if (!writer.hasWriteError()) {
        if (writer.isInMemory()) memoryParts_[partName] = writer.toString().value_or(std::string());
        return true;
    }
    parts_.removePart(partName);
    partFailures_.push_back("Can't write the part " + partName + ".");
    return false;
}

bool KXOutputWriter::addPartWithBytes(std::string_view partName, std::string_view contentType, std::string_view bytes) {
    std::optional<std::string> name = KXPartRegistry::normalisedPartName(partName);
    if (!name || savedWorkFolder_.empty() || contentType.empty() || !parts_.addPart(partName, contentType)) return false;
    memoryParts_[*name] = std::string(bytes);
    return true;
}

bool KXOutputWriter::addPartFromFile(std::string_view partName, std::string_view contentType,
                                     const std::string& sourcePath, bool move) {
    std::string file = pathForPart(partName);
    if (file.empty() || contentType.empty() || !kx::isRegularFile(sourcePath) || !makeFoldersFor(file)) return false;
    std::error_code ec;
    bool placed = false;
    if (move) {
        fs::rename(sourcePath, file, ec);
        placed = !ec;
    } else {
        // A second name for the same file costs no copy; the file is only read from here on.
        fs::create_hard_link(sourcePath, file, ec);
        placed = !ec;
    }
    if (!placed) {  // a copy, also when a move crosses file systems
        ec.clear();
        fs::copy_file(sourcePath, file, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            kx::removeFile(file);
            return false;
        }
        if (move) kx::removeFile(sourcePath);
    }
    return parts_.addPart(partName, contentType);
}

bool KXOutputWriter::addMediaPart(std::string_view partName, const std::string& sourcePath, bool move) {
    std::optional<std::string> name = KXPartRegistry::normalisedPartName(partName);
    if (!name) return false;
    std::optional<std::string_view> type = KXPartRegistry::mediaContentType(kx::pathExtension(*name));
    return type && addPartFromFile(*name, *type, sourcePath, move);
}

bool KXOutputWriter::finishPackage(KXError* error) {
    Failures failures;
    if (savedWorkFolder_.empty()) {
        failures.add(kCannotCreate, "There is no work folder.");
        return failures.report(savedFilePath_, error);
    }
    for (const std::string& reason : partFailures_) failures.add(kCannotWrite, reason);
    for (const KXPartRegistry::Part& part : parts_.parts())
        if (!memoryParts_.count(part.partName) && !kx::isRegularFile(pathForPart(part.partName)))
            failures.add(kInconsistentPackage, "The part " + part.partName + " was not written.");
    for (const std::string& problem : parts_.problems()) failures.add(kInconsistentPackage, "A " + problem + ".");

    // The entries: the content types first, then the parts and their relationships by name.
    std::vector<std::string> entries;
    if (failures.empty()) {
        auto writePart = [&](const std::string& partName, const std::function<void(XMLFileWriter&)>& body) {
            std::unique_ptr<XMLFileWriter> writer = XMLFileWriter::initInMemory();
            body(*writer);
            writer->closeFile();
            memoryParts_[partName] = writer->toString().value_or(std::string());
        };
        writePart("/[Content_Types].xml", [&](XMLFileWriter& w) { parts_.writeContentTypes(w); });
        for (const KXPartRegistry::Part& part : parts_.parts()) entries.push_back(part.partName);
        for (const std::string& source : parts_.relationshipSources()) {
            std::string relsPart = KXPartRegistry::relationshipsPartName(source);
            writePart(relsPart, [&](XMLFileWriter& w) { parts_.writeRelationships(source, w); });
            entries.push_back(relsPart);
        }
        std::sort(entries.begin(), entries.end());
        entries.insert(entries.begin(), "/[Content_Types].xml");
    }

    if (failures.empty()) {
        // A small package is put together in memory and written in one go; a large one (pages of
        // pictures) goes through a temporary file, so that memory does not grow with it.
        std::uintmax_t packageBytes = 0;
        for (const std::string& entry : entries) {
            auto inMemory = memoryParts_.find(entry);
            packageBytes += inMemory != memoryParts_.end() ? inMemory->second.size()
                                                           : kx::fileSize(pathForPart(entry)).value_or(kMemoryPackageBytes);
        }
        kx::ZipArchive archive(savedFilePath_);
        archive.setFixedEntryAttributes(true);
        if (!archive.open(packageBytes < kMemoryPackageBytes)) {
            failures.add(kCannotCreate, archive.lastError());
        } else {
            for (const std::string& entry : entries) {
                auto inMemory = memoryParts_.find(entry);
                const bool added = inMemory != memoryParts_.end()
                                       ? archive.writeBytes(inMemory->second, entry.substr(1), compressionLevel_)
                                       : archive.writeFileAtPath(pathForPart(entry), entry.substr(1), compressionLevel_);
                if (!added) failures.add(kCannotAddEntry, archive.lastError());
            }
            if (!failures.empty())
                archive.discard();
            else if (!archive.close())
                failures.add(kCannotWrite, archive.lastError());
        }
    }
    removeWorkFolder();
    memoryParts_.clear();
    return failures.report(savedFilePath_, error);
}

std::string KXOutputWriter::W3CDTFDate(std::time_t time) {
    std::tm utc{};
    if (!gmtime_r(&time, &utc)) return "1970-01-01T00:00:00Z";
    return kx::format("%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour,
                      utc.tm_min, utc.tm_sec);
}
