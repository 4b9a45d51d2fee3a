#pragma once
// A heap copy of a byte buffer.

#include <cstdint>
#include <memory>

// A copy of `size` bytes at `bytes`; nullptr for a missing buffer or a size below 1.
std::unique_ptr<std::uint8_t[]> KXDuplicateBytes(const void* bytes, std::int64_t size);
