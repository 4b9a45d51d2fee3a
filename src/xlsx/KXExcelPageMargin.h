#pragma once
// Margins of a worksheet page or of a text box, in points.

struct KXExcelPageMargin {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    double header = 0;
    double footer = 0;
};
