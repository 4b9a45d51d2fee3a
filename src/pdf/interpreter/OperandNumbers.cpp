#include "pdf/interpreter/OperandNumbers.h"

#include <algorithm>

std::vector<double> popOperandNumbers(kx::PDFScanner& scanner, int n) {
    if (n < 1) return {};
    std::vector<double> out(static_cast<size_t>(n), 0.0);
    double v = 0;
    if (!scanner.popNumber(v)) return out;
    out[0] = v;
    for (int i = 1; i < n; ++i) {
        if (!scanner.popNumber(v)) {
            if (i == 1) std::fill(out.begin() + 1, out.end(), out[0]);
            break;
        }
        out[static_cast<size_t>(i)] = v;
    }
    return out;
}
