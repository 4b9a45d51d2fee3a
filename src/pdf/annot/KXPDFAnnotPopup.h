#pragma once
// A pop-up window of another annotation. It replays its appearance stream when it is on the page's
// list; as another annotation's /Popup it is parsed without a pop-up of its own.

#include "pdf/annot/KXPDFAnnot.h"

class KXPDFAnnotPopup : public KXPDFAnnot {
public:
    KXPDFAnnotPopup() = default;
    explicit KXPDFAnnotPopup(const kx::PDFObject& dictionary) : KXPDFAnnot(dictionary, false) {}
};
