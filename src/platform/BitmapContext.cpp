#include "platform/BitmapContext.h"

#include <cairo.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

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

// What scan converting a path costs: the device rows its edges cross, and its edges. A curve counts
// as its control polygon, which spans at least the rows the curve does.
struct EdgeRows {
    double spans = 0;
    double edges = 0;
};

EdgeRows edgeRowsOf(const Path& path, const AffineTransform& toDevice) {
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
            rows.spans += std::fabs(p.y - y);
            y = p.y;
            current = p;
        }
        if (e.type == PathElementType::CloseSubpath) {
            rows.spans += std::fabs(start.y - y);
            current = start;
        }
        rows.edges += 1;
    }
    return rows;
}

bool pathHasNonFinitePoint(const Path& path) {
    for (const PathElement& e : path.elements())
        for (int i = 0; i < e.pointCount(); ++i)
            if (!std::isfinite(e.points[static_cast<size_t>(i)].x) || !std::isfinite(e.points[static_cast<size_t>(i)].y))
                return true;
    return false;
}

}  // namespace

struct BitmapContext::Impl {
    struct Mask {
        SurfacePtr coverage;  // A8, bitmap size, cairo device space
        Rect box;             // device-space box of the non-zero coverage (y-down)
    };
    struct GState {
        AffineTransform ctm;
        Color fill{0, 0, 0, 1};
        Color stroke{0, 0, 0, 1};
        double alpha = 1;
        double lineWidth = 1;
        // Device-space (y-down) box that holds the clip region; intersected with cairo's own.
        Rect clipBox = Rect::infinite();
        // Rows of pixels crossed by the edges of the clip paths in force.
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
    double spentRows = 0;    // by everything painted so far

    // Takes `rows` of scan conversion, and the rows of the clip paths in force, which every paint
    // under them works through again, from the budget; false, taking nothing, past it.
    bool spend(double rows) {
        const double total = rows + gs.clipRows;
        if (!std::isfinite(total) || total > BitmapContext::kMostEdgeRows - spentRows) return false;
        spentRows += total;
        return true;
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
    void setSource(const Color& c) {
        cairo_set_source_rgba(cr, clamp01(c.red), clamp01(c.green), clamp01(c.blue), clamp01(c.alpha));
    }
    cairo_filter_t filter() const {
        return gs.interpolation == ImageInterpolation::None ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD;
    }

    // Runs a drawing step with the state's opacity and mask applied. `draw` paints with the given
    // alpha when it can fold it in (returns true), else the step is composited through a group.
    // `rows` is what the step scan converts (see spend); a step past the budget paints nothing and
    // gives false.
    template <typename Draw>
    bool composite(double rows, Draw draw) {
        double alpha = clamp01(gs.alpha);
        if (alpha <= 0) return true;
        if (!spend(rows)) return false;
        if (!gs.mask) {
            draw(alpha);
            return true;
        }
        cairo_push_group(cr);
        draw(1.0);
        cairo_pop_group_to_source(cr);
        inDeviceSpace([&] {
            if (alpha < 1) cairo_push_group(cr);
            cairo_mask_surface(cr, gs.mask->coverage.get(), 0, 0);
            if (alpha < 1) {
                cairo_pop_group_to_source(cr);
                cairo_paint_with_alpha(cr, alpha);
            }
        });
        return true;
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
}

void BitmapContext::addPath(const Path& path) {
    if (path.isEmpty()) return;
    // Points go into cairo in device space, so a later transform change does not move them (the
    // path belongs to no graphics state). Under a transform that squeezes the plane, or with
    // points that are not finite, the path covers nothing.
    AffineTransform d = impl_->toDevice();
    if (!isFiniteTransform(d) || pathHasNonFinitePoint(path)) return;
    impl_->inDeviceSpace([&] { emitPath(impl_->cr, path, d); });
    impl_->pathEmpty = false;
    const EdgeRows rows = edgeRowsOf(path, d);
    impl_->pathRows.spans += rows.spans;
    impl_->pathRows.edges += rows.edges;
}

void BitmapContext::addRect(const Rect& r) {
    Path p;
    p.addRect(r);
    addPath(p);
}

bool BitmapContext::isPathEmpty() const { return impl_->pathEmpty; }

bool BitmapContext::fillPath(FillRule rule) {
    Impl& im = *impl_;
    bool drawn = false;
    if (!im.pathEmpty) {
        cairo_set_fill_rule(im.cr, rule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        drawn = im.composite(fillRows(im.pathRows.spans, im.pathRows.edges), [&](double alpha) {
            Color c = im.gs.fill;
            c.alpha *= alpha;
            im.setSource(c);
            cairo_fill_preserve(im.cr);
        });
    }
    beginPath();
    return drawn;
}

bool BitmapContext::strokePath() {
    Impl& im = *impl_;
    bool drawn = false;
    if (!im.pathEmpty && im.usable()) {
        const AffineTransform d = im.toDevice();
        const double width = im.gs.lineWidth > 0 ? im.gs.lineWidth * std::sqrt(std::fabs(d.a * d.d - d.b * d.c)) : 1.0;
        const double rows = strokeRows(im.pathRows.spans, im.pathRows.edges, width);
        drawn = im.composite(rows, [&](double alpha) {
            Color c = im.gs.stroke;
            c.alpha *= alpha;
            im.setSource(c);
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
        });
    }
    beginPath();
    return drawn;
}

void BitmapContext::fillAndStrokePath(FillRule rule) {
    Impl& im = *impl_;
    if (im.pathEmpty) return;
    cairo_path_t* saved = cairo_copy_path(im.cr);
    const EdgeRows rows = im.pathRows;
    fillPath(rule);
    if (saved && saved->status == CAIRO_STATUS_SUCCESS) {
        im.inDeviceSpace([&] { cairo_append_path(im.cr, saved); });
        im.pathEmpty = false;
        im.pathRows = rows;
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
    cairo_set_fill_rule(im.cr, rule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    // A clip is scan converted again by every paint under it; one that would take a paint past the
    // budget lets nothing through (what it would have limited is never painted unclipped).
    const double rows = fillRows(im.pathRows.spans, im.pathRows.edges);
    if (im.pathEmpty || !std::isfinite(rows) || rows + im.gs.clipRows > kMostEdgeRows - im.spentRows) {
        // Clipping to an empty path leaves nothing to paint.
        cairo_new_path(im.cr);
        cairo_rectangle(im.cr, 0, 0, 0, 0);
        cairo_clip(im.cr);
        im.gs.clipBox = Rect::null();
        beginPath();
        return;
    }
    double x1, y1, x2, y2;
    im.inDeviceSpace([&] { cairo_fill_extents(im.cr, &x1, &y1, &x2, &y2); });
    Rect box = (x2 > x1 && y2 > y1) ? Rect(x1, y1, x2 - x1, y2 - y1) : Rect::null();
    im.gs.clipBox = im.gs.clipBox.intersection(box);
    im.gs.clipRows += rows;
    cairo_clip(im.cr);
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
            cairo_set_source_surface(mcr, im.gs.mask->coverage.get(), 0, 0);
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
