#include "fonts/BuiltinFontManager.h"

#include <cstring>
#include <memory>

#include "fonts/KXFontTables_p.h"
#include "platform/Unicode.h"

namespace {

struct StandardFontRecord {
    const char* name;
    const char* encoding;
    int ascent, descent;
    int llx, lly, urx, ury;
};

const StandardFontRecord kStandardFonts[14] = {
    {"Courier", "StandardEncoding", 629, -157, -23, -250, 715, 805},
    {"Courier-Bold", "StandardEncoding", 629, -157, -113, -250, 749, 801},
    {"Courier-BoldOblique", "StandardEncoding", 629, -157, -57, -250, 869, 801},
    {"Courier-Oblique", "StandardEncoding", 629, -157, -27, -250, 849, 805},
    {"Helvetica", "StandardEncoding", 718, -207, -166, -225, 1000, 931},
    {"Helvetica-Bold", "StandardEncoding", 718, -207, -170, -228, 1003, 962},
    {"Helvetica-BoldOblique", "StandardEncoding", 718, -207, -174, -228, 1114, 962},
    {"Helvetica-Oblique", "StandardEncoding", 718, -207, -170, -225, 1116, 931},
    {"Symbol", "SymbolEncoding", 1010, -293, -180, -293, 1090, 1010},
    {"Times-Bold", "StandardEncoding", 683, -217, -168, -218, 1000, 935},
    {"Times-BoldItalic", "StandardEncoding", 683, -217, -200, -218, 996, 921},
    {"Times-Italic", "StandardEncoding", 683, -217, -169, -217, 1010, 883},
    {"Times-Roman", "StandardEncoding", 683, -217, -168, -218, 1000, 898},
    {"ZapfDingbats", "ZapfDingbatsEncoding", 820, -143, -1, -143, 981, 820},
};

const char* const kSubstitutes[12] = {
    "Courier",   "Courier-Oblique", "Courier-Bold",   "Courier-BoldOblique",
    "Helvetica", "Helvetica-Oblique", "Helvetica-Bold", "Helvetica-BoldOblique",
    "Times-Roman", "Times-Italic",  "Times-Bold",     "Times-BoldItalic",
};

const char* const kAliases[][2] = {
    {"Arial", "Helvetica"},
    {"Arial,Bold", "Helvetica-Bold"},
    {"Arial,BoldItalic", "Helvetica-BoldOblique"},
    {"Arial,Italic", "Helvetica-Oblique"},
    {"Arial-Bold", "Helvetica-Bold"},
    {"Arial-BoldItalic", "Helvetica-BoldOblique"},
    {"Arial-BoldItalicMT", "Helvetica-BoldOblique"},
    {"Arial-BoldMT", "Helvetica-Bold"},
    {"Arial-Italic", "Helvetica-Oblique"},
    {"Arial-ItalicMT", "Helvetica-Oblique"},
    {"ArialMT", "Helvetica"},
    {"Courier,Bold", "Courier-Bold"},
    {"Courier,BoldItalic", "Courier-BoldOblique"},
    {"Courier,Italic", "Courier-Oblique"},
    {"CourierNew", "Courier"},
    {"CourierNew,Bold", "Courier-Bold"},
    {"CourierNew,BoldItalic", "Courier-BoldOblique"},
    {"CourierNew,Italic", "Courier-Oblique"},
    {"CourierNew-Bold", "Courier-Bold"},
    {"CourierNew-BoldItalic", "Courier-BoldOblique"},
    {"CourierNew-Italic", "Courier-Oblique"},
    {"CourierNewPS-BoldItalicMT", "Courier-BoldOblique"},
    {"CourierNewPS-BoldMT", "Courier-Bold"},
    {"CourierNewPS-ItalicMT", "Courier-Oblique"},
    {"CourierNewPSMT", "Courier"},
    {"Helvetica,Bold", "Helvetica-Bold"},
    {"Helvetica,BoldItalic", "Helvetica-BoldOblique"},
    {"Helvetica,Italic", "Helvetica-Oblique"},
    {"Helvetica-BoldItalic", "Helvetica-BoldOblique"},
    {"Helvetica-Italic", "Helvetica-Oblique"},
    {"Symbol,Bold", "Symbol"},
    {"Symbol,BoldItalic", "Symbol"},
    {"Symbol,Italic", "Symbol"},
    {"TimesNewRoman", "Times-Roman"},
    {"TimesNewRoman,Bold", "Times-Bold"},
    {"TimesNewRoman,BoldItalic", "Times-BoldItalic"},
    {"TimesNewRoman,Italic", "Times-Italic"},
    {"TimesNewRoman-Bold", "Times-Bold"},
    {"TimesNewRoman-BoldItalic", "Times-BoldItalic"},
    {"TimesNewRoman-Italic", "Times-Italic"},
    {"TimesNewRomanPS", "Times-Roman"},
    {"TimesNewRomanPS-Bold", "Times-Bold"},
    {"TimesNewRomanPS-BoldItalic", "Times-BoldItalic"},
    {"TimesNewRomanPS-BoldItalicMT", "Times-BoldItalic"},
    {"TimesNewRomanPS-BoldMT", "Times-Bold"},
    {"TimesNewRomanPS-Italic", "Times-Italic"},
    {"TimesNewRomanPS-ItalicMT", "Times-Italic"},
    {"TimesNewRomanPSMT", "Times-Roman"},
    {"TimesNewRomanPSMT,Bold", "Times-Bold"},
    {"TimesNewRomanPSMT,BoldItalic", "Times-BoldItalic"},
    {"TimesNewRomanPSMT,Italic", "Times-Italic"},
};

}  // namespace

const BuiltinFontManager& BuiltinFontManager::sharedManager() {
    // Function-local statics are created once, under the runtime's lock.
    static const BuiltinFontManager manager;
    return manager;
}

BuiltinFontManager::BuiltinFontManager() {
    fontsArray_.reserve(14);
    for (int i = 0; i < 14; ++i) {
        const StandardFontRecord& r = kStandardFonts[i];
        const kx::detail::StandardFontWidths* table = &kx::detail::kStandardFontWidths[i];
        auto makeWidths = [table] {
            std::vector<BFontWidth> widths;
            widths.reserve(table->count);
            for (size_t k = 0; k < table->count; ++k) widths.push_back({table->widths[k].name, table->widths[k].width});
            return std::make_shared<const BuiltinFontWidths>(widths.data(), static_cast<int>(widths.size()));
        };
        fontsArray_.emplace_back(r.name, r.encoding, r.ascent * 0.001, r.descent * 0.001,
                                 kx::Rect(r.llx, r.lly, r.urx, r.ury), makeWidths);
    }
    for (const char* name : kSubstitutes) {
        for (const auto& font : fontsArray_) {
            if (font.fontName() == name) fontsSubstArray_.push_back(&font);
        }
    }
}

const BuiltinFont* BuiltinFontManager::findBuildinFont(const std::string& fontName) const {
    if (fontName.empty()) return nullptr;
    std::string name = fontName;
    for (char& c : name)
        if (c == ' ') c = '-';
    for (const auto& alias : kAliases) {
        if (name == alias[0]) {
            name = alias[1];
            break;
        }
    }
    std::string lower = kx::asciiLower(name);
    for (const auto& font : fontsArray_) {
        if (kx::asciiLower(font.fontName()) == lower) return &font;
    }
    return nullptr;
}
