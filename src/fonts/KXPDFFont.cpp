#include "fonts/KXPDFFont.h"

#include <new>

#include "fonts/BuiltinFontManager.h"
#include "fonts/KXFontSupport_p.h"
#include "fonts/KXPDFCharCodeToUnicode.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFFontUtilities.h"
#include "fonts/KXPDFMMType1Font.h"
#include "fonts/KXPDFTrueTypeFont.h"
#include "fonts/KXPDFType0Font.h"
#include "fonts/KXPDFType1Font.h"
#include "fonts/KXPDFType3Font.h"
#include "platform/Unicode.h"

namespace {

bool isUnusableName(const std::string& name) {
    std::string lower = kx::asciiLower(name);
    return lower.find("unknown") != std::string::npos || lower.find("null") != std::string::npos ||
           lower.find("font0000") != std::string::npos;
}

// "ABCDEF+Name" → "Name"; "ABCDEF+.Name" → "Name".
std::string withoutSubsetTag(const std::string& name) {
    if (auto pos = name.find("+."); pos != std::string::npos) return name.substr(pos + 2);
    if (auto pos = name.find('+'); pos != std::string::npos) return name.substr(pos + 1);
    return name;
}

}  // namespace

KXPDFFont::KXPDFFont() = default;
KXPDFFont::~KXPDFFont() = default;

KXPDFFont::KXPDFFont(const KXPDFFont& other)
    : objectKey_(other.objectKey_),
      subtype_(other.subtype_),
      baseFontName_(other.baseFontName_),
      baseFontName_New_(other.baseFontName_New_),
      fontName_(other.fontName_),
      fontFamilyName_(other.fontFamilyName_),
      fontSystemReplaceName_(other.fontSystemReplaceName_),
      bankSpaceCharWidth_(other.bankSpaceCharWidth_),
      embToUnicodeMap_(other.embToUnicodeMap_),
      fontDescriptor_(other.fontDescriptor_ ? std::make_shared<KXPDFFontDescriptor>(*other.fontDescriptor_) : nullptr),
      builtinFont_(other.builtinFont_),
      stringEncoding_(other.stringEncoding_) {}

std::unique_ptr<KXPDFFont> KXPDFFont::clone() const { return std::make_unique<KXPDFFont>(*this); }

std::shared_ptr<KXPDFFont> KXPDFFont::FontWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) {
    if (!dict.isDictionary() || !dict.dictGet("Type").isName("Font")) return nullptr;
    std::string subtype;
    if (!dict.dictGet("Subtype").getName(subtype)) return nullptr;
    std::shared_ptr<KXPDFFont> font;
    if (subtype == "Type0") font = std::make_shared<KXPDFType0Font>();
    else if (subtype == "Type1") font = std::make_shared<KXPDFType1Font>();
    else if (subtype == "MMType1") font = std::make_shared<KXPDFMMType1Font>();
    else if (subtype == "Type3") font = std::make_shared<KXPDFType3Font>();
    else if (subtype == "TrueType") font = std::make_shared<KXPDFTrueTypeFont>();
    else return nullptr;
    try {
        if (!font->initWithDictionary(dict, objectKey)) return nullptr;
    } catch (const std::bad_alloc&) {
        // Sizes come from the file; an allocation the machine cannot serve loses this font only.
        kx::detail::reportOutOfMemory();
        return nullptr;
    }
    return font;
}

bool KXPDFFont::initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) {
    stringEncoding_ = KXStringEncoding::ASCII;
    objectKey_ = objectKey;
    bankSpaceCharWidth_ = 0;
    setFontDescriptorWithFontDictionary(dict);
    setSubtypeBaseFontName(dict);
    setBuiltinFontWithFontDictionary(dict);
    setWidthsWithFontDictionary(dict);
    if (!setToUnicodeWithFontDictionary(dict, 8)) return false;
    updateFontSystemReplaceName();
    return true;
}

int KXPDFFont::getNextChar(const unsigned char*, int, std::uint32_t*, std::uint32_t*, int, int*, float*, float*, float*,
                           float*) const {
    return 1;
}

const KXPDFFontCharProc* KXPDFFont::charProcForKey(const std::string&) const { return nullptr; }
double KXPDFFont::embFontWidthForCode(std::uint16_t) const { return 0; }
double KXPDFFont::widthOfSpace() const { return 1.0; }
double KXPDFFont::ascent() const { return 0.95; }
double KXPDFFont::descent() const { return -0.35; }
kx::Rect KXPDFFont::fontBBox() const { return kx::Rect(0.95, -0.35, 1.0, 1.0); }

const std::map<std::string, std::string>& KXPDFFont::ligatures() const {
    static const std::map<std::string, std::string> ligatures = {
        {"64256", "ff"}, {"64257", "fi"}, {"64258", "fl"}, {"64259", "ffi"},
        {"64260", "ffl"}, {"230", "ae"},  {"339", "oe"},
    };
    return ligatures;
}

void KXPDFFont::setFontDescriptorWithFontDictionary(const kx::PDFObject& dict) {
    kx::PDFObject descriptor = dict.dictGet("FontDescriptor");
    if (!descriptor.isDictionary()) return;
    fontDescriptor_ = KXPDFFontDescriptor::initWithPDFDictionary(descriptor);
}

void KXPDFFont::setSubtypeBaseFontName(const kx::PDFObject& dict) {
    dict.dictGet("Subtype").getName(subtype_);
    // A /BaseFont that is no name (a string, a number) is a name not known: the font's program
    // may still name it.
    kx::PDFObject baseFont = dict.dictGet("BaseFont");
    if (baseFont.isNull()) return;
    baseFontName_New_.clear();
    if (baseFont.isName()) {
        baseFontName_ = baseFont.name();
        baseFontName_New_ = baseFontName_;
    }

    if (isUnusableName(baseFontName_New_)) baseFontName_New_.clear();
    if (baseFontName_New_.empty() && fontDescriptor_) {
        if (!fontDescriptor_->embPostScriptName().empty()) baseFontName_New_ = fontDescriptor_->embPostScriptName();
        else if (!fontDescriptor_->embFullName().empty()) baseFontName_New_ = fontDescriptor_->embFullName();
        if (isUnusableName(baseFontName_New_)) baseFontName_New_.clear();
    }

    fontName_ = baseFontName_New_.empty() ? std::string() : withoutSubsetTag(baseFontName_New_);

    if (std::string match = KXPDFFontUtilities::FontNameInComputer(fontName_); !match.empty()) {
        fontName_ = match;
    } else if (fontDescriptor_) {
        if (std::string ps = KXPDFFontUtilities::FontNameInComputer(fontDescriptor_->embPostScriptName()); !ps.empty()) {
            baseFontName_New_ = fontDescriptor_->embPostScriptName();
            fontName_ = ps;
        } else if (std::string full = KXPDFFontUtilities::FontNameInComputer(fontDescriptor_->embFullName());
                   !full.empty()) {
            baseFontName_New_ = fontDescriptor_->embFullName();
            fontName_ = full;
        }
    }

    fontFamilyName_ = KXPDFFontUtilities::FamilyNameInComputer(fontName_);
    if (fontFamilyName_.empty()) fontFamilyName_ = KXPDFFontUtilities::FamilyNameCut(fontName_);
}

void KXPDFFont::setBuiltinFontWithFontDictionary(const kx::PDFObject& dict) {
    if (fontName_.empty() || baseFontName_.empty()) setSubtypeBaseFontName(dict);
    if (!fontName_.empty()) builtinFont_ = BuiltinFontManager::sharedManager().findBuildinFont(fontName_);
}

void KXPDFFont::setExtendFontFileWithFontDictionary(const kx::PDFObject& dict) {
    if (fontName_.empty() || baseFontName_.empty()) setSubtypeBaseFontName(dict);
}

void KXPDFFont::setWidthsWithFontDictionary(const kx::PDFObject&) {}

bool KXPDFFont::setToUnicodeWithFontDictionary(const kx::PDFObject& dict, int nBits) {
    kx::PDFObject stream = dict.dictGet("ToUnicode");
    if (!stream.isStream()) return true;
    auto data = stream.streamData();
    // The map is read as UTF-8 text; data that is not gives no map.
    if (!data || !kx::isValidUtf8(*data)) return true;
    auto map = KXPDFCharCodeToUnicode::parseCMap(*data, nBits);
    if (!map) return false;
    embToUnicodeMap_ = std::move(map);
    return true;
}

void KXPDFFont::findReplaceNameByKeyword() {
    std::string name = KXPDFFontUtilities::ReplaceFontNameInFontBook(fontName_);
    if (name.empty() && fontDescriptor_) name = KXPDFFontUtilities::ReplaceFontNameInFontBook(fontDescriptor_->embPostScriptName());
    if (name.empty() && fontDescriptor_) name = KXPDFFontUtilities::ReplaceFontNameInFontBook(fontDescriptor_->embFullName());
    if (!name.empty()) fontSystemReplaceName_ = name;
}

void KXPDFFont::updateFontSystemReplaceName() {
    if (KXPDFFontUtilities::SystemFontNameIsExist(fontName_)) {
        std::string full = KXPDFFontUtilities::SystemFontFullNameForFontName(fontName_);
        if (!full.empty()) fontName_ = full;
        fontSystemReplaceName_ = fontName_;
        return;
    }
    if (!KXPDFFontUtilities::SystemFontNameIsExist(fontFamilyName_)) {
        findReplaceNameByKeyword();
        if (!fontSystemReplaceName_.empty()) return;
        if (!fontDescriptor_) {
            fontSystemReplaceName_ = "Arial Unicode MS";
        } else if (fontDescriptor_->isFixedWidth()) {
            fontSystemReplaceName_ = fontDescriptor_->isSerif() ? "Courier" : "Consolas";
        } else {
            fontSystemReplaceName_ = fontDescriptor_->isSerif() ? "Times" : "Arial Unicode MS";
        }
        return;
    }
    if (fontDescriptor_) {
        if (KXPDFFontUtilities::isBoldFontName(fontName_)) fontDescriptor_->setFontBold(true);
        if (KXPDFFontUtilities::isItalicFontName(fontName_)) fontDescriptor_->setFontItalic(true);
    }
    fontSystemReplaceName_ = KXPDFFontUtilities::SystemFontFullNameForFontName(fontFamilyName_);
}
