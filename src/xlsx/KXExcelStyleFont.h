#pragma once
// A font of the workbook: the font record and its colour.

#include <string>

#include "xlsx/KXExcelStyleRecords.h"

class KXExcelStyleFont {
public:
    // The default font (KXExcelUtilities::defaultExcelFont) in black.
    KXExcelStyleFont();
    KXExcelStyleFont(KXExcel_Font font, std::string rgbColor);

    // Six hexadecimal digits.
    const std::string& rgbColor() const { return rgbColor_; }
    void setRgbColor(std::string v) { rgbColor_ = std::move(v); }
    const KXExcel_Font& font() const { return font_; }
    void setFont(KXExcel_Font v) { font_ = std::move(v); }

    // Equal size, name, colour, bold and italic; family, charset, underline and the rest do not count.
    bool isEqualToFont(const KXExcelStyleFont& other) const;

private:
    std::string rgbColor_;
    KXExcel_Font font_;
};
