#pragma once
// A block of consecutive lines of a page (a column block), the vertical white-space strips that run
// through all of its lines, and its lines cut into columns along those strips. A strip is white
// space that every line of the block has at the same horizontal position: the lines' gaps (the
// space before and after each line and at each break in its reading order) intersected over the
// block. The first strip is normally the block's left margin and the last its right margin; n
// strips give n − 1 columns, each from the middle of the strip on its left to the middle of the
// strip on its right.
//
// Life of a block: CreateRunTextColum (strips ready), createColumGroup (columns ready),
// optimizeColumnSpaces (may drop strips and columns), createColumGroup again, optimizeColumnGroups.
//
// Geometry is in display space (points, y downward).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "docx/model/KXDocxRunTextLine.h"
#include "platform/Geometry.h"

class KXDocxRunTextColum;
using KXDocxRunTextColumArray = std::vector<std::shared_ptr<KXDocxRunTextColum>>;

class KXDocxRunTextColum {
public:
    KXDocxRunTextColum() = default;

    // A block of the lines (copied array, lines shared) with its frame, reading range and strips.
    static std::shared_ptr<KXDocxRunTextColum> CreateRunTextColum(const KXDocxRunTextLineArray& lines,
                                                                  bool columnMode);

    std::shared_ptr<KXDocxRunTextColum> copy() const { return std::make_shared<KXDocxRunTextColum>(*this); }
    std::string description() const;

    // Stores the lines and, for lines, recomputes frame, reading range and strips; the columns are
    // left as they were.
    void setLineArray(KXDocxRunTextLineArray lines);
    void _updateColumInfo(const KXDocxRunTextLineArray& lines);
    // Cuts the lines into columns along the strips; nothing when there are columns already.
    void createColumGroup();
    // The space to keep below the block.
    double bottomNeedSpace() const;
    // Positions of the columns narrower than 36 points (when there are at least two columns).
    std::vector<size_t> findSmallWidthColumns() const;
    // Positions of the columns holding nothing but blank runs (when there are at least two).
    std::vector<size_t> findBankSpaceColumns() const;
    // Drops the strips that do not separate columns; empties the columns when the strips changed.
    void optimizeColumnSpaces();
    // Drops the blank columns.
    void optimizeColumnGroups();
    // The smallest / largest reading position of the lines (all ones / 0 for no lines).
    std::uint64_t minPDFScanIndex(const KXDocxRunTextLineArray& lines) const;
    std::uint64_t maxPDFScanIndex(const KXDocxRunTextLineArray& lines) const;
    // Whether the runs of every column follow on in reading order; makes the columns first.
    bool isPDFScanIndexContinuousRunTextInEveryColum();

    std::uint64_t minPDFScanIndex() const { return minPDFScanIndex_; }
    std::uint64_t maxPDFScanIndex() const { return maxPDFScanIndex_; }
    const kx::Rect& columGroupFrame() const { return columGroupFrame_; }
    const KXDocxRunTextLineArray& lineArray() const { return lineArray_; }
    const std::vector<KXDocxRunTextLineArray>& columGroupArray() const { return columGroupArray_; }
    void setColumGroupArray(std::vector<KXDocxRunTextLineArray> groups) { columGroupArray_ = std::move(groups); }
    const std::vector<kx::Rect>& spaceColumArray() const { return spaceColumArray_; }
    void setSpaceColumArray(std::vector<kx::Rect> strips) { spaceColumArray_ = std::move(strips); }
    bool isColumnMode() const { return isColumnMode_; }
    void setIsColumnMode(bool value) { isColumnMode_ = value; }

    // Whether some line of A and some line of B share a vertical extent.
    static bool ColumIntersectLineArrayA(const KXDocxRunTextLineArray& a, const KXDocxRunTextLineArray& b);
    // Whether one of the two holds exactly one line that lines up (y and height within 2) with
    // exactly one line of the other: one line split by a wide gap, not two columns.
    static bool IsSingleColumLineArrayA(const KXDocxRunTextLineArray& a, const KXDocxRunTextLineArray& b);
    // The first block and the blocks after it (top to bottom) that continue it: close below it and
    // keeping its strips (or its columns' reading order).
    static KXDocxRunTextColumArray FindMergeRunTextColumArray(const KXDocxRunTextColumArray& blocks);

private:
    void findSpaceColumns();

    std::uint64_t minPDFScanIndex_ = 0;
    std::uint64_t maxPDFScanIndex_ = 0;
    KXDocxRunTextLineArray lineArray_;
    std::vector<kx::Rect> spaceColumArray_;
    kx::Rect columGroupFrame_;
    std::vector<KXDocxRunTextLineArray> columGroupArray_;
    bool isColumnMode_ = true;
};
