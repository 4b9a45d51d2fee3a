// KXMakeFontBook: writes the catalogue of the fonts installed on this machine to the file given as
// its argument ("FontBook.plist" of the parser bundle), and beside it the full names of installed
// faces the catalogue leaves out. The build runs it after the programs are built, so that a
// conversion reads small files instead of starting the system's font configuration in every
// process. Exit status 0 on success, 1 on failure.

#include <cstdio>

#include <string>

#include "fonts/FontBookFiles.h"
#include "fonts/KXPDFFontUtilities.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s path/to/FontBook.plist\n", argv[0]);
        return 1;
    }
    if (!KXPDFFontUtilities::CreateFontBookAtPath(argv[1])) {
        std::fprintf(stderr, "Couldn't write the font catalogue to %s\n", argv[1]);
        return 1;
    }
    std::string names = kx::fullNamesPathBesideFontBook(argv[1]);
    if (!kx::writeInstalledFullNamesOutsideFontBook(names)) {
        std::fprintf(stderr, "Couldn't write the font names to %s\n", names.c_str());
        return 1;
    }
    return 0;
}
