#include "util/PDFObjectValues.h"

#include <cstdint>

#include "platform/Unicode.h"

namespace kx {

bool pdfNumberOf(const PDFObject& o, double& value) {
    std::int64_t i = 0;
    if (o.getInteger(i)) {
        value = static_cast<double>(static_cast<float>(i));
        return true;
    }
    if (o.isReal()) return o.getNumber(value);
    return false;
}

bool pdfNumberInDictionary(const PDFObject& dict, std::string_view key, double& value) {
    if (!dict.isDictionary()) return false;
    return pdfNumberOf(dict.dictGet(key), value);
}

bool pdfNumberInArray(const PDFObject& array, std::size_t index, double& value) {
    if (!array.isArray() || index >= array.arrayCount()) return false;
    return pdfNumberOf(array.arrayAt(index), value);
}

std::optional<std::u16string> pdfTextOf(const PDFObject& o) {
    std::u16string text;
    if (o.isName())
        text = utf8ToUtf16(o.name());
    else if (o.isString())
        text = o.textString();
    if (text.empty()) return std::nullopt;
    return text;
}

std::optional<std::u16string> pdfTextInDictionary(const PDFObject& dict, std::string_view key) {
    if (!dict.isDictionary()) return std::nullopt;
    return pdfTextOf(dict.dictGet(key));
}

std::optional<std::u16string> pdfTextInArray(const PDFObject& array, std::size_t index) {
    if (!array.isArray() || index >= array.arrayCount()) return std::nullopt;
    return pdfTextOf(array.arrayAt(index));
}

}  // namespace kx
