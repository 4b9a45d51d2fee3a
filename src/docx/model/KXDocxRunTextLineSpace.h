#pragma once
// One horizontal stretch of white space of a text line: before its first run, between two runs
// where the reading order breaks, or after its last run. Column detection intersects these
// rectangles over the lines of a block; the space after a line is open to the right so that it
// never narrows such an intersection.

#include <memory>

#include "docx/model/KXDocxRunText.h"
#include "platform/Geometry.h"

class KXDocxRunTextLineSpace {
public:
    // The width of the space after a line's last run.
    static constexpr float kOpenWidth = 99999.9f;

    KXDocxRunTextLineSpace() = default;

    // The space between the two runs (either may be null); null when both are.
    static std::shared_ptr<KXDocxRunTextLineSpace> RunTextLineSpaceWithLeftRunText(
        std::shared_ptr<KXDocxRunText> leftRunText, std::shared_ptr<KXDocxRunText> rightRunText);

    // Display space: from the left run's right edge to the right run's left edge, at the left run's
    // glyph top and height (the right run's without a left one); a sliver 0.2 wide round the right
    // run's left edge where the runs touch or overlap; from x = 0 without a left run; 99999.9 wide
    // without a right run.
    const kx::Rect& spaceRect() const { return spaceRect_; }
    void setSpaceRect(const kx::Rect& rect) { spaceRect_ = rect; }
    const std::shared_ptr<KXDocxRunText>& leftRunText() const { return leftRunText_; }
    void setLeftRunText(std::shared_ptr<KXDocxRunText> run) { leftRunText_ = std::move(run); }
    const std::shared_ptr<KXDocxRunText>& rightRunText() const { return rightRunText_; }
    void setRightRunText(std::shared_ptr<KXDocxRunText> run) { rightRunText_ = std::move(run); }

private:
    kx::Rect spaceRect_;
    std::shared_ptr<KXDocxRunText> leftRunText_;
    std::shared_ptr<KXDocxRunText> rightRunText_;
};
