#pragma once
// The style registry of one spreadsheet conversion: number formats, fonts, fills, borders and cell
// formats, each registered once, with the fixed defaults every workbook starts with; at the end it
// writes the workbook's styles part. An entry's position in its list is its id (number formats
// carry their own id), and entries are only ever appended, so handed-out ids stay valid.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "xlsx/KXExcelStyleBorder.h"
#include "xlsx/KXExcelStyleCellStyle.h"
#include "xlsx/KXExcelStyleDxf.h"
#include "xlsx/KXExcelStyleFill.h"
#include "xlsx/KXExcelStyleFont.h"
#include "xlsx/KXExcelStyleNumFmt.h"
#include "xlsx/KXExcelStyleTableStyle.h"
#include "xlsx/KXExcelStyleXf.h"

class XMLFileWriter;

class KXExcelStyle {
public:
    // The first id of a custom number format; lower ids are the built-in formats.
    static constexpr std::int32_t kFirstCustomNumFmtID = 164;

    // One default font, the fills "none" and "gray125", one border without sides, one cell-style
    // format and one cell format (left, centred vertically).
    KXExcelStyle();

    std::vector<KXExcelStyleNumFmt>& numFmtsArr() { return numFmtsArr_; }
    const std::vector<KXExcelStyleNumFmt>& numFmtsArr() const { return numFmtsArr_; }
    std::vector<KXExcelStyleFont>& fontsArr() { return fontsArr_; }
    const std::vector<KXExcelStyleFont>& fontsArr() const { return fontsArr_; }
    std::vector<KXExcelStyleFill>& fillsArr() { return fillsArr_; }
    const std::vector<KXExcelStyleFill>& fillsArr() const { return fillsArr_; }
    std::vector<KXExcelStyleBorder>& bordersArr() { return bordersArr_; }
    const std::vector<KXExcelStyleBorder>& bordersArr() const { return bordersArr_; }
    std::vector<KXExcelStyleXf>& cellStyleXfsArr() { return cellStyleXfsArr_; }
    const std::vector<KXExcelStyleXf>& cellStyleXfsArr() const { return cellStyleXfsArr_; }
    std::vector<KXExcelStyleXf>& cellXfsArr() { return cellXfsArr_; }
    const std::vector<KXExcelStyleXf>& cellXfsArr() const { return cellXfsArr_; }
    std::vector<KXExcelStyleCellStyle>& cellStyleArr() { return cellStyleArr_; }
    const std::vector<KXExcelStyleCellStyle>& cellStyleArr() const { return cellStyleArr_; }
    std::vector<KXExcelStyleDxf>& dxfsArr() { return dxfsArr_; }
    const std::vector<KXExcelStyleDxf>& dxfsArr() const { return dxfsArr_; }
    std::vector<KXExcelStyleTableStyle>& tableStyleArr() { return tableStyleArr_; }
    const std::vector<KXExcelStyleTableStyle>& tableStyleArr() const { return tableStyleArr_; }

    // The id of an equal listed font (isEqualToFont), or of the font appended.
    std::uint32_t collectFonts(const KXExcelStyleFont& font);
    // Appends the fill unless an equal one (isEqualToFill) is listed.
    void collectFills(const KXExcelStyleFill& fill);
    // The id of the first listed fill, from index 0, whose rectangle is not empty and intersects the
    // cell's frame; 0 when none does or when the spreadsheet state collects no fills.
    std::uint32_t getFillIdWithCellFrame(const kx::Rect& cellFrame) const;
    // The id of the number format with this code, registered with the lowest free custom id when new.
    std::uint32_t collectNumberFormat(const std::string& formatCode);
    bool existNumberFormat(std::int32_t numFmtID) const;

    // Writes <folder>/xl/styles.xml; false when the file cannot be written.
    bool writeStyleTo(const std::string& folder) const;
    // The whole styles part, declaration included.
    void writeStyleWith(XMLFileWriter& writer) const;

private:
    std::vector<KXExcelStyleNumFmt> numFmtsArr_;
    std::vector<KXExcelStyleFont> fontsArr_;
    std::vector<KXExcelStyleFill> fillsArr_;
    std::vector<KXExcelStyleBorder> bordersArr_;
    std::vector<KXExcelStyleXf> cellStyleXfsArr_;
    std::vector<KXExcelStyleXf> cellXfsArr_;
    std::vector<KXExcelStyleCellStyle> cellStyleArr_;
    std::vector<KXExcelStyleDxf> dxfsArr_;
    std::vector<KXExcelStyleTableStyle> tableStyleArr_;
};
