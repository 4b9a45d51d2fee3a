#pragma once
// The geometry and style of a freeform shape: its box in points (slide space, y down), fill and
// line colours with their alphas, line weight, dash and cap. An unfilled shape answers a white
// fill of alpha 0, an unstroked one a white line of alpha 0, so that fill and line can always be
// written.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Color.h"
#include "platform/Geometry.h"

class KXPPTXFreeformInfo {
public:
    bool filled() const { return filled_; }
    void setFilled(bool v) { filled_ = v; }
    bool stroked() const { return stroked_; }
    void setStroked(bool v) { stroked_ = v; }
    const kx::Color& fillcolor() const { return fillcolor_; }
    void setFillcolor(const kx::Color& c) { fillcolor_ = c; }
    const kx::Color& strokecolor() const { return strokecolor_; }
    void setStrokecolor(const kx::Color& c) { strokecolor_ = c; }
    // The stored alpha when filled (stroked), else 0.
    float fillAlpha() const { return filled_ ? fillAlpha_ : 0.0f; }
    void setFillAlpha(float v) { fillAlpha_ = v; }
    float strokeAlpha() const { return stroked_ ? strokeAlpha_ : 0.0f; }
    void setStrokeAlpha(float v) { strokeAlpha_ = v; }
    double strokeweight() const { return strokeweight_; }
    void setStrokeweight(double v) { strokeweight_ = v; }
    // Dash lengths in points, as the line is drawn on the slide.
    const std::vector<double>& strokeDashPattern() const { return strokeDashPattern_; }
    void setStrokeDashPattern(std::vector<double> v) { strokeDashPattern_ = std::move(v); }
    std::int64_t strokeDashPhase() const { return strokeDashPhase_; }
    void setStrokeDashPhase(std::int64_t v) { strokeDashPhase_ = v; }
    // 0 butt, 1 round, 2 square.
    std::int32_t lineCap() const { return lineCap_; }
    void setLineCap(std::int32_t v) { lineCap_ = v; }
    double displayWidth() const { return displayWidth_; }
    void setDisplayWidth(double v) { displayWidth_ = v; }
    double displayHeight() const { return displayHeight_; }
    void setDisplayHeight(double v) { displayHeight_ = v; }
    double displayX() const { return displayX_; }
    void setDisplayX(double v) { displayX_ = v; }
    double displayY() const { return displayY_; }
    void setDisplayY(double v) { displayY_ = v; }

    // "rrggbb" of the fill (line) colour when filled (stroked), else of white.
    std::string fillcolorString() const;
    std::string strokecolorString() const;
    // "flat", "rnd" or "sq" for the caps 0, 1 and 2; none for another value.
    std::optional<std::string> lineCapString() const;
    // The preset dash of a line without a dash pattern.
    std::string prstDashString() const { return "solid"; }
    kx::Point displayOrigin() const { return {displayX_, displayY_}; }
    void setDisplayRect(const kx::Rect& r);

private:
    bool filled_ = false;
    bool stroked_ = false;
    kx::Color fillcolor_;
    kx::Color strokecolor_;
    float fillAlpha_ = 1;
    float strokeAlpha_ = 1;
    double strokeweight_ = 0;
    std::vector<double> strokeDashPattern_;
    std::int64_t strokeDashPhase_ = 0;
    std::int32_t lineCap_ = 0;
    double displayWidth_ = 0;
    double displayHeight_ = 0;
    double displayX_ = 0;
    double displayY_ = 0;
};
