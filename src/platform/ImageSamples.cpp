#include "platform/ImageSamples.h"

#include <algorithm>
#include <climits>
#include <cmath>
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

struct SampleRowUnpacker::Tables {
    std::vector<float> table;      // a sample's value per component, for up to 8 bits
    std::uint8_t level[256] = {};  // gray out of up to 8 bits: a sample level's byte
    std::vector<std::uint64_t> eight;  // one-bit gray: a byte's eight pixels
    std::vector<float> values;
    std::vector<std::uint32_t> raw;
    std::vector<std::uint8_t> rgb;
};

SampleRowUnpacker::SampleRowUnpacker(const SampleImageParams& p) : params_(p) {
    const int bpc = p.bitsPerComponent;
    if (bpc != 1 && bpc != 2 && bpc != 4 && bpc != 8 && bpc != 16) return;
    if (p.width <= 0 || p.height <= 0) return;
    if (!p.isMask && !p.colorSpace) return;
    n_ = p.isMask ? 1 : p.colorSpace->componentCount();
    if (n_ < 1 || n_ > 32) return;
    if (!p.isMask && p.colorSpace->kind() == ColorSpace::Kind::Pattern) return;
    const size_t w = static_cast<size_t>(p.width);
    if (w * static_cast<size_t>(n_) > kMaxSamplesPerRow) return;

    // Decode pairs, padded with the defaults.
    decode_ = p.decode;
    std::vector<double> defaults = p.isMask ? std::vector<double>{0, 1} : defaultDecode(p.colorSpace.get(), bpc);
    if (decode_.size() > static_cast<size_t>(2 * n_)) decode_.resize(static_cast<size_t>(2 * n_));
    for (size_t i = decode_.size(); i < static_cast<size_t>(2 * n_); ++i)
        decode_.push_back(i < defaults.size() ? defaults[i] : (i % 2 ? 1.0 : 0.0));

    // Missing colour-key pairs are [0 0].
    keyed_ = !p.colorKey.empty();
    key_ = p.colorKey;
    key_.resize(static_cast<size_t>(2 * n_), 0);
    grayOut_ = p.isMask || (!keyed_ && p.colorSpace->kind() == ColorSpace::Kind::DeviceGray);
    format_ = grayOut_ ? PixelFormat::Gray8 : keyed_ ? PixelFormat::RGBA8 : PixelFormat::RGB8;
    rowBytes_ = (static_cast<size_t>(bpc) * static_cast<size_t>(n_) * w + 7) / 8;
    maxSample_ = static_cast<double>((1u << bpc) - 1);

    tables_ = std::make_unique<Tables>();
    // For up to 8 bits a table per component turns a sample into its value.
    if (bpc <= 8) {
        size_t levels = size_t(1) << bpc;
        tables_->table.resize(levels * n_);
        for (int c = 0; c < n_; ++c)
            for (size_t s = 0; s < levels; ++s)
                tables_->table[c * levels + s] = static_cast<float>(
                    decode_[2 * c] + static_cast<double>(s) * (decode_[2 * c + 1] - decode_[2 * c]) / maxSample_);
    }
    // Gray of up to 8 bits (masks and scans, often one bit deep): each sample level's byte is
    // worked out once, and a one-bit row turns eight pixels at a time into bytes.
    if (grayOut_ && bpc <= 8) {
        for (size_t s = 0; s < (size_t(1) << bpc); ++s) tables_->level[s] = grayByte(tables_->table[s]);
        if (bpc == 1) {
            tables_->eight.resize(256);
            for (unsigned byte = 0; byte < 256; ++byte) {
                std::uint8_t pixels[8];
                for (int k = 0; k < 8; ++k) pixels[k] = tables_->level[(byte >> (7 - k)) & 1u];
                std::memcpy(&tables_->eight[byte], pixels, 8);
            }
        }
    } else {
        tables_->values.resize(w * n_);
        tables_->raw.resize(w * n_);
        tables_->rgb.resize(keyed_ ? w * 3 : 0);
    }
}

SampleRowUnpacker::~SampleRowUnpacker() = default;

std::uint8_t SampleRowUnpacker::grayByte(float v) {
    return static_cast<std::uint8_t>(!(v > 0) ? 0 : v >= 1 ? 255 : v * 255.0f + 0.5f);
}

bool SampleRowUnpacker::unpackRow(const std::uint8_t* row, std::uint8_t* out) {
    if (!tables_) return false;
    const int bpc = params_.bitsPerComponent;
    const size_t w = static_cast<size_t>(params_.width);
    Tables& t = *tables_;
    if (grayOut_ && bpc <= 8) {
        size_t x = 0;
        if (bpc == 8) {
            for (; x < w; ++x) out[x] = t.level[row[x]];
        } else if (bpc == 1) {
            for (; x + 8 <= w; x += 8) std::memcpy(out + x, &t.eight[row[x >> 3]], 8);
        }
        for (; x < w; ++x) out[x] = t.level[sampleAt(row, x, bpc)];
        return true;
    }

    const size_t levels = size_t(1) << std::min(bpc, 8);
    for (size_t i = 0; i < w * n_; ++i) {
        std::uint32_t s = sampleAt(row, i, bpc);
        t.raw[i] = s;
        int c = static_cast<int>(i % n_);
        t.values[i] = bpc <= 8 ? t.table[c * levels + s]
                               : static_cast<float>(decode_[2 * c] + s * (decode_[2 * c + 1] - decode_[2 * c]) / maxSample_);
    }
    if (grayOut_) {
        for (size_t x = 0; x < w; ++x) out[x] = grayByte(t.values[x]);
        return true;
    }
    if (!keyed_) return params_.colorSpace->convertToRGB8(t.values.data(), w, out, params_.intent);
    if (!params_.colorSpace->convertToRGB8(t.values.data(), w, t.rgb.data(), params_.intent)) return false;
    for (size_t x = 0; x < w; ++x) {
        bool inside = true;
        for (int c = 0; c < n_ && inside; ++c) {
            std::int64_t s = t.raw[x * n_ + c];
            inside = s >= key_[2 * c] && s <= key_[2 * c + 1];
        }
        std::memcpy(out + 4 * x, t.rgb.data() + 3 * x, 3);
        out[4 * x + 3] = inside ? 0 : 255;
    }
    return true;
}

ImageRef makeImageFromSamples(const SampleImageParams& p, std::string_view data) {
    // The unreduced image of the whole data: rows the data ends inside or does not reach read as
    // zeros.
    ReducedSampleImage image(p, 1);
    if (!image.isValid()) return nullptr;
    image.add(data);
    return image.finish();
}

// ---- Reduced images --------------------------------------------------------------------------

int sampleReductionFactor(std::int64_t width, std::int64_t height, std::int64_t neededWidth, std::int64_t neededHeight,
                          int bytesPerPixel) {
    if (width <= 0 || height <= 0) return 0;
    const std::int64_t mostPixels = kMaxDecodedImageBytes / std::clamp(bytesPerPixel, 1, 3);
    auto reduced = [](std::int64_t side, std::int64_t f) { return (side + f - 1) / f; };
    auto within = [&](std::int64_t f) {
        const std::int64_t w = reduced(width, f), h = reduced(height, f);
        return w <= kMaxBitmapSide && h <= kMaxBitmapSide && w * h <= mostPixels;
    };
    if (within(1)) return 1;
    // The smallest factor that brings the image within the budget (the square root's estimate is
    // at most a step short).
    const double area = static_cast<double>(width) * static_cast<double>(height);
    std::int64_t f = std::max({reduced(width, kMaxBitmapSide), reduced(height, kMaxBitmapSide),
                               static_cast<std::int64_t>(std::sqrt(area / static_cast<double>(mostPixels)))});
    while (!within(f)) ++f;
    // Further, as long as the image keeps the pixels the output shows it with.
    if (neededWidth > 0 && neededHeight > 0) f = std::max({f, std::min(width / neededWidth, height / neededHeight)});
    return static_cast<int>(std::min<std::int64_t>(f, INT32_MAX));
}

ReducedSampleImage::ReducedSampleImage(const SampleImageParams& params, int factor)
    : unpacker_(params), factor_(factor) {
    if (!unpacker_.isValid() || factor < 1) return;
    const std::int64_t w = (static_cast<std::int64_t>(params.width) + factor - 1) / factor;
    const std::int64_t h = (static_cast<std::int64_t>(params.height) + factor - 1) / factor;
    const std::int64_t pixelBytes = unpacker_.format() == PixelFormat::Gray8 ? 1 : 3;
    if (!isBitmapSizeAllowed(w, h) || (factor > 1 && w * h * pixelBytes > kMaxDecodedImageBytes)) return;
    image_ = Image::make(static_cast<int>(w), static_cast<int>(h), unpacker_.format());
    if (!image_) return;
    row_.reserve(unpacker_.rowBytes());
    pixels_.assign(static_cast<size_t>(params.width) * static_cast<size_t>(bytesPerPixel(unpacker_.format())), 0);
    sums_.assign(image_->stride(), 0);
    if (hasAlpha(unpacker_.format())) weighted_.assign(image_->stride(), 0);
}

bool ReducedSampleImage::add(std::string_view data) {
    if (!image_ || failed_) return false;
    const size_t rowBytes = unpacker_.rowBytes();
    while (!data.empty() && rowsRead_ < unpacker_.height()) {
        size_t take = std::min(rowBytes - row_.size(), data.size());
        row_.insert(row_.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
        data.remove_prefix(take);
        if (row_.size() == rowBytes) {
            if (!takeRow()) return false;
            row_.clear();
        }
    }
    return rowsRead_ < unpacker_.height();
}

bool ReducedSampleImage::takeRow() {
    if (factor_ == 1) {
        // Unreduced: the row is unpacked where it goes, as the block average of one pixel is the
        // pixel (its colour under alpha too).
        if (!unpacker_.unpackRow(row_.data(), image_->row(rowsRead_))) {
            failed_ = true;
            return false;
        }
        ++rowsRead_;
        return true;
    }
    if (!unpacker_.unpackRow(row_.data(), pixels_.data())) {
        failed_ = true;
        return false;
    }
    addPixels(pixels_.data(), 1, sums_, weighted_);
    ++rowsRead_;
    if (rowsRead_ % factor_ == 0 || rowsRead_ == unpacker_.height()) emitRow();
    return true;
}

void ReducedSampleImage::addPixels(const std::uint8_t* pixels, std::uint64_t times, std::vector<std::uint64_t>& sums,
                                   std::vector<std::uint64_t>& weighted) const {
    const int bpp = bytesPerPixel(unpacker_.format());
    const size_t w = static_cast<size_t>(unpacker_.width());
    const bool alpha = hasAlpha(unpacker_.format());
    for (size_t x = 0; x < w; ++x) {
        const std::uint8_t* px = pixels + x * bpp;
        const size_t o = (x / static_cast<size_t>(factor_)) * bpp;
        for (int c = 0; c < bpp; ++c) sums[o + c] += px[c] * times;
        // Colours under alpha are weighed by it, so that transparent pixels lend no colour.
        if (alpha)
            for (int c = 0; c < bpp - 1; ++c) weighted[o + c] += static_cast<std::uint64_t>(px[c]) * px[bpp - 1] * times;
    }
}

void ReducedSampleImage::emitRow() {
    const int bpp = bytesPerPixel(unpacker_.format());
    const int blockRows = rowsRead_ % factor_ == 0 ? factor_ : rowsRead_ % factor_;
    const int y = (rowsRead_ - 1) / factor_;
    std::uint8_t* out = image_->row(y);
    const bool alpha = hasAlpha(unpacker_.format());
    for (int x = 0; x < image_->width; ++x) {
        const std::uint64_t columns = std::min<std::int64_t>(factor_, unpacker_.width() - std::int64_t(x) * factor_);
        const std::uint64_t count = columns * static_cast<std::uint64_t>(blockRows);
        const size_t o = static_cast<size_t>(x) * bpp;
        const std::uint64_t alphaSum = alpha ? sums_[o + bpp - 1] : 0;
        for (int c = 0; c < bpp; ++c) {
            std::uint64_t v = (sums_[o + c] + count / 2) / count;
            if (alpha && c < bpp - 1 && alphaSum > 0) v = (weighted_[o + c] + alphaSum / 2) / alphaSum;
            out[o + c] = static_cast<std::uint8_t>(std::min<std::uint64_t>(v, 255));
        }
    }
    std::fill(sums_.begin(), sums_.end(), 0);
    std::fill(weighted_.begin(), weighted_.end(), 0);
}

ImageRef ReducedSampleImage::finish() {
    if (!image_ || failed_) return nullptr;
    // A row the data ends inside is padded with zeros.
    if (!row_.empty() && rowsRead_ < unpacker_.height()) {
        row_.resize(unpacker_.rowBytes(), 0);
        if (!takeRow()) return nullptr;
    }
    if (rowsRead_ < unpacker_.height()) {
        // Rows the data does not reach read as zeros: one such row is unpacked, and its sums count
        // for every row left (a declared height costs its reduced rows, not its own).
        row_.assign(unpacker_.rowBytes(), 0);
        if (!unpacker_.unpackRow(row_.data(), pixels_.data())) return nullptr;
        std::vector<std::uint64_t> zeroSums(sums_.size(), 0), zeroWeighted(weighted_.size(), 0);
        addPixels(pixels_.data(), 1, zeroSums, zeroWeighted);
        while (rowsRead_ < unpacker_.height()) {
            const int rows = std::min(factor_ - rowsRead_ % factor_, unpacker_.height() - rowsRead_);
            for (size_t i = 0; i < sums_.size(); ++i) sums_[i] += zeroSums[i] * static_cast<std::uint64_t>(rows);
            for (size_t i = 0; i < weighted_.size(); ++i) weighted_[i] += zeroWeighted[i] * static_cast<std::uint64_t>(rows);
            rowsRead_ += rows;
            emitRow();
        }
    }
    ImageRef done = std::move(image_);
    image_.reset();
    return done;
}

}  // namespace kx
