#pragma once
// The fonts installed on this machine, as the system's font configuration lists them: families,
// their faces with names and files, lookup by PostScript or full name, and glyph coverage.
//
// The list is read once per process (installed fonts do not change during a conversion) and is
// safe to use from any thread. Reading it means loading the system's font configuration, a few
// milliseconds: a caller that will need it can have it read on a thread of its own meanwhile
// (loadInBackground).

#include <optional>
#include <string>
#include <vector>

namespace kx {

struct InstalledFont {
    std::string family;          // the face's family name
    std::string style;           // the face name within the family ("Regular", "Bold Italic", ...)
    std::string fullName;        // the display name ("Liberation Sans Bold")
    std::string postScriptName;  // "LiberationSans-Bold"
    std::string file;
    int index = 0;  // face index inside the file
};

class FontCatalog {
public:
    // Every installed face, sorted by family, then style, then file (scalable fonts only).
    // Waits for a read started by loadInBackground.
    static const std::vector<InstalledFont>& installedFonts();
    // Starts reading the installed fonts on a thread of its own, once per process; the program
    // waits for that thread when it ends.
    static void loadInBackground();
    // The family names, sorted, without repeats.
    static const std::vector<std::string>& familyNames();
    // The faces of one family (exact name), in the order of installedFonts().
    static std::vector<InstalledFont> facesOfFamily(const std::string& family);
    // The face whose PostScript name, else whose full name, equals `name` exactly.
    static std::optional<InstalledFont> findFont(const std::string& name);
    // Whether the face's character map covers the character.
    static bool hasCharacter(const InstalledFont& font, char32_t character);
};

}  // namespace kx
