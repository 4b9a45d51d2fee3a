#pragma once
// Reading frames: the directions in which a page's text is read. Text on an upright page runs left
// to right, but a page may be turned as a whole (a landscape table printed on a portrait sheet, a
// page drawn under a quarter turn), hold turned lines beside its upright text (margin notes up the
// side, turned column headers, axis labels), or be set in vertical writing, whose lines run top to
// bottom and whose columns follow each other right to left.
//
// Each run is laid out in the frame of its baseline: display space turned so that the baseline
// runs left to right, moved back onto positive coordinates. In that frame the page's line, column
// and paragraph steps read the text as they read upright text. Vertical writing reads in the frame
// of text running downward: turned a quarter to the left, its lines run left to right and its
// columns, right to left on the page, come top to bottom.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "flowtext/FlowRun.h"
#include "platform/Geometry.h"

namespace kx::detail {

// The frame of a baseline at `angle` (display space, whole degrees from the x axis towards the y
// axis, 0 to 360): 0 within 5 degrees of the horizontal (the upright page's rules), 90, 180 or 270
// within 5 degrees of a quarter turn, else the angle itself.
int readingFrameOf(double angle);

// Display space to the frame `frame` of a page of `pageSize` (display space): the frame's baseline
// runs along +x, y runs downward, and the turned page starts at (0, 0).
kx::AffineTransform frameTransform(int frame, kx::Size pageSize);

// A group of runs read in one frame.
struct FrameGroup {
    int frame = 0;
    std::vector<std::shared_ptr<FlowRunText>> runs;
    // The group's runs are all the upright runs, as given (not copied into `runs`).
    const std::vector<std::shared_ptr<FlowRunText>>* allUpright = nullptr;
    const std::vector<std::shared_ptr<FlowRunText>>& shown() const { return allUpright ? *allUpright : runs; }
};

// Which of the upright runs (in the order shown) are characters of vertical writing placed one
// under the other, character by character: columns of two or more single characters at one x,
// each about a character below the one before, at least half of them of Chinese, Japanese or
// Korean writing. Empty when there are none.
std::vector<bool> verticalColumnsAmong(const std::vector<std::shared_ptr<FlowRunText>>& upright);

// The page's runs in reading groups. `upright` holds the runs of frame 0, `turned` those of other
// frames (each knows its frame, FlowRunText::readingFrame), both in the order shown; the upright
// runs that `stacked` marks (verticalColumnsAmong) move to the frame of vertical writing first.
// The page reads in the frame most of its characters share (the upright one when frames tie): its
// group comes first; every other frame's group follows in the order the page first shows it.
std::vector<FrameGroup> readingGroups(const std::vector<std::shared_ptr<FlowRunText>>& upright,
                                      const std::vector<std::shared_ptr<FlowRunText>>& turned,
                                      const std::vector<bool>& stacked, kx::Size pageSize);

// Whether a character is of Chinese, Japanese or Korean writing (Han, kana, Hangul, their
// punctuation and full-width forms), the writing that is set vertically.
bool isVerticalWritingCharacter(char32_t c);

}  // namespace kx::detail
