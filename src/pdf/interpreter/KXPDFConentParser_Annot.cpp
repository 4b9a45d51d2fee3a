// The annotation pass of a run: after the content, the page's annotations are built and replayed
// through this interpreter's annotation side, each in a fresh state that marks what it reports as
// annotation content with the annotation's index.

#include "pdf/interpreter/KXPDFConentParser.h"

#include "pdf/annot/KXPDFAnnot.h"
#include "pdf/annot/KXPDFAnnotCollection.h"

std::shared_ptr<KXPDFAnnotCollection> KXPDFConentParser::annotCollectionWithDict(const kx::PDFObject& dict) {
    // /Annots sits in the page dictionary itself; a form dictionary has none.
    return std::make_shared<KXPDFAnnotCollection>(dict.dictGet("Annots"), pageIndex_);
}

KXPDFAnnot* KXPDFConentParser::annotForPDFAnnotionIndex(std::int64_t index) const {
    if (!annotCollection_) return nullptr;
    const auto& annots = annotCollection_->annots();
    // The index is the position in the list once the pass has run.
    if (index >= 0 && static_cast<size_t>(index) < annots.size() &&
        annots[static_cast<size_t>(index)]->pdfAnnotionIndex() == index)
        return annots[static_cast<size_t>(index)].get();
    for (const auto& annot : annots)
        if (annot->pdfAnnotionIndex() == index) return annot.get();
    return nullptr;
}

void KXPDFConentParser::dropAnnotCollection() {
    if (!annotCollection_) return;
    annotCollection_->setDelegate(nullptr);
    annotCollection_.reset();
}

void KXPDFConentParser::runAnnotationPass() {
    annotCollection_ = annotCollectionWithDict(contentDict_);
    annotCollection_->setDelegate(this);
    annotCollection_->startAllParser();
}
