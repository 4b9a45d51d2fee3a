#pragma once
// The steps that cut a set of text runs into bands of columns, shared by a page's own layout and by
// the content of table cells and text boxes: duplicates out, lines by baseline, row blocks, the
// choice of consecutive blocks that form one band, and the merging of bands that continue each
// other.

#include "docx/model/KXDocxRunTextColum.h"
#include "docx/model/KXDocxRunTextLine.h"

namespace kx::detail {

// Takes the runs drawn twice over themselves out of `runs` (the first of each stays); returns how
// many were taken out.
size_t removeDuplicateRunTexts(KXDocxRunTextArray& runs);

// Lines of the runs by baseline. A row of nothing but blank runs goes; with trimBlanks the blank
// runs of every row go too. The runs taken out are removed from `runs`; returns the lines, each
// built (processRunTextArray).
KXDocxRunTextLineArray linesByBaseline(KXDocxRunTextArray& runs, bool trimBlanks, size_t* removed = nullptr);

// Blocks of lines that share their rows, top to bottom, with superscript and subscript lines
// folded into their main line.
KXDocxRunTextColumArray rowBlocks(const KXDocxRunTextLineArray& lines, bool columnMode);

// Runs of consecutive blocks that form one band: close enough and keeping their column strips (or,
// in column mode, their columns' reading order).
KXDocxRunTextColumArray chooseBands(const KXDocxRunTextColumArray& blocks, bool columnMode);

// Bands that continue each other become one; every band then has its columns made (and, in column
// mode, cleaned).
KXDocxRunTextColumArray mergeBands(const KXDocxRunTextColumArray& bands, bool columnMode);

}  // namespace kx::detail
