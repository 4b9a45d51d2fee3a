#include "fonts/KXPDFFontUtilities.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "fonts/KXFontBookFile_p.h"
#include "fonts/KXFontSupport_p.h"
#include "platform/FontCatalog.h"
#include "platform/FontProgram.h"
#include "platform/PropertyList.h"
#include "platform/Unicode.h"

namespace {

std::string normalised(std::string_view name, std::string_view drop) {
    std::string key;
    key.reserve(name.size());
    for (char c : name) {
        if (drop.find(c) != std::string_view::npos) continue;
        key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return key;
}

// Face keys drop "+", "-", " ", "," and "."; family keys keep the "+".
std::string faceKey(std::string_view name) { return normalised(name, "+- ,."); }
std::string familyKey(std::string_view name) { return normalised(name, "- ,."); }

bool containsAny(std::string_view lower, std::initializer_list<std::string_view> words) {
    for (auto word : words)
        if (lower.find(word) != std::string_view::npos) return true;
    return false;
}

// The catalogue with its match keys worked out once.
struct BookIndex {
    struct Face {
        std::string full, word, postScript;  // face keys
        const KXFontBookFace* face;
    };
    struct Family {
        std::string key;
        const std::string* name;
        std::vector<Face> faces;
    };
    std::vector<Family> families;

    explicit BookIndex(const KXFontBook& book) {
        for (const auto& [name, faces] : book) {
            Family family{familyKey(name), &name, {}};
            for (const auto& [ps, face] : faces)
                family.faces.push_back({faceKey(face.fullName), faceKey(face.wordName), faceKey(face.postScriptName), &face});
            families.push_back(std::move(family));
        }
    }

    const KXFontBookFace* matchFace(const Family& family, const std::string& key) const {
        for (const auto& face : family.faces)
            if (face.full == key || face.word == key || face.postScript == key) return face.face;
        return nullptr;
    }
};

const kx::detail::ChosenFontBook& chosenFontBook() {
    // The catalogue does not change while the program runs: it is read once.
    static const kx::detail::ChosenFontBook chosen = kx::detail::chooseFontBook(
        kx::detail::parserResourcePath("FontBook.plist"), &KXPDFFontUtilities::GetFontBookInThisDevice);
    return chosen;
}

const BookIndex& bookIndex() {
    static const BookIndex index(KXPDFFontUtilities::GetFontBook());
    return index;
}

// The faces of a prepared catalogue by PostScript name and by full name (the first face in the
// catalogue's order wins), so that the questions about installed names are answered without
// starting the system's font configuration.
struct InstalledNames {
    std::unordered_map<std::string, const KXFontBookFace*> byPostScriptName, byFullName;

    std::unordered_set<std::string> otherFullNames;

    InstalledNames(const KXFontBook& book, std::optional<std::vector<std::string>> outsideBook) {
        for (const auto& [family, faces] : book)
            for (const auto& [ps, face] : faces) {
                if (!face.postScriptName.empty()) byPostScriptName.emplace(face.postScriptName, &face);
                if (!face.fullName.empty()) byFullName.emplace(face.fullName, &face);
            }
        if (outsideBook)
            for (auto& name : *outsideBook) otherFullNames.insert(std::move(name));
    }

    // Whether a face has that PostScript (else full) name; `fullName` receives its full name.
    bool find(const std::string& name, std::string* fullName) const {
        const KXFontBookFace* face = nullptr;
        if (auto it = byPostScriptName.find(name); it != byPostScriptName.end()) face = it->second;
        else if (auto it = byFullName.find(name); it != byFullName.end()) face = it->second;
        if (face) {
            if (fullName) *fullName = face->fullName;
            return true;
        }
        if (!otherFullNames.count(name)) return false;
        if (fullName) *fullName = name;
        return true;
    }
};

// The installed face of that PostScript (else full) name: from the prepared catalogue when one was
// taken, else from the system's list. `fullName` receives its full name.
bool findInstalledName(const std::string& name, std::string* fullName) {
    if (name.empty()) return false;
    const auto& chosen = chosenFontBook();
    if (chosen.fromFile) {
        static const InstalledNames names = [&] {
            auto path = kx::detail::parserResourcePath(kx::detail::kFullNamesOutsideFontBookFileName);
            return InstalledNames(chosen.book, path ? kx::detail::readFullNamesOutsideFontBookFile(*path) : std::nullopt);
        }();
        return names.find(name, fullName);
    }
    auto font = kx::FontCatalog::findFont(name);
    if (font && fullName) *fullName = font->fullName;
    return font.has_value();
}

// Installed fonts loaded for measuring, by name.
std::shared_ptr<const kx::FontProgram> installedProgram(const std::string& name) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::shared_ptr<const kx::FontProgram>> programs;
    std::lock_guard lock(mutex);
    auto it = programs.find(name);
    if (it != programs.end()) return it->second;
    std::shared_ptr<const kx::FontProgram> program;
    if (auto font = kx::FontCatalog::findFont(name)) program = kx::FontProgram::fromFile(font->file, font->index);
    programs.emplace(name, program);
    return program;
}

double scaled(long units, const kx::FontProgram* font, double fontSize) {
    return static_cast<double>(units) * fontSize / font->unitsPerEm();
}

}  // namespace

std::string KXPDFFontUtilities::FontNameInComputer(const std::string& name) {
    std::string key = faceKey(name);
    if (key.empty()) return {};
    const BookIndex& index = bookIndex();
    for (const auto& family : index.families)
        if (const KXFontBookFace* face = index.matchFace(family, key)) return face->fullName;
    return {};
}

std::string KXPDFFontUtilities::FamilyNameInComputer(const std::string& name) {
    std::string key = familyKey(name);
    if (key.empty()) return {};
    std::string asFace = faceKey(name);
    const BookIndex& index = bookIndex();
    for (const auto& family : index.families) {
        if (family.key == key) return *family.name;
        if (const KXFontBookFace* face = index.matchFace(family, asFace)) return face->fullName;
    }
    return {};
}

std::string KXPDFFontUtilities::FamilyNameCut(const std::string& name) {
    for (std::string_view separator : {"-", ",", "+.", "+"}) {
        auto pos = name.find(separator);
        if (pos != std::string::npos) return name.substr(0, pos);
    }
    return name;
}

std::string KXPDFFontUtilities::ReplaceFontNameInFontBook(const std::string& name) {
    if (name.empty()) return {};
    const auto& list = GetFontBook_Replace();
    if (!list || list->empty()) return {};
    std::string lower = kx::asciiLower(name);
    if (lower.find("null") != std::string::npos) return {};
    for (const auto& [replacement, words] : *list) {
        for (const auto& word : words) {
            if (word == name) return replacement;
            std::string lowerWord = kx::asciiLower(word);
            if (!lowerWord.empty() && lower.find(lowerWord) != std::string::npos) return replacement;
        }
    }
    return {};
}

bool KXPDFFontUtilities::SystemFontNameIsExist(const std::string& name) { return findInstalledName(name, nullptr); }

std::string KXPDFFontUtilities::SystemFontFullNameForFontName(const std::string& name) {
    std::string fullName;
    findInstalledName(name, &fullName);
    return fullName;
}

bool KXPDFFontUtilities::isBoldFontName(std::string_view name) {
    if (name.empty()) return false;
    std::string lower = kx::asciiLower(name);
    return containsAny(lower, {"bold", "-bd", "-md", ".b", "medium", "-w7", "-w8", "-w9", "-w10", "-w12", "heavy",
                               "black", "-blk"});
}

bool KXPDFFontUtilities::isItalicFontName(std::string_view name) {
    if (name.empty()) return false;
    std::string lower = kx::asciiLower(name);
    return containsAny(lower, {"italic", ".i", "blackadderitc", "cmti", "oblique", "-lightit", "-mediumit", "-blackit",
                               "-blackobl", "-heavyit", "-boldit", "-boldobl", "-ltobl", "-bdit", "-blkit", "-hvit"});
}

const KXFontBook& KXPDFFontUtilities::GetFontBook() { return chosenFontBook().book; }

std::optional<KXFontBook> KXPDFFontUtilities::GetFontBookInMyBundlePlist() {
    auto path = kx::detail::parserResourcePath("FontBook.plist");
    if (!path) return std::nullopt;
    return kx::detail::readFontBookFile(*path);
}

bool KXPDFFontUtilities::CreateFontBookAtPath(const std::string& path) {
    return kx::detail::writeFontBookFile(path, GetFontBookInThisDevice());
}

const KXFontBook& KXPDFFontUtilities::GetFontBookInThisDevice() {
    // The face metrics stay 0 here: nothing reads them, and loading every installed program to fill
    // them would cost a noticeable part of a second on the first match.
    static const KXFontBook book = [] {
        KXFontBook device;
        for (const auto& font : kx::FontCatalog::installedFonts()) {
            KXFontBookFace face;
            face.fullName = font.fullName;
            face.postScriptName = font.postScriptName;
            face.face = font.style;
            if (font.style.empty()) face.wordName = font.fullName;
            else if (font.style == font.family) face.wordName = font.family;
            else face.wordName = font.family + " " + font.style;
            std::string key = font.postScriptName.empty() ? font.fullName : font.postScriptName;
            device[font.family].emplace(key, std::move(face));
        }
        return device;
    }();
    return book;
}

const std::optional<KXFontReplaceList>& KXPDFFontUtilities::GetFontBook_Replace() {
    static const std::optional<KXFontReplaceList> list = []() -> std::optional<KXFontReplaceList> {
        auto path = kx::detail::parserResourcePath("FontBook_Replace.plist");
        if (!path) return std::nullopt;
        auto root = kx::readPropertyList(*path);
        if (!root || root->type != kx::PlistValue::Type::Dictionary) return std::nullopt;
        KXFontReplaceList replace;
        for (const auto& [font, words] : root->dictionary) {
            if (words.type != kx::PlistValue::Type::Array) continue;
            auto& out = replace[font];
            for (const auto& word : words.array)
                if (word.type == kx::PlistValue::Type::String) out.push_back(word.string);
        }
        return replace;
    }();
    return list;
}

double KXPDFFontUtilities::CGFontWidthOfGlyphs(const kx::FontProgram* font, double fontSize,
                                               const std::uint16_t* glyphs, size_t length) {
    if (!font || !glyphs) return 0;
    long total = 0;
    for (size_t i = 0; i < length; ++i) total += font->glyphAdvance(glyphs[i]).value_or(0);
    return scaled(total, font, fontSize);
}

namespace {

// The glyphs of UTF-16 text (pairs joined); false when a character has no glyph.
bool glyphsForText(const kx::FontProgram* font, std::u16string_view text, std::vector<std::uint16_t>& glyphs) {
    for (size_t i = 0; i < text.size();) {
        char32_t c = kx::nextCodePoint(text, i);
        std::uint32_t glyph = font->glyphForCharacter(c);
        if (glyph == 0 || glyph > 0xFFFF) return false;
        glyphs.push_back(static_cast<std::uint16_t>(glyph));
    }
    return true;
}

}  // namespace

double KXPDFFontUtilities::CGFontWidthOfCharacters(const kx::FontProgram* font, double fontSize,
                                                   const char16_t* characters, size_t length) {
    if (!font || !characters) return 0;
    std::vector<std::uint16_t> glyphs;
    if (!glyphsForText(font, std::u16string_view(characters, length), glyphs)) return 0;
    return CGFontWidthOfGlyphs(font, fontSize, glyphs.data(), glyphs.size());
}

double KXPDFFontUtilities::CGFontWidthOfGlyphCode(const kx::FontProgram* font, double fontSize, std::uint16_t glyph) {
    return CGFontWidthOfGlyphs(font, fontSize, &glyph, 1);
}

double KXPDFFontUtilities::CGFontWidthOfCharCode(const kx::FontProgram* font, double fontSize, char16_t character) {
    return CGFontWidthOfCharacters(font, fontSize, &character, 1);
}

double KXPDFFontUtilities::CGFontWidthOfString(const kx::FontProgram* font, double fontSize, std::u16string_view text) {
    return CGFontWidthOfCharacters(font, fontSize, text.data(), text.size());
}

kx::Size KXPDFFontUtilities::CGFontSizeOfString(const kx::FontProgram* font, double fontSize, std::u16string_view text) {
    if (!font) return {};
    return {CGFontWidthOfString(font, fontSize, text), scaled(font->capHeight(), font, fontSize)};
}

bool KXPDFFontUtilities::CGFontIsExistGlyphs(const kx::FontProgram* font, const std::uint16_t* glyphs, size_t length) {
    if (!font || !glyphs) return false;
    for (size_t i = 0; i < length; ++i)
        if (font->glyphAdvance(glyphs[i]).value_or(0) < 1) return false;
    return true;
}

bool KXPDFFontUtilities::CGFontIsExistCharacters(const kx::FontProgram* font, const char16_t* characters,
                                                 size_t length) {
    if (!font || !characters) return false;
    std::vector<std::uint16_t> glyphs;
    if (!glyphsForText(font, std::u16string_view(characters, length), glyphs)) return false;
    return CGFontIsExistGlyphs(font, glyphs.data(), glyphs.size());
}

bool KXPDFFontUtilities::CGFontIsExistGlyphCode(const kx::FontProgram* font, std::uint16_t glyph) {
    return CGFontIsExistGlyphs(font, &glyph, 1);
}

bool KXPDFFontUtilities::CGFontIsExistCharCode(const kx::FontProgram* font, char16_t character) {
    return CGFontIsExistCharacters(font, &character, 1);
}

bool KXPDFFontUtilities::CGFontIsExistString(const kx::FontProgram* font, std::u16string_view text) {
    return CGFontIsExistCharacters(font, text.data(), text.size());
}

bool KXPDFFontUtilities::CGFontIsEqualCGFont(const kx::FontProgram* font, const kx::FontProgram* other) {
    if (!font || !other) return false;
    return font->ascent() == other->ascent() && font->descent() == other->descent() &&
           font->stemV() == other->stemV() && font->italicAngle() == other->italicAngle() &&
           font->capHeight() == other->capHeight() && font->xHeight() == other->xHeight() &&
           font->unitsPerEm() == other->unitsPerEm();
}

double KXPDFFontUtilities::SystemFontNameWidthOfString(const std::string& name, double fontSize,
                                                       std::u16string_view text) {
    auto program = installedProgram(name);
    return CGFontWidthOfString(program.get(), fontSize, text);
}

kx::Size KXPDFFontUtilities::SystemFontNameSizeOfString(const std::string& name, double fontSize,
                                                        std::u16string_view text) {
    auto program = installedProgram(name);
    return CGFontSizeOfString(program.get(), fontSize, text);
}

bool KXPDFFontUtilities::SystemFontNameIsExistString(const std::string& name, std::u16string_view text) {
    auto program = installedProgram(name);
    return CGFontIsExistString(program.get(), text);
}
