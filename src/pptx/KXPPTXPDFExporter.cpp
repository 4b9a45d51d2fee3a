#include "pptx/KXPPTXPDFExporter.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>

#include "capture/WordGaps.h"
#include "docx/model/KXDocxPathCanvas.h"
#include "docx/model/KXLineUtilites.h"
#include "engine/KXPDFOptions.h"
#include "fonts/KXPDFFont.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFFontUtilities.h"
#include "pdf/state/KXPDFCGPathUtilities.h"
#include "pdf/state/KXPDFRenderState.h"
#include "pdf/state/KXPDFClipPath.h"
#include "pdf/xobject/KXPDFImageXObject.h"
#include "platform/Format.h"
#include "platform/ImageDecoding.h"
#include "platform/ImageSamples.h"
#include "platform/LeftOut.h"
#include "platform/Numeric.h"
#include "pptx/KXPPTXFreeform.h"
#include "pptx/KXPPTXImageInfo.h"
#include "pptx/KXPPTXPage.h"
#include "pptx/KXPPTXPicture.h"
#include "pptx/KXPPTXTextbox.h"
#include "pptx/KXPPTXUtilities.h"
#include "pptx/KXPPTXWriter.h"
#include "pptx/PPTXCaptureDocument_p.h"

namespace {

// The longest and the shortest side a slide is given, in points.
constexpr double kLongestSide = 1583.0;
constexpr double kShortestSide = 72.0;
// A string this far across the text from the last one (or further) starts a new box.
constexpr double kNextLineLimit = 96.0;
// The most blanks a gap on one line becomes.
constexpr int kMostBlanks = 200;
// A string whose baseline lies this far from the last one's, as a share of the taller of the two,
// is on another line (a raised or lowered figure, half the type's height off at most, stays nearer).
constexpr double kLineStepShare = 0.75;
// The most freeforms a slide holds, and the most elements of their paths: beyond either, its paths
// are one picture. (A thousand shapes is what a page of a document keeps as shapes too; fifty
// thousand elements make some fifteen megabytes of slide.)
constexpr std::size_t kMostFreeforms = 1000;
constexpr std::size_t kMostPathElements = 50000;
// The most elements one freeform takes: each point is two guides of its geometry, and LibreOffice
// draws nothing of a freeform of more than 32,767 points (65,535 guides); a longer path goes into
// the picture of the slide's paths.
constexpr std::size_t kMostFreeformElements = 32000;
// The most pictures a slide holds: later ones are drawn into the picture of its paths.
constexpr std::size_t kMostPictures = 500;
// Pictures cut by a clip are drawn at this resolution; shadings and patterns at twice the points.
constexpr double kClipDPI = 144.0;
constexpr double kPictureScale = 2.0;

constexpr double kPi = 3.14159265358979323846;

kx::Point direction(double degrees) {
    const double r = degrees * kPi / 180.0;
    return {std::cos(r), std::sin(r)};
}

double dot(const kx::Point& a, const kx::Point& b) { return a.x * b.x + a.y * b.y; }

// A box turned a quarter either way.
bool isTurned(double angle) { return angle == 90 || angle == 270; }

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == 0xA0 || c == 0x3000; }
bool isHyphen(char16_t c) { return c == u'-' || c == 0xAD || c == 0x2010; }

// The runs' numbers: one counter for the whole process, never reset.
std::atomic<std::uint64_t> runCounter{0};

// The font's ascent as a share of its height, as the glyph geometry takes it.
double normalizedAscent(const KXPDFFont* font) {
    if (!font) return 0;
    const double a = font->ascent(), d = font->descent();
    const double h = a - d;
    return (h != 1 && h != 0 && std::isfinite(h)) ? a / h : a;
}

// Slanted or unevenly scaled glyphs are drawn as italic: the axes of the text transform meet at
// more than about six degrees off the right angle, or differ in length by more than a tenth. Both
// hold however the text is turned: the ratio |(a + c) / (b + d)| of the transform's sums changes
// with the turn alone (0 at 45 degrees, about 0.27 at 30, no divisor at -45), and would set
// upright glyphs of a turned line in italic. A transform without area shows no slant.
bool isSlanted(const kx::AffineTransform& t) {
    const double cross = t.a * t.d - t.b * t.c;
    const double x = std::hypot(t.a, t.b), y = std::hypot(t.c, t.d);
    if (!(std::fabs(cross) > 0) || !(x > 0) || !(y > 0) || !std::isfinite(cross)) return false;
    const double shear = std::fabs(t.a * t.c + t.b * t.d) / std::fabs(cross);
    const double ratio = x / y;
    return shear > 0.1 || ratio > 1.1 || ratio < 0.9;
}

}  // namespace

KXPPTXPDFExporter::KXPPTXPDFExporter() = default;

KXPPTXPDFExporter::~KXPPTXPDFExporter() = default;

KXPPTXWriter* KXPPTXPDFExporter::pdfWriter() const { return document_ ? document_->writer() : nullptr; }

KXPPTXPage* KXPPTXPDFExporter::currentSlide() const {
    KXPPTXWriter* writer = pdfWriter();
    return writer ? writer->currentPage() : nullptr;
}

bool KXPPTXPDFExporter::isContentCurrentEmpty() const {
    KXPPTXPage* slide = currentSlide();
    return !slide || slide->sharepsArr().empty();
}

kx::CaptureDocument* KXPPTXPDFExporter::openDocument(const std::string& destPath,
                                                     const std::shared_ptr<kx::PDFDocument>&) {
    document_ = std::make_unique<kx::detail::PPTXCaptureDocument>(
        destPath, static_cast<std::int64_t>(numberOfPagesToConvert()));
    document_->setBeforeSlideEnds([this] { placePathPicture(); });
    pathPicture_.reset();
    freeformsOnSlide_ = pathElementsOnSlide_ = picturesOnSlide_ = 0;
    return document_.get();
}

// ---- The slide ----

double KXPPTXPDFExporter::slideScale(double width, double height) {
    const double longer = std::max(width, height), shorter = std::min(width, height);
    if (!(shorter > 0) || !std::isfinite(longer)) return 1;
    if (longer > kLongestSide) return kLongestSide / longer;
    if (shorter < kShortestSide) return std::min(kShortestSide / shorter, kLongestSide / longer);
    return 1;
}

KXPDFPageGeometry KXPPTXPDFExporter::pageGeometryOf(const kx::PDFPage& page) const {
    KXPDFPageGeometry g = KXPDFPageGeometry::ofPage(page);
    // The crop box as shown: wherever its origin lies and however the page turns, its corners
    // under the page transform give the slide's area.
    kx::Rect shown(0, 0, g.mediaBox.size.width, g.mediaBox.size.height);
    if (!g.pdfCropBox.isNull() && !g.pdfCropBox.isInfinite()) {
        const kx::Rect& c = g.pdfCropBox;
        const kx::Point corners[4] = {g.pageTransform.apply(kx::Point{c.minX(), c.minY()}),
                                      g.pageTransform.apply(kx::Point{c.maxX(), c.minY()}),
                                      g.pageTransform.apply(kx::Point{c.maxX(), c.maxY()}),
                                      g.pageTransform.apply(kx::Point{c.minX(), c.maxY()})};
        double x0 = corners[0].x, y0 = corners[0].y, x1 = x0, y1 = y0;
        for (const kx::Point& p : corners) {
            x0 = std::min(x0, p.x);
            y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x);
            y1 = std::max(y1, p.y);
        }
        if (x1 - x0 > 0 && y1 - y0 > 0) shown = kx::Rect(x0, y0, x1 - x0, y1 - y0);
    }
    const double scale = slideScale(shown.size.width, shown.size.height);
    g.pageTransform = kx::concat(kx::concat(g.pageTransform, kx::AffineTransform::makeTranslation(-shown.origin.x, -shown.origin.y)),
                                 kx::AffineTransform::makeScale(scale, scale));
    g.cropBox = g.mediaBox = kx::Rect(0, 0, shown.size.width * scale, shown.size.height * scale);
    return g;
}

// ---- Text ----

kx::Point KXPPTXPDFExporter::textTop(const kx::AffineTransform& t, double angle) const {
    const double rise = normalizedAscent(currentFont()) * shownFontSize();
    return {angle == 0 ? t.tx : t.tx + t.c * rise, t.ty + t.d * rise};
}

KXPPTX_RunPr KXPPTXPDFExporter::currentRProperty() const {
    const KXPDFFont* font = currentFont();
    if (!font) return KXPPTXUtilities::defaultRunProperty();
    const kx::AffineTransform t = currentDisplayTextTransform();
    return *sharedStyle<KXPPTX_RunPr>(t, [&] {
        KXPPTX_RunPr r = KXPPTXUtilities::defaultRunProperty();
        r.sz = static_cast<float>(std::max(5.0, kx::finiteOr(shownFontSize() * std::hypot(t.a, t.b), 5.0)));
        std::string typeface = !font->fontName().empty()         ? font->fontName()
                               : !font->fontFamilyName().empty() ? font->fontFamilyName()
                                                                 : std::string("Unknow Font");
        const std::string& replacement = font->fontSystemReplaceName();
        if (!replacement.empty() && !KXPDFFontUtilities::SystemFontNameIsExist(typeface) &&
            KXPDFFontUtilities::SystemFontNameIsExist(replacement))
            typeface = replacement;
        r.latin.typeface = r.cs.typeface = typeface;
        r.latin.typeface_replace = r.cs.typeface_replace = replacement;
        const KXPDFFontDescriptor* descriptor = font->fontDescriptor();
        const int mode = topState() ? topState()->textRenderMode() : 0;
        r.b = KXPDFFontUtilities::isBoldFontName(font->baseFontName_New()) || (descriptor && descriptor->isBold()) ||
              mode == 2 || mode == 6;
        r.i = KXPDFFontUtilities::isItalicFontName(font->baseFontName_New()) ||
              (descriptor && descriptor->isItalic()) || isSlanted(t);
        const KXPDFRGB rgb = fillRGB();
        r.rgbColor = kx::format("%02x%02x%02x", rgb.r & 0xFF, rgb.g & 0xFF, rgb.b & 0xFF);
        return r;
    });
}

void KXPPTXPDFExporter::openTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g,
                                    double angle) {
    KXPPTXPage* slide = currentSlide();
    if (!slide) return;
    const kx::AffineTransform t = currentDisplayTextTransform();
    KXPPTXTextBoxInfo info;
    const kx::Point top = textTop(t, angle);
    info.displayX = top.x;
    info.displayY = top.y;
    info.rotation = angle;
    info.strokeweight = 1.0;
    if (const KXPDFRenderState* state = topState()) {
        info.strokeDashPattern = state->lineDashPattern();
        info.strokeDashPhase = state->lineDashPhase();
        info.strokecolor = state->currentStrokeColor();
        info.fillcolor = state->currentFillColor();
    }
    boxAnchor_ = top;
    boxAngle_ = angle;
    slide->setIsUsingTextBox(true);
    slide->setCachedTextBoxInfo(info);
    slide->cachedTextBoxParagraphs().clear();
    KXPPTX_PPr& p = slide->cachedTextBoxNewParagraph().pProperty();
    p.marL = 0;
    p.lnSpc = g.fontSize.height;
    p.tabList = {0, "l"};
    appendPPTXTextBox(text, offset, 0);
}

void KXPPTXPDFExporter::newParagraph(const kx::Point& top, double lineSpacing, double) {
    KXPPTXPage* slide = currentSlide();
    KXPPTX_PPr& p = slide->cachedTextBoxNewParagraph().pProperty();
    // The paragraph's start from the box's, along the line (never before the box: the margin of a
    // paragraph is not negative).
    const double indent = isTurned(boxAngle_) ? dot({top.x - boxAnchor_.x, top.y - boxAnchor_.y}, direction(boxAngle_))
                                              : top.x - boxAnchor_.x;
    p.marL = std::max(0.0, kx::finiteOr(indent, 0.0));
    p.lnSpc = lineSpacing;
    p.tabList = {0, "l"};
}

double KXPPTXPDFExporter::textBoxAngle(double rotation) const {
    if (rotation > 85 && rotation < 95) return 90;
    if (rotation > 265 && rotation < 275) return 270;
    if (rotation < 5) return 0;
    return rotation;
}

kx::TextBoxStep KXPPTXPDFExporter::continueTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g) {
    KXPPTXPage* slide = currentSlide();
    if (!slide) return kx::TextBoxStep::Kept;
    // A string a few degrees off the box's own direction goes on in it (the angles below 5
    // degrees are all the box's 0): a line drawn character by character at 2 degrees stays one
    // box instead of a box for each character.
    if (textBoxAngle(g.rotation) != openTextBoxAngle()) return kx::TextBoxStep::OpensAnotherBox;
    const kx::AffineTransform t = currentDisplayTextTransform();
    const double height = g.fontSize.height;
    const KXPDFFont* font = currentFont();
    const double spaceInText = (font ? font->widthOfSpace() : 0.0) * fontSize();
    const bool turned = isTurned(boxAngle_);
    // The gap from where the last string ended, along the line, and the offset across it.
    double gap, shift, space;
    if (turned) {
        // Text turned a quarter is measured in its own direction, the next line lying the way its
        // glyphs' feet point, whichever way the box turns.
        const kx::Point along = direction(boxAngle_);
        const kx::Point across{-along.y, along.x};
        const kx::Point step{t.tx - nextCharTransform().tx, t.ty - nextCharTransform().ty};
        gap = dot(step, along);
        shift = dot(step, across);
        space = spaceInText * std::hypot(t.a, t.b);
    } else {
        const kx::Point& p = nextCharCTMInfo().bottomLeft;
        gap = g.bottomLeft.x - p.x;
        shift = g.bottomLeft.y - p.y;
        space = convertToDisplaySpaceWidth(spaceInText).width;
    }
    if (!std::isfinite(gap) || !std::isfinite(shift)) return kx::TextBoxStep::OpensAnotherBox;

    if (shift > -height && shift < height) {
        if (gap >= -space) {
            // As many blanks as the gap holds whole space widths (none for a space width of 0 or
            // a quotient beyond a 32-bit count), at most kMostBlanks.
            const float quotient = static_cast<float>(gap / space);
            int blanks = 0;
            if (std::isfinite(quotient) && quotient > 0 && quotient < 2147483648.0f)
                blanks = std::min(static_cast<int>(std::floor(quotient)), kMostBlanks);
            // A gap that parts two words is a blank, however much narrower than the font's space
            // it is: tightly justified lines and lines set without space characters (their words
            // placed apart) would otherwise run their words together. So is the step to the next
            // line where lines lie closer than their height (a line's end and the next line's
            // start are two words too), unless a hyphen splits a word there.
            const KXPPTXRun* last = slide->cachedTextBoxLastParagraph().lastRunText();
            const char16_t end = last && !last->text.empty() ? last->text.back() : u' ';
            if (blanks == 0 && !text.empty() && !isBlank(text.front()) && !isBlank(end)) {
                // Baseline to baseline (a raised figure's small type ends higher than the text's).
                const kx::Point step{t.tx - nextCharTransform().tx, t.ty - nextCharTransform().ty};
                const double rise = turned ? shift : step.y;
                const bool nextLine =
                    std::fabs(rise) >= kLineStepShare * std::max(height, nextCharCTMInfo().fontSize.height);
                if (nextLine ? !isHyphen(end) : kx::separatesWords(gap, g.fontSize.width)) blanks = 1;
            }
            appendPPTXTextBox(std::u16string(static_cast<size_t>(blanks), u' ') + text, offset, blanks * space);
            return kx::TextBoxStep::Kept;
        }
        // Well left of where the last string ended: a new paragraph of the box.
        newParagraph(textTop(t, boxAngle_), shift, height);
        appendPPTXTextBox(text, offset, 0);
        return kx::TextBoxStep::Kept;
    }
    const kx::Point top = textTop(t, boxAngle_);
    // Where the string starts along the line, from the box's start: it must not lie before it.
    // (A hundredth of a point of rounding in the turned geometry does not put a line before the box.)
    const bool beforeTheBox = turned ? dot({top.x - boxAnchor_.x, top.y - boxAnchor_.y}, direction(boxAngle_)) < -0.01
                                     : top.x < boxAnchor_.x;
    if (shift >= height && shift < kNextLineLimit && !beforeTheBox) {
        newParagraph(top, shift, height);
        appendPPTXTextBox(text, offset, 0);
        return kx::TextBoxStep::Kept;
    }
    return kx::TextBoxStep::OpensAnotherBox;
}

void KXPPTXPDFExporter::appendPPTXTextBox(const std::u16string& text, kx::Size offset, double blankWidth) {
    KXPPTXPage* slide = currentSlide();
    if (!slide) return;
    const kx::AffineTransform t = currentDisplayTextTransform();
    const double height = geometry(t).fontSize.height;
    KXPPTXParagraph& paragraph = slide->cachedTextBoxLastParagraph();
    KXPPTXRun* run = paragraph.lastRunText();
    const KXPPTX_RunPr r = currentRProperty();
    if (!run || !KXPPTXRunPrIsEqual(r, run->rProperty)) {
        auto made = std::make_unique<KXPPTXRun>();
        made->pdfScanIndex = runCounter++;
        made->rProperty = r;
        run = made.get();
        paragraph.runArray().push_back(std::move(made));
        double& spacing = paragraph.pProperty().lnSpc;
        spacing = std::isnan(spacing) ? height : std::max(spacing, height);
    }
    run->text += text;
    advanceNextChar(offset);
    const kx::AffineTransform& next = nextCharTransform();
    // The string's advance along the line: down or up the slide in a box turned a quarter,
    // across it otherwise.
    const double advance = isTurned(boxAngle_) ? std::fabs(dot({next.tx - t.tx, next.ty - t.ty}, direction(boxAngle_)))
                                               : std::fabs(next.tx - t.tx);
    run->textWidth += kx::finiteOr(advance, 0.0) + blankWidth;
}

void KXPPTXPDFExporter::closeTextBox() {
    KXPPTXPage* slide = currentSlide();
    if (!slide || !slide->isUsingTextBox()) return;
    KXPPTXTextBoxInfo info = slide->cachedTextBoxInfo();
    const double along = slide->cachedTextBoxWidthMax() + 10.0;
    const double across = slide->cachedTextBoxHeight();
    const bool turned = info.rotation == 90 || info.rotation == 270;
    info.displayWidth = turned ? across : along;
    info.displayHeight = turned ? along : across;
    auto box = std::make_unique<KXPPTXTextbox>();
    box->setSpInfo(info);
    for (auto& paragraph : slide->cachedTextBoxParagraphs()) box->paragraphs().push_back(std::move(paragraph));
    slide->cachedTextBoxParagraphs().clear();
    slide->addShape(std::move(box));
    slide->setIsUsingTextBox(false);
}

// ---- Paths and pictures ----

void KXPPTXPDFExporter::didScanPath(KXPDFConentParser&, const kx::Path& path, bool stroke, bool fill) {
    KXPPTXPage* slide = currentSlide();
    const KXPDFRenderState* state = topState();
    if (!slide || !state || path.isEmpty()) return;
    const kx::AffineTransform paint = paintTransform();
    const double width = std::max(0.1, KXLineUtilites::LineWidthApplyTransform(state->lineWidth(), paint));
    if (!isPathInsideClip(path, width)) return;
    // A path without width takes the line width across, else one without height takes it down (a
    // dot takes it across only), filled or stroked.
    std::optional<kx::DisplayPath> shown = displayPathOf(path, true, width, 0.0001);
    if (!shown) return;
    const kx::Rect& b = shown->box;
    const kx::Size slideSize = pageSize();
    const kx::Color fillColor = state->currentFillColor();
    if (fill && !stroke && fillColor.red == 1 && fillColor.green == 1 && fillColor.blue == 1 && b.origin.x < 1 &&
        b.origin.y < 1 && b.size.width > slideSize.width - 1 && b.size.height > slideSize.height - 1)
        return;  // the page's white background

    KXPPTXFreeformInfo info;
    info.setDisplayRect(b);
    info.setFillAlpha(static_cast<float>(state->currentFillAlpha()));
    info.setStrokeAlpha(static_cast<float>(state->currentStrokeAlpha()));
    info.setStroked(stroke);
    info.setFilled(fill);
    info.setStrokeweight(width);
    // Dash lengths as drawn on the slide.
    const double scale = std::sqrt(std::fabs(paint.a * paint.d - paint.b * paint.c));
    std::vector<double> dashes = state->lineDashPattern();
    for (double& d : dashes) d = kx::finiteOr(d * scale, 0.0);
    info.setStrokeDashPattern(std::move(dashes));
    info.setStrokeDashPhase(state->lineDashPhase());
    info.setLineCap(state->lineCapStyle());
    info.setStrokecolor(stroke ? state->currentStrokeColor() : kx::Color::rgb(1, 1, 1));
    info.setFillcolor(fill ? fillColor : kx::Color::rgb(1, 1, 1));
    closeTextForPicture();

    const std::size_t elements = shown->path.elements().size();
    if (pathPicture_ || freeformsOnSlide_ >= kMostFreeforms || elements > kMostFreeformElements ||
        pathElementsOnSlide_ + elements > kMostPathElements) {
        // Without a picture the slide keeps its shapes.
        if (pathPicture_ || startPathPicture(*slide)) {
            drawOnPathPicture(shown->path, info);
            return;
        }
    }
    ++freeformsOnSlide_;
    pathElementsOnSlide_ += elements;
    auto shape = std::make_unique<KXPPTXFreeform>();
    shape->setRunCGPath(std::move(shown->path));
    shape->setSpInfo(info);
    shape->paragraphs().push_back(std::make_unique<KXPPTXParagraph>());
    slide->addShape(std::move(shape));
}

bool KXPPTXPDFExporter::startPathPicture(KXPPTXPage& slide) {
    const int dpi = std::clamp(moreOptions() ? moreOptions()->imageDPI() : 144, 72, 600);
    const kx::Size size = pageSize();
    pathPicture_ = KXDocxPathCanvas::createOver(kx::Rect(0, 0, size.width, size.height), dpi);
    if (!pathPicture_) return false;
    std::vector<std::unique_ptr<KXPPTXShape>>& shapes = slide.sharepsArr();
    pathPictureAt_ = shapes.size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (auto* freeform = dynamic_cast<const KXPPTXFreeform*>(shapes[i].get())) {
            if (pathPictureAt_ == shapes.size()) pathPictureAt_ = kept;
            drawOnPathPicture(freeform->runCGPath(), freeform->spInfo());
            continue;
        }
        shapes[kept++] = std::move(shapes[i]);
    }
    shapes.resize(kept);
    pathPictureAt_ = std::min(pathPictureAt_, kept);
    return true;
}

void KXPPTXPDFExporter::drawOnPathPicture(const kx::Path& displayPath, const KXPPTXFreeformInfo& info) {
    KXDocxPathInfo paint;
    paint.setFilled(info.filled());
    paint.setFillcolor(info.fillcolor());
    paint.setFillAlpha(info.fillAlpha());
    paint.setStroked(info.stroked());
    paint.setStrokecolor(info.strokecolor());
    paint.setStrokeAlpha(info.strokeAlpha());
    paint.setStrokeweight(info.strokeweight());
    paint.setStrokeDashPattern(info.strokeDashPattern());
    paint.setStrokeDashPhase(info.strokeDashPhase());
    pathPicture_->drawPath(displayPath, paint);
}

bool KXPPTXPDFExporter::isCrowdedWithPictures(KXPPTXPage& slide) {
    return picturesOnSlide_ >= kMostPictures && (pathPicture_ || startPathPicture(slide));
}

kx::ImageRef KXPPTXPDFExporter::pictureOfFile(const std::string& file) {
    if (file != lastPictureFile_) {
        lastPicture_ = kx::readImageFile(file);
        lastPictureFile_ = file;
    }
    return lastPicture_;
}

void KXPPTXPDFExporter::placePathPicture() {
    freeformsOnSlide_ = pathElementsOnSlide_ = picturesOnSlide_ = 0;
    lastPicture_.reset();
    lastPictureFile_.clear();
    if (!pathPicture_) return;
    std::unique_ptr<KXDocxPathCanvas> canvas = std::move(pathPicture_);
    KXPPTXPage* slide = currentSlide();
    KXPPTXWriter* writer = pdfWriter();
    if (!slide || !writer) return;
    const double scale = canvas->scale();
    KXPPTXImageInfo info;
    info.pixelWidth = canvas->pixelWidth();
    info.pixelHeight = canvas->pixelHeight();
    info.setDisplayRect(kx::Rect(0, 0, info.pixelWidth / scale, info.pixelHeight / scale));
    info.horizontalResolution = info.verticalResolution = std::round(scale * 72.0);
    std::optional<std::string> file = canvas->writePicture();
    std::optional<std::string> id = file ? writer->collectImageWithPath(*file) : std::nullopt;
    if (!id) return;
    info.imageID = *id;
    info.imageTitle = file->substr(file->find_last_of('/') + 1);
    auto picture = std::make_unique<KXPPTXPicture>();
    picture->setPictInfo(info);
    picture->setRunImageID(*id);
    std::vector<std::unique_ptr<KXPPTXShape>>& shapes = slide->sharepsArr();
    shapes.insert(shapes.begin() + static_cast<std::ptrdiff_t>(std::min(pathPictureAt_, shapes.size())),
                  std::move(picture));
}

void KXPPTXPDFExporter::addPicture(const std::string& file, const KXPPTXImageInfo& info) {
    KXPPTXPage* slide = currentSlide();
    if (!slide) return;
    if (isCrowdedWithPictures(*slide)) {
        // Upright and unflipped, as the drawn pictures that come here are.
        if (kx::ImageRef picture = pictureOfFile(file))
            pathPicture_->drawImage(*picture,
                                    kx::AffineTransform{info.displayWidth, 0, 0, -info.displayHeight, info.displayX,
                                                        info.displayY + info.displayHeight},
                                    info.opacity);
        return;
    }
    std::optional<std::string> id = pdfWriter() ? pdfWriter()->collectImageWithPath(file) : std::nullopt;
    if (!id) return;
    ++picturesOnSlide_;
    auto picture = std::make_unique<KXPPTXPicture>();
    KXPPTXImageInfo placed = info;
    placed.imageID = *id;
    picture->setPictInfo(placed);
    picture->setRunImageID(*id);
    slide->addShape(std::move(picture));
}

void KXPPTXPDFExporter::didScanXObjectImage(KXPDFConentParser&, const std::shared_ptr<KXPDFXObject>& object) {
    const KXPDFRenderState* state = topState();
    if (!state || !object || object->getType() != KXPDFXObject::Image || failsPageForImage(*object)) return;
    const auto& image = static_cast<const KXPDFImageXObject&>(*object);
    std::string file = image.cachedImagePath();
    if (file.empty()) return;
    // An image beyond the decode budget was decoded at a lower resolution than it has.
    if (image.decodeReduction() > 1) kx::LeftOut::note("images reduced to fit the memory bound");
    closeTextForPicture();
    const kx::AffineTransform t = paintTransform();
    KXPPTXImageInfo info(t, *state);
    if (KXPPTXPage* slide = currentSlide(); slide && isCrowdedWithPictures(*slide)) {
        if (kx::ImageRef picture = pictureOfFile(file))
            pathPicture_->drawImage(*picture, t, info.opacity, &state->clipBezierPaths(), currentPageTransform());
        return;
    }
    if (!state->clipBezierPaths().empty()) {
        kx::ImageRef image = kx::readImageFile(file);
        if (!image) {
            // The cut-out of a picture that cannot be read shows nothing.
            std::fprintf(stderr, "didScanXObjectImage: image with path is null:%s!\n", file.c_str());
            image = kx::Image::make(1, 1, kx::PixelFormat::RGBA8);
        }
        const kx::Rect rect(info.displayX, info.displayY, info.displayWidth, info.displayHeight);
        if (std::optional<kx::CapturedPicture> cut = writeClippedImage(image, t, rect, kClipDPI, "Clip")) {
            file = cut->path;
            info.setDisplayRect(cut->displayRect);
            info.pixelWidth = cut->pixelWidth;
            info.pixelHeight = cut->pixelHeight;
            info.horizontalResolution = info.displayWidth > 0 ? std::round(info.pixelWidth * 72.0 / info.displayWidth) : 0;
            info.verticalResolution = info.displayHeight > 0 ? std::round(info.pixelHeight * 72.0 / info.displayHeight) : 0;
            info.flipX = info.flipY = false;
            info.rotation = 0;
        }
    }
    addPicture(file, info);
}

namespace {

// A picture the capture drew: upright, at the place it was drawn, opaque.
KXPPTXImageInfo drawnPictureInfo(const kx::AffineTransform& t, const KXPDFRenderState& state,
                                 const kx::CapturedPicture& picture, bool withResolution) {
    KXPPTXImageInfo info(t, state);
    info.setDisplayRect(picture.displayRect);
    info.pixelWidth = picture.pixelWidth;
    info.pixelHeight = picture.pixelHeight;
    if (withResolution) {
        info.horizontalResolution = info.displayWidth > 0 ? std::round(info.pixelWidth * 72.0 / info.displayWidth) : 0;
        info.verticalResolution = info.displayHeight > 0 ? std::round(info.pixelHeight * 72.0 / info.displayHeight) : 0;
    }
    info.flipX = info.flipY = false;
    info.rotation = 0;
    info.opacity = 1.0f;
    info.imageTitle = picture.path.substr(picture.path.find_last_of('/') + 1);
    return info;
}

}  // namespace

void KXPPTXPDFExporter::didScanPaintShading(KXPDFConentParser&, const std::shared_ptr<KXPDFShading>& shading) {
    const KXPDFRenderState* state = topState();
    if (!state || !shading) return;
    std::optional<kx::CapturedPicture> picture = writeShadingPicture(*shading, kPictureScale);
    if (!picture) return;
    addPicture(picture->path, drawnPictureInfo(paintTransform(), *state, *picture, true));
}

void KXPPTXPDFExporter::didScanPatternPath(KXPDFConentParser&, const kx::Path& path, bool stroke, bool fill) {
    const KXPDFRenderState* state = topState();
    if (!state || path.isEmpty()) return;
    std::optional<kx::CapturedPicture> picture = writePatternPicture(path, stroke, fill, kPictureScale);
    if (!picture) return;
    addPicture(picture->path, drawnPictureInfo(paintTransform(), *state, *picture, false));
}
