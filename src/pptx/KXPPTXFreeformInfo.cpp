#include "pptx/KXPPTXFreeformInfo.h"

#include "util/KXHexColor.h"

std::string KXPPTXFreeformInfo::fillcolorString() const {
    return KXHexColor::getHexColorFromCGColor(filled_ ? fillcolor_ : KXHexColor::whiteCGColor()).value_or("ffffff");
}

std::string KXPPTXFreeformInfo::strokecolorString() const {
    return KXHexColor::getHexColorFromCGColor(stroked_ ? strokecolor_ : KXHexColor::whiteCGColor()).value_or("ffffff");
}

std::optional<std::string> KXPPTXFreeformInfo::lineCapString() const {
    switch (lineCap_) {
        case 0: return "flat";
        case 1: return "rnd";
        case 2: return "sq";
        default: return std::nullopt;
    }
}

void KXPPTXFreeformInfo::setDisplayRect(const kx::Rect& r) {
    displayX_ = r.origin.x;
    displayY_ = r.origin.y;
    displayWidth_ = r.size.width;
    displayHeight_ = r.size.height;
}
