#pragma once
// A line annotation: a straight line between two points with an optional shape at either end.
// Without an appearance stream it reports the line and its endings as one stroked path, filled with
// the interior colour when an end has a shape and /IC is given. The class also owns the vocabulary
// and the geometry of line endings, which free-text callouts share.

#include <optional>

#include "pdf/annot/KXPDFAnnotMarkup.h"
#include "platform/Path.h"

class KXPDFAnnotLine : public KXPDFAnnotMarkup {
public:
    KXPDFAnnotLine();
    explicit KXPDFAnnotLine(const kx::PDFObject& dictionary);

    // /LE names to ending codes: 0 Square, 1 Circle, 2 Diamond, 3 OpenArrow, 4 ClosedArrow, 5 none,
    // 6 Butt, 7 ROpenArrow, 8 RClosedArrow, 9 Slash; anything else (None included) 5.
    static std::int64_t PDFAnnotLineEndingStyleForSubtype(const std::optional<std::string>& name);
    // Maps the local x axis onto the direction from s to e (length `length`), origin at s.
    static kx::AffineTransform GetTransformWithStart(kx::Point s, kx::Point e, double length);
    static void GetAxisAlignedDiamondPoints(kx::Point points[4], double length, double headWidth, double headLength);
    // An arrowhead with its tip on e opening back toward s; nullopt when s and e coincide (there is
    // no direction to point in).
    static std::optional<kx::Path> EndingArrowFromPoint(kx::Point s, kx::Point e, double headWidth, double headLength,
                                                        bool closed);
    static std::optional<kx::Path> EndingDiamondFromPoint(kx::Point s, kx::Point e, double headWidth,
                                                          double headLength);
    static std::optional<kx::Path> ArrowPathFrom(kx::Point s, kx::Point e, double lineWidth, bool closed);
    static std::optional<kx::Path> DiamondPathFrom(kx::Point s, kx::Point e, double lineWidth);
    // The ending of `style` in its box, pointing from s to e; nullopt for styles that draw nothing.
    static std::optional<kx::Path> KXDFFAnnotLineEndingPathForStyle(std::int64_t style, const kx::Rect& rect,
                                                                    kx::Point s, kx::Point e, double lineWidth);

    kx::Point startPoint() const { return startPoint_; }
    void setStartPoint(kx::Point p) { startPoint_ = p; }
    kx::Point endPoint() const { return endPoint_; }
    void setEndPoint(kx::Point p) { endPoint_ = p; }
    std::int64_t startLineStyle() const { return startLineStyle_; }
    void setStartLineStyle(std::int64_t v) { startLineStyle_ = v; }
    std::int64_t endLineStyle() const { return endLineStyle_; }
    void setEndLineStyle(std::int64_t v) { endLineStyle_ = v; }
    const KXPDFColor& interiorColor() const { return interiorColor_; }
    void setInteriorColor(const KXPDFColor& v) { interiorColor_ = v; }
    double leaderLineLength() const { return leaderLineLength_; }
    void setLeaderLineLength(double v) { leaderLineLength_ = v; }
    double leaderLineExtension() const { return leaderLineExtension_; }
    void setLeaderLineExtension(double v) { leaderLineExtension_ = v; }
    bool caption() const { return caption_; }
    void setCaption(bool v) { caption_ = v; }
    // /IT: 1 "LineArrow", 0 "LineDimension".
    std::int64_t intent() const { return intent_; }
    void setIntent(std::int64_t v) { intent_ = v; }
    double leaderLineOffset() const { return leaderLineOffset_; }
    void setLeaderLineOffset(double v) { leaderLineOffset_ = v; }
    // /CP: 0 "Inline", 1 "Top".
    std::int64_t captionPos() const { return captionPos_; }
    void setCaptionPos(std::int64_t v) { captionPos_ = v; }
    double captionTextHorizontal() const { return captionTextHorizontal_; }
    void setCaptionTextHorizontal(double v) { captionTextHorizontal_ = v; }
    double captionTextVertical() const { return captionTextVertical_; }
    void setCaptionTextVertical(double v) { captionTextVertical_ = v; }

protected:
    void drawWithoutAppearance(KXPDFAnnotDelegate& receiver) override;

private:
    bool caption_ = false;
    std::int64_t startLineStyle_ = 5;
    std::int64_t endLineStyle_ = 5;
    double leaderLineLength_ = 0;
    double leaderLineExtension_ = 0;
    std::int64_t intent_ = 0;
    double leaderLineOffset_ = 0;
    std::int64_t captionPos_ = 0;
    double captionTextHorizontal_ = 0;
    double captionTextVertical_ = 0;
    kx::Point startPoint_;
    kx::Point endPoint_;
    KXPDFColor interiorColor_;
};
