#pragma once
// A link: its appearance stream, if it has one, is replayed.

#include "pdf/annot/KXPDFAnnot.h"

class KXPDFAnnotLink : public KXPDFAnnot {
public:
    using KXPDFAnnot::KXPDFAnnot;
};
