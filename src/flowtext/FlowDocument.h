#pragma once
// What the three flow-text document writers add to the capture's document: the flow page of each
// PDF page, made by the family on its file writer.

#include <cstdint>
#include <memory>
#include <string>

#include "capture/CaptureDocument.h"
#include "flowtext/FlowFileWriter.h"
#include "flowtext/FlowPage.h"
#include "platform/Geometry.h"

namespace kx::detail {

class FlowDocument : public kx::CaptureDocument {
public:
    using CaptureDocument::CaptureDocument;

    FlowPage* currentPage() const { return currentPage_.get(); }

protected:
    // The family's page of the next PDF page, writing into the family's page writer.
    virtual std::unique_ptr<FlowPage> makePage(kx::Size pageSize, bool lastPage) = 0;

    void startPage(kx::Size pageSize, std::int64_t pageIndex, bool lastPage) override {
        currentPage_.reset();
        currentPage_ = makePage(pageSize, lastPage);
        currentPage_->begainWritePage(pageIndex);
    }
    // The page builds its paragraphs and writes them.
    void finishPage(std::int64_t pageIndex) override {
        if (currentPage_) currentPage_->endWritePage(pageIndex);
    }

    // Closes the writer (false when anything written to it was lost).
    static bool closeWriter(FlowFileWriter* writer) { return writer && writer->closeFile(); }

private:
    std::unique_ptr<FlowPage> currentPage_;
};

}  // namespace kx::detail
