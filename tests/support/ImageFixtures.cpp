#include "support/ImageFixtures.h"

#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <openjpeg.h>
#include <tiffio.h>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace kx::test {

std::string encodeJPEG(const std::vector<std::uint8_t>& samples, int width, int height, int components, int quality,
                       bool adobeInverted) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (components == 4) cinfo.write_Adobe_marker = adobeInverted ? TRUE : FALSE;
    // Full-resolution chroma keeps small fixtures close to their samples.
    for (int i = 0; i < cinfo.num_components; ++i) cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(static_cast<size_t>(width) * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint8_t* src = samples.data() + static_cast<size_t>(cinfo.next_scanline) * row.size();
        for (size_t i = 0; i < row.size(); ++i) row[i] = adobeInverted ? static_cast<std::uint8_t>(255 - src[i]) : src[i];
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

namespace {

// A seekable memory file: the JP2 writer goes back to fill in box lengths.
struct Sink {
    std::string data;
    size_t pos = 0;
};
OPJ_SIZE_T sinkWrite(void* buf, OPJ_SIZE_T n, void* user) {
    auto* s = static_cast<Sink*>(user);
    if (s->pos + n > s->data.size()) s->data.resize(s->pos + n);
    std::memcpy(s->data.data() + s->pos, buf, n);
    s->pos += n;
    return n;
}
OPJ_OFF_T sinkSkip(OPJ_OFF_T n, void* user) {
    auto* s = static_cast<Sink*>(user);
    s->pos += static_cast<size_t>(n);
    if (s->pos > s->data.size()) s->data.resize(s->pos);
    return n;
}
OPJ_BOOL sinkSeek(OPJ_OFF_T n, void* user) {
    auto* s = static_cast<Sink*>(user);
    s->pos = static_cast<size_t>(n);
    if (s->pos > s->data.size()) s->data.resize(s->pos);
    return OPJ_TRUE;
}
void quiet(const char*, void*) {}

}  // namespace

std::string encodeJPEG2000(const std::vector<std::uint8_t>& samples, int width, int height, int components, bool jp2File) {
    std::vector<opj_image_cmptparm_t> parms(static_cast<size_t>(components));
    for (auto& p : parms) {
        std::memset(&p, 0, sizeof p);
        p.dx = p.dy = 1;
        p.w = static_cast<OPJ_UINT32>(width);
        p.h = static_cast<OPJ_UINT32>(height);
        p.prec = 8;
        p.sgnd = 0;
    }
    OPJ_COLOR_SPACE cs = components == 1 ? OPJ_CLRSPC_GRAY : components == 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_CMYK;
    opj_image_t* image = opj_image_create(static_cast<OPJ_UINT32>(components), parms.data(), cs);
    image->x0 = image->y0 = 0;
    image->x1 = static_cast<OPJ_UINT32>(width);
    image->y1 = static_cast<OPJ_UINT32>(height);
    for (int c = 0; c < components; ++c)
        for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) image->comps[c].data[i] = samples[i * components + c];
    opj_cparameters_t params;
    opj_set_default_encoder_parameters(&params);
    params.tcp_numlayers = 1;
    params.tcp_rates[0] = 0;  // lossless
    params.cp_disto_alloc = 1;
    params.tcp_mct = components == 3 ? 1 : 0;
    params.numresolution = 2;
    opj_codec_t* codec = opj_create_compress(jp2File ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    opj_set_error_handler(codec, quiet, nullptr);
    opj_set_warning_handler(codec, quiet, nullptr);
    opj_set_info_handler(codec, quiet, nullptr);
    opj_setup_encoder(codec, &params, image);
    Sink sink;
    opj_stream_t* stream = opj_stream_create(1 << 16, OPJ_FALSE);
    opj_stream_set_user_data(stream, &sink, nullptr);
    opj_stream_set_write_function(stream, sinkWrite);
    opj_stream_set_skip_function(stream, sinkSkip);
    opj_stream_set_seek_function(stream, sinkSeek);
    bool ok = opj_start_compress(codec, image, stream) && opj_encode(codec, stream) && opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    return ok ? sink.data : std::string();
}

Bilevel makeBilevel(int width, int height, bool (*isBlack)(int x, int y)) {
    Bilevel b;
    b.width = width;
    b.height = height;
    size_t stride = static_cast<size_t>((width + 7) / 8);
    b.bits.assign(stride * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (isBlack(x, y)) b.bits[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    return b;
}

std::string encodeCCITTG4(const Bilevel& image) {
    // libtiff's Group 4 coder writes the data; the strip is the fixture.
    static int counter = 0;
    std::string path = pathJoin(tempDir(), "g4-" + std::to_string(++counter) + ".tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(image.height));
    size_t stride = static_cast<size_t>((image.width + 7) / 8);
    std::vector<std::uint8_t> row(stride);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(row.data(), image.bits.data() + y * stride, stride);
        TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0);
    }
    TIFFClose(tif);
    tif = TIFFOpen(path.c_str(), "r");
    tmsize_t n = TIFFRawStripSize(tif, 0);
    std::string out(static_cast<size_t>(n), '\0');
    TIFFReadRawStrip(tif, 0, out.data(), n);
    TIFFClose(tif);
    return out;
}

namespace {

void put32(std::string& s, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A segment header: number, type, no referred-to segments, page 1, data length.
void segment(std::string& s, std::uint32_t number, int type, const std::string& data) {
    put32(s, number);
    s.push_back(static_cast<char>(type));
    s.push_back('\0');
    s.push_back('\1');
    put32(s, static_cast<std::uint32_t>(data.size()));
    s += data;
}

}  // namespace

std::string encodeJBIG2(const Bilevel& image) {
    std::string page;
    put32(page, static_cast<std::uint32_t>(image.width));
    put32(page, static_cast<std::uint32_t>(image.height));
    put32(page, 0);
    put32(page, 0);
    page.push_back('\0');  // flags: default pixel 0, combination OR
    page += std::string(2, '\0');  // no striping
    std::string region;
    put32(region, static_cast<std::uint32_t>(image.width));
    put32(region, static_cast<std::uint32_t>(image.height));
    put32(region, 0);
    put32(region, 0);
    region.push_back('\0');  // combination OR
    region.push_back('\1');  // generic region flags: MMR
    region += encodeCCITTG4(image);
    std::string s;
    segment(s, 0, 48, page);
    segment(s, 1, 38, region);  // immediate generic region
    segment(s, 2, 49, "");      // end of page
    return s;
}

}  // namespace kx::test
