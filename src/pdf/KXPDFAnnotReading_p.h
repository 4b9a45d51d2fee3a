#pragma once
// Entry readers shared by the annotation classes.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/pdf/PDFObject.h"

namespace kx::detail {

// An integer or real entry as a double; false (and `out` untouched) otherwise. Integers pass through
// single precision, as every number getter of the engine reads them.
inline bool annotNumber(const PDFObject& object, double& out) {
    std::int64_t i = 0;
    if (object.getInteger(i)) {
        out = static_cast<double>(static_cast<float>(i));
        return true;
    }
    return object.getNumber(out);
}

}  // namespace kx::detail
