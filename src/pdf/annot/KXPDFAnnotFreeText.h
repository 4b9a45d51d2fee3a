#pragma once
// A free-text annotation: text shown directly on the page. With an appearance stream it replays
// that stream; without one it reports a single text box (rectangle, text, font, colour, alignment,
// border and background) that exporters turn into a text box of their own.

#include "pdf/annot/KXPDFAnnotMarkup.h"
#include "pdf/annot/KXPDFBorderEffect.h"

// The callout line /CL: start, knee and end (unused points are 0).
struct KXPDFAnnotCalloutLine {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
    bool operator==(const KXPDFAnnotCalloutLine&) const = default;
};

class KXPDFAnnotFreeText : public KXPDFAnnotMarkup {
public:
    KXPDFAnnotFreeText();
    explicit KXPDFAnnotFreeText(const kx::PDFObject& dictionary);

    // /Q (0 left, 1 centred, 2 right) to the alignment code of the report (0 left, 1 right, 2 centred).
    static std::int64_t TextAlignmentForQuadding(std::int64_t quadding);
    // Reads the font name, size and colour of a default-appearance string ("/Helv 12 Tf 0 0 1 rg");
    // the last "Tf" and the last colour operator win. Nullopt when the string sets no font.
    static std::optional<std::string> ParseAppearanceString(const std::optional<std::string>& appearance,
                                                            double* fontSize, KXPDFColor* fontColor);

    const std::optional<std::string>& appearanceString() const { return appearanceString_; }
    void setAppearanceString(std::optional<std::string> v) { appearanceString_ = std::move(v); }
    std::int64_t quadding() const { return quadding_; }
    void setQuadding(std::int64_t v) { quadding_ = v; }
    const std::optional<std::u16string>& styleString() const { return styleString_; }
    void setStyleString(std::optional<std::u16string> v) { styleString_ = std::move(v); }
    // /IT: 0 "FreeText", 1 "FreeTextCallout", 2 "FreeTextTypeWriter".
    std::int64_t intent() const { return intent_; }
    void setIntent(std::int64_t v) { intent_ = v; }
    const KXPDFBorderEffect& borderEffect() const { return borderEffect_; }
    void setBorderEffect(const KXPDFBorderEffect& v) { borderEffect_ = v; }
    // The callout line's ending style, numbered as line endings are.
    std::int64_t endStyle() const { return endStyle_; }
    void setEndStyle(std::int64_t v) { endStyle_ = v; }
    std::int64_t textAlignment() const { return textAlignment_; }
    void setTextAlignment(std::int64_t v) { textAlignment_ = v; }
    const std::string& fontName() const { return fontName_; }
    void setFontName(std::string v) { fontName_ = std::move(v); }
    double fontSize() const { return fontSize_; }
    void setFontSize(double v) { fontSize_ = v; }
    const KXPDFAnnotCalloutLine& calloutLine() const { return calloutLine_; }
    void setCalloutLine(const KXPDFAnnotCalloutLine& v) { calloutLine_ = v; }
    // The inner rectangle from /RD; the zero rectangle when absent.
    const kx::Rect& rectangle() const { return rectangle_; }
    void setRectangle(const kx::Rect& v) { rectangle_ = v; }
    const KXPDFColor& interiorColor() const { return interiorColor_; }
    void setInteriorColor(const KXPDFColor& v) { interiorColor_ = v; }
    const KXPDFColor& fontColor() const { return fontColor_; }
    void setFontColor(const KXPDFColor& v) { fontColor_ = v; }

protected:
    void drawWithoutAppearance(KXPDFAnnotDelegate& receiver) override;

private:
    std::optional<std::string> appearanceString_;
    std::int64_t quadding_ = 0;
    std::optional<std::u16string> styleString_;
    std::int64_t intent_ = 0;
    KXPDFBorderEffect borderEffect_;
    std::int64_t endStyle_ = 5;
    std::int64_t textAlignment_ = 0;
    std::string fontName_ = "Helvetica";
    double fontSize_ = 10.0;
    KXPDFAnnotCalloutLine calloutLine_;
    kx::Rect rectangle_;
    KXPDFColor interiorColor_;
    KXPDFColor fontColor_;
};
