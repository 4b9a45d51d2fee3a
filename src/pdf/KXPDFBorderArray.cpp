#include "pdf/KXPDFBorderArray.h"

#include "pdf/KXPDFAnnotReading_p.h"

KXPDFBorderArray::KXPDFBorderArray(const kx::PDFObject& array) {
    using kx::detail::annotNumber;
    size_t count = array.arrayCount();
    bool good = false;
    if (count == 3 || count == 4) {
        bool h = annotNumber(array.arrayAt(0), horizontalCorner_);
        bool v = annotNumber(array.arrayAt(1), verticalCorner_);
        bool w = annotNumber(array.arrayAt(2), lineWidth_);
        good = h && v && w;
        if (good && count == 4) {
            kx::PDFObject dash = array.arrayAt(3);
            good = dash.isArray() && parseDashArray(dash);
        }
    }
    if (!good) lineWidth_ = 0;
}
