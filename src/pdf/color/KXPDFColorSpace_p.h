#pragma once
// Readers shared by the colour spaces' parse steps.

#include <cstddef>

#include "util/PDFObjectValues.h"
#include "platform/pdf/PDFObject.h"

namespace kx::detail {

// Reads `array` into out[0..n) when it is an array of exactly n numbers; false (out untouched)
// otherwise.
inline bool readExactNumbers(const kx::PDFObject& array, size_t n, double* out) {
    if (!array.isArray() || array.arrayCount() != n) return false;
    double tmp[64];
    if (n > 64) return false;
    for (size_t i = 0; i < n; ++i)
        if (!kx::pdfNumberInArray(array, i, tmp[i])) return false;
    for (size_t i = 0; i < n; ++i) out[i] = tmp[i];
    return true;
}

}  // namespace kx::detail
