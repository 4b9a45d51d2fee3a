#pragma once
// The paint of a path run (KXDocxRunPath) and its frame on the page: whether the path is filled
// and stroked, its fill and stroke colours both as device colours (for drawing and writing) and as
// record colours with their alphas (for comparing), the two alphas, the stroke width and the dash.
// The exporter fills it from the graphics state when a path is painted; the shape writer turns it
// into VML; the page, the table finder and the presentation writer compare its colours.
//
// The record colours follow the device colours and the alphas, whichever is set last: their red,
// green and blue come from the colour (black when there is none) and their alpha is the alpha
// times 255, cut toward zero in single precision (0.5 gives 127).
//
// A copy is the whole record: paint, colours, width, dash and frame.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRunPictInfo.h"
#include "platform/Color.h"

class KXDocxPathInfo : public KXDocxRunPictInfo {
public:
    // Neither filled nor stroked, no colours, both alphas 1, a stroke width of 0.1 (single
    // precision), no dash.
    KXDocxPathInfo() = default;

    bool filled() const { return filled_; }
    void setFilled(bool value) { filled_ = value; }
    bool stroked() const { return stroked_; }
    void setStroked(bool value) { stroked_ = value; }

    // The device colours (red, green and blue from 0 to 1; their own alpha is not used).
    const std::optional<kx::Color>& fillcolor() const { return fillcolor_; }
    void setFillcolor(const std::optional<kx::Color>& color);
    const std::optional<kx::Color>& strokecolor() const { return strokecolor_; }
    void setStrokecolor(const std::optional<kx::Color>& color);

    float fillAlpha() const { return fillAlpha_; }
    void setFillAlpha(float alpha);
    float strokeAlpha() const { return strokeAlpha_; }
    void setStrokeAlpha(float alpha);

    // Points.
    double strokeweight() const { return strokeweight_; }
    void setStrokeweight(double weight) { strokeweight_ = weight; }
    // Dash lengths in points; empty for a solid line.
    const std::vector<double>& strokeDashPattern() const { return strokeDashPattern_; }
    void setStrokeDashPattern(std::vector<double> pattern) { strokeDashPattern_ = std::move(pattern); }
    std::int64_t strokeDashPhase() const { return strokeDashPhase_; }
    void setStrokeDashPhase(std::int64_t phase) { strokeDashPhase_ = phase; }

    // The colours as records, 0 to 255 a channel, alpha included.
    const KXDocx_Color& strokeColorKX() const { return strokeColorKX_; }
    void setStrokeColorKX(const KXDocx_Color& color) { strokeColorKX_ = color; }
    const KXDocx_Color& fillColorKX() const { return fillColorKX_; }
    void setFillColorKX(const KXDocx_Color& color) { fillColorKX_ = color; }
    // The same records under the names the page steps read them by.
    const KXDocx_Color& strokeColorFP() const { return strokeColorKX_; }
    const KXDocx_Color& fillColorFP() const { return fillColorKX_; }

    // "#RRGGBB" of a colour (each channel rounded from the component times 255); none for no colour.
    static std::optional<std::string> colorString(const std::optional<kx::Color>& color);
    std::optional<std::string> fillcolorString() const { return colorString(fillcolor_); }
    std::optional<std::string> strokecolorString() const { return colorString(strokecolor_); }
    // The dash phase as a whole number.
    std::string strokeDashPhaseString() const;
    // The dash lengths as whole numbers separated by blanks; none without a dash.
    std::optional<std::string> strokeDashPatternString() const;

    // The table border a ruling path stands for, as an index into the border-style names: 1 "nil"
    // (no border), 2 "single", 4 "dashed", 6 "dotDash", 7 "dotDotDash", 8 "dotted". A stroke draws
    // by its dash, or a single line unless it has the background's colour; a filled bar thinner
    // than 4 points one way draws a single line unless it has the background's colour; a dot, an
    // area or an unpainted path draws none.
    static int BorderStyleForPathInfo(const KXDocxPathInfo& info, const KXDocx_Color& backgroundColor);

private:
    bool filled_ = false;
    bool stroked_ = false;
    std::optional<kx::Color> fillcolor_;
    std::optional<kx::Color> strokecolor_;
    float fillAlpha_ = 1.0f;
    float strokeAlpha_ = 1.0f;
    double strokeweight_ = static_cast<double>(0.1f);
    std::vector<double> strokeDashPattern_;
    std::int64_t strokeDashPhase_ = 0;
    KXDocx_Color strokeColorKX_;
    KXDocx_Color fillColorKX_;
};
