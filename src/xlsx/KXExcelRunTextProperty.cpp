#include "xlsx/KXExcelRunTextProperty.h"

namespace {

bool sameText(const std::string& a, const std::string& b) { return !a.empty() && a == b; }

}  // namespace

KXExcelRunTextProperty::KXExcelRunTextProperty()
    : rFont_("Arial Unicode MS"), rFont_replace_("Arial Unicode MS"), family_("Arial Unicode MS"), rgbColor_("2f2b20") {}

bool KXExcelRunTextProperty::isEqualToRPr(const KXExcelRunTextProperty& o) const {
    return sz_ == o.sz_ && sameText(rFont_, o.rFont_) && sameText(rgbColor_, o.rgbColor_) &&
           sameText(family_, o.family_);
}

bool KXExcelRunTextProperty::isSameToRPr(const KXExcelRunTextProperty& o) const {
    return sz_ == o.sz_ && sameText(rgbColor_, o.rgbColor_);
}
