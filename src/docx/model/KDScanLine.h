#pragma once
// Where ruling lines cross. The table finder hands the straight lines of a table area to a scan as
// segments and turns the typed points it returns into the grid points of a table.
//
// Every segment is lengthened by the tolerance at both ends, so that lines which stop a little short
// of each other still meet. A line sweeps down the plane (y descending) over the segments' ends and
// crossings; the segments it cuts are kept in a tree ordered by x on the line, and only neighbours in
// that tree are tested against each other. The result holds, in this order: each crossing of two
// lengthened segments (type 3) in the order the sweep finds them, then the two real ends of every
// segment that crosses something (the type stored with them, 1 for the table finder's segments); a
// point that lands close to one already found only adds its type bits to it. Last the grid is
// completed: a hidden point (type 4) stands at every combination of the x and y positions found
// where no point lies yet.
//
// Point types are sets of bits: 1 shown crossing, 2 end of a line, 4 hidden crossing, 8 deleted.
// Coordinates are single precision, page space.

#include <cstdint>
#include <deque>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct KDScanPoint {
    std::uint8_t type = 0;
    float x = 0;
    float y = 0;
};

// A segment as the line x = a·y + b through its two ends (a = -1 and b = -y for a level segment).
struct KDScanSegment {
    KDScanPoint p1{1, 0, 0};
    KDScanPoint p2{1, 0, 0};
    float b = -1;
    float a = -1;

    KDScanSegment() = default;
    // Both ends of type 1, the line derived.
    KDScanSegment(float x1, float y1, float x2, float y2);
    // Copies both ends and derives a and b from them.
    void assign(const KDScanSegment& segment);
};

class KDScanLine {
public:
    // The segments and the tolerance by which each is lengthened at both ends (a negative tolerance
    // counts as 0).
    KDScanLine(const std::vector<KDScanSegment>& segments, int m_wucha);

    // Sweeps a line down the plane (y descending) and builds the result; the first call does the
    // work, later ones nothing.
    void scan();
    // The points, read after scan().
    const std::vector<KDScanPoint>& intersectionPoints() const { return result_; }

    // More combinations of x and y than this are not completed (said on standard error): such a
    // grid holds far more columns than any table may have, and its points grow with the product of
    // the positions, a thousand million and more for a page of crafted lines.
    static constexpr std::size_t kMaxCompletedGridPoints = std::size_t(1) << 20;

private:
    struct Stored {
        KDScanSegment lengthened;
        KDScanPoint end1, end2;  // the ends as given
        float enterX = 0;        // x of the end where the segment enters the sweep
    };

    // 0 the upper end of segment i (it enters), 1 its lower end (it leaves), 2 a crossing of i and j.
    struct KDScanEvent {
        float x = 0;
        float y = 0;
        std::int32_t i = 0;
        std::int32_t j = 0;
        float a = -1;
        float b = -1;
        std::int32_t type = 0;
    };
    struct EventOrder {
        bool operator()(const KDScanEvent& l, const KDScanEvent& r) const;
    };

    // A crossing of two segments: state 6 while both are active, 7 when one has left, 9 when both have.
    struct Crossing {
        std::int32_t i, j;
        float state;
        float x, y;
    };

    // A node of the tree of active segments, ordered by x on the scan line. A node carries a segment
    // or, as a marker, a crossing waiting in the queue (`crossing` >= 0).
    struct Node {
        std::int32_t segment = -1;
        std::int32_t crossing = -1;
        float markerX = 0;
        Node* parent = nullptr;
        Node* left = nullptr;
        Node* right = nullptr;
    };

    float xOnScanLine(const Node* node, float y) const;
    Node* newNode();
    void insertNode(Node* node, float y);
    void removeNode(Node* node);
    static Node* nextNode(Node* node);
    static Node* previousNode(Node* node);
    static Node* nextSegment(Node* node);
    static Node* previousSegment(Node* node);
    Node* findSegment(std::int32_t segment) const;
    Node* findMarker(std::int32_t i, std::int32_t j) const;

    void enter(const KDScanEvent& event);
    void leave(const KDScanEvent& event);
    void cross(const KDScanEvent& event);
    // Exchanges the segments of two nodes; without a first node it prints the event queue and an
    // error line to standard output and leaves the tree as it is.
    void switchScan(Node* first, Node* second);
    void testSegments(Node* first, Node* second, const KDScanEvent& event);

    void addPoint(const KDScanPoint& point);
    void completeGrid();

    int m_wucha;
    std::vector<Stored> segments_;
    std::multiset<KDScanEvent, EventOrder> m_ordHead;
    std::vector<Crossing> crossings_;
    // The crossings naming each segment, and the pairs already recorded (smaller index first).
    std::vector<std::vector<std::int32_t>> crossingsOf_;
    std::unordered_set<std::uint64_t> crossedPairs_;
    // Every node made during the sweep; all are freed with the scan.
    std::deque<Node> nodes_;
    Node* root_ = nullptr;
    std::vector<KDScanPoint> result_;
    // The result's points by square of 15 pt (the largest merging distance), for the look-ups of
    // addPoint and completeGrid.
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> cells_;
    bool scanned_ = false;
};
