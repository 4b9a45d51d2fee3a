#pragma once
// A strike-out: a stroke through the middle of each marked line.

#include "pdf/annot/KXPDFAnnotTextMarkup.h"

class KXPDFAnnotStrikeout : public KXPDFAnnotTextMarkup {
public:
    using KXPDFAnnotTextMarkup::KXPDFAnnotTextMarkup;
};
