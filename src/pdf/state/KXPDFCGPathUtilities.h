#pragma once
// Paths as arrays of path elements and back. Render states keep their clip paths in this form, and
// the page models rebuild paths from it.

#include <optional>
#include <vector>

#include "platform/Path.h"

// One element: its type (0 move, 1 line, 2 quadratic curve, 3 cubic curve, 4 close) and its points
// in path order (one for a move or line, control and end for a quadratic, two controls and end for
// a cubic, none for a close).
struct KXPDFPathElement {
    int type = 0;
    std::vector<kx::Point> points;
    bool operator==(const KXPDFPathElement&) const = default;
};

// The element array with its validity flag (true in every array handed out).
struct KXPDFPathElementArray {
    bool valid = true;
    std::vector<KXPDFPathElement> elements;
    bool operator==(const KXPDFPathElementArray&) const = default;
};

class KXPDFCGPathUtilities {
public:
    // nullopt when the path holds an element of a type other than 0 to 4.
    static std::optional<KXPDFPathElementArray> NSArrayWithCGPath(const kx::Path& path);
    // nullopt when an element has a type other than 0 to 4 or fewer points than its type needs; an
    // array without elements gives an empty path.
    static std::optional<kx::Path> CGPathWithNSArray(const KXPDFPathElementArray& array);
};
