#pragma once
// The box of a cell's text on the page (display space, y down), with the drawing fields a text box
// record carries; the spreadsheet family uses only the four display values.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "xlsx/KXExcelPageMargin.h"

struct KXExcelStringItemInfo {
    bool filled = false;
    bool stroked = false;
    std::optional<kx::Color> fillcolor;
    std::optional<kx::Color> strokecolor;
    double strokeweight = 0;
    std::vector<double> strokeDashPattern;
    std::int64_t strokeDashPhase = 0;
    double displayWidth = 0;
    double displayHeight = 0;
    double displayX = 0;
    double displayY = 0;
    KXExcelPageMargin textBoxMargin;
    double rotation = 0;

    // Origin (displayX, displayY) rounded half away from zero; size (displayWidth, displayHeight).
    kx::Rect textBoxRect() const;
};
