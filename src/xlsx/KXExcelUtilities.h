#pragma once
// Class utilities of the spreadsheet family: column letters, the default font and phonetic
// properties, the names and colours as a workbook may hold them, and resource paths.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xlsx/KXExcelStyleRecords.h"

// Phonetic properties of a shared string.
struct KXExcel_SI_PhoneticPr {
    std::int32_t fontId = 0;
    std::string type;
    std::string algn;
};

class KXExcelUtilities {
public:
    KXExcelUtilities() = delete;

    // The largest row and column numbers a worksheet can hold.
    static constexpr std::uint64_t kMaxRows = 1048576;
    static constexpr std::uint64_t kMaxColumns = 16384;

    // Column letters of a 1-based column number (1 A, 26 Z, 27 AA, 703 AAA); none below 1.
    static std::optional<std::string> getColumnName(std::int64_t column);
    // The column number of column letters ("A" 1); 0 for an empty text.
    static std::int64_t getColumnNumber(std::string_view letters);

    static double defaultFontSize() { return 10.0; }
    static std::string defaultFontName() { return "Arial Unicode MS"; }
    // Font id 1, type "noConversion", aligned left.
    static KXExcel_SI_PhoneticPr defaultPhoneticProperty();
    // Size 12, black, "Arial Unicode MS", family "3", charset "134", scheme "minor", no flag.
    static KXExcel_Font defaultExcelFont();

    // A font name as a workbook may hold it: at most 31 UTF-16 units, cut where no surrogate pair
    // is split; the default font name for an empty one.
    static std::string excelFontName(std::string_view name);
    // The opaque ARGB text of a colour: "FF" and its six hexadecimal digits, or "FF000000" when the
    // colour is not six hexadecimal digits.
    static std::string argbColor(std::string_view rgb);

    // The first free path "image1.<ext>", "image2.<ext>", ... in the folder of `path`, with its
    // extension; the last name tried when all up to 99999999 are taken.
    static std::string getNewImagePath(const std::string& path);
    // A file of a resource bundle beside the program ("KXQuendrel", "theme1.xml"); none when the
    // bundle or the file is missing.
    static std::optional<std::string> pathInBundle(const std::string& bundleName, const std::string& filePathInBundle);
};
