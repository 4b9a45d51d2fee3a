#include "pdf/annot/KXPDFBorderBS.h"

#include "util/PDFObjectValues.h"

KXPDFBorderBS::KXPDFBorderBS(const kx::PDFObject& dictionary) {
    type_ = 1;
    lineWidth_ = 0;
    kx::pdfNumberInDictionary(dictionary, "W", lineWidth_);
    std::string s;
    if (dictionary.dictGet("S").getName(s)) {
        if (s == "D")
            style_ = 1;
        else if (s == "B")
            style_ = 2;
        else if (s == "I")
            style_ = 3;
        else if (s == "U")
            style_ = 4;
    }
    if (style_ == 1) {
        kx::PDFObject dash = dictionary.dictGet("D");
        if (dash.isArray()) parseDashArray(dash);
        if (!dashPattern_) dashPattern_ = std::vector<float>{3};
    }
}
