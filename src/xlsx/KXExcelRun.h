#pragma once
// A captured piece of a spreadsheet page: its geometry in page display space (y down) and its order
// of capture.

#include <cstdint>

#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "platform/Geometry.h"

class KXExcelRun {
public:
    const KXPDF_CTMInfo& ctmInfo() const { return ctmInfo_; }
    KXPDF_CTMInfo& ctmInfo() { return ctmInfo_; }
    void setCtmInfo(const KXPDF_CTMInfo& info) { ctmInfo_ = info; }
    std::uint64_t pdfScanIndex() const { return pdfScanIndex_; }
    void setPdfScanIndex(std::uint64_t v) { pdfScanIndex_ = v; }

    // The zero rectangle.
    kx::Rect displayRect() const { return {}; }

private:
    KXPDF_CTMInfo ctmInfo_{};
    std::uint64_t pdfScanIndex_ = 0;
};
