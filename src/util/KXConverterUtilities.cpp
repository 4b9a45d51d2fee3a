#include "util/KXConverterUtilities.h"

#include <algorithm>
#include <map>
#include <memory>
#include <random>

#include "platform/FontCatalog.h"
#include "platform/FontProgram.h"
#include "platform/TextBreaks.h"
#include "platform/Unicode.h"

bool KXConverterUtilities::isBlankString(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        char32_t c = kx::nextCodePoint(text, i);
        if (!kx::isWhitespaceOrNewline(c) && !kx::isControlCharacter(c)) return false;
    }
    return true;
}

namespace {

// Installed fonts by the name asked for, loaded once per thread (missing ones are remembered too).
// Per thread, not per process: a conversion runs on a thread of its own, and these caches are gone
// before the font library is shut down at exit.
std::shared_ptr<const kx::FontProgram> installedFont(const std::string& name) {
    thread_local std::map<std::string, std::shared_ptr<const kx::FontProgram>> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    std::optional<kx::InstalledFont> face = kx::FontCatalog::findFont(name);
    if (!face) {
        std::vector<kx::InstalledFont> faces = kx::FontCatalog::facesOfFamily(name);
        auto regular = std::find_if(faces.begin(), faces.end(), [](const kx::InstalledFont& f) {
            return f.style == "Regular" || f.style == "Book" || f.style == "Roman";
        });
        if (regular != faces.end())
            face = *regular;
        else if (!faces.empty())
            face = faces.front();
    }
    std::shared_ptr<const kx::FontProgram> program = face ? kx::FontProgram::fromFile(face->file, face->index) : nullptr;
    if (cache.size() > 64) cache.clear();
    cache.emplace(name, program);
    return program;
}

bool isLineBreak(char32_t c) { return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029; }

}  // namespace

double KXConverterUtilities::TextWidth(std::u16string_view text, const std::string& fontName, double fontSize,
                                       double /*maxHeight*/) {
    if (fontName.empty()) return 0;
    std::shared_ptr<const kx::FontProgram> font = installedFont(fontName);
    if (!font || font->unitsPerEm() <= 0) return 0;
    const int missingAdvance = font->glyphAdvance(0).value_or(font->unitsPerEm() / 2);
    double widest = 0, line = 0;
    size_t i = 0;
    while (i < text.size()) {
        char32_t c = kx::nextCodePoint(text, i);
        if (isLineBreak(c)) {
            widest = std::max(widest, line);
            line = 0;
            continue;
        }
        std::uint32_t glyph = font->glyphForCharacter(c);
        line += glyph ? font->glyphAdvance(glyph).value_or(missingAdvance) : missingAdvance;
    }
    widest = std::max(widest, line);
    return widest * fontSize / font->unitsPerEm();
}

std::vector<std::u16string> KXConverterUtilities::ComponentsSeparatedByWords(std::u16string_view text) {
    if (!IsFullWidthCharacter(text)) return kx::wordsOf(text);
    return kx::composedCharactersOf(text);
}

bool KXConverterUtilities::IsFullWidthCharacter(std::u16string_view text) {
    if (text.empty()) return false;
    return text[0] >= 0x80;
}

float KXConverterUtilities::String(std::u16string_view s1, std::u16string_view s2) {
    if (s2.empty()) return static_cast<float>(s1.size());
    if (s1.empty()) return static_cast<float>(s2.size());
    // The usual edit-distance table, kept two rows at a time: paragraph texts can be long.
    std::vector<size_t> prev(s2.size() + 1), cur(s2.size() + 1);
    for (size_t j = 0; j <= s2.size(); ++j) prev[j] = j;
    for (size_t i = 1; i <= s1.size(); ++i) {
        cur[0] = i;
        for (size_t j = 1; j <= s2.size(); ++j) {
            size_t substitute = prev[j - 1] + (s1[i - 1] == s2[j - 1] ? 0 : 1);
            cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, substitute});
        }
        std::swap(prev, cur);
    }
    double d = static_cast<double>(prev[s2.size()]);
    return static_cast<float>(100.0 - d * 100.0 / static_cast<double>(s1.size()));
}

std::string KXConverterUtilities::Random4BigLetter() {
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<int> letter('A', 'Z');
    std::string s(4, 'A');
    for (char& c : s) c = static_cast<char>(letter(engine));
    return s;
}

double KXConverterUtilities::PecentAreaOfIntersectRect(const kx::Rect& r, const kx::Rect& t) {
    kx::Rect i = r.intersection(t);
    if (i.isNull() || !(i.size.width > 0 && i.size.height > 0)) return 0;
    kx::Rect s = r.standardized();
    return (i.size.width * i.size.height) / (s.size.width * s.size.height);
}

double KXConverterUtilities::WidthOfNoneIntersectRect(const kx::Rect& r, const kx::Rect& t) {
    kx::Rect i = r.intersection(t);
    if (i.isNull() || !(i.size.width > 0 && i.size.height > 0)) return 0;
    return r.width() - i.size.width;
}
