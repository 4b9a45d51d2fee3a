#include "pdf/shading/KXPDFPatternTiling.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "util/NestingGuard.h"
#include "platform/Numeric.h"

namespace {

// The tile image is kept to a moderate size: a period far larger than its cell is mostly empty.
constexpr std::int64_t kMaxTileSide = 4096;
// Neighbouring copies of a cell that may reach into one period along each axis (a cell larger
// than its step); more overlap than this is left out, which keeps a hostile pattern cheap.
constexpr int kMaxCopies = 4;
// The longest side of a rendered cell, in pixels.
constexpr double kMaxCellSide = 2048;
// A cell's content may paint with the pattern itself, directly or through other patterns, and each
// pattern of a cell's resources renders its own cell as it is read: the cells being rendered are
// marked, a chain of them is cut at a small depth, and one outermost cell renders a bounded number
// of nested cells in all.
constexpr size_t kMaxCellNesting = 4;
constexpr int kMaxNestedCells = 64;
thread_local std::vector<std::uintptr_t> tCellsInProgress;
thread_local int tCellsRendered = 0;

// A pattern in the resources of a form is read again at every run of the form, and on every page
// that lists it; rendering its cell each time made a form drawn a thousand times with a large cell
// take minutes, and making its tile again for every painted path cost as much. Both are kept by
// the pattern's document (dropped when it closes), bounded in pixels: cells by pattern object,
// tiles by the cell they repeat and what else shapes them.
constexpr std::int64_t kMaxKeptPixels = std::int64_t(1) << 24;

std::int64_t pixelsOf(const kx::ImageRef& image) {
    return image ? std::int64_t(image->width) * image->height : 0;
}

// Images by key, each made from another image (or from none), dropped all at once past the pixel
// bound. An entry holds the image it was made from weakly and matches only while that one lives:
// a later image at the same address is not mistaken for it.
template <class Key>
class KeptImages {
public:
    bool find(const Key& key, kx::ImageRef& image, const kx::ImageRef& madeFrom = nullptr) {
        std::lock_guard lock(mutex_);
        auto it = images_.find(key);
        if (it == images_.end()) return false;
        if (it->second.madeFrom.lock() != madeFrom) {
            pixels_ -= pixelsOf(it->second.image);
            images_.erase(it);
            return false;
        }
        image = it->second.image;
        return true;
    }
    // False when the image is too large to keep.
    bool store(const Key& key, const kx::ImageRef& image, const kx::ImageRef& madeFrom = nullptr) {
        const std::int64_t size = pixelsOf(image);
        if (size > kMaxKeptPixels) return false;
        std::lock_guard lock(mutex_);
        if (pixels_ + size > kMaxKeptPixels) {
            images_.clear();
            pixels_ = 0;
        }
        if (images_.try_emplace(key, Entry{image, madeFrom}).second) pixels_ += size;
        return true;
    }

private:
    struct Entry {
        kx::ImageRef image;
        std::weak_ptr<const kx::Image> madeFrom;
    };
    std::mutex mutex_;
    std::map<Key, Entry> images_;
    std::int64_t pixels_ = 0;
};

// Cells by pattern object number (a pattern is a stream, an object of its own); a null cell is a
// cell that renders nothing.
struct DocumentCells : KeptImages<int> {};

// Tiles by the cell they repeat, then steps, box, paint type and colour.
using TileKey = std::pair<const kx::Image*, std::array<double, 12>>;
struct DocumentTiles : KeptImages<TileKey> {};

// Nested cell renders refused so far on this thread: a cell rendered while one of its nested cells
// was refused (a cycle, the depth or the budget cut it) is short of what it would be read on its
// own, and is not kept.
thread_local int tCellsRefused = 0;

}  // namespace

bool KXPDFPatternTiling::initWithObject(const kx::PDFObject& object, const std::string& objectKey) {
    KXPDFPattern::initWithObject(object, objectKey);
    if (!object.isStream()) return false;
    contentStream_ = object;
    kx::PDFObject dict = object.streamDictionary();

    paintType_ = dict.dictGet("PaintType").integerOr(1);
    tilingType_ = dict.dictGet("TilingType").integerOr(1);
    xStep_ = dict.dictGet("XStep").numberOr(1.0);
    yStep_ = dict.dictGet("YStep").numberOr(1.0);

    bbox_ = {0, 0, 1, 1};
    kx::PDFObject box = dict.dictGet("BBox");
    if (box.isArray() && box.arrayCount() == 4)
        for (size_t i = 0; i < 4; ++i) box.arrayAt(i).getNumber(bbox_[i]);

    matrix_ = matrixOfDictionary(dict);

    // The cell is rendered when something first paints with the pattern: resources list patterns
    // that are never painted, and a page of hundreds of them with large cells rendered them all.
    kx::PDFObject resources = dict.dictGet("Resources");
    if (resources.isDictionary()) {
        resDict_ = resources;
        cellPending_ = true;
    }
    return true;
}

kx::ImageRef KXPDFPatternTiling::contentImageRef() const {
    if (!cellPending_ || !cellDrawer_) return contentImageRef_;
    const int number = contentStream_.objectNumber();
    std::shared_ptr<DocumentCells> cells = number > 0 ? contentStream_.documentCache<DocumentCells>() : nullptr;
    kx::ImageRef cell;
    if (cells && cells->find(number, cell)) return cell;

    if (tCellsInProgress.empty()) tCellsRendered = 0;
    kx::NestingGuard guard(tCellsInProgress, contentStream_.identity(), kMaxCellNesting,
                                   tCellsRendered < kMaxNestedCells);
    if (!guard.ok()) {
        ++tCellsRefused;
        // A cell that cannot be rendered leaves the pattern painting nothing.
        cellPending_ = false;
        return nullptr;
    }
    ++tCellsRendered;
    const int refusedBefore = tCellsRefused;
    cell = cellDrawer_(contentStream_, cellRect(), cellResolution());
    // A cell the document keeps is asked of it again (it may let it go, within its bound); one it
    // does not keep stays with the pattern.
    if (cells && tCellsRefused == refusedBefore && cells->store(number, cell)) return cell;
    contentImageRef_ = cell;
    cellPending_ = false;
    return cell;
}

double KXPDFPatternTiling::cellResolution() const {
    // Four pixels a point of the page the pattern matrix leads to: a cell of a few units under a
    // magnifying matrix stays sharp, and one of millions of units scaled down (as office programs
    // write picture fills) still fits a bitmap.
    const kx::Rect cell = cellRect();
    double scale = std::sqrt(std::fabs(matrix_.a * matrix_.d - matrix_.b * matrix_.c));
    double ppu = 4 * scale;
    if (!std::isfinite(ppu) || !(ppu > 0)) ppu = 1;
    const double longest = std::max(cell.size.width, cell.size.height);
    const double shortest = std::min(cell.size.width, cell.size.height);
    if (shortest > 0 && shortest * ppu < 1) ppu = 1 / shortest;
    if (longest > 0 && longest * ppu > kMaxCellSide) ppu = kMaxCellSide / longest;
    return std::isfinite(ppu) && ppu > 0 ? ppu : 1;
}

kx::Rect KXPDFPatternTiling::cellRect() const {
    return kx::Rect(bbox_[0], bbox_[1], bbox_[2] - bbox_[0], bbox_[3] - bbox_[1]).standardized();
}

kx::ImageRef KXPDFPatternTiling::tileImage() const {
    const kx::ImageRef cell = contentImageRef();
    if (!cell) return nullptr;
    const kx::Color color = paintColor_.value_or(kx::Color{});
    TileKey key{cell.get(),
                {xStep_, yStep_, bbox_[0], bbox_[1], bbox_[2], bbox_[3], static_cast<double>(paintType_),
                 paintColor_ ? 1.0 : 0.0, color.red, color.green, color.blue, color.alpha}};
    // A value that is not a number would never find its entry again.
    const bool keyable =
        std::all_of(key.second.begin(), key.second.end(), [](double v) { return std::isfinite(v); });
    std::shared_ptr<DocumentTiles> tiles = keyable ? contentStream_.documentCache<DocumentTiles>() : nullptr;
    kx::ImageRef tile;
    if (tiles && tiles->find(key, tile, cell)) return tile;
    tile = makeTileImage(cell);
    if (tiles) tiles->store(key, tile, cell);
    return tile;
}

kx::ImageRef KXPDFPatternTiling::makeTileImage(const kx::ImageRef& cellRef) const {
    const kx::Image* cellImage = cellRef.get();
    const kx::Rect cell = cellRect();
    const double stepX = std::fabs(xStep_), stepY = std::fabs(yStep_);
    if (!cellImage || !cellImage->isValid() || !(cell.size.width > 0) || !(cell.size.height > 0) ||
        !std::isfinite(cell.size.width) || !std::isfinite(cell.size.height) || !std::isfinite(cell.origin.x) ||
        !std::isfinite(cell.origin.y) || !(stepX > 0) || !(stepY > 0) || !std::isfinite(stepX) || !std::isfinite(stepY))
        return nullptr;

    // The tile keeps the cell image's resolution, within the size limit.
    double ppuX = cellImage->width / cell.size.width, ppuY = cellImage->height / cell.size.height;
    double w = stepX * ppuX, h = stepY * ppuY;
    double shrink = std::max({1.0, w / kMaxTileSide, h / kMaxTileSide});
    std::int64_t tileW = std::max<std::int64_t>(1, kx::roundToInt<std::int64_t>(w / shrink));
    std::int64_t tileH = std::max<std::int64_t>(1, kx::roundToInt<std::int64_t>(h / shrink));
    auto ctx = kx::BitmapContext::create(tileW, tileH);
    if (!ctx) return nullptr;
    ctx->scaleCTM(static_cast<double>(tileW) / stepX, static_cast<double>(tileH) / stepY);
    ctx->translateCTM(-cell.origin.x, -cell.origin.y);

    // Copy (k, l) of the cell lies at the cell moved by (k XStep, l YStep); the ones that reach
    // into the period starting at the cell's origin have k and l from -ceil(size / step) to 0.
    int backX = std::min(kMaxCopies - 1, kx::toInt<int>(std::ceil(cell.size.width / stepX)));
    int backY = std::min(kMaxCopies - 1, kx::toInt<int>(std::ceil(cell.size.height / stepY)));
    for (int l = -backY; l <= 0; ++l)
        for (int k = -backX; k <= 0; ++k) ctx->drawImage(*cellImage, cell.offsetBy(k * stepX, l * stepY));

    kx::ImageRef tile = ctx->makeImage();
    if (!tile || paintType_ == 1) return tile;

    // Uncoloured: the cell is a stencil. Where it is painted dark and opaque the pattern shows its
    // colour; light or transparent parts of the cell let the page through.
    auto stencil = std::make_shared<kx::Image>(*tile);
    kx::Color c = paintColor_.value_or(kx::Color::rgb(0, 0, 0));
    const auto r = kx::toInt<std::uint8_t>(std::clamp(c.red, 0.0, 1.0) * 255 + 0.5);
    const auto g = kx::toInt<std::uint8_t>(std::clamp(c.green, 0.0, 1.0) * 255 + 0.5);
    const auto b = kx::toInt<std::uint8_t>(std::clamp(c.blue, 0.0, 1.0) * 255 + 0.5);
    for (size_t i = 0; i + 3 < stencil->pixels.size(); i += 4) {
        std::uint8_t* p = &stencil->pixels[i];
        unsigned lum = (p[0] * 77u + p[1] * 151u + p[2] * 28u + 128u) >> 8;
        unsigned coverage = (p[3] * (255u - lum) + 127u) / 255u;
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = static_cast<std::uint8_t>(coverage);
    }
    return stencil;
}

void KXPDFPatternTiling::drawInContext(kx::BitmapContext& context, const kx::AffineTransform& scaleTransform) const {
    // A step of 0 would put every cell in one place: there is no tiling to paint.
    if (xStep_ == 0 || yStep_ == 0) return;
    kx::ImageRef tile = tileImage();
    if (!tile) return;
    kx::Rect cell = cellRect();
    kx::Rect period(cell.origin.x, cell.origin.y, std::fabs(xStep_), std::fabs(yStep_));
    context.drawTiledImage(tile, period, matrix_.concat(scaleTransform));
}
