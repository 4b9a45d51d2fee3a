#include "pdf/annot/KXPDFBorderArray.h"

#include "pdf/KXPDFUtilities.h"

KXPDFBorderArray::KXPDFBorderArray(const kx::PDFObject& array) {
    size_t count = array.arrayCount();
    bool good = false;
    if (count == 3 || count == 4) {
        bool h = KXPDFUtilities::GetNumberWithPDFArray(array, 0, horizontalCorner_);
        bool v = KXPDFUtilities::GetNumberWithPDFArray(array, 1, verticalCorner_);
        bool w = KXPDFUtilities::GetNumberWithPDFArray(array, 2, lineWidth_);
        good = h && v && w;
        if (good && count == 4) {
            kx::PDFObject dash = array.arrayAt(3);
            good = dash.isArray() && parseDashArray(dash);
        }
    }
    if (!good) lineWidth_ = 0;
}
