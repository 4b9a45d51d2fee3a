#include "pdf/KXPDFUtilities.h"

#include <numbers>

#include "platform/Unicode.h"
#include "util/PDFObjectValues.h"

namespace {

std::optional<std::u16string> textOf(const kx::PDFObject& o) {
    std::u16string text;
    if (o.isName())
        text = kx::utf8ToUtf16(o.name());
    else if (o.isString())
        text = o.textString();
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace

bool KXPDFUtilities::GetNumberWithPDFDictionary(const kx::PDFObject& dict, std::string_view key, double& value) {
    return kx::pdfNumberInDictionary(dict, key, value);
}

bool KXPDFUtilities::GetNumberWithPDFArray(const kx::PDFObject& array, size_t index, double& value) {
    return kx::pdfNumberInArray(array, index, value);
}

std::optional<std::u16string> KXPDFUtilities::GetStringWithPDFDictionary(const kx::PDFObject& dict,
                                                                          std::string_view key) {
    if (!dict.isDictionary()) return std::nullopt;
    return textOf(dict.dictGet(key));
}

std::optional<std::u16string> KXPDFUtilities::GetStringWithPDFArray(const kx::PDFObject& array, size_t index) {
    if (!array.isArray() || index >= array.arrayCount()) return std::nullopt;
    return textOf(array.arrayAt(index));
}

std::int64_t KXPDFUtilities::normalizedAngle(std::int64_t angle) {
    std::int64_t a = angle % 360;
    return a < 0 ? a + 360 : a;
}

kx::Rect KXPDFUtilities::GetPDFPageRect(const kx::PDFPage& page, kx::PDFBox box, std::int64_t rotationAngle) {
    kx::Rect r = page.boxRect(box);
    if (r.isInfinite() || r.isNull() || r.isEmpty()) r = kx::Rect(0, 0, 595, 842);
    std::int64_t a = normalizedAngle(rotationAngle);
    if (a == 90 || a == 270) r = kx::Rect(r.origin.y, r.origin.x, r.size.height, r.size.width);
    return r;
}

kx::Rect KXPDFUtilities::MediaBoxOfPDFPage(const kx::PDFPage& page) {
    return GetPDFPageRect(page, kx::PDFBox::MediaBox, page.rotationAngle());
}

kx::Rect KXPDFUtilities::CropBoxOfPDFPage(const kx::PDFPage& page) {
    return GetPDFPageRect(page, kx::PDFBox::CropBox, page.rotationAngle());
}

kx::AffineTransform pageTransformForBox(std::int64_t rotationAngle, double w, double h) {
    std::int64_t a = KXPDFUtilities::normalizedAngle(rotationAngle);
    kx::AffineTransform t = kx::AffineTransform::identity().translated(0, h).scaled(1, -1);
    switch (a) {
        case 90: return t.translated(0, h).rotated(-std::numbers::pi / 2);
        case 180: return t.translated(w, h).rotated(std::numbers::pi);
        case 270: return t.translated(w, 0).rotated(std::numbers::pi / 2);
        default: return t;
    }
}

std::vector<double> popOperandNumbers(kx::PDFScanner& scanner, int n) {
    if (n < 1) return {};
    std::vector<double> out(static_cast<size_t>(n), 0.0);
    double v = 0;
    if (!scanner.popNumber(v)) return out;
    out[0] = v;
    for (int i = 1; i < n; ++i) {
        if (!scanner.popNumber(v)) {
            if (i == 1) std::fill(out.begin() + 1, out.end(), out[0]);
            break;
        }
        out[static_cast<size_t>(i)] = v;
    }
    return out;
}
