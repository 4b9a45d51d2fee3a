#include "pdf/state/KXPDFExtGState.h"

#include <string_view>

namespace {

constexpr std::pair<std::string_view, int> kBlendModes[] = {
    {"Normal", 0},      {"Compatible", 0}, {"Multiply", 1},    {"Screen", 2},      {"Overlay", 3},
    {"Darken", 4},      {"Lighten", 5},    {"ColorDodge", 6},  {"ColorBurn", 7},   {"HardLight", 8},
    {"SoftLight", 9},   {"Difference", 10}, {"Exclusion", 11}, {"Hue", 12},        {"Saturation", 13},
    {"Color", 14},      {"Luminosity", 15},
};

std::optional<int> blendModeOfName(std::string_view name) {
    for (auto& [n, v] : kBlendModes)
        if (n == name) return v;
    return std::nullopt;
}

std::vector<double> numbersOf(const kx::PDFObject& array) {
    std::vector<double> out;
    for (size_t i = 0; i < array.arrayCount(); ++i) {
        double v = 0;
        if (array.arrayAt(i).getNumber(v)) out.push_back(v);
    }
    return out;
}

// A soft-mask group is kept when it is a stream the XObject reader accepts.
bool isXObjectStream(const kx::PDFObject& o) {
    if (!o.isStream()) return false;
    kx::PDFObject subtype = o.streamDictionary().dictGet("Subtype");
    return subtype.isName("Image") || subtype.isName("Form") || subtype.isName("PS");
}

}  // namespace

std::optional<double> KXPDFExtGStateValue::number() const {
    if (auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
    if (auto* d = std::get_if<double>(&value)) return *d;
    if (auto* b = std::get_if<bool>(&value)) return *b ? 1.0 : 0.0;
    return std::nullopt;
}

std::optional<bool> KXPDFExtGStateValue::boolean() const {
    if (auto* b = std::get_if<bool>(&value)) return *b;
    if (auto n = number()) return *n != 0;
    return std::nullopt;
}

std::optional<int> KXPDFExtGState::parseBlendMode(const kx::PDFObject& object) {
    if (object.isName()) return blendModeOfName(object.name());
    if (!object.isArray()) return std::nullopt;
    for (size_t i = 0; i < object.arrayCount(); ++i) {
        kx::PDFObject e = object.arrayAt(i);
        if (!e.isName()) return std::nullopt;
        if (auto v = blendModeOfName(e.name())) return v;
    }
    return 0;
}

KXPDFExtGState::KXPDFExtGState(const kx::PDFObject& dict, std::string objectKey) : objectKey_(std::move(objectKey)) {
    if (!dict.isDictionary()) return;
    auto& map = gStateValue_;
    auto putNumber = [&](const char* key) {
        double v = 0;
        if (dict.dictGet(key).getNumber(v)) map[key] = {v};
    };
    auto putInteger = [&](const char* key) {
        std::int64_t v = 0;
        if (dict.dictGet(key).getInteger(v)) map[key] = {v};
    };
    auto putBoolean = [&](const char* key) {
        bool v = false;
        if (dict.dictGet(key).getBoolean(v)) map[key] = {v};
    };

    putNumber("LW");
    putInteger("LC");
    putInteger("LJ");
    putNumber("ML");
    // [dashArray dashPhase]: the array is kept, the phase is not.
    if (kx::PDFObject d = dict.dictGet("D"); d.isArray() && d.arrayAt(0).isArray())
        map["D"] = {numbersOf(d.arrayAt(0))};
    if (kx::PDFObject ri = dict.dictGet("RI"); ri.isName()) map["RI"] = {ri.name()};
    if (kx::PDFObject bm = dict.dictGet("BM"); !bm.isNull()) {
        if (auto mode = parseBlendMode(bm)) map["BM"] = {static_cast<std::int64_t>(*mode)};
    }
    putNumber("CA");
    putNumber("ca");
    putBoolean("AIS");
    putBoolean("op");
    putBoolean("OP");
    putInteger("OPM");
    putBoolean("SA");

    kx::PDFObject smask = dict.dictGet("SMask");
    if (!smask.isNull()) {
        bool have = false;
        if (smask.isName()) {
            map["SMask-Name"] = {smask.name()};
        } else if (smask.isStream()) {
            have = true;
            if (isXObjectStream(smask)) map["SMask-XObject-" + objectKey_] = {smask};
        } else if (smask.isDictionary()) {
            have = true;
            if (kx::PDFObject g = smask.dictGet("G"); isXObjectStream(g)) map["SMask-XObject-" + objectKey_] = {g};
            if (kx::PDFObject s = smask.dictGet("S"); s.isName()) map["SMask-S"] = {s.name()};
            if (kx::PDFObject bc = smask.dictGet("BC"); bc.isArray()) map["SMask-BC"] = {numbersOf(bc)};
        }
        map["SMask-haveSoftMask"] = {have};
    }

    if (kx::PDFObject font = dict.dictGet("Font"); font.isArray()) {
        KXPDFExtGStateFont f;
        double size = 0;
        if (font.arrayAt(1).getNumber(size)) f.size = size;
        if (font.arrayAt(0).isName()) f.name = font.arrayAt(0).name();
        map["Font"] = {f};
    }
}
