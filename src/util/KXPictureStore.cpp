#include "util/KXPictureStore.h"

#include <atomic>

#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "util/KXWriteCGImageToURL.h"

namespace {

thread_local std::uint64_t tActiveOwner = 0;
std::atomic<std::uint64_t> gNextOwner{1};

}  // namespace

KXPictureStore& KXPictureStore::shared() {
    static KXPictureStore store;
    return store;
}

KXPictureStore::Deferral::Deferral() : owner_(gNextOwner.fetch_add(1)), previous_(tActiveOwner) {
    tActiveOwner = owner_;
}

KXPictureStore::Deferral::~Deferral() {
    tActiveOwner = previous_;
    KXPictureStore::shared().dropOwnedBy(owner_);
}

std::uint64_t KXPictureStore::activeOwner() { return tActiveOwner; }

size_t KXPictureStore::bytesOf(const Held& held) { return held.picture.image ? held.picture.image->pixels.size() : 0; }

bool KXPictureStore::defer(const kx::ImageRef& image, const std::string& path, kx::ImageFileType type, double dpiX,
                           double dpiY, float quality, int deflateLevel, std::uint64_t owner) {
    return defer(kx::PlacedImage::whole(image), path, type, dpiX, dpiY, quality, deflateLevel, owner);
}

bool KXPictureStore::defer(const kx::PlacedImage& picture, const std::string& path, kx::ImageFileType type,
                           double dpiX, double dpiY, float quality, int deflateLevel, std::uint64_t owner) {
    if (!picture.image || path.empty()) return false;
    {
        std::unique_lock lock(mutex_);
        // A picture of the path being written goes first: one file is never written twice at once.
        waitUntilNotWriting(lock, path);
        Held held{picture, type, dpiX, dpiY, quality, deflateLevel, owner, nextSequence_++};
        auto [it, fresh] = held_.try_emplace(path, held);
        if (!fresh) {
            heldBytes_ -= bytesOf(it->second);
            it->second = held;
        }
        heldBytes_ += bytesOf(held);
    }
    realizeBeyondLimit();
    return true;
}

std::map<std::string, KXPictureStore::Held>::iterator KXPictureStore::waitUntilNotWriting(
    std::unique_lock<std::mutex>& lock, const std::string& path) {
    auto it = held_.find(path);
    while (it != held_.end() && it->second.writing) {
        written_.wait(lock);
        it = held_.find(path);
    }
    return it;
}

void KXPictureStore::realizeBeyondLimit() {
    for (;;) {
        std::string path;
        Held oldest;
        {
            std::lock_guard lock(mutex_);
            if (heldBytes_ <= memoryLimit_ || held_.empty()) return;
            // Pictures a job is writing already leave by themselves.
            auto pick = held_.end();
            for (auto it = held_.begin(); it != held_.end(); ++it)
                if (!it->second.writing && (pick == held_.end() || it->second.sequence < pick->second.sequence)) pick = it;
            if (pick == held_.end()) return;
            path = pick->first;
            oldest = pick->second;
            pick->second.writing = true;
        }
        writeOut(path, oldest);
    }
}

bool KXPictureStore::writeOut(const std::string& path, const Held& held) {
    const bool written = KXWriteCGImageToURL(held.picture.wholeImage(), path, held.type, held.dpiX, held.dpiY,
                                             held.quality, held.deflateLevel);
    // Written or not, the picture leaves memory: a failed write is reported as it would have been
    // when the picture was made.
    std::lock_guard lock(mutex_);
    auto it = held_.find(path);
    if (it != held_.end() && it->second.sequence == held.sequence) {
        heldBytes_ -= bytesOf(it->second);
        held_.erase(it);
    }
    written_.notify_all();
    return written;
}

kx::ImageRef KXPictureStore::read(const std::string& path) const {
    return readPlaced(path).wholeImage();
}

kx::PlacedImage KXPictureStore::readPlaced(const std::string& path) const {
    {
        std::lock_guard lock(mutex_);
        auto it = held_.find(path);
        if (it != held_.end()) return it->second.picture;
    }
    return kx::PlacedImage::whole(kx::readImageFile(path));
}

bool KXPictureStore::isHeld(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return held_.count(path) > 0;
}

bool KXPictureStore::exists(const std::string& path) const {
    return !path.empty() && (isHeld(path) || kx::isRegularFile(path));
}

std::optional<kx::ImageFileType> KXPictureStore::heldType(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = held_.find(path);
    if (it == held_.end()) return std::nullopt;
    return it->second.type;
}

bool KXPictureStore::realize(const std::string& path) {
    Held held;
    {
        std::unique_lock lock(mutex_);
        // Being written by someone else: the file is there (or not) once that is done.
        auto it = waitUntilNotWriting(lock, path);
        if (it == held_.end()) return !path.empty() && kx::isRegularFile(path);
        it->second.writing = true;
        held = it->second;
    }
    return writeOut(path, held);
}

KXPictureStore::WriteJob KXPictureStore::writeLater(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto it = held_.find(path);
    if (it == held_.end() || it->second.writing) return {};
    it->second.writing = true;
    return {[this, path, held = it->second] { return writeOut(path, held); }, bytesOf(it->second)};
}

void KXPictureStore::drop(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto it = held_.find(path);
    if (it == held_.end() || it->second.writing) return;
    heldBytes_ -= bytesOf(it->second);
    held_.erase(it);
}

void KXPictureStore::dropOwnedBy(std::uint64_t owner) {
    std::lock_guard lock(mutex_);
    for (auto it = held_.begin(); it != held_.end();) {
        if (it->second.owner == owner && !it->second.writing) {
            heldBytes_ -= bytesOf(it->second);
            it = held_.erase(it);
        } else {
            ++it;
        }
    }
}

size_t KXPictureStore::heldCount() const {
    std::lock_guard lock(mutex_);
    return held_.size();
}

size_t KXPictureStore::heldBytes() const {
    std::lock_guard lock(mutex_);
    return heldBytes_;
}

void KXPictureStore::setMemoryLimit(size_t bytes) {
    {
        std::lock_guard lock(mutex_);
        memoryLimit_ = bytes;
    }
    realizeBeyondLimit();
}

bool KXWriteOrDeferCGImageToURL(const kx::ImageRef& image, const std::string& path, kx::ImageFileType type,
                                double dpiX, double dpiY, float quality, int pngDeflateLevel) {
    return KXWriteOrDeferCGImageToURL(kx::PlacedImage::whole(image), path, type, dpiX, dpiY, quality, pngDeflateLevel);
}

bool KXWriteOrDeferCGImageToURL(const kx::PlacedImage& picture, const std::string& path, kx::ImageFileType type,
                                double dpiX, double dpiY, float quality, int pngDeflateLevel) {
    const std::uint64_t owner = KXPictureStore::activeOwner();
    const kx::ImageRef& image = picture.image;
    // Only a lossless type that keeps the bitmap's pixels as they are may stand in for its file.
    const bool holds = owner != 0 && type == kx::ImageFileType::PNG && image && image->isValid() &&
                       image->format != kx::PixelFormat::CMYK8 && !path.empty();
    if (!holds) return KXWriteCGImageToURL(picture.wholeImage(), path, type, dpiX, dpiY, quality, pngDeflateLevel);
    return KXPictureStore::shared().defer(picture, path, type, dpiX, dpiY, quality, pngDeflateLevel, owner);
}
