#include "pdf/annot/KXPDFAnnotCollection.h"

#include "pdf/annot/KXPDFAnnot.h"
#include "pdf/state/KXPDFRenderState.h"

KXPDFAnnotCollection::KXPDFAnnotCollection(const kx::PDFObject& annots, std::int64_t pageIndex) {
    for (size_t i = 0, n = annots.arrayCount(); i < n; ++i) {
        kx::PDFObject entry = annots.arrayAt(i);
        if (!entry.isDictionary()) continue;
        if (auto annot = KXPDFAnnot::AnnotWithDictionary(entry)) {
            annot->setPageIndex(pageIndex);
            annots_.push_back(std::move(annot));
        }
    }
}

KXPDFAnnotCollection::~KXPDFAnnotCollection() {
    // Annotations that others still hold (image objects of their appearances) must not call back
    // into a delegate that may be gone.
    for (auto& annot : annots_) annot->setDelegate(nullptr);
}

void KXPDFAnnotCollection::startAllParser() {
    if (!delegate_) return;
    for (size_t i = 0; i < annots_.size(); ++i) {
        KXPDFAnnot& annot = *annots_[i];
        // A fresh state, not the page's last one: every annotation starts from the identity CTM.
        KXPDFRenderState state;
        state.setIsParseringAnnotion(true);
        state.setPdfAnnotionIndex(static_cast<std::int64_t>(i));
        annot.setPdfAnnotionIndex(state.pdfAnnotionIndex());
        if (annot.isHiddenByFlags()) continue;
        delegate_->KXPDFAnnotPushRenderingState(&state);
        annot.setDelegate(delegate_);
        annot.startParser();
        delegate_->KXPDFAnnotPopRenderingState();
    }
}
