#include "pdf/color/ImageColorSpaces.h"

#include <algorithm>
#include <string>

#include "pdf/color/KXPDFColorSpace_p.h"
#include "pdf/function/KXPDFFunction.h"
#include "util/PDFObjectValues.h"

namespace {

// Colour spaces nest (an Indexed base, an alternate); a file can make them refer to themselves.
constexpr int kMaxColorSpaceDepth = 8;

kx::ColorSpaceRef fromObject(const kx::PDFObject& object, int depth);
kx::ColorSpaceRef fromArray(const kx::PDFObject& array, int depth);

kx::ColorSpaceRef deviceSpaceNamed(std::string_view name) {
    if (name == "DeviceGray" || name == "G") return kx::ColorSpace::deviceGray();
    if (name == "DeviceRGB" || name == "RGB") return kx::ColorSpace::deviceRGB();
    if (name == "DeviceCMYK" || name == "CMYK") return kx::ColorSpace::deviceCMYK();
    return nullptr;
}

// A point of three numbers: read only when the array holds exactly three entries; an entry that
// is not a number repeats the value before it (the default for the first).
void readTriple(const kx::PDFObject& dict, const char* key, double out[3]) {
    kx::PDFObject a = dict.dictGet(key);
    if (!a.isArray() || a.arrayCount() != 3) return;
    double previous = out[0];
    for (size_t i = 0; i < 3; ++i) {
        double v = previous;
        if (!kx::pdfNumberInArray(a, i, v)) v = previous;
        out[i] = v;
        previous = v;
    }
}

bool familyIs(const kx::PDFObject& array, std::string_view family) {
    return array.isArray() && array.arrayCount() > 0 && array.arrayAt(0).isName(family);
}

// A tint transform as the colour space calls it. Without a usable function the tints are shown as
// gray ink (full tint black), which keeps the picture readable.
kx::TintTransform tintOf(const kx::PDFObject& fnObject, int inputs, int outputs, kx::ColorSpaceRef& alternate) {
    std::shared_ptr<const KXPDFFunction> fn = KXPDFFunction::FuntionWithObject(fnObject);
    if (fn && alternate) {
        return [fn, inputs, outputs](const double* in, double* out) {
            KXPDFFunction::Values x{}, y{};
            for (int i = 0; i < inputs && i < KXPDFFunction::kMaxValues; ++i) x[static_cast<size_t>(i)] = in[i];
            fn->transformInput(x, y);
            for (int j = 0; j < outputs && j < KXPDFFunction::kMaxValues; ++j) out[j] = y[static_cast<size_t>(j)];
        };
    }
    alternate = kx::ColorSpace::deviceGray();
    return [inputs](const double* in, double* out) {
        double ink = 0;
        for (int i = 0; i < inputs; ++i) ink = std::max(ink, in[i]);
        out[0] = 1 - ink;
    };
}

kx::ColorSpaceRef separation(const kx::PDFObject& array, int depth) {
    // [/Separation name alternate tintTransform]
    if (array.arrayCount() < 4) return nullptr;
    kx::ColorSpaceRef alternate = fromObject(array.arrayAt(2), depth + 1);
    int outputs = alternate ? alternate->componentCount() : 1;
    kx::TintTransform tint = tintOf(array.arrayAt(3), 1, outputs, alternate);
    return kx::ColorSpace::deviceN(1, alternate, std::move(tint));
}

kx::ColorSpaceRef deviceN(const kx::PDFObject& array, int depth) {
    // [/DeviceN [names] alternate tintTransform attributes?]
    if (array.arrayCount() < 4 || !array.arrayAt(1).isArray()) return nullptr;
    int n = static_cast<int>(std::min<size_t>(array.arrayAt(1).arrayCount(), 32));
    if (n < 1) return nullptr;
    kx::ColorSpaceRef alternate = fromObject(array.arrayAt(2), depth + 1);
    int outputs = alternate ? alternate->componentCount() : 1;
    kx::TintTransform tint = tintOf(array.arrayAt(3), n, outputs, alternate);
    return kx::ColorSpace::deviceN(n, alternate, std::move(tint));
}

kx::ColorSpaceRef indexed(const kx::PDFObject& array, int depth) {
    if (!familyIs(array, "Indexed") && !familyIs(array, "I")) return nullptr;
    kx::PDFObject baseObject = array.arrayAt(1);
    kx::ColorSpaceRef base;
    if (baseObject.isArray()) base = fromArray(baseObject, depth + 1);
    else if (baseObject.isName()) base = deviceSpaceNamed(baseObject.name());
    else base = kx::ColorSpace::deviceRGB();
    std::int64_t hival = array.arrayAt(2).integerOr(0);
    hival = std::clamp<std::int64_t>(hival, 0, 255);
    kx::PDFObject lookup = array.arrayAt(3);
    std::string table;
    if (lookup.isStream()) table = lookup.streamData().value_or(std::string());
    else if (lookup.isString()) table = lookup.stringBytes();
    return kx::ColorSpace::indexed(std::move(base), static_cast<int>(hival), std::move(table));
}

kx::ColorSpaceRef fromArray(const kx::PDFObject& array, int depth) {
    if (depth > kMaxColorSpaceDepth || !array.isArray() || array.arrayCount() == 0) return nullptr;
    kx::PDFObject first = array.arrayAt(0);
    if (!first.isName()) return nullptr;
    std::string family = first.name();
    if (auto device = deviceSpaceNamed(family)) return device;
    if (family == "CalGray") return kx::imageCalGraySpace(array);
    if (family == "CalRGB") return kx::imageCalRGBSpace(array);
    if (family == "ICCBased") return kx::imageICCBasedSpace(array);
    if (family == "Indexed" || family == "I") return indexed(array, depth);
    if (family == "Lab") return kx::imageLabSpace(array);
    if (family == "Separation") return separation(array, depth);
    if (family == "DeviceN") return deviceN(array, depth);
    if (family == "Pattern") {
        kx::PDFObject under = array.arrayAt(1);
        return kx::ColorSpace::pattern(under.isArray() || under.isName() ? fromObject(under, depth + 1) : nullptr);
    }
    return nullptr;
}

kx::ColorSpaceRef fromObject(const kx::PDFObject& object, int depth) {
    if (object.isArray() && object.arrayCount() > 0 && object.arrayAt(0).isName()) return fromArray(object, depth);
    if (object.isName()) return deviceSpaceNamed(object.name());
    return nullptr;
}

}  // namespace

namespace kx {

ColorSpaceRef imageColorSpaceOf(const PDFObject& object) { return fromObject(object, 0); }

ColorSpaceRef imageColorSpaceOfArray(const PDFObject& array) { return fromArray(array, 0); }

ColorSpaceRef imageColorSpaceNamed(std::string_view name) { return deviceSpaceNamed(name); }

ColorSpaceRef imageIndexedSpace(const PDFObject& array) { return indexed(array, 0); }

ColorSpaceRef imageCalGraySpace(const kx::PDFObject& array) {
    if (!familyIs(array, "CalGray")) return nullptr;
    kx::PDFObject dict = array.arrayAt(1);
    if (!dict.isDictionary()) return nullptr;
    double white[3] = {1, 1, 1}, black[3] = {0, 0, 0}, gamma = 1;
    readTriple(dict, "WhitePoint", white);
    readTriple(dict, "BlackPoint", black);
    dict.dictGet("Gamma").getNumber(gamma);
    return kx::ColorSpace::calibratedGray(white, black, gamma);
}

ColorSpaceRef imageCalRGBSpace(const kx::PDFObject& array) {
    if (!familyIs(array, "CalRGB")) return nullptr;
    kx::PDFObject dict = array.arrayAt(1);
    if (!dict.isDictionary()) return nullptr;
    double white[3] = {1, 1, 1}, black[3] = {0, 0, 0}, gamma[3] = {1, 1, 1};
    double matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    readTriple(dict, "WhitePoint", white);
    readTriple(dict, "BlackPoint", black);
    kx::detail::readExactNumbers(dict.dictGet("Gamma"), 3, gamma);
    kx::detail::readExactNumbers(dict.dictGet("Matrix"), 9, matrix);
    return kx::ColorSpace::calibratedRGB(white, black, gamma, matrix);
}

ColorSpaceRef imageLabSpace(const kx::PDFObject& array) {
    if (!familyIs(array, "Lab")) return nullptr;
    kx::PDFObject dict = array.arrayAt(1);
    if (!dict.isDictionary()) return nullptr;
    // A Lab space without a usable white point is read against D50.
    double white[3] = {0.9642, 1.0, 0.8249}, black[3] = {0, 0, 0}, range[4] = {-100, 100, -100, 100};
    kx::detail::readExactNumbers(dict.dictGet("WhitePoint"), 3, white);
    kx::detail::readExactNumbers(dict.dictGet("BlackPoint"), 3, black);
    kx::detail::readExactNumbers(dict.dictGet("Range"), 4, range);
    return kx::ColorSpace::lab(white, black, range);
}

ColorSpaceRef imageICCBasedSpace(const kx::PDFObject& array) {
    if (!familyIs(array, "ICCBased")) return nullptr;
    kx::PDFObject stream = array.arrayAt(1);
    if (!stream.isStream()) return nullptr;
    kx::PDFObject dict = stream.streamDictionary();
    kx::ColorSpaceRef alternate;
    kx::PDFObject alt = dict.dictGet("Alternate");
    if (alt.isName()) alternate = deviceSpaceNamed(alt.name());
    kx::PDFDataFormat format = kx::PDFDataFormat::Raw;
    std::optional<std::string> profile = stream.streamData(format);
    if (!profile || format != kx::PDFDataFormat::Raw) return nullptr;
    std::int64_t n = 0;
    if (dict.dictGet("N").getInteger(n)) {
        if (!alternate) {
            if (n == 1) alternate = kx::ColorSpace::deviceGray();
            else if (n == 3 || n < 1) alternate = kx::ColorSpace::deviceRGB();
            else if (n == 4) alternate = kx::ColorSpace::deviceCMYK();
        }
    } else if (alternate) {
        n = alternate->componentCount();
    } else {
        n = 1;
        alternate = kx::ColorSpace::deviceGray();
    }
    if (n < 1 || n > 32) n = alternate ? alternate->componentCount() : 3;
    std::vector<double> range(static_cast<size_t>(2 * n));
    for (std::int64_t i = 0; i < n; ++i) range[2 * i] = 0, range[2 * i + 1] = 1;
    // The first 2N numbers of Range; missing ones keep 0 1.
    kx::PDFObject r = dict.dictGet("Range");
    for (size_t i = 0; r.isArray() && i < range.size() && i < r.arrayCount(); ++i)
        kx::pdfNumberInArray(r, i, range[i]);
    // The profile's transforms are built once for equal bytes (the platform keeps them).
    if (auto cs = kx::ColorSpace::iccBased(static_cast<int>(n), range.data(), *profile, alternate)) return cs;
    // The profile alone, and then the alternate, stand in only with as many components as the
    // samples.
    if (auto cs = kx::ColorSpace::withICCData(*profile); cs && cs->componentCount() == n) return cs;
    if (alternate && alternate->componentCount() == n) return alternate;
    return nullptr;
}

}  // namespace kx
