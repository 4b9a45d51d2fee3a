#include "util/PDFObjectValues.h"

#include <cstdint>

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

}  // namespace kx
