#include "util/KXDuplicateBytes.h"

#include <cstring>

std::unique_ptr<std::uint8_t[]> KXDuplicateBytes(const void* bytes, std::int64_t size) {
    if (!bytes || size < 1) return nullptr;
    auto copy = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<size_t>(size));
    std::memcpy(copy.get(), bytes, static_cast<size_t>(size));
    return copy;
}
