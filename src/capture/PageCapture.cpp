#include "capture/PageCapture.h"

#include <algorithm>
#include <cmath>

#include "capture/CaptureDocument.h"
#include "fonts/KXPDFFont.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/interpreter/KXPDFRenderStateStack.h"
#include "pdf/shading/KXPDFShading.h"
#include "pdf/state/KXPDFCGPathUtilities.h"
#include "pdf/state/KXPDFClipPath.h"
#include "platform/pdf/PDFContentScanner.h"
#include "platform/pdf/PDFDocument.h"
#include "util/KXPDFPathUtilities.h"
#include "util/KXPictureStore.h"
#include "util/KXWriteCGImageToURL.h"

namespace kx {

PageCapture::PageCapture() = default;

PageCapture::~PageCapture() = default;

// ---- The engine's operations ----

void PageCapture::begainConvertPDF(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>& document) {
    document_ = nullptr;
    scanIndexCounter_ = 0;
    document_ = openDocument(destPath, document);
    setIsShouldCancel(false);
    if (!document_) {
        failOutput(kOutputWriteFailure);
        return;
    }
    document_->begainWriteDocument();
    if (document_->hasFailed()) failOutput(kOutputWriteFailure);
}

bool PageCapture::convertPDFPage(const kx::PDFPage& page) {
    if (!document_ || document_->hasFailed()) return false;
    const KXPDFPageGeometry geometry = pageGeometryOf(page);
    beginPage(geometry, pageSizeOf(geometry));
    interpretPage(page);
    endPage();
    return true;
}

void PageCapture::endConvertPDF(const std::shared_ptr<kx::PDFDocument>&) {
    if (!document_) return;
    document_->endWriteDocument();
    if (!document_->packetZipFileIfNeed()) failOutput(kOutputWriteFailure);
}

void PageCapture::cancelConvertPDF() { setIsShouldCancel(true); }

void PageCapture::cleanConvertPDF() {
    if (document_) document_->cancelDocument();
}

// ---- The page ----

KXPDFPageGeometry PageCapture::pageGeometryOf(const kx::PDFPage& page) const { return KXPDFPageGeometry::ofPage(page); }

void PageCapture::beginPage(const KXPDFPageGeometry& geometry, kx::Size pageSize, bool again) {
    pageGeometry_ = geometry;
    pageSize_ = pageSize;
    nextCharFontSize_ = mainTextFontSize_ = 1.0;
    nextCharTransform_ = mainTextTransform_ = kx::AffineTransform::identity();
    renderingStateStack_ = std::make_shared<KXPDFRenderStateStack>();
    // A page read a second time goes on from where its first reading left the page's first text.
    if (!again) isNotScanTextYet_ = true;
    tiltedLine_.reset();
    styleCache_.clear();
    clipCache_.reset();
    clipBoundsCache_.reset();
    pathClipCache_.reset();
    fillCache_ = {};
    scanIndexCounter_ = 0;
    if (again)
        document_->beginWritePageAgain(pageSize_);
    else
        document_->begainWritePage(pageSize_);
}

void PageCapture::interpretPage(const kx::PDFPage& page) {
    {
        KXPDFConentParser parser(page.dictionary(), kx::PDFContentStream::forPage(page));
        parser.setDelegate(this);
        parser.setRenderingStateStack(renderingStateStack_);
        parser.setPageGeometry(pageGeometry_);
        // Annotations are interpreted as the job's options say.
        parser.setIsParserAnnots(moreOptions() ? moreOptions()->isParserAnnots() : 1);
        parser.startParser();
    }
    endTextBoxWritingIfNeed();
    endTextPathWritingIfNeed();
}

void PageCapture::endPage() {
    document_->endWritePage();
    renderingStateStack_.reset();
}

// ---- Shown text ----

void PageCapture::didScanText(KXPDFConentParser& parser, const std::u16string& text, kx::Size offset) {
    if (isShouldCancel() || !document_) return;
    const TopStateScope scope(*this);
    if (!acceptsText(parser, text)) return;
    switch (openText_) {
        case OpenText::Box: usingDocxTextBox(text, offset); break;
        case OpenText::Path: usingDocxTextPath(text, offset); break;
        case OpenText::None: usingDocxMainText(text, offset); break;
    }
}

TextPlace PageCapture::placeOfText(const KXPDF_CTMInfo& g) const {
    const double angle = g.rotation;
    if (isHorizontal(angle)) return TextPlace::MainText;
    if ((angle > 85 && angle < 95) || (angle > 265 && angle < 275)) return TextPlace::TextBox;
    return TextPlace::TextPath;
}

double PageCapture::textBoxAngle(double angle) const {
    if (angle > 85 && angle < 95) return 90;
    if (angle > 265 && angle < 275) return 270;
    if (isHorizontal(angle)) return 0;
    return angle;
}

bool PageCapture::opensTextBox(const std::u16string& text) const { return !isLoneBlank(text); }

void PageCapture::usingDocxMainText(const std::u16string& text, kx::Size offset) {
    if (isNotScanTextYet_ && isLoneBlank(text)) return;
    const kx::AffineTransform t = currentDisplayTextTransform();
    const KXPDF_CTMInfo g = geometry(t);
    switch (placeOfText(g)) {
        case TextPlace::MainText: makeMainTextRun(text, offset, t, g); break;
        case TextPlace::TextBox: newDocxTextBox(text, offset); break;
        case TextPlace::TextPath: newDocxTextPath(text, offset); break;
        case TextPlace::Dropped: break;
    }
}

void PageCapture::newDocxTextBox(const std::u16string& text, kx::Size offset) {
    if (!opensTextBox(text)) return;
    const KXPDF_CTMInfo g = geometry(currentDisplayTextTransform());
    openText_ = OpenText::Box;
    openTextBoxAngle_ = textBoxAngle(g.rotation);
    openTextBox(text, offset, g, openTextBoxAngle_);
}

void PageCapture::usingDocxTextBox(const std::u16string& text, kx::Size offset) {
    const KXPDF_CTMInfo g = geometry(currentDisplayTextTransform());
    switch (continueTextBox(text, offset, g)) {
        case TextBoxStep::Kept: return;
        case TextBoxStep::OpensAnotherBox:
            endTextBoxWritingIfNeed();
            newDocxTextBox(text, offset);
            return;
        case TextBoxStep::LeavesTheBox:
            endTextBoxWritingIfNeed();
            restoreMainTextPosition();
            usingDocxMainText(text, offset);
            return;
    }
}

void PageCapture::endTextBoxWritingIfNeed() {
    if (openText_ != OpenText::Box) return;
    closeTextBox();
    openText_ = OpenText::None;
}

KXDocxTextPathInfo PageCapture::textPathInfoAt(const KXPDF_CTMInfo& g) {
    KXDocxTextPathInfo info;
    info.displayX = g.topLeft.x;
    info.displayY = g.topLeft.y;
    info.rotation = g.rotation;
    return info;
}

void PageCapture::newDocxTextPath(const std::u16string& text, kx::Size offset) {
    const KXPDF_CTMInfo g = geometry(currentDisplayTextTransform());
    cachedTextPathInfo_ = textPathInfoAt(g);
    cachedTextPathString_.clear();
    openText_ = OpenText::Path;
    appendDocxTextPath(text, offset);
}

bool PageCapture::continuesTextPath(const KXPDF_CTMInfo& g) const {
    return g.rotation == nextCharCTMInfo_.get().rotation &&
           KXAngleOfLine({cachedTextPathInfo_.displayX, cachedTextPathInfo_.displayY}, g.topLeft) == g.rotation;
}

void PageCapture::usingDocxTextPath(const std::u16string& text, kx::Size offset) {
    const KXPDF_CTMInfo g = geometry(currentDisplayTextTransform());
    if (continuesTextPath(g)) {
        appendDocxTextPath(text, offset);
        return;
    }
    endTextPathWritingIfNeed();
    restoreMainTextPosition();
    usingDocxMainText(text, offset);
}

void PageCapture::appendDocxTextPath(const std::u16string& text, kx::Size offset) {
    cachedTextPathString_ += text;
    advanceNextChar(offset);
}

void PageCapture::endTextPathWritingIfNeed() {
    if (openText_ != OpenText::Path) return;
    closeTextPath();
    openText_ = OpenText::None;
    cachedTextPathInfo_ = {};
    cachedTextPathString_.clear();
}

// ---- Transforms, state and positions ----

kx::AffineTransform PageCapture::currentDisplayTextTransform() const {
    return kx::concat(glyphOrientation(), kx::concat(kx::concat(textMatrix(), ctm()), pageGeometry_.pageTransform));
}

kx::AffineTransform PageCapture::nextDisplayTextTransform(kx::Size offset) const {
    return kx::concat(glyphOrientation(), kx::concat(kx::concat(textMatrix().translated(offset.width, offset.height), ctm()),
                                                     pageGeometry_.pageTransform));
}

kx::AffineTransform PageCapture::glyphOrientation() const {
    const KXPDFFont* font = currentFont();
    return font ? font->glyphOrientation() : kx::AffineTransform::identity();
}

kx::Size PageCapture::convertToDisplaySpaceWidth(double width) const {
    const KXPDFFont* font = currentFont();
    const kx::AffineTransform before = currentDisplayTextTransform();
    const kx::AffineTransform after = kx::concat(
        glyphOrientation(), kx::concat(kx::concat(textMatrix().translated(width, 0), ctm()), pageGeometry_.pageTransform));
    kx::Rect rect = KXDisplaySpaceRect(before, after, fontSize(), font ? font->ascent() : 0, font ? font->descent() : 0);
    return {std::fabs(after.tx - before.tx), rect.size.height};
}

double PageCapture::displayWidthAt(const kx::AffineTransform& t, double width) {
    return std::fabs(t.translated(width, 0).tx - t.tx);
}

const KXPDFRenderState* PageCapture::findTopState() const {
    if (!renderingStateStack_ || renderingStateStack_->depth() == 0) return nullptr;
    return &renderingStateStack_->stack().back();
}

const KXPDFRenderState* PageCapture::topState() const {
    if (heldTopState_) return *heldTopState_;
    return findTopState();
}

PageCapture::TopStateScope::TopStateScope(const PageCapture& c) : capture(c) {
    capture.heldTopState_ = capture.findTopState();
}

PageCapture::TopStateScope::~TopStateScope() { capture.heldTopState_.reset(); }

const KXPDFFont* PageCapture::currentFont() const { return topState() ? topState()->font().get() : nullptr; }

double PageCapture::fontSize() const { return topState() ? topState()->fontSize() : 0.0; }

// Without a state, all-zero matrices stand for the text matrix and the CTM.
kx::AffineTransform PageCapture::textMatrix() const {
    return topState() ? topState()->textMatrix() : kx::AffineTransform{0, 0, 0, 0, 0, 0};
}

kx::AffineTransform PageCapture::ctm() const {
    return topState() ? topState()->ctm() : kx::AffineTransform{0, 0, 0, 0, 0, 0};
}

const KXPDF_CTMInfo& PageCapture::PendingGeometry::get() const {
    if (!info) info = KXMakeCTMInfo(t, fontSize, ascent, descent);
    return *info;
}

PageCapture::PendingGeometry PageCapture::pendingGeometry(const kx::AffineTransform& t) const {
    const KXPDFFont* font = currentFont();
    return {t, fontSize(), font ? font->ascent() : 0, font ? font->descent() : 0, std::nullopt};
}

KXPDF_CTMInfo PageCapture::geometry(const kx::AffineTransform& t) const { return pendingGeometry(t).get(); }

void PageCapture::advanceNextChar(kx::Size offset) { advanceNextCharTo(nextDisplayTextTransform(offset)); }

void PageCapture::advanceNextCharTo(const kx::AffineTransform& next) {
    nextCharTransform_ = next;
    nextCharFontSize_ = fontSize();
    nextCharCTMInfo_ = pendingGeometry(nextCharTransform_);
}

void PageCapture::keepMainTextPosition() {
    isNotScanTextYet_ = false;
    mainTextTransform_ = nextCharTransform_;
    mainTextFontSize_ = nextCharFontSize_;
    mainTextCTMInfo_ = nextCharCTMInfo_;
}

void PageCapture::restoreMainTextPosition() {
    nextCharFontSize_ = mainTextFontSize_;
    nextCharTransform_ = mainTextTransform_;
    nextCharCTMInfo_ = mainTextCTMInfo_;
}

void PageCapture::straightenTiltedRun(const kx::AffineTransform& t, KXPDF_CTMInfo& g) {
    // Level text (most of it) needs no angle.
    const double theta = t.b == 0 ? 0.0 : std::atan2(t.b, t.a);
    const double height = std::fabs(g.bottomLeft.y - g.topLeft.y);
    if (t.b == 0 || !std::isfinite(theta)) {
        tiltedLine_.reset();
        return;
    }
    const kx::Point origin = g.bottomLeft;
    bool continues = false;
    if (tiltedLine_ && tiltedLine_->theta == theta) {
        const double dx = origin.x - tiltedLine_->last.x, dy = origin.y - tiltedLine_->last.y;
        const double across = std::fabs(dx * std::sin(theta) - dy * std::cos(theta));
        const double along = dx * std::cos(theta) + dy * std::sin(theta);
        continues = across <= 0.25 * tiltedLine_->height && along >= -tiltedLine_->height;
    }
    if (!continues) tiltedLine_ = TiltedLine{theta, g.topLeft.y, g.bottomLeft.y, origin, height};
    tiltedLine_->last = origin;
    g.topLeft.y = tiltedLine_->top;
    g.bottomLeft.y = tiltedLine_->bottom;
}

// ---- Styles ----

KXPDFRGB PageCapture::fillRGB() const {
    const KXPDFRenderState* state = topState();
    if (!state) return {};
    if (!fillCache_.valid || fillCache_.space != state->fillColorSpace() || !(fillCache_.color == state->fillColor()))
        fillCache_ = {true, state->fillColorSpace(), state->fillColor(), state->currentFillRGBColor()};
    return fillCache_.rgb;
}

PageCapture::StyleKey PageCapture::styleKeyAt(const kx::AffineTransform& t) const {
    const int mode = topState() ? topState()->textRenderMode() : 0;
    return {currentFont(), fontSize(), t.a, t.b, t.c, t.d, mode, fillRGB()};
}

std::shared_ptr<const void> PageCapture::findStyle(const StyleKey& key, const std::type_info& type) const {
    if (!styleType_ || *styleType_ != type) return nullptr;
    for (auto it = styleCache_.begin(); it != styleCache_.end(); ++it) {
        if (!(it->key == key)) continue;
        std::rotate(styleCache_.begin(), it, it + 1);
        return styleCache_.front().record;
    }
    return nullptr;
}

void PageCapture::keepStyle(const StyleKey& key, const std::type_info& type, std::shared_ptr<const void> record) const {
    // The records of one type only: a family that changed its type would find the other's.
    if (!styleType_ || *styleType_ != type) {
        styleCache_.clear();
        styleType_ = &type;
    }
    if (styleCache_.size() == kStyleCacheSize) styleCache_.pop_back();
    styleCache_.insert(styleCache_.begin(), StyleEntry{key, std::move(record)});
}

// ---- Paths and pictures ----

kx::AffineTransform PageCapture::paintTransform() const { return kx::concat(ctm(), pageGeometry_.pageTransform); }

PicturePlacement PageCapture::placementOf(const kx::AffineTransform& t) {
    PicturePlacement p;
    p.vertices[0] = t.apply(kx::Point{0, 0});
    p.vertices[1] = t.apply(kx::Point{1, 0});
    p.vertices[2] = t.apply(kx::Point{1, 1});
    p.vertices[3] = t.apply(kx::Point{0, 1});
    p.displayWidth = std::hypot(p.vertices[1].x - p.vertices[0].x, p.vertices[1].y - p.vertices[0].y);
    p.displayHeight = std::hypot(p.vertices[2].x - p.vertices[1].x, p.vertices[2].y - p.vertices[1].y);
    const double cx = p.vertices[0].x + (p.vertices[2].x - p.vertices[0].x) / 2.0;
    const double cy = p.vertices[0].y + (p.vertices[2].y - p.vertices[0].y) / 2.0;
    p.displayRect = kx::Rect(cx - p.displayWidth / 2.0, cy - p.displayHeight / 2.0, p.displayWidth, p.displayHeight);
    float angle = std::atan2(static_cast<float>(p.vertices[1].y - p.vertices[0].y),
                             static_cast<float>(p.vertices[1].x - p.vertices[0].x)) *
                  180.0f / static_cast<float>(M_PI);
    if (std::isfinite(angle)) {
        angle = std::fmod(angle, 360.0f);
        if (angle < 0) angle += 360.0f;
        if (angle >= 360.0f) angle = 0;
    } else {
        angle = 0;
    }
    p.angle = angle;
    p.mirrored = static_cast<float>(t.a * t.d - t.b * t.c) > 0.0f;
    return p;
}

std::optional<kx::Rect> PageCapture::rectangularClipBox(
    const std::vector<std::shared_ptr<const KXPDFClipPath>>& paths) const {
    // The page's bitmap, as ClipRectInContextSize draws it: whole points from the origin.
    const kx::AffineTransform& t = pageGeometry_.pageTransform;
    if (!t.isInvertible()) return std::nullopt;
    const double w = std::ceil(static_cast<float>(pageSize_.width));
    const double h = std::ceil(static_cast<float>(pageSize_.height));
    if (!(w >= 1.0) || !(h >= 1.0)) return std::nullopt;
    kx::Rect box(0, 0, w, h);
    for (const auto& clip : paths) {
        if (!clip) continue;
        std::optional<kx::Path> path = KXPDFCGPathUtilities::CGPathWithNSArray(clip->pathArray());
        if (!path) continue;
        kx::Rect r;
        // Any other shape is left to the bitmap.
        if (!path->transformed(t).isRect(&r)) return std::nullopt;
        box = box.intersection(r);
        if (box.isNull() || !(box.size.width > 0) || !(box.size.height > 0)) return kx::Rect::null();
    }
    return t.inverted().apply(box).standardized();
}

std::optional<kx::Rect> PageCapture::visibleClipRect() const {
    const KXPDFRenderState* state = topState();
    if (!state || state->clipBezierPaths().empty()) return std::nullopt;
    if (clipCache_ && clipCache_->paths == state->clipBezierPaths()) return clipCache_->rect;
    std::optional<kx::Rect> boxed = rectangularClipBox(state->clipBezierPaths());
    kx::Rect rect = boxed ? *boxed
                          : ClipRectInContextSize(pageSize_, pageGeometry_.pageTransform, state->clipBezierPaths());
    clipCache_ = ClipCache{state->clipBezierPaths(), rect};
    return rect;
}

std::optional<kx::Rect> PageCapture::clipDisplayBounds() const {
    const KXPDFRenderState* state = topState();
    if (!state || state->clipBezierPaths().empty()) return std::nullopt;
    if (clipBoundsCache_ && clipBoundsCache_->paths == state->clipBezierPaths()) return clipBoundsCache_->rect;
    // The box of each path's points: a curve stays within the box of its control points.
    const kx::AffineTransform& t = pageGeometry_.pageTransform;
    kx::Rect box = kx::Rect::infinite();
    for (const auto& clip : state->clipBezierPaths()) {
        if (!clip) continue;
        const std::vector<KXPDFPathElement>& elements = clip->pathArray().elements;
        // A path of unknown elements is no path (as CGPathWithNSArray has it).
        if (std::any_of(elements.begin(), elements.end(), [](const KXPDFPathElement& e) { return e.type < 0 || e.type > 4; }))
            continue;
        double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
        for (const KXPDFPathElement& e : elements) {
            for (const kx::Point& p : e.points) {
                const kx::Point q = t.apply(p);
                x0 = std::min(x0, q.x);
                x1 = std::max(x1, q.x);
                y0 = std::min(y0, q.y);
                y1 = std::max(y1, q.y);
            }
        }
        box = x0 > x1 || y0 > y1 ? kx::Rect::null() : box.intersection(kx::Rect(x0, y0, x1 - x0, y1 - y0));
        if (box.isNull()) break;
    }
    clipBoundsCache_ = ClipCache{state->clipBezierPaths(), box};
    return box;
}

bool PageCapture::isPathInsideClip(const kx::Path& path, double lineWidth, kx::Rect* clipBound) const {
    const KXPDFRenderState* state = topState();
    if (!state || state->clipBezierPaths().empty()) return true;
    if (!pathClipCache_ || pathClipCache_->paths != state->clipBezierPaths())
        pathClipCache_ = PathClipCache{state->clipBezierPaths(),
                                       ClipBoxInContextSize(pageSize_, pageGeometry_.pageTransform, state->clipBezierPaths())};
    const std::optional<kx::Rect>& box = pathClipCache_->box;
    if (clipBound) *clipBound = box ? *box : kx::Rect();
    return box && PathBoxMeetsClipBox(path, lineWidth, *box) && !path.isEmpty();
}

std::optional<DisplayPath> PageCapture::displayPathOf(const kx::Path& path, bool stroke, double lineWidth,
                                                                   double hairline) const {
    DisplayPath d{path.transformed(pageGeometry_.pageTransform), {}};
    d.box = d.path.pathBoundingBox();
    if (d.box.isNull() || d.box.isInfinite()) return std::nullopt;
    if (stroke) {
        if (d.box.size.width < hairline) {
            d.box.origin.x -= lineWidth / 2.0;
            d.box.size.width = lineWidth;
        } else if (d.box.size.height < hairline) {
            d.box.origin.y -= lineWidth / 2.0;
            d.box.size.height = lineWidth;
        }
    }
    return d;
}

void PageCapture::closeTextForPicture() {
    if (openText_ == OpenText::None) return;
    endTextBoxWritingIfNeed();
    endTextPathWritingIfNeed();
    restoreMainTextPosition();
}

std::optional<CapturedPicture> PageCapture::writePicture(const kx::ImageRef& picture, const kx::Rect& rect,
                                                         const std::string& name, double dpi) const {
    return writePicture(kx::PlacedImage::whole(picture), rect, name, dpi);
}

std::optional<CapturedPicture> PageCapture::writePicture(const kx::PlacedImage& picture, const kx::Rect& rect,
                                                         const std::string& name, double dpi) const {
    if (!picture.image) return std::nullopt;
    const std::string path = KXPDFPathUtilities::getUUIDPathBy(KXPDFPathUtilities::tempIMG(name, "PNG"));
    if (!KXWriteOrDeferCGImageToURL(picture, path, kx::ImageFileType::PNG, dpi, dpi, 1.0f,
                                    kKXPackagePictureDeflateLevel)) return std::nullopt;
    return CapturedPicture{path, rect, picture.width, picture.height};
}

std::optional<CapturedPicture> PageCapture::writeClippedImage(const kx::ImageRef& image,
                                                              const kx::AffineTransform& imageTransform,
                                                              const kx::Rect& imageRect, double dpi,
                                                              const std::string& name) const {
    const KXPDFRenderState* state = topState();
    if (!state || state->clipBezierPaths().empty() || !(dpi > 0)) return std::nullopt;
    kx::Rect rect = imageRect;
    // Mostly transparent: held as its painted part.
    kx::PlacedImage clipped = ClipPlacedImageInContextSize(
        pageSize_, image, kx::AffineTransform::makeScale(dpi / 72.0, dpi / 72.0), pageGeometry_.pageTransform,
        imageTransform, imageRect, state->clipBezierPaths(), &rect);
    return writePicture(clipped, rect, name, dpi);
}

std::optional<CapturedPicture> PageCapture::writeShadingPicture(const KXPDFShading& shading, double scale) const {
    const KXPDFRenderState* state = topState();
    if (!state) return std::nullopt;
    kx::Rect rect;
    kx::ImageRef picture = DrawShadingInContextSize(pageSize_, paintTransform(),
                                                    kx::AffineTransform::makeScale(scale, scale),
                                                    pageGeometry_.pageTransform, state->clipBezierPaths(), &rect, &shading);
    return writePicture(picture, rect, "Shading", 72);
}

std::optional<CapturedPicture> PageCapture::writePatternPicture(const kx::Path& path, bool stroke, bool fill,
                                                                double scale) const {
    const KXPDFRenderState* state = topState();
    if (!state) return std::nullopt;
    kx::Rect rect;
    kx::ImageRef picture = DrawPatternInContextSize(
        pageSize_, paintTransform(), kx::AffineTransform::makeScale(scale, scale), pageGeometry_.pageTransform,
        state->clipBezierPaths(), &rect, path, state->fillPattern().get(), state->strokePattern().get(), stroke, fill,
        false);
    return writePicture(picture, rect, "Pattern", 72);
}

}  // namespace kx
