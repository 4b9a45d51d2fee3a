#pragma once
// A link: its appearance stream, if it has one, is replayed.

#include "pdf/KXPDFAnnot.h"

class KXPDFAnnotLink : public KXPDFAnnot {
public:
    using KXPDFAnnot::KXPDFAnnot;
};
