#pragma once
// The base of the runs that a page shows outside the flow of text: images, text boxes, text along
// a path and painted vector paths. Each is a run, so it keeps its place in the page's reading order
// (`pdfScanIndex`) and stands in the same arrays as text runs; on top of that it has a stacking
// order, written as the VML "z-index" of its shape. Shapes and pictures take large negative values
// (behind the text), text boxes small positive ones (in front of it).

#include <cstdint>
#include <memory>

#include "docx/model/KXDocxRun.h"

class KXDocxRunPict : public KXDocxRun {
public:
    KXDocxRunPict() = default;
    ~KXDocxRunPict() override = default;

    std::shared_ptr<KXDocxRun> copy() const override;

    std::int64_t pictZIndex() const { return pictZIndex_; }
    void setPictZIndex(std::int64_t index) { pictZIndex_ = index; }

    // The frame of the picture on the page; every kind of picture gives its own (the base has none).
    kx::Rect displayRect() const override { return kx::Rect::zero(); }

protected:
    KXDocxRunPict(const KXDocxRunPict&) = default;
    KXDocxRunPict& operator=(const KXDocxRunPict&) = default;

private:
    std::int64_t pictZIndex_ = 0;
};
