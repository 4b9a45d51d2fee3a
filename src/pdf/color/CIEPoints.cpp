#include "pdf/color/CIEPoints.h"

#include "pdf/color/KXPDFColorSpace_p.h"

namespace kx::detail {

PDFObject CIEPoints::readCIEDictionary(const PDFObject& array, std::string_view family) {
    if (!array.arrayAt(0).isName(family)) return {};
    PDFObject dict = array.arrayAt(1);
    if (!dict.isDictionary()) return {};
    readExactNumbers(dict.dictGet("WhitePoint"), 3, white_);
    readExactNumbers(dict.dictGet("BlackPoint"), 3, black_);
    return dict;
}

}  // namespace kx::detail
