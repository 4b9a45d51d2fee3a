#include "flowtext/FlowExporter.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "capture/ShownMediaBox.h"
#include "docx/model/KXDocxUtilities.h"
#include "flowtext/FlowReadingFrame_p.h"
#include "fonts/KXPDFFont.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFFontUtilities.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/Unicode.h"

namespace kx::detail {

namespace {

constexpr const char* kFallbackFontName = "Arial Unicode MS";

}  // namespace

FlowExporter::FlowExporter(bool styleFromRendering) : styleFromRendering_(styleFromRendering) {}

kx::CaptureDocument* FlowExporter::openDocument(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>&) {
    writer_ = makeDocument(destPath, static_cast<std::int64_t>(numberOfPagesToConvert()));
    return writer_.get();
}

KXDocx_RPr FlowExporter::currentRProperty() const { return *sharedRProperty(currentDisplayTextTransform()); }

std::shared_ptr<const KXDocx_RPr> FlowExporter::sharedRProperty(const kx::AffineTransform& t) const {
    const KXPDFFont* font = currentFont();
    if (!font) return defaultRunProperty();
    return sharedStyle<KXDocx_RPr>(t, [&] { return makeRProperty(*font, t); });
}

KXDocx_RPr FlowExporter::makeRProperty(const KXPDFFont& font, const kx::AffineTransform& t) const {
    const int mode = topState() ? topState()->textRenderMode() : 0;
    const KXPDFRGB rgb = fillRGB();
    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    r.scrpit = 0;
    const std::string family =
        font.fontFamilyName().empty() ? std::string(kFallbackFontName) : kx::truncateUtf8(font.fontFamilyName(), 127);
    r.rFonts.ascii = r.rFonts.hAnsi = r.rFonts.cs = r.rFonts.eastAsia = family;
    const std::string& styleName = font.fontName().empty() ? std::string(kFallbackFontName) : font.fontName();
    const KXPDFFontDescriptor* descriptor = font.fontDescriptor();
    r.b = KXPDFFontUtilities::isBoldFontName(styleName) || (descriptor && descriptor->isBold());
    r.i = KXPDFFontUtilities::isItalicFontName(styleName) || (descriptor && descriptor->isItalic());
    if (styleFromRendering_) {
        r.b = r.b || mode == 2 || mode == 6;
        const double ratio = std::fabs((t.a + t.c) / (t.b + t.d));
        r.i = r.i || ratio > 1.1 || ratio < 0.9;
    }
    r.color = {rgb.r, rgb.g, rgb.b, 255};
    r.sz = static_cast<float>(KXMakeCTMInfo(t, shownFontSize(), font.ascent(), font.descent()).fontSize.width);
    r.spacing = 0;
    r.w = 100.0f;
    r.u = 0;
    r.noProof = true;
    return r;
}

kx::TextPlace FlowExporter::placeOfText(const KXPDF_CTMInfo&) const { return kx::TextPlace::MainText; }

namespace {

// Text space of a glyph in vertical writing to text space laid along its line: the line runs down
// the text space's y axis, and the glyph's right side is its top.
constexpr kx::AffineTransform kAlongVerticalLine{0, -1, 1, 0, 0, 0};

// The display-space box of a glyph drawn under `t` (its baseline from u = 0 to u = advance), from
// its bottom to its top at the font size `s`: ascent and descent spanning one unit, as the glyph
// geometry measures them.
kx::Rect glyphBox(const kx::AffineTransform& t, double advance, double s, double ascent, double descent) {
    double h = ascent - descent;
    if (!std::isfinite(h) || h == 0) {
        ascent = 0.8;
        descent = -0.2;
        h = 1;
    }
    const double top = ascent / h * s, bottom = descent / h * s;
    return t.apply(kx::Rect(0, bottom, advance, top - bottom));
}

}  // namespace

bool FlowExporter::isOutsideClip(const kx::Rect& box, const kx::Rect& clip) {
    if (clip.isNull() || clip.isEmpty()) return true;
    return box.maxX() <= clip.minX() || box.minX() >= clip.maxX() || box.maxY() <= clip.minY() ||
           box.minY() >= clip.maxY();
}

// `t` is the current display transform and `g` the geometry of the string under it. Upright text
// is read in the page's own frame; any other text (turned, or in vertical writing) in the frame of
// its baseline, gathered apart (FlowReadingFrame_p.h).
void FlowExporter::makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                                   const KXPDF_CTMInfo& geometry) {
    FlowRunText* const previous = std::exchange(lastRun_, nullptr);
    const KXPDFFont* font = currentFont();
    const bool vertical = font && font->isVerticalWriting();
    const kx::AffineTransform next = t.translated(offset.width, offset.height);
    advanceNextCharTo(next);
    std::optional<kx::Rect> clip = clipDisplayBounds();
    // The page is its media box: a glyph wholly outside it is as unseen as one outside the clip (a
    // page that shows one part of a larger sheet draws the whole sheet).
    if (const std::optional<kx::Rect> shown = kx::shownMediaBox(pageGeometry())) clip = clip ? clip->intersection(*shown) : *shown;
    // Upright text without a clip, the most of most pages, goes the short way.
    if (!vertical && !clip && readingFrameOf(geometry.rotation) == 0) {
        makeUprightRun(text, t, geometry, previous);
        return;
    }
    const kx::AffineTransform alongLine = vertical ? kx::concat(kAlongVerticalLine, t) : t;
    const int frame = readingFrameOf(vertical ? KXMakeCTMInfo(alongLine, 1, 0.5, -0.5).rotation : geometry.rotation);
    // The glyphs' own size: a glyph in vertical writing stands centred on its line, one unit of it across.
    const double size = shownFontSize();
    const double ascent = vertical ? 0.5 : font ? font->ascent() : 0.0;
    const double descent = vertical ? -0.5 : font ? font->descent() : 0.0;
    const double advance = vertical ? -offset.height : offset.width;
    // A glyph wholly outside the clip is not seen (the padding of a clipped cell running under the
    // next cell, text masked off the page).
    if (clip && isOutsideClip(glyphBox(alongLine, advance, size, ascent, descent), *clip)) return;
    if (frame == 0 && !vertical) {
        makeUprightRun(text, t, geometry, previous);
        return;
    }
    const kx::AffineTransform toFrame = frameTransform(frame, pageSize());
    const kx::AffineTransform inFrame = kx::concat(alongLine, toFrame);
    KXPDF_CTMInfo g = KXMakeCTMInfo(inFrame, size, ascent, descent);
    const double textWidth = std::fabs(toFrame.apply(kx::Point{next.tx, next.ty}).x - inFrame.tx);
    if (!std::isfinite(g.topLeft.x) || !std::isfinite(g.topLeft.y) || !std::isfinite(g.bottomLeft.y) ||
        !std::isfinite(textWidth))
        return;
    keepMainTextPosition();
    g.rotation = 0;
    const double space = (font ? font->widthOfSpace() : 0.0) * fontSize() * std::hypot(inFrame.a, inFrame.b);
    const double spaceWidth = std::isfinite(space) ? space : 0.0;
    FlowPage* page = writer_->currentPage();
    // Styled as it stands in its frame: turned text is not slanted.
    std::shared_ptr<const KXDocx_RPr> style = sharedRProperty(inFrame);
    if (page->extendLastRun(page->turnedRunTextArray(), previous, text, g, textWidth, style.get(), spaceWidth, frame)) {
        lastRun_ = previous;
        return;
    }
    auto run = page->makeRunText();
    run->setPdfScanIndex(nextScanIndex());
    run->setCtmInfo(g);
    run->setRProperty(std::move(style));
    run->setRunText(text);
    run->setSpaceWidth(spaceWidth);
    run->setTextWidth(textWidth);
    run->setReadingFrame(frame);
    lastRun_ = run.get();
    page->turnedRunTextArray().push_back(std::move(run));
}

// An upright string: the next-character position has moved past it already.
void FlowExporter::makeUprightRun(const std::u16string& text, const kx::AffineTransform& t,
                                  const KXPDF_CTMInfo& geometry, FlowRunText* previous) {
    KXPDF_CTMInfo g = geometry;
    const KXPDFFont* font = currentFont();
    const double size = fontSize();
    const double space = font ? font->widthOfSpace() * size : 0.0;
    const double spaceWidth = displayWidthAt(t, space);
    // The left edge of a geometry is its transform's origin.
    const double textWidth = std::fabs(nextCharTransform().tx - g.topLeft.x);
    // A string that a hostile matrix puts nowhere cannot be placed on the page.
    if (!std::isfinite(g.topLeft.x) || !std::isfinite(g.topLeft.y) || !std::isfinite(g.bottomLeft.y) ||
        !std::isfinite(textWidth))
        return;
    straightenTiltedRun(t, g);
    keepMainTextPosition();
    g.rotation = 0;
    FlowPage* page = writer_->currentPage();
    std::shared_ptr<const KXDocx_RPr> style = sharedRProperty(t);
    const double blank = std::isfinite(spaceWidth) ? spaceWidth : 0.0;
    if (page->extendLastRun(page->allRunTextArray(), previous, text, g, textWidth, style.get(), blank, 0)) {
        lastRun_ = previous;
        return;
    }
    auto run = page->makeRunText();
    run->setPdfScanIndex(nextScanIndex());
    run->setCtmInfo(g);
    run->setRProperty(std::move(style));
    run->setRunText(text);
    run->setSpaceWidth(blank);
    run->setTextWidth(textWidth);
    lastRun_ = run.get();
    page->allRunTextArray().push_back(std::move(run));
}

void FlowExporter::appendDocxTextBox(const std::u16string& text, kx::Size offset) {
    lastRun_ = nullptr;
    FlowPage* page = writer_->currentPage();
    FlowParagraph* paragraph = page->cachedTextBoxLastParagraph();
    if (!paragraph) paragraph = page->cachedTextBoxNewParagraph();
    const KXDocx_RPr r = currentRProperty();
    FlowRunText* last = paragraph->lastRunText();
    if (last && KXDocxRPrIsEqual(last->rProperty(), r)) {
        last->runText() += text;
    } else {
        auto run = page->makeRunText();
        run->setPdfScanIndex(nextScanIndex());
        run->setRProperty(r);
        run->setRunText(text);
        paragraph->runArray().push_back(std::move(run));
    }
    advanceNextChar(offset);
}

// The capture's text boxes. placeOfText sends every string to the page's runs, so reading a page
// opens none; a box opened directly gathers its text in the page's text-box cache, one paragraph
// to start with.
void FlowExporter::openTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo&, double) {
    FlowPage* page = writer_->currentPage();
    page->cachedTextBoxParagraphs().clear();
    page->cachedTextBoxNewParagraph();
    appendDocxTextBox(text, offset);
}

// Text turned the same way goes on in the box; text turned the other way opens the next box;
// anything else leaves it.
kx::TextBoxStep FlowExporter::continueTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g) {
    const double angle = textBoxAngle(g.rotation);
    if (angle != 90 && angle != 270) return kx::TextBoxStep::LeavesTheBox;
    if (openTextBoxAngle() != angle) return kx::TextBoxStep::OpensAnotherBox;
    appendDocxTextBox(text, offset);
    return kx::TextBoxStep::Kept;
}

// The box's text is dropped (the page's runs hold every string read).
void FlowExporter::closeTextBox() { writer_->currentPage()->cachedTextBoxParagraphs().clear(); }

KXDocxTextPathInfo FlowExporter::textPathInfoAt(const KXPDF_CTMInfo& g) {
    KXDocxTextPathInfo info = PageCapture::textPathInfoAt(g);
    info.rProperty = currentRProperty();
    return info;
}

}  // namespace kx::detail
