#pragma once
// What the three flow-text exporters add to the page capture. An exporter owns one document
// writer; each reported character on a horizontal baseline becomes a text run of the writer's
// current page. Characters on any other baseline (vertical text, text on a slanted or turned
// baseline) are gathered in the page's text-box cache or the capture's text path and then dropped:
// they never reach the output. Only text reaches the output: paths and images are not looked at.
//
// `kStyleFromRendering`: HTML and RTF also take bold from the fill-and-stroke text render modes and
// italic from a slanted text transform; plain text takes both from the font only.

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "capture/PageCapture.h"
#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxTextPathInfo.h"
#include "docx/model/KXDocxUtilities.h"
#include "flowtext/FlowRun_p.h"
#include "fonts/KXPDFFont.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFFontUtilities.h"
#include "pdf/state/KXPDFRenderState.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "platform/Geometry.h"
#include "platform/Unicode.h"

namespace kx::detail {

template <class Document, class RunText, bool kStyleFromRendering>
class FlowExporter : public kx::PageCapture {
public:
    FlowExporter() = default;

    // Only text reaches the output: images need not be decoded.
    bool usesImagePixels() const override { return false; }

    // The run properties of the current text state.
    KXDocx_RPr currentRProperty() const { return *sharedRProperty(currentDisplayTextTransform()); }

    // The same at the display transform `t`, shared by the runs of one style.
    std::shared_ptr<const KXDocx_RPr> sharedRProperty(const kx::AffineTransform& t) const {
        const KXPDFFont* font = currentFont();
        if (!font) return defaultRunProperty();
        return sharedStyle<KXDocx_RPr>(t, [&] { return makeRProperty(*font, t); });
    }

    // Appends the string to the last paragraph of the page's text-box cache: to its last run when
    // the run properties are equal, else as a new run.
    void appendDocxTextBox(const std::u16string& text, kx::Size offset) {
        auto* page = writer_->currentPage();
        auto* paragraph = page->cachedTextBoxLastParagraph();
        if (!paragraph) paragraph = page->cachedTextBoxNewParagraph();
        const KXDocx_RPr r = currentRProperty();
        RunText* last = paragraph->lastRunText();
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

protected:
    Document* writer() const { return writer_.get(); }

    kx::CaptureDocument* openDocument(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>&) override {
        writer_ = std::make_unique<Document>(destPath, static_cast<std::int64_t>(numberOfPagesToConvert()));
        return writer_.get();
    }

    // `t` is the current display transform and `g` the geometry of the string under it.
    void makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                         const KXPDF_CTMInfo& geometry) override {
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
        auto run = writer_->currentPage()->makeRunText();
        run->setPdfScanIndex(nextScanIndex());
        run->setCtmInfo(g);
        run->setRProperty(sharedRProperty(t));
        run->setRunText(text);
        run->setSpaceWidth(std::isfinite(spaceWidth) ? spaceWidth : 0.0);
        run->setTextWidth(textWidth);
        writer_->currentPage()->allRunTextArray().push_back(std::move(run));
    }

    // Turned text gathers in the page's text-box cache, one paragraph to start with.
    void openTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo&, double) override {
        auto* page = writer_->currentPage();
        page->cachedTextBoxParagraphs().clear();
        page->cachedTextBoxNewParagraph();
        appendDocxTextBox(text, offset);
    }

    // Text turned the same way goes on in the box; text turned the other way opens the next box;
    // anything else leaves it.
    kx::TextBoxStep continueTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g) override {
        const double angle = textBoxAngle(g.rotation);
        if (angle != 90 && angle != 270) return kx::TextBoxStep::LeavesTheBox;
        if (openTextBoxAngle() != angle) return kx::TextBoxStep::OpensAnotherBox;
        appendDocxTextBox(text, offset);
        return kx::TextBoxStep::Kept;
    }

    // The box's text is dropped.
    void closeTextBox() override { writer_->currentPage()->cachedTextBoxParagraphs().clear(); }

    KXDocxTextPathInfo textPathInfoAt(const KXPDF_CTMInfo& g) override {
        KXDocxTextPathInfo info = PageCapture::textPathInfoAt(g);
        info.rProperty = currentRProperty();
        return info;
    }

private:
    static constexpr const char* kFallbackFontName = "Arial Unicode MS";

    KXDocx_RPr makeRProperty(const KXPDFFont& font, const kx::AffineTransform& t) const {
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
        if constexpr (kStyleFromRendering) {
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

    std::unique_ptr<Document> writer_;
};

}  // namespace kx::detail
