#pragma once
// One element of a freeform's path: its type (0 move, 1 line, 2 quadratic curve, 3 cubic curve,
// 4 close) and its points, the last being the end point of the segment.

#include <cstdint>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Path.h"

struct KXPPTXPathElement {
    std::int32_t type = 0;
    std::vector<kx::Point> points;

    KXPPTXPathElement() = default;
    // The element's type and as many points as the type has; an unknown type gets no points.
    explicit KXPPTXPathElement(const kx::PathElement& element);

    std::int64_t numberOfPoints() const { return static_cast<std::int64_t>(points.size()); }
};
