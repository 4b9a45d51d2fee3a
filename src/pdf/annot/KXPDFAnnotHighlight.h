#pragma once
// A highlight: each marked line filled in the annotation colour.

#include "pdf/annot/KXPDFAnnotTextMarkup.h"

class KXPDFAnnotHighlight : public KXPDFAnnotTextMarkup {
public:
    using KXPDFAnnotTextMarkup::KXPDFAnnotTextMarkup;
};
