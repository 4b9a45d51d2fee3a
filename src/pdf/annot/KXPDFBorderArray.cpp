#include "pdf/annot/KXPDFBorderArray.h"

#include "util/PDFObjectValues.h"

KXPDFBorderArray::KXPDFBorderArray(const kx::PDFObject& array) {
    size_t count = array.arrayCount();
    bool good = false;
    if (count == 3 || count == 4) {
        bool h = kx::pdfNumberInArray(array, 0, horizontalCorner_);
        bool v = kx::pdfNumberInArray(array, 1, verticalCorner_);
        bool w = kx::pdfNumberInArray(array, 2, lineWidth_);
        good = h && v && w;
        if (good && count == 4) {
            kx::PDFObject dash = array.arrayAt(3);
            good = dash.isArray() && parseDashArray(dash);
        }
    }
    if (!good) lineWidth_ = 0;
}
