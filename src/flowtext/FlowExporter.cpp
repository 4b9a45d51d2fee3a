#include "flowtext/FlowExporter_p.h"

#include <cmath>

#include "docx/model/KXDocxUtilities.h"
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
    r.sz = static_cast<float>(KXMakeCTMInfo(t, fontSize(), font.ascent(), font.descent()).fontSize.width);
    r.spacing = 0;
    r.w = 100.0f;
    r.u = 0;
    r.noProof = true;
    return r;
}

// `t` is the current display transform and `g` the geometry of the string under it.
void FlowExporter::makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                                   const KXPDF_CTMInfo& geometry) {
    KXPDF_CTMInfo g = geometry;
    const KXPDFFont* font = currentFont();
    const double size = fontSize();
    const double space = font ? font->widthOfSpace() * size : 0.0;
    const double spaceWidth = displayWidthAt(t, space);
    advanceNextCharTo(t.translated(offset.width, offset.height));
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
    auto run = page->makeRunText();
    run->setPdfScanIndex(nextScanIndex());
    run->setCtmInfo(g);
    run->setRProperty(sharedRProperty(t));
    run->setRunText(text);
    run->setSpaceWidth(std::isfinite(spaceWidth) ? spaceWidth : 0.0);
    run->setTextWidth(textWidth);
    page->allRunTextArray().push_back(std::move(run));
}

void FlowExporter::appendDocxTextBox(const std::u16string& text, kx::Size offset) {
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

// Turned text gathers in the page's text-box cache, one paragraph to start with.
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

// The box's text is dropped.
void FlowExporter::closeTextBox() { writer_->currentPage()->cachedTextBoxParagraphs().clear(); }

KXDocxTextPathInfo FlowExporter::textPathInfoAt(const KXPDF_CTMInfo& g) {
    KXDocxTextPathInfo info = PageCapture::textPathInfoAt(g);
    info.rProperty = currentRProperty();
    return info;
}

}  // namespace kx::detail
