#include "xlsx/KXExcelStyleFont.h"

#include "xlsx/KXExcelUtilities.h"

KXExcelStyleFont::KXExcelStyleFont() : rgbColor_("000000"), font_(KXExcelUtilities::defaultExcelFont()) {}

KXExcelStyleFont::KXExcelStyleFont(KXExcel_Font font, std::string rgbColor)
    : rgbColor_(std::move(rgbColor)), font_(std::move(font)) {}

bool KXExcelStyleFont::isEqualToFont(const KXExcelStyleFont& other) const {
    return KXExcelFontSameSizeAndName(font_, other.font_) && rgbColor_ == other.rgbColor_ && font_.b == other.font_.b &&
           font_.i == other.font_.i;
}
