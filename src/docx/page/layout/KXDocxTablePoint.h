#pragma once
// A grid point of a table area: where ruling lines cross or end, with the kind of point and the
// table lines that run through it. Page space, points.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Geometry.h"

class KXDocxTableLine;

class KXDocxTablePoint {
public:
    // Bits of `type`.
    static constexpr std::uint8_t kIntersectShow = 1;  // lines cross here
    static constexpr std::uint8_t kEnd = 2;            // a line ends here
    static constexpr std::uint8_t kIntersectHide = 4;  // a crossing the grid implies, no line drawn
    static constexpr std::uint8_t kDeleted = 8;

    KXDocxTablePoint() = default;

    std::uint8_t type() const { return type_; }
    // Stores the type and sets the five flags from it.
    void setType(std::uint8_t type);
    const kx::Point& point() const { return point_; }
    void setPoint(kx::Point point) { point_ = point; }
    bool isIntersectHide() const { return isIntersectHide_; }
    bool isIntersectShow() const { return isIntersectShow_; }
    // Both a shown and a hidden crossing.
    bool isIntersect() const { return isIntersect_; }
    bool isDeleted() const { return isDeleted_; }
    bool isEnd() const { return isEnd_; }
    const std::vector<std::shared_ptr<KXDocxTableLine>>& tableLines() const { return tableLines_; }
    void setTableLines(std::vector<std::shared_ptr<KXDocxTableLine>> lines) { tableLines_ = std::move(lines); }

    std::string description() const;

private:
    std::uint8_t type_ = 0;
    kx::Point point_;
    bool isIntersectHide_ = false;
    bool isIntersectShow_ = false;
    bool isIntersect_ = false;
    bool isDeleted_ = false;
    bool isEnd_ = false;
    std::vector<std::shared_ptr<KXDocxTableLine>> tableLines_;
};

using KXDocxTablePointArray = std::vector<std::shared_ptr<KXDocxTablePoint>>;
