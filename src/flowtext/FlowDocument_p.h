#pragma once
// What the three flow-text document writers add to the capture's document: the flow page of each
// PDF page, written through the family's file writer.

#include <cstdint>
#include <memory>
#include <string>

#include "capture/CaptureDocument.h"
#include "platform/Geometry.h"

namespace kx::detail {

template <class Page, class Writer>
class FlowDocument : public kx::CaptureDocument {
public:
    using CaptureDocument::CaptureDocument;

    Page* currentPage() const { return currentPage_.get(); }

protected:
    // The writer the pages write into.
    virtual Writer* pageWriter() = 0;

    void startPage(kx::Size pageSize, std::int64_t pageIndex, bool lastPage) override {
        currentPage_.reset();
        currentPage_ = std::make_unique<Page>(pageWriter(), pageSize, lastPage);
        currentPage_->begainWritePage(pageIndex);
    }
    // The page builds its paragraphs and writes them.
    void finishPage(std::int64_t pageIndex) override {
        if (currentPage_) currentPage_->endWritePage(pageIndex);
    }

    // Closes the writer (false when anything written to it was lost).
    static bool closeWriter(const std::unique_ptr<Writer>& writer) { return writer && writer->closeFile(); }

private:
    std::unique_ptr<Page> currentPage_;
};

}  // namespace kx::detail
