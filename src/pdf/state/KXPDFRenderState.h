#pragma once
// The graphics and text state of the content interpreter. The exporter that owns a page reads the
// top state of the stack whenever the interpreter reports something, so these fields are the
// interface between the interpreter and every exporter.
//
// Copies share the font, the patterns and the colour spaces (immutable objects) and the clip paths
// (a copy adds its own paths after the shared ones); the path under construction is copied, so q
// saves it and the clip and Q restores them.

#include <cstdint>
#include <memory>
#include <vector>

#include "pdf/state/ClipPathChain.h"
#include "pdf/state/KXPDFClipPath.h"
#include "pdf/color/KXPDFColor.h"
#include "pdf/color/KXPDFColorSpace.h"
#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Path.h"

class KXPDFFont;
class KXPDFPattern;
class KXPDFExtGState;

class KXPDFRenderState {
public:
    KXPDFRenderState();
    KXPDFRenderState(const KXPDFRenderState&) = default;
    KXPDFRenderState& operator=(const KXPDFRenderState&) = default;

    // Pending clip values (clip()).
    enum : std::int32_t { ClipNone = 0, ClipNonZero = 1, ClipEvenOdd = 2 };

    // Text matrix operations.
    void setTextMatrix(const kx::AffineTransform& matrix, bool replaceLineMatrix);
    // Text matrix := translation (dx, dy) in text space, then the text matrix.
    void translateTextPosition(kx::Size delta);
    // Line matrix := translation (tx, ty), then the line matrix; text matrix := line matrix; with
    // save, leading := -ty.
    void newLineWithLeading(double ty, double tx, bool save);
    void newLineWithLeading(double ty, bool save) { newLineWithLeading(ty, 0, save); }
    void newLine() { newLineWithLeading(-leading_, false); }

    // Derived values read by exporters.
    KXPDFRGB currentFillRGBColor() const;
    KXPDFRGB currentStrokeRGBColor() const;
    // Device colours from 0 to 1, alpha 1 (the alphas are separate); opaque black without a space.
    kx::Color currentFillColor() const;
    kx::Color currentStrokeColor() const;
    double currentStrokeAlpha() const { return strokeAlpha_; }
    double currentFillAlpha() const { return fillAlpha_; }
    // Text rendering modes 4 to 7 add the text to the clip instead of painting.
    bool isStateTextClip() const { return textRenderMode_ >= 4 && textRenderMode_ <= 7; }
    // A bare colour record converted through the device space of its component count (1, 3 or 4);
    // all zero for other counts.
    static KXPDFRGB RGBColorForPDFColor(const KXPDFColor& color);

    // Appends the path (in page space) to the clip list when the type is not 0 and the path is not
    // empty.
    void clipState(const kx::Path& path, std::int32_t type);
    // Applies the values of an extended graphics state that the state carries; nullptr applies
    // nothing.
    void setGraphicState(const KXPDFExtGState* state);

    double characterSpacing() const { return characterSpacing_; }
    void setCharacterSpacing(double v) { characterSpacing_ = v; }
    double wordSpacing() const { return wordSpacing_; }
    void setWordSpacing(double v) { wordSpacing_ = v; }
    double leading() const { return leading_; }
    void setLeading(double v) { leading_ = v; }
    double textRise() const { return textRise_; }
    void setTextRise(double v) { textRise_ = v; }
    std::int32_t textRenderMode() const { return textRenderMode_; }
    void setTextRenderMode(std::int32_t v) { textRenderMode_ = v; }
    // A factor (Tz 50 gives 0.5).
    double horizontalScaling() const { return horizontalScaling_; }
    void setHorizontalScaling(double v) { horizontalScaling_ = v; }
    const std::shared_ptr<KXPDFFont>& font() const { return font_; }
    void setFont(std::shared_ptr<KXPDFFont> font) { font_ = std::move(font); }
    double fontSize() const { return fontSize_; }
    void setFontSize(double v) { fontSize_ = v; }
    const kx::AffineTransform& lineMatrix() const { return lineMatrix_; }
    void setLineMatrix(const kx::AffineTransform& m) { lineMatrix_ = m; }
    const kx::AffineTransform& textMatrix() const { return textMatrix_; }
    void setTextMatrix(const kx::AffineTransform& m) { textMatrix_ = m; }
    const kx::AffineTransform& ctm() const { return ctm_; }
    void setCtm(const kx::AffineTransform& m) { ctm_ = m; }

    const std::shared_ptr<const KXPDFColorSpace>& fillColorSpace() const { return fillColorSpace_; }
    void setFillColorSpace(std::shared_ptr<const KXPDFColorSpace> s) { fillColorSpace_ = std::move(s); }
    const std::shared_ptr<const KXPDFColorSpace>& strokeColorSpace() const { return strokeColorSpace_; }
    void setStrokeColorSpace(std::shared_ptr<const KXPDFColorSpace> s) { strokeColorSpace_ = std::move(s); }
    const KXPDFColor& fillColor() const { return fillColor_; }
    void setFillColor(const KXPDFColor& c) { fillColor_ = c; }
    const KXPDFColor& strokeColor() const { return strokeColor_; }
    void setStrokeColor(const KXPDFColor& c) { strokeColor_ = c; }
    const std::shared_ptr<KXPDFPattern>& fillPattern() const { return fillPattern_; }
    void setFillPattern(std::shared_ptr<KXPDFPattern> p) { fillPattern_ = std::move(p); }
    const std::shared_ptr<KXPDFPattern>& strokePattern() const { return strokePattern_; }
    void setStrokePattern(std::shared_ptr<KXPDFPattern> p) { strokePattern_ = std::move(p); }

    std::int32_t blendMode() const { return blendMode_; }
    void setBlendMode(std::int32_t v) { blendMode_ = v; }
    bool fillOverprint() const { return fillOverprint_; }
    void setFillOverprint(bool v) { fillOverprint_ = v; }
    bool strokeOverprint() const { return strokeOverprint_; }
    void setStrokeOverprint(bool v) { strokeOverprint_ = v; }
    std::int16_t overprintMode() const { return overprintMode_; }
    void setOverprintMode(std::int16_t v) { overprintMode_ = v; }
    bool strokeAdjust() const { return strokeAdjust_; }
    void setStrokeAdjust(bool v) { strokeAdjust_ = v; }
    bool alphaFlag() const { return alphaFlag_; }
    void setAlphaFlag(bool v) { alphaFlag_ = v; }
    double strokeAlpha() const { return strokeAlpha_; }
    void setStrokeAlpha(double v) { strokeAlpha_ = v; }
    double fillAlpha() const { return fillAlpha_; }
    void setFillAlpha(double v) { fillAlpha_ = v; }
    // True while the soft-mask group of a graphics state is interpreted.
    bool isParseringExtGState() const { return isParseringExtGState_; }
    void setIsParseringExtGState(bool v) { isParseringExtGState_ = v; }
    bool haveSoftMask() const { return haveSoftMask_; }
    void setHaveSoftMask(bool v) { haveSoftMask_ = v; }
    // 3 for an Alpha soft mask, 15 for a Luminosity one.
    std::int32_t softMaskBlendMode() const { return softMaskBlendMode_; }
    void setSoftMaskBlendMode(std::int32_t v) { softMaskBlendMode_ = v; }

    double lineWidth() const { return lineWidth_; }
    void setLineWidth(double v) { lineWidth_ = v; }
    std::int32_t lineJoinStyle() const { return lineJoinStyle_; }
    void setLineJoinStyle(std::int32_t v) { lineJoinStyle_ = v; }
    std::int32_t lineCapStyle() const { return lineCapStyle_; }
    void setLineCapStyle(std::int32_t v) { lineCapStyle_ = v; }
    double lineFlatness() const { return lineFlatness_; }
    void setLineFlatness(double v) { lineFlatness_ = v; }
    double lineMiterLimit() const { return lineMiterLimit_; }
    void setLineMiterLimit(double v) { lineMiterLimit_ = v; }
    // Empty until a dash is set (and for a solid dash []).
    const std::vector<double>& lineDashPattern() const { return lineDashPattern_; }
    void setLineDashPattern(std::vector<double> v) { lineDashPattern_ = std::move(v); }
    std::int64_t lineDashPhase() const { return lineDashPhase_; }
    void setLineDashPhase(std::int64_t v) { lineDashPhase_ = v; }
    bool usesEvenOddFillRule() const { return usesEvenOddFillRule_; }
    void setUsesEvenOddFillRule(bool v) { usesEvenOddFillRule_ = v; }
    std::int64_t beginMarkedContent() const { return beginMarkedContent_; }
    void setBeginMarkedContent(std::int64_t v) { beginMarkedContent_ = v; }

    // The path under construction (user space until painted, then page space).
    const kx::Path& cgPath() const { return cgPath_; }
    kx::Path& mutableCgPath() { return cgPath_; }
    void setCgPath(kx::Path path) { cgPath_ = std::move(path); }
    // Pending clip: 0 none, 1 nonzero (W), 2 even-odd (W*).
    std::int32_t clip() const { return clip_; }
    void setClip(std::int32_t v) { clip_ = v; }
    // Clip paths added in this state and the states it was copied from, in page space. The list is
    // never intersected; a receiver that needs the effective clip combines it.
    const kx::ClipPathChain& clipBezierPaths() const { return clipBezierPaths_; }
    void setClipBezierPaths(kx::ClipPathChain paths) { clipBezierPaths_ = std::move(paths); }

    bool isParseringAnnotion() const { return isParseringAnnotion_; }
    void setIsParseringAnnotion(bool v) { isParseringAnnotion_ = v; }
    std::int64_t pdfAnnotionIndex() const { return pdfAnnotionIndex_; }
    void setPdfAnnotionIndex(std::int64_t v) { pdfAnnotionIndex_ = v; }

private:
    kx::AffineTransform lineMatrix_;
    kx::AffineTransform textMatrix_;
    kx::AffineTransform ctm_;
    double leading_ = 0;
    double wordSpacing_ = 0;
    double characterSpacing_ = 0;
    double horizontalScaling_ = 1.0;
    double textRise_ = 0;
    std::shared_ptr<KXPDFFont> font_;
    double fontSize_ = 0;
    std::shared_ptr<const KXPDFColorSpace> fillColorSpace_;
    std::shared_ptr<const KXPDFColorSpace> strokeColorSpace_;
    KXPDFColor fillColor_;
    KXPDFColor strokeColor_;
    std::shared_ptr<KXPDFPattern> fillPattern_;
    std::shared_ptr<KXPDFPattern> strokePattern_;
    std::int32_t blendMode_ = 0;
    bool fillOverprint_ = false;
    bool strokeOverprint_ = false;
    std::int16_t overprintMode_ = 0;
    bool strokeAdjust_ = false;
    std::int32_t textRenderMode_ = 0;
    bool alphaFlag_ = true;
    double strokeAlpha_ = 1.0;
    double fillAlpha_ = 1.0;
    bool isParseringExtGState_ = false;
    bool haveSoftMask_ = false;
    std::int32_t softMaskBlendMode_ = 0;
    double lineWidth_ = 1.0;
    std::int32_t lineJoinStyle_ = 0;
    std::int32_t lineCapStyle_ = 0;
    double lineFlatness_ = static_cast<double>(0.6f);
    double lineMiterLimit_ = 10.0;
    std::vector<double> lineDashPattern_;
    std::int64_t lineDashPhase_ = 0;
    bool usesEvenOddFillRule_ = false;
    std::int64_t beginMarkedContent_ = 0;
    kx::Path cgPath_;
    std::int32_t clip_ = ClipNone;
    kx::ClipPathChain clipBezierPaths_;
    bool isParseringAnnotion_ = false;
    std::int64_t pdfAnnotionIndex_ = 0;
};
