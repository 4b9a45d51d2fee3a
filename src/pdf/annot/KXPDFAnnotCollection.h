#pragma once
// The annotations of a page, built from its /Annots array, and their replay after the page content:
// each annotation runs in a fresh state of its own that marks what it reports as annotation content
// with the annotation's index.

#include <cstdint>
#include <memory>
#include <vector>

#include "pdf/annot/KXPDFAnnotDelegate.h"
#include "platform/pdf/PDFObject.h"

class KXPDFAnnot;

class KXPDFAnnotCollection {
public:
    KXPDFAnnotCollection() = default;
    // The annotations of `annots` (the page's /Annots, or the null object) on page `pageIndex`;
    // entries that are no annotation dictionaries are skipped.
    KXPDFAnnotCollection(const kx::PDFObject& annots, std::int64_t pageIndex);
    ~KXPDFAnnotCollection();
    KXPDFAnnotCollection(const KXPDFAnnotCollection&) = delete;
    KXPDFAnnotCollection& operator=(const KXPDFAnnotCollection&) = delete;

    // Replays every annotation in order through the delegate. Annotations that their flags hide
    // (Hidden, NoView) keep their index but are not replayed.
    void startAllParser();

    const std::vector<std::shared_ptr<KXPDFAnnot>>& annots() const { return annots_; }
    void setAnnots(std::vector<std::shared_ptr<KXPDFAnnot>> annots) { annots_ = std::move(annots); }
    KXPDFAnnotDelegate* delegate() const { return delegate_; }
    void setDelegate(KXPDFAnnotDelegate* delegate) { delegate_ = delegate; }

private:
    std::vector<std::shared_ptr<KXPDFAnnot>> annots_;
    KXPDFAnnotDelegate* delegate_ = nullptr;
};
