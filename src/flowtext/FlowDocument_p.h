#pragma once
// What the three flow-text document writers share: the output path, a work folder of their own,
// the page in progress, and the record of whether the output could be written.

#include <cstdint>
#include <memory>
#include <string>

#include "docx/model/KXPDFScanIndexCounter.h"
#include "util/KXPDFPathUtilities.h"
#include "platform/FileSystem.h"
#include "platform/Geometry.h"

namespace kx::detail {

template <class Page, class Writer>
class FlowDocument {
public:
    // The work folder is a fresh folder named after the output file under the conversion's
    // temporary folder; it is removed again when the document is done with it.
    FlowDocument(const std::string& path, std::int64_t numOfPages)
        : savedFilePath_(path), docxNumOfPages_(numOfPages), workRoot_(KXPDFPathUtilities::tempFolder()) {
        std::string folder = KXPDFPathUtilities::getNewPathby(kx::pathJoin(workRoot_, kx::pathFileName(path)));
        if (KXPDFPathUtilities::createFolderIfNeed(folder)) savedWorkFolder_ = folder;
    }
    virtual ~FlowDocument() { removeWorkFolder(); }
    FlowDocument(const FlowDocument&) = delete;
    FlowDocument& operator=(const FlowDocument&) = delete;

    void setBegainDocxOptions() {
        KXPDFScanIndexCounter = 0;
        currentDocxPageIndex_ = 0;
    }
    // Makes the page of the next PDF page the current one.
    void begainWritePage(kx::Size pageSize) {
        KXPDFScanIndexCounter = 0;
        currentPage_.reset();
        ++currentDocxPageIndex_;
        currentPage_ = std::make_unique<Page>(pageWriter(), pageSize, currentDocxPageIndex_ >= docxNumOfPages_);
        currentPage_->begainWritePage(currentDocxPageIndex_);
    }
    // The page builds its paragraphs and writes them.
    void endWritePage() {
        if (currentPage_) currentPage_->endWritePage(currentDocxPageIndex_);
    }
    void endWriteDocument() {}

    // The conversion was cancelled: the work folder goes, and so does the output, which would
    // otherwise stay behind half written.
    void cancelDocument() {
        closeWriters();
        removeWorkFolder();
        removeOutput();
    }

    // True once a file of the document could not be created, written or read back.
    bool hasFailed() const { return failed_; }

    Page* currentPage() const { return currentPage_.get(); }
    const std::string& savedFilePath() const { return savedFilePath_; }
    const std::string& savedWorkFolder() const { return savedWorkFolder_; }
    std::int64_t docxNumOfPages() const { return docxNumOfPages_; }
    std::int64_t currentDocxPageIndex() const { return currentDocxPageIndex_; }

protected:
    // The writer the pages write into.
    virtual Writer* pageWriter() = 0;
    virtual void closeWriters() = 0;

    void setFailed() { failed_ = true; }
    // The work folder and the fresh folder made for it.
    void removeWorkFolder() {
        if (!savedWorkFolder_.empty()) kx::removeAll(savedWorkFolder_);
        if (!workRoot_.empty()) kx::removeAll(workRoot_);
    }
    // Closes the writer (false when anything written to it was lost).
    static bool closeWriter(const std::unique_ptr<Writer>& writer) { return writer && writer->closeFile(); }
    // After a failure nothing half-written is left at the output path.
    void finish(bool ok) {
        if (!ok) {
            setFailed();
            removeOutput();
        }
        removeWorkFolder();
    }
    // Only a plain file is ever removed: the output path may name a device or a pipe.
    void removeOutput() {
        if (kx::isRegularFile(savedFilePath_)) kx::removeFile(savedFilePath_);
    }

private:
    std::string savedFilePath_;
    std::string savedWorkFolder_;
    std::int64_t docxNumOfPages_ = 0;
    std::string workRoot_;
    std::unique_ptr<Page> currentPage_;
    std::int64_t currentDocxPageIndex_ = 0;
    bool failed_ = false;
};

}  // namespace kx::detail
