#include "xlsx/KXExcelStyleUtils.h"

std::uint32_t KXExcelStyleUtils::getStyleIndexFrom(std::vector<KXExcelStyleXf>& cellXfs, std::uint32_t numFmtID,
                                                   std::uint32_t fontID, std::uint32_t fillID, std::uint32_t borderID,
                                                   const KXExcel_Xf_Alignment& alignment) {
    KXExcelStyleXf candidate(numFmtID, fontID, fillID, borderID, alignment);
    for (size_t i = 0; i < cellXfs.size(); ++i)
        if (cellXfs[i].isEqualXf(candidate)) return static_cast<std::uint32_t>(i);
    cellXfs.push_back(candidate);
    return static_cast<std::uint32_t>(cellXfs.size() - 1);
}
