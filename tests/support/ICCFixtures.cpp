#include "support/ICCFixtures.h"

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

}  // namespace kx::test
