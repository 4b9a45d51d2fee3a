#include "capture/CaptureDocument.h"

#include "platform/FileSystem.h"
#include "util/KXPDFPathUtilities.h"

namespace kx {

CaptureDocument::CaptureDocument(const std::string& path, std::int64_t numOfPages)
    : savedFilePath_(path), docxNumOfPages_(numOfPages), workRoot_(KXPDFPathUtilities::tempFolder()) {
    std::string folder = KXPDFPathUtilities::getNewPathby(pathJoin(workRoot_, pathFileName(path)));
    if (KXPDFPathUtilities::createFolderIfNeed(folder)) savedWorkFolder_ = folder;
}

CaptureDocument::~CaptureDocument() { removeWorkFolder(); }

void CaptureDocument::begainWritePage(kx::Size pageSize) {
    ++currentDocxPageIndex_;
    startPage(pageSize, currentDocxPageIndex_, currentDocxPageIndex_ >= docxNumOfPages_);
}

void CaptureDocument::beginWritePageAgain(kx::Size pageSize) {
    startPage(pageSize, currentDocxPageIndex_, currentDocxPageIndex_ >= docxNumOfPages_);
}

void CaptureDocument::endWritePage() { finishPage(currentDocxPageIndex_); }

void CaptureDocument::cancelDocument() {
    closeWriters();
    removeWorkFolder();
    removeOutput();
}

void CaptureDocument::removeWorkFolder() {
    if (!savedWorkFolder_.empty()) removeAll(savedWorkFolder_);
    if (!workRoot_.empty()) removeAll(workRoot_);
}

void CaptureDocument::finish(bool ok) {
    if (!ok) {
        setFailed();
        removeOutput();
    }
    removeWorkFolder();
}

void CaptureDocument::removeOutput() {
    if (isRegularFile(savedFilePath_)) removeFile(savedFilePath_);
}

}  // namespace kx
