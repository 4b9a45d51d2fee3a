#pragma once
// The base of the DOCX, XLSX and PPTX package writers. A package is built in a work folder of its
// own: parts that can grow with the document (pages, sheets, slides, pictures) as plain files, small
// parts held in memory; at the end of the document its parts are zipped into the destination file.
//
// How a package writer uses it:
//   1. initWorkFolder(destination): makes the work folder (removed again when the writer dies, so a
//      cancelled or failed conversion leaves nothing behind).
//   2. Writes its parts, each registered with its content type as it is written:
//        createXMLPart("/ppt/slides/slide1.xml", type) → an XMLFileWriter on the part's file, then
//        endXMLPart(writer) once the part is complete (a write error withdraws the part);
//        createXMLPartInMemory(name, type) the same for a small part, kept in memory (no file);
//        addPartWithBytes(name, type, bytes) for parts held in memory (compiled-in templates);
//        addPartFromFile(name, type, path, move) for files made elsewhere (templates on disk);
//        addMediaPart(name, path, move) for pictures, the content type from the extension.
//   3. Records the relationships of each source part in parts() (the KXPartRegistry), choosing
//      ids itself where its format fixes them, and writes the ids into its parts.
//   4. finishPackage(&error): writes "[Content_Types].xml" and every relationships part from the
//      registry, checks that every relationship target is a part that was written, zips the
//      parts into the destination and removes the work folder. A failure leaves no file at the
//      destination (a file that was there before stays untouched) and says why.
//
// Packages are reproducible: entries in a fixed order ("[Content_Types].xml" first, then the
// parts by name), each with the same fixed date and permissions, so the same parts give the same
// bytes whenever they are zipped. XML parts are deflated; pictures that compress already (PNG,
// JPEG, GIF, JPEG 2000) are stored. The class operation CreateZipFileAtPath zips a list of files and
// folders the same way.

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ooxml/KXPartRegistry.h"
#include "platform/KXError.h"

class XMLFileWriter;

class KXOutputWriter {
public:
    KXOutputWriter() = default;
    // Removes the work folder when it is still there.
    virtual ~KXOutputWriter();
    KXOutputWriter(const KXOutputWriter&) = delete;
    KXOutputWriter& operator=(const KXOutputWriter&) = delete;

    // The error domain of every failure reported here.
    static constexpr std::string_view errorDomain() { return "KXOutputWriter"; }
    static constexpr int kDefaultCompressionLevel = -1;
    enum FailureCode { kCannotCreate = 1, kCannotAddEntry = 2, kCannotWrite = 3, kInconsistentPackage = 4 };

    // Records the destination and creates the work folder: a fresh folder named like the
    // destination's file name ("report.pptx") inside parentFolder, by default a new folder of
    // KXPDFPathUtilities::tempFolder(). False when it cannot be created.
    bool initWorkFolder(const std::string& destinationPath, const std::optional<std::string>& parentFolder = std::nullopt);
    const std::string& savedFilePath() const { return savedFilePath_; }
    const std::string& savedWorkFolder() const { return savedWorkFolder_; }

    KXPartRegistry& parts() { return parts_; }
    const KXPartRegistry& parts() const { return parts_; }

    // The file in the work folder that holds the part; empty for an invalid part name.
    std::string pathForPart(std::string_view partName) const;

    // Opens the part's file for writing (its folders made) and registers the part; nullptr when
    // the name is invalid or the file cannot be created (the failure is kept for finishPackage).
    std::unique_ptr<XMLFileWriter> createXMLPart(std::string_view partName, std::string_view contentType);
    // The same for a small part (properties, settings, a font table): the writer keeps its output
    // in memory and endXMLPart takes it into the package; no file is made. The part exists once
    // endXMLPart has taken it.
    std::unique_ptr<XMLFileWriter> createXMLPartInMemory(std::string_view partName, std::string_view contentType);
    // Ends the document of a writer made by createXMLPart(InMemory) and closes its file. False, with the
    // part withdrawn and the failure kept for finishPackage, when a write failed.
    bool endXMLPart(XMLFileWriter& writer);
    // Keeps a copy of the bytes as the part (in memory, no file) and registers the part. False
    // (nothing registered) for an invalid part name or an empty content type.
    bool addPartWithBytes(std::string_view partName, std::string_view contentType, std::string_view bytes);
    // Brings the file into the package as the part: a second name for it (a copy where that cannot
    // be made), or the file itself moved there. False (nothing registered) when
    // it cannot be read or written; the caller decides what the package does without it.
    bool addPartFromFile(std::string_view partName, std::string_view contentType, const std::string& sourcePath,
                         bool move = false);
    // The same for a picture, with the content type of the part name's extension
    // (KXPartRegistry::mediaContentType); false for an extension that has none.
    bool addMediaPart(std::string_view partName, const std::string& sourcePath, bool move = false);

    // Writes "[Content_Types].xml" and the relationships parts (in memory), then zips "[Content_Types].xml"
    // and every registered part (by part name) into savedFilePath() and removes the work folder.
    // False, with every reason in `error`, when a part could not be written, the registry has
    // problems() or the archive cannot be written; the destination is then left as it was.
    bool finishPackage(KXError* error = nullptr);

    // The deflate level of every part, pictures included: negative (the default) for zlib's default
    // level (6), 1 (fastest) to 9 (smallest), 0 to store.
    int compressionLevel() const { return compressionLevel_; }
    void setCompressionLevel(int level) { compressionLevel_ = level; }

    // The time as a W3CDTF date in UTC ("2024-05-31T23:59:08Z"), what the "dcterms:W3CDTF" dates of
    // the core properties hold; the calendar year, whatever the week.
    static std::string W3CDTFDate(std::time_t time);

    // (entries done, entries to do)
    using ProgressHandler = std::function<void(std::uint64_t, std::uint64_t)>;

    // Zips the files and folders into a new package at the path: each item under its own name at the
    // top of the archive, folders with everything below them (names in sorted order); deflate at the
    // default level; fixed entry dates. True when every entry was added and the package was written;
    // otherwise false with every failure in `error`, and no package at the path.
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

private:
    void removeWorkFolder();

    std::string savedFilePath_;
    std::string savedWorkFolder_;
    // The folder made to hold the work folder, removed with it (empty when the caller gave one).
    std::string ownedParentFolder_;
    KXPartRegistry parts_;
    int compressionLevel_ = kDefaultCompressionLevel;
    // Parts whose files could not be written: reasons kept for finishPackage.
    std::vector<std::string> partFailures_;
    // The XML parts being written, for endXMLPart.
    struct OpenXMLPart {
        const XMLFileWriter* writer;
        std::string partName;
    };
    std::vector<OpenXMLPart> openXMLParts_;
    // The parts held in memory, by part name: their bytes are zipped from here.
    std::map<std::string, std::string, std::less<>> memoryParts_;
    std::unique_ptr<XMLFileWriter> openXMLPart(std::string_view partName, std::string_view contentType, bool inMemory);
};
