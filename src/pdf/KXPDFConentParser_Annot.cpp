// The annotation pass of a run. Until the annotation model is in place there is no collection to
// build and nothing is replayed.

#include "pdf/KXPDFConentParser.h"

std::shared_ptr<KXPDFAnnotCollection> KXPDFConentParser::annotCollectionWithDict(const kx::PDFObject&) {
    return nullptr;
}

KXPDFAnnot* KXPDFConentParser::annotForPDFAnnotionIndex(std::int64_t) const { return nullptr; }

void KXPDFConentParser::dropAnnotCollection() { annotCollection_.reset(); }

void KXPDFConentParser::runAnnotationPass() {}
