#include "platform/ImageSamples.h"

#include <algorithm>
#include <cstring>

namespace kx {

std::vector<double> defaultDecode(const ColorSpace* cs, int bpc) {
    if (!cs) return {0, 1};
    if (cs->kind() == ColorSpace::Kind::Indexed) {
        int b = std::clamp(bpc, 1, 16);
        return {0, static_cast<double>((1 << b) - 1)};
    }
    std::vector<double> d;
    for (int i = 0; i < cs->componentCount(); ++i) {
        d.push_back(cs->rangeMin(i));
        d.push_back(cs->rangeMax(i));
    }
    return d;
}

namespace {

// Reads sample `index` of a row.
inline std::uint32_t sampleAt(const std::uint8_t* row, size_t index, int bpc) {
    switch (bpc) {
        case 8: return row[index];
        case 16: return (static_cast<std::uint32_t>(row[2 * index]) << 8) | row[2 * index + 1];
        case 1: return (row[index >> 3] >> (7 - (index & 7))) & 1u;
        case 2: return (row[index >> 2] >> (6 - 2 * (index & 3))) & 3u;
        case 4: return (row[index >> 1] >> (4 - 4 * (index & 1))) & 15u;
    }
    return 0;
}

}  // namespace

ImageRef makeImageFromSamples(const SampleImageParams& p, std::string_view data) {
    const int bpc = p.bitsPerComponent;
    if (bpc != 1 && bpc != 2 && bpc != 4 && bpc != 8 && bpc != 16) return nullptr;
    if (!isBitmapSizeAllowed(p.width, p.height)) return nullptr;
    if (!p.isMask && !p.colorSpace) return nullptr;
    const int n = p.isMask ? 1 : p.colorSpace->componentCount();
    if (n < 1 || n > 32) return nullptr;
    if (!p.isMask && p.colorSpace->kind() == ColorSpace::Kind::Pattern) return nullptr;

    // Decode pairs, padded with the defaults.
    std::vector<double> decode = p.decode;
    std::vector<double> defaults = p.isMask ? std::vector<double>{0, 1} : defaultDecode(p.colorSpace.get(), bpc);
    if (decode.size() > static_cast<size_t>(2 * n)) decode.resize(static_cast<size_t>(2 * n));
    for (size_t i = decode.size(); i < static_cast<size_t>(2 * n); ++i)
        decode.push_back(i < defaults.size() ? defaults[i] : (i % 2 ? 1.0 : 0.0));

    // Missing colour-key pairs are [0 0].
    const bool keyed = !p.colorKey.empty();
    std::vector<std::int64_t> key = p.colorKey;
    key.resize(static_cast<size_t>(2 * n), 0);
    const bool grayOut = p.isMask || (!keyed && p.colorSpace->kind() == ColorSpace::Kind::DeviceGray);
    PixelFormat format = grayOut ? PixelFormat::Gray8 : keyed ? PixelFormat::RGBA8 : PixelFormat::RGB8;
    auto img = Image::make(p.width, p.height, format);
    if (!img) return nullptr;

    const size_t w = static_cast<size_t>(p.width);
    const size_t rowBytes = (static_cast<size_t>(bpc) * n * w + 7) / 8;
    const double maxSample = static_cast<double>((1u << bpc) - 1);

    // For up to 8 bits a table per component turns a sample into its value.
    std::vector<float> table;
    if (bpc <= 8) {
        size_t levels = size_t(1) << bpc;
        table.resize(levels * n);
        for (int c = 0; c < n; ++c)
            for (size_t s = 0; s < levels; ++s)
                table[c * levels + s] =
                    static_cast<float>(decode[2 * c] + static_cast<double>(s) * (decode[2 * c + 1] - decode[2 * c]) / maxSample);
    }

    std::vector<std::uint8_t> padded;  // one row when the data ends inside it
    auto rowAt = [&](int y) -> const std::uint8_t* {
        size_t start = static_cast<size_t>(y) * rowBytes;
        if (start + rowBytes <= data.size()) return reinterpret_cast<const std::uint8_t*>(data.data()) + start;
        padded.assign(rowBytes, 0);
        if (start < data.size()) std::memcpy(padded.data(), data.data() + start, data.size() - start);
        return padded.data();
    };
    auto grayByte = [](float v) { return static_cast<std::uint8_t>(!(v > 0) ? 0 : v >= 1 ? 255 : v * 255.0f + 0.5f); };

    // Gray of up to 8 bits (masks and scans, often one bit deep): each sample level's byte is
    // worked out once, and a one-bit row turns eight pixels at a time into bytes.
    if (grayOut && bpc <= 8) {
        std::uint8_t level[256] = {};
        for (size_t s = 0; s < (size_t(1) << bpc); ++s) level[s] = grayByte(table[s]);
        std::vector<std::uint64_t> eight;
        if (bpc == 1) {
            eight.resize(256);
            for (unsigned byte = 0; byte < 256; ++byte) {
                std::uint8_t pixels[8];
                for (int k = 0; k < 8; ++k) pixels[k] = level[(byte >> (7 - k)) & 1u];
                std::memcpy(&eight[byte], pixels, 8);
            }
        }
        for (int y = 0; y < p.height; ++y) {
            const std::uint8_t* row = rowAt(y);
            std::uint8_t* out = img->row(y);
            size_t x = 0;
            if (bpc == 8) {
                for (; x < w; ++x) out[x] = level[row[x]];
            } else if (bpc == 1) {
                for (; x + 8 <= w; x += 8) std::memcpy(out + x, &eight[row[x >> 3]], 8);
            }
            for (; x < w; ++x) out[x] = level[sampleAt(row, x, bpc)];
        }
        return img;
    }

    std::vector<float> values(w * n);
    std::vector<std::uint32_t> raw(w * n);
    std::vector<std::uint8_t> rgb(keyed ? w * 3 : 0);
    const size_t levels = size_t(1) << std::min(bpc, 8);
    for (int y = 0; y < p.height; ++y) {
        const std::uint8_t* row = rowAt(y);
        for (size_t i = 0; i < w * n; ++i) {
            std::uint32_t s = sampleAt(row, i, bpc);
            raw[i] = s;
            int c = static_cast<int>(i % n);
            values[i] = bpc <= 8 ? table[c * levels + s]
                                 : static_cast<float>(decode[2 * c] + s * (decode[2 * c + 1] - decode[2 * c]) / maxSample);
        }
        std::uint8_t* out = img->row(y);
        if (grayOut) {
            for (size_t x = 0; x < w; ++x) out[x] = grayByte(values[x]);
            continue;
        }
        if (!keyed) {
            if (!p.colorSpace->convertToRGB8(values.data(), w, out, p.intent)) return nullptr;
            continue;
        }
        if (!p.colorSpace->convertToRGB8(values.data(), w, rgb.data(), p.intent)) return nullptr;
        for (size_t x = 0; x < w; ++x) {
            bool inside = true;
            for (int c = 0; c < n && inside; ++c) {
                std::int64_t s = raw[x * n + c];
                inside = s >= key[2 * c] && s <= key[2 * c + 1];
            }
            std::memcpy(out + 4 * x, rgb.data() + 3 * x, 3);
            out[4 * x + 3] = inside ? 0 : 255;
        }
    }
    return img;
}

}  // namespace kx
