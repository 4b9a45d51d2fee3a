#include "platform/image/ImageWriter.h"

#include <gif_lib.h>
#include <jpeglib.h>
#include <openjpeg.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/JPEGErrors_p.h"
#include "platform/Numeric.h"

namespace kx {

namespace {

// The pixels handed to an encoder: the image's own rows when the format takes them as they are,
// otherwise a converted copy. Rows are tightly packed, top row first.
struct PixelRows {
    int width = 0;
    int height = 0;
    int components = 0;  // 1 gray, 2 gray + alpha, 3 RGB, 4 RGBA
    const std::uint8_t* data = nullptr;
    std::vector<std::uint8_t> storage;

    size_t stride() const { return static_cast<size_t>(width) * static_cast<size_t>(components); }
    const std::uint8_t* row(int y) const { return data + static_cast<size_t>(y) * stride(); }
};

inline std::uint8_t overWhite(unsigned value, unsigned alpha) {
    return static_cast<std::uint8_t>((value * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

inline void cmykToRGB(const std::uint8_t* p, std::uint8_t* out) {
    unsigned k = 255u - p[3];
    for (int i = 0; i < 3; ++i) out[i] = static_cast<std::uint8_t>(((255u - p[i]) * k + 127u) / 255u);
}

PixelRows borrow(const Image& image, int components) {
    PixelRows px;
    px.width = image.width;
    px.height = image.height;
    px.components = components;
    px.data = image.pixels.data();
    return px;
}

PixelRows allocate(const Image& image, int components) {
    PixelRows px;
    px.width = image.width;
    px.height = image.height;
    px.components = components;
    px.storage.resize(px.stride() * static_cast<size_t>(image.height));
    px.data = px.storage.data();
    return px;
}

// Gray, colour and alpha as they are; CMYK becomes RGB.
PixelRows withAlpha(const Image& image) {
    if (image.format != PixelFormat::CMYK8) return borrow(image, bytesPerPixel(image.format));
    PixelRows px = allocate(image, 3);
    const std::uint8_t* s = image.pixels.data();
    std::uint8_t* d = px.storage.data();
    size_t n = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    for (size_t i = 0; i < n; ++i, s += 4, d += 3) cmykToRGB(s, d);
    return px;
}

// Gray with alpha as RGBA, for formats that have no gray-with-alpha layout.
PixelRows grayAlphaToRGBA(const Image& image) {
    PixelRows px = allocate(image, 4);
    const std::uint8_t* s = image.pixels.data();
    std::uint8_t* d = px.storage.data();
    size_t n = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    for (size_t i = 0; i < n; ++i, s += 2, d += 4) {
        d[0] = d[1] = d[2] = s[0];
        d[3] = s[1];
    }
    return px;
}

// No alpha: translucent pixels are laid over white. Gray stays gray when the format takes it.
PixelRows opaque(const Image& image, bool grayAllowed) {
    size_t n = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    const std::uint8_t* s = image.pixels.data();
    switch (image.format) {
        case PixelFormat::RGB8: return borrow(image, 3);
        case PixelFormat::Gray8: {
            if (grayAllowed) return borrow(image, 1);
            PixelRows px = allocate(image, 3);
            std::uint8_t* d = px.storage.data();
            for (size_t i = 0; i < n; ++i, d += 3) d[0] = d[1] = d[2] = s[i];
            return px;
        }
        case PixelFormat::GrayAlpha8: {
            PixelRows px = allocate(image, grayAllowed ? 1 : 3);
            std::uint8_t* d = px.storage.data();
            for (size_t i = 0; i < n; ++i, s += 2) {
                std::uint8_t g = overWhite(s[0], s[1]);
                if (grayAllowed) {
                    *d++ = g;
                } else {
                    d[0] = d[1] = d[2] = g;
                    d += 3;
                }
            }
            return px;
        }
        case PixelFormat::RGBA8: {
            PixelRows px = allocate(image, 3);
            std::uint8_t* d = px.storage.data();
            for (size_t i = 0; i < n; ++i, s += 4, d += 3) {
                d[0] = overWhite(s[0], s[3]);
                d[1] = overWhite(s[1], s[3]);
                d[2] = overWhite(s[2], s[3]);
            }
            return px;
        }
        case PixelFormat::CMYK8: {
            PixelRows px = allocate(image, 3);
            std::uint8_t* d = px.storage.data();
            for (size_t i = 0; i < n; ++i, s += 4, d += 3) cmykToRGB(s, d);
            return px;
        }
    }
    return {};
}

// Resolution in dots per inch as pixels per metre (PNG, BMP).
std::uint32_t pixelsPerMetre(double dpi) {
    return std::clamp<std::uint32_t>(toInt<std::uint32_t>(std::round(finiteOr(dpi, 72.0) / 0.0254)), 1u, 0x7FFFFFFFu);
}

// ---- PNG ------------------------------------------------------------------------------------

void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

// Eight bytes of a row as one word (byte 0 lowest).
inline std::uint64_t loadEight(const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// True when every pixel of a gray image is black or white (scans, stencils and masks mostly are).
bool isBlackAndWhite(const PixelRows& px) {
    if (px.components != 1) return false;
    const size_t stride = px.stride();
    for (int y = 0; y < px.height; ++y) {
        const std::uint8_t* p = px.row(y);
        // Eight bytes at a time: each byte must equal its own top bit spread over the byte.
        std::uint64_t other = 0;
        size_t x = 0;
        for (; x + 8 <= stride; x += 8) {
            std::uint64_t w = loadEight(p + x);
            other |= w ^ (((w & kHighBits) >> 7) * 0xFFu);
        }
        // 0 and 255 step to 1 and 0; every other level to 2 or more.
        for (; x < stride; ++x) other |= static_cast<std::uint8_t>(p[x] + 1u) >> 1;
        if (other) return false;
    }
    return true;
}

// The rows of a black-and-white gray image at one bit a pixel (1 for white), as a PNG of bit
// depth 1 holds them: the same pixels in an eighth of the bytes to deflate.
std::vector<std::uint8_t> packedBits(const PixelRows& px, size_t packedStride) {
    std::vector<std::uint8_t> packed(packedStride * static_cast<size_t>(px.height), 0);
    const size_t width = static_cast<size_t>(px.width);
    for (int y = 0; y < px.height; ++y) {
        const std::uint8_t* src = px.row(y);
        std::uint8_t* dst = packed.data() + static_cast<size_t>(y) * packedStride;
        size_t x = 0;
        // The top bits of eight bytes gathered into one, the first byte's bit highest: the
        // multiplier moves the bit of byte k (at 8k after the shift) to bit 63 - k, and no two
        // of its partial products meet on one bit, so nothing carries.
        for (; x + 8 <= width; x += 8, src += 8)
            *dst++ = static_cast<std::uint8_t>((((loadEight(src) & kHighBits) >> 7) * 0x8040201008040201u) >> 56);
        for (size_t k = 0; x < width; ++x, ++k)
            if (*src++) *dst |= static_cast<std::uint8_t>(0x80u >> k);
    }
    return packed;
}

// The libpng calls, on rows prepared beforehand (nothing here has a destructor: libpng's errors
// jump out of it).
bool writePNG(FILE* file, int width, int height, int bitDepth, int colorType, png_bytepp rows,
              const ImageWriteOptions& options) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, pixelsPerMetre(options.dpiX), pixelsPerMetre(options.dpiY), PNG_RESOLUTION_METER);
    // Page images are large and mostly flat: unfiltered rows leave long runs of equal bytes that
    // deflate matches well, smaller and faster than trying every filter on every row.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    if (options.deflateLevel >= 0) png_set_compression_level(png, std::min(options.deflateLevel, 9));
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool encodePNG(FILE* file, const PixelRows& px, const ImageWriteOptions& options) {
    static const int colorTypes[] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                     PNG_COLOR_TYPE_RGB_ALPHA};
    const bool oneBit = isBlackAndWhite(px);
    const size_t packedStride = (static_cast<size_t>(px.width) + 7) / 8;
    const std::vector<std::uint8_t> packed = oneBit ? packedBits(px, packedStride) : std::vector<std::uint8_t>();
    std::vector<png_bytep> rows(static_cast<size_t>(px.height));
    for (int y = 0; y < px.height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(
            oneBit ? packed.data() + static_cast<size_t>(y) * packedStride : px.row(y));
    return writePNG(file, px.width, px.height, oneBit ? 1 : 8, colorTypes[px.components], rows.data(), options);
}

// ---- JPEG -----------------------------------------------------------------------------------

bool encodeJPEG(FILE* file, const PixelRows& px, const ImageWriteOptions& options) {
    jpeg_compress_struct cinfo;
    detail::JPEGErrorJump err;
    cinfo.err = detail::jumpingJPEGErrors(err);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(px.width);
    cinfo.image_height = static_cast<JDIMENSION>(px.height);
    cinfo.input_components = px.components;
    cinfo.in_color_space = px.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    int quality = std::clamp(roundToInt<int>(finiteOr(options.quality, 0.92) * 100.0), 1, 100);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = 1;  // dots per inch
    cinfo.X_density = static_cast<UINT16>(std::clamp(roundToInt<int>(finiteOr(options.dpiX, 72)), 1, 65535));
    cinfo.Y_density = static_cast<UINT16>(std::clamp(roundToInt<int>(finiteOr(options.dpiY, 72)), 1, 65535));
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(px.row(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// ---- BMP ------------------------------------------------------------------------------------

void putLE16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void putLE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

// 24-bit BGR rows, bottom row first, each padded to four bytes.
bool encodeBMP(FILE* file, const PixelRows& px, const ImageWriteOptions& options) {
    const size_t rowBytes = (static_cast<size_t>(px.width) * 3 + 3) & ~size_t(3);
    const std::uint64_t imageBytes = static_cast<std::uint64_t>(rowBytes) * static_cast<std::uint64_t>(px.height);
    if (imageBytes + 54 > 0xFFFFFFFFu) return false;
    std::vector<std::uint8_t> header;
    header.reserve(54);
    header.push_back('B');
    header.push_back('M');
    putLE32(header, static_cast<std::uint32_t>(imageBytes + 54));
    putLE32(header, 0);
    putLE32(header, 54);
    putLE32(header, 40);
    putLE32(header, static_cast<std::uint32_t>(px.width));
    putLE32(header, static_cast<std::uint32_t>(px.height));
    putLE16(header, 1);
    putLE16(header, 24);
    putLE32(header, 0);  // no compression
    putLE32(header, static_cast<std::uint32_t>(imageBytes));
    putLE32(header, pixelsPerMetre(options.dpiX));
    putLE32(header, pixelsPerMetre(options.dpiY));
    putLE32(header, 0);
    putLE32(header, 0);
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) return false;
    std::vector<std::uint8_t> line(rowBytes, 0);
    for (int y = px.height - 1; y >= 0; --y) {
        const std::uint8_t* s = px.row(y);
        std::uint8_t* d = line.data();
        for (int x = 0; x < px.width; ++x, s += 3, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
        if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) return false;
    }
    return true;
}

// ---- TGA ------------------------------------------------------------------------------------

// Run-length encoded true colour (or gray), top row first. Packets stay within a row.
bool encodeTGA(FILE* file, const PixelRows& px) {
    const int n = px.components;  // 1, 3 or 4
    std::vector<std::uint8_t> out;
    out.reserve(18);
    out.push_back(0);                   // no image id
    out.push_back(0);                   // no colour map
    out.push_back(n == 1 ? 11 : 10);    // run-length gray / true colour
    for (int i = 0; i < 5; ++i) out.push_back(0);
    putLE16(out, 0);
    putLE16(out, 0);
    putLE16(out, static_cast<unsigned>(px.width));
    putLE16(out, static_cast<unsigned>(px.height));
    out.push_back(static_cast<std::uint8_t>(8 * n));
    out.push_back(static_cast<std::uint8_t>(0x20 | (n == 4 ? 8 : 0)));  // top-left origin, alpha bits

    auto emitPixel = [&](const std::uint8_t* p) {
        if (n == 1) {
            out.push_back(p[0]);
        } else {
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            if (n == 4) out.push_back(p[3]);
        }
    };
    auto same = [&](const std::uint8_t* a, const std::uint8_t* b) { return std::memcmp(a, b, static_cast<size_t>(n)) == 0; };

    for (int y = 0; y < px.height; ++y) {
        const std::uint8_t* row = px.row(y);
        int x = 0;
        while (x < px.width) {
            const std::uint8_t* p = row + static_cast<size_t>(x) * static_cast<size_t>(n);
            int run = 1;
            while (x + run < px.width && run < 128 && same(p, p + static_cast<size_t>(run) * static_cast<size_t>(n))) ++run;
            if (run >= 2) {
                out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
                emitPixel(p);
                x += run;
                continue;
            }
            // A raw packet up to the next pair of equal pixels.
            int count = 1;
            while (x + count < px.width && count < 128) {
                const std::uint8_t* q = row + static_cast<size_t>(x + count) * static_cast<size_t>(n);
                if (x + count + 1 < px.width && same(q, q + n)) break;
                ++count;
            }
            out.push_back(static_cast<std::uint8_t>(count - 1));
            for (int i = 0; i < count; ++i) emitPixel(p + static_cast<size_t>(i) * static_cast<size_t>(n));
            x += count;
        }
        if (out.size() > (1u << 20) || y == px.height - 1) {
            if (std::fwrite(out.data(), 1, out.size(), file) != out.size()) return false;
            out.clear();
        }
    }
    return true;
}

// ---- GIF ------------------------------------------------------------------------------------

int gifOutput(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* file = static_cast<FILE*>(gif->UserData);
    return static_cast<int>(std::fwrite(bytes, 1, static_cast<size_t>(length), file));
}

// 256 colours chosen by giflib's quantiser.
bool encodeGIF(FILE* file, const PixelRows& px) {
    if (px.width > 65535 || px.height > 65535) return false;
    const size_t n = static_cast<size_t>(px.width) * static_cast<size_t>(px.height);
    std::vector<GifByteType> red(n), green(n), blue(n), indices(n);
    const std::uint8_t* s = px.data;
    for (size_t i = 0; i < n; ++i, s += 3) {
        red[i] = s[0];
        green[i] = s[1];
        blue[i] = s[2];
    }
    int colorCount = 256;
    std::vector<GifColorType> palette(256);
    if (GifQuantizeBuffer(static_cast<unsigned>(px.width), static_cast<unsigned>(px.height), &colorCount, red.data(),
                          green.data(), blue.data(), indices.data(), palette.data()) == GIF_ERROR)
        return false;
    ColorMapObject* map = GifMakeMapObject(256, palette.data());
    if (!map) return false;
    int error = 0;
    GifFileType* gif = EGifOpen(file, gifOutput, &error);
    bool ok = gif != nullptr;
    ok = ok && EGifPutScreenDesc(gif, px.width, px.height, 8, 0, map) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, px.width, px.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < px.height; ++y)
        ok = EGifPutLine(gif, indices.data() + static_cast<size_t>(y) * static_cast<size_t>(px.width), px.width) ==
             GIF_OK;
    if (gif && EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    GifFreeMapObject(map);
    return ok;
}

// ---- TIFF -----------------------------------------------------------------------------------

int tiffSilentHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// What became of the target file.
enum class Outcome { NotOpened, Failed, Done };

// Full colour (or gray, with alpha when the image has it), LZW with horizontal differencing.
Outcome encodeTIFF(const std::string& path, const Image& image, const ImageWriteOptions& options) {
    int samples = bytesPerPixel(image.format);
    uint16_t photometric = PHOTOMETRIC_RGB;
    if (image.format == PixelFormat::Gray8 || image.format == PixelFormat::GrayAlpha8) photometric = PHOTOMETRIC_MINISBLACK;
    if (image.format == PixelFormat::CMYK8) photometric = PHOTOMETRIC_SEPARATED;

    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts) return Outcome::NotOpened;
    TIFFOpenOptionsSetErrorHandlerExtR(opts, tiffSilentHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, tiffSilentHandler, nullptr);
    TIFF* tif = TIFFOpenExt(path.c_str(), "w", opts);
    TIFFOpenOptionsFree(opts);
    if (!tif) return Outcome::NotOpened;

    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width)) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height)) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
              TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
              TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(finiteOr(options.dpiX, 72))) &&
              TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(finiteOr(options.dpiY, 72))) &&
              TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    if (ok && hasAlpha(image.format)) {
        uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        ok = TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (ok && image.format == PixelFormat::CMYK8) ok = TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
    // The predictor may work in place, so each row goes through a scratch copy.
    std::vector<std::uint8_t> line(image.stride());
    for (int y = 0; ok && y < image.height; ++y) {
        std::memcpy(line.data(), image.row(y), line.size());
        ok = TIFFWriteScanline(tif, line.data(), static_cast<uint32_t>(y), 0) == 1;
    }
    if (ok) ok = TIFFFlush(tif) == 1;
    TIFFClose(tif);
    return ok ? Outcome::Done : Outcome::Failed;
}

// ---- JPEG 2000 ------------------------------------------------------------------------------

void opjSilent(const char*, void*) {}

// Lossless (reversible) JPEG 2000 in a JP2 container: the codec's defaults, no resolution box.
Outcome encodeJP2(const std::string& path, const PixelRows& px) {
    const int n = px.components;
    std::vector<opj_image_cmptparm_t> params(static_cast<size_t>(n));
    for (auto& c : params) {
        std::memset(&c, 0, sizeof c);
        c.dx = c.dy = 1;
        c.w = static_cast<OPJ_UINT32>(px.width);
        c.h = static_cast<OPJ_UINT32>(px.height);
        c.prec = 8;
        c.sgnd = 0;
    }
    OPJ_COLOR_SPACE space = n <= 2 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB;
    opj_image_t* image = opj_image_create(static_cast<OPJ_UINT32>(n), params.data(), space);
    if (!image) return Outcome::NotOpened;
    image->x0 = image->y0 = 0;
    image->x1 = static_cast<OPJ_UINT32>(px.width);
    image->y1 = static_cast<OPJ_UINT32>(px.height);
    if (n == 2 || n == 4) image->comps[n - 1].alpha = 1;
    for (int y = 0; y < px.height; ++y) {
        const std::uint8_t* s = px.row(y);
        size_t base = static_cast<size_t>(y) * static_cast<size_t>(px.width);
        for (int x = 0; x < px.width; ++x)
            for (int c = 0; c < n; ++c) image->comps[c].data[base + static_cast<size_t>(x)] = *s++;
    }

    opj_cparameters_t cp;
    opj_set_default_encoder_parameters(&cp);
    cp.tcp_numlayers = 1;
    cp.tcp_rates[0] = 0;  // lossless
    cp.cp_disto_alloc = 1;
    cp.tcp_mct = n >= 3 ? 1 : 0;
    // Every resolution level halves the image; small images have fewer levels.
    int shortSide = std::min(px.width, px.height);
    while (cp.numresolution > 1 && (1 << (cp.numresolution - 1)) > shortSide) --cp.numresolution;

    opj_codec_t* codec = opj_create_compress(OPJ_CODEC_JP2);
    bool ok = codec != nullptr;
    opj_stream_t* stream = nullptr;
    if (ok) {
        opj_set_info_handler(codec, opjSilent, nullptr);
        opj_set_warning_handler(codec, opjSilent, nullptr);
        opj_set_error_handler(codec, opjSilent, nullptr);
        ok = opj_setup_encoder(codec, &cp, image);
    }
    // The file stream opens its file at once; a folder in the way or a missing folder stops here.
    if (ok) stream = opj_stream_create_default_file_stream(path.c_str(), OPJ_FALSE);
    Outcome outcome = Outcome::NotOpened;
    if (stream) {
        ok = opj_start_compress(codec, image, stream) && opj_encode(codec, stream) && opj_end_compress(codec, stream);
        outcome = ok ? Outcome::Done : Outcome::Failed;
        opj_stream_destroy(stream);
    }
    if (codec) opj_destroy_codec(codec);
    opj_image_destroy(image);
    return outcome;
}

}  // namespace

ImageWriteStatus writeImageFile(const Image& image, const std::string& path, ImageFileType type,
                                const ImageWriteOptions& options) {
    if (!image.isValid() || path.empty() || type == ImageFileType::Unknown) return ImageWriteStatus::CannotEncode;
    if ((type == ImageFileType::TGA || type == ImageFileType::GIF) && (image.width > 65535 || image.height > 65535))
        return ImageWriteStatus::CannotEncode;

    // Only a file that this call opened is removed after a failure; what was there before and could
    // not be opened stays as it was.
    if (fileExists(path) && !isRegularFile(path)) return ImageWriteStatus::WriteFailed;
    Outcome outcome = Outcome::NotOpened;
    if (type == ImageFileType::TIFF) {
        outcome = encodeTIFF(path, image, options);
    } else if (type == ImageFileType::JPEG2000) {
        outcome = encodeJP2(path, withAlpha(image));
    } else {
        PixelRows px;
        switch (type) {
            case ImageFileType::PNG: px = withAlpha(image); break;
            case ImageFileType::JPEG: px = opaque(image, true); break;
            case ImageFileType::TGA:
                px = image.format == PixelFormat::GrayAlpha8 ? grayAlphaToRGBA(image) : withAlpha(image);
                break;
            default: px = opaque(image, false); break;
        }
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) return ImageWriteStatus::WriteFailed;
        bool ok = false;
        switch (type) {
            case ImageFileType::PNG: ok = encodePNG(file, px, options); break;
            case ImageFileType::JPEG: ok = encodeJPEG(file, px, options); break;
            case ImageFileType::BMP: ok = encodeBMP(file, px, options); break;
            case ImageFileType::TGA: ok = encodeTGA(file, px); break;
            case ImageFileType::GIF: ok = encodeGIF(file, px); break;
            default: break;
        }
        if (std::fclose(file) != 0) ok = false;
        outcome = ok ? Outcome::Done : Outcome::Failed;
    }
    if (outcome == Outcome::Done) return ImageWriteStatus::Written;
    if (outcome == Outcome::Failed && isRegularFile(path)) removeFile(path);
    return ImageWriteStatus::WriteFailed;
}

}  // namespace kx
