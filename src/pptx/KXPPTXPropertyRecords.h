#pragma once
// The value records of a slide's text: text-body properties of a shape, paragraph properties and
// run properties, copied by value wherever they are kept, and the comparison that decides whether
// new text continues the last run. Their defaults come from KXPPTXUtilities.

#include <cstdint>
#include <optional>
#include <string>

struct KXPPTX_TxBodyPr {
    std::string warp;  // the wrap mode, written as "wrap"
    std::int32_t lIns = 0, tIns = 0, rIns = 0;
    char rtlCol = 0;
    std::string anchor;
};

struct KXPPTX_PPr_TabList {
    double pos = 0;  // points
    std::string algn;
};

struct KXPPTX_PPr_EndParaRPr {
    std::string lang, altLang;
};

struct KXPPTX_PPr {
    double marL = 0;   // left margin, points
    double lnSpc = 0;  // line spacing, points
    KXPPTX_PPr_TabList tabList;
    std::string algn;
    KXPPTX_PPr_EndParaRPr endParaRPr;
};

struct KXPPTX_RunPr_Font {
    std::string typeface, typeface_replace, pitchFamily, charset;
};

struct KXPPTX_RunPr {
    std::string lang, altLang;
    float sz = 0;  // points
    char b = 0, i = 0, dirty = 0, smtClean = 0;
    std::optional<std::string> rgbColor;  // hexadecimal RGB, a leading "#" allowed
    KXPPTX_RunPr_Font latin, cs;
};

// True when the two records agree in language, size, flags, colour and both fonts (typeface,
// pitch family, character set), bold and italic included. A first record without a colour is
// unequal to any record. The replacement typefaces are not compared.
bool KXPPTXRunPrIsEqual(const KXPPTX_RunPr& a, const KXPPTX_RunPr& b);
