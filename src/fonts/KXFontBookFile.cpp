#include "fonts/KXFontBookFile_p.h"

#include <set>

#include "platform/FontCatalog.h"
#include "platform/PropertyList.h"

namespace kx::detail {

namespace {

// Face record keys, as the catalogue file spells them.
constexpr const char* kFullName = "Full name";
constexpr const char* kPostScriptName = "PostScript name";
constexpr const char* kWordName = "Word name";
constexpr const char* kFace = "face";

struct Metric {
    const char* key;
    float KXFontBookFace::*field;
};
constexpr Metric kMetrics[] = {
    {"ascender", &KXFontBookFace::ascender},   {"descender", &KXFontBookFace::descender},
    {"leading", &KXFontBookFace::leading},     {"capHeight", &KXFontBookFace::capHeight},
    {"italicAngle", &KXFontBookFace::italicAngle}, {"xHeight", &KXFontBookFace::xHeight},
};

PlistValue stringValue(const std::string& text) {
    PlistValue v;
    v.type = PlistValue::Type::String;
    v.string = text;
    return v;
}

KXFontBook bookFromPlist(PlistValue& root) {
    KXFontBook book;
    if (root.type != PlistValue::Type::Dictionary) return book;
    for (auto& [family, faces] : root.dictionary) {
        if (faces.type != PlistValue::Type::Dictionary) continue;
        auto& out = book.emplace_hint(book.end(), family, std::map<std::string, KXFontBookFace>())->second;
        for (auto& [psName, record] : faces.dictionary) {
            KXFontBookFace face;
            auto text = [&](const char* key) {
                auto it = record.dictionary.find(key);
                if (it == record.dictionary.end() || it->second.type != PlistValue::Type::String) return std::string();
                return std::move(it->second.string);
            };
            face.fullName = text(kFullName);
            face.postScriptName = text(kPostScriptName);
            face.wordName = text(kWordName);
            face.face = text(kFace);
            for (const auto& metric : kMetrics) {
                const PlistValue* v = record.find(metric.key);
                face.*metric.field = v ? static_cast<float>(v->number()) : 0.0f;
            }
            out.emplace_hint(out.end(), psName, std::move(face));
        }
    }
    return book;
}

}  // namespace

std::optional<KXFontBook> readFontBookFile(const std::string& path) {
    auto root = readPropertyList(path);
    if (!root) return std::nullopt;
    return bookFromPlist(*root);
}

bool writeFontBookFile(const std::string& path, const KXFontBook& book) {
    PlistValue root;
    root.type = PlistValue::Type::Dictionary;
    for (const auto& [family, faces] : book) {
        PlistValue& familyValue = root.dictionary[family];
        familyValue.type = PlistValue::Type::Dictionary;
        for (const auto& [psName, face] : faces) {
            PlistValue& record = familyValue.dictionary[psName];
            record.type = PlistValue::Type::Dictionary;
            record.dictionary[kFullName] = stringValue(face.fullName);
            record.dictionary[kPostScriptName] = stringValue(face.postScriptName);
            record.dictionary[kWordName] = stringValue(face.wordName);
            record.dictionary[kFace] = stringValue(face.face);
            for (const auto& metric : kMetrics) {
                PlistValue& number = record.dictionary[metric.key];
                number.type = PlistValue::Type::Real;
                number.real = face.*metric.field;
            }
        }
    }
    return writePropertyList(path, root);
}

bool writeFullNamesOutsideFontBookFile(const std::string& path, const KXFontBook& book) {
    std::set<std::string> inBook;
    for (const auto& [family, faces] : book)
        for (const auto& [ps, face] : faces) inBook.insert(face.fullName);
    PlistValue root;
    root.type = PlistValue::Type::Array;
    std::set<std::string> listed;
    for (const auto& font : FontCatalog::installedFonts())
        if (!font.fullName.empty() && !inBook.count(font.fullName) && listed.insert(font.fullName).second)
            root.array.push_back(stringValue(font.fullName));
    return writePropertyList(path, root);
}

std::optional<std::vector<std::string>> readFullNamesOutsideFontBookFile(const std::string& path) {
    auto root = readPropertyList(path);
    if (!root || root->type != PlistValue::Type::Array) return std::nullopt;
    std::vector<std::string> names;
    for (auto& item : root->array)
        if (item.type == PlistValue::Type::String) names.push_back(std::move(item.string));
    return names;
}

ChosenFontBook chooseFontBook(const std::optional<std::string>& path, const std::function<const KXFontBook&()>& live) {
    if (path) {
        if (auto book = readFontBookFile(*path); book && !book->empty()) return {std::move(*book), true};
    }
    return {live(), false};
}

}  // namespace kx::detail
