#include "xlsx/KXExcelStringItemInfo.h"

#include <cmath>

kx::Rect KXExcelStringItemInfo::textBoxRect() const {
    return {std::round(displayX), std::round(displayY), displayWidth, displayHeight};
}
