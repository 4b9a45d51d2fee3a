#pragma once
// A cell of a sheet by its 1-based row and column.

#include <cstdint>

class KXPoint {
public:
    KXPoint() = default;
    KXPoint(std::uint64_t r, std::uint64_t c) : r_(r), c_(c) {}

    std::uint64_t r() const { return r_; }
    void setR(std::uint64_t v) { r_ = v; }
    std::uint64_t c() const { return c_; }
    void setC(std::uint64_t v) { c_ = v; }

    bool isEqual(const KXPoint& other) const { return r_ == other.r_ && c_ == other.c_; }
    bool operator==(const KXPoint& other) const { return isEqual(other); }

private:
    std::uint64_t r_ = 0;
    std::uint64_t c_ = 0;
};

inline KXPoint KXPointMake(std::uint64_t row, std::uint64_t column) { return {row, column}; }
