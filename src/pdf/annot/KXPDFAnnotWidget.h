#pragma once
// A form field's widget: its appearance stream is replayed.

#include "pdf/annot/KXPDFAnnot.h"

class KXPDFAnnotWidget : public KXPDFAnnot {
public:
    using KXPDFAnnot::KXPDFAnnot;
};
