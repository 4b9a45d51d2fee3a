#pragma once
// The presentation as the page capture drives a document: it makes the package writer in the
// conversion's work folder when the document begins, one slide per page, and the package at the
// end. Private to the presentation family.

#include <functional>
#include <memory>

#include "capture/CaptureDocument.h"
#include "pptx/KXPPTXWriter.h"

namespace kx::detail {

class PPTXCaptureDocument : public kx::CaptureDocument {
public:
    using kx::CaptureDocument::CaptureDocument;

    // The package writer; nullptr before the document begins and after it ends.
    KXPPTXWriter* writer() const { return writer_.get(); }

    void begainWriteDocument() override;
    bool packetZipFileIfNeed() override;

    // What the exporter still adds to a slide when its page has been read, before it is written.
    void setBeforeSlideEnds(std::function<void()> step) { beforeSlideEnds_ = std::move(step); }

protected:
    void startPage(kx::Size pageSize, std::int64_t pageIndex, bool lastPage) override;
    void finishPage(std::int64_t pageIndex) override;
    void closeWriters() override { writer_.reset(); }

private:
    std::unique_ptr<KXPPTXWriter> writer_;
    std::function<void()> beforeSlideEnds_;
};

}  // namespace kx::detail
