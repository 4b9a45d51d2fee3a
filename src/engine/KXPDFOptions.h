#pragma once
// The options of one conversion: two general settings and one option object per output family. The
// caller builds it and hands it to the engine, which gives it to the exporter; nobody changes it
// while the conversion runs.

#include <cstdint>

#include "engine/KXExcelOptions.h"
#include "engine/KXImageOptions.h"
#include "engine/KXWordOptions.h"

class KXPDFOptions {
public:
    KXPDFOptions();

    // Resolution at which the DOCX writer re-renders shapes and pictures, 72 to 600 dpi.
    std::int32_t imageDPI() const { return imageDPI_; }
    void setImageDPI(std::int32_t dpi);
    // Non-zero: page annotations are interpreted after the page content.
    std::int32_t isParserAnnots() const { return isParserAnnots_; }
    void setIsParserAnnots(std::int32_t v) { isParserAnnots_ = v; }

    const KXWordOptions& wordOptions() const { return wordOptions_; }
    KXWordOptions& wordOptions() { return wordOptions_; }
    void setWordOptions(KXWordOptions o) { wordOptions_ = std::move(o); }
    const KXExcelOptions& excelOptions() const { return excelOptions_; }
    KXExcelOptions& excelOptions() { return excelOptions_; }
    void setExcelOptions(KXExcelOptions o) { excelOptions_ = std::move(o); }
    const KXImageOptions& imageOptions() const { return imageOptions_; }
    KXImageOptions& imageOptions() { return imageOptions_; }
    void setImageOptions(KXImageOptions o) { imageOptions_ = std::move(o); }

private:
    std::int32_t imageDPI_ = 144;
    std::int32_t isParserAnnots_ = 1;
    KXWordOptions wordOptions_;
    KXExcelOptions excelOptions_;
    KXImageOptions imageOptions_;
};
