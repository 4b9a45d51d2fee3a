#include "pdf/annot/KXPDFAnnot.h"

#include <utility>

#include "pdf/annot/KXPDFAnnotCircel.h"
#include "pdf/annot/KXPDFAnnotDelegate.h"
#include "pdf/annot/KXPDFAnnotFreeText.h"
#include "pdf/annot/KXPDFAnnotHighlight.h"
#include "pdf/annot/KXPDFAnnotInk.h"
#include "pdf/annot/KXPDFAnnotLine.h"
#include "pdf/annot/KXPDFAnnotLink.h"
#include "pdf/annot/KXPDFAnnotPopup.h"
#include "pdf/annot/KXPDFAnnotSquare.h"
#include "pdf/annot/KXPDFAnnotStamp.h"
#include "pdf/annot/KXPDFAnnotStrikeout.h"
#include "pdf/annot/KXPDFAnnotText.h"
#include "pdf/annot/KXPDFAnnotUnderline.h"
#include "pdf/annot/KXPDFAnnotWidget.h"
#include "pdf/annot/KXPDFAnnot_p.h"
#include "pdf/annot/KXPDFBorderArray.h"
#include "util/PDFObjectValues.h"
#include "platform/Numeric.h"
#include "platform/Unicode.h"

KXPDFAnnot::KXPDFAnnot() : color_(kx::detail::annotNullColor()) {}

KXPDFAnnot::KXPDFAnnot(const kx::PDFObject& dictionary) : KXPDFAnnot(dictionary, true) {}

KXPDFAnnot::KXPDFAnnot(const kx::PDFObject& dictionary, bool readPopup) : KXPDFAnnot() {
    parse(dictionary, readPopup);
}

KXPDFAnnot::~KXPDFAnnot() = default;

void KXPDFAnnot::setPopup(std::unique_ptr<KXPDFAnnotPopup> popup) { popup_ = std::move(popup); }

void KXPDFAnnot::parse(const kx::PDFObject& dictionary, bool readPopup) {
    displayUnderText_ = false;
    std::string subtype;
    if (dictionary.dictGet("Subtype").getName(subtype)) type_ = subtype;

    contents_ = kx::pdfTextInDictionary(dictionary, "Contents");
    userName_ = kx::pdfTextInDictionary(dictionary, "NM");
    modificationDate_ = kx::pdfTextInDictionary(dictionary, "M");

    kx::PDFObject rect = dictionary.dictGet("Rect");
    if (rect.isArray() && rect.arrayCount() == 4) {
        double x1 = 0, y1 = 0, x2 = 1.0, y2 = 1.0;
        kx::pdfNumberInArray(rect, 0, x1);
        kx::pdfNumberInArray(rect, 1, y1);
        kx::pdfNumberInArray(rect, 2, x2);
        kx::pdfNumberInArray(rect, 3, y2);
        if (x1 > x2) std::swap(x1, x2);
        if (y1 > y2) std::swap(y1, y2);
        bounds_ = kx::Rect(x1, y1, x2 - x1, y2 - y1);
    }

    color_ = kx::detail::annotColorFromArray(dictionary.dictGet("C"));

    // /CA is the constant opacity of any annotation; markup kinds read it again with their own
    // entries.
    opacity_ = 1.0;
    kx::pdfNumberInDictionary(dictionary, "CA", opacity_);

    flags_ = 0;
    double f = 0;
    if (kx::pdfNumberInDictionary(dictionary, "F", f)) flags_ = kx::toInt<std::int64_t>(f);

    kx::PDFObject border = dictionary.dictGet("Border");
    if (border.isArray()) border_ = std::make_unique<KXPDFBorderArray>(border);

    kx::PDFObject popup = dictionary.dictGet("Popup");
    if (readPopup && popup.isDictionary()) popup_ = std::make_unique<KXPDFAnnotPopup>(popup);

    kx::PDFObject ap = dictionary.dictGet("AP");
    if (ap.isDictionary()) appearStreams_ = KXPDFAnnotAppearance(ap);

    appearState_ = "Off";
    if (auto as = kx::detail::annotKeyString(dictionary, "AS"))
        appearState_ = *as;
    else if (appearStreams_)
        appearState_ = "N";
}

std::shared_ptr<KXPDFAnnot> KXPDFAnnot::AnnotWithDictionary(const kx::PDFObject& dictionary) {
    if (!dictionary.isDictionary()) return nullptr;
    // /Type is optional in an annotation dictionary, and many writers leave it out; only a
    // dictionary that says it is something else is refused.
    kx::PDFObject type = dictionary.dictGet("Type");
    if (!type.isNull() && !type.isName("Annot")) return nullptr;

    std::string subtype;
    dictionary.dictGet("Subtype").getName(subtype);
    if (subtype == "Line") return std::make_shared<KXPDFAnnotLine>(dictionary);
    if (subtype == "Square") return std::make_shared<KXPDFAnnotSquare>(dictionary);
    if (subtype == "Circle") return std::make_shared<KXPDFAnnotCircel>(dictionary);
    if (subtype == "Highlight") return std::make_shared<KXPDFAnnotHighlight>(dictionary);
    if (subtype == "Underline") return std::make_shared<KXPDFAnnotUnderline>(dictionary);
    if (subtype == "StrikeOut") return std::make_shared<KXPDFAnnotStrikeout>(dictionary);
    if (subtype == "FreeText") return std::make_shared<KXPDFAnnotFreeText>(dictionary);
    if (subtype == "Link") return std::make_shared<KXPDFAnnotLink>(dictionary);
    if (subtype == "Text") return std::make_shared<KXPDFAnnotText>(dictionary);
    if (subtype == "Popup") return std::make_shared<KXPDFAnnotPopup>(dictionary);
    if (subtype == "Ink") return std::make_shared<KXPDFAnnotInk>(dictionary);
    if (subtype == "Stamp") return std::make_shared<KXPDFAnnotStamp>(dictionary);
    if (subtype == "Widget") return std::make_shared<KXPDFAnnotWidget>(dictionary);
    // "Squiggly" and every kind not named above replay their appearance as plain annotations.
    return std::make_shared<KXPDFAnnot>(dictionary);
}

void KXPDFAnnot::startParser() {
    if (!appearStreams_) {
        if (delegate_) drawWithoutAppearance(*delegate_);
        return;
    }
    replayAppearance(type_.value_or(std::string()));
}

void KXPDFAnnot::drawWithoutAppearance(KXPDFAnnotDelegate&) {}

void KXPDFAnnot::replayAppearance(const std::string& streamKey) {
    if (!delegate_ || !appearStreams_) return;
    kx::PDFObject stream = appearStreams_->getAppearanceStream(0, appearState_);
    if (!stream.isStream()) return;
    delegate_->didScanStream(*this, stream, streamKey);
}

KXPDFColor KXPDFAnnot::displayColor() const {
    return kx::detail::annotOpacityForm(color_, opacity_);
}
