#include "capture/PageCapture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "capture/CaptureDocument.h"
#include "fonts/KXPDFFont.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/interpreter/KXPDFRenderStateStack.h"
#include "pdf/xobject/KXPDFImageXObject.h"
#include "platform/pdf/PDFContentScanner.h"
#include "platform/pdf/PDFDocument.h"

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
    return !pageFailed_;
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
    // A page read a second time goes on from where its first reading left the page's first text,
    // and stays failed when its first reading failed it.
    if (!again) {
        isNotScanTextYet_ = true;
        pageFailed_ = false;
    }
    tiltedLine_.reset();
    styleCache_.clear();
    clip_.beginPage(pageSize_, pageGeometry_.pageTransform);
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

bool PageCapture::failsPageForImage(const KXPDFXObject& image) {
    if (image.getType() != KXPDFXObject::Image || !static_cast<const KXPDFImageXObject&>(image).isOverPixelBudget())
        return false;
    const kx::Size size = static_cast<const KXPDFImageXObject&>(image).pixelSize();
    std::fprintf(stderr, "didScanXObjectImage: Image is too large to decode:%s (%.0f x %.0f)\n", image.objectID().c_str(),
                 size.width, size.height);
    pageFailed_ = true;
    return true;
}

// ---- Shown text ----

void PageCapture::didScanText(KXPDFConentParser& parser, const std::u16string& text, kx::Size offset) {
    if (isShouldCancel() || !document_) return;
    const TopStateScope scope(*this);
    showPlace_ = {parser.scanOperatorIndex_BegainText(), parser.scanOperatorIndex_ShowText()};
    if (!acceptsText(text)) return;
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
    kx::Rect rect =
        KXDisplaySpaceRect(before, after, shownFontSize(), font ? font->ascent() : 0, font ? font->descent() : 0);
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

double PageCapture::shownFontSize() const {
    const KXPDFFont* font = currentFont();
    return font ? fontSize() * font->glyphSize() : fontSize();
}

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
    return {t, shownFontSize(), font ? font->ascent() : 0, font ? font->descent() : 0, std::nullopt};
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

const CaptureClip::ClipPaths* PageCapture::clipPaths() const {
    const KXPDFRenderState* state = topState();
    if (!state || state->clipBezierPaths().empty()) return nullptr;
    return &state->clipBezierPaths();
}

std::optional<kx::Rect> PageCapture::visibleClipRect() const {
    const auto* paths = clipPaths();
    if (!paths) return std::nullopt;
    return clip_.visibleRect(*paths);
}

std::optional<kx::Rect> PageCapture::clipDisplayBounds() const {
    const auto* paths = clipPaths();
    if (!paths) return std::nullopt;
    return clip_.displayBounds(*paths);
}

bool PageCapture::isPathInsideClip(const kx::Path& path, double lineWidth, kx::Rect* clipBound) const {
    const auto* paths = clipPaths();
    return !paths || clip_.showsPath(*paths, path, lineWidth, clipBound);
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

std::optional<CapturedPicture> PageCapture::writeClippedImage(const kx::ImageRef& image,
                                                              const kx::AffineTransform& imageTransform,
                                                              const kx::Rect& imageRect, double dpi,
                                                              const std::string& name) const {
    const auto* paths = clipPaths();
    if (!paths || !(dpi > 0)) return std::nullopt;
    return clip_.writeClippedImage(*paths, image, imageTransform, imageRect, dpi, name);
}

std::optional<CapturedPicture> PageCapture::writeShadingPicture(const KXPDFShading& shading, double scale) const {
    const KXPDFRenderState* state = topState();
    if (!state) return std::nullopt;
    return clip_.writeShadingPicture(state->clipBezierPaths(), paintTransform(), shading, scale);
}

std::optional<CapturedPicture> PageCapture::writePatternPicture(const kx::Path& path, bool stroke, bool fill,
                                                                double scale) const {
    const KXPDFRenderState* state = topState();
    if (!state) return std::nullopt;
    return clip_.writePatternPicture(*state, paintTransform(), path, stroke, fill, scale);
}

}  // namespace kx
