// KXMakeWordLineHeight: writes "word-line-height.plist", the table of Word's single-line metrics by
// font name, from the fonts installed on this machine. The build runs it, so the table always
// describes the fonts a conversion will find.
//
// For each installed face, under its lower-case full name, PostScript name, "family style" and, for
// a regular face, its family name:
//   "font-height-factor": the height Word gives one single-spaced line, per unit of font size: the
//     Windows ascent and descent of the OS/2 table plus the external leading that the horizontal
//     header's line gap adds beyond them (the header's own values for a program without OS/2);
//   "font-ascent-factor": such that height × factor is the distance from the line's top to the
//     bottom of the glyph box a PDF gives the text (its ascent and descent scaled to one unit of
//     size, the baseline matched with Word's); the external leading stands above the ascent.
// Exit status 0 on success, 1 on failure.

#include <cstdio>

#include <algorithm>
#include <string>

#include "platform/FontCatalog.h"
#include "platform/FontProgram.h"
#include "platform/Format.h"
#include "platform/PropertyList.h"
#include "platform/Unicode.h"

namespace {

struct Factors {
    double height = 0;
    double ascent = 0;
};

bool wordFactors(const kx::FontProgram& font, Factors& out) {
    const kx::FontProgram::LineMetrics& m = font.lineMetrics();
    const double em = font.unitsPerEm() > 0 ? font.unitsPerEm() : 1000;
    double ascent, descent, leading;
    const double headerSpan = static_cast<double>(m.hheaAscender) - m.hheaDescender;
    if (m.hasOS2 && m.winAscent + m.winDescent > 0) {
        ascent = m.winAscent;
        descent = m.winDescent;
        leading = std::max(0.0, m.hheaLineGap - ((ascent + descent) - headerSpan));
    } else {
        ascent = m.hheaAscender;
        descent = -static_cast<double>(m.hheaDescender);
        leading = std::max(0, m.hheaLineGap);
    }
    if (!(ascent + descent > 0)) return false;
    const double height = (ascent + descent + leading) / em;
    // The part of a PDF glyph box above the baseline.
    const double boxAscent = headerSpan > 0 ? m.hheaAscender / headerSpan : 0.8;
    const double blankTop = (ascent + leading) / em - boxAscent;  // per unit of size
    out.height = height;
    out.ascent = (blankTop + 1.0) / height;
    return true;
}

bool isRegularStyle(const std::string& style) {
    const std::string s = kx::asciiLower(style);
    return s == "regular" || s == "book" || s == "roman" || s == "normal" || s == "medium";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s path/to/word-line-height.plist\n", argv[0]);
        return 1;
    }
    kx::PlistValue table;
    table.type = kx::PlistValue::Type::Dictionary;
    for (const kx::InstalledFont& face : kx::FontCatalog::installedFonts()) {
        std::shared_ptr<const kx::FontProgram> font = kx::FontProgram::fromFile(face.file, face.index);
        Factors f;
        if (!font || !wordFactors(*font, f)) continue;
        kx::PlistValue entry;
        entry.type = kx::PlistValue::Type::Dictionary;
        auto text = [](double v) {
            kx::PlistValue s;
            s.type = kx::PlistValue::Type::String;
            s.string = kx::format("%.4f", v);
            return s;
        };
        entry.dictionary["font-height-factor"] = text(f.height);
        entry.dictionary["font-ascent-factor"] = text(f.ascent);
        std::vector<std::string> names{face.fullName, face.postScriptName, face.family + " " + face.style};
        if (isRegularStyle(face.style)) names.push_back(face.family);
        for (const std::string& name : names) {
            if (name.empty() || name == " ") continue;
            // The first face under a name keeps it (the catalogue lists faces in a fixed order).
            table.dictionary.emplace(kx::asciiLower(name), entry);
        }
    }
    if (!kx::writePropertyList(argv[1], table)) {
        std::fprintf(stderr, "Couldn't write the line-height table to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
