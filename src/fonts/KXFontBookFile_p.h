#pragma once
// The font catalogue as a property-list file: writing the catalogue of installed fonts ahead of time
// and reading it back, and the choice between that file and the live catalogue.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fonts/KXPDFFontUtilities.h"

namespace kx::detail {

// The catalogue read from a file; none when the file is missing or is not a property list.
std::optional<KXFontBook> readFontBookFile(const std::string& path);
// Writes the catalogue as a property list (atomically); false on failure.
bool writeFontBookFile(const std::string& path, const KXFontBook& book);

// The catalogue keeps one face per PostScript name in a family; the full names of the installed
// faces it leaves out (a font installed twice in two formats under different full names) go to a
// list beside it, so that "is this name installed" is answered from the two files as the system's
// list answers it. The list is written from the installed fonts; reading gives none when the file
// is missing or unreadable.
bool writeFullNamesOutsideFontBookFile(const std::string& path, const KXFontBook& book);
std::optional<std::vector<std::string>> readFullNamesOutsideFontBookFile(const std::string& path);
// The list's name in the parser bundle, beside "FontBook.plist".
inline constexpr const char* kFullNamesOutsideFontBookFileName = "FontBookFullNames.plist";

struct ChosenFontBook {
    KXFontBook book;
    bool fromFile = false;  // true when the prepared file was taken
};
// The catalogue in the file when there is one and it lists at least one family; else the live one.
ChosenFontBook chooseFontBook(const std::optional<std::string>& path, const std::function<const KXFontBook&()>& live);

}  // namespace kx::detail
