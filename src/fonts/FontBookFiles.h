#pragma once
// The catalogue of the installed fonts written ahead of time, as the build writes it into the
// parser bundle: "FontBook.plist" (KXPDFFontUtilities::CreateFontBookAtPath) and beside it the full
// names of installed faces the catalogue leaves out, which conversions read instead of asking the
// system's font configuration.

#include <string>

namespace kx {

// The path of the full-names list beside a catalogue file ("FontBookFullNames.plist").
std::string fullNamesPathBesideFontBook(const std::string& fontBookPath);
// Writes the full names of the installed faces that the catalogue of this machine leaves out;
// false when the file cannot be written.
bool writeInstalledFullNamesOutsideFontBook(const std::string& path);

}  // namespace kx
