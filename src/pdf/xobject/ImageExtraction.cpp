#include "pdf/xobject/ImageExtraction.h"

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "pdf/color/ImageColorSpaces.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "platform/ImageMasking.h"
#include "platform/ImageSamples.h"
#include "platform/pdf/PDFStreamReading.h"
#include "platform/Numeric.h"
#include "util/KXPDFPathUtilities.h"
#include "util/KXPictureStore.h"
#include "util/KXWriteCGImageToURL.h"

namespace {

struct ImageEntries {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t bitsPerComponent = 0;
    bool hasBitsPerComponent = false;
    bool imageMask = false;
    kx::RenderingIntent intent = kx::RenderingIntent::Default;
    kx::PDFObject colorSpace;
    kx::PDFObject decode;
    kx::PDFObject smask;
    kx::PDFObject mask;
};

ImageEntries readEntries(const kx::PDFObject& dict) {
    ImageEntries e;
    dict.dictGet("Width", "W").getInteger(e.width);
    dict.dictGet("Height", "H").getInteger(e.height);
    e.hasBitsPerComponent = dict.dictGet("BitsPerComponent", "BPC").getInteger(e.bitsPerComponent);
    dict.dictGet("ImageMask", "IM").getBoolean(e.imageMask);
    std::string intent = dict.dictGet("Intent").name();
    if (intent == "AbsoluteColorimetric") e.intent = kx::RenderingIntent::AbsoluteColorimetric;
    else if (intent == "RelativeColorimetric") e.intent = kx::RenderingIntent::RelativeColorimetric;
    else if (intent == "Perceptual") e.intent = kx::RenderingIntent::Perceptual;
    else if (intent == "Saturation") e.intent = kx::RenderingIntent::Saturation;
    e.colorSpace = dict.dictGet("ColorSpace", "CS");
    e.decode = dict.dictGet("Decode", "D");
    e.smask = dict.dictGet("SMask");
    e.mask = dict.dictGet("Mask");
    return e;
}

// Whether the image gets a mask of any kind (and so is written as PNG).
bool isMasked(const ImageEntries& e) { return e.imageMask || !e.smask.isNull() || !e.mask.isNull(); }

// JPEG data stays JPEG: an unmasked image whose last filter is DCTDecode. Naming and writing both
// ask this, so a file's name always matches its content.
bool writesJPEG(const kx::PDFObject& stream, const ImageEntries& e) {
    std::vector<std::string> filters = stream.streamFilters();
    return !isMasked(e) && !filters.empty() && filters.back() == "DCTDecode";
}

kx::ColorSpaceRef imageColorSpace(const ImageEntries& e, const kx::PDFObject& colorSpaces) {
    kx::ColorSpaceRef cs = kx::imageColorSpaceOf(e.colorSpace);
    if (!cs && e.colorSpace.isName() && colorSpaces.isDictionary())
        cs = kx::imageColorSpaceOf(colorSpaces.dictGet(e.colorSpace.name()));
    return cs;
}

// The bytes a pixel of the image takes decoded, as the decode budget counts them: one for an
// unmasked grey image (decoded to a byte a pixel and written so), three for any other.
int decodedBytesPerPixel(const ImageEntries& e, const kx::PDFObject& colorSpaces) {
    if (isMasked(e)) return 3;
    const kx::ColorSpaceRef cs = imageColorSpace(e, colorSpaces);
    const bool gray = cs ? cs->kind() == kx::ColorSpace::Kind::DeviceGray : e.bitsPerComponent == 1;
    return gray ? 1 : 3;
}

std::vector<double> decodeArray(const ImageEntries& e) {
    std::vector<double> d;
    for (size_t i = 0; e.decode.isArray() && i < e.decode.arrayCount(); ++i) {
        double v = 0;
        if (!e.decode.arrayAt(i).getNumber(v)) break;
        d.push_back(v);
    }
    return d;
}

// The colour space of codec samples: the image's own when it has as many components, else the
// device space of the codec's colour model.
kx::ColorSpaceRef codecColorSpace(const kx::ColorSpaceRef& declared, const kx::DecodedSamples& s) {
    if (declared && declared->componentCount() == s.components && declared->kind() != kx::ColorSpace::Kind::Pattern)
        return declared;
    switch (s.components) {
        case 1: return kx::ColorSpace::deviceGray();
        case 3: return kx::ColorSpace::deviceRGB();
        case 4: return kx::ColorSpace::deviceCMYK();
        default: return nullptr;
    }
}

struct Decoded {
    kx::ImageRef image;
    kx::PDFDataFormat format = kx::PDFDataFormat::Raw;
};

// Decodes an image or mask stream to pixels: RGB(A) for images, 8-bit gray (0 = the mask's 0
// samples) for masks. `colorKey` (raw sample ranges) makes matching pixels transparent. An image
// beyond the decode budget comes out reduced (sampleReductionFactor, down to `needed` pixels when
// given); `overBudget` is set when it cannot be had within the budget at all.
std::optional<Decoded> decodePixels(const kx::PDFObject& stream, const kx::PDFObject& colorSpaces, bool asMask,
                                    const std::vector<std::int64_t>& colorKey, kx::Size needed, bool& overBudget) {
    kx::PDFObject dict = stream.streamDictionary();
    ImageEntries e = readEntries(dict);
    Decoded out;
    if (e.width <= 0 || e.height <= 0 || !stream.isStream()) return std::nullopt;
    if (e.width > INT32_MAX || e.height > INT32_MAX) {
        overBudget = true;
        return std::nullopt;
    }
    const int factor = kx::sampleReductionFactor(e.width, e.height, kx::roundToInt<std::int64_t>(needed.width),
                                                 kx::roundToInt<std::int64_t>(needed.height),
                                                 asMask || e.imageMask || !colorKey.empty() ? 3 : decodedBytesPerPixel(e, colorSpaces));
    out.format = kx::streamDataFormat(stream);
    asMask = asMask || e.imageMask;
    // JPEG 2000 data carries its own depth; a stencil mask is one bit when it does not say.
    if (!e.hasBitsPerComponent) {
        if (out.format == kx::PDFDataFormat::JPEG2000) e.bitsPerComponent = 8;
        else if (e.imageMask) e.bitsPerComponent = 1;
        else return std::nullopt;
    }

    kx::SampleImageParams p;
    p.isMask = asMask;
    p.decode = decodeArray(e);
    p.colorKey = asMask ? std::vector<std::int64_t>{} : colorKey;
    p.intent = e.intent;
    kx::ColorSpaceRef declared = asMask ? nullptr : imageColorSpace(e, colorSpaces);
    // Raw samples are read at the dictionary's size and depth, in its colour space (grey for one
    // bit and RGB otherwise when it names none).
    const auto describeRawSamples = [&] {
        p.width = static_cast<int>(e.width);
        p.height = static_cast<int>(e.height);
        p.bitsPerComponent = static_cast<int>(e.bitsPerComponent);
        p.colorSpace = declared;
        if (!asMask && !p.colorSpace)
            p.colorSpace = e.bitsPerComponent == 1 ? kx::ColorSpace::deviceGray() : kx::ColorSpace::deviceRGB();
    };

    if (out.format == kx::PDFDataFormat::Raw) {
        // Samples are unpacked as they are decoded, a row at a time: neither the data nor the
        // image at full size is ever held when the image is reduced.
        describeRawSamples();
        const size_t components = asMask ? 1 : static_cast<size_t>(std::max(p.colorSpace->componentCount(), 1));
        if (static_cast<size_t>(p.width) * components > kx::kMaxSamplesPerRow) {
            overBudget = true;
            return std::nullopt;
        }
        kx::ReducedSampleImage reduced(p, factor);
        if (!reduced.isValid()) return std::nullopt;
        if (!kx::readStreamData(stream, [&](std::string_view piece) { return reduced.add(piece); })) return std::nullopt;
        out.image = reduced.finish();
        if (!out.image) return std::nullopt;
        return out;
    }

    // JPEG 2000 data is decoded at its full size only.
    if (factor > 1 && out.format == kx::PDFDataFormat::JPEG2000) {
        overBudget = true;
        return std::nullopt;
    }
    std::optional<std::string> data = stream.streamData(out.format);
    if (!data) return std::nullopt;
    if (out.format == kx::PDFDataFormat::Raw) {
        // The codec's filter was undone after all.
        if (factor > 1) {
            overBudget = true;
            return std::nullopt;
        }
        describeRawSamples();
        out.image = kx::makeImageFromSamples(p, *data);
        if (!out.image) return std::nullopt;
        return out;
    }

    // JPEG or JPEG 2000: the codec's samples go through the same unpacking as raw samples, so the
    // decode array, the colour space and a colour key apply to them alike.
    std::optional<kx::DecodedSamples> s =
        out.format == kx::PDFDataFormat::JPEGEncoded ? kx::decodeJPEG(*data, factor) : kx::decodeJPEG2000(*data);
    if (s) {
        p.width = s->width;
        p.height = s->height;
        p.bitsPerComponent = 8;
        if (asMask) {
            if (s->components != 1) {
                // A colour mask: its luminance is the coverage.
                kx::SampleImageParams q = p;
                q.isMask = false;
                q.colorSpace = codecColorSpace(nullptr, *s);
                if (!q.colorSpace) return std::nullopt;
                out.image = kx::toGray8(kx::makeImageFromSamples(q, std::string_view(reinterpret_cast<const char*>(s->data.data()), s->data.size())));
                if (!out.image) return std::nullopt;
                return out;
            }
        } else {
            p.colorSpace = codecColorSpace(declared, *s);
            if (!p.colorSpace) return std::nullopt;
        }
        out.image = kx::makeImageFromSamples(
            p, std::string_view(reinterpret_cast<const char*>(s->data.data()), s->data.size()));
        if (out.image) return out;
    }
    // An image too large for its codec to reduce is not had.
    if (factor > 1) {
        overBudget = true;
        return std::nullopt;
    }
    // Last resort: whatever image the data holds, read by its content.
    out.image = kx::readImageData(*data);
    if (!out.image) return std::nullopt;
    if (asMask) out.image = kx::toGray8(out.image);
    return out;
}

// Colour-key ranges of a /Mask array: integer pairs, compared with raw samples.
std::vector<std::int64_t> colorKeyOf(const kx::PDFObject& array) {
    std::vector<std::int64_t> key;
    for (size_t i = 0; i < array.arrayCount() && i < 64; ++i) {
        double v = 0;
        key.push_back(array.arrayAt(i).getNumber(v) ? kx::roundToInt<std::int64_t>(v) : 0);
    }
    return key;
}

kx::ImageRef invertGray(const kx::ImageRef& gray) {
    if (!gray) return nullptr;
    auto out = std::make_shared<kx::Image>(*gray);
    for (std::uint8_t& v : out->pixels) v = static_cast<std::uint8_t>(255 - v);
    return out;
}

std::string uniqueTempPath(const std::string& name) {
    return KXPDFPathUtilities::getUUIDPathBy(kx::pathJoin(kx::temporaryRoot(), name));
}

}  // namespace

namespace kx {

int imageDecodeReduction(const PDFObject& stream, const PDFObject& colorSpaces, Size needed) {
    const ImageEntries e = readEntries(stream.streamDictionary());
    return sampleReductionFactor(e.width, e.height, roundToInt<std::int64_t>(needed.width),
                                 roundToInt<std::int64_t>(needed.height),
                                 e.imageMask ? 3 : decodedBytesPerPixel(e, colorSpaces));
}

std::string imagePathForStream(const PDFObject& stream) {
    ImageEntries e = readEntries(stream.streamDictionary());
    std::string uuid = kx::newUUIDString();
    std::string name;
    if (isMasked(e)) name = "IMG_Masked_" + uuid + ".png";
    else if (writesJPEG(stream, e)) name = "IMG_" + uuid + ".jpeg";
    else name = "IMG_" + uuid + ".png";
    return uniqueTempPath(name);
}

bool extractImageStream(const PDFObject& stream, const PDFObject& colorSpaces, const std::string& path,
                        float jpegQuality, bool isMaskStream, const Color* stencilColor) {
    return extractImageStreamWithin(stream, colorSpaces, path, jpegQuality, isMaskStream, stencilColor, Size{}) ==
           ImageExtraction::Written;
}

ImageExtraction extractImageStreamWithin(const PDFObject& stream, const PDFObject& colorSpaces, const std::string& path,
                                         float jpegQuality, bool isMaskStream, const Color* stencilColor, Size needed) {
    constexpr ImageExtraction failed = ImageExtraction::Failed;
    if (!stream.isStream() || path.empty()) return failed;
    kx::createDirectories(kx::pathDirectory(path));
    kx::PDFObject dict = stream.streamDictionary();
    ImageEntries e = readEntries(dict);
    if (e.width <= 0 || e.height <= 0) return failed;

    // Masks: a stencil ignores SMask and Mask, a mask has none of its own; otherwise an SMask
    // stream wins over Mask.
    bool readMasks = !e.imageMask && !isMaskStream;
    std::vector<std::int64_t> colorKey;
    kx::PDFObject maskStream;
    bool softMask = false;
    if (readMasks) {
        if (e.smask.isStream()) {
            maskStream = e.smask;
            softMask = true;
        } else if (e.smask.isNull()) {
            if (e.mask.isArray()) colorKey = colorKeyOf(e.mask);
            else if (e.mask.isStream()) maskStream = e.mask;
        }
    }

    bool overBudget = false;
    std::optional<Decoded> decoded = decodePixels(stream, colorSpaces, isMaskStream, colorKey, needed, overBudget);
    if (!decoded) return overBudget ? ImageExtraction::OverBudget : failed;
    kx::ImageRef image = decoded->image;
    if (e.imageMask && !isMaskStream) {
        kx::Color paint = stencilColor ? *stencilColor : kx::Color::gray(0);
        image = kx::paintStencil(image, paint);
    } else if (!maskStream.isNull()) {
        // The mask is reduced like the image, so that the two meet at the size the output needs.
        bool maskOverBudget = false;
        std::optional<Decoded> mask = decodePixels(maskStream, kx::PDFObject(), true, {}, needed, maskOverBudget);
        if (mask) {
            // A soft mask's gray level is its coverage; an explicit mask paints where its samples
            // are 0 and hides where they are 1.
            kx::ImageRef coverage = softMask ? mask->image : invertGray(mask->image);
            if (kx::ImageRef masked = kx::maskImage(image, coverage, kx::AffineTransform::identity())) image = masked;
        }
    }
    if (!image) return failed;

    bool asJPEG = !isMaskStream && writesJPEG(stream, e);
    return KXWriteOrDeferCGImageToURL(image, path, asJPEG ? kx::ImageFileType::JPEG : kx::ImageFileType::PNG, 72, 72,
                                      jpegQuality, kKXPackagePictureDeflateLevel)
               ? ImageExtraction::Written
               : failed;
}

std::string extractMaskStream(const PDFObject& stream) {
    std::string path = uniqueTempPath("SMask.png");
    extractImageStream(stream, PDFObject(), path, 1.0f, true);
    return path;
}

}  // namespace kx
