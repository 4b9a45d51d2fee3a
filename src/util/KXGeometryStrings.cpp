#include "util/KXGeometryStrings.h"

#include <vector>

#include "platform/Format.h"

namespace {

// Drops the brackets, splits at ", " and reads each part as a single-precision number.
std::vector<double> readNumbers(std::string_view text, size_t count) {
    std::vector<double> out(count, 0.0);
    if (text.size() < 2) return out;
    std::string_view body = text.substr(1, text.size() - 2);
    size_t i = 0;
    while (i < count) {
        size_t sep = body.find(", ");
        std::string_view part = body.substr(0, sep);
        if (auto v = kx::parseDouble(part)) out[i] = static_cast<double>(static_cast<float>(*v));
        ++i;
        if (sep == std::string_view::npos) break;
        body.remove_prefix(sep + 2);
    }
    return out;
}

}  // namespace

std::string KXStringFromCGPoint(kx::Point p) { return kx::format("[%f, %f]", p.x, p.y); }

std::string KXStringFromCGSize(kx::Size s) { return kx::format("[%f, %f]", s.width, s.height); }

std::string KXStringFromCGRect(const kx::Rect& r) {
    return kx::format("[%f, %f, %f, %f]", r.origin.x, r.origin.y, r.size.width, r.size.height);
}

kx::Point KXPointFromString(std::string_view text) {
    auto v = readNumbers(text, 2);
    return {v[0], v[1]};
}

kx::Rect KXRectFromString(std::string_view text) {
    auto v = readNumbers(text, 4);
    return kx::Rect(v[0], v[1], v[2], v[3]);
}
