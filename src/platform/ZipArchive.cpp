#include "platform/ZipArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ZipArchive_p.h"

namespace kx {

struct ZipArchive::Handle {
    zip_t* zip = nullptr;
    zip_source_t* memory = nullptr;  // the archive's bytes when it is put together in memory

    void releaseMemory() {
        if (memory) zip_source_free(memory);
        memory = nullptr;
    }
};

namespace {

std::string libzipMessage(zip_t* zip) { return zip_error_strerror(zip_get_error(zip)); }

std::string systemMessage(int error) { return std::strerror(error); }

// Unix attributes of an entry: file type and permission bits in the upper half.
zip_uint32_t externalAttributes(mode_t mode, bool folder) {
    zip_uint32_t type = folder ? S_IFDIR : S_IFREG;
    return (type | (mode & 07777)) << 16;
}

// 1980-01-01 00:00:00 as an MS-DOS time and date: set as such, it does not depend on the time zone
// the way a time_t converted by the library would.
constexpr zip_uint16_t kFixedDosTime = 0;
constexpr zip_uint16_t kFixedDosDate = (0 << 9) | (1 << 5) | 1;

// Date and Unix attributes of the entry: the item's own, or the fixed ones.
bool setEntryAttributes(zip_t* zip, zip_uint64_t entry, const struct stat& st, bool folder, bool fixed) {
    if (fixed) {
        if (zip_file_set_dostime(zip, entry, kFixedDosTime, kFixedDosDate, 0) != 0) return false;
    } else if (zip_file_set_mtime(zip, entry, st.st_mtime, 0) != 0) {
        return false;
    }
    mode_t mode = fixed ? (folder ? 0755 : 0644) : st.st_mode;
    return zip_file_set_external_attributes(zip, entry, 0, ZIP_OPSYS_UNIX, externalAttributes(mode, folder)) == 0;
}

// The zlib level of an entry's level: a negative level is zlib's default (Z_DEFAULT_COMPRESSION,
// which zlib takes as 6).
int zlibLevel(int compressionLevel) { return compressionLevel > 0 ? std::min(compressionLevel, 9) : 6; }

// The deflate method and level of an entry: negative for zlib's default level, 0 to store, 1 to 9.
// The level is always spelt out: left to the library, an entry is deflated at its own default, the
// best and slowest level, not zlib's.
bool setCompression(zip_t* zip, zip_uint64_t entry, int compressionLevel) {
    zip_int32_t method = compressionLevel == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    zip_uint32_t level = compressionLevel == 0 ? 0 : static_cast<zip_uint32_t>(zlibLevel(compressionLevel));
    return zip_set_file_compression(zip, entry, method, level) == 0;
}

}  // namespace

namespace detail {

namespace {

constexpr std::size_t kDictionaryBytes = 32 * 1024;  // the deflate window

// One thread's deflate state, for the blocks it takes in turn.
class BlockDeflater {
public:
    explicit BlockDeflater(int level) {
        ok_ = deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~BlockDeflater() {
        if (ok_) deflateEnd(&stream_);
    }
    BlockDeflater(const BlockDeflater&) = delete;
    BlockDeflater& operator=(const BlockDeflater&) = delete;

    bool ok() const { return ok_; }

    // Deflates the block, primed with the dictionary, into out: ends on a byte boundary (sync
    // flush) or, for the last block, ends the stream.
    bool deflateBlock(std::string_view dictionary, std::string_view block, bool last, std::string& out) {
        if (deflateReset(&stream_) != Z_OK) return false;
        if (!dictionary.empty() &&
            deflateSetDictionary(&stream_, reinterpret_cast<const Bytef*>(dictionary.data()),
                                 static_cast<uInt>(dictionary.size())) != Z_OK)
            return false;
        // The bound covers the stream's end; a sync flush adds a few bytes more. If it is still
        // too small, the buffer grows.
        out.resize(deflateBound(&stream_, static_cast<uLong>(block.size())) + 16);
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
        stream_.avail_in = static_cast<uInt>(block.size());
        std::size_t used = 0;
        const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
        for (;;) {
            stream_.next_out = reinterpret_cast<Bytef*>(out.data() + used);
            stream_.avail_out = static_cast<uInt>(out.size() - used);
            const int result = deflate(&stream_, flush);
            used = out.size() - stream_.avail_out;
            if (result == Z_STREAM_ERROR) return false;
            const bool done = last ? result == Z_STREAM_END : stream_.avail_in == 0 && stream_.avail_out != 0;
            if (done) break;
            if (stream_.avail_out != 0) return false;  // no progress with room left: zlib failed
            out.resize(out.size() * 2);
        }
        out.resize(used);
        return true;
    }

private:
    z_stream stream_{};
    bool ok_ = false;
};

}  // namespace

BlockDeflateStream::BlockDeflateStream(int level, std::size_t blockSize, unsigned threadCount)
    : level_(level), blockSize_(std::clamp<std::size_t>(blockSize, 1, 1u << 30)),
      threadCount_(std::max(threadCount, 1u)), crc_(crc32(0L, Z_NULL, 0)) {}

bool BlockDeflateStream::deflate(std::string_view piece, bool last, std::string& out) {
    const std::size_t blockCount = std::max<std::size_t>(1, (piece.size() + blockSize_ - 1) / blockSize_);
    struct Block {
        std::string dictionary;  // only where it reaches back before the piece
        std::string stream;
        uLong crc = 0;
    };
    std::vector<Block> blocks;
    try {
        blocks.resize(blockCount);
        for (std::size_t i = 0; i < blockCount && i * blockSize_ < kDictionaryBytes; ++i) {
            const std::size_t start = std::min(i * blockSize_, piece.size());
            const std::size_t fromHistory = std::min(history_.size(), kDictionaryBytes - start);
            blocks[i].dictionary = history_.substr(history_.size() - fromHistory);
            blocks[i].dictionary.append(piece.substr(0, start));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    // Each thread takes the next block until none is left or one has failed. No exception leaves it.
    auto work = [&]() noexcept {
        try {
            BlockDeflater deflater(level_);
            if (!deflater.ok()) {
                failed = true;
                return;
            }
            for (std::size_t i = next++; i < blockCount && !failed; i = next++) {
                const std::size_t start = std::min(i * blockSize_, piece.size());
                const std::string_view block = piece.substr(start, blockSize_);
                const std::string_view dictionary = start < kDictionaryBytes
                                                        ? std::string_view(blocks[i].dictionary)
                                                        : piece.substr(start - kDictionaryBytes, kDictionaryBytes);
                if (!deflater.deflateBlock(dictionary, block, last && i + 1 == blockCount, blocks[i].stream)) {
                    failed = true;
                    return;
                }
                blocks[i].crc = crc32(0L, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(block.size()));
            }
        } catch (...) {
            failed = true;
        }
    };
    const std::size_t helperCount = std::min<std::size_t>(threadCount_, blockCount) - 1;
    std::vector<std::thread> helpers;
    try {
        helpers.reserve(helperCount);
        for (std::size_t i = 0; i < helperCount; ++i) helpers.emplace_back(work);
    } catch (...) {
        // Fewer threads than asked for: those running and this one do the work.
    }
    work();
    for (std::thread& helper : helpers) helper.join();
    if (failed) return false;

    try {
        std::size_t total = out.size();
        for (const Block& block : blocks) total += block.stream.size();
        out.reserve(total);
        for (std::size_t i = 0; i < blockCount; ++i) {
            out += blocks[i].stream;
            const std::size_t start = std::min(i * blockSize_, piece.size());
            crc_ = crc32_combine(crc_, blocks[i].crc, static_cast<z_off_t>(std::min(blockSize_, piece.size() - start)));
        }
        // The next piece's dictionary: the last 32 KB of the input so far.
        if (piece.size() >= kDictionaryBytes) {
            history_.assign(piece.substr(piece.size() - kDictionaryBytes));
        } else {
            history_.append(piece);
            if (history_.size() > kDictionaryBytes) history_.erase(0, history_.size() - kDictionaryBytes);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::optional<DeflatedData> deflateInBlocks(std::string_view input, int level, std::size_t blockSize,
                                            unsigned threadCount) {
    BlockDeflateStream stream(level, blockSize, threadCount);
    DeflatedData result;
    if (!stream.deflate(input, true, result.bytes)) return std::nullopt;
    result.crc = stream.crc();
    return result;
}

}  // namespace detail

namespace {

// Entries of at least this size are deflated here on several threads, in blocks, a batch of blocks
// read at a time; smaller ones are left to the library, which deflates on the thread that closes
// the archive. The deflate stream of one entry is held until the library has written it: an entry
// whose stream grows beyond the last bound (data that hardly compresses) is left to the library.
constexpr std::uint64_t kParallelDeflateMinBytes = 1024 * 1024;
constexpr std::uint64_t kParallelDeflateMaxBytes = std::uint64_t{1} << 30;
constexpr std::size_t kParallelDeflateBlockBytes = 256 * 1024;
constexpr std::size_t kParallelDeflateBlocksPerThread = 2;
constexpr std::size_t kParallelDeflateMaxStreamBytes = 16 * 1024 * 1024;

unsigned parallelDeflateThreads() { return std::clamp(std::thread::hardware_concurrency(), 1u, 8u); }


// The deflate option bits of the general purpose flag, as the library sets them for a zlib level.
zip_uint16_t deflateOptionFlags(int level) {
    if (level <= 2) return 0x0004;  // fast
    if (level >= 8) return 0x0002;  // maximum
    return 0;                       // normal
}

// Reads up to size bytes, fewer only at the end of the file; -1 on an error.
ssize_t readFully(int fd, char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

// The data of an entry that is deflated here rather than by the library. The library takes it as
// already compressed (as when it copies an entry from another archive) and writes it as it is. The
// deflating is done when the library first asks about the data, which it does as it writes the
// entry at close; the stream is dropped when the library is done reading it. If deflating fails or
// the stream grows too large, the entry's own bytes are given instead and the library deflates
// them as it would have.
class DeflatingSource {
public:
    DeflatingSource(std::string_view bytes, std::string filePath, std::uint64_t size, int level)
        : bytes_(bytes), filePath_(std::move(filePath)), size_(size), level_(level), mtime_(std::time(nullptr)) {
        zip_error_init(&error_);
    }
    ~DeflatingSource() {
        closeFile();
        zip_error_fini(&error_);
    }
    DeflatingSource(const DeflatingSource&) = delete;
    DeflatingSource& operator=(const DeflatingSource&) = delete;

    static zip_int64_t callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        auto* source = static_cast<DeflatingSource*>(self);
        if (command == ZIP_SOURCE_FREE) {
            std::unique_ptr<DeflatingSource> owned(source);
            return 0;
        }
        return source->handle(data, length, command);
    }

private:
    enum class Mode { Undecided, Deflated, Raw };

    // Sets the error the library asks for after a command fails.
    bool setError(int code, int systemError = 0) {
        zip_error_set(&error_, code, systemError);
        return false;
    }

    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            position_ = 0;
            return prepare() ? 0 : -1;
        case ZIP_SOURCE_READ:
            return read(static_cast<char*>(data), length);
        case ZIP_SOURCE_CLOSE:
            release();
            return 0;
        case ZIP_SOURCE_STAT: {
            if (mode_ == Mode::Undecided && !prepare()) return -1;
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
            if (!st) return -1;
            zip_stat_init(st);
            st->size = size_;
            st->mtime = mtime_;
            st->encryption_method = ZIP_EM_NONE;
            st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
            if (mode_ == Mode::Deflated) {
                st->comp_size = deflatedSize_;
                st->comp_method = ZIP_CM_DEFLATE;
                st->crc = crc_;
                st->valid |= ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC;
            } else {
                st->comp_method = ZIP_CM_STORE;  // the bytes as they are: the library deflates them
            }
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_GET_FILE_ATTRIBUTES: {
            if (mode_ == Mode::Undecided && !prepare()) return -1;
            auto* attributes = ZIP_SOURCE_GET_ARGS(zip_file_attributes_t, data, length, &error_);
            if (!attributes) return -1;
            zip_file_attributes_init(attributes);
            if (mode_ == Mode::Deflated) {
                attributes->general_purpose_bit_flags = deflateOptionFlags(zlibLevel(level_));
                attributes->general_purpose_bit_mask = 0x0006;
                attributes->valid |= ZIP_FILE_ATTRIBUTES_GENERAL_PURPOSE_BIT_FLAGS;
            }
            return sizeof(zip_file_attributes_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error_, data, length);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_GET_FILE_ATTRIBUTES,
                                                  static_cast<zip_source_cmd_t>(-1));
        default:
            setError(ZIP_ER_OPNOTSUPP);
            return -1;
        }
    }

    // What the library reads: the deflate stream, or the entry's own bytes (from memory or the file).
    zip_int64_t read(char* data, zip_uint64_t length) {
        if (!ready_) {
            setError(ZIP_ER_INTERNAL);
            return -1;
        }
        if (mode_ == Mode::Raw && !filePath_.empty()) {
            const ssize_t n = readFully(fd_, data, static_cast<std::size_t>(std::min<zip_uint64_t>(length, 1u << 30)));
            if (n < 0) {
                setError(ZIP_ER_READ, errno);
                return -1;
            }
            return n;
        }
        const std::string_view content = mode_ == Mode::Deflated ? std::string_view(deflated_) : bytes_;
        const std::uint64_t n = std::min<std::uint64_t>(length, content.size() - position_);
        std::memcpy(data, content.data() + position_, n);
        position_ += n;
        return static_cast<zip_int64_t>(n);
    }

    // Deflates the entry, reading its file a batch at a time. The first time, it decides whether
    // the library gets a deflate stream or the bytes; later (the library reads an entry again when
    // it must write it again), it gives the same.
    bool prepare() {
        if (ready_) return true;
        if (mode_ != Mode::Raw) {
            std::optional<bool> deflated = deflate();
            if (!deflated) return false;  // the error is set
            if (*deflated) {
                ready_ = true;
                return true;
            }
            if (mode_ == Mode::Deflated) return setError(ZIP_ER_MEMORY);  // its size was given already
            mode_ = Mode::Raw;
        }
        if (!filePath_.empty()) {
            closeFile();
            fd_ = ::open(filePath_.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd_ < 0) return setError(ZIP_ER_OPEN, errno);
        }
        ready_ = true;
        return true;
    }

    // Makes the deflate stream: true when done, false when the entry is better left to the library,
    // nothing (with the error set) when its file can't be read.
    std::optional<bool> deflate() {
        try {
            detail::BlockDeflateStream stream(zlibLevel(level_), kParallelDeflateBlockBytes, parallelDeflateThreads());
            std::string out;
            bool ok = true;
            if (filePath_.empty()) {
                ok = stream.deflate(bytes_, true, out);
            } else {
                const int fd = ::open(filePath_.c_str(), O_RDONLY | O_CLOEXEC);
                if (fd < 0) {
                    setError(ZIP_ER_OPEN, errno);
                    return std::nullopt;
                }
                std::string batch(kParallelDeflateBlockBytes * kParallelDeflateBlocksPerThread * parallelDeflateThreads(), '\0');
                std::uint64_t remaining = size_;
                int readError = 0;
                bool changed = false;
                while (ok) {
                    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, batch.size()));
                    const ssize_t n = readFully(fd, batch.data(), want);
                    if (n < 0) readError = errno;
                    changed = n >= 0 && static_cast<std::size_t>(n) != want;
                    if (n < 0 || changed) break;
                    remaining -= want;
                    ok = stream.deflate(std::string_view(batch.data(), want), remaining == 0, out);
                    // The stream so far foretells its end: an entry that would pass the bound is
                    // left to the library after its first batch rather than after all of them.
                    const double foretold =
                        static_cast<double>(out.size()) * static_cast<double>(size_) / static_cast<double>(size_ - remaining);
                    ok = ok && out.size() <= kParallelDeflateMaxStreamBytes &&
                         !(foretold > static_cast<double>(kParallelDeflateMaxStreamBytes));
                    if (remaining == 0) break;
                }
                char extra = 0;
                changed = changed || (ok && readError == 0 && readFully(fd, &extra, 1) != 0);
                ::close(fd);
                if (readError != 0 || changed) {
                    readError != 0 ? setError(ZIP_ER_READ, readError) : setError(ZIP_ER_CHANGED);
                    return std::nullopt;
                }
            }
            if (!ok) return false;
            if (mode_ == Mode::Deflated && (stream.crc() != crc_ || out.size() != deflatedSize_)) {
                setError(ZIP_ER_CHANGED);
                return std::nullopt;
            }
            mode_ = Mode::Deflated;
            crc_ = stream.crc();
            deflatedSize_ = out.size();
            deflated_ = std::move(out);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    void closeFile() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    void release() {
        std::string().swap(deflated_);
        closeFile();
        ready_ = false;
    }

    std::string_view bytes_;     // the entry's bytes, when it is added from bytes
    std::string filePath_;       // else the file they are read from
    std::uint64_t size_ = 0;     // their size
    int level_ = 0;
    std::time_t mtime_ = 0;
    zip_error_t error_;
    Mode mode_ = Mode::Undecided;
    bool ready_ = false;         // open for reading
    std::string deflated_;       // the deflate stream while it is read
    int fd_ = -1;                // the file while its bytes are read as they are
    std::uint32_t crc_ = 0;
    std::uint64_t deflatedSize_ = 0;
    std::uint64_t position_ = 0;
};

// Whether an entry of that size and level is deflated here.
bool deflatesInParallel(std::uint64_t size, int compressionLevel) {
    return compressionLevel != 0 && size >= kParallelDeflateMinBytes && size <= kParallelDeflateMaxBytes;
}

// A source that deflates the entry here (see DeflatingSource), or null with the library's error set.
zip_source_t* deflatingSource(zip_t* zip, std::string_view bytes, std::string filePath, std::uint64_t size,
                              int compressionLevel) {
    std::unique_ptr<DeflatingSource> state;
    try {
        state = std::make_unique<DeflatingSource>(bytes, std::move(filePath), size, compressionLevel);
    } catch (const std::bad_alloc&) {
        zip_error_set(zip_get_error(zip), ZIP_ER_MEMORY, 0);
        return nullptr;
    }
    zip_source_t* source = zip_source_function(zip, &DeflatingSource::callback, state.get());
    if (source) state.release();  // the source frees it
    return source;
}

}  // namespace

ZipArchive::ZipArchive(std::string path) : path_(std::move(path)), handle_(std::make_unique<Handle>()) {}

ZipArchive::~ZipArchive() { discard(); }

bool ZipArchive::isOpen() const { return handle_->zip != nullptr; }

bool ZipArchive::fail(std::string message) {
    lastError_ = std::move(message);
    return false;
}

bool ZipArchive::open(bool inMemory) {
    if (isOpen()) return fail("The package is already open.");
    if (inMemory) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
        zip_t* zip = nullptr;
        if (memory) zip = zip_open_from_source(memory, ZIP_TRUNCATE, &error);
        // The archive takes the source; it is read back after the archive is closed.
        if (zip) zip_source_keep(memory);
        if (!zip) {
            std::string message = zip_error_strerror(&error);
            zip_error_fini(&error);
            if (memory) zip_source_free(memory);
            return fail("Can't create the package: " + message);
        }
        zip_error_fini(&error);
        handle_->zip = zip;
        handle_->memory = memory;
        return true;
    }
    int code = 0;
    zip_t* zip = zip_open(path_.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        std::string message = zip_error_strerror(&error);
        zip_error_fini(&error);
        return fail("Can't create the package: " + message);
    }
    handle_->zip = zip;
    return true;
}

std::optional<std::uint64_t> ZipArchive::addEntry(zip_source* source, const std::string& entryName) {
    zip_t* zip = handle_->zip;
    if (!source) {
        fail("Can't add \"" + entryName + "\": " + libzipMessage(zip));
        return std::nullopt;
    }
    zip_int64_t index = zip_file_add(zip, entryName.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        fail("Can't add \"" + entryName + "\": " + libzipMessage(zip));
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(index);
}

bool ZipArchive::writeFileAtPath(const std::string& filePath, const std::string& entryName, int compressionLevel,
                                 const std::optional<std::string>& password, bool aes) {
    if (!isOpen()) return fail("The package is not open.");
    // The data is read when the archive is closed; find out now whether it can be read at all.
    int fd = ::open(filePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail("Can't read \"" + filePath + "\": " + systemMessage(errno));
    struct stat st {};
    int statResult = fstat(fd, &st);
    int statError = errno;
    ::close(fd);
    if (statResult != 0) return fail("Can't read \"" + filePath + "\": " + systemMessage(statError));
    if (!S_ISREG(st.st_mode)) return fail("\"" + filePath + "\" is not a file.");

    zip_t* zip = handle_->zip;
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);
    zip_source_t* source = !password && deflatesInParallel(fileSize, compressionLevel)
                               ? deflatingSource(zip, {}, filePath, fileSize, compressionLevel)
                               : zip_source_file(zip, filePath.c_str(), 0, -1);
    std::optional<zip_uint64_t> added = addEntry(source, entryName);
    if (!added) return false;
    const zip_uint64_t entry = *added;
    // An encrypted entry keeps its file's date: the library derives the password check byte from
    // the file's own time, and its random encryption header differs every time anyway.
    const bool fixed = fixedEntryAttributes_ && !password;
    if (!setCompression(zip, entry, compressionLevel) || !setEntryAttributes(zip, entry, st, false, fixed))
        return fail("Can't add \"" + entryName + "\": " + libzipMessage(zip));
    if (password) {
        zip_uint16_t scheme = aes ? ZIP_EM_AES_256 : ZIP_EM_TRAD_PKWARE;
        if (zip_file_set_encryption(zip, entry, scheme, password->c_str()) != 0)
            return fail("Can't encrypt \"" + entryName + "\": " + libzipMessage(zip));
    }
    return true;
}

bool ZipArchive::writeBytes(std::string_view bytes, const std::string& entryName, int compressionLevel) {
    if (!isOpen()) return fail("The package is not open.");
    zip_t* zip = handle_->zip;
    zip_source_t* source = deflatesInParallel(bytes.size(), compressionLevel)
                               ? deflatingSource(zip, bytes, {}, bytes.size(), compressionLevel)
                               : zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
    std::optional<zip_uint64_t> added = addEntry(source, entryName);
    if (!added) return false;
    const zip_uint64_t entry = *added;
    struct stat st {};
    st.st_mtime = std::time(nullptr);
    st.st_mode = S_IFREG | 0644;
    if (!setCompression(zip, entry, compressionLevel) ||
        !setEntryAttributes(zip, entry, st, false, fixedEntryAttributes_))
        return fail("Can't add \"" + entryName + "\": " + libzipMessage(zip));
    return true;
}

bool ZipArchive::writeFolderAtPath(const std::string& folderPath, const std::string& folderName) {
    if (!isOpen()) return fail("The package is not open.");
    struct stat st {};
    if (stat(folderPath.c_str(), &st) != 0) return fail("Can't read \"" + folderPath + "\": " + systemMessage(errno));
    zip_t* zip = handle_->zip;
    zip_int64_t index = zip_dir_add(zip, folderName.c_str(), ZIP_FL_ENC_UTF_8);
    if (index < 0) return fail("Can't add \"" + folderName + "/\": " + libzipMessage(zip));
    auto entry = static_cast<zip_uint64_t>(index);
    if (!setEntryAttributes(zip, entry, st, true, fixedEntryAttributes_))
        return fail("Can't add \"" + folderName + "/\": " + libzipMessage(zip));
    return true;
}

namespace {

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool ZipArchive::writeMemoryToPath() {
    zip_source_t* memory = handle_->memory;
    // As the library does: a file beside the destination, renamed over it when complete. A new
    // file is created with the defaults the umask leaves (the kernel applies it); one that replaces
    // a file takes that file's permissions.
    std::string whyNot;
    const std::optional<std::string> temp =
        reserveFreePath([&](long n) { return path_ + ".part" + std::to_string(n); }, 1000, false, &whyNot);
    if (!temp) {
        const std::string folder = pathDirectory(path_);
        return fail("Can't write the package: can't create a file in \"" + (folder.empty() ? std::string(".") : folder) +
                    "\": " + (whyNot.empty() ? std::string("every name is taken") : whyNot));
    }
    const int fd = ::open(temp->c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
    bool ok = fd >= 0;
    int error = errno;
    struct stat old {};
    if (ok && stat(path_.c_str(), &old) == 0 && fchmod(fd, old.st_mode & 07777) != 0) {
        ok = false;
        error = errno;
    }
    std::string readFailure;
    if (ok && zip_source_open(memory) != 0) {
        ok = false;
        readFailure = zip_error_strerror(zip_source_error(memory));
    } else if (ok) {
        // The archive goes to the file a chunk at a time, never copied whole.
        char chunk[64 * 1024];
        zip_int64_t n = 0;
        while (ok && (n = zip_source_read(memory, chunk, sizeof chunk)) > 0) {
            ok = writeAll(fd, chunk, static_cast<size_t>(n));
            error = errno;
        }
        if (ok && n < 0) {
            ok = false;
            readFailure = "the archive could not be read back.";
        }
        zip_source_close(memory);
    }
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temp->c_str(), path_.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp->c_str());
        return fail("Can't write the package: " + (readFailure.empty() ? systemMessage(error) : readFailure));
    }
    return true;
}

bool ZipArchive::close() {
    if (!isOpen()) return fail("The package is not open.");
    zip_t* zip = handle_->zip;
    if (zip_close(zip) != 0) {
        std::string message = libzipMessage(zip);
        zip_discard(zip);  // removes the temporary file; the path stays as it was
        handle_->zip = nullptr;
        handle_->releaseMemory();
        return fail("Can't write the package: " + message);
    }
    handle_->zip = nullptr;
    if (!handle_->memory) return true;
    const bool written = writeMemoryToPath();
    handle_->releaseMemory();
    return written;
}

void ZipArchive::discard() {
    if (!handle_) return;
    if (handle_->zip) zip_discard(handle_->zip);
    handle_->zip = nullptr;
    handle_->releaseMemory();
}

}  // namespace kx
