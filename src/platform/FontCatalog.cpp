#include "platform/FontCatalog.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

namespace kx {

namespace {

std::string getString(FcPattern* pattern, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || !value) return {};
    return reinterpret_cast<const char*>(value);
}

// The font configuration and the thread that reads the installed fonts in the background. When the
// program ends, the thread is waited for before the configuration is released. Made before the
// configuration is loaded, so that it outlives it.
class FontConfigLifetime {
public:
    static FontConfigLifetime& shared() {
        static FontConfigLifetime lifetime;
        return lifetime;
    }
    ~FontConfigLifetime() {
        if (reader_.joinable()) reader_.join();
        if (loaded_) FcFini();
    }
    bool load() {
        std::call_once(loadOnce_, [this] { loaded_ = FcInit() == FcTrue; });
        return loaded_;
    }
    void startReader(void (*read)()) {
        std::call_once(readerOnce_, [this, read] {
            // Only a head start: without a thread the fonts are read when first needed.
            try {
                reader_ = std::thread(read);
            } catch (const std::system_error&) {
            }
        });
    }

private:
    std::once_flag loadOnce_, readerOnce_;
    bool loaded_ = false;
    std::thread reader_;
};

bool initFontConfig() { return FontConfigLifetime::shared().load(); }

std::vector<InstalledFont> readInstalledFonts() {
    std::vector<InstalledFont> fonts;
    if (!initFontConfig()) return fonts;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcObjectSet* objects =
        FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FULLNAME, FC_POSTSCRIPT_NAME, FC_FILE, FC_INDEX, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    if (set) {
        for (int i = 0; i < set->nfont; ++i) {
            FcPattern* face = set->fonts[i];
            InstalledFont font;
            font.family = getString(face, FC_FAMILY);
            font.style = getString(face, FC_STYLE);
            font.fullName = getString(face, FC_FULLNAME);
            font.postScriptName = getString(face, FC_POSTSCRIPT_NAME);
            font.file = getString(face, FC_FILE);
            int index = 0;
            if (FcPatternGetInteger(face, FC_INDEX, 0, &index) == FcResultMatch) font.index = index;
            if (font.family.empty() || font.file.empty()) continue;
            if (font.fullName.empty())
                font.fullName = font.style.empty() ? font.family : font.family + " " + font.style;
            fonts.push_back(std::move(font));
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    std::sort(fonts.begin(), fonts.end(), [](const InstalledFont& a, const InstalledFont& b) {
        return std::tie(a.family, a.style, a.file, a.index) < std::tie(b.family, b.style, b.file, b.index);
    });
    return fonts;
}

std::mutex& coverageMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

const std::vector<InstalledFont>& FontCatalog::installedFonts() {
    static const std::vector<InstalledFont> fonts = readInstalledFonts();
    return fonts;
}

void FontCatalog::loadInBackground() {
    FontConfigLifetime::shared().startReader([] { installedFonts(); });
}

const std::vector<std::string>& FontCatalog::familyNames() {
    static const std::vector<std::string> names = [] {
        std::set<std::string> unique;
        for (const auto& font : installedFonts()) unique.insert(font.family);
        return std::vector<std::string>(unique.begin(), unique.end());
    }();
    return names;
}

std::vector<InstalledFont> FontCatalog::facesOfFamily(const std::string& family) {
    std::vector<InstalledFont> faces;
    for (const auto& font : installedFonts())
        if (font.family == family) faces.push_back(font);
    return faces;
}

std::optional<InstalledFont> FontCatalog::findFont(const std::string& name) {
    if (name.empty()) return std::nullopt;
    const auto& fonts = installedFonts();
    for (const auto& font : fonts)
        if (font.postScriptName == name) return font;
    for (const auto& font : fonts)
        if (font.fullName == name) return font;
    return std::nullopt;
}

bool FontCatalog::hasCharacter(const InstalledFont& font, char32_t character) {
    if (font.file.empty() || !initFontConfig()) return false;
    std::lock_guard lock(coverageMutex());
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(font.file.c_str()));
    FcPatternAddInteger(pattern, FC_INDEX, font.index);
    FcObjectSet* objects = FcObjectSetBuild(FC_CHARSET, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    bool found = false;
    if (set) {
        for (int i = 0; i < set->nfont && !found; ++i) {
            FcCharSet* charset = nullptr;
            if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &charset) == FcResultMatch && charset)
                found = FcCharSetHasChar(charset, character);
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

}  // namespace kx
