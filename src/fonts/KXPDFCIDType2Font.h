#pragma once
// A CID-keyed TrueType font: /CIDToGIDMap gives the glyph index of each CID (a stream of big-endian
// 16-bit indices, or /Identity).

#include <vector>

#include "fonts/KXPDFCIDTypeFont.h"

class KXPDFCIDType2Font : public KXPDFCIDTypeFont {
public:
    std::unique_ptr<KXPDFFont> clone() const override { return std::make_unique<KXPDFCIDType2Font>(*this); }
    bool initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) override;
    std::uint16_t glyphForCID(std::uint32_t cid) const override;

    const std::vector<std::uint16_t>& cidToGID() const { return cidToGID_; }
    std::int64_t cidToGIDLen() const { return static_cast<std::int64_t>(cidToGID_.size()); }
    bool identity() const { return identity_; }

protected:
    bool setCIDToGIDMapWithDictionary(const kx::PDFObject& dict);

    std::vector<std::uint16_t> cidToGID_;
    bool identity_ = false;
};
