#pragma once
// Deflating one large entry on several threads, for ZipArchive. The input is cut into blocks; each
// block is deflated on its own, primed with the 32 KB before it as dictionary so that matches reach
// across the cut, and ends on a byte boundary (a sync flush; the last block finishes the stream), so
// that the pieces put end to end make one raw deflate stream.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kx::detail {

// One raw deflate stream (no zlib or gzip header), given its input a piece at a time; each piece is
// cut into blocks deflated on at most threadCount threads (the calling thread is one of them). The
// stream depends on how the input is cut into pieces and blocks, not on the thread count.
class BlockDeflateStream {
public:
    BlockDeflateStream(int level, std::size_t blockSize, unsigned threadCount);

    // Deflates the next piece of the input and appends its stream to out; last ends the stream.
    // False when zlib refuses the level, runs out of memory or fails (out is then unusable).
    bool deflate(std::string_view piece, bool last, std::string& out);
    // CRC-32 of the input so far.
    std::uint32_t crc() const { return static_cast<std::uint32_t>(crc_); }

private:
    int level_;
    std::size_t blockSize_;
    unsigned threadCount_;
    std::string history_;  // the end of the input so far, the next piece's dictionary
    unsigned long crc_;
};

struct DeflatedData {
    std::string bytes;      // raw deflate stream
    std::uint32_t crc = 0;  // CRC-32 of the input
};

// The whole input deflated in one piece (see BlockDeflateStream); nothing when that fails.
std::optional<DeflatedData> deflateInBlocks(std::string_view input, int level, std::size_t blockSize,
                                            unsigned threadCount);

}  // namespace kx::detail
