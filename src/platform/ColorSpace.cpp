#include "platform/ColorSpace.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/ICCProfile.h"

namespace kx {

namespace {

double clamp01(double v) {
    if (!(v > 0)) return 0;  // NaN too
    return v > 1 ? 1 : v;
}

std::uint8_t to8(double v) { return static_cast<std::uint8_t>(clamp01(v) * 255.0 + 0.5); }

double srgbEncode(double linear) {
    linear = clamp01(linear);
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

// D65, the white of sRGB.
constexpr double kD65[3] = {0.95047, 1.0, 1.08883};
constexpr double kD50[3] = {0.9642, 1.0, 0.8249};

// A white point is usable when it is finite with a positive luminance and positive X and Z.
bool usableWhite(const double w[3]) {
    return std::isfinite(w[0]) && std::isfinite(w[1]) && std::isfinite(w[2]) && w[0] > 0 && w[1] > 0 && w[2] > 0;
}

// The linear sRGB of CIE XYZ seen under `white`: Bradford adaptation to D65, then the sRGB
// primaries, as one matrix (row by row).
void xyzToLinearRGBMatrix(const double white[3], double out[9]) {
    static constexpr double M[3][3] = {{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}};
    static constexpr double Minv[3][3] = {
        {0.9869929, -0.1470543, 0.1599627}, {0.4323053, 0.5183603, 0.0492912}, {-0.0085287, 0.0400428, 0.9684867}};
    static constexpr double S[3][3] = {
        {3.2404542, -1.5371385, -0.4985314}, {-0.9692660, 1.8760108, 0.0415560}, {0.0556434, -0.2040259, 1.0572252}};
    double src[3], dst[3];
    for (int i = 0; i < 3; ++i) {
        src[i] = M[i][0] * white[0] + M[i][1] * white[1] + M[i][2] * white[2];
        dst[i] = M[i][0] * kD65[0] + M[i][1] * kD65[1] + M[i][2] * kD65[2];
    }
    // adapt = Minv · diag(dst / src) · M
    double adapt[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double v = 0;
            for (int k = 0; k < 3; ++k) v += Minv[i][k] * (src[k] != 0 ? dst[k] / src[k] : 1) * M[k][j];
            adapt[i][j] = v;
        }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double v = 0;
            for (int k = 0; k < 3; ++k) v += S[i][k] * adapt[k][j];
            out[3 * i + j] = v;
        }
}

// Linear light 0..1 to 8-bit sRGB through a table fine enough for the darkest steps.
constexpr int kEncodeSteps = 16384;
std::uint8_t encode8(double linear) {
    static const std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> t(kEncodeSteps + 1);
        for (int i = 0; i <= kEncodeSteps; ++i) t[static_cast<size_t>(i)] = to8(srgbEncode(static_cast<double>(i) / kEncodeSteps));
        return t;
    }();
    return table[static_cast<size_t>(clamp01(linear) * kEncodeSteps + 0.5)];
}

// Component values 0..1 raised to a gamma, through a table of 4096 steps.
constexpr int kGammaSteps = 4096;
std::vector<float> gammaTable(double gamma) {
    std::vector<float> t(kGammaSteps + 1);
    for (int i = 0; i <= kGammaSteps; ++i) t[static_cast<size_t>(i)] = static_cast<float>(std::pow(static_cast<double>(i) / kGammaSteps, gamma));
    return t;
}
inline double gammaOf(const std::vector<float>& t, float v) { return t[static_cast<size_t>(clamp01(v) * kGammaSteps + 0.5)]; }

}  // namespace

void cmykToRGB(double c, double m, double y, double k, double rgb[3]) {
    // Corner colours, indexed by cyan*8 + magenta*4 + yellow*2 + black.
    static constexpr double kCorners[16][3] = {
        {1, 1, 1},                {0.1373, 0.1216, 0.1255}, {1, 0.949, 0},      {0.1098, 0.102, 0},
        {0.9255, 0, 0.549},       {0.1412, 0, 0},           {0.9294, 0.1098, 0.1412}, {0.1333, 0, 0},
        {0, 0.6784, 0.9373},      {0, 0.0588, 0.1412},      {0, 0.651, 0.3137}, {0, 0.0745, 0},
        {0.1804, 0.1922, 0.5725}, {0, 0, 0.0078},           {0.2118, 0.2119, 0.2235}, {0, 0, 0}};
    double ink[4] = {clamp01(c), clamp01(m), clamp01(y), clamp01(k)};
    rgb[0] = rgb[1] = rgb[2] = 0;
    for (int corner = 0; corner < 16; ++corner) {
        double w = 1;
        for (int i = 0; i < 4; ++i) {
            bool on = (corner >> (3 - i)) & 1;
            w *= on ? ink[i] : 1 - ink[i];
        }
        if (w == 0) continue;
        for (int ch = 0; ch < 3; ++ch) rgb[ch] += w * kCorners[corner][ch];
    }
}

struct ColorSpace::Private {
    double white[3] = {1, 1, 1};
    double black[3] = {0, 0, 0};
    double gamma[3] = {1, 1, 1};
    double matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    TintTransform tint;
    // Calibrated spaces: gamma tables per component, and the matrix from their XYZ (CalRGB: from
    // the gamma-applied components) to linear sRGB.
    std::vector<float> gammaTables[3];
    double toLinearRGB[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    // Indexed: the RGB of every entry. DeviceN with one component: RGB of 256 tint steps.
    std::vector<std::uint8_t> palette;
    std::shared_ptr<const ICCProfile> icc;
};

ColorSpace::ColorSpace(Kind kind) : kind_(kind), d_(std::make_unique<Private>()) {}
ColorSpace::~ColorSpace() = default;

namespace {

std::shared_ptr<ColorSpace> make(ColorSpace::Kind kind) { return std::make_shared<ColorSpace>(kind); }

}  // namespace

ColorSpaceRef ColorSpace::deviceGray() {
    static const ColorSpaceRef s = [] {
        auto cs = make(Kind::DeviceGray);
        cs->components_ = 1;
        return cs;
    }();
    return s;
}

ColorSpaceRef ColorSpace::deviceRGB() {
    static const ColorSpaceRef s = [] {
        auto cs = make(Kind::DeviceRGB);
        cs->components_ = 3;
        return cs;
    }();
    return s;
}

ColorSpaceRef ColorSpace::deviceCMYK() {
    static const ColorSpaceRef s = [] {
        auto cs = make(Kind::DeviceCMYK);
        cs->components_ = 4;
        return cs;
    }();
    return s;
}

ColorSpaceRef ColorSpace::calibratedGray(const double white[3], const double black[3], double gamma) {
    auto cs = make(Kind::CalGray);
    cs->components_ = 1;
    std::copy(white, white + 3, cs->d_->white);
    std::copy(black, black + 3, cs->d_->black);
    cs->d_->gamma[0] = std::isfinite(gamma) && gamma > 0 ? gamma : 1;
    cs->d_->gammaTables[0] = gammaTable(cs->d_->gamma[0]);
    return cs;
}

ColorSpaceRef ColorSpace::calibratedRGB(const double white[3], const double black[3], const double gamma[3],
                                        const double matrix[9]) {
    auto cs = make(Kind::CalRGB);
    cs->components_ = 3;
    std::copy(white, white + 3, cs->d_->white);
    std::copy(black, black + 3, cs->d_->black);
    for (int i = 0; i < 3; ++i) cs->d_->gamma[i] = std::isfinite(gamma[i]) && gamma[i] > 0 ? gamma[i] : 1;
    for (int i = 0; i < 9; ++i) cs->d_->matrix[i] = std::isfinite(matrix[i]) ? matrix[i] : 0;
    for (int i = 0; i < 3; ++i) cs->d_->gammaTables[i] = gammaTable(cs->d_->gamma[i]);
    // XYZ = Matrixᵀ · (A^GR, B^GG, C^GB); then to linear sRGB.
    double xyz[9];
    xyzToLinearRGBMatrix(usableWhite(cs->d_->white) ? cs->d_->white : kD50, xyz);
    const double* m = cs->d_->matrix;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            cs->d_->toLinearRGB[3 * i + j] = xyz[3 * i] * m[3 * j] + xyz[3 * i + 1] * m[3 * j + 1] + xyz[3 * i + 2] * m[3 * j + 2];
    return cs;
}

ColorSpaceRef ColorSpace::lab(const double white[3], const double black[3], const double range[4]) {
    auto cs = make(Kind::Lab);
    cs->components_ = 3;
    // A white point that cannot be divided by (missing, zero or negative luminance) is taken as D50,
    // the white of the PDF's own Lab default.
    if (usableWhite(white)) std::copy(white, white + 3, cs->d_->white);
    else std::copy(kD50, kD50 + 3, cs->d_->white);
    std::copy(black, black + 3, cs->d_->black);
    cs->range_ = {0, 100, range[0], range[1], range[2], range[3]};
    for (double& v : cs->range_)
        if (!std::isfinite(v)) v = 0;
    xyzToLinearRGBMatrix(cs->d_->white, cs->d_->toLinearRGB);
    return cs;
}

ColorSpaceRef ColorSpace::iccBased(int components, const double* range, std::string profile, ColorSpaceRef alternate) {
    if (components != 1 && components != 3 && components != 4) return nullptr;
    auto transform = ICCProfile::fromData(profile);
    if (!transform || !transform->canConvert() || transform->components() != components) return nullptr;
    auto cs = make(Kind::ICCBased);
    cs->components_ = components;
    cs->base_ = std::move(alternate);
    cs->range_.assign(static_cast<size_t>(components) * 2, 0);
    for (int i = 0; i < components; ++i) {
        double lo = range ? range[2 * i] : 0, hi = range ? range[2 * i + 1] : 1;
        cs->range_[2 * i] = std::isfinite(lo) ? lo : 0;
        cs->range_[2 * i + 1] = std::isfinite(hi) ? hi : 1;
    }
    cs->d_->icc = std::move(transform);
    return cs;
}

ColorSpaceRef ColorSpace::withICCData(std::string profile) {
    auto transform = ICCProfile::fromData(profile);
    int n = transform && transform->canConvert() ? transform->components() : 0;
    if (n <= 0) return nullptr;
    return iccBased(n, nullptr, std::move(profile), nullptr);
}

ColorSpaceRef ColorSpace::indexed(ColorSpaceRef base, int lastIndex, std::string table) {
    if (!base || lastIndex < 0 || lastIndex > 255) return nullptr;
    if (base->kind() == Kind::Pattern || base->kind() == Kind::Indexed) return nullptr;
    auto cs = make(Kind::Indexed);
    cs->components_ = 1;
    cs->lastIndex_ = lastIndex;
    int n = base->componentCount();
    size_t need = static_cast<size_t>(n) * static_cast<size_t>(lastIndex + 1);
    table.resize(need, '\0');  // entries past a short table are zero
    cs->table_ = std::move(table);
    // Every entry converted once; pixels then only look their colour up.
    std::vector<float> comps(need);
    for (int i = 0; i <= lastIndex; ++i) {
        for (int c = 0; c < n; ++c) {
            double byte = static_cast<std::uint8_t>(cs->table_[static_cast<size_t>(i) * n + c]);
            double lo = base->rangeMin(c), hi = base->rangeMax(c);
            comps[static_cast<size_t>(i) * n + c] = static_cast<float>(lo + byte / 255.0 * (hi - lo));
        }
    }
    cs->d_->palette.assign(static_cast<size_t>(lastIndex + 1) * 3, 0);
    if (!base->convertToRGB8(comps.data(), static_cast<size_t>(lastIndex + 1), cs->d_->palette.data())) return nullptr;
    cs->base_ = std::move(base);
    return cs;
}

ColorSpaceRef ColorSpace::pattern(ColorSpaceRef base) {
    auto cs = make(Kind::Pattern);
    cs->components_ = base ? base->componentCount() : 0;
    cs->base_ = std::move(base);
    return cs;
}

ColorSpaceRef ColorSpace::deviceN(int components, ColorSpaceRef alternate, TintTransform tint) {
    if (components < 1 || components > 32 || !alternate || !tint) return nullptr;
    if (alternate->kind() == Kind::Pattern || alternate->kind() == Kind::Indexed) return nullptr;
    auto cs = make(Kind::DeviceN);
    cs->components_ = components;
    cs->base_ = std::move(alternate);
    cs->d_->tint = std::move(tint);
    if (components == 1) {
        // One tint: 256 steps cover every 8-bit sample and are close enough for deeper ones.
        int an = cs->base_->componentCount();
        std::vector<float> alt(static_cast<size_t>(256) * an);
        std::vector<double> out(static_cast<size_t>(std::max(an, 32)), 0.0);
        for (int i = 0; i < 256; ++i) {
            double t = i / 255.0;
            std::fill(out.begin(), out.end(), 0.0);
            cs->d_->tint(&t, out.data());
            for (int c = 0; c < an; ++c) alt[static_cast<size_t>(i) * an + c] = static_cast<float>(out[c]);
        }
        cs->d_->palette.assign(256 * 3, 0);
        if (!cs->base_->convertToRGB8(alt.data(), 256, cs->d_->palette.data())) return nullptr;
    }
    return cs;
}

ColorSpaceModel ColorSpace::model() const {
    switch (kind_) {
        case Kind::DeviceGray:
        case Kind::CalGray: return ColorSpaceModel::Monochrome;
        case Kind::DeviceRGB:
        case Kind::CalRGB: return ColorSpaceModel::RGB;
        case Kind::DeviceCMYK: return ColorSpaceModel::CMYK;
        case Kind::Lab: return ColorSpaceModel::Lab;
        case Kind::ICCBased:
            return components_ == 1 ? ColorSpaceModel::Monochrome
                   : components_ == 3 ? ColorSpaceModel::RGB
                   : components_ == 4 ? ColorSpaceModel::CMYK
                                      : ColorSpaceModel::Unknown;
        case Kind::Indexed: return ColorSpaceModel::Indexed;
        case Kind::Pattern: return ColorSpaceModel::Pattern;
        case Kind::DeviceN: return ColorSpaceModel::DeviceN;
    }
    return ColorSpaceModel::Unknown;
}

double ColorSpace::rangeMin(int component) const {
    if (kind_ == Kind::Indexed) return 0;
    size_t i = static_cast<size_t>(component) * 2;
    return i < range_.size() ? range_[i] : 0.0;
}

double ColorSpace::rangeMax(int component) const {
    if (kind_ == Kind::Indexed) return lastIndex_;
    size_t i = static_cast<size_t>(component) * 2 + 1;
    return i < range_.size() ? range_[i] : 1.0;
}

bool ColorSpace::convertToRGB8(const float* in, size_t count, std::uint8_t* rgb, RenderingIntent intent) const {
    const Private& d = *d_;
    switch (kind_) {
        case Kind::DeviceGray:
            for (size_t i = 0; i < count; ++i) rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = to8(in[i]);
            return true;
        case Kind::DeviceRGB:
            for (size_t i = 0; i < 3 * count; ++i) rgb[i] = to8(in[i]);
            return true;
        case Kind::DeviceCMYK: {
            float last[4] = {-1, -1, -1, -1};
            std::uint8_t lastRGB[3] = {0, 0, 0};
            for (size_t i = 0; i < count; ++i) {
                const float* p = in + 4 * i;
                if (!std::equal(p, p + 4, last)) {
                    double out[3];
                    cmykToRGB(p[0], p[1], p[2], p[3], out);
                    for (int c = 0; c < 3; ++c) lastRGB[c] = to8(out[c]);
                    std::copy(p, p + 4, last);
                }
                std::copy(lastRGB, lastRGB + 3, rgb + 3 * i);
            }
            return true;
        }
        case Kind::CalGray: {
            // Y = A^gamma relative to the white point, shown as an sRGB gray.
            for (size_t i = 0; i < count; ++i)
                rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = encode8(gammaOf(d.gammaTables[0], in[i]));
            return true;
        }
        case Kind::CalRGB:
        case Kind::Lab: {
            const double* white = d.white;
            const double* m = d.toLinearRGB;
            float last[3] = {NAN, NAN, NAN};
            std::uint8_t lastRGB[3] = {0, 0, 0};
            for (size_t i = 0; i < count; ++i) {
                const float* p = in + 3 * i;
                if (!(p[0] == last[0] && p[1] == last[1] && p[2] == last[2])) {
                    double v[3];
                    if (kind_ == Kind::CalRGB) {
                        for (int c = 0; c < 3; ++c) v[c] = gammaOf(d.gammaTables[c], p[c]);
                    } else {
                        double L = std::clamp(static_cast<double>(p[0]), 0.0, 100.0);
                        double A = std::clamp(static_cast<double>(p[1]), range_[2], std::max(range_[2], range_[3]));
                        double B = std::clamp(static_cast<double>(p[2]), range_[4], std::max(range_[4], range_[5]));
                        double fy = (L + 16) / 116, fx = fy + A / 500, fz = fy - B / 200;
                        auto g = [](double f) { return f >= 6.0 / 29 ? f * f * f : 108.0 / 841 * (f - 4.0 / 29); };
                        v[0] = white[0] * g(fx), v[1] = white[1] * g(fy), v[2] = white[2] * g(fz);
                    }
                    for (int c = 0; c < 3; ++c) lastRGB[c] = encode8(m[3 * c] * v[0] + m[3 * c + 1] * v[1] + m[3 * c + 2] * v[2]);
                    std::copy(p, p + 3, last);
                }
                std::copy(lastRGB, lastRGB + 3, rgb + 3 * i);
            }
            return true;
        }
        case Kind::ICCBased: {
            if (d.icc) {
                // Values are brought from the declared ranges to bytes for the colour engine (a
                // row of an image at a time: the buffer stays with the thread).
                const size_t n = static_cast<size_t>(components_);
                thread_local std::vector<std::uint8_t> bytes;
                bytes.resize(count * n);
                for (size_t c = 0; c < n; ++c) {
                    const double lo = range_[2 * c], hi = range_[2 * c + 1];
                    if (hi == lo) {
                        for (size_t i = c; i < bytes.size(); i += n) bytes[i] = to8(0);
                        continue;
                    }
                    for (size_t i = c; i < bytes.size(); i += n) bytes[i] = to8((in[i] - lo) / (hi - lo));
                }
                if (d.icc->toSRGB8(bytes.data(), rgb, count)) return true;
            }
            if (base_) return base_->convertToRGB8(in, count, rgb, intent);
            return false;
        }
        case Kind::Indexed: {
            const std::uint8_t* pal = d.palette.data();
            for (size_t i = 0; i < count; ++i) {
                float v = in[i];
                int idx = v > 0 ? static_cast<int>(std::min<double>(v + 0.5, lastIndex_)) : 0;
                std::copy(pal + 3 * idx, pal + 3 * idx + 3, rgb + 3 * i);
            }
            return true;
        }
        case Kind::Pattern: return false;
        case Kind::DeviceN: {
            if (components_ == 1) {
                const std::uint8_t* pal = d.palette.data();
                for (size_t i = 0; i < count; ++i) {
                    int idx = static_cast<int>(clamp01(in[i]) * 255 + 0.5);
                    std::copy(pal + 3 * idx, pal + 3 * idx + 3, rgb + 3 * i);
                }
                return true;
            }
            int n = components_, an = base_->componentCount();
            std::vector<double> inputs(static_cast<size_t>(n)), outputs(static_cast<size_t>(std::max(an, 32)));
            std::vector<float> alt(static_cast<size_t>(an));
            std::vector<float> last(static_cast<size_t>(n), NAN);
            std::uint8_t lastRGB[3] = {0, 0, 0};
            for (size_t i = 0; i < count; ++i) {
                const float* p = in + static_cast<size_t>(n) * i;
                if (!std::equal(p, p + n, last.begin())) {
                    for (int c = 0; c < n; ++c) inputs[c] = clamp01(p[c]);
                    std::fill(outputs.begin(), outputs.end(), 0.0);
                    d.tint(inputs.data(), outputs.data());
                    for (int c = 0; c < an; ++c) alt[c] = static_cast<float>(outputs[c]);
                    if (!base_->convertToRGB8(alt.data(), 1, lastRGB, intent)) return false;
                    std::copy(p, p + n, last.begin());
                }
                std::copy(lastRGB, lastRGB + 3, rgb + 3 * i);
            }
            return true;
        }
    }
    return false;
}

}  // namespace kx
