#pragma once
// Shared by the spreadsheet tests: parts written into a temporary file and read back, the
// spreadsheet state set to given options, and runs made from a few numbers.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/KXExcelOptions.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelPage.h"
#include "xlsx/KXExcelRunText.h"

namespace kx::test {

// What the callback writes, as text; a compact writer (no line breaks, no indentation).
inline std::string writtenXML(const std::function<void(XMLFileWriter&)>& write) {
    std::unique_ptr<XMLFileWriter> writer = XMLFileWriter::initInMemory();
    writer->setLineBreak("");
    writer->setIndentation("");
    write(*writer);
    writer->writeEndDocument();
    return writer->toString().value_or("<unreadable>");
}

// A fresh spreadsheet state with these options installed.
inline KXExcelManager& freshManager(const KXExcelOptions& options = KXExcelOptions()) {
    KXExcelManager::destory();
    KXExcelManager& manager = KXExcelManager::sharedInstance();
    manager.setOptions(options);
    return manager;
}

inline KXExcelOptions formatStyle(int style) {
    KXExcelOptions options;
    options.setExcelFormatOption(style);
    return options;
}

// A run at (left, top) of the given size, baseline 80 % down, with properties of the font size.
inline KXExcelRunText makeRun(std::u16string text, double left, double top, double width, double height,
                              double size = 12) {
    KXExcelRunText run;
    run.setText(std::move(text));
    KXPDF_CTMInfo& g = run.ctmInfo();
    g.xLeft = left;
    g.xRight = left + width;
    g.yTop = top;
    g.yBottom = top + height;
    g.yBase = top + 0.8 * height;
    g.frame = kx::Rect(left, top, width, height);
    run.setTextWidth(width);
    run.rPr().setSz(size);
    return run;
}

// Adds such a run to a page.
inline KXExcelRunText& addRun(KXExcelPage& page, std::u16string text, double left, double top, double width,
                              double height = 10, double size = 12) {
    return page.addRunText(std::make_unique<KXExcelRunText>(makeRun(std::move(text), left, top, width, height, size)));
}

// A page of runs laid out on a grid of 100-point columns and 20-point rows, one run 50 points wide
// per text, "" leaving the cell empty.
inline void addGrid(KXExcelPage& page, const std::vector<std::vector<std::u16string>>& rows) {
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            if (!rows[r][c].empty()) addRun(page, rows[r][c], 100.0 * c, 20.0 * r, 50);
}

}  // namespace kx::test
