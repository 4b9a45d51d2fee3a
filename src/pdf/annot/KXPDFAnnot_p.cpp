#include "pdf/annot/KXPDFAnnot_p.h"

#include <algorithm>
#include <cfloat>

#include "pdf/annot/KXPDFBorder.h"
#include "pdf/annot/KXPDFBorderBS.h"
#include "pdf/state/KXPDFRenderState.h"
#include "util/PDFObjectValues.h"
#include "platform/Format.h"
#include "platform/Numeric.h"
#include "platform/Unicode.h"

namespace kx::detail {

KXPDFColor annotNullColor() {
    KXPDFColor color;
    color.isNull = 1;
    return color;
}

KXPDFColor annotColorFromArray(const PDFObject& array) {
    if (!array.isArray() || array.arrayCount() != 3) return annotNullColor();
    KXPDFColor color;
    color.length = 3;
    for (size_t i = 0; i < 3; ++i) {
        double v = 0;
        kx::pdfNumberInArray(array, i, v);
        color.c[i] = kx::toInt<std::int16_t>(v * 255);
    }
    return color;
}

KXPDFColor annotOpacityForm(const KXPDFColor& color, double opacity) {
    if (opacity >= 1) return color;
    KXPDFColor out = color;
    out.length = 4;
    out.c[3] = kx::toInt<std::int16_t>(opacity * 255);
    return out;
}

std::optional<std::string> annotKeyString(const PDFObject& dict, std::string_view key) {
    auto text = kx::pdfTextInDictionary(dict, key);
    if (!text) return std::nullopt;
    return kx::utf16ToUtf8(*text);
}

std::optional<std::string> annotKeyString(const PDFObject& array, size_t index) {
    auto text = kx::pdfTextInArray(array, index);
    if (!text) return std::nullopt;
    return kx::utf16ToUtf8(*text);
}

Rect annotInnerRect(const PDFObject& rd, const Rect& bounds) {
    if (!rd.isArray() || rd.arrayCount() != 4) return Rect::zero();
    double d[4];  // left, top, right, bottom
    for (size_t i = 0; i < 4; ++i)
        if (!kx::pdfNumberInArray(rd, i, d[i]) || d[i] < 0) return Rect::zero();
    Rect b = bounds.standardized();
    if (d[0] + d[2] > b.size.width || d[1] + d[3] > b.size.height) return Rect::zero();
    return {b.minX() + d[0], b.minY() + d[3], b.size.width - d[0] - d[2], b.size.height - d[1] - d[3]};
}

}  // namespace kx::detail

namespace kx::detail {

float annotLeadingFloat(std::string_view token) {
    size_t i = 0;
    while (i < token.size() && (token[i] == ' ' || token[i] == '\t' || token[i] == '\n' || token[i] == '\r')) ++i;
    size_t start = i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
    size_t digits = 0;
    while (i < token.size() && token[i] >= '0' && token[i] <= '9') ++i, ++digits;
    if (i < token.size() && token[i] == '.') {
        ++i;
        while (i < token.size() && token[i] >= '0' && token[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return 0;
    // An exponent counts only when digits follow it.
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        size_t j = i + 1;
        if (j < token.size() && (token[j] == '+' || token[j] == '-')) ++j;
        if (j < token.size() && token[j] >= '0' && token[j] <= '9') {
            while (j < token.size() && token[j] >= '0' && token[j] <= '9') ++j;
            i = j;
        }
    }
    std::string_view number = token.substr(start, i - start);
    if (!number.empty() && number[0] == '+') number.remove_prefix(1);
    auto v = kx::parseDouble(number);
    if (!v) return 0.0f;
    return static_cast<float>(std::clamp(*v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

}  // namespace kx::detail

namespace kx::detail {

std::unique_ptr<KXPDFBorderBS> annotBorderStyle(const PDFObject& bs) {
    return bs.isDictionary() ? std::make_unique<KXPDFBorderBS>(bs) : std::make_unique<KXPDFBorderBS>();
}

std::shared_ptr<const KXPDFColorSpace> annotRGBSpace(const char* objectKey) {
    auto space = KXPDFColorSpace::DefaultDeviceRGBColorSpace();
    space->setObjectKey(objectKey);
    return space;
}

std::shared_ptr<const KXPDFColorSpace> annotDeviceSpaceFor(const KXPDFColor& color) {
    int mode = color.length == 1   ? KXPDFColorSpace::ModeDeviceGray
               : color.length == 4 ? KXPDFColorSpace::ModeDeviceCMYK
                                   : KXPDFColorSpace::ModeDeviceRGB;
    return KXPDFColorSpace::newColorSpaceOfMode(mode);
}

void annotSetStroke(KXPDFRenderState& state, std::shared_ptr<const KXPDFColorSpace> space, const KXPDFColor& color,
                    const KXPDFBorder* border) {
    state.setStrokePattern(nullptr);
    state.setStrokeColorSpace(std::move(space));
    state.setStrokeColor(color);
    std::vector<double> dash;
    if (border && border->dashPattern())
        for (float length : *border->dashPattern()) dash.push_back(length);
    state.setLineWidth(border ? border->lineWidth() : 1.0);
    state.setLineDashPattern(std::move(dash));
}

void annotSetFill(KXPDFRenderState& state, std::shared_ptr<const KXPDFColorSpace> space, const KXPDFColor& color) {
    state.setFillPattern(nullptr);
    state.setFillColorSpace(std::move(space));
    state.setFillColor(color);
}

}  // namespace kx::detail
