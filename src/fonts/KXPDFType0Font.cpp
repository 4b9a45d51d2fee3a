#include "fonts/KXPDFType0Font.h"

#include <algorithm>

#include "fonts/KXFontSupport_p.h"
#include "fonts/KXPDFCIDType0Font.h"
#include "fonts/KXPDFCIDType2Font.h"
#include "fonts/KXPDFCharCodeToUnicode.h"
#include "fonts/KXPDFCodeToCIDMap.h"
#include "fonts/KXPDFCodeToCIDMapCache.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "platform/Unicode.h"

namespace {

// The exception whose CID range holds `cid`, in a list sorted by first CID (the last of those that
// start at or before it); nullptr when the CID takes the default.
template <class Exception>
const Exception* exceptionFor(const std::vector<Exception>& exceps, std::uint32_t cid) {
    auto after = std::upper_bound(exceps.begin(), exceps.end(), cid,
                                  [](std::uint32_t c, const Exception& e) { return c < e.first; });
    if (after == exceps.begin()) return nullptr;
    const Exception& candidate = *(after - 1);
    return candidate.last >= cid ? &candidate : nullptr;
}

}  // namespace

KXPDFType0Font::KXPDFType0Font() = default;
KXPDFType0Font::~KXPDFType0Font() = default;

KXPDFType0Font::KXPDFType0Font(const KXPDFType0Font& other)
    : KXPDFFont(other),
      extToUnicodeMap_(other.extToUnicodeMap_),
      extToCIDMap_(other.extToCIDMap_),
      cMapName_(other.cMapName_) {
    for (const auto& descendant : other.descendantFonts_) {
        std::unique_ptr<KXPDFFont> copy = descendant->clone();
        descendantFonts_.emplace_back(static_cast<KXPDFCIDTypeFont*>(copy.release()));
    }
}

std::unique_ptr<KXPDFFont> KXPDFType0Font::clone() const { return std::make_unique<KXPDFType0Font>(*this); }

const KXPDFCIDTypeFont* KXPDFType0Font::cidTypeFont() const {
    return descendantFonts_.empty() ? nullptr : descendantFonts_.front().get();
}

bool KXPDFType0Font::setDescendantFontsWithDictionary(const kx::PDFObject& dict) {
    descendantFonts_.clear();
    kx::PDFObject descendants = dict.dictGet("DescendantFonts");
    for (size_t i = 0; i < descendants.arrayCount(); ++i) {
        kx::PDFObject element = descendants.arrayAt(i);
        std::string subtype;
        if (!element.isDictionary() || !element.dictGet("Subtype").getName(subtype)) continue;
        std::unique_ptr<KXPDFCIDTypeFont> font;
        if (subtype == "CIDFontType0") font = std::make_unique<KXPDFCIDType0Font>();
        else if (subtype == "CIDFontType2") font = std::make_unique<KXPDFCIDType2Font>();
        else continue;
        if (!font->initWithDictionary(element, objectKey_)) return false;
        fontDescriptor_ = font->sharedFontDescriptor();
        descendantFonts_.push_back(std::move(font));
    }
    return true;
}

void KXPDFType0Font::setFontDescriptorWithCIDTypeFont() {
    if (const KXPDFCIDTypeFont* first = cidTypeFont()) fontDescriptor_ = first->sharedFontDescriptor();
}

std::optional<std::string> KXPDFType0Font::getToUnicodeMapDataWithFontDictionary(const kx::PDFObject& dict) {
    kx::PDFObject stream = dict.dictGet("ToUnicode");
    if (!stream.isStream()) return std::nullopt;
    auto data = stream.streamData();
    if (!data || !kx::isValidUtf8(*data)) return std::nullopt;
    return data;
}

bool KXPDFType0Font::initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) {
    objectKey_ = objectKey;
    if (!setDescendantFontsWithDictionary(dict)) return false;
    setSubtypeBaseFontName(dict);
    setFontDescriptorWithCIDTypeFont();

    const KXPDFCIDTypeFont* first = cidTypeFont();
    const std::string collection = first ? first->cidSystemInfo() : std::string();
    KXPDFCodeToCIDMapCache cache;
    kx::PDFObject encoding = dict.dictGet("Encoding");
    if (encoding.isName()) {
        cMapName_ = encoding.name();
        extToCIDMap_ = KXPDFCodeToCIDMap::parse(&cache, collection, cMapName_);
    } else if (encoding.isStream()) {
        // An embedded CMap: read with the same parser as the named ones.
        encoding.streamDictionary().dictGet("CMapName").getName(cMapName_);
        auto data = encoding.streamData();
        if (data && !data->empty()) extToCIDMap_ = KXPDFCodeToCIDMap::parse(&cache, collection, cMapName_, *data);
    }
    if (!extToCIDMap_) return false;

    if (first) extToUnicodeMap_ = kx::detail::collectionToUnicodeMap(first->cidSystemRegion());
    if (!setToUnicodeWithFontDictionary(dict, 16)) return false;
    updateFontSystemReplaceName();
    updateBankSpaceWidth();
    return true;
}

bool KXPDFType0Font::isVerticalWriting() const { return extToCIDMap_ && extToCIDMap_->wMode() != 0; }

void KXPDFType0Font::getCIDWidths(std::uint32_t cid, float* dx, float* dy, float* ox, float* oy) const {
    *dx = *dy = *ox = *oy = 0;
    const KXPDFCIDTypeFont* first = cidTypeFont();
    if (!first) return;
    const KXPDFFontCIDWidths& widths = first->cidWidths();
    if (!isVerticalWriting()) {
        *dx = static_cast<float>(widths.defWidth);
        if (const auto* excep = exceptionFor(widths.exceps, cid)) *dx = static_cast<float>(excep->width);
        return;
    }
    *dy = static_cast<float>(widths.defHeight);
    *ox = static_cast<float>(widths.defWidth * 0.5);
    *oy = static_cast<float>(widths.defVY);
    if (const auto* excep = exceptionFor(widths.excepsV, cid)) {
        *dy = static_cast<float>(excep->height);
        *ox = static_cast<float>(excep->vx);
        *oy = static_cast<float>(excep->vy);
    }
}

int KXPDFType0Font::getNextChar(const unsigned char* s, int len, std::uint32_t* code, std::uint32_t* u, int uSize,
                                int* uLen, float* dx, float* dy, float* ox, float* oy) const {
    *code = 0;
    *uLen = 0;
    *dx = *dy = 0;
    if (!extToCIDMap_) return 1;
    std::uint32_t raw = 0;
    int n = 1;
    std::uint32_t cid = extToCIDMap_->getCID(s, len, &raw, &n);
    *code = cid != 0 ? cid : s[0];

    int count = 0;
    if (embToUnicodeMap_) count = embToUnicodeMap_->mapToUnicode(raw, u, uSize);
    else if (extToUnicodeMap_) count = extToUnicodeMap_->mapToUnicode(cid, u, uSize);
    if (count >= 1) {
        *uLen = count;
    } else if (uSize > 0) {
        u[0] = *code;
        *uLen = 1;
    }
    getCIDWidths(*code, dx, dy, ox, oy);
    return n < 1 ? 1 : n;
}

void KXPDFType0Font::updateBankSpaceWidth() {
    const KXPDFCharCodeToUnicode* map = embToUnicodeMap_ ? embToUnicodeMap_.get() : extToUnicodeMap_.get();
    if (!map) {
        bankSpaceCharWidth_ = 0;
        return;
    }
    std::uint32_t space = map->spaceCIDCode();
    if (space == 0) {
        bankSpaceCharWidth_ = 0;
        return;
    }
    double w = embFontWidthForCode(static_cast<std::uint16_t>(space));
    if (w > 0 && w <= 1) {
        bankSpaceCharWidth_ = w;
        return;
    }
    float dx = 0, dy = 0, ox = 0, oy = 0;
    getCIDWidths(space, &dx, &dy, &ox, &oy);
    if (dx > 0 && dx <= 1) bankSpaceCharWidth_ = dx;
}

double KXPDFType0Font::embFontWidthForCode(std::uint16_t code) const {
    if (!fontDescriptor_ || !fontDescriptor_->embFont()) return 0;
    const KXPDFCIDTypeFont* first = cidTypeFont();
    return fontDescriptor_->embFontWidthForGlyphCode(first ? first->glyphForCID(code) : code);
}

double KXPDFType0Font::widthOfSpace() const {
    const KXPDFCharCodeToUnicode* map = embToUnicodeMap_ ? embToUnicodeMap_.get() : extToUnicodeMap_.get();
    std::uint32_t space = map ? map->spaceCIDCode() : 0;
    if (space == 0) space = 32;
    float dx = 0, dy = 0, ox = 0, oy = 0;
    getCIDWidths(space, &dx, &dy, &ox, &oy);
    if (dx > 0 && dx < 1) return dx;
    return kx::detail::spaceWidthFromDescriptor(fontDescriptor_.get());
}

double KXPDFType0Font::ascent() const { return fontDescriptor_ ? fontDescriptor_->ascent() : 0.95; }
double KXPDFType0Font::descent() const { return fontDescriptor_ ? fontDescriptor_->descent() : -0.35; }

kx::Rect KXPDFType0Font::fontBBox() const {
    return fontDescriptor_ ? fontDescriptor_->fontBBox() : kx::Rect(0.95, -0.35, 1.0, 1.0);
}
