#include "pdf/xobject/KXPDFImageXObject.h"

#include <cmath>
#include <map>
#include <mutex>
#include <tuple>

#include "pdf/color/ImageColorSpaces.h"
#include "pdf/xobject/ImageExtraction.h"
#include "platform/FileSystem.h"
#include "platform/ImageSamples.h"
#include "platform/Numeric.h"
#include "util/KXPictureStore.h"

namespace {

// Decoded files of the running conversion, by image object. The files live in the conversion's
// temporary folder, so the cache starts afresh when that folder changes, and an entry whose file is
// gone is decoded again.
struct DecodedImageCache {
    // Document, object number, colour-space resources, stencil colour, reduction factor.
    using Key = std::tuple<std::uintptr_t, int, std::uintptr_t, std::uint32_t, int>;
    struct Entry {
        // The document the entry was made for: a later document at the same address does not match.
        std::weak_ptr<kx::detail::PDFSession> session;
        std::string path;
        bool overBudget = false;
    };
    std::mutex mutex;
    std::string root;
    std::map<Key, Entry> files;

    static constexpr size_t kMaxEntries = 100000;

    static DecodedImageCache& shared() {
        static DecodedImageCache cache;
        return cache;
    }

    std::optional<Entry> find(const Key& key, const std::shared_ptr<kx::detail::PDFSession>& session) {
        std::lock_guard lock(mutex);
        if (root != kx::temporaryRoot()) {
            files.clear();
            root = kx::temporaryRoot();
        }
        auto it = files.find(key);
        if (it == files.end()) return std::nullopt;
        if (it->second.session.lock() != session || (!it->second.path.empty() && !KXPictureStore::shared().exists(it->second.path))) {
            files.erase(it);
            return std::nullopt;
        }
        return it->second;
    }

    void store(const Key& key, const std::shared_ptr<kx::detail::PDFSession>& session, const std::string& path,
               bool overBudget) {
        std::lock_guard lock(mutex);
        if (files.size() >= kMaxEntries) files.clear();
        files[key] = Entry{session, path, overBudget};
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
                                   const kx::Color* stencilColor, kx::Size displaySize) {
    parse(stream);
    cachedImagePath_.clear();
    overPixelBudget_ = false;
    decodeReduction_ = 1;
    if (pixelSize_.width <= 0 || pixelSize_.height <= 0) return;
    // The pixels the output can show of the image.
    const double perPoint = kMaxPictureDPI / 72.0;
    const kx::Size needed{std::isfinite(displaySize.width) ? displaySize.width * perPoint : 0,
                          std::isfinite(displaySize.height) ? displaySize.height * perPoint : 0};
    const int reduction =
        kx::imageDecodeReduction(stream, colorSpaces, kx::Size{std::ceil(needed.width), std::ceil(needed.height)});
    decodeReduction_ = reduction;
    // Only objects of the file are cached; an inline image is its own single use.
    bool cacheable = stream.objectNumber() > 0;
    // The colour-space resources matter only to an image that names its colour space.
    kx::PDFObject cs = stream.streamDictionary().dictGet("ColorSpace", "CS");
    bool named = cs.isName() && !kx::imageColorSpaceNamed(cs.name());
    DecodedImageCache::Key key{reinterpret_cast<std::uintptr_t>(stream.session().get()), stream.objectNumber(),
                               named ? colorSpaces.identity() : 0, packColor(isStencilMask() ? stencilColor : nullptr),
                               reduction};
    if (cacheable) {
        if (auto entry = DecodedImageCache::shared().find(key, stream.session())) {
            cachedImagePath_ = entry->path;
            overPixelBudget_ = entry->overBudget;
            return;
        }
    }
    std::string path = kx::imagePathForStream(stream);
    const kx::ImageExtraction made =
        path.empty() ? kx::ImageExtraction::Failed
                     : kx::extractImageStreamWithin(stream, colorSpaces, path, 0.92f, false, stencilColor,
                                                    kx::Size{std::ceil(needed.width), std::ceil(needed.height)});
    if (made == kx::ImageExtraction::Written) cachedImagePath_ = path;
    overPixelBudget_ = made == kx::ImageExtraction::OverBudget;
    if (cacheable) DecodedImageCache::shared().store(key, stream.session(), cachedImagePath_, overPixelBudget_);
}
