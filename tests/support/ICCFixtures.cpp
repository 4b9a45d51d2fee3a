#include "support/ICCFixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace kx::test {

namespace {

void put32(std::string& s, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

void append32(std::string& s, std::uint32_t v) {
    s.append(4, '\0');
    put32(s, s.size() - 4, v);
}

std::uint32_t sig(const char (&t)[5]) {
    return (std::uint32_t(std::uint8_t(t[0])) << 24) | (std::uint32_t(std::uint8_t(t[1])) << 16) |
           (std::uint32_t(std::uint8_t(t[2])) << 8) | std::uint32_t(std::uint8_t(t[3]));
}

std::uint32_t s15Fixed16(double v) { return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v * 65536))); }

void append16(std::string& s, std::uint16_t v) {
    s.push_back(static_cast<char>(v >> 8));
    s.push_back(static_cast<char>(v & 0xFF));
}

std::string xyzTag(double x, double y, double z) {
    std::string t;
    append32(t, sig("XYZ "));
    append32(t, 0);
    append32(t, s15Fixed16(x));
    append32(t, s15Fixed16(y));
    append32(t, s15Fixed16(z));
    return t;
}

std::string curveTag(double gamma) {
    std::string t;
    append32(t, sig("curv"));
    append32(t, 0);
    append32(t, 1);
    std::uint16_t g = static_cast<std::uint16_t>(std::lround(gamma * 256));
    t.push_back(static_cast<char>(g >> 8));
    t.push_back(static_cast<char>(g & 0xFF));
    t.append(2, '\0');  // pad to four bytes
    return t;
}

std::string textTag(const std::string& text) {
    std::string t;
    append32(t, sig("text"));
    append32(t, 0);
    t += text;
    t.push_back('\0');
    while (t.size() % 4) t.push_back('\0');
    return t;
}

// A version 2 display profile from its tags.
std::string profile(const char (&colorSpace)[5], const std::vector<std::pair<std::uint32_t, std::string>>& tags) {
    std::string p(128, '\0');
    put32(p, 8, 0x02100000);
    put32(p, 12, sig("mntr"));
    put32(p, 16, sig(colorSpace));
    put32(p, 20, sig("XYZ "));
    put32(p, 36, sig("acsp"));
    put32(p, 68, s15Fixed16(0.9642));
    put32(p, 72, s15Fixed16(1.0));
    put32(p, 76, s15Fixed16(0.8249));
    append32(p, static_cast<std::uint32_t>(tags.size()));
    size_t tableAt = p.size();
    p.append(tags.size() * 12, '\0');
    for (size_t i = 0; i < tags.size(); ++i) {
        size_t offset = p.size();
        p += tags[i].second;
        put32(p, tableAt + i * 12, tags[i].first);
        put32(p, tableAt + i * 12 + 4, static_cast<std::uint32_t>(offset));
        put32(p, tableAt + i * 12 + 8, static_cast<std::uint32_t>(tags[i].second.size()));
    }
    put32(p, 0, static_cast<std::uint32_t>(p.size()));
    return p;
}

// A 16-bit lookup table from CMYK inks to XYZ: a grid of two points a channel, each corner the
// D50 XYZ of the linear RGB left by its inks (cyan takes red, magenta green, yellow blue, black all).
std::string cmykToXYZLutTag() {
    std::string t;
    append32(t, sig("mft2"));
    append32(t, 0);
    t.push_back(4);  // input channels
    t.push_back(3);  // output channels
    t.push_back(2);  // grid points a channel
    t.push_back(0);
    for (int i = 0; i < 9; ++i) append32(t, s15Fixed16(i % 4 == 0 ? 1.0 : 0.0));
    append16(t, 2);  // input table entries
    append16(t, 2);  // output table entries
    for (int i = 0; i < 4; ++i) {
        append16(t, 0);
        append16(t, 0xFFFF);
    }
    for (int corner = 0; corner < 16; ++corner) {
        const double c = (corner >> 3) & 1, m = (corner >> 2) & 1, y = (corner >> 1) & 1, k = corner & 1;
        const double r = (1 - c) * (1 - k), g = (1 - m) * (1 - k), b = (1 - y) * (1 - k);
        const double xyz[3] = {0.4361 * r + 0.3851 * g + 0.1431 * b, 0.2225 * r + 0.7169 * g + 0.0606 * b,
                               0.0139 * r + 0.0971 * g + 0.7141 * b};
        // XYZ in 16 bits: 1.0 is 0x8000.
        for (double v : xyz) append16(t, static_cast<std::uint16_t>(std::lround(std::min(v * 32768, 65535.0))));
    }
    for (int i = 0; i < 3; ++i) {
        append16(t, 0);
        append16(t, 0xFFFF);
    }
    return t;
}

}  // namespace

std::string iccGrayProfile(double gamma) {
    return profile("GRAY", {{sig("desc"), textTag("test gray")},
                            {sig("wtpt"), xyzTag(0.9642, 1.0, 0.8249)},
                            {sig("kTRC"), curveTag(gamma)}});
}

std::string iccRGBProfile(double gamma) {
    std::string curve = curveTag(gamma);
    return profile("RGB ", {{sig("desc"), textTag("test rgb")},
                            {sig("wtpt"), xyzTag(0.9642, 1.0, 0.8249)},
                            {sig("rXYZ"), xyzTag(0.4361, 0.2225, 0.0139)},
                            {sig("gXYZ"), xyzTag(0.3851, 0.7169, 0.0971)},
                            {sig("bXYZ"), xyzTag(0.1431, 0.0606, 0.7141)},
                            {sig("rTRC"), curve},
                            {sig("gTRC"), curve},
                            {sig("bTRC"), curve}});
}

std::string iccCMYKProfile() {
    return profile("CMYK", {{sig("desc"), textTag("test cmyk")},
                            {sig("wtpt"), xyzTag(0.9642, 1.0, 0.8249)},
                            {sig("A2B0"), cmykToXYZLutTag()}});
}

}  // namespace kx::test
