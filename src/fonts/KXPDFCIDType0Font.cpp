#include "fonts/KXPDFCIDType0Font.h"

bool KXPDFCIDType0Font::initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) {
    KXPDFCIDTypeFont::initWithDictionary(dict, objectKey);
    setSubtypeBaseFontName(dict);
    setCIDSystemInfoWithDictionary(dict);
    setFontDescriptorWithFontDictionary(dict);
    setWidthsWithFontDictionary(dict);
    return widthsOk_;
}
