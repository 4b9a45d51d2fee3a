#include "pptx/PPTXCaptureDocument_p.h"

namespace kx::detail {

void PPTXCaptureDocument::begainWriteDocument() {
    setBegainDocxOptions();
    if (savedWorkFolder().empty()) return setFailed();
    writer_ = KXPPTXWriter::initWithPath(savedFilePath(), docxNumOfPages(), savedWorkFolder());
    if (!writer_) return setFailed();
    writer_->begainWriteDocument();
}

void PPTXCaptureDocument::startPage(kx::Size pageSize, std::int64_t, bool) {
    if (writer_) writer_->begainWritePage(pageSize);
}

void PPTXCaptureDocument::finishPage(std::int64_t) {
    if (writer_ && beforeSlideEnds_) beforeSlideEnds_();
    // A slide that cannot be written makes a package that cannot be completed: stop here.
    if (writer_ && !writer_->endWritePage()) setFailed();
}

bool PPTXCaptureDocument::packetZipFileIfNeed() {
    const bool ok = writer_ && !hasFailed() && writer_->packetPPTXFile();
    writer_.reset();
    finish(ok);
    return ok;
}

}  // namespace kx::detail
