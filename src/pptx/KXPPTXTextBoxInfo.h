#pragma once
// The geometry and style of a text box on a slide: where its text starts (the top-left corner of
// the box as turned), its size in points (slide space, y down) and its rotation in degrees. The text-box shape writes the geometry and the
// rotation; the fill and stroke fields are carried for the exporter.

#include <cstdint>
#include <vector>

#include "platform/Color.h"

struct KXPPTXTextBoxInfo {
    bool filled = false;
    bool stroked = false;
    kx::Color fillcolor;
    kx::Color strokecolor;
    double strokeweight = 0;
    std::vector<double> strokeDashPattern;
    std::int64_t strokeDashPhase = 0;
    double displayWidth = 0;
    double displayHeight = 0;
    double displayX = 0;
    double displayY = 0;
    double rotation = 0;
};
