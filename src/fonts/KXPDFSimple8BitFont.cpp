#include "fonts/KXPDFSimple8BitFont.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "fonts/BuiltinFontManager.h"
#include "fonts/KXFontSupport_p.h"
#include "fonts/KXFontTables_p.h"
#include "fonts/KXPDFCharCodeToUnicode.h"
#include "fonts/KXPDFFontCharProc.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "platform/FontProgram.h"
#include "platform/Numeric.h"
#include "platform/Unicode.h"

namespace {

// The byte decoded in the character set; 0 when the set gives nothing for it.
char16_t decodeByte(KXStringEncoding encoding, unsigned char b) {
    switch (encoding) {
    case KXStringEncoding::ASCII:
        return b < 0x80 ? b : 0;
    case KXStringEncoding::MacOSRoman:
        return b < 0x80 ? b : kx::detail::kMacRomanUpper[b - 0x80];
    case KXStringEncoding::WindowsLatin1:
        return b < 0x80 ? b : kx::detail::kWinAnsiUpper[b - 0x80];
    case KXStringEncoding::ByteValue:
    case KXStringEncoding::None:
        return 0;
    }
    return 0;
}

int copyUnits(const std::u16string& text, std::uint32_t* u, int uSize) {
    int n = std::min(static_cast<int>(text.size()), uSize);
    for (int i = 0; i < n; ++i) u[i] = text[static_cast<size_t>(i)];
    return n;
}

}  // namespace

KXPDFSimple8BitFont::KXPDFSimple8BitFont() = default;
KXPDFSimple8BitFont::KXPDFSimple8BitFont(const KXPDFSimple8BitFont& other) = default;
KXPDFSimple8BitFont::~KXPDFSimple8BitFont() = default;

std::unique_ptr<KXPDFFont> KXPDFSimple8BitFont::clone() const { return std::make_unique<KXPDFSimple8BitFont>(*this); }

bool KXPDFSimple8BitFont::initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) {
    objectKey_ = objectKey;
    setBuiltinFontWithFontDictionary(dict);
    setFontDescriptorWithFontDictionary(dict);
    setSubtypeBaseFontName(dict);
    setCharProcsWithCharProcsArray(dict.dictGet("CharProcs"));
    setEncodingWithFontDictionary(dict);
    encodingNamed_ = stringEncoding_ != KXStringEncoding::None;
    if (stringEncoding_ == KXStringEncoding::None) {
        if (defaultsToWinAnsi()) {
            stringEncoding_ = KXStringEncoding::WindowsLatin1;
            fontEncodingName_ = "WinAnsiEncoding";
        } else {
            stringEncoding_ = KXStringEncoding::ASCII;
            fontEncodingName_ = "StandardEncoding";
        }
        setBuiltinEncoding();
    }
    resolveNumberedGlyphNames();
    setWidthsWithFontDictionary(dict);
    if (!setToUnicodeWithFontDictionary(dict, 8)) return false;
    updateFontSystemReplaceName();
    updateBankSpaceWidth();
    return true;
}

void KXPDFSimple8BitFont::setCharProcsWithCharProcsArray(const kx::PDFObject& charProcs) {
    type3_charProcs_.clear();
    if (!charProcs.isDictionary()) return;
    for (size_t i = 0; i < charProcs.dictCount(); ++i) {
        kx::PDFObject value = charProcs.dictValueAt(i);
        std::string key = charProcs.dictKeyAt(i);
        std::string text;
        if (value.isStream()) type3_charProcs_.emplace(key, std::make_shared<const KXPDFFontCharProc>(value));
        else if (value.isString()) type3_charProcs_.emplace(key, kx::utf16ToUtf8(value.textString()));
        else if (value.getName(text)) type3_charProcs_.emplace(key, text);
    }
}

const KXPDFFontCharProc* KXPDFSimple8BitFont::charProcForKey(const std::string& key) const {
    auto it = type3_charProcs_.find(key);
    if (it == type3_charProcs_.end()) return nullptr;
    auto* proc = std::get_if<std::shared_ptr<const KXPDFFontCharProc>>(&it->second);
    return proc ? proc->get() : nullptr;
}

void KXPDFSimple8BitFont::setEncodingWithFontDictionary(const kx::PDFObject& dict) {
    setEncodingWithEncodingObject(dict.dictGet("Encoding"));
}

void KXPDFSimple8BitFont::setEncodingWithEncodingObject(const kx::PDFObject& encoding) {
    differences_.reset();
    textlessCodes_.reset();
    std::string name;
    if (encoding.getName(name)) {
        fontEncodingName_ = name;
        if (name == "MacRomanEncoding" || name == "MacExpertEncoding") stringEncoding_ = KXStringEncoding::MacOSRoman;
        else if (name == "WinAnsiEncoding") stringEncoding_ = KXStringEncoding::WindowsLatin1;
        else if (name == "PDFDocEncoding") stringEncoding_ = KXStringEncoding::ByteValue;
        else stringEncoding_ = KXStringEncoding::ASCII;
    } else if (encoding.isDictionary()) {
        kx::PDFObject base = encoding.dictGet("BaseEncoding");
        if (!base.isNull()) setEncodingWithEncodingObject(base);
        kx::PDFObject differences = encoding.dictGet("Differences");
        if (differences.isArray()) setDifferencesWithDifferencesArray(differences);
    }
}

void KXPDFSimple8BitFont::setDifferencesWithDifferencesArray(const kx::PDFObject& array) {
    std::map<int, std::u16string> texts;
    differenceNames_.clear();
    std::int64_t code = 0;
    for (size_t i = 0; i < array.arrayCount(); ++i) {
        kx::PDFObject element = array.arrayAt(i);
        std::int64_t number = 0;
        std::string name;
        if (element.getInteger(number)) {
            code = number;
        } else if (element.getName(name)) {
            if (code >= 0 && code < 256) {
                // A name the glyph-name rules do not map is no text: written as it stands it put
                // "one.os" where a 1 is shown (resolveNumberedGlyphNames decides what it shows).
                std::u16string text = kx::detail::textOfGlyphName(name);
                if (!text.empty()) texts[static_cast<int>(code)] = std::move(text);
                else texts.erase(static_cast<int>(code));
                differenceNames_[static_cast<int>(code)] = std::move(name);
            }
            ++code;
        }
    }
    if (!texts.empty()) differences_ = std::move(texts);
}

double KXPDFSimple8BitFont::widthScale(const kx::PDFObject&) const { return 0.001; }

void KXPDFSimple8BitFont::setWidthsWithFontDictionary(const kx::PDFObject& dict) {
    charWidths_.fill(fontDescriptor_ ? fontDescriptor_->missingWidth() : 0.0);

    auto fillFrom = [&](const BuiltinFont& font, int lastCode) {
        const BuiltinFontWidths* widths = font.fontWidths();
        std::uint16_t w = 0;
        if (widths->widthOfSpace(&w)) charWidths_[32] = w * 0.001;
        for (int code = 0; code <= lastCode; ++code) {
            if (widths->getString(glyphNameForWidth(code), &w)) charWidths_[static_cast<size_t>(code)] = w * 0.001;
        }
    };
    if (builtinFont_) fillFrom(*builtinFont_, 319);

    kx::PDFObject widths = dict.dictGet("Widths");
    if (!widths.isArray()) {
        if (builtinFont_) return;
        int index = 0;
        if (fontDescriptor_) {
            index = fontDescriptor_->isFixedWidth() ? 0 : fontDescriptor_->isSerif() ? 8 : 4;
            if (fontDescriptor_->isBold()) index += 2;
            if (fontDescriptor_->isItalic()) index += 1;
        }
        const auto& substitutes = BuiltinFontManager::sharedManager().fontsSubstArray();
        if (index < static_cast<int>(substitutes.size())) fillFrom(*substitutes[static_cast<size_t>(index)], 255);
        return;
    }

    double number = 0;
    std::int64_t firstChar = 0, lastChar = 255;
    if (kx::detail::fontNumber(dict, "FirstChar", number)) firstChar = kx::toInt<std::int64_t>(number);
    if (kx::detail::fontNumber(dict, "LastChar", number)) lastChar = kx::toInt<std::int64_t>(number);
    if (firstChar < 0 || firstChar > 255) firstChar = 0;
    if (lastChar > 255) lastChar = 255;
    const double scale = widthScale(dict);
    std::int64_t count = std::min<std::int64_t>(static_cast<std::int64_t>(widths.arrayCount()), lastChar - firstChar + 1);
    for (std::int64_t i = 0; i < count; ++i) {
        if (!kx::detail::fontNumberAt(widths, static_cast<size_t>(i), number)) continue;
        std::int64_t code = firstChar + i;
        if (code < 320) charWidths_[static_cast<size_t>(code)] = number * scale;
    }
}

std::shared_ptr<const KXPDFSimple8BitFont::BuiltinEncoding> KXPDFSimple8BitFont::symbolFontEncoding(
    const std::string& baseEncoding) {
    auto make = [](const kx::detail::EncodedGlyph* table) {
        auto encoding = std::make_shared<BuiltinEncoding>();
        for (size_t code = 0; code < 256; ++code) {
            if (!table[code].name) continue;
            encoding->names[code] = table[code].name;
            if (table[code].unicode)
                encoding->texts[code] = std::u16string(1, static_cast<char16_t>(table[code].unicode));
        }
        encoding->uncodedHaveNoText = true;
        return encoding;
    };
    static const std::shared_ptr<const BuiltinEncoding> symbol = make(kx::detail::kSymbolEncoding);
    static const std::shared_ptr<const BuiltinEncoding> dingbats = make(kx::detail::kZapfDingbatsEncoding);
    if (baseEncoding == "SymbolEncoding") return symbol;
    if (baseEncoding == "ZapfDingbatsEncoding") return dingbats;
    return nullptr;
}

void KXPDFSimple8BitFont::setBuiltinEncoding() {
    // The glyphs a font without a named encoding shows are those its program's own encoding names;
    // decoding their codes through a character set would give other characters (control codes for
    // the ligatures of TeX fonts, Latin letters for Symbol's Greek).
    if (fontDescriptor_ && fontDescriptor_->embFont()) {
        const std::vector<std::string>& names = fontDescriptor_->embFont()->builtinEncoding();
        if (names.size() == 256) {
            auto encoding = std::make_shared<BuiltinEncoding>();
            for (size_t code = 0; code < 256; ++code) {
                if (names[code].empty()) continue;
                encoding->names[code] = names[code];
                encoding->texts[code] = kx::detail::textOfGlyphName(names[code]);
            }
            builtinEncoding_ = std::move(encoding);
            return;
        }
    }
    if (builtinFont_) builtinEncoding_ = symbolFontEncoding(builtinFont_->baseEncoding());
}

std::u16string KXPDFSimple8BitFont::baseText(unsigned char b) const {
    if (builtinEncoding_) {
        if (!builtinEncoding_->texts[b].empty()) return builtinEncoding_->texts[b];
        if (builtinEncoding_->uncodedHaveNoText) return {};
    }
    char16_t decoded = decodeByte(stringEncoding_, b);
    return std::u16string(1, decoded != 0 ? decoded : b);
}

char16_t KXPDFSimple8BitFont::baseCharacter(unsigned char b) const {
    const std::u16string text = baseText(b);
    return text.size() == 1 ? text[0] : 0;
}

void KXPDFSimple8BitFont::resolveNumberedGlyphNames() {
    // Fonts made by programs (Type 3 fonts of TeX bitmaps and of converters) name their glyphs by
    // a letter or two and the glyph's character code: "a73" is the glyph of code 73. Such a name,
    // which no glyph list knows, stands for the character its code gives; writing the name itself
    // as text would put "a73" where an "I" is shown. A name that labels its glyph by its own code
    // when that code is a control character ("a16" at code 16: TeX's quotes and ligatures) tells
    // nothing of the glyph's character: it shows no text rather than the label, as does every other
    // name that maps to no text (a name is never written as text).
    // Outline fonts converted from TrueType name their glyphs by the glyph's index in the program
    // instead ("g3", "glyph12", "cid42", "index7"): such a name says nothing of the character, and
    // its glyph shows no text (without a ToUnicode map); a word space drawn with it is found from
    // the glyphs' places as any missing blank is. In a Type 3 font the short ones may still be
    // numbered by code, so there the rule above comes first.
    const bool type3 = subtype_ == "Type3";
    for (const auto& [code, name] : differenceNames_) {
        if (differences_ && differences_->count(code)) continue;
        const bool indexName = kx::detail::isGlyphIndexName(name);
        if (indexName && !type3) {
            textlessCodes_.set(static_cast<size_t>(code));
            continue;
        }
        std::optional<int> number = kx::detail::codeOfNumberedGlyphName(name);
        char16_t c = number ? baseCharacter(static_cast<unsigned char>(*number)) : 0;
        if (number && kx::detail::isPrintableCharacter(c)) {
            if (!differences_) differences_.emplace();
            (*differences_)[code] = std::u16string(1, c);
        } else {
            textlessCodes_.set(static_cast<size_t>(code));
        }
    }
}

std::string KXPDFSimple8BitFont::glyphNameForWidth(int code) const {
    // A code's glyph is the one its encoding names: the /Differences name, else the built-in
    // encoding's name, else the character the byte stands for in the font's character set (so that
    // WinAnsi quotes and MacRoman accents are measured as the glyphs they show), else the character
    // of the code's own value.
    if (code < 256) {
        if (auto it = differenceNames_.find(code); it != differenceNames_.end()) return it->second;
        if (builtinEncoding_ && !builtinEncoding_->names[static_cast<size_t>(code)].empty())
            return builtinEncoding_->names[static_cast<size_t>(code)];
        if (char16_t decoded = decodeByte(stringEncoding_, static_cast<unsigned char>(code)))
            return BuiltinFontWidths::unicodeIDToName(decoded);
    }
    return BuiltinFontWidths::unicodeIDToName(static_cast<std::uint16_t>(code));
}

int KXPDFSimple8BitFont::getNextChar(const unsigned char* s, int, std::uint32_t* code, std::uint32_t* u, int uSize,
                                     int* uLen, float* dx, float* dy, float* ox, float* oy) const {
    const unsigned char b = s[0];
    *code = b;
    *dx = static_cast<float>(charWidths_[b]);
    *dy = *ox = *oy = 0;
    *uLen = 0;

    if (textlessCodes_.test(b)) {
        if (embToUnicodeMap_) *uLen = embToUnicodeMap_->mapToUnicode(b, u, uSize);
        return 1;
    }

    auto differenceText = [&]() -> const std::u16string* {
        if (!differences_) return nullptr;
        auto it = differences_->find(b);
        return it == differences_->end() || it->second.empty() ? nullptr : &it->second;
    };

    if (embToUnicodeMap_) {
        *uLen = embToUnicodeMap_->mapToUnicode(b, u, uSize);
        if (*uLen == 0) *uLen = copyUnits(textLeftOutOfMap(b), u, uSize);
    } else if (stringEncoding_ != KXStringEncoding::None) {
        if (const std::u16string* text = differenceText()) *uLen = copyUnits(*text, u, uSize);
        else *uLen = copyUnits(baseText(b), u, uSize);
    } else if (uSize > 0) {
        u[0] = b;
        *uLen = 1;
    }
    return 1;
}

std::u16string KXPDFSimple8BitFont::textLeftOutOfMap(unsigned char b) const {
    // A map that lacks a code (or maps nothing at all, as some writers leave it) says nothing of
    // its text; taking its word for it lost every word shown in such a font. The code shows the
    // glyph its encoding gives it: the /Differences name, else the named base encoding's
    // character. A font that names no encoding shows the glyphs its embedded program's own codes
    // give (a Type 1 or compact program's encoding, a TrueType program's symbol or Macintosh map),
    // and only the program's name of the glyph says its text: a subset numbers its glyphs as it
    // likes, and a character set would garble them. A control character is no text.
    std::u16string text;
    const kx::FontProgram* program = fontDescriptor_ ? fontDescriptor_->embFont().get() : nullptr;
    if (differences_ && differences_->count(b)) {
        text = differences_->at(b);
    } else if (!encodingNamed_ && program) {
        const std::vector<std::string>& names =
            program->builtinEncoding().size() == 256 ? program->builtinEncoding() : program->codeGlyphNames();
        if (names.size() == 256) text = kx::detail::textOfGlyphName(names[b]);
    } else {
        text = baseText(b);
    }
    for (size_t i = 0; i < text.size();)
        if (!kx::detail::isPrintableCharacter(kx::nextCodePoint(text, i))) return {};
    return text;
}

void KXPDFSimple8BitFont::updateBankSpaceWidth() {
    double w = embFontWidthForCode(32);
    if (w > 0 && w <= 1) bankSpaceCharWidth_ = w;
    else if (charWidths_[32] > 0 && charWidths_[32] <= 1) bankSpaceCharWidth_ = charWidths_[32];
}

double KXPDFSimple8BitFont::embFontWidthForCode(std::uint16_t code) const {
    if (fontDescriptor_ && fontDescriptor_->embFont()) return fontDescriptor_->embFontWidthForCharCode(code);
    return 0;
}

namespace kx::detail {

// The space-width rule shared by every font kind once its own width of the space gives nothing.
double spaceWidthFromDescriptor(const KXPDFFontDescriptor* descriptor) {
    if (!descriptor) return 0.5;
    double candidate = descriptor->embFontWidthForBankSpace();
    if (!(candidate > 0)) {
        candidate = descriptor->missingWidth() > 0 ? std::min(descriptor->missingWidth(), 1.0) : 1.0;
        if (descriptor->averageWidth() > 0) candidate = std::min(candidate, descriptor->averageWidth());
        if (descriptor->maxWidth() > 0) candidate = std::min(candidate, descriptor->maxWidth());
        if (descriptor->fontBBox().size.width > 0) candidate = std::min(candidate, descriptor->fontBBox().size.width);
    }
    if (candidate > 0 && candidate < 1) return candidate;
    return descriptor->isFixedWidth() ? 1.0 : 0.5;
}

}  // namespace kx::detail

double KXPDFSimple8BitFont::widthOfSpace() const {
    double w = charWidths_[32];
    if (w > 0 && w < 1) return w;
    return kx::detail::spaceWidthFromDescriptor(fontDescriptor_.get());
}

double KXPDFSimple8BitFont::ascent() const {
    if (fontDescriptor_) return fontDescriptor_->ascent();
    if (builtinFont_) return builtinFont_->ascent();
    return 0.95;
}

double KXPDFSimple8BitFont::descent() const {
    if (fontDescriptor_) return fontDescriptor_->descent();
    if (builtinFont_) return builtinFont_->descent();
    return -0.35;
}

kx::Rect KXPDFSimple8BitFont::fontBBox() const {
    if (fontDescriptor_ && fontDescriptor_->embFontNum() != 0) return fontDescriptor_->fontBBox();
    if (builtinFont_) return builtinFont_->bbox();
    if (fontDescriptor_) return fontDescriptor_->fontBBox();
    return kx::Rect(0.95, -0.35, 1.0, 1.0);
}
