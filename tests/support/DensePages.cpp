#include "support/DensePages.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>

#include "support/PDFBuilder.h"

namespace kx::test {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A fixed sequence of numbers in [0, 1), the same on every platform.
class Numbers {
public:
    explicit Numbers(std::uint32_t seed) : engine_(seed) {}
    double next() { return static_cast<double>(engine_()) / 4294967296.0; }
    double between(double low, double high) { return low + (high - low) * next(); }

private:
    std::mt19937 engine_;
};

std::string num(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    return buffer;
}

std::string plotClip() {
    const kx::Rect a = densePlotArea();
    return num(a.origin.x) + " " + num(a.origin.y) + " " + num(a.size.width) + " " + num(a.size.height) + " re W n";
}

// A point of the plot area, a little inside its edges.
kx::Point plotPoint(Numbers& n, double inset) {
    const kx::Rect a = densePlotArea();
    return {a.origin.x + inset + n.next() * (a.size.width - 2 * inset),
            a.origin.y + inset + n.next() * (a.size.height - 2 * inset)};
}

std::string onePage(const std::string& content) {
    PDFBuilder builder;
    builder.addPage(content);
    return builder.build();
}

}  // namespace

kx::Rect densePlotArea() { return {50, 80, 512, 632}; }

DensePage denseScatter(int count, bool eachClipped) {
    static const char* const colours[] = {"0.12 0.25 0.7 rg", "0.8 0.2 0.1 rg", "0.1 0.5 0.15 rg", "0.45 0.1 0.55 rg"};
    Numbers n(1);
    DensePage page;
    std::string content = "0 0 612 792 re W n\n";
    const std::string clip = plotClip();
    for (int i = 0; i < count; ++i) {
        const kx::Point p = plotPoint(n, 2);
        page.marks.push_back(p);
        const std::string mark =
            std::string(colours[i % 4]) + " " + num(p.x - 1) + " " + num(p.y - 1) + " 2 2 re f";
        content += eachClipped ? "q " + clip + " " + mark + " Q\n" : mark + "\n";
    }
    page.pdf = onePage(content);
    return page;
}

DensePage denseMap(int count, bool eachClipped) {
    Numbers n(2);
    DensePage page;
    const kx::Rect a = densePlotArea();
    const double radius = std::max(1.6, std::sqrt(a.size.width * a.size.height / count / kPi) * 1.1);
    const std::string clip = plotClip();
    std::string content = "0 0 612 792 re W n 0.2 G 0.3 w\n" + (eachClipped ? std::string() : clip + "\n");
    for (int i = 0; i < count; ++i) {
        const kx::Point c = plotPoint(n, 2);
        page.marks.push_back(c);
        content += (eachClipped ? "q " + clip + " " : std::string()) + num(n.between(0.2, 0.7)) + " " + num(n.between(0.3, 0.7)) + " " +
                   num(n.between(0.2, 0.7)) + " rg ";
        // A star-shaped polygon around the centre (which it covers): its vertices at rising angles.
        const int vertices = 10 + static_cast<int>(n.next() * 21);
        for (int v = 0; v < vertices; ++v) {
            const double angle = (v + n.between(0, 0.8)) * 2 * kPi / vertices;
            const double r = radius * n.between(0.6, 1.0);
            content += num(c.x + r * std::cos(angle)) + " " + num(c.y + r * std::sin(angle)) + (v == 0 ? " m " : " l ");
        }
        content += eachClipped ? "h B Q\n" : "h B\n";
    }
    page.pdf = onePage(content);
    return page;
}

DensePage denseChart(int count) {
    static const char* const colours[] = {"0.1 0.2 0.7 RG", "0.8 0.2 0.1 RG", "0.1 0.5 0.1 RG", "0.4 0.1 0.5 RG"};
    Numbers n(3);
    DensePage page;
    const kx::Rect a = densePlotArea();
    const int series = 20, perSeries = count / series;
    std::string content = "0 0 612 792 re W n 1 w 1 J\n";
    const std::string clip = plotClip();
    for (int s = 0; s < series; ++s) {
        double y = a.origin.y + 20 + n.next() * (a.size.height - 40);
        for (int j = 0; j < perSeries; ++j) {
            const double xa = a.origin.x + a.size.width * j / perSeries;
            const double xb = a.origin.x + a.size.width * (j + 1) / perSeries;
            const double yb = std::clamp(y + n.between(-6, 6), a.origin.y + 5, a.origin.y + a.size.height - 5);
            page.marks.push_back({(xa + xb) / 2, (y + yb) / 2});
            content += "q " + clip + " " + colours[s % 4] + " " + num(xa) + " " + num(y) + " m " + num(xb) + " " +
                       num(yb) + " l S Q\n";
            y = yb;
        }
    }
    page.pdf = onePage(content);
    return page;
}

DensePage denseLine(int count) {
    Numbers n(4);
    DensePage page;
    const kx::Rect a = densePlotArea();
    std::string content = "0 0 612 792 re W n 0.1 0.1 0.6 RG 0.5 w 1 j\n";
    for (int i = 0; i < count; ++i) {
        const kx::Point p{a.origin.x + a.size.width * i / (count - 1), a.origin.y + 10 + n.next() * (a.size.height - 20)};
        page.marks.push_back(p);
        content += num(p.x) + " " + num(p.y) + (i == 0 ? " m\n" : " l\n");
    }
    page.pdf = onePage(content + "S\n");
    return page;
}

}  // namespace kx::test
