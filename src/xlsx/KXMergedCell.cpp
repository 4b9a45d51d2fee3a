#include "xlsx/KXMergedCell.h"

#include "xlsx/KXExcelUtilities.h"

namespace {

std::string reference(const KXPoint& p) {
    return KXExcelUtilities::getColumnName(static_cast<std::int64_t>(p.c())).value_or("") + std::to_string(p.r());
}

}  // namespace

std::string KXMergedCell::mergerCellInfo() const { return reference(start_) + ":" + reference(end_); }

bool KXMergedCell::isCross(const KXMergedCell& o) const {
    return start_.c() <= o.end_.c() && o.start_.c() <= end_.c() && start_.r() <= o.end_.r() && o.start_.r() <= end_.r();
}
