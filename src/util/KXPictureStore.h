#pragma once
// Pictures "written" to a path but kept in memory until something needs the file.
//
// A page of an office document makes many pictures that never reach the package: images merged
// into one picture, pictures cut by a soft mask, shadings drawn into a group. Held here, such a
// picture is handed from maker to consumer as its bitmap and never encoded; only a picture that
// goes into the package (or that memory forces out) is encoded and written, exactly as
// KXWriteCGImageToURL would have written it when it was made.
//
// Holding is opt-in for the thread that converts: pictures are held only while a Deferral lives on
// the calling thread, and what is still held when the Deferral ends is dropped. Readers of such
// paths ask the store first (read, exists, heldType); whatever is not held is read from disk.
// Safe to use from several threads.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Image.h"
#include "platform/ImageFileType.h"

class KXPictureStore {
public:
    // Bytes of pixels held before the oldest held pictures are written out. A crowded page (one
    // picture merged from 156 images, their decoded originals and their clipped copies) holds
    // about 70 MB at once: below that, pictures would be written out only to be read back.
    static constexpr size_t kDefaultMemoryLimit = size_t(128) << 20;

    // The process's store.
    static KXPictureStore& shared();

    KXPictureStore() = default;
    KXPictureStore(const KXPictureStore&) = delete;
    KXPictureStore& operator=(const KXPictureStore&) = delete;

    // While it lives, KXWriteOrDeferCGImageToURL on this thread holds PNG pictures in the shared
    // store instead of writing them. On its end every picture it held and nobody realized is
    // dropped: pictures that must survive are realized before. Nested Deferrals each drop their own.
    class Deferral {
    public:
        Deferral();
        ~Deferral();
        Deferral(const Deferral&) = delete;
        Deferral& operator=(const Deferral&) = delete;
        std::uint64_t owner() const { return owner_; }

    private:
        std::uint64_t owner_;
        std::uint64_t previous_;
    };

    // The Deferral active on the calling thread (0: none).
    static std::uint64_t activeOwner();

    // Holds `image` as the picture of `path`, to be written with these settings when realized.
    // False (nothing held) for no image or an empty path. Held pixels beyond the memory limit make
    // the oldest held pictures realized at once.
    bool defer(const kx::ImageRef& image, const std::string& path, kx::ImageFileType type, double dpiX, double dpiY,
               float quality, int deflateLevel, std::uint64_t owner = 0);
    // The same for a picture held as its painted part: only the part is kept (and counted), and
    // everything that reads or writes the picture whole gets exactly the whole picture.
    bool defer(const kx::PlacedImage& picture, const std::string& path, kx::ImageFileType type, double dpiX,
               double dpiY, float quality, int deflateLevel, std::uint64_t owner = 0);

    // The held picture of `path`, else the file's content decoded (nullptr when neither).
    kx::ImageRef read(const std::string& path) const;
    // The same as a placed picture, for readers that only draw it: a held part as it is held, a
    // file as a whole image (no image when neither).
    kx::PlacedImage readPlaced(const std::string& path) const;
    // Whether `path` is held.
    bool isHeld(const std::string& path) const;
    // Held, or a regular file on disk.
    bool exists(const std::string& path) const;
    // The file type a held picture will be written as; nullopt when it is not held.
    std::optional<kx::ImageFileType> heldType(const std::string& path) const;

    // Encodes and writes the held picture of `path` now and forgets it. True when the file exists
    // afterwards (also for a path that was not held but is on disk).
    bool realize(const std::string& path);
    // For writing the held picture of `path` on another thread: the returned job encodes and
    // writes it as realize would and returns realize's result. Until the job has run, the picture
    // stays held and readable (read, exists), a Deferral's end does not drop it, and realize of
    // the path waits for the job. An empty job when `path` is not held (or is already being
    // written); `bytes` then 0, else the picture's pixels.
    struct WriteJob {
        std::function<bool()> write;
        size_t bytes = 0;
    };
    WriteJob writeLater(const std::string& path);
    // Forgets a held picture without writing it. A file already on disk is left alone.
    void drop(const std::string& path);
    // Forgets every picture held for `owner`.
    void dropOwnedBy(std::uint64_t owner);

    size_t heldCount() const;
    size_t heldBytes() const;
    void setMemoryLimit(size_t bytes);

private:
    struct Held {
        kx::PlacedImage picture;
        kx::ImageFileType type = kx::ImageFileType::PNG;
        double dpiX = 72;
        double dpiY = 72;
        float quality = 1.0f;
        int deflateLevel = -1;
        std::uint64_t owner = 0;
        std::uint64_t sequence = 0;
        // A job of writeLater will write it: nobody else writes or drops it meanwhile.
        bool writing = false;
    };

    static size_t bytesOf(const Held& held);
    // Writes `held` to `path`, then forgets the entry if it is still the one written.
    bool writeOut(const std::string& path, const Held& held);
    void realizeBeyondLimit();
    // The entry of `path` once no job is writing it (end() when there is none); `lock` holds mutex_.
    std::map<std::string, Held>::iterator waitUntilNotWriting(std::unique_lock<std::mutex>& lock,
                                                              const std::string& path);

    mutable std::mutex mutex_;
    // Signalled whenever a written picture leaves the store.
    std::condition_variable written_;
    std::map<std::string, Held> held_;
    size_t heldBytes_ = 0;
    size_t memoryLimit_ = kDefaultMemoryLimit;
    std::uint64_t nextSequence_ = 1;
};

// KXWriteCGImageToURL, except that a PNG picture made while a Deferral is active on this thread is
// held in the shared store instead (a CMYK bitmap, which PNG turns into RGB, is written at once).
bool KXWriteOrDeferCGImageToURL(const kx::ImageRef& image, const std::string& path, kx::ImageFileType type,
                                double dpiX, double dpiY, float quality, int pngDeflateLevel = -1);
// The same for a picture made as its painted part: held as the part, written whole.
bool KXWriteOrDeferCGImageToURL(const kx::PlacedImage& picture, const std::string& path, kx::ImageFileType type,
                                double dpiX, double dpiY, float quality, int pngDeflateLevel = -1);
