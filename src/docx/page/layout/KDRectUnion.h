#pragma once
// Do integer rectangles together fill exactly their common bounding rectangle, with no gap and no
// notch? The table finder asks it of the boxes of paths that might be merged into one rectangle.
//
// A sweep over x with a segment tree over the distinct y values: over every stretch of x between two
// consecutive places where a rectangle starts or ends, the rectangles spanning that stretch must
// cover the whole height from the smallest top to the largest bottom. Rectangles that only touch
// along an edge count as joined. A rectangle without area (no width or no height) covers nothing and
// is left out; no rectangle at all, or none with area, fills its (empty) union.

#include <vector>

// Page space, y downward; left ≤ right and top ≤ bottom (swapped ends are put back in order).
struct KDIntRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class KDRectUnion {
public:
    explicit KDRectUnion(const std::vector<KDIntRect>& rects);

    bool isCanMerge() const { return isCanMerge_; }

private:
    struct KDRectEvent {
        int x;
        int top;
        int bottom;
        int delta;  // +1 where a rectangle starts, -1 where it ends
        int index;  // the rectangle's place in the input
    };
    // Covers the y range from value l to value r; its children split it at (l + r + 1) / 2.
    struct KDRectTreeNode {
        int l = 0;
        int r = 0;
        int cover = 0;    // rectangles covering the whole node
        int covered = 0;  // elementary intervals under the node covered by at least one rectangle
    };

    void build(int k, int l, int r);
    void apply(int k, int top, int bottom, int delta);

    std::vector<int> ys_;
    std::vector<KDRectTreeNode> nodes_;
    bool isCanMerge_ = true;
};
