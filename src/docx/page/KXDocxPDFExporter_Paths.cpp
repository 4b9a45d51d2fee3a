// Painted paths reported by the interpreter become path runs of the page: those worth keeping
// (visible, not clipped away, not degenerate), simplified where the clip or their shape allows (a
// clipped rectangle becomes its visible part, a thin filled quadrilateral a stroked line), with
// their paint in RGB whatever colour space they were painted in. A near-white rectangle painted
// first on a page is its background: it takes the text it covers away and is not kept.

#include <algorithm>
#include <cmath>
#include <string>

#include "docx/model/KXDocxCounters.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXLineUtilites.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "pdf/annot/KXPDFAnnot.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/interpreter/KXPDFRenderStateStack.h"
#include "pdf/state/KXPDFCGPathUtilities.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/LeftOut.h"
#include "platform/Numeric.h"

namespace {

// A page that holds more paths than this takes no more; those painted after them are left out, and
// the page says so.
constexpr size_t kMaxPathRuns = 120000;
// From this many paths on, a page skips the clip's shape, the line conversion and the point list.
constexpr size_t kCrowdedPathRuns = 2000;
// Below this alpha a paint is not seen.
constexpr double kVisibleAlpha = 0.01;

bool isFinite(const kx::Rect& r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}

}  // namespace

bool KXDocxPDFExporter::isContentCurrentEmpty() const {
    const KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    return !page || (page->allRunTextBoxArray().empty() && page->allRunTextPathArray().empty() &&
                     page->allRunImageArray().empty() && page->allRunPathArray().empty());
}

void KXDocxPDFExporter::removeObjectsHidenBehindInRect(const kx::Rect& rect) {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    if (!page) return;
    std::erase_if(page->allRunTextArray(), [&rect](const auto& run) { return rect.contains(run->displayRect()); });
    std::erase_if(page->allRunPathArray(), [&rect](const auto& run) { return rect.contains(run->displayRect()); });
}

bool KXDocxPDFExporter::isUnderTextAnnotForPDFAnnotionIndex(KXPDFConentParser& parser, std::int64_t index) const {
    const KXPDFAnnot* annot = parser.annotForPDFAnnotionIndex(index);
    return annot && annot->type() && (*annot->type() == "Highlight" || *annot->type() == "Widget");
}

void KXDocxPDFExporter::didScanPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    const KXPDFRenderState* state = topState();
    if (!page || !state || isShouldCancel()) return;
    KXDocxRunPathArray& paths = page->allRunPathArray();
    if (path.isEmpty() || !(stroke || fill)) return;
    if (paths.size() > kMaxPathRuns) {
        static const std::string kPastRuns = "paths past the " + std::to_string(kMaxPathRuns + 1) + " a page holds";
        kx::LeftOut::note(kPastRuns);
        return;
    }
    if (path.elements().size() > kMostPagePathElements - pagePathElements_) {
        static const std::string kPastElements =
            "paths past the " + std::to_string(kMostPagePathElements) + " path elements a page holds";
        kx::LeftOut::note(kPastElements);
        return;
    }
    const kx::Rect reported = path.pathBoundingBox();
    if (reported.isNull() || reported.isInfinite() || !isFinite(reported)) return;

    const double fillAlpha = state->currentFillAlpha(), strokeAlpha = state->currentStrokeAlpha();
    if (stroke && fill ? (strokeAlpha < kVisibleAlpha && fillAlpha < kVisibleAlpha)
                       : (stroke ? strokeAlpha < kVisibleAlpha : fillAlpha < kVisibleAlpha))
        return;

    const kx::AffineTransform& toDisplay = currentPageTransform();
    const kx::AffineTransform paint = paintTransform();
    double width = std::max(KXLineUtilites::LineWidthApplyTransform(state->lineWidth(), paint), 0.1);
    if (!std::isfinite(width)) return;
    kx::Path shown = path.transformed(toDisplay);
    std::vector<kx::Point> points = KXLineUtilites::NSArrayFromCGPath(shown);
    if (points.size() < 2) return;

    const bool crowded = paths.size() >= kCrowdedPathRuns;
    const auto& clips = state->clipBezierPaths();
    if (!clips.empty() && !crowded) {
        kx::Rect clipBox;
        if (!isPathInsideClip(path, width, &clipBox)) return;  // wholly outside its clip
        if (fill && points.size() <= 6) {
            const kx::Rect box = path.boundingBox();
            const kx::Rect visible = box.intersection(clipBox);
            if (KXRectEqualWithTolerance(box, clipBox, 1.0)) {
                // Filled by its own clip: the clip's shape, when it has more to it, is the shape.
                std::optional<kx::Path> clipPath = clips.front() ? KXPDFCGPathUtilities::CGPathWithNSArray(clips.front()->pathArray())
                                                                 : std::nullopt;
                if (clipPath && KXLineUtilites::NSArrayFromCGPath(*clipPath).size() > points.size())
                    shown = clipPath->transformed(toDisplay);
            } else if (shown.isRect() && !clipBox.contains(box) && !visible.isNull() && visible.width() > 0.1 &&
                       visible.height() > 0.1) {
                // A rectangle the clip cuts is its visible part.
                kx::Path part;
                part.addRect(visible);
                shown = part.transformed(toDisplay);
                points = KXLineUtilites::NSArrayFromCGPath(shown);
            }
        }
    }

    kx::Rect box = shown.pathBoundingBox();
    if (box.isNull() || box.isInfinite() || !isFinite(box)) return;
    if (stroke) {
        if (box.size.width < 0.001) {
            box.origin.x -= width / 2;
            box.size.width = width;
        } else if (box.size.height < 0.001) {
            box.origin.y -= width / 2;
            box.size.height = width;
        }
    }
    if (box.size.width < 0.001 || box.size.height < 0.001) return;

    if (fill && !stroke && isContentCurrentEmpty()) {
        const KXPDFRGB rgb = fillRGB();
        if (rgb.r >= 251 && rgb.g >= 251 && rgb.b >= 251) {
            // The page's background: what it covers was painted over.
            removeObjectsHidenBehindInRect(box);
            return;
        }
    }

    // A filled quadrilateral thinner than 5 points one way is a line.
    std::optional<kx::Path> line;
    if (!crowded && fill && !stroke) {
        std::optional<std::vector<kx::Point>> corners = KXLineUtilites::NSArrayFromCGPath_NoCurve(shown);
        if (corners && corners->size() >= 2 && KXLineUtilites::IsQuadrilateralLikeLine(*corners, 5.0)) {
            double lineWidth = width;
            std::optional<std::vector<kx::Point>> ends = KXLineUtilites::ConvertRectangeToLine(*corners, &lineWidth);
            if (ends && !ends->empty()) {
                line = KXLineUtilites::CGPathFromLinePointArray(*ends);
                width = lineWidth;
            }
        }
    }

    KXDocxPathInfo info;
    info.displayX = box.origin.x;
    info.displayY = box.origin.y;
    info.displayWidth = box.size.width;
    info.displayHeight = box.size.height;
    info.setFillAlpha(static_cast<float>(fillAlpha));
    info.setStrokeAlpha(static_cast<float>(strokeAlpha));
    // Colours in any colour space, converted to RGB through it.
    const kx::Color strokeColor = state->currentStrokeColor(), fillColor = state->currentFillColor();
    if (line) {
        info.setStrokecolor(fillColor);
        info.setFillcolor(strokeColor);
        info.setStroked(true);
        info.setFilled(false);
        info.setStrokeAlpha(static_cast<float>(fillAlpha));
        info.setFillAlpha(static_cast<float>(strokeAlpha));
    } else {
        info.setStrokecolor(strokeColor);
        info.setFillcolor(fillColor);
        info.setStroked(stroke);
        info.setFilled(fill);
    }
    info.setStrokeweight(width);
    info.setStrokeDashPattern(state->lineDashPattern());
    info.setStrokeDashPhase(state->lineDashPhase());

    // The path ends the text box or text path in progress, which comes before it in reading order.
    closeTextForPicture();

    auto run = std::make_shared<KXDocxRunPath>();
    run->setIsExtGStateSMask(state->isParseringExtGState());
    run->setIsAnnotion(state->isParseringAnnotion());
    run->setPdfAnnotionIndex(state->pdfAnnotionIndex());
    run->setPdfScanIndex(nextScanIndex());
    run->setPictZIndex(KXDocxCounters::sharedInstance().nextShapeZIndex());
    // Highlights and form fields lie under the text.
    if (state->isParseringAnnotion() && isUnderTextAnnotForPDFAnnotionIndex(parser, state->pdfAnnotionIndex()))
        run->setPdfScanIndex(0);
    run->setPictInfo(info);
    run->setRProperty(currentRProperty(currentDisplayTextTransform()));
    run->setClipBezierPaths(clips);
    run->setRunCGPath(line ? *line : shown);
    if (!crowded) run->setRunLinePointArray(std::move(points));
    pagePathElements_ += path.elements().size();

    if (state->isParseringExtGState() || !state->haveSoftMask()) {
        paths.push_back(std::move(run));
        return;
    }
    // The first path under a soft mask uses the mask up.
    if (const auto& stack = parser.renderingStateStack()) stack->topRenderingState().setHaveSoftMask(false);
    if (state->softMaskBlendMode() != 0 && cutSoftMaskPictureWithPath(*run)) return;
    // An unusable mask, or no picture to cut: the path is shown as painted.
    paths.push_back(std::move(run));
}
