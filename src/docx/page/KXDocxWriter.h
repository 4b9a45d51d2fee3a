#pragma once
// The package writer of one .docx output. It streams the main part "word/document.xml" page by page
// (each page writes its sections when it ends), collects the pictures the pages use with their
// relationships, and at the end writes the other parts (properties, fonts, settings, styles, theme,
// web settings, relationships, content types) and zips the package into the destination.
//
// Failures end the document instead of leaving a broken file behind: a part that cannot be
// written, a page whose writing fails half way (the document part would be left unbalanced) or a
// package that cannot be zipped makes hasFailed() true, and no file is left at the destination.
// The package is built in a folder inside the document's work folder, which goes at the end of the
// document whatever became of it (and on a cancel).

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "capture/CaptureDocument.h"
#include "docx/model/KXDocxPropertyRecords.h"
#include "ooxml/KXOutputWriter.h"
#include "platform/Geometry.h"
#include "platform/KXError.h"
#include "util/KXPictureWrites.h"

class KXDocxPage;
class XMLFileWriter;

// The id and the name of a page's bookmark, both unique in the document.
struct KXDocxPageBookmark {
    std::string id;
    std::string name;
};

class KXDocxWriter : public kx::CaptureDocument, public KXOutputWriter {
public:
    static constexpr std::string_view kDocumentPart = "/word/document.xml";

    // A writer of `numOfPages` pages for the destination.
    KXDocxWriter(std::string path, std::int64_t numOfPages);
    ~KXDocxWriter() override;

    // Opens the document part and writes its beginning; failed when it cannot be created.
    void begainWriteDocument() override;
    using kx::CaptureDocument::begainWritePage;
    // Makes the page of a PDF page the current one (the page size in points, as displayed).
    void begainWritePage(kx::Size pageSize, long pdfPageIndex);
    // Closes the body (ending it with the last section's properties) and the document part.
    void endWriteDocument() override;
    // Writes the other parts and zips the package; false when it could not be written (no file is
    // left at the destination then, and failures() says why).
    bool packetZipFileIfNeed() override;

    // The relationship id under which the document refers to the picture file; the same path
    // twice gives the same id. The part is named by the format the file holds (read from its
    // content, or the format a picture held in memory will be written as), with a lower-case
    // extension. A file that does not exist, or holds no picture a package can carry, is not
    // collected: the answer is empty.
    std::string collectImageWithPath(const std::string& path);
    // Withdraws a collected picture that will not be used; the ids handed out stay as they were.
    // A picture that a page has written already stays.
    void removeCollectedImageWithPath(const std::string& path);
    // collectImageWithPath for a picture that a page is about to write. Only pictures written so
    // go into the package: those collected and then left unused (a merge that replaced them, a
    // page drawn again) are not packaged. A picture still held in memory (KXPictureStore) is
    // encoded and written to its file on a worker thread while the conversion goes on; the
    // package waits for it, and fails when it could not be written.
    std::string useCollectedImageWithPath(const std::string& path);

    KXDocxPage* currentPage() const { return currentPage_.get(); }
    // The page written last, as it was built, until the next page starts or the document ends
    // (nullptr when there is none): what a page made of its content can be looked at once it is
    // written.
    KXDocxPage* writtenPage() const { return writtenPage_.get(); }
    XMLFileWriter* documentWriter() const { return documentWriter_.get(); }
    // The bookmark of a page: named after the PDF page, made unique when a page comes twice.
    KXDocxPageBookmark newPageBookmark(long pdfPageIndex);

    const std::vector<std::string>& failures() const { return failures_; }
    // The failures as one error record of the output writer's domain.
    KXError failureError() const;

    // A template of the package: the file "Docx XML Templates/<name>" of the resource bundle,
    // else the copy compiled into the program; empty when neither exists.
    static std::string templateText(const std::string& name);
    static std::optional<std::string> pathForDocxTemplatesResources(const std::string& name);

protected:
    void startPage(kx::Size pageSize, std::int64_t pageIndex, bool lastPage) override;
    // The current page runs its pipeline and writes its sections; then it is the written page.
    void finishPage(std::int64_t pageIndex) override;
    void closeWriters() override;

private:
    void fail(std::string reason);
    void writeAppProperties();
    void writeCoreProperties();
    void writeFontTable();
    void writeSettings();
    void addTemplatePart(std::string_view partName, std::string_view contentType, const std::string& templateName);

    std::unique_ptr<XMLFileWriter> documentWriter_;
    std::unique_ptr<KXDocxPage> currentPage_;
    std::unique_ptr<KXDocxPage> writtenPage_;
    // Collected pictures in the order collected: the file, its part name in the package, whether a
    // page wrote it, and whether it was withdrawn (it stays as a hole so that the positions held by
    // the index do not move). Looked up by file, and part names taken by lower-case name, so that a
    // document's cost grows with its pictures, not with their square.
    struct Media {
        std::string file;
        std::string part;
        bool written = false;
        bool withdrawn = false;
    };
    Media* collectedMedia(const std::string& path);
    std::vector<Media> mediaCollection_;
    std::unordered_map<std::string, size_t> mediaByFile_;
    std::unordered_set<std::string> mediaPartNames_;
    // Pictures being written for the package. Waited for before the package is put together and
    // before the writers close (a cancel); declared after what the writes use.
    KXPictureWrites pictureWrites_;
    std::set<std::string> bookmarkNames_;
    long nextBookmarkId_ = 0;
    std::set<long> bookmarkIds_;
    // The properties of the last section written, and whether the body has its own already.
    std::optional<KXDocx_SectPr> lastSectProperty_;
    bool bodySectPropertyWritten_ = false;
    std::vector<std::string> failures_;
};
