#include "platform/ImageDecoding.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>

#include <jpeglib.h>
#include <openjpeg.h>
#include <stb/stb_image.h>
#include <tiffio.h>

#include "platform/FileSystem.h"
#include "platform/ImageSamples.h"
#include "platform/JPEGErrors_p.h"

namespace kx {

// ---- JPEG ------------------------------------------------------------------------------------

namespace {

// Decodes into `out` (which the caller owns, so that nothing with a destructor lives in the frames
// a libjpeg error jumps over). Returns false on any error.
bool decodeJPEGInto(const std::uint8_t* bytes, size_t size, int reduction, DecodedSamples& out,
                    std::vector<JSAMPROW>& rows) {
    jpeg_decompress_struct cinfo;
    detail::JPEGErrorJump err;
    cinfo.err = detail::jumpingJPEGErrors(err);
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes, static_cast<unsigned long>(size));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 14, 0xFFFF);
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // The codec scales by halves down to an eighth while it decodes.
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    while (static_cast<int>(cinfo.scale_denom) < reduction && cinfo.scale_denom < 8) cinfo.scale_denom *= 2;
    jpeg_calc_output_dimensions(&cinfo);
    const std::int64_t pixels = std::int64_t(cinfo.output_width) * cinfo.output_height;
    if (!isBitmapSizeAllowed(cinfo.output_width, cinfo.output_height) ||
        (cinfo.scale_denom > 1 && pixels * (cinfo.jpeg_color_space == JCS_GRAYSCALE ? 1 : 3) > kMaxDecodedImageBytes)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    switch (cinfo.jpeg_color_space) {
        case JCS_GRAYSCALE: cinfo.out_color_space = JCS_GRAYSCALE; break;
        case JCS_CMYK:
        case JCS_YCCK: cinfo.out_color_space = JCS_CMYK; break;
        default: cinfo.out_color_space = JCS_RGB; break;
    }
    jpeg_start_decompress(&cinfo);
    int comps = cinfo.output_components;
    if (comps != 1 && comps != 3 && comps != 4) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.components = comps;
    out.model = comps == 1 ? ColorSpaceModel::Monochrome : comps == 3 ? ColorSpaceModel::RGB : ColorSpaceModel::CMYK;
    size_t stride = static_cast<size_t>(out.width) * static_cast<size_t>(comps);
    out.data.assign(stride * static_cast<size_t>(out.height), 0);
    rows.resize(static_cast<size_t>(out.height));
    for (int y = 0; y < out.height; ++y) rows[static_cast<size_t>(y)] = out.data.data() + stride * static_cast<size_t>(y);
    while (cinfo.output_scanline < cinfo.output_height) {
        JDIMENSION before = cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, rows.data() + cinfo.output_scanline, cinfo.output_height - cinfo.output_scanline);
        if (cinfo.output_scanline == before) break;  // suspended: no more data
    }
    // CMYK written with an Adobe marker is stored inverted (0 = full ink).
    bool inverted = comps == 4 && cinfo.saw_Adobe_marker;
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    if (inverted)
        for (std::uint8_t& v : out.data) v = static_cast<std::uint8_t>(255 - v);
    return true;
}

}  // namespace

std::optional<DecodedSamples> decodeJPEG(std::string_view data, int reduction) {
    if (data.size() < 4) return std::nullopt;
    DecodedSamples out;
    std::vector<JSAMPROW> rows;
    if (!decodeJPEGInto(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), reduction, out, rows))
        return std::nullopt;
    return out;
}

// ---- JPEG 2000 -------------------------------------------------------------------------------

namespace {

struct MemoryReader {
    const std::uint8_t* data;
    OPJ_SIZE_T size;
    OPJ_SIZE_T pos;
};

OPJ_SIZE_T opjRead(void* buffer, OPJ_SIZE_T n, void* user) {
    auto* r = static_cast<MemoryReader*>(user);
    if (r->pos >= r->size) return static_cast<OPJ_SIZE_T>(-1);
    OPJ_SIZE_T k = std::min(n, r->size - r->pos);
    std::memcpy(buffer, r->data + r->pos, k);
    r->pos += k;
    return k;
}

OPJ_OFF_T opjSkip(OPJ_OFF_T n, void* user) {
    auto* r = static_cast<MemoryReader*>(user);
    if (n < 0) {
        OPJ_SIZE_T back = static_cast<OPJ_SIZE_T>(-n);
        r->pos = back > r->pos ? 0 : r->pos - back;
    } else {
        r->pos = std::min(r->size, r->pos + static_cast<OPJ_SIZE_T>(n));
    }
    return n;
}

OPJ_BOOL opjSeek(OPJ_OFF_T n, void* user) {
    auto* r = static_cast<MemoryReader*>(user);
    if (n < 0 || static_cast<OPJ_SIZE_T>(n) > r->size) return OPJ_FALSE;
    r->pos = static_cast<OPJ_SIZE_T>(n);
    return OPJ_TRUE;
}

void opjQuiet(const char*, void*) {}

bool isJP2File(std::string_view d) {
    static const char sig[] = "\x00\x00\x00\x0C\x6A\x50\x20\x20\x0D\x0A\x87\x0A";
    return d.size() >= 12 && std::memcmp(d.data(), sig, 12) == 0;
}

bool isJ2KStream(std::string_view d) {
    return d.size() >= 4 && static_cast<std::uint8_t>(d[0]) == 0xFF && static_cast<std::uint8_t>(d[1]) == 0x4F &&
           static_cast<std::uint8_t>(d[2]) == 0xFF && static_cast<std::uint8_t>(d[3]) == 0x51;
}

struct OpjHolder {
    opj_codec_t* codec = nullptr;
    opj_stream_t* stream = nullptr;
    opj_image_t* image = nullptr;
    ~OpjHolder() {
        if (image) opj_image_destroy(image);
        if (codec) opj_destroy_codec(codec);
        if (stream) opj_stream_destroy(stream);
    }
};

}  // namespace

std::optional<DecodedSamples> decodeJPEG2000(std::string_view data) {
    OPJ_CODEC_FORMAT format;
    if (isJP2File(data)) format = OPJ_CODEC_JP2;
    else if (isJ2KStream(data)) format = OPJ_CODEC_J2K;
    else return std::nullopt;

    MemoryReader reader{reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), 0};
    OpjHolder h;
    h.codec = opj_create_decompress(format);
    if (!h.codec) return std::nullopt;
    opj_set_info_handler(h.codec, opjQuiet, nullptr);
    opj_set_warning_handler(h.codec, opjQuiet, nullptr);
    opj_set_error_handler(h.codec, opjQuiet, nullptr);
    opj_dparameters_t params;
    opj_set_default_decoder_parameters(&params);
    if (!opj_setup_decoder(h.codec, &params)) return std::nullopt;
    h.stream = opj_stream_create(64 * 1024, OPJ_TRUE);
    if (!h.stream) return std::nullopt;
    opj_stream_set_user_data(h.stream, &reader, nullptr);
    opj_stream_set_user_data_length(h.stream, reader.size);
    opj_stream_set_read_function(h.stream, opjRead);
    opj_stream_set_skip_function(h.stream, opjSkip);
    opj_stream_set_seek_function(h.stream, opjSeek);
    if (!opj_read_header(h.stream, h.codec, &h.image) || !h.image) return std::nullopt;
    std::int64_t width = static_cast<std::int64_t>(h.image->x1) - h.image->x0;
    std::int64_t height = static_cast<std::int64_t>(h.image->y1) - h.image->y0;
    if (!isBitmapSizeAllowed(width, height) || h.image->numcomps < 1) return std::nullopt;
    if (!opj_decode(h.codec, h.stream, h.image) || !opj_end_decompress(h.codec, h.stream)) return std::nullopt;

    opj_image_t* img = h.image;
    std::vector<int> colour;
    for (OPJ_UINT32 i = 0; i < img->numcomps; ++i) {
        const opj_image_comp_t& c = img->comps[i];
        if (!c.data || c.w == 0 || c.h == 0 || c.dx == 0 || c.dy == 0 || c.prec == 0 || c.prec > 31) return std::nullopt;
        if (c.alpha) continue;
        colour.push_back(static_cast<int>(i));
    }
    if (colour.empty() || colour.size() > 32) return std::nullopt;

    DecodedSamples out;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.components = static_cast<int>(colour.size());
    size_t n = static_cast<size_t>(out.components);
    out.data.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * n, 0);
    for (size_t ci = 0; ci < n; ++ci) {
        const opj_image_comp_t& c = img->comps[colour[ci]];
        std::int64_t offset = c.sgnd ? (std::int64_t(1) << (c.prec - 1)) : 0;
        double scale = 255.0 / static_cast<double>((std::int64_t(1) << c.prec) - 1);
        for (int y = 0; y < out.height; ++y) {
            // Sample positions of a subsampled component: the grid of the component covers the
            // image with one sample per dx × dy pixels.
            std::int64_t cy = (static_cast<std::int64_t>(y) + img->y0) / c.dy - (c.y0);
            if (cy < 0) cy = 0;
            if (cy >= c.h) cy = c.h - 1;
            std::uint8_t* row = out.data.data() + (static_cast<size_t>(y) * out.width) * n;
            for (int x = 0; x < out.width; ++x) {
                std::int64_t cx = (static_cast<std::int64_t>(x) + img->x0) / c.dx - (c.x0);
                if (cx < 0) cx = 0;
                if (cx >= c.w) cx = c.w - 1;
                std::int64_t v = static_cast<std::int64_t>(c.data[static_cast<size_t>(cy) * c.w + static_cast<size_t>(cx)]) + offset;
                double s = static_cast<double>(v) * scale + 0.5;
                row[static_cast<size_t>(x) * n + ci] = static_cast<std::uint8_t>(s < 0 ? 0 : s > 255 ? 255 : s);
            }
        }
    }
    if (n == 1) out.model = ColorSpaceModel::Monochrome;
    else if (n == 3) out.model = ColorSpaceModel::RGB;
    else if (n == 4) out.model = ColorSpaceModel::CMYK;
    if (n >= 3 && (img->color_space == OPJ_CLRSPC_SYCC || img->color_space == OPJ_CLRSPC_EYCC)) {
        // YCbCr (full range, chroma centred on 128) to RGB.
        for (size_t p = 0; p < out.data.size(); p += n) {
            double Y = out.data[p], Cb = out.data[p + 1] - 128.0, Cr = out.data[p + 2] - 128.0;
            double rgb[3] = {Y + 1.402 * Cr, Y - 0.344136 * Cb - 0.714136 * Cr, Y + 1.772 * Cb};
            for (int k = 0; k < 3; ++k)
                out.data[p + k] = static_cast<std::uint8_t>(rgb[k] < 0 ? 0 : rgb[k] > 255 ? 255 : rgb[k] + 0.5);
        }
        out.model = n == 3 ? ColorSpaceModel::RGB : ColorSpaceModel::Unknown;
    }
    return out;
}

// ---- Files and data --------------------------------------------------------------------------

ImageFileType detectImageType(std::string_view d) {
    auto starts = [&](std::string_view sig) { return d.size() >= sig.size() && d.substr(0, sig.size()) == sig; };
    if (starts("\x89PNG\r\n\x1a\n")) return ImageFileType::PNG;
    if (starts("\xFF\xD8\xFF")) return ImageFileType::JPEG;
    if (isJP2File(d) || isJ2KStream(d)) return ImageFileType::JPEG2000;
    if (starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4))) return ImageFileType::TIFF;
    if (starts("GIF87a") || starts("GIF89a")) return ImageFileType::GIF;
    if (starts("BM")) return ImageFileType::BMP;
    return ImageFileType::Unknown;
}

namespace {

// Gray and RGB samples become the image's pixels as they are (moved, not copied).
ImageRef imageFromSamples(DecodedSamples&& s) {
    PixelFormat f = s.components == 1 ? PixelFormat::Gray8 : PixelFormat::RGB8;
    if (s.components == 1 || s.components == 3) return Image::withPixels(s.width, s.height, f, std::move(s.data));
    auto img = Image::make(s.width, s.height, f);
    if (!img) return nullptr;
    if (s.components != 4) return nullptr;
    std::vector<float> comps(static_cast<size_t>(s.width) * 4);
    for (int y = 0; y < s.height; ++y) {
        const std::uint8_t* src = s.data.data() + static_cast<size_t>(y) * s.width * 4;
        for (size_t i = 0; i < comps.size(); ++i) comps[i] = src[i] / 255.0f;
        ColorSpace::deviceCMYK()->convertToRGB8(comps.data(), static_cast<size_t>(s.width), img->row(y));
    }
    return img;
}

ImageRef readWithStb(std::string_view d) {
    if (d.size() > static_cast<size_t>(INT32_MAX)) return nullptr;
    const auto* bytes = reinterpret_cast<const stbi_uc*>(d.data());
    int len = static_cast<int>(d.size());
    int w = 0, h = 0, n = 0;
    if (!stbi_info_from_memory(bytes, len, &w, &h, &n) || !isBitmapSizeAllowed(w, h)) return nullptr;
    stbi_uc* px = stbi_load_from_memory(bytes, len, &w, &h, &n, 0);
    if (!px) return nullptr;
    PixelFormat f = n == 1 ? PixelFormat::Gray8 : n == 2 ? PixelFormat::GrayAlpha8 : n == 3 ? PixelFormat::RGB8 : PixelFormat::RGBA8;
    std::shared_ptr<Image> img;
    // The decoder's buffer is copied once, without zeroing the image first.
    if (n >= 1 && n <= 4 && isBitmapSizeAllowed(w, h))
        img = Image::withPixels(w, h, f, std::vector<std::uint8_t>(px, px + static_cast<size_t>(w) * static_cast<size_t>(h) *
                                                                              static_cast<size_t>(n)));
    stbi_image_free(px);
    return img;
}

struct TIFFMemory {
    const char* data;
    toff_t size;
    toff_t pos;
};

tsize_t tiffRead(thandle_t h, tdata_t buf, tsize_t n) {
    auto* m = static_cast<TIFFMemory*>(h);
    if (n <= 0 || m->pos >= m->size) return 0;
    toff_t k = std::min<toff_t>(static_cast<toff_t>(n), m->size - m->pos);
    std::memcpy(buf, m->data + m->pos, k);
    m->pos += k;
    return static_cast<tsize_t>(k);
}
tsize_t tiffWrite(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t tiffSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<TIFFMemory*>(h);
    toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->pos : m->size;
    toff_t p = base + off;
    if (p > m->size) return static_cast<toff_t>(-1);
    m->pos = p;
    return p;
}
int tiffClose(thandle_t) { return 0; }
toff_t tiffSize(thandle_t h) { return static_cast<TIFFMemory*>(h)->size; }
int tiffMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void tiffUnmap(thandle_t, tdata_t, toff_t) {}

void tiffQuiet(const char*, const char*, va_list) {}

ImageRef readTIFF(std::string_view d) {
    TIFFSetErrorHandler(tiffQuiet);
    TIFFSetWarningHandler(tiffQuiet);
    TIFFMemory mem{d.data(), static_cast<toff_t>(d.size()), 0};
    TIFF* tif = TIFFClientOpen("memory", "rm", &mem, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize, tiffMap, tiffUnmap);
    if (!tif) return nullptr;
    std::uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    std::shared_ptr<Image> img;
    if (isBitmapSizeAllowed(w, h)) {
        img = Image::make(static_cast<int>(w), static_cast<int>(h), PixelFormat::RGBA8);
        // libtiff packs ABGR in native 32-bit words; on little-endian machines the bytes are R, G, B, A.
        if (img && !TIFFReadRGBAImageOriented(tif, w, h, reinterpret_cast<std::uint32_t*>(img->pixels.data()),
                                              ORIENTATION_TOPLEFT, 0))
            img.reset();
        if (img) {
            for (size_t i = 0; i < img->pixels.size(); i += 4) {
                std::uint32_t v;
                std::memcpy(&v, img->pixels.data() + i, 4);
                img->pixels[i] = static_cast<std::uint8_t>(TIFFGetR(v));
                img->pixels[i + 1] = static_cast<std::uint8_t>(TIFFGetG(v));
                img->pixels[i + 2] = static_cast<std::uint8_t>(TIFFGetB(v));
                img->pixels[i + 3] = static_cast<std::uint8_t>(TIFFGetA(v));
            }
        }
    }
    TIFFClose(tif);
    return img;
}

}  // namespace

ImageRef readImageData(std::string_view data) {
    switch (detectImageType(data)) {
        case ImageFileType::JPEG: {
            auto s = decodeJPEG(data);
            return s ? imageFromSamples(std::move(*s)) : nullptr;
        }
        case ImageFileType::JPEG2000: {
            auto s = decodeJPEG2000(data);
            return s ? imageFromSamples(std::move(*s)) : nullptr;
        }
        case ImageFileType::TIFF: return readTIFF(data);
        case ImageFileType::PNG:
        case ImageFileType::GIF:
        case ImageFileType::BMP:
        case ImageFileType::TGA:
        case ImageFileType::Unknown: return readWithStb(data);
    }
    return nullptr;
}

ImageRef readImageFile(const std::string& path) {
    if (path.empty()) return nullptr;
    auto data = readFile(path);
    if (!data) return nullptr;
    return readImageData(*data);
}

ImageRef toGray8(const ImageRef& image) {
    if (!image || image->format == PixelFormat::Gray8) return image;
    auto out = Image::make(image->width, image->height, PixelFormat::Gray8);
    if (!out) return nullptr;
    out->dpiX = image->dpiX;
    out->dpiY = image->dpiY;
    int bpp = bytesPerPixel(image->format);
    size_t n = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
    const std::uint8_t* src = image->pixels.data();
    for (size_t i = 0; i < n; ++i, src += bpp) {
        switch (image->format) {
            case PixelFormat::GrayAlpha8: out->pixels[i] = src[0]; break;
            case PixelFormat::RGB8:
            case PixelFormat::RGBA8:
                out->pixels[i] = static_cast<std::uint8_t>((299 * src[0] + 587 * src[1] + 114 * src[2] + 500) / 1000);
                break;
            case PixelFormat::CMYK8: {
                double rgb[3];
                cmykToRGB(src[0] / 255.0, src[1] / 255.0, src[2] / 255.0, src[3] / 255.0, rgb);
                out->pixels[i] = static_cast<std::uint8_t>((0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]) * 255 + 0.5);
                break;
            }
            case PixelFormat::Gray8: out->pixels[i] = src[0]; break;
        }
    }
    return out;
}

ImageRef toRGBA8(const ImageRef& image) {
    if (!image || image->format == PixelFormat::RGBA8) return image;
    auto out = Image::make(image->width, image->height, PixelFormat::RGBA8);
    if (!out) return nullptr;
    out->dpiX = image->dpiX;
    out->dpiY = image->dpiY;
    int bpp = bytesPerPixel(image->format);
    size_t n = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
    const std::uint8_t* src = image->pixels.data();
    std::uint8_t* dst = out->pixels.data();
    for (size_t i = 0; i < n; ++i, src += bpp, dst += 4) {
        switch (image->format) {
            case PixelFormat::Gray8: dst[0] = dst[1] = dst[2] = src[0], dst[3] = 255; break;
            case PixelFormat::GrayAlpha8: dst[0] = dst[1] = dst[2] = src[0], dst[3] = src[1]; break;
            case PixelFormat::RGB8: dst[0] = src[0], dst[1] = src[1], dst[2] = src[2], dst[3] = 255; break;
            case PixelFormat::CMYK8: {
                double rgb[3];
                cmykToRGB(src[0] / 255.0, src[1] / 255.0, src[2] / 255.0, src[3] / 255.0, rgb);
                for (int k = 0; k < 3; ++k) dst[k] = static_cast<std::uint8_t>(rgb[k] * 255 + 0.5);
                dst[3] = 255;
                break;
            }
            case PixelFormat::RGBA8: break;
        }
    }
    return out;
}

}  // namespace kx
