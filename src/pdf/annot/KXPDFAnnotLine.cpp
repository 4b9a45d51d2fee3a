#include "pdf/annot/KXPDFAnnotLine.h"

#include <cmath>

#include "pdf/annot/KXPDFAnnotDelegate.h"
#include "pdf/annot/KXPDFAnnot_p.h"
#include "pdf/annot/KXPDFBorderBS.h"
#include "pdf/state/KXPDFRenderState.h"
#include "util/PDFObjectValues.h"

KXPDFAnnotLine::KXPDFAnnotLine() : interiorColor_(kx::detail::annotNullColor()) {}

KXPDFAnnotLine::KXPDFAnnotLine(const kx::PDFObject& dictionary)
    : KXPDFAnnotMarkup(dictionary), interiorColor_(kx::detail::annotNullColor()) {
    kx::PDFObject l = dictionary.dictGet("L");
    if (l.isArray()) {
        kx::pdfNumberInArray(l, 0, startPoint_.x);
        kx::pdfNumberInArray(l, 1, startPoint_.y);
        kx::pdfNumberInArray(l, 2, endPoint_.x);
        kx::pdfNumberInArray(l, 3, endPoint_.y);
    }
    kx::PDFObject le = dictionary.dictGet("LE");
    if (le.isArray()) {
        startLineStyle_ = PDFAnnotLineEndingStyleForSubtype(kx::detail::annotKeyString(le, 0));
        endLineStyle_ = PDFAnnotLineEndingStyleForSubtype(kx::detail::annotKeyString(le, 1));
    }
    interiorColor_ = kx::detail::annotColorFromArray(dictionary.dictGet("IC"));

    kx::pdfNumberInDictionary(dictionary, "LL", leaderLineLength_);
    kx::pdfNumberInDictionary(dictionary, "LLE", leaderLineExtension_);
    if (leaderLineExtension_ < 0) leaderLineExtension_ = 0;
    dictionary.dictGet("Cap").getBoolean(caption_);
    intent_ = dictionary.dictGet("IT").isName("LineArrow") ? 1 : 0;
    kx::pdfNumberInDictionary(dictionary, "LLO", leaderLineOffset_);
    captionPos_ = dictionary.dictGet("CP").isName("Top") ? 1 : 0;
    kx::PDFObject co = dictionary.dictGet("CO");
    if (co.isArray() && co.arrayCount() == 2) {
        kx::pdfNumberInArray(co, 0, captionTextHorizontal_);
        kx::pdfNumberInArray(co, 1, captionTextVertical_);
    }

    setBorder(kx::detail::annotBorderStyle(dictionary.dictGet("BS")));
}

std::int64_t KXPDFAnnotLine::PDFAnnotLineEndingStyleForSubtype(const std::optional<std::string>& name) {
    if (!name) return 5;
    static const char* const names[] = {"Square", "Circle", "Diamond", "OpenArrow", "ClosedArrow",
                                        nullptr,  "Butt",   "ROpenArrow", "RClosedArrow", "Slash"};
    for (std::int64_t code = 0; code < 10; ++code)
        if (names[code] && *name == names[code]) return code;
    return 5;
}

kx::AffineTransform KXPDFAnnotLine::GetTransformWithStart(kx::Point s, kx::Point e, double length) {
    double dx = e.x - s.x, dy = e.y - s.y;
    return {dx / length, dy / length, -dy / length, dx / length, s.x, s.y};
}

void KXPDFAnnotLine::GetAxisAlignedDiamondPoints(kx::Point points[4], double length, double headWidth,
                                                 double headLength) {
    points[0] = {length - headLength, 0};
    points[1] = {length - headLength / 2, headWidth / 2};
    points[2] = {length, 0};
    points[3] = {length - headLength / 2, -headWidth / 2};
}

namespace {

// The distance from s to e in single precision; 0 (no direction) also when it is not finite.
double endingLength(kx::Point s, kx::Point e) {
    float length = std::hypot(static_cast<float>(e.x - s.x), static_cast<float>(e.y - s.y));
    return std::isfinite(length) ? length : 0.0;
}

}  // namespace

std::optional<kx::Path> KXPDFAnnotLine::EndingArrowFromPoint(kx::Point s, kx::Point e, double headWidth,
                                                             double headLength, bool closed) {
    double length = endingLength(s, e);
    if (length <= 0) return std::nullopt;
    kx::Path local;
    local.moveTo({length - headLength, headWidth / 2});
    local.lineTo({length, 0});
    local.lineTo({length - headLength, -headWidth / 2});
    if (closed)
        local.closeSubpath();
    else
        local.lineTo({length, 0});
    return local.transformed(GetTransformWithStart(s, e, length));
}

std::optional<kx::Path> KXPDFAnnotLine::EndingDiamondFromPoint(kx::Point s, kx::Point e, double headWidth,
                                                               double headLength) {
    double length = endingLength(s, e);
    if (length <= 0) return std::nullopt;
    kx::Point points[4];
    GetAxisAlignedDiamondPoints(points, length, headWidth, headLength);
    kx::Path local;
    local.moveTo(points[0]);
    for (int i = 1; i < 4; ++i) local.lineTo(points[i]);
    local.closeSubpath();
    return local.transformed(GetTransformWithStart(s, e, length));
}

std::optional<kx::Path> KXPDFAnnotLine::ArrowPathFrom(kx::Point s, kx::Point e, double lineWidth, bool closed) {
    return EndingArrowFromPoint(s, e, 3 * lineWidth, 3 * lineWidth, closed);
}

std::optional<kx::Path> KXPDFAnnotLine::DiamondPathFrom(kx::Point s, kx::Point e, double lineWidth) {
    return EndingDiamondFromPoint(s, e, 3 * lineWidth, 3 * lineWidth);
}

std::optional<kx::Path> KXPDFAnnotLine::KXDFFAnnotLineEndingPathForStyle(std::int64_t style, const kx::Rect& rect,
                                                                         kx::Point s, kx::Point e, double lineWidth) {
    kx::Path path;
    switch (style) {
    case 0: path.addRect(rect); return path;
    case 1: path.addEllipseInRect(rect); return path;
    case 2: return DiamondPathFrom(s, e, lineWidth);
    case 3: return ArrowPathFrom(s, e, lineWidth, false);
    case 4: return ArrowPathFrom(s, e, lineWidth, true);
    default: return std::nullopt;
    }
}

void KXPDFAnnotLine::drawWithoutAppearance(KXPDFAnnotDelegate& receiver) {
    KXPDFRenderState* state = receiver.KXPDFAnnotCurrentRenderingState();
    if (!state) return;
    auto rgb = kx::detail::annotRGBSpace("KXPDFAnnotLine");

    kx::Path path;
    path.moveTo(startPoint_);
    path.lineTo(endPoint_);
    path.closeSubpath();

    // Endings sit in boxes twice the border width (4 for hairlines) centred on the end points and
    // point outward along the line. A line whose ends coincide has no direction: it keeps no endings.
    double width = border() ? border()->lineWidth() : 0;
    double box = width > static_cast<double>(0.1f) ? 2 * width : 4.0;
    if (startPoint_ != endPoint_) {
        kx::Rect startBox(startPoint_.x - box / 2, startPoint_.y - box / 2, box, box);
        kx::Rect endBox(endPoint_.x - box / 2, endPoint_.y - box / 2, box, box);
        if (auto ending = KXDFFAnnotLineEndingPathForStyle(startLineStyle_, startBox, endPoint_, startPoint_, box / 2))
            path.addPath(*ending);
        if (auto ending = KXDFFAnnotLineEndingPathForStyle(endLineStyle_, endBox, startPoint_, endPoint_, box / 2))
            path.addPath(*ending);
    }

    state->setCgPath(path);
    kx::detail::annotSetStroke(*state, rgb, displayColor(), border());
    bool fill = false;
    if (!(startLineStyle_ == 5 && endLineStyle_ == 5) && !interiorColor_.isNull) {
        kx::detail::annotSetFill(*state, rgb, interiorColor_);
        fill = true;
    }
    receiver.didScanPath(*this, path, true, fill);
}
