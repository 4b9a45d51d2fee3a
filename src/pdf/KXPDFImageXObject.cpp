#include "pdf/KXPDFImageXObject.h"

#include <map>
#include <mutex>
#include <tuple>

#include "pdf/KXPDFUtilities.h"
#include "platform/FileSystem.h"

namespace {

// Decoded files of the running conversion, by image object. The files live in the conversion's
// temporary folder, so the cache starts afresh when that folder changes, and an entry whose file is
// gone is decoded again.
struct DecodedImageCache {
    using Key = std::tuple<std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uint32_t>;
    std::mutex mutex;
    std::string root;
    std::map<Key, std::string> files;

    static constexpr size_t kMaxEntries = 100000;

    static DecodedImageCache& shared() {
        static DecodedImageCache cache;
        return cache;
    }

    std::optional<std::string> find(const Key& key) {
        std::lock_guard lock(mutex);
        if (root != kx::temporaryRoot()) {
            files.clear();
            root = kx::temporaryRoot();
        }
        auto it = files.find(key);
        if (it == files.end()) return std::nullopt;
        if (!it->second.empty() && !kx::isRegularFile(it->second)) {
            files.erase(it);
            return std::nullopt;
        }
        return it->second;
    }

    void store(const Key& key, const std::string& path) {
        std::lock_guard lock(mutex);
        if (files.size() >= kMaxEntries) files.clear();
        files[key] = path;
    }
};

std::uint32_t packColor(const kx::Color* c) {
    if (!c) return 0;
    auto ch = [](double v) { return static_cast<std::uint32_t>((v > 0 ? (v < 1 ? v : 1) : 0) * 255 + 0.5); };
    return 0x1000000u | ch(c->red) << 16 | ch(c->green) << 8 | ch(c->blue);
}

}  // namespace

KXPDFImageXObject::KXPDFImageXObject(kx::PDFObject stream) : KXPDFXObject(std::move(stream)) { parse(xObjectStream()); }

void KXPDFImageXObject::parse(const kx::PDFObject& stream) {
    kx::PDFObject dict = stream.streamDictionary();
    std::int64_t w = 0, h = 0;
    if (!dict.dictGet("Width", "W").getInteger(w) || !dict.dictGet("Height", "H").getInteger(h)) return;
    pixelSize_ = {static_cast<double>(w), static_cast<double>(h)};
}

bool KXPDFImageXObject::isStencilMask() const {
    bool mask = false;
    xObjectDictionary().dictGet("ImageMask", "IM").getBoolean(mask);
    return mask;
}

void KXPDFImageXObject::parseImage(const kx::PDFObject& stream, const kx::PDFObject& colorSpaces,
                                   const kx::Color* stencilColor) {
    parse(stream);
    cachedImagePath_.clear();
    if (pixelSize_.width <= 0 || pixelSize_.height <= 0) return;
    // Only objects of the file are cached; an inline image is its own single use.
    bool cacheable = stream.objectNumber() > 0;
    // The colour-space resources matter only to an image that names its colour space.
    kx::PDFObject cs = stream.streamDictionary().dictGet("ColorSpace", "CS");
    bool named = cs.isName() && !KXPDFUtilities::ColorSpaceFromName(cs.name());
    DecodedImageCache::Key key{reinterpret_cast<std::uintptr_t>(stream.session().get()), stream.identity(),
                               named ? colorSpaces.identity() : 0, packColor(isStencilMask() ? stencilColor : nullptr)};
    if (cacheable) {
        if (auto path = DecodedImageCache::shared().find(key)) {
            cachedImagePath_ = *path;
            return;
        }
    }
    std::string path = KXPDFUtilities::UUIDImagePathForStream(stream);
    bool ok = !path.empty() && KXPDFUtilities::extractPDFStream(stream, colorSpaces, path, 0.92f, false, stencilColor);
    if (ok) cachedImagePath_ = path;
    if (cacheable) DecodedImageCache::shared().store(key, cachedImagePath_);
}
