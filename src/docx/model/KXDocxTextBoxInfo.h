#pragma once
// The style record of a text box: turned text kept apart from the page's flow, or the text of a
// free-text annotation with its border and fill. The flow-text exporters fill it the same way for
// their own pages.
//
// Colours are held by value: a box is written when its page ends, long after the graphics state
// that gave them is gone.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRunPictInfo.h"
#include "platform/Color.h"

// Distances on the four sides of a box, in points.
struct KXPDFEdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
};

struct KXDocxTextBoxInfo : KXDocxRunPictInfo {
    bool filled = false;
    bool stroked = false;
    std::optional<kx::Color> fillcolor;    // none: no fill colour given
    std::optional<kx::Color> strokecolor;  // none: no outline colour given
    double strokeweight = 0;               // outline width, points
    std::vector<double> strokeDashPattern;  // empty: a solid outline
    std::int64_t strokeDashPhase = 0;
    KXPDFEdgeInsets textBoxMargin;  // distances between the box and the text around it
    double rotation = 0;            // degrees, clockwise on the page

    // (displayX, displayY, displayWidth, displayHeight).
    kx::Rect textBoxRect() const { return displayFrame(); }

    // "#RRGGBB" of a colour, each channel round(component × 255) held to 0..255; none for none.
    static std::optional<std::string> colorString(const std::optional<kx::Color>& color);
    std::optional<std::string> fillcolorString() const { return colorString(fillcolor); }
    std::optional<std::string> strokecolorString() const { return colorString(strokecolor); }
    // "%ld" of the dash phase.
    std::string strokeDashPhaseString() const;
    // The dash lengths as whole numbers separated by blanks; none without a pattern.
    std::optional<std::string> strokeDashPatternString() const;
    // The colours as record colours (alpha 255; black for none).
    KXDocx_Color strokeColorKX() const;
    KXDocx_Color fillColorKX() const;
};
