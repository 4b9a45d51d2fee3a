#include "platform/FontProgram.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H
#include FT_TYPE1_TABLES_H

#include <climits>
#include <string_view>

#include "platform/Unicode.h"

namespace kx {

namespace {

// One library for the process. Creating and destroying faces goes through this lock (the library
// keeps a list of its faces); each face is then used under its program's own lock.
struct Library {
    FT_Library library = nullptr;
    std::mutex mutex;
    Library() {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~Library() {
        if (library) FT_Done_FreeType(library);
    }
};

// Programs keep the library alive: a program held by a static cache may outlive other statics.
const std::shared_ptr<Library>& sharedLibrary() {
    static const std::shared_ptr<Library> library = std::make_shared<Library>();
    return library;
}

FT_Face asFace(void* face) { return static_cast<FT_Face>(face); }

// A name-table entry as UTF-8: Windows and Unicode platform names are UTF-16BE, Macintosh Roman
// names are taken as single bytes.
std::string decodeSfntName(const FT_SfntName& name) {
    std::string out;
    if (name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE) {
        std::u16string units;
        for (FT_UInt i = 0; i + 1 < name.string_len; i += 2)
            units.push_back(static_cast<char16_t>((name.string[i] << 8) | name.string[i + 1]));
        return utf16ToUtf8(units);
    }
    for (FT_UInt i = 0; i < name.string_len; ++i) appendUtf8(out, name.string[i]);
    return out;
}

// The name of the given id, preferring an English Windows entry, then any Windows entry, then a
// Macintosh one.
std::string sfntName(FT_Face face, FT_UShort nameId) {
    FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    int bestScore = -1;
    std::string best;
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != nameId) continue;
        int score = 0;
        if (name.platform_id == TT_PLATFORM_MICROSOFT) score = name.language_id == 0x409 ? 3 : 2;
        else if (name.platform_id == TT_PLATFORM_MACINTOSH) score = name.language_id == 0 ? 1 : 0;
        else if (name.platform_id == TT_PLATFORM_APPLE_UNICODE) score = 1;
        if (score <= bestScore) continue;
        std::string text = decodeSfntName(name);
        if (text.empty()) continue;
        bestScore = score;
        best = std::move(text);
    }
    return best;
}

int clampToInt(long v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

}  // namespace

std::shared_ptr<const FontProgram> FontProgram::fromData(std::string data, int faceIndex) {
    if (data.empty()) return nullptr;
    auto program = std::make_shared<FontProgram>(Private{});
    program->data_ = std::move(data);
    return load(std::move(program), faceIndex, nullptr);
}

std::shared_ptr<const FontProgram> FontProgram::fromFile(const std::string& path, int faceIndex) {
    if (path.empty()) return nullptr;
    return load(std::make_shared<FontProgram>(Private{}), faceIndex, &path);
}

std::shared_ptr<const FontProgram> FontProgram::load(std::shared_ptr<FontProgram> program, int faceIndex,
                                                     const std::string* path) {
    program->library_ = sharedLibrary();
    Library& lib = *std::static_pointer_cast<Library>(program->library_);
    if (!lib.library || faceIndex < 0) return nullptr;
    FT_Face face = nullptr;
    {
        std::lock_guard lock(lib.mutex);
        FT_Error error = path ? FT_New_Face(lib.library, path->c_str(), faceIndex, &face)
                              : FT_New_Memory_Face(lib.library,
                                                   reinterpret_cast<const FT_Byte*>(program->data_.data()),
                                                   static_cast<FT_Long>(program->data_.size()), faceIndex, &face);
        if (error != 0) return nullptr;
    }
    program->face_ = face;
    program->readProperties();
    return program;
}

FontProgram::~FontProgram() {
    if (!face_) return;
    Library& lib = *std::static_pointer_cast<Library>(library_);
    std::lock_guard lock(lib.mutex);
    FT_Done_Face(asFace(face_));
}

void FontProgram::readProperties() {
    FT_Face face = asFace(face_);
    if (const char* ps = FT_Get_Postscript_Name(face)) postScriptName_ = ps;
    if (face->family_name) familyName_ = face->family_name;
    if (face->style_name) styleName_ = face->style_name;
    if (FT_IS_SFNT(face)) fullName_ = sfntName(face, TT_NAME_ID_FULL_NAME);
    PS_FontInfoRec info;
    if (fullName_.empty() && FT_Get_PS_Font_Info(face, &info) == 0 && info.full_name)
        fullName_ = info.full_name;
    if (FT_Get_PS_Font_Info(face, &info) == 0) italicAngle_ = static_cast<double>(info.italic_angle);
    PS_PrivateRec priv;
    if (FT_Get_PS_Font_Private(face, &priv) == 0) stemV_ = priv.standard_width[0];

    unitsPerEm_ = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    ascent_ = face->ascender;
    descent_ = face->descender;
    leading_ = clampToInt(static_cast<long>(face->height) - face->ascender + face->descender);
    glyphCount_ = face->num_glyphs > 0 ? static_cast<std::uint32_t>(face->num_glyphs) : 0;

    if (auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST)))
        italicAngle_ = static_cast<double>(post->italicAngle) / 65536.0;
    lineMetrics_.hheaAscender = face->ascender;
    lineMetrics_.hheaDescender = face->descender;
    lineMetrics_.hheaLineGap = leading_;
    if (auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA))) {
        lineMetrics_.hheaAscender = hhea->Ascender;
        lineMetrics_.hheaDescender = hhea->Descender;
        lineMetrics_.hheaLineGap = hhea->Line_Gap;
    }
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
        lineMetrics_.hasOS2 = true;
        lineMetrics_.useTypoMetrics = (os2->fsSelection & (1u << 7)) != 0;
        lineMetrics_.winAscent = os2->usWinAscent;
        lineMetrics_.winDescent = os2->usWinDescent;
        lineMetrics_.typoAscender = os2->sTypoAscender;
        lineMetrics_.typoDescender = os2->sTypoDescender;
        lineMetrics_.typoLineGap = os2->sTypoLineGap;
        if (os2->version >= 2) {
            capHeight_ = os2->sCapHeight;
            xHeight_ = os2->sxHeight;
        }
    }

    readBuiltinEncoding();
    hasUnicodeMap_ = FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0;
    if (!hasUnicodeMap_ && face->num_charmaps > 0) FT_Set_Charmap(face, face->charmaps[0]);

    // Programs without an OS/2 value: measure the glyphs themselves.
    auto glyphTop = [&](char32_t c) -> int {
        FT_UInt glyph = hasUnicodeMap_ ? FT_Get_Char_Index(face, c) : 0;
        if (glyph == 0 && FT_HAS_GLYPH_NAMES(face)) {
            char name[2] = {static_cast<char>(c), 0};
            glyph = FT_Get_Name_Index(face, name);
        }
        if (glyph == 0 || FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return 0;
        return clampToInt(face->glyph->metrics.horiBearingY);
    };
    if (capHeight_ <= 0) capHeight_ = glyphTop('H');
    if (capHeight_ <= 0) capHeight_ = ascent_;
    if (xHeight_ <= 0) xHeight_ = glyphTop('x');
}

void FontProgram::readBuiltinEncoding() {
    FT_Face face = asFace(face_);
    if (!FT_HAS_GLYPH_NAMES(face)) return;
    if (FT_IS_SFNT(face)) {
        readCodeGlyphNames();
        return;
    }
    // The loader presents a Type 1 or CFF program's own encoding as an Adobe character map (custom,
    // standard, expert or Latin-1, by what the program says); its codes lead to the glyphs, whose
    // names are the encoding.
    FT_CharMap encoding = nullptr;
    for (FT_Int i = 0; i < face->num_charmaps && !encoding; ++i) {
        switch (face->charmaps[i]->encoding) {
            case FT_ENCODING_ADOBE_CUSTOM:
            case FT_ENCODING_ADOBE_STANDARD:
            case FT_ENCODING_ADOBE_EXPERT:
            case FT_ENCODING_ADOBE_LATIN_1: encoding = face->charmaps[i]; break;
            default: break;
        }
    }
    if (!encoding || FT_Set_Charmap(face, encoding) != 0) return;
    std::vector<std::string> names(256);
    bool any = false;
    for (FT_ULong code = 0; code < 256; ++code) {
        FT_UInt glyph = FT_Get_Char_Index(face, code);
        char name[128] = {};
        if (glyph == 0 || FT_Get_Glyph_Name(face, glyph, name, sizeof name) != 0) continue;
        if (name[0] == 0 || std::string_view(name) == ".notdef") continue;
        names[code] = name;
        any = true;
    }
    if (any) builtinEncoding_ = std::move(names);
}

void FontProgram::readCodeGlyphNames() {
    FT_Face face = asFace(face_);
    // Only a program whose codes are its own (no Unicode map of its own: the loader makes one up
    // from the glyph names, of no table format) names them so.
    FT_CharMap codes = nullptr;
    for (FT_Int i = 0; i < face->num_charmaps; ++i) {
        const FT_Encoding encoding = face->charmaps[i]->encoding;
        if (encoding == FT_ENCODING_UNICODE && FT_Get_CMap_Format(face->charmaps[i]) >= 0) return;
        if (!codes && (encoding == FT_ENCODING_MS_SYMBOL || encoding == FT_ENCODING_APPLE_ROMAN))
            codes = face->charmaps[i];
    }
    if (!codes || FT_Set_Charmap(face, codes) != 0) return;
    std::vector<std::string> names(256);
    bool any = false;
    for (FT_ULong code = 0; code < 256; ++code) {
        FT_UInt glyph = FT_Get_Char_Index(face, code);
        // A symbol map holds its codes at U+F000 and above.
        if (glyph == 0 && codes->encoding == FT_ENCODING_MS_SYMBOL) glyph = FT_Get_Char_Index(face, 0xF000 + code);
        char name[128] = {};
        if (glyph == 0 || FT_Get_Glyph_Name(face, glyph, name, sizeof name) != 0) continue;
        if (name[0] == 0 || std::string_view(name) == ".notdef") continue;
        names[code] = name;
        any = true;
    }
    if (any) codeGlyphNames_ = std::move(names);
}

std::optional<int> FontProgram::glyphAdvance(std::uint32_t glyph) const {
    if (glyph >= glyphCount_) return std::nullopt;
    std::lock_guard lock(mutex_);
    FT_Fixed advance = 0;
    if (FT_Get_Advance(asFace(face_), glyph, FT_LOAD_NO_SCALE, &advance) != 0) return std::nullopt;
    return clampToInt(advance);
}

std::uint32_t FontProgram::glyphForCharacter(char32_t character) const {
    std::lock_guard lock(mutex_);
    FT_Face face = asFace(face_);
    FT_UInt glyph = FT_Get_Char_Index(face, character);
    if (glyph == 0 && !hasUnicodeMap_ && character < 0x100) glyph = FT_Get_Char_Index(face, 0xF000 + character);
    return glyph;
}

std::uint32_t FontProgram::glyphForName(const std::string& name) const {
    if (name.empty()) return 0;
    std::lock_guard lock(mutex_);
    FT_Face face = asFace(face_);
    if (!FT_HAS_GLYPH_NAMES(face)) return 0;
    return FT_Get_Name_Index(face, name.c_str());
}

}  // namespace kx
