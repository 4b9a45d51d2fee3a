#pragma once
// The 14 standard PDF fonts and the 12 substitutes by which a font without widths is measured.
// One manager per process, created on first use; read-only afterwards.

#include <string>
#include <vector>

#include "fonts/BuiltinFont.h"

class BuiltinFontManager {
public:
    static const BuiltinFontManager& sharedManager();

    // The record of a standard font name or one of its aliases; none for anything else. Spaces
    // become "-", aliases must match exactly, standard names match without regard to case.
    const BuiltinFont* findBuildinFont(const std::string& name) const;

    const std::vector<BuiltinFont>& fontsArray() const { return fontsArray_; }
    // Index = 0, 4 or 8 for fixed, sans-serif or serif, + 2 for bold, + 1 for italic.
    const std::vector<const BuiltinFont*>& fontsSubstArray() const { return fontsSubstArray_; }

    BuiltinFontManager();

private:
    std::vector<BuiltinFont> fontsArray_;
    std::vector<const BuiltinFont*> fontsSubstArray_;
};
