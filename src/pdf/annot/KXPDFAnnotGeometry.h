#pragma once
// The base of squares and circles: without an appearance stream they report the rectangle or the
// ellipse of their bounds, stroked with the border and filled with the interior colour.

#include "pdf/annot/KXPDFAnnot.h"
#include "pdf/annot/KXPDFBorderEffect.h"

class KXPDFAnnotGeometry : public KXPDFAnnot {
public:
    KXPDFAnnotGeometry();
    explicit KXPDFAnnotGeometry(const kx::PDFObject& dictionary);

    // `interiorColor` in the opacity form of displayColor.
    KXPDFColor displayInteriorColor() const;

    const KXPDFColor& interiorColor() const { return interiorColor_; }
    void setInteriorColor(const KXPDFColor& v) { interiorColor_ = v; }
    const KXPDFBorderEffect& borderEffect() const { return borderEffect_; }
    void setBorderEffect(const KXPDFBorderEffect& v) { borderEffect_ = v; }
    // The inner rectangle from /RD; the zero rectangle when absent.
    const kx::Rect& geometryRect() const { return geometryRect_; }
    void setGeometryRect(const kx::Rect& v) { geometryRect_ = v; }

protected:
    void drawWithoutAppearance(KXPDFAnnotDelegate& receiver) override;

private:
    KXPDFBorderEffect borderEffect_;
    kx::Rect geometryRect_;
    KXPDFColor interiorColor_;
};
