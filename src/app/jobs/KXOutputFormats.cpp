#include "app/jobs/KXOutputFormats.h"

#include <array>

namespace {

struct FormatRow {
    const char* displayName;
    const char* key;
    const char* icon;
    bool isImage;
};

namespace names = kx::format_names;

constexpr std::array<FormatRow, 15> kRows = {{
    {names::Word, "docx", "icon_docx", false},
    {names::PowerPoint, "pptx", "icon_pptx", false},
    {names::Excel, "xlsx", "icon_xlsx", false},
    {names::CSV, "csv", "icon_csv", false},
    {names::PlainText, "txt", "icon_txt", false},
    {names::RTF, "rtf", "icon_rtf", false},
    {names::HTML, "html", "icon_html", false},
    {names::ImageFamily, "image", "icon_image", true},
    {names::JPEG, "jpeg", "icon_jpeg", true},
    {names::PNG, "png", "icon_png", true},
    {names::BMP, "bmp", "icon_bmp", true},
    {names::GIF, "gif", "icon_gif", true},
    {names::TIFF, "tiff", "icon_tiff", true},
    {names::TGA, "tga", "icon_tga", true},
    // The icon of JPEG 2000 keeps its own name, although its key is "jp2".
    {names::JPEG2000, "jp2", "icon_j2k", true},
}};

constexpr size_t kFormatMenuCount = 8;

}  // namespace

std::map<std::string, std::string> KXOutputFormats::FormatTypeDictionary() {
    std::map<std::string, std::string> table;
    for (const FormatRow& row : kRows) table.emplace(row.displayName, row.key);
    return table;
}

std::map<std::string, std::string> KXOutputFormats::FormatIconDictionary() {
    std::map<std::string, std::string> table;
    for (const FormatRow& row : kRows) table.emplace(row.displayName, row.icon);
    return table;
}

bool KXOutputFormats::isOuputFormatImage(const std::string& displayName) {
    for (const FormatRow& row : kRows)
        if (displayName == row.displayName) return row.isImage;
    return false;
}

std::vector<std::string> KXOutputFormats::formatMenuTitles() {
    std::vector<std::string> titles;
    for (size_t i = 0; i < kFormatMenuCount; ++i) titles.emplace_back(kRows[i].displayName);
    return titles;
}

std::vector<std::string> KXOutputFormats::imageTypeMenuTitles() {
    std::vector<std::string> titles;
    for (size_t i = kFormatMenuCount; i < kRows.size(); ++i) titles.emplace_back(kRows[i].displayName);
    return titles;
}
