#include "util/BitmapContexts.h"

#include <cstdint>
#include <cstdio>

#include "platform/Numeric.h"

namespace kx {

std::unique_ptr<BitmapContext> makeBitmapContext(double width, double height, bool opaque) {
    std::int64_t w = toInt<std::int64_t>(width), h = toInt<std::int64_t>(height);
    if (w <= 0 || h <= 0) {
        std::fputs("Context Size Zero!\n", stderr);
        return nullptr;
    }
    auto context = BitmapContext::create(w, h, opaque);
    if (!context) std::fputs("Context not created!\n", stderr);
    return context;
}

}  // namespace kx
