#include "fonts/KXPDFFontDescriptor.h"

#include "fonts/KXFontSupport_p.h"
#include "fonts/KXPDFFontUtilities.h"
#include "platform/FontProgram.h"
#include "platform/Unicode.h"

using kx::detail::fontNumber;

KXPDFFontDescriptor::KXPDFFontDescriptor() = default;

std::unique_ptr<KXPDFFontDescriptor> KXPDFFontDescriptor::initWithPDFDictionary(const kx::PDFObject& dict) {
    // Many writers leave out the descriptor's /Type; the font's /FontDescriptor entry says what the
    // dictionary is, and without it the font would lose its metrics, flags and embedded program (and
    // with it the text of a program's own encoding). Another /Type is still refused.
    if (!dict.isDictionary()) return nullptr;
    if (kx::PDFObject type = dict.dictGet("Type"); !type.isNull() && !type.isName("FontDescriptor")) return nullptr;
    auto d = std::make_unique<KXPDFFontDescriptor>();
    d->descent_ = 0;
    d->ascent_ = 0;

    double v = 0;
    if (fontNumber(dict, "Descent", v)) d->descent_ = v * 0.001;
    if (fontNumber(dict, "Ascent", v)) d->ascent_ = v * 0.001;
    if (fontNumber(dict, "Leading", v)) d->leading_ = v;
    if (fontNumber(dict, "CapHeight", v)) d->capHeight_ = v;
    if (fontNumber(dict, "XHeight", v)) d->xHeight_ = v;
    if (fontNumber(dict, "AvgWidth", v)) d->averageWidth_ = v * 0.001;
    if (fontNumber(dict, "MaxWidth", v)) d->maxWidth_ = v * 0.001;
    if (fontNumber(dict, "MissingWidth", v)) d->missingWidth_ = v * 0.001;
    if (fontNumber(dict, "StemV", v)) d->verticalStemWidth_ = v;
    if (fontNumber(dict, "StemH", v)) d->horizontalStemHeigth_ = v;
    if (fontNumber(dict, "ItalicAngle", v)) d->italicAngle_ = v;
    kx::PDFObject bbox = dict.dictGet("FontBBox");
    if (bbox.isArray() && bbox.arrayCount() == 4) {
        double box[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < 4; ++i) kx::detail::fontNumberAt(bbox, i, box[i]);
        d->fontBBox_ = kx::Rect(box[0] * 0.001, box[1] * 0.001, box[2] * 0.001, box[3] * 0.001);
    }

    if (d->descent_ > 0) d->descent_ = -d->descent_;
    if (d->descent_ == 0) d->descent_ = -0.35;
    if (d->ascent_ == 0) d->ascent_ = 0.95;
    std::int64_t flags = 0;
    d->flags_ = dict.dictGet("Flags").getInteger(flags) ? static_cast<std::uint64_t>(flags) : 2;

    dict.dictGet("FontName").getName(d->fontName_);
    kx::PDFObject family = dict.dictGet("FontFamily");
    if (family.isString()) d->fontFamily_ = kx::utf16ToUtf8(family.textString());

    static const char* const kFontFiles[] = {"FontFile", "FontFile2", "FontFile3"};
    kx::PDFObject stream;
    for (int i = 0; i < 3; ++i) {
        kx::PDFObject file = dict.dictGet(kFontFiles[i]);
        if (!file.isStream()) continue;
        stream = file;
        d->embFontNum_ = i + 1;
        if (i == 0) d->embFontSubType_ = "Type1";
        else if (i == 1) d->embFontSubType_ = "CIDType2 or TrueType";
        else {
            std::string subtype;
            if (file.streamDictionary().dictGet("Subtype").getName(subtype)) d->embFontSubType_ = subtype;
        }
        break;
    }
    if (!stream) return d;

    auto data = stream.streamData();
    if (!data) return d;
    d->embFont_ = kx::FontProgram::fromData(std::move(*data));
    if (!d->embFont_) return d;
    if (!d->embFont_->fullName().empty()) d->embFullName_ = d->embFont_->fullName();
    if (!d->embFont_->postScriptName().empty()) d->embPostScriptName_ = d->embFont_->postScriptName();
    return d;
}

kx::Rect KXPDFFontDescriptor::embFontRectForString(std::u16string_view text) const {
    if (text.empty()) return kx::Rect::zero();
    return embFontRectForString(text, 1.0);
}

kx::Rect KXPDFFontDescriptor::embFontRectForString(std::u16string_view text, double fontSize) const {
    if (!embFont_) return kx::Rect::zero();
    kx::Size size = KXPDFFontUtilities::CGFontSizeOfString(embFont_.get(), fontSize, text);
    return kx::Rect(0, 0, size.width, size.height);
}

double KXPDFFontDescriptor::embFontWidthForGlyphCode(std::uint16_t glyph) const {
    if (!embFont_) return 0;
    return KXPDFFontUtilities::CGFontWidthOfGlyphCode(embFont_.get(), 1.0, glyph);
}

double KXPDFFontDescriptor::embFontWidthForCharCode(std::uint16_t character) const {
    if (!embFont_) return 0;
    return KXPDFFontUtilities::CGFontWidthOfCharCode(embFont_.get(), 1.0, character);
}

void KXPDFFontDescriptor::setFontBold(bool bold) {
    if (bold) flags_ |= (1u << 18);
    else flags_ &= ~std::uint64_t{1u << 18};
}

void KXPDFFontDescriptor::setFontItalic(bool italic) {
    if (italic) flags_ |= (1u << 6);
    else flags_ &= ~std::uint64_t{1u << 6};
}
