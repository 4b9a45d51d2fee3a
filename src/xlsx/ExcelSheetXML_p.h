#pragma once
// The parts of a worksheet that every sheet writes the same way: the fixed views and format, the
// columns, the merged ranges and the page margins.

#include <vector>

#include "xlsx/KXExcelColumn.h"
#include "xlsx/KXExcelPageMargin.h"
#include "xlsx/KXMergedCell.h"

class XMLFileWriter;

namespace kx::detail {

// The declaration, "worksheet" and its views (the first sheet of a workbook tab-selected) and
// default sizes.
void writeWorksheetStart(XMLFileWriter& w, bool tabSelected);
// "cols" when there are columns (the sheet's column limit holds).
void writeWorksheetColumns(XMLFileWriter& w, const std::vector<KXExcelColumn>& columns);
// "mergeCells" when there are ranges, each cut to the sheet's limits.
void writeWorksheetMergeCells(XMLFileWriter& w, const std::vector<KXMergedCell>& ranges);
// "pageMargins", and the end of the part.
void writeWorksheetEnd(XMLFileWriter& w, const KXExcelPageMargin& margins);

}  // namespace kx::detail
