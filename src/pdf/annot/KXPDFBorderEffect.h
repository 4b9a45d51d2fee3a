#pragma once
// An annotation's border effect /BE: none or cloudy, with an intensity.

#include <cstdint>

namespace kx {
class PDFObject;
}

class KXPDFBorderEffect {
public:
    KXPDFBorderEffect() = default;
    explicit KXPDFBorderEffect(const kx::PDFObject& dictionary);

    // 0 none, 1 cloudy.
    std::int64_t effectType() const { return effectType_; }
    void setEffectType(std::int64_t type) { effectType_ = type; }
    double intensity() const { return intensity_; }
    void setIntensity(double intensity) { intensity_ = intensity; }

private:
    std::int64_t effectType_ = 0;
    double intensity_ = 0;
};
