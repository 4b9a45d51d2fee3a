#include "fonts/KXFontBookFile_p.h"

#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "fonts/FontBookFiles.h"
#include "platform/FileSystem.h"
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

// Builds the catalogue while the file is read, without a tree of every value first (the file is
// read at the start of every conversion that looks a font name up). Families and faces whose value
// is not a dictionary are treated as a tree reader would see them: a family that is not a
// dictionary is left out, a face that is not one has empty names; the last of repeated keys wins.
class FontBookReader : public PlistVisitor {
public:
    KXFontBook book;

    void beginDictionary() override {
        if (levels_.size() == 1 && levels_[0] == 'd' && pendingFamily_) {
            family_ = &book[*pendingFamily_];
            pendingFamily_.reset();
        }
        levels_.push_back('d');
    }
    void beginArray() override {
        pendingFamily_.reset();
        levels_.push_back('a');
    }
    void endDictionary() override { end(); }
    void endArray() override { end(); }

    void key(std::string_view key) override {
        if (atLevel(1)) {
            book.erase(std::string(key));
            pendingFamily_ = std::string(key);
            family_ = nullptr;
        } else if (atLevel(2) && family_) {
            face_ = &(*family_)[std::string(key)];
            *face_ = KXFontBookFace();
        } else if (atLevel(3) && face_) {
            text_ = nullptr;
            metric_ = nullptr;
            if (key == kFullName) text_ = &face_->fullName;
            else if (key == kPostScriptName) text_ = &face_->postScriptName;
            else if (key == kWordName) text_ = &face_->wordName;
            else if (key == kFace) text_ = &face_->face;
            for (const auto& m : kMetrics)
                if (key == m.key) metric_ = &(face_->*m.field);
            if (text_) text_->clear();
            if (metric_) *metric_ = 0.0f;
        }
    }
    void string(std::string_view text) override {
        if (atLevel(3) && face_ && text_) text_->assign(text);
        pendingFamily_.reset();
    }
    void number(double value) override {
        if (atLevel(3) && face_ && metric_) *metric_ = static_cast<float>(value);
        pendingFamily_.reset();
    }
    void otherValue() override { pendingFamily_.reset(); }

private:
    // Inside `depth` dictionaries, from the root down.
    bool atLevel(size_t depth) const {
        if (levels_.size() != depth) return false;
        for (char c : levels_)
            if (c != 'd') return false;
        return true;
    }
    void end() {
        if (levels_.empty()) return;
        levels_.pop_back();
        if (levels_.size() < 2) {
            family_ = nullptr;
            face_ = nullptr;
        }
        if (levels_.size() < 3) text_ = nullptr, metric_ = nullptr;
    }

    std::vector<char> levels_;  // 'd' dictionary, 'a' array
    std::optional<std::string> pendingFamily_;
    std::map<std::string, KXFontBookFace>* family_ = nullptr;
    KXFontBookFace* face_ = nullptr;
    std::string* text_ = nullptr;
    float* metric_ = nullptr;
};

}  // namespace

std::optional<KXFontBook> readFontBookFile(const std::string& path) {
    FontBookReader reader;
    if (!visitPropertyList(path, reader)) return std::nullopt;
    return std::move(reader.book);
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

namespace kx {

std::string fullNamesPathBesideFontBook(const std::string& fontBookPath) {
    return pathJoin(pathDirectory(fontBookPath), detail::kFullNamesOutsideFontBookFileName);
}

bool writeInstalledFullNamesOutsideFontBook(const std::string& path) {
    return detail::writeFullNamesOutsideFontBookFile(path, KXPDFFontUtilities::GetFontBookInThisDevice());
}

}  // namespace kx
