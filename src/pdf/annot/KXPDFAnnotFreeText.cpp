#include "pdf/annot/KXPDFAnnotFreeText.h"

#include <vector>

#include "pdf/annot/KXPDFAnnotDelegate.h"
#include "pdf/annot/KXPDFAnnotLine.h"
#include "pdf/annot/KXPDFAnnot_p.h"
#include "pdf/annot/KXPDFBorderBS.h"
#include "pdf/state/KXPDFRenderState.h"
#include "util/PDFObjectValues.h"
#include "platform/Numeric.h"
#include "platform/Unicode.h"

KXPDFAnnotFreeText::KXPDFAnnotFreeText()
    : interiorColor_(kx::detail::annotNullColor()), fontColor_(kx::detail::annotNullColor()) {}

KXPDFAnnotFreeText::KXPDFAnnotFreeText(const kx::PDFObject& dictionary)
    : KXPDFAnnotMarkup(dictionary),
      interiorColor_(kx::detail::annotNullColor()),
      fontColor_(kx::detail::annotNullColor()) {
    appearanceString_ = kx::detail::annotKeyString(dictionary, "DA");
    interiorColor_ = kx::detail::annotColorFromArray(dictionary.dictGet("IC"));
    double q = 0;
    if (kx::pdfNumberInDictionary(dictionary, "Q", q)) quadding_ = kx::toInt<std::int64_t>(q);
    styleString_ = kx::pdfTextInDictionary(dictionary, "DS");

    kx::PDFObject cl = dictionary.dictGet("CL");
    if (cl.isArray() && cl.arrayCount() >= 4) {
        float* points[] = {&calloutLine_.x1, &calloutLine_.y1, &calloutLine_.x2,
                           &calloutLine_.y2, &calloutLine_.x3, &calloutLine_.y3};
        size_t count = cl.arrayCount() == 6 ? 6 : 4;
        for (size_t i = 0; i < count; ++i) {
            double v = 0;
            kx::pdfNumberInArray(cl, i, v);
            *points[i] = static_cast<float>(v);
        }
    }

    kx::PDFObject it = dictionary.dictGet("IT");
    intent_ = it.isName("FreeTextCallout") ? 1 : it.isName("FreeTextTypeWriter") ? 2 : 0;

    setBorder(kx::detail::annotBorderStyle(dictionary.dictGet("BS")));
    kx::PDFObject be = dictionary.dictGet("BE");
    if (be.isDictionary()) borderEffect_ = KXPDFBorderEffect(be);

    rectangle_ = kx::detail::annotInnerRect(dictionary.dictGet("RD"), bounds());

    endStyle_ = 5;
    if (auto le = kx::detail::annotKeyString(dictionary, "LE"))
        endStyle_ = KXPDFAnnotLine::PDFAnnotLineEndingStyleForSubtype(*le);

    double size = 0;
    KXPDFColor color = kx::detail::annotNullColor();
    auto name = ParseAppearanceString(appearanceString_, &size, &color);
    fontSize_ = size > 0 ? size : 10.0;
    fontName_ = name && !name->empty() ? *name : "Helvetica";
    fontColor_ = color;

    textAlignment_ = TextAlignmentForQuadding(quadding_);
}

std::int64_t KXPDFAnnotFreeText::TextAlignmentForQuadding(std::int64_t quadding) {
    switch (quadding) {
    case 1: return 2;
    case 2: return 1;
    default: return 0;
    }
}

std::optional<std::string> KXPDFAnnotFreeText::ParseAppearanceString(const std::optional<std::string>& appearance,
                                                                     double* fontSize, KXPDFColor* fontColor) {
    double size = 0;
    KXPDFColor color = kx::detail::annotNullColor();
    std::optional<std::string> name;
    if (appearance && !appearance->empty()) {
        // Tokens are separated by single spaces; two spaces in a row leave an empty token.
        std::vector<std::string_view> tokens;
        std::string_view rest = *appearance;
        for (;;) {
            size_t space = rest.find(' ');
            tokens.push_back(rest.substr(0, space));
            if (space == std::string_view::npos) break;
            rest.remove_prefix(space + 1);
        }
        auto component = [&](size_t i) {
            return kx::toInt<std::int16_t>(static_cast<double>(kx::detail::annotLeadingFloat(tokens[i])) * 255);
        };
        // From the end backwards, so the last font and the last colour of the string win.
        for (size_t i = tokens.size(); i-- > 0;) {
            if (size < 0.01 && tokens[i] == "Tf" && i >= 2) {
                std::string n;
                for (char ch : tokens[i - 2])
                    if (ch != '/') n += ch;
                name = n;
                size = kx::detail::annotLeadingFloat(tokens[i - 1]);
            }
            if (color.isNull) {
                size_t count = 0;
                if (tokens[i] == "g" && i >= 1)
                    count = 1;
                else if (tokens[i] == "rg" && i >= 3)
                    count = 3;
                else if (tokens[i] == "k" && i >= 4)
                    count = 4;
                if (count) {
                    color.isNull = 0;
                    color.length = static_cast<std::int32_t>(count);
                    for (size_t k = 0; k < count; ++k) color.c[k] = component(i - count + k);
                }
            }
        }
    }
    if (fontSize) *fontSize = size;
    if (fontColor) *fontColor = color;
    return name;
}

void KXPDFAnnotFreeText::drawWithoutAppearance(KXPDFAnnotDelegate& receiver) {
    KXPDFRenderState* state = receiver.KXPDFAnnotCurrentRenderingState();
    auto rgb = KXPDFColorSpace::DefaultDeviceRGBColorSpace();

    bool stroke = false;
    if (border() && border()->lineWidth() > 0) {
        // The border takes the annotation colour, else the text colour; the latter may be gray or
        // CMYK (from the default-appearance string), so it keeps a space of its own kind.
        if (state) {
            if (!color().isNull)
                kx::detail::annotSetStroke(*state, rgb, color(), border());
            else
                kx::detail::annotSetStroke(*state, kx::detail::annotDeviceSpaceFor(fontColor_), fontColor_, border());
        }
        stroke = true;
    }
    bool fill = false;
    if (!color().isNull) {
        if (state) kx::detail::annotSetFill(*state, rgb, !interiorColor_.isNull ? interiorColor_ : color());
        fill = true;
    }
    receiver.didScanTextBox(*this, bounds(), contents().value_or(std::u16string()), fontName_, fontColor_,
                            fontSize_, textAlignment_, stroke, fill);
}
