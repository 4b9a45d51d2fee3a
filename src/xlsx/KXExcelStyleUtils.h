#pragma once
// Finding a cell format by value in the list of cell formats.

#include <cstdint>
#include <vector>

#include "xlsx/KXExcelStyleRecords.h"
#include "xlsx/KXExcelStyleXf.h"

class KXExcelStyleUtils {
public:
    KXExcelStyleUtils() = delete;

    // The index of the first format equal (isEqualXf) to the one these values make, or of that
    // format appended.
    static std::uint32_t getStyleIndexFrom(std::vector<KXExcelStyleXf>& cellXfs, std::uint32_t numFmtID,
                                           std::uint32_t fontID, std::uint32_t fillID, std::uint32_t borderID,
                                           const KXExcel_Xf_Alignment& alignment);
};
