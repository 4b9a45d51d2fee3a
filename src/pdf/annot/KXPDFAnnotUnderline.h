#pragma once
// An underline: a stroke two points above the bottom of each marked line.

#include "pdf/annot/KXPDFAnnotTextMarkup.h"

class KXPDFAnnotUnderline : public KXPDFAnnotTextMarkup {
public:
    using KXPDFAnnotTextMarkup::KXPDFAnnotTextMarkup;
};
