#include "fonts/KXPDFCIDType2Font.h"

#include "fonts/KXFontSupport_p.h"

bool KXPDFCIDType2Font::initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) {
    KXPDFCIDTypeFont::initWithDictionary(dict, objectKey);
    cidToGID_.clear();
    setSubtypeBaseFontName(dict);
    setCIDSystemInfoWithDictionary(dict);
    setFontDescriptorWithFontDictionary(dict);
    setWidthsWithFontDictionary(dict);
    if (!widthsOk_) return false;
    return setCIDToGIDMapWithDictionary(dict);
}

bool KXPDFCIDType2Font::setCIDToGIDMapWithDictionary(const kx::PDFObject& dict) {
    kx::PDFObject map = dict.dictGet("CIDToGIDMap");
    if (map.isStream()) {
        auto data = map.streamData();
        if (!data || data->size() < 2) return true;
        const size_t count = data->size() / 2;
        if (!kx::detail::checkAllocationSize(count, sizeof(std::uint16_t))) return false;
        cidToGID_.resize(count);
        for (size_t i = 0; i < count; ++i)
            cidToGID_[i] = static_cast<std::uint16_t>((static_cast<unsigned char>((*data)[2 * i]) << 8) |
                                                      static_cast<unsigned char>((*data)[2 * i + 1]));
    } else if (map.isName()) {
        identity_ = true;
    }
    return true;
}

std::uint16_t KXPDFCIDType2Font::glyphForCID(std::uint32_t cid) const {
    if (cid < cidToGID_.size()) return cidToGID_[cid];
    return static_cast<std::uint16_t>(cid & 0xFFFF);
}
