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

struct DeflatedData {
    std::string bytes;        // raw deflate stream (no zlib or gzip header)
    std::uint32_t crc = 0;    // CRC-32 of the input
};

// Deflates the input at the zlib level (1 to 9) in blocks of blockSize bytes on at most threadCount
// threads (the calling thread is one of them). The stream does not depend on the thread count.
// Nothing when zlib refuses the level, runs out of memory or fails.
std::optional<DeflatedData> deflateInBlocks(std::string_view input, int level, std::size_t blockSize,
                                            unsigned threadCount);

}  // namespace kx::detail
