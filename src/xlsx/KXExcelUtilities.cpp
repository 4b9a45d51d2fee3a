#include "xlsx/KXExcelUtilities.h"

#include <cctype>

#include "platform/FileSystem.h"
#include "platform/Resources.h"
#include "platform/Unicode.h"
#include "util/KXLibBundle.h"

std::optional<std::string> KXExcelUtilities::getColumnName(std::int64_t column) {
    if (column < 1) return std::nullopt;
    std::string letters;
    std::uint64_t n = static_cast<std::uint64_t>(column);
    while (n > 0) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
        n = (n - 1) / 26;
    }
    return letters;
}

std::int64_t KXExcelUtilities::getColumnNumber(std::string_view letters) {
    std::int64_t number = 0;
    for (char c : letters) number = number * 26 + (static_cast<unsigned char>(c) - 64);
    return number;
}

KXExcel_SI_PhoneticPr KXExcelUtilities::defaultPhoneticProperty() { return {1, "noConversion", "left"}; }

KXExcel_Font KXExcelUtilities::defaultExcelFont() {
    KXExcel_Font f;
    f.sz = 12;
    f.color.rgb = "000000";
    f.name = defaultFontName();
    f.famliy = "3";
    f.charset = "134";
    f.scheme = "minor";
    return f;
}

std::string KXExcelUtilities::excelFontName(std::string_view name) {
    if (name.empty()) return defaultFontName();
    std::u16string units = kx::utf8ToUtf16(name);
    if (units.size() <= 31) return std::string(name);
    return kx::utf16ToUtf8(kx::truncateUtf16(units, 31));
}

std::string KXExcelUtilities::argbColor(std::string_view rgb) {
    bool hex = rgb.size() == 6;
    for (char c : rgb) hex = hex && std::isxdigit(static_cast<unsigned char>(c));
    return hex ? "FF" + std::string(rgb) : "FF000000";
}

std::string KXExcelUtilities::getNewImagePath(const std::string& path) {
    const std::string folder = kx::pathDirectory(path);
    const std::string extension = kx::pathExtension(path);
    std::string candidate;
    for (std::uint64_t n = 1; n <= 99999999; ++n) {
        candidate = kx::pathJoin(folder, "image" + std::to_string(n) + "." + extension);
        if (!kx::fileExists(candidate)) break;
    }
    return candidate;
}

std::optional<std::string> KXExcelUtilities::pathInBundle(const std::string& bundleName,
                                                          const std::string& filePathInBundle) {
    std::optional<std::string> bundle = KXLibBundle::PathForResource_KXLib(bundleName, "bundle");
    if (!bundle) return std::nullopt;
    return kx::bundleResourcePath(*bundle, kx::pathDirectory(filePathInBundle), kx::pathFileName(filePathInBundle));
}
