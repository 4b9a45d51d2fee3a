#include "xlsx/KXExcelStyleRecords.h"

#include "platform/Unicode.h"

bool KXExcelFontSameSizeAndName(const KXExcel_Font& a, const KXExcel_Font& b) {
    return a.sz == b.sz && a.name == b.name;
}

bool KXExcelAlignmentEqual(const KXExcel_Xf_Alignment& a, const KXExcel_Xf_Alignment& b) {
    return a.horizontal == b.horizontal && a.vertical == b.vertical && a.wrapText == b.wrapText;
}

KXExcel_Xf_Alignment KXExcelMakeAlignment(std::string_view horizontal, std::string_view vertical, bool wrapText) {
    KXExcel_Xf_Alignment a;
    a.horizontal = kx::truncateUtf8(horizontal, 63);
    a.vertical = kx::truncateUtf8(vertical, 63);
    a.wrapText = wrapText;
    return a;
}
