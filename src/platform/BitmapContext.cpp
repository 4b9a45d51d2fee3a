#include "platform/BitmapContext.h"

#include <cairo.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <optional>

#include "platform/LeftOut.h"
#include "platform/Numeric.h"

namespace kx {

namespace {

// cairo's device space is y-down; ours starts y-up. F maps one onto the other (it is its own
// inverse).
AffineTransform flipFor(int height) { return {1, 0, 0, -1, 0, static_cast<double>(height)}; }

cairo_matrix_t toCairo(const AffineTransform& t) {
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
    return m;
}

bool isFiniteTransform(const AffineTransform& t) {
    return std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) && std::isfinite(t.d) &&
           std::isfinite(t.tx) && std::isfinite(t.ty);
}

// cairo refuses (and then stays in an error state) matrices that are not invertible; such a
// transform squeezes everything to nothing, so nothing is drawn under it.
bool isUsableTransform(const AffineTransform& t) {
    if (!isFiniteTransform(t)) return false;
    double det = t.a * t.d - t.b * t.c;
    return std::isfinite(det) && std::fabs(det) > 1e-12 && std::isfinite(1.0 / det);
}

double clamp01(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

std::uint8_t luminance(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<std::uint8_t>((r * 77 + g * 151 + b * 28 + 128) >> 8);
}

// The RGBA of one pixel of any image format (CMYK through the plain complement conversion).
void pixelRGBA(PixelFormat format, const std::uint8_t* p, std::uint8_t out[4]) {
    switch (format) {
        case PixelFormat::Gray8: out[0] = out[1] = out[2] = p[0]; out[3] = 255; break;
        case PixelFormat::GrayAlpha8: out[0] = out[1] = out[2] = p[0]; out[3] = p[1]; break;
        case PixelFormat::RGB8: out[0] = p[0]; out[1] = p[1]; out[2] = p[2]; out[3] = 255; break;
        case PixelFormat::RGBA8: out[0] = p[0]; out[1] = p[1]; out[2] = p[2]; out[3] = p[3]; break;
        case PixelFormat::CMYK8: {
            auto ch = [&](int v) { return static_cast<std::uint8_t>(std::max(0, 255 - std::min(255, v + p[3]))); };
            out[0] = ch(p[0]); out[1] = ch(p[1]); out[2] = ch(p[2]); out[3] = 255;
            break;
        }
    }
}

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

bool finitePoint(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// RGBA bytes read as a little-endian word hold A, B, G, R from the top; cairo's ARGB32 word holds
// A, R, G, B. Swapping the low and the third byte turns one into the other, both ways.
static_assert(std::endian::native == std::endian::little, "pixel words are read in little-endian order");
inline std::uint32_t swapRedAndBlue(std::uint32_t p) { return (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16); }

// Four pixel words (read from and written to unaligned memory) with red and blue swapped, when each
// is opaque or fully transparent; a transparent one becomes zero. False, writing nothing, when one
// of the four is translucent.
inline bool swapFourPlainPixels(const void* in, void* out) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(static_cast<const __m128i*>(in));
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = _mm_srli_epi32(v, 24);
    // Alpha + 1 is 1 for clear and 256 for opaque: nothing left under 0xFE.
    const __m128i odd = _mm_and_si128(_mm_add_epi32(alpha, _mm_set1_epi32(1)), _mm_set1_epi32(0xFE));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(odd, zero)) != 0xFFFF) return false;
    const __m128i low = _mm_set1_epi32(0xFF);
    __m128i swapped = _mm_or_si128(_mm_and_si128(v, _mm_set1_epi32(static_cast<int>(0xFF00FF00u))),
                                   _mm_or_si128(_mm_and_si128(_mm_srli_epi32(v, 16), low),
                                                _mm_slli_epi32(_mm_and_si128(v, low), 16)));
    swapped = _mm_andnot_si128(_mm_cmpeq_epi32(alpha, zero), swapped);
    _mm_storeu_si128(static_cast<__m128i*>(out), swapped);
    return true;
#else
    std::uint32_t w[4];
    std::memcpy(w, in, sizeof w);
    std::uint32_t odd = 0;
    for (std::uint32_t p : w) odd |= ((p >> 24) + 1) & 0xFEu;
    if (odd) return false;
    for (std::uint32_t& p : w) p = (p >> 24) ? swapRedAndBlue(p) : 0;
    std::memcpy(out, w, sizeof w);
    return true;
#endif
}

// One premultiplied ARGB32 pixel from straight colour and alpha (rounded to the nearest level).
inline std::uint32_t premultiplied(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
    if (a == 255) return 0xFF000000u | (r << 16) | (g << 8) | b;
    if (a == 0) return 0;
    auto pm = [a](std::uint32_t v) { return (v * a + 127) / 255; };
    return (a << 24) | (pm(r) << 16) | (pm(g) << 8) | pm(b);
}

// One row of an image as premultiplied ARGB32, a loop per pixel format.
void convertRowToARGB32(PixelFormat format, const std::uint8_t* src, std::uint32_t* dst, int width) {
    switch (format) {
        case PixelFormat::Gray8:
            for (int x = 0; x < width; ++x) dst[x] = 0xFF000000u | (std::uint32_t(src[x]) * 0x010101u);
            return;
        case PixelFormat::GrayAlpha8:
            for (int x = 0; x < width; ++x, src += 2) dst[x] = premultiplied(src[0], src[0], src[0], src[1]);
            return;
        case PixelFormat::RGB8:
            for (int x = 0; x < width; ++x, src += 3)
                dst[x] = 0xFF000000u | (std::uint32_t(src[0]) << 16) | (std::uint32_t(src[1]) << 8) | src[2];
            return;
        case PixelFormat::RGBA8: {
            int x = 0;
            // Four pixels at a time while they are opaque or fully transparent: red and blue trade
            // places (the same swap as on the way back) and a transparent pixel becomes zero.
            for (; x + 4 <= width; x += 4, src += 16)
                if (!swapFourPlainPixels(src, dst + x))
                    for (int k = 0; k < 4; ++k)
                        dst[x + k] = premultiplied(src[4 * k], src[4 * k + 1], src[4 * k + 2], src[4 * k + 3]);
            for (; x < width; ++x, src += 4) dst[x] = premultiplied(src[0], src[1], src[2], src[3]);
            return;
        }
        case PixelFormat::CMYK8:
            for (int x = 0; x < width; ++x, src += 4) {
                std::uint8_t c[4];
                pixelRGBA(PixelFormat::CMYK8, src, c);
                dst[x] = premultiplied(c[0], c[1], c[2], c[3]);
            }
            return;
    }
}

// One row of an opaque ARGB32 surface as RGB bytes.
void convertARGB32RowToRGB(const std::uint32_t* src, std::uint8_t* dst, int width) {
    for (int x = 0; x < width; ++x, dst += 3) {
        std::uint32_t p = src[x];
        dst[0] = static_cast<std::uint8_t>(p >> 16);
        dst[1] = static_cast<std::uint8_t>(p >> 8);
        dst[2] = static_cast<std::uint8_t>(p);
    }
}

// One premultiplied ARGB32 pixel as straight RGBA bytes (colour rounded to the nearest level; a
// fully transparent pixel is transparent black).
inline void unpremultiplied(std::uint32_t p, std::uint8_t* dst) {
    std::uint32_t a = p >> 24, r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
    if (a == 0) {
        r = g = b = 0;
    } else if (a != 255) {
        auto un = [a](std::uint32_t v) { return std::min<std::uint32_t>(255, (v * 255 + a / 2) / a); };
        r = un(r);
        g = un(g);
        b = un(b);
    }
    dst[0] = static_cast<std::uint8_t>(r);
    dst[1] = static_cast<std::uint8_t>(g);
    dst[2] = static_cast<std::uint8_t>(b);
    dst[3] = static_cast<std::uint8_t>(a);
}

// One row of a premultiplied ARGB32 surface as straight RGBA bytes.
void convertARGB32RowToRGBA(const std::uint32_t* src, std::uint8_t* dst, int width) {
    int x = 0;
    // Four pixels at a time. When each is opaque or fully transparent (most of a picture) only the
    // byte order changes and a transparent pixel becomes zero, with no division.
    for (; x + 4 <= width; x += 4, dst += 16)
        if (!swapFourPlainPixels(src + x, dst))
            for (int k = 0; k < 4; ++k) unpremultiplied(src[x + k], dst + 4 * k);
    for (; x < width; ++x, dst += 4) unpremultiplied(src[x], dst);
}

// A cairo ARGB32 (premultiplied) copy of an image; nullptr for an invalid image.
SurfacePtr surfaceFromImage(const Image& img) {
    if (!img.isValid()) return nullptr;
    SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, img.width, img.height));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    cairo_surface_flush(s.get());
    unsigned char* data = cairo_image_surface_get_data(s.get());
    int stride = cairo_image_surface_get_stride(s.get());
    for (int y = 0; y < img.height; ++y)
        convertRowToARGB32(img.format, img.row(y),
                           reinterpret_cast<std::uint32_t*>(data + static_cast<size_t>(y) * static_cast<size_t>(stride)),
                           img.width);
    cairo_surface_mark_dirty(s.get());
    return s;
}

// An A8 surface whose alpha is the coverage of a mask image (see clipToMask).
SurfacePtr coverageFromImage(const Image& img) {
    if (!img.isValid()) return nullptr;
    SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_A8, img.width, img.height));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    cairo_surface_flush(s.get());
    unsigned char* data = cairo_image_surface_get_data(s.get());
    int stride = cairo_image_surface_get_stride(s.get());
    const int bpp = bytesPerPixel(img.format);
    for (int y = 0; y < img.height; ++y) {
        const std::uint8_t* src = img.row(y);
        unsigned char* dst = data + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int x = 0; x < img.width; ++x) {
            const std::uint8_t* p = src + static_cast<size_t>(x) * static_cast<size_t>(bpp);
            switch (img.format) {
                case PixelFormat::Gray8: dst[x] = p[0]; break;
                case PixelFormat::GrayAlpha8: dst[x] = p[1]; break;
                case PixelFormat::RGBA8: dst[x] = p[3]; break;
                default: {
                    std::uint8_t c[4] = {0, 0, 0, 0};
                    pixelRGBA(img.format, p, c);
                    dst[x] = luminance(c[0], c[1], c[2]);
                }
            }
        }
    }
    cairo_surface_mark_dirty(s.get());
    return s;
}

// The box of the pixels with any coverage in an A8 surface (device space); null when none.
Rect coveredBox(cairo_surface_t* a8) {
    cairo_surface_flush(a8);
    const unsigned char* data = cairo_image_surface_get_data(a8);
    const int stride = cairo_image_surface_get_stride(a8);
    const int w = cairo_image_surface_get_width(a8), h = cairo_image_surface_get_height(a8);
    int x0 = w, y0 = h, x1 = -1, y1 = -1;
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = data + static_cast<size_t>(y) * static_cast<size_t>(stride);
        int first = -1, last = -1;
        for (int x = 0; x < w; ++x)
            if (row[x]) {
                if (first < 0) first = x;
                last = x;
            }
        if (first < 0) continue;
        x0 = std::min(x0, first);
        x1 = std::max(x1, last);
        y0 = std::min(y0, y);
        y1 = y;
    }
    if (x1 < 0) return Rect::null();
    return Rect(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
}

void emitPath(cairo_t* cr, const Path& path, const AffineTransform& toDevice) {
    for (const PathElement& e : path.elements()) {
        auto pt = [&](int i) { return toDevice.apply(e.points[static_cast<size_t>(i)]); };
        switch (e.type) {
            case PathElementType::MoveToPoint: {
                Point p = pt(0);
                cairo_move_to(cr, p.x, p.y);
                break;
            }
            case PathElementType::AddLineToPoint: {
                Point p = pt(0);
                cairo_line_to(cr, p.x, p.y);
                break;
            }
            case PathElementType::AddQuadCurveToPoint: {
                // A quadratic is the cubic whose controls sit 2/3 of the way to the quadratic one.
                double x0 = 0, y0 = 0;
                if (cairo_has_current_point(cr)) cairo_get_current_point(cr, &x0, &y0);
                Point c = pt(0), p = pt(1);
                cairo_curve_to(cr, x0 + 2.0 / 3.0 * (c.x - x0), y0 + 2.0 / 3.0 * (c.y - y0),
                               p.x + 2.0 / 3.0 * (c.x - p.x), p.y + 2.0 / 3.0 * (c.y - p.y), p.x, p.y);
                break;
            }
            case PathElementType::AddCurveToPoint: {
                Point c1 = pt(0), c2 = pt(1), p = pt(2);
                cairo_curve_to(cr, c1.x, c1.y, c2.x, c2.y, p.x, p.y);
                break;
            }
            case PathElementType::CloseSubpath: cairo_close_path(cr); break;
        }
    }
}

// What scan converting a path costs: the device rows its edges cross within the bitmap's `height`
// rows (the scan converter cuts edges to the bitmap first), and its edges. A curve counts as its
// control polygon, which spans at least the rows the curve does.
struct EdgeRows {
    double spans = 0;
    double edges = 0;
};

double rowsBetween(double y0, double y1, double height) {
    return std::fabs(std::clamp(y1, 0.0, height) - std::clamp(y0, 0.0, height));
}

EdgeRows edgeRowsOf(const Path& path, const AffineTransform& toDevice, double height) {
    EdgeRows rows;
    Point current{}, start{};
    for (const PathElement& e : path.elements()) {
        const int points = e.pointCount();
        if (e.type == PathElementType::MoveToPoint) {
            current = start = toDevice.apply(e.points[0]);
            continue;
        }
        double y = current.y;
        for (int i = 0; i < points; ++i) {
            const Point p = toDevice.apply(e.points[i]);
            rows.spans += rowsBetween(y, p.y, height);
            y = p.y;
            current = p;
        }
        if (e.type == PathElementType::CloseSubpath) {
            rows.spans += rowsBetween(y, start.y, height);
            current = start;
        }
        rows.edges += 1;
    }
    return rows;
}

// Whether the path is one rectangle upright in device space (and its box there).
bool isUprightRect(const Path& path, const AffineTransform& toDevice, Rect& box) {
    const auto& el = path.elements();
    size_t n = el.size();
    if (n > 0 && el[n - 1].type == PathElementType::CloseSubpath) --n;
    if (n != 4 && n != 5) return false;
    if (el[0].type != PathElementType::MoveToPoint) return false;
    Point p[5];
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && el[i].type != PathElementType::AddLineToPoint) return false;
        p[i] = toDevice.apply(el[i].points[0]);
    }
    if (n == 5 && !(p[4] == p[0])) return false;
    // Each side level or plumb, turning at every corner.
    for (int i = 0; i < 4; ++i) {
        const Point a = p[i], b = p[(i + 1) % 4], c = p[(i + 2) % 4];
        const bool level = a.y == b.y, plumb = a.x == b.x;
        const bool nextLevel = b.y == c.y, nextPlumb = b.x == c.x;
        if (!(level && nextPlumb) && !(plumb && nextLevel)) return false;
    }
    const double x0 = std::min({p[0].x, p[1].x, p[2].x}), x1 = std::max({p[0].x, p[1].x, p[2].x});
    const double y0 = std::min({p[0].y, p[1].y, p[2].y}), y1 = std::max({p[0].y, p[1].y, p[2].y});
    box = Rect(x0, y0, x1 - x0, y1 - y0);
    return true;
}

bool pathHasNonFinitePoint(const Path& path) {
    for (const PathElement& e : path.elements())
        for (int i = 0; i < e.pointCount(); ++i)
            if (!std::isfinite(e.points[static_cast<size_t>(i)].x) || !std::isfinite(e.points[static_cast<size_t>(i)].y))
                return true;
    return false;
}

}  // namespace

// ---- Simplifying a path to the pixels ----

namespace {

// One reducing stage: runs of consecutive points whose key (the column, or the row, of pixels) is
// the same become their first, extreme and last points, in the order they came.
class RunStage : public PixelPathSimplifier::Sink {
public:
    RunStage(PixelPathSimplifier::Sink& next, bool byColumn) : next_(next), byColumn_(byColumn) {}
    void moveTo(Point p) override {
        flush();
        startMove_ = true;
        begin(p);
    }
    void lineTo(Point p) override {
        if (open_ && keyOf(p) == key_) {
            const double v = along(p);
            if (v < along(lo_)) lo_ = p, loAt_ = count_;
            if (v > along(hi_)) hi_ = p, hiAt_ = count_;
            last_ = p;
            ++count_;
            return;
        }
        flush();
        startMove_ = false;
        begin(p);
    }
    void close() override {
        flush();
        next_.close();
    }
    void flush() {
        if (!open_) return;
        open_ = false;
        if (startMove_) next_.moveTo(first_);
        else next_.lineTo(first_);
        Point prev = first_;
        auto emit = [&](Point p) {
            if (p == prev) return;
            next_.lineTo(p);
            prev = p;
        };
        if (loAt_ <= hiAt_) emit(lo_), emit(hi_);
        else emit(hi_), emit(lo_);
        emit(last_);
    }

private:
    double keyOf(Point p) const { return std::floor(byColumn_ ? p.x : p.y); }
    double along(Point p) const { return byColumn_ ? p.y : p.x; }
    void begin(Point p) {
        open_ = true;
        key_ = keyOf(p);
        first_ = lo_ = hi_ = last_ = p;
        loAt_ = hiAt_ = 0;
        count_ = 1;
    }

    PixelPathSimplifier::Sink& next_;
    bool byColumn_;
    bool open_ = false, startMove_ = false;
    double key_ = 0;
    Point first_{}, lo_{}, hi_{}, last_{};
    std::int64_t loAt_ = 0, hiAt_ = 0, count_ = 0;
};

// The last stage: counts the rows and hands the path on until the limit.
class CountingStage : public PixelPathSimplifier::Sink {
public:
    CountingStage(PixelPathSimplifier::Sink& out, double height, double width, double most)
        : out_(out), height_(height), width_(width), most_(most) {}
    void moveTo(Point p) override {
        if (cut_) return;
        current_ = start_ = p;
        pendingMove_ = true;
    }
    void lineTo(Point p) override {
        if (cut_ || !take(current_.y, p.y)) return;
        emitMove();
        out_.lineTo(p);
        current_ = p;
    }
    void close() override {
        if (cut_ || !take(current_.y, start_.y)) return;
        emitMove();
        out_.close();
        current_ = start_;
    }
    double spans = 0, edges = 0;
    bool emitted = false;
    bool cut_ = false;

private:
    double cost(double s, double e) const {
        return width_ < 0 ? BitmapContext::fillRows(s, e) : BitmapContext::strokeRows(s, e, width_);
    }
    bool take(double y0, double y1) {
        const double s = spans + rowsBetween(y0, y1, height_);
        if (!(cost(s, edges + 1) <= most_)) {
            cut_ = true;
            return false;
        }
        spans = s;
        edges += 1;
        return true;
    }
    void emitMove() {
        if (!pendingMove_) return;
        out_.moveTo(start_);
        pendingMove_ = false;
        emitted = true;
    }

    PixelPathSimplifier::Sink& out_;
    double height_, width_, most_;
    Point current_{}, start_{};
    bool pendingMove_ = false;
};

}  // namespace

struct PixelPathSimplifier::Stages {
    Stages(Sink& out, double height, double width, double most)
        : counting(out, height, width, most), rows(counting, false), columns(rows, true) {}
    CountingStage counting;
    RunStage rows;
    RunStage columns;
};

PixelPathSimplifier::PixelPathSimplifier(Sink& sink, double height, double strokeWidth, double mostRows)
    : stages_(std::make_unique<Stages>(sink, height, strokeWidth, mostRows)) {}
PixelPathSimplifier::~PixelPathSimplifier() = default;

void PixelPathSimplifier::moveTo(Point p) {
    stages_->columns.moveTo(p);
    current_ = start_ = p;
}
void PixelPathSimplifier::lineTo(Point p) {
    stages_->columns.lineTo(p);
    current_ = p;
}
void PixelPathSimplifier::curveTo(Point c1, Point c2, Point end) {
    // Flattened into pieces of about two pixels of its control polygon, 64 at most.
    const Point p0 = current_;
    const double length = std::hypot(c1.x - p0.x, c1.y - p0.y) + std::hypot(c2.x - c1.x, c2.y - c1.y) +
                          std::hypot(end.x - c2.x, end.y - c2.y);
    const int pieces = std::isfinite(length) ? std::clamp(static_cast<int>(std::ceil(length / 2)), 1, 64) : 1;
    for (int i = 1; i < pieces; ++i) {
        const double t = static_cast<double>(i) / pieces, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        stages_->columns.lineTo({a * p0.x + b * c1.x + c * c2.x + d * end.x, a * p0.y + b * c1.y + c * c2.y + d * end.y});
    }
    lineTo(end);
}
void PixelPathSimplifier::close() {
    stages_->columns.close();
    current_ = start_;
}
void PixelPathSimplifier::finish() {
    stages_->columns.flush();
    stages_->rows.flush();
}
double PixelPathSimplifier::spans() const { return stages_->counting.spans; }
double PixelPathSimplifier::edges() const { return stages_->counting.edges; }
bool PixelPathSimplifier::emitted() const { return stages_->counting.emitted; }
bool PixelPathSimplifier::cut() const { return stages_->counting.cut_; }

struct BitmapContext::Impl {
    // The bytes of the masks that stand (see kMostClipMaskBytes).
    std::int64_t maskBytes = 0;
    struct Mask {
        SurfacePtr coverage;  // A8 over `area`, cairo device space
        Rect area;            // the device pixels the coverage covers (y-down); none beyond
        Rect box;             // device-space box of the non-zero coverage (y-down)
        std::int64_t* counter = nullptr;
        std::int64_t bytes = 0;
        ~Mask() {
            if (counter) *counter -= bytes;
        }
    };
    struct GState {
        AffineTransform ctm;
        Color fill{0, 0, 0, 1};
        Color stroke{0, 0, 0, 1};
        double alpha = 1;
        double lineWidth = 1;
        // Device-space (y-down) box that holds the clip region; intersected with cairo's own.
        Rect clipBox = Rect::infinite();
        // Rows of pixels crossed by the edges of the clip paths in force that the drawing library
        // works through again for every paint (those not kept as masks).
        double clipRows = 0;
        std::shared_ptr<const Mask> mask;
        ImageInterpolation interpolation = ImageInterpolation::Default;
    };

    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    int width = 0, height = 0;
    GState gs;
    std::vector<GState> stack;
    bool pathEmpty = true;
    EdgeRows pathRows;       // of the current path
    // Whether the current path is one upright rectangle (its device box), and whether part of it
    // was cut off at the budget.
    bool pathIsRect = false;
    Rect pathRect;
    bool pathCut = false;
    bool pathSimplified = false;
    double budget = BitmapContext::kLeastEdgeRows;
    double spentRows = 0;    // by everything painted so far

    // What a paint may still take, the rows of the clip paths it goes through again left aside.
    double remaining() const { return budget - spentRows - gs.clipRows; }

    // Takes `rows` of scan conversion, and the rows of the clip paths in force that every paint
    // under them works through again, from the budget; false, taking nothing, past it.
    bool spend(double rows) {
        const double total = rows + gs.clipRows;
        if (!std::isfinite(total) || total > budget - spentRows) return false;
        spentRows += total;
        return true;
    }

    // The width in pixels a stroke would have now.
    double strokePixels() const {
        const AffineTransform d = toDevice();
        return gs.lineWidth > 0 ? gs.lineWidth * std::sqrt(std::fabs(d.a * d.d - d.b * d.c)) : 1.0;
    }

    ~Impl() {
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }

    AffineTransform toDevice() const { return gs.ctm.concat(flipFor(height)); }

    // Fills the clip with a tile surface (w x h pixels) stretched over `tileRect` and repeated.
    void paintTiled(cairo_surface_t* s, int w, int h, const Rect& tileRect, const AffineTransform& patternToUser) {
        Rect r = tileRect.standardized();
        if (!usable() || !(r.size.width > 0) || !(r.size.height > 0) || !std::isfinite(r.size.width) ||
            !std::isfinite(r.size.height) || !finitePoint(r.origin))
            return;
        AffineTransform place = AffineTransform::makeTranslation(r.origin.x, r.origin.y + r.size.height)
                                    .scaled(r.size.width / w, -r.size.height / h)
                                    .concat(patternToUser);
        if (!isUsableTransform(place) || !isUsableTransform(place.concat(toDevice()))) return;
        composite(0, [&](double alpha) {
            cairo_save(cr);
            cairo_matrix_t m = toCairo(place);
            cairo_transform(cr, &m);
            cairo_set_source_surface(cr, s, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr), filter());
            cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_REPEAT);
            cairo_paint_with_alpha(cr, alpha);
            cairo_restore(cr);
        });
        syncMatrix();
    }
    bool usable() const { return isUsableTransform(toDevice()); }
    // The transform that stretches a picture of width x height pixels upright over `rect` (user
    // space), its top row at the rectangle's top edge; nullopt when nothing can be drawn so.
    std::optional<AffineTransform> imagePlacement(const Rect& rect, int width, int height) const {
        const Rect r = rect.standardized();
        if (!usable() || !(r.size.width > 0) || !(r.size.height > 0) || !std::isfinite(r.size.width) ||
            !std::isfinite(r.size.height) || !finitePoint(r.origin) || width <= 0 || height <= 0)
            return std::nullopt;
        const AffineTransform place = AffineTransform::makeTranslation(r.origin.x, r.origin.y + r.size.height)
                                          .scaled(r.size.width / width, -r.size.height / height);
        if (!isUsableTransform(place.concat(toDevice()))) return std::nullopt;
        return place;
    }
    // Whether cairo's transform with `place` after it maps pixels onto pixels: a linear part of
    // zeros and ones (signed), checked as cairo holds it.
    bool isUnscaledPlacement(const AffineTransform& place) {
        cairo_save(cr);
        cairo_matrix_t m = toCairo(place);
        cairo_transform(cr, &m);
        cairo_get_matrix(cr, &m);
        cairo_restore(cr);
        auto unit = [](double v) { return v == 1.0 || v == -1.0; };
        return (unit(m.xx) && unit(m.yy) && m.xy == 0.0 && m.yx == 0.0) ||
               (unit(m.xy) && unit(m.yx) && m.xx == 0.0 && m.yy == 0.0);
    }
    // Paints a picture placed by `place` (imagePlacement): the surface `s` holds its pixels from
    // (left, top) on and is padded beyond its edges; only the part `bounds` (picture pixels) of the
    // picture is painted.
    void paintImage(cairo_surface_t* s, const AffineTransform& place, int left, int top, const Rect& bounds) {
        composite(0, [&](double alpha) {
            cairo_save(cr);
            cairo_matrix_t m = toCairo(place);
            cairo_transform(cr, &m);
            cairo_set_source_surface(cr, s, left, top);
            cairo_pattern_set_filter(cairo_get_source(cr), filter());
            // Padding keeps the edges of a scaled image sharp; the rectangle bounds it.
            cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
            cairo_rectangle(cr, bounds.minX(), bounds.minY(), bounds.width(), bounds.height());
            cairo_clip(cr);
            cairo_paint_with_alpha(cr, alpha);
            cairo_restore(cr);
        });
        syncMatrix();
    }
    // Puts the user-space transform into cairo (identity when it is unusable; callers check).
    void syncMatrix() {
        AffineTransform d = toDevice();
        if (isUsableTransform(d)) {
            cairo_matrix_t m = toCairo(d);
            cairo_set_matrix(cr, &m);
        } else {
            cairo_identity_matrix(cr);
        }
    }
    // Runs `step` with cairo in device space (pixels, y down), then puts the user-space transform
    // back.
    template <typename Step>
    void inDeviceSpace(Step step) {
        cairo_save(cr);
        cairo_identity_matrix(cr);
        step();
        cairo_restore(cr);
        syncMatrix();
    }
    // The same for a step whose clip stays in force.
    template <typename Step>
    void clipInDeviceSpace(Step step) {
        cairo_identity_matrix(cr);
        step();
        syncMatrix();
    }
    void setSource(const Color& c) {
        cairo_set_source_rgba(cr, clamp01(c.red), clamp01(c.green), clamp01(c.blue), clamp01(c.alpha));
    }
    cairo_filter_t filter() const {
        return gs.interpolation == ImageInterpolation::None ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD;
    }

    // Runs a drawing step with the state's opacity and mask applied. `draw` paints with the given
    // alpha when it can fold it in (returns true), else the step is composited through a group.
    // `rows` is what the step scan converts (see spend); a step past the budget paints nothing and
    // gives false. Under a mask, the group and the masking cover `bounds` (device space) when given,
    // so that a small paint under a clip of the whole page costs what it paints; the current path
    // is kept for `draw`.
    template <typename Draw>
    bool composite(double rows, Draw draw, const Rect* bounds = nullptr) {
        double alpha = clamp01(gs.alpha);
        if (alpha <= 0) return true;
        if (!spend(rows)) return false;
        if (!gs.mask) {
            draw(alpha);
            return true;
        }
        const Mask& mask = *gs.mask;
        Rect area = mask.box;
        if (bounds) area = area.intersection(*bounds);
        if (area.isNull() || !(area.size.width > 0) || !(area.size.height > 0)) return true;
        cairo_save(cr);
        clipInDeviceSpace([&] {
            cairo_path_t* path = cairo_copy_path(cr);
            cairo_new_path(cr);
            const double x0 = std::floor(area.minX()), y0 = std::floor(area.minY());
            cairo_rectangle(cr, x0, y0, std::ceil(area.maxX()) - x0, std::ceil(area.maxY()) - y0);
            cairo_clip(cr);
            if (path) {
                if (path->status == CAIRO_STATUS_SUCCESS) cairo_append_path(cr, path);
                cairo_path_destroy(path);
            }
        });
        cairo_push_group(cr);
        draw(1.0);
        cairo_pop_group_to_source(cr);
        inDeviceSpace([&] {
            if (alpha < 1) cairo_push_group(cr);
            cairo_mask_surface(cr, mask.coverage.get(), mask.area.minX(), mask.area.minY());
            if (alpha < 1) {
                cairo_pop_group_to_source(cr);
                cairo_paint_with_alpha(cr, alpha);
            }
        });
        cairo_restore(cr);
        syncMatrix();
        return true;
    }

    // The device box a fill (or a stroke `strokeWidth` pixels wide) of the current path reaches.
    Rect paintBounds(double strokeWidth) {
        double x1, y1, x2, y2;
        inDeviceSpace([&] { cairo_path_extents(cr, &x1, &y1, &x2, &y2); });
        // Joins reach out at most the miter limit times half the width.
        const double pad = strokeWidth > 0 ? strokeWidth / 2 * std::max(1.0, cairo_get_miter_limit(cr)) + 2 : 1;
        return Rect(x1 - pad, y1 - pad, x2 - x1 + 2 * pad, y2 - y1 + 2 * pad);
    }

    Rect deviceToUser(const Rect& device) const {
        AffineTransform inv = toDevice().inverted();
        return inv.apply(device);
    }
};

BitmapContext::BitmapContext(std::unique_ptr<Impl> impl, int width, int height, bool opaque)
    : impl_(std::move(impl)), width_(width), height_(height), opaque_(opaque) {}

BitmapContext::~BitmapContext() = default;

std::unique_ptr<BitmapContext> BitmapContext::create(std::int64_t width, std::int64_t height, bool opaque) {
    if (!isBitmapSizeAllowed(width, height)) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->width = static_cast<int>(width);
    impl->height = static_cast<int>(height);
    impl->budget = edgeRowBudget(width, height);
    impl->surface = cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, impl->width,
                                               impl->height);
    if (cairo_surface_status(impl->surface) != CAIRO_STATUS_SUCCESS) return nullptr;
    impl->cr = cairo_create(impl->surface);
    if (cairo_status(impl->cr) != CAIRO_STATUS_SUCCESS) return nullptr;
    impl->syncMatrix();
    return std::unique_ptr<BitmapContext>(new BitmapContext(std::move(impl), static_cast<int>(width),
                                                            static_cast<int>(height), opaque));
}

void BitmapContext::saveGState() {
    impl_->stack.push_back(impl_->gs);
    cairo_save(impl_->cr);
}

void BitmapContext::restoreGState() {
    if (impl_->stack.empty()) return;
    impl_->gs = impl_->stack.back();
    impl_->stack.pop_back();
    cairo_restore(impl_->cr);
    impl_->syncMatrix();
}

AffineTransform BitmapContext::ctm() const { return impl_->gs.ctm; }

void BitmapContext::concatCTM(const AffineTransform& t) {
    impl_->gs.ctm = t.concat(impl_->gs.ctm);
    impl_->syncMatrix();
}

void BitmapContext::translateCTM(double tx, double ty) { concatCTM(AffineTransform::makeTranslation(tx, ty)); }
void BitmapContext::scaleCTM(double sx, double sy) { concatCTM(AffineTransform::makeScale(sx, sy)); }
void BitmapContext::rotateCTM(double angle) { concatCTM(AffineTransform::makeRotation(angle)); }

void BitmapContext::setFillColor(const Color& c) { impl_->gs.fill = c; }
void BitmapContext::setStrokeColor(const Color& c) { impl_->gs.stroke = c; }
void BitmapContext::setAlpha(double alpha) { impl_->gs.alpha = clamp01(alpha); }

void BitmapContext::setLineWidth(double w) { impl_->gs.lineWidth = std::isfinite(w) ? w : 1.0; }

void BitmapContext::setLineCap(LineCap cap) {
    cairo_line_cap_t c = cap == LineCap::Round    ? CAIRO_LINE_CAP_ROUND
                         : cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                  : CAIRO_LINE_CAP_BUTT;
    cairo_set_line_cap(impl_->cr, c);
}

void BitmapContext::setLineJoin(LineJoin join) {
    cairo_line_join_t j = join == LineJoin::Round   ? CAIRO_LINE_JOIN_ROUND
                          : join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                    : CAIRO_LINE_JOIN_MITER;
    cairo_set_line_join(impl_->cr, j);
}

void BitmapContext::setMiterLimit(double limit) {
    if (std::isfinite(limit) && limit >= 1) cairo_set_miter_limit(impl_->cr, limit);
}

void BitmapContext::setLineDash(double phase, const std::vector<double>& lengths) {
    // cairo rejects negative lengths and an all-zero pattern (and then refuses to draw); such
    // patterns stroke solid lines, as does an empty one.
    bool usable = !lengths.empty();
    double sum = 0;
    for (double l : lengths) {
        if (!std::isfinite(l) || l < 0) usable = false;
        else sum += l;
    }
    if (!usable || sum <= 0 || !std::isfinite(phase)) {
        cairo_set_dash(impl_->cr, nullptr, 0, 0);
        return;
    }
    cairo_set_dash(impl_->cr, lengths.data(), static_cast<int>(lengths.size()), phase);
}

void BitmapContext::setShouldAntialias(bool on) {
    cairo_set_antialias(impl_->cr, on ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void BitmapContext::setImageInterpolation(ImageInterpolation q) { impl_->gs.interpolation = q; }

void BitmapContext::beginPath() {
    cairo_new_path(impl_->cr);
    impl_->pathEmpty = true;
    impl_->pathRows = {};
    impl_->pathIsRect = false;
    impl_->pathCut = false;
    impl_->pathSimplified = false;
}

double BitmapContext::edgeRowsBudget() const { return impl_->budget; }
double BitmapContext::edgeRowsSpent() const { return impl_->spentRows; }

namespace {

// Takes no path.
class NullSink : public PixelPathSimplifier::Sink {
public:
    void moveTo(Point) override {}
    void lineTo(Point) override {}
    void close() override {}
};

// Feeds a path, taken to device space by `d`, to a simplifier, and finishes it.
void feedSimplifier(PixelPathSimplifier& simple, const Path& path, const AffineTransform& d) {
    Point current{}, start{};
    for (const PathElement& e : path.elements()) {
        auto pt = [&](int i) { return d.apply(e.points[static_cast<size_t>(i)]); };
        switch (e.type) {
            case PathElementType::MoveToPoint: simple.moveTo(current = start = pt(0)); break;
            case PathElementType::AddLineToPoint: simple.lineTo(current = pt(0)); break;
            case PathElementType::AddQuadCurveToPoint: {
                // The cubic whose controls sit 2/3 of the way to the quadratic one.
                const Point c = pt(0), p = pt(1);
                simple.curveTo({current.x + 2.0 / 3.0 * (c.x - current.x), current.y + 2.0 / 3.0 * (c.y - current.y)},
                               {p.x + 2.0 / 3.0 * (c.x - p.x), p.y + 2.0 / 3.0 * (c.y - p.y)}, p);
                current = p;
                break;
            }
            case PathElementType::AddCurveToPoint: simple.curveTo(pt(0), pt(1), current = pt(2)); break;
            case PathElementType::CloseSubpath:
                simple.close();
                current = start;
                break;
        }
    }
    simple.finish();
}

// Hands a simplified path to cairo (in device space).
class CairoSink : public PixelPathSimplifier::Sink {
public:
    explicit CairoSink(cairo_t* cr) : cr_(cr) {}
    void moveTo(Point p) override { cairo_move_to(cr_, p.x, p.y); }
    void lineTo(Point p) override { cairo_line_to(cr_, p.x, p.y); }
    void close() override { cairo_close_path(cr_); }

private:
    cairo_t* cr_;
};

}  // namespace

void BitmapContext::addPath(const Path& path) {
    Impl& im = *impl_;
    if (path.isEmpty()) return;
    // Points go into cairo in device space, so a later transform change does not move them (the
    // path belongs to no graphics state). Under a transform that squeezes the plane, or with
    // points that are not finite, the path covers nothing.
    AffineTransform d = im.toDevice();
    if (!isFiniteTransform(d) || pathHasNonFinitePoint(path)) return;
    const double height = im.height;
    const EdgeRows rows = edgeRowsOf(path, d, height);
    // What the path would cost stroked, the most a paint of it can.
    const double width = im.strokePixels();
    const double held = strokeRows(im.pathRows.spans, im.pathRows.edges, width);
    const double most = im.remaining() - held;
    const double cost = strokeRows(im.pathRows.spans + rows.spans, im.pathRows.edges + rows.edges, width);
    if (std::isfinite(cost) && cost <= im.remaining() && cost - held <= kMostPathRows) {
        Rect box;
        im.pathIsRect = im.pathEmpty && isUprightRect(path, d, box);
        im.pathRect = box;
        im.inDeviceSpace([&] { emitPath(im.cr, path, d); });
        im.pathEmpty = false;
        im.pathRows.spans += rows.spans;
        im.pathRows.edges += rows.edges;
        return;
    }
    // Simplified to the pixels, and cut where the budget ends, or at kMostPathRows when it keeps
    // more edges than a line through the pixels can.
    im.pathIsRect = false;
    NullSink none;
    PixelPathSimplifier probe(none, height, width, std::numeric_limits<double>::infinity());
    feedSimplifier(probe, path, d);
    double limit = std::max(0.0, most);
    if (probe.edges() > kSimplifiedEdgesPerPixel * (static_cast<double>(im.width) + im.height))
        limit = std::min(limit, kMostPathRows);
    CairoSink sink(im.cr);
    PixelPathSimplifier simple(sink, height, width, limit);
    im.pathSimplified = true;
    im.inDeviceSpace([&] { feedSimplifier(simple, path, d); });
    if (simple.emitted()) im.pathEmpty = false;
    im.pathRows.spans += simple.spans();
    im.pathRows.edges += simple.edges();
    if (simple.cut()) im.pathCut = true;
}

void BitmapContext::addRect(const Rect& r) {
    Path p;
    p.addRect(r);
    addPath(p);
}

bool BitmapContext::isPathEmpty() const { return impl_->pathEmpty; }

namespace {

// Notes what a paint left out: the whole path, or the part cut off at the budget.
void noteLeftOut(bool drawn, bool cut) {
    if (!drawn) LeftOut::note("paths past the drawing budget of a picture");
    else if (cut) LeftOut::note("parts of paths past the drawing budget of a picture");
}

}  // namespace

bool BitmapContext::fillPath(FillRule rule) {
    Impl& im = *impl_;
    bool drawn = false, refused = im.pathCut && im.pathEmpty;
    if (!im.pathEmpty) {
        cairo_set_fill_rule(im.cr, rule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        const Rect bounds = im.gs.mask ? im.paintBounds(0) : Rect();
        drawn = im.composite(fillRows(im.pathRows.spans, im.pathRows.edges), [&](double alpha) {
            Color c = im.gs.fill;
            c.alpha *= alpha;
            im.setSource(c);
            cairo_fill_preserve(im.cr);
        }, im.gs.mask ? &bounds : nullptr);
        refused = !drawn;
    }
    if (refused || im.pathCut) noteLeftOut(!refused, im.pathCut);
    beginPath();
    return drawn;
}

namespace {

// The edges of one piece of a simplified path stroked on its own (see strokePath).
constexpr int kStrokePieceEdges = 256;
// The most edges of a path stroked at once: the stroker holds the outline of every edge of the
// path, a few hundred bytes an edge, until it is filled; a CAD layer of 400,000 edges took 235 MB.
// A longer path is stroked in pieces too.
constexpr double kMostEdgesStrokedAtOnce = 65536;

// Calls `stroke` for each piece of `path` (device space) of kStrokePieceEdges edges, made the
// current path in turn by `setPath`.
template <typename SetPath, typename Stroke>
void strokeInPieces(const cairo_path_t& path, SetPath setPath, Stroke stroke) {
    std::vector<cairo_path_data_t> piece;
    int edges = 0;
    bool split = false;  // whether the subpath under way was split
    cairo_path_data_t start{}, last{}, before{};
    auto add = [&](cairo_path_data_type_t type, const cairo_path_data_t* points, int count) {
        cairo_path_data_t header;
        header.header.type = type;
        header.header.length = count + 1;
        piece.push_back(header);
        for (int k = 0; k < count; ++k) piece.push_back(points[k]);
    };
    auto flush = [&] {
        if (edges > 0) {
            const cairo_path_t p{CAIRO_STATUS_SUCCESS, piece.data(), static_cast<int>(piece.size())};
            setPath(p);
            stroke();
        }
        piece.clear();
        edges = 0;
    };
    for (int i = 0; i < path.num_data; i += path.data[i].header.length) {
        const cairo_path_data_t* d = &path.data[i];
        switch (d->header.type) {
            case CAIRO_PATH_MOVE_TO:
                if (edges >= kStrokePieceEdges) flush();
                split = false;
                start = last = before = d[1];
                add(CAIRO_PATH_MOVE_TO, &d[1], 1);
                break;
            case CAIRO_PATH_LINE_TO:
            case CAIRO_PATH_CURVE_TO: {
                if (edges >= kStrokePieceEdges) {
                    // The new piece takes the last edge again, so that the join at its end is
                    // drawn.
                    flush();
                    split = true;
                    add(CAIRO_PATH_MOVE_TO, &before, 1);
                    add(CAIRO_PATH_LINE_TO, &last, 1);
                }
                const int count = d->header.type == CAIRO_PATH_LINE_TO ? 1 : 3;
                add(d->header.type, &d[1], count);
                before = d->header.type == CAIRO_PATH_LINE_TO ? last : d[2];
                last = d[count];
                ++edges;
                break;
            }
            case CAIRO_PATH_CLOSE_PATH:
                // A subpath split into pieces is closed by a line back to its start.
                if (split) add(CAIRO_PATH_LINE_TO, &start, 1);
                else add(CAIRO_PATH_CLOSE_PATH, nullptr, 0);
                before = last;
                last = start;
                ++edges;
                break;
        }
    }
    flush();
}

}  // namespace

bool BitmapContext::strokePath() {
    Impl& im = *impl_;
    bool drawn = false, refused = im.pathCut && im.pathEmpty;
    if (!im.pathEmpty && im.usable()) {
        const double width = im.strokePixels();
        const double rows = strokeRows(im.pathRows.spans, im.pathRows.edges, width);
        const Rect bounds = im.gs.mask ? im.paintBounds(width) : Rect();
        auto strokeNow = [&] {
            if (im.gs.lineWidth > 0) {
                cairo_set_line_width(im.cr, im.gs.lineWidth);
                cairo_stroke_preserve(im.cr);
            } else {
                // The thinnest line the bitmap shows: one device pixel.
                im.inDeviceSpace([&] {
                    cairo_set_line_width(im.cr, 1.0);
                    cairo_stroke_preserve(im.cr);
                });
            }
        };
        drawn = im.composite(rows, [&](double alpha) {
            Color c = im.gs.stroke;
            c.alpha *= alpha;
            im.setSource(c);
            cairo_path_t* all = nullptr;
            if (im.pathSimplified || im.pathRows.edges > kMostEdgesStrokedAtOnce)
                im.inDeviceSpace([&] { all = cairo_copy_path(im.cr); });
            if (!all || all->status != CAIRO_STATUS_SUCCESS) {
                strokeNow();
            } else {
                // A simplified path is stroked a few hundred edges at a time: the scan converter
                // sorts all the edges that cross a row again wherever two of them cross, and the
                // pieces of a line of thousands of columns each cross a few rows only. So is a
                // path of more edges than the stroker should hold at once.
                strokeInPieces(
                    *all,
                    [&](const cairo_path_t& piece) {
                        im.inDeviceSpace([&] {
                            cairo_new_path(im.cr);
                            cairo_append_path(im.cr, &piece);
                        });
                    },
                    strokeNow);
            }
            if (all) cairo_path_destroy(all);
        }, im.gs.mask ? &bounds : nullptr);
        refused = !drawn;
    }
    if (refused || im.pathCut) noteLeftOut(!refused, im.pathCut);
    beginPath();
    return drawn;
}

void BitmapContext::fillAndStrokePath(FillRule rule) {
    Impl& im = *impl_;
    if (im.pathEmpty) {
        if (im.pathCut) noteLeftOut(false, true);
        beginPath();
        return;
    }
    cairo_path_t* saved = cairo_copy_path(im.cr);
    const EdgeRows rows = im.pathRows;
    const bool simplified = im.pathSimplified;
    fillPath(rule);
    if (saved && saved->status == CAIRO_STATUS_SUCCESS) {
        im.inDeviceSpace([&] { cairo_append_path(im.cr, saved); });
        im.pathEmpty = false;
        im.pathRows = rows;
        // The part cut off was noted by the fill.
        im.pathSimplified = simplified;
        strokePath();
    }
    if (saved) cairo_path_destroy(saved);
}

void BitmapContext::fillRect(const Rect& r) {
    beginPath();
    addRect(r);
    fillPath();
}

void BitmapContext::clearRect(const Rect& r) {
    Impl& im = *impl_;
    beginPath();
    addRect(r);
    if (!im.pathEmpty) {
        cairo_save(im.cr);
        cairo_set_operator(im.cr, CAIRO_OPERATOR_CLEAR);
        cairo_fill_preserve(im.cr);
        cairo_restore(im.cr);
        im.syncMatrix();
    }
    beginPath();
}

void BitmapContext::clip(FillRule rule) {
    Impl& im = *impl_;
    const cairo_fill_rule_t fillRule = rule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING;
    cairo_set_fill_rule(im.cr, fillRule);
    auto clipToNothing = [&] {
        // Clipping to an empty path leaves nothing to paint.
        cairo_new_path(im.cr);
        cairo_rectangle(im.cr, 0, 0, 0, 0);
        cairo_clip(im.cr);
        im.gs.clipBox = Rect::null();
        beginPath();
    };
    if (im.pathEmpty || im.pathCut) {
        // A clip cut short at the budget would let through what it should not.
        if (im.pathCut) LeftOut::note("clips past the drawing budget of a picture");
        return clipToNothing();
    }
    // An upright rectangle is a box to the drawing library: the paints under it cost nothing more.
    if (im.pathIsRect) {
        im.gs.clipBox = im.gs.clipBox.intersection(im.pathRect);
        cairo_clip(im.cr);
        beginPath();
        return;
    }
    const double rows = fillRows(im.pathRows.spans, im.pathRows.edges);
    if (!std::isfinite(rows) || rows > im.remaining()) {
        LeftOut::note("clips past the drawing budget of a picture");
        return clipToNothing();
    }
    double x1, y1, x2, y2;
    im.inDeviceSpace([&] { cairo_fill_extents(im.cr, &x1, &y1, &x2, &y2); });
    const Rect box = (x2 > x1 && y2 > y1) ? Rect(x1, y1, x2 - x1, y2 - y1) : Rect::null();
    // The pixels the clip can let through: within its box, the clip in force and the bitmap.
    double cx1, cy1, cx2, cy2;
    im.inDeviceSpace([&] { cairo_clip_extents(im.cr, &cx1, &cy1, &cx2, &cy2); });
    Rect area = box.intersection(Rect(cx1, cy1, cx2 - cx1, cy2 - cy1)).intersection(Rect(0, 0, im.width, im.height));
    if (im.gs.mask) area = area.intersection(im.gs.mask->box);
    if (area.isNull() || !(area.size.width > 0) || !(area.size.height > 0)) return clipToNothing();
    const int ax = kx::toInt<int>(std::floor(area.minX())), ay = kx::toInt<int>(std::floor(area.minY()));
    const int aw = kx::toInt<int>(std::ceil(area.maxX())) - ax, ah = kx::toInt<int>(std::ceil(area.maxY())) - ay;
    const std::int64_t bytes = std::int64_t(aw) * ah;
    im.gs.clipBox = im.gs.clipBox.intersection(box);
    if (im.maskBytes + bytes > kMostClipMaskBytes) {
        // Left to cairo, which works through the path again for every paint under it.
        im.gs.clipRows += rows;
        cairo_clip(im.cr);
        beginPath();
        return;
    }
    // Scan converted once, into the coverage every paint under it goes through.
    im.spentRows += rows;
    auto mask = std::make_shared<Impl::Mask>();
    mask->coverage.reset(cairo_image_surface_create(CAIRO_FORMAT_A8, aw, ah));
    if (cairo_surface_status(mask->coverage.get()) != CAIRO_STATUS_SUCCESS) return clipToNothing();
    mask->area = Rect(ax, ay, aw, ah);
    mask->bytes = bytes;
    mask->counter = &im.maskBytes;
    im.maskBytes += bytes;
    cairo_path_t* path = nullptr;
    im.inDeviceSpace([&] { path = cairo_copy_path(im.cr); });
    cairo_t* mcr = cairo_create(mask->coverage.get());
    cairo_set_antialias(mcr, cairo_get_antialias(im.cr));
    cairo_set_fill_rule(mcr, fillRule);
    cairo_translate(mcr, -ax, -ay);
    if (path && path->status == CAIRO_STATUS_SUCCESS) cairo_append_path(mcr, path);
    if (path) cairo_path_destroy(path);
    cairo_fill(mcr);
    if (im.gs.mask) {
        cairo_set_operator(mcr, CAIRO_OPERATOR_IN);
        cairo_set_source_surface(mcr, im.gs.mask->coverage.get(), im.gs.mask->area.minX(), im.gs.mask->area.minY());
        cairo_paint(mcr);
    }
    cairo_destroy(mcr);
    const Rect covered = coveredBox(mask->coverage.get());
    mask->box = covered.isNull() ? Rect::null() : covered.offsetBy(ax, ay);
    // Paints are held to the mask's pixels, a box to the drawing library.
    im.clipInDeviceSpace([&] {
        cairo_new_path(im.cr);
        cairo_rectangle(im.cr, ax, ay, aw, ah);
        cairo_clip(im.cr);
    });
    if (mask->box.isNull()) im.gs.clipBox = Rect::null();
    im.gs.mask = std::move(mask);
    beginPath();
}

void BitmapContext::clipToRect(const Rect& r) {
    beginPath();
    addRect(r);
    clip();
}

void BitmapContext::clipToMask(const Image& mask, const Rect& rect) {
    Impl& im = *impl_;
    SurfacePtr coverage = coverageFromImage(mask);
    AffineTransform d = im.toDevice();
    Rect r = rect.standardized();
    auto out = std::make_shared<Impl::Mask>();
    out->coverage.reset(cairo_image_surface_create(CAIRO_FORMAT_A8, im.width, im.height));
    if (cairo_surface_status(out->coverage.get()) != CAIRO_STATUS_SUCCESS) return;
    out->area = Rect(0, 0, im.width, im.height);
    out->bytes = std::int64_t(im.width) * im.height;
    out->counter = &im.maskBytes;
    im.maskBytes += out->bytes;
    bool drawable = coverage && isUsableTransform(d) && r.size.width > 0 && r.size.height > 0 &&
                    std::isfinite(r.size.width) && std::isfinite(r.size.height);
    if (drawable) {
        cairo_t* mcr = cairo_create(out->coverage.get());
        cairo_matrix_t m = toCairo(d);
        cairo_set_matrix(mcr, &m);
        // Upright into the rectangle, as images are drawn.
        cairo_translate(mcr, r.origin.x, r.origin.y + r.size.height);
        cairo_scale(mcr, r.size.width / mask.width, -r.size.height / mask.height);
        cairo_set_source_surface(mcr, coverage.get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(mcr), im.filter());
        cairo_pattern_set_extend(cairo_get_source(mcr), CAIRO_EXTEND_PAD);
        cairo_rectangle(mcr, 0, 0, mask.width, mask.height);
        cairo_fill(mcr);
        if (im.gs.mask) {
            cairo_identity_matrix(mcr);
            cairo_set_operator(mcr, CAIRO_OPERATOR_IN);
            cairo_set_source_surface(mcr, im.gs.mask->coverage.get(), im.gs.mask->area.minX(),
                                     im.gs.mask->area.minY());
            cairo_paint(mcr);
        }
        cairo_destroy(mcr);
        out->box = coveredBox(out->coverage.get());
    } else {
        out->box = Rect::null();
    }
    im.gs.mask = std::move(out);
}

Rect BitmapContext::clipBoundingBox() const {
    Impl& im = *impl_;
    if (!im.usable()) return Rect::null();
    double x1, y1, x2, y2;
    im.inDeviceSpace([&] { cairo_clip_extents(im.cr, &x1, &y1, &x2, &y2); });
    if (!(x2 > x1 && y2 > y1)) return Rect::null();
    Rect device(x1, y1, x2 - x1, y2 - y1);
    // cairo answers whole pixels; the boxes of the clip paths may be tighter.
    if (!im.gs.clipBox.isInfinite()) device = device.intersection(im.gs.clipBox);
    if (im.gs.mask) device = device.intersection(im.gs.mask->box);
    if (device.isNull() || device.size.width <= 0 || device.size.height <= 0) return Rect::null();
    return im.deviceToUser(device);
}

namespace {

// The colours of a gradient at 1024 evenly spaced parameters, premultiplied ARGB32.
std::vector<std::uint32_t> gradientTable(const std::vector<GradientStop>& stops) {
    constexpr int kEntries = 1024;
    std::vector<std::uint32_t> table(kEntries);
    size_t k = 0;
    for (int i = 0; i < kEntries; ++i) {
        double s = static_cast<double>(i) / (kEntries - 1);
        while (k + 1 < stops.size() && stops[k + 1].offset <= s) ++k;
        Color c = stops[k].color;
        if (k + 1 < stops.size() && s > stops[k].offset) {
            const Color& a = stops[k].color;
            const Color& b = stops[k + 1].color;
            double span = stops[k + 1].offset - stops[k].offset;
            double f = span > 0 ? (s - stops[k].offset) / span : 0;
            c = {a.red + f * (b.red - a.red), a.green + f * (b.green - a.green), a.blue + f * (b.blue - a.blue),
                 a.alpha + f * (b.alpha - a.alpha)};
        }
        double alpha = clamp01(c.alpha);
        auto ch = [alpha](double v) { return static_cast<std::uint32_t>(clamp01(v) * alpha * 255 + 0.5); };
        table[static_cast<size_t>(i)] = (static_cast<std::uint32_t>(alpha * 255 + 0.5) << 24) | (ch(c.red) << 16) |
                                        (ch(c.green) << 8) | ch(c.blue);
    }
    return table;
}

}  // namespace

// Gradients are computed pixel by pixel over the clip: the geometry of a shading can sit far from
// the origin under a tiny transform (millions of units scaled down), which the fixed-point
// gradients of the drawing library cannot hold.
template <typename ParameterAt>
void BitmapContext::paintGradient(const std::vector<GradientStop>& stops, bool extendStart, bool extendEnd,
                                  ParameterAt parameterAt) {
    Impl& im = *impl_;
    // The pixels the clip can reach.
    double x1, y1, x2, y2;
    im.inDeviceSpace([&] { cairo_clip_extents(im.cr, &x1, &y1, &x2, &y2); });
    const int ix0 = std::max(0, kx::toInt<int>(std::floor(x1))), iy0 = std::max(0, kx::toInt<int>(std::floor(y1)));
    const int ix1 = std::min(im.width, kx::toInt<int>(std::ceil(x2))), iy1 = std::min(im.height, kx::toInt<int>(std::ceil(y2)));
    if (ix1 <= ix0 || iy1 <= iy0) return;

    SurfacePtr tile(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, ix1 - ix0, iy1 - iy0));
    if (cairo_surface_status(tile.get()) != CAIRO_STATUS_SUCCESS) return;
    const std::vector<std::uint32_t> table = gradientTable(stops);
    const double last = static_cast<double>(table.size() - 1);
    // Device pixel centre (cairo space, y down) to user space.
    const AffineTransform toUser = im.toDevice().inverted();
    cairo_surface_flush(tile.get());
    unsigned char* data = cairo_image_surface_get_data(tile.get());
    const int stride = cairo_image_surface_get_stride(tile.get());
    for (int y = iy0; y < iy1; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<size_t>(y - iy0) * static_cast<size_t>(stride));
        // One pixel to the right is one step of (a, b) in user space.
        Point p = toUser.apply(Point{ix0 + 0.5, y + 0.5});
        for (int x = ix0; x < ix1; ++x, p.x += toUser.a, p.y += toUser.b) {
            double t = 0;
            std::uint32_t color = 0;
            if (parameterAt(p, t) && std::isfinite(t)) {
                bool inside = (t >= 0 || extendStart) && (t <= 1 || extendEnd);
                if (inside) color = table[static_cast<size_t>(std::clamp(t, 0.0, 1.0) * last + 0.5)];
            }
            row[x - ix0] = color;
        }
    }
    cairo_surface_mark_dirty(tile.get());
    im.composite(0, [&](double alpha) {
        cairo_save(im.cr);
        cairo_identity_matrix(im.cr);
        cairo_set_source_surface(im.cr, tile.get(), ix0, iy0);
        cairo_paint_with_alpha(im.cr, alpha);
        cairo_restore(im.cr);
    });
    im.syncMatrix();
}

void BitmapContext::drawLinearGradient(const std::vector<GradientStop>& stops, Point start, Point end,
                                       bool extendStart, bool extendEnd) {
    Impl& im = *impl_;
    if (stops.empty() || !im.usable() || !finitePoint(start) || !finitePoint(end) || start == end) return;
    const double dx = end.x - start.x, dy = end.y - start.y;
    const double len2 = dx * dx + dy * dy;
    if (!(len2 > 0) || !std::isfinite(len2)) return;
    paintGradient(stops, extendStart, extendEnd, [&](Point p, double& t) {
        t = ((p.x - start.x) * dx + (p.y - start.y) * dy) / len2;
        return true;
    });
}

void BitmapContext::drawRadialGradient(const std::vector<GradientStop>& stops, Point c0, double r0, Point c1,
                                       double r1, bool extendStart, bool extendEnd) {
    Impl& im = *impl_;
    if (stops.empty() || !im.usable() || !finitePoint(c0) || !finitePoint(c1) || !std::isfinite(r0) ||
        !std::isfinite(r1) || r0 < 0 || r1 < 0 || (c0 == c1 && r0 == r1))
        return;
    // The circle of parameter t has centre c0 + t (c1 - c0) and radius r0 + t (r1 - r0); a point
    // takes the largest t whose circle passes through it with a radius of at least 0, among the
    // parameters the extension allows.
    const double cdx = c1.x - c0.x, cdy = c1.y - c0.y, dr = r1 - r0;
    const double a = cdx * cdx + cdy * cdy - dr * dr;
    auto allowed = [&](double t) {
        if (r0 + t * dr < 0) return false;
        if (t < 0) return extendStart;
        if (t > 1) return extendEnd;
        return true;
    };
    paintGradient(stops, extendStart, extendEnd, [&](Point p, double& t) {
        const double pdx = p.x - c0.x, pdy = p.y - c0.y;
        const double b = pdx * cdx + pdy * cdy + r0 * dr;
        const double c = pdx * pdx + pdy * pdy - r0 * r0;
        if (std::fabs(a) < 1e-12 * (cdx * cdx + cdy * cdy + dr * dr)) {
            if (b == 0) return false;
            t = c / (2 * b);
            return allowed(t);
        }
        const double disc = b * b - a * c;
        if (disc < 0) return false;
        const double root = std::sqrt(disc);
        double hi = (b + root) / a, lo = (b - root) / a;
        if (hi < lo) std::swap(hi, lo);
        if (allowed(hi)) {
            t = hi;
            return true;
        }
        if (allowed(lo)) {
            t = lo;
            return true;
        }
        return false;
    });
}

void BitmapContext::drawImage(const Image& image, const Rect& rect) {
    std::optional<AffineTransform> place = impl_->imagePlacement(rect, image.width, image.height);
    if (!place) return;
    SurfacePtr s = surfaceFromImage(image);
    if (s) impl_->paintImage(s.get(), *place, 0, 0, Rect(0, 0, image.width, image.height));
}

void BitmapContext::drawImage(const PlacedImage& picture, const Rect& rect) {
    if (!picture.image) return;
    const Image& part = *picture.image;
    if (picture.isWhole()) return drawImage(part, rect);
    if (!picture.partFits()) return;
    Impl& im = *impl_;
    std::optional<AffineTransform> place = im.imagePlacement(rect, picture.width, picture.height);
    if (!place) return;
    // Outside the part the whole picture is transparent, and so is the part's margin padded
    // outwards: the part, shifted by its place, is the same source as the whole picture. Cairo
    // samples both at the same points only where picture pixels land on device pixels unscaled
    // (turned by right angles at most); any other transform it rounds to pixman's fixed point about
    // the middle of the painted area, so limiting that area would move the samples. Such a
    // transform draws the whole picture.
    if (!im.isUnscaledPlacement(*place)) {
        if (ImageRef whole = picture.wholeImage()) drawImage(*whole, rect);
        return;
    }
    // Only the part is painted. A device pixel that the part's edge cuts inside the picture is
    // sampled within half a pixel of that edge, where the filter blends the transparent margin with
    // the transparent pixels beyond: it paints nothing there, nor outside, as the whole picture
    // would not. Where the part's edge is the picture's, both are cut alike.
    const Rect bounds(picture.left, picture.top, part.width, part.height);
    SurfacePtr s = surfaceFromImage(part);
    if (s) im.paintImage(s.get(), *place, picture.left, picture.top, bounds);
}

namespace {

// Tiles drawn from shared images, converted for cairo once while the image lives: an exporter
// paints one pattern's tile for every path it fills, and converting a large tile each time cost
// more than the painting. An entry holds its image weakly and is dropped once the image is gone (a
// later image at the same address is converted afresh); bounded in pixels.
struct TileSurfaces {
    struct Entry {
        std::weak_ptr<const Image> image;
        SurfacePtr surface;
        std::int64_t pixels = 0;
    };
    std::map<const Image*, Entry> entries;
    std::int64_t pixels = 0;
    static constexpr std::int64_t kMaxPixels = std::int64_t(1) << 24;

    cairo_surface_t* surfaceFor(const ImageRef& image) {
        auto it = entries.find(image.get());
        if (it != entries.end() && it->second.image.lock() == image) return it->second.surface.get();
        // Surfaces of images that are gone are of no use any more.
        for (auto e = entries.begin(); e != entries.end();) {
            if (!e->second.image.expired()) {
                ++e;
                continue;
            }
            pixels -= e->second.pixels;
            e = entries.erase(e);
        }
        // Too large to keep: the caller converts it for this paint only.
        const std::int64_t size = std::int64_t(image->width) * image->height;
        if (size > kMaxPixels) return nullptr;
        SurfacePtr s = surfaceFromImage(*image);
        if (!s) return nullptr;
        if (pixels + size > kMaxPixels) {
            entries.clear();
            pixels = 0;
        }
        pixels += size;
        return entries.insert_or_assign(image.get(), Entry{image, std::move(s), size}).first->second.surface.get();
    }
};

thread_local TileSurfaces tTileSurfaces;

}  // namespace

void BitmapContext::drawTiledImage(const Image& tile, const Rect& tileRect, const AffineTransform& patternToUser) {
    SurfacePtr s = surfaceFromImage(tile);
    if (s) impl_->paintTiled(s.get(), tile.width, tile.height, tileRect, patternToUser);
}

void BitmapContext::drawTiledImage(const ImageRef& tile, const Rect& tileRect, const AffineTransform& patternToUser) {
    if (!tile || !tile->isValid()) return;
    if (cairo_surface_t* s = tTileSurfaces.surfaceFor(tile))
        impl_->paintTiled(s, tile->width, tile->height, tileRect, patternToUser);
    else
        drawTiledImage(*tile, tileRect, patternToUser);
}

ImageRef BitmapContext::makeImage() const { return makeImage(0, 0, width_, height_); }

ImageRef BitmapContext::makeImage(int x, int y, int w, int h) const {
    int x0 = std::max(0, x), y0 = std::max(0, y);
    int x1 = static_cast<int>(std::min<std::int64_t>(width_, std::int64_t(x) + w));
    int y1 = static_cast<int>(std::min<std::int64_t>(height_, std::int64_t(y) + h));
    if (x1 <= x0 || y1 <= y0) return nullptr;
    auto img = Image::make(x1 - x0, y1 - y0, opaque_ ? PixelFormat::RGB8 : PixelFormat::RGBA8);
    if (!img) return nullptr;
    cairo_surface_flush(impl_->surface);
    const unsigned char* data = cairo_image_surface_get_data(impl_->surface);
    int stride = cairo_image_surface_get_stride(impl_->surface);
    for (int row = y0; row < y1; ++row) {
        const auto* src = reinterpret_cast<const std::uint32_t*>(data + static_cast<size_t>(row) * static_cast<size_t>(stride)) + x0;
        std::uint8_t* dst = img->row(row - y0);
        if (opaque_)
            convertARGB32RowToRGB(src, dst, x1 - x0);
        else
            convertARGB32RowToRGBA(src, dst, x1 - x0);
    }
    return img;
}

namespace {

// Whether any of `n` pixel words is not zero, sixteen words at a time.
bool anyInk(const std::uint32_t* p, int n) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        auto at = [&](int k) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + k)); };
        const __m128i ink = _mm_or_si128(_mm_or_si128(at(0), at(4)), _mm_or_si128(at(8), at(12)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(ink, zero)) != 0xFFFF) return true;
    }
#endif
    for (; i < n; ++i)
        if (p[i]) return true;
    return false;
}

// The first and last non-zero word of a row of `n` words; false for a row of zeros.
bool inkSpan(const std::uint32_t* p, int n, int& first, int& last) {
    constexpr int kBlock = 16;
    int lo = 0;
    while (lo + kBlock <= n && !anyInk(p + lo, kBlock)) lo += kBlock;
    while (lo < n && !p[lo]) ++lo;
    if (lo == n) return false;
    int hi = n;
    while (hi - kBlock > lo && !anyInk(p + hi - kBlock, kBlock)) hi -= kBlock;
    while (!p[hi - 1]) --hi;
    first = lo;
    last = hi - 1;
    return true;
}

}  // namespace

PlacedImage BitmapContext::makePlacedImage(int x, int y, int w, int h) const {
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = static_cast<int>(std::min<std::int64_t>(width_, std::int64_t(x) + w));
    const int y1 = static_cast<int>(std::min<std::int64_t>(height_, std::int64_t(y) + h));
    if (x1 <= x0 || y1 <= y0) return {};
    if (opaque_) return PlacedImage::whole(makeImage(x0, y0, x1 - x0, y1 - y0));
    // The box of the words that are not zero: a transparent pixel of cairo's premultiplied surface
    // is a zero word (and one that is not would turn into a transparent pixel inside the part).
    cairo_surface_flush(impl_->surface);
    const unsigned char* data = cairo_image_surface_get_data(impl_->surface);
    const size_t stride = static_cast<size_t>(cairo_image_surface_get_stride(impl_->surface));
    int left = x1, right = x0 - 1, top = y1, bottom = y0 - 1;
    for (int row = y0; row < y1; ++row) {
        const auto* words = reinterpret_cast<const std::uint32_t*>(data + static_cast<size_t>(row) * stride) + x0;
        int first = 0, last = 0;
        if (!inkSpan(words, x1 - x0, first, last)) continue;
        left = std::min(left, x0 + first);
        right = std::max(right, x0 + last);
        top = std::min(top, row);
        bottom = row;
    }
    PlacedImage placed;
    placed.width = x1 - x0;
    placed.height = y1 - y0;
    if (right < left) {
        // Nothing painted: one transparent pixel stands for the picture.
        left = right = x0;
        top = bottom = y0;
    } else {
        // A transparent margin where the part stops short of the picture's edge.
        left = std::max(x0, left - 1);
        top = std::max(y0, top - 1);
        right = std::min(x1 - 1, right + 1);
        bottom = std::min(y1 - 1, bottom + 1);
    }
    const std::int64_t partPixels = std::int64_t(right - left + 1) * (bottom - top + 1);
    if (partPixels * 2 > std::int64_t(placed.width) * placed.height) {
        placed.image = makeImage(x0, y0, placed.width, placed.height);
        return placed;
    }
    placed.image = makeImage(left, top, right - left + 1, bottom - top + 1);
    placed.left = left - x0;
    placed.top = top - y0;
    return placed;
}

}  // namespace kx
