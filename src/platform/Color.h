#pragma once
// A device colour: red, green, blue and alpha from 0 to 1, as colours are drawn and written out.

namespace kx {

struct Color {
    double red = 0, green = 0, blue = 0, alpha = 1;
    bool operator==(const Color&) const = default;

    static Color gray(double g, double a = 1) { return {g, g, g, a}; }
    static Color rgb(double r, double g, double b, double a = 1) { return {r, g, b, a}; }
    // The plain complement conversion (1 - min(1, c + k) ...).
    static Color cmyk(double c, double m, double y, double k, double a = 1);
};

inline Color Color::cmyk(double c, double m, double y, double k, double a) {
    auto ch = [k](double v) {
        double s = v + k;
        return s >= 1 ? 0.0 : 1.0 - s;
    };
    return {ch(c), ch(m), ch(y), a};
}

}  // namespace kx
