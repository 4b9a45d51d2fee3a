#pragma once
// A merged range of a sheet: its top-left and bottom-right cells, both inside the range.

#include <string>

#include "xlsx/KXPoint.h"

class KXMergedCell {
public:
    KXMergedCell() = default;
    KXMergedCell(KXPoint start, KXPoint end) : start_(start), end_(end) {}

    const KXPoint& start() const { return start_; }
    KXPoint& start() { return start_; }
    const KXPoint& end() const { return end_; }
    KXPoint& end() { return end_; }

    // The reference of the range ("A1:C2").
    std::string mergerCellInfo() const;
    bool isEqual(const KXMergedCell& other) const { return start_ == other.start_ && end_ == other.end_; }
    // The two ranges share at least one cell.
    bool isCross(const KXMergedCell& other) const;

private:
    KXPoint start_;
    KXPoint end_;
};
