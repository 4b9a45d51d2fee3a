#pragma once
// The document lifecycle every exporter family shares: the output path, a work folder of the
// conversion's own, the pages counted as they come, the record of whether the output could be
// written, and what a failure or a cancel leaves behind (nothing: no work folder, no half-written
// output).
//
// A family's document writer derives from it and fills in its steps:
//   begainWriteDocument      creates the family's files; setFailed() when it cannot
//   startPage / finishPage   make the page of the next PDF page current, and have it build and
//                            write its content when the page has been read
//   endWriteDocument         what comes after the last page (nothing by default)
//   packetZipFileIfNeed      completes the output (for a package: writes and zips its parts), then
//                            finish(ok); false when the output could not be written
//   closeWriters             closes every file still open (a cancel or a failure)
// A package family builds its package inside savedWorkFolder() (KXOutputWriter::initWorkFolder
// takes it as the parent folder), so that one folder holds everything the conversion made.
//
// The capture (capture/PageCapture.h) drives it: begainWriteDocument once, begainWritePage and
// endWritePage for every page, endWriteDocument and packetZipFileIfNeed at the end, or
// cancelDocument when the conversion was cancelled. Used from the conversion thread only.

#include <cstdint>
#include <string>

#include "platform/Geometry.h"

namespace kx {

class CaptureDocument {
public:
    // The work folder is a fresh folder named after the output file under the conversion's
    // temporary folder; it is removed again when the document is done with it.
    CaptureDocument(const std::string& path, std::int64_t numOfPages);
    // Removes the work folder.
    virtual ~CaptureDocument();
    CaptureDocument(const CaptureDocument&) = delete;
    CaptureDocument& operator=(const CaptureDocument&) = delete;

    virtual void begainWriteDocument() = 0;
    // Makes the page of the next PDF page the current one (startPage); `pageSize` is the page as
    // displayed, in points.
    void begainWritePage(kx::Size pageSize);
    // Makes a fresh page for the same PDF page in place of the current one (a page read a second
    // time); the page count stays.
    void beginWritePageAgain(kx::Size pageSize);
    // The current page builds its content and writes it (finishPage).
    void endWritePage();
    virtual void endWriteDocument() {}
    // Completes the output; false (and no output left) when it could not be written.
    virtual bool packetZipFileIfNeed() = 0;

    // The conversion was cancelled: the writers are closed, the work folder goes, and so does the
    // output, which would otherwise stay behind half written.
    void cancelDocument();

    // Starts the page count again (a document begins).
    void setBegainDocxOptions() { currentDocxPageIndex_ = 0; }

    // True once a file of the document could not be created, written or read back.
    bool hasFailed() const { return failed_; }

    const std::string& savedFilePath() const { return savedFilePath_; }
    // Empty when the folder could not be made.
    const std::string& savedWorkFolder() const { return savedWorkFolder_; }
    // The number of pages the conversion converts.
    std::int64_t docxNumOfPages() const { return docxNumOfPages_; }
    // 1-based position of the current page among the converted ones; 0 before the first.
    std::int64_t currentDocxPageIndex() const { return currentDocxPageIndex_; }

protected:
    // Makes the page at `pageIndex` (1-based) the current one; `lastPage` when it is the last page
    // of the conversion.
    virtual void startPage(kx::Size pageSize, std::int64_t pageIndex, bool lastPage) = 0;
    // The current page has been read: it builds its content and writes it.
    virtual void finishPage(std::int64_t pageIndex) = 0;
    virtual void closeWriters() = 0;

    void setFailed() { failed_ = true; }
    // The work folder and the fresh folder made for it.
    void removeWorkFolder();
    // Ends the document: after a failure (`ok` false) it is marked failed and nothing
    // half-written is left at the output path; the work folder goes in either case.
    void finish(bool ok);
    // Only a plain file is ever removed: the output path may name a device or a pipe.
    void removeOutput();

private:
    std::string savedFilePath_;
    std::string savedWorkFolder_;
    std::int64_t docxNumOfPages_ = 0;
    std::string workRoot_;
    std::int64_t currentDocxPageIndex_ = 0;
    bool failed_ = false;
};

}  // namespace kx
