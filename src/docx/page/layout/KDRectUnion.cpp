#include "docx/page/layout/KDRectUnion.h"

#include <algorithm>
#include <utility>

KDRectUnion::KDRectUnion(const std::vector<KDIntRect>& rects) {
    std::vector<KDRectEvent> events;
    events.reserve(rects.size() * 2);
    for (size_t k = 0; k < rects.size(); ++k) {
        KDIntRect r = rects[k];
        if (r.left > r.right) std::swap(r.left, r.right);
        if (r.top > r.bottom) std::swap(r.top, r.bottom);
        if (r.left == r.right || r.top == r.bottom) continue;
        events.push_back({r.left, r.top, r.bottom, +1, static_cast<int>(k)});
        events.push_back({r.right, r.top, r.bottom, -1, static_cast<int>(k)});
        ys_.push_back(r.top);
        ys_.push_back(r.bottom);
    }
    if (events.empty()) return;
    std::sort(ys_.begin(), ys_.end());
    ys_.erase(std::unique(ys_.begin(), ys_.end()), ys_.end());
    const int m = static_cast<int>(ys_.size()) - 1;  // elementary intervals; at least 1 here
    std::stable_sort(events.begin(), events.end(), [](const KDRectEvent& a, const KDRectEvent& b) {
        return a.x != b.x ? a.x < b.x : a.delta > b.delta;
    });

    // The tree as large as its intervals need: at most 2·m − 1 nodes, numbered from 1, children of k
    // at 2k and 2k + 1, which stay below 4·m.
    nodes_.assign(static_cast<size_t>(4 * m + 1), KDRectTreeNode{});
    build(1, 0, m);

    for (size_t i = 0; i < events.size(); ++i) {
        if (i > 0 && events[i].x != events[i - 1].x && nodes_[1].covered != m) {
            isCanMerge_ = false;
            return;
        }
        apply(1, events[i].top, events[i].bottom, events[i].delta);
    }
}

void KDRectUnion::build(int k, int l, int r) {
    nodes_[static_cast<size_t>(k)] = {l, r, 0, 0};
    if (r - l <= 1) return;
    const int mid = (l + r + 1) / 2;
    build(2 * k, l, mid);
    build(2 * k + 1, mid, r);
}

void KDRectUnion::apply(int k, int top, int bottom, int delta) {
    KDRectTreeNode& node = nodes_[static_cast<size_t>(k)];
    const bool leaf = node.r - node.l <= 1;
    if (leaf || (top <= ys_[static_cast<size_t>(node.l)] && ys_[static_cast<size_t>(node.r)] <= bottom)) {
        // A leaf reached here lies inside the rectangle: its rectangle spans whole intervals only.
        node.cover += delta;
    } else {
        const int mid = (node.l + node.r + 1) / 2;
        if (ys_[static_cast<size_t>(mid)] > top) apply(2 * k, top, bottom, delta);
        if (bottom > ys_[static_cast<size_t>(mid)]) apply(2 * k + 1, top, bottom, delta);
    }
    KDRectTreeNode& n = nodes_[static_cast<size_t>(k)];
    if (n.cover > 0) {
        n.covered = n.r - n.l;
    } else if (n.r - n.l <= 1) {
        n.covered = 0;
    } else {
        n.covered = nodes_[static_cast<size_t>(2 * k)].covered + nodes_[static_cast<size_t>(2 * k + 1)].covered;
    }
}
