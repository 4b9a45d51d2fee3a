#include "pdf/annot/KXPDFBorder.h"

#include "util/PDFObjectValues.h"

bool KXPDFBorder::parseDashArray(const kx::PDFObject& array) {
    // At most ten lengths are kept; a negative length ends the array and makes it unusable. An entry
    // that is not a number makes it unusable as well: there is no sensible length to give it.
    std::vector<float> pattern;
    for (size_t i = 0, n = array.arrayCount(); i < n && i < 10; ++i) {
        double v = 0;
        if (!kx::pdfNumberInArray(array, i, v)) return false;
        pattern.push_back(static_cast<float>(v));
        if (v < 0) return false;
    }
    dashPattern_ = std::move(pattern);
    style_ = 1;
    return true;
}

const char* KXPDFBorder::getStyleName() const {
    switch (style_) {
    case 1: return "D";
    case 2: return "B";
    case 3: return "I";
    case 4: return "U";
    default: return "S";
    }
}
