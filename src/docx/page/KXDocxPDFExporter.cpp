#include "docx/page/KXDocxPDFExporter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "capture/RunContinuation.h"
#include "docx/model/KXDocxManager.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPage.h"
#include "fonts/KXPDFFont.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFFontUtilities.h"
#include "pdf/KXPDFOutLineManager.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/LeftOut.h"
#include "platform/Numeric.h"
#include "platform/TextBreaks.h"
#include "platform/Unicode.h"
#include "util/KXPictureStore.h"

kx::CaptureDocument* KXDocxPDFExporter::openDocument(const std::string& destPath,
                                                     const std::shared_ptr<kx::PDFDocument>& document) {
    // The page code reads the job's options from the DOCX conversion state; an exporter given none
    // converts with the defaults, never with an earlier job's.
    KXDocxManager::sharedInstance().setMoreOptions(moreOptions() ? *moreOptions() : KXPDFOptions());
    // The outline of this document marks the headings of its pages.
    if (document)
        KXPDFOutLineManager::sharedInstance().reLoadOutline(*document);
    else
        KXPDFOutLineManager::sharedInstance().setTableArray({});
    writer_ = std::make_unique<KXDocxWriter>(destPath, static_cast<std::int64_t>(numberOfPagesToConvert()));
    return writer_.get();
}

KXPDFPageGeometry KXDocxPDFExporter::docxPageGeometry(const KXPDFPageGeometry& shown) {
    KXPDFPageGeometry g = shown;
    kx::Rect crop = g.cropBox;
    crop.origin.x = std::max(0.0, crop.origin.x);
    crop.origin.y = std::max(0.0, crop.origin.y);
    // Display space is the crop box's: PDF space moved so that the crop box starts at the origin,
    // then turned and flipped for the crop box as shown.
    kx::Point origin;
    if (const kx::Rect pdfCrop = shown.pdfCropBox.standardized(); !pdfCrop.isNull() && !pdfCrop.isInfinite())
        origin = pdfCrop.origin;
    kx::AffineTransform t = kx::AffineTransform::makeTranslation(-origin.x, -origin.y)
                                .concat(pageTransformForBox(g.rotationAngle, crop.size.width, crop.size.height));
    const float w = static_cast<float>(crop.size.width), h = static_cast<float>(crop.size.height);
    const float larger = std::max(w, h), smaller = std::min(w, h);
    double s = 1.0;
    if (larger > kMaxPageSide)
        s = kMaxPageSide / larger;
    else if (smaller > 0 && smaller < kMinPageSide)
        s = kMinPageSide / smaller;
    // A page of no width or height keeps its size: there is nothing to scale it by.
    // The scale acts on the page as shown, about its top-left corner. Scaled in PDF space, before
    // the move to the crop box and the turn, a page turned a quarter or cut from far inside its
    // sheet would slide off the smaller page by what the scale took away, and its text with it.
    if (s != 1.0 && smaller > 0) {
        t = t.concat(kx::AffineTransform::makeScale(s, s));
        crop.size = {s * crop.size.width, s * crop.size.height};
    }
    g.cropBox = crop;
    g.pageTransform = t;
    return g;
}

bool KXDocxPDFExporter::convertPDFPage(const kx::PDFPage& page) {
    if (!document() || document()->hasFailed()) return false;
    // Pictures the page makes stay in memory until the page writes them (they are written to
    // their files then) or leaves them out, merged into others (they are never written). Whatever
    // is still held when the page is done, also on failure, is forgotten here.
    KXPictureStore::Deferral heldPictures;
    reDoContentPDFParser(page, pageGeometryOf(page), false);
    const KXDocxPage* read = writer_->currentPage();
    if (const int angle = read ? read->autoRotationOfPDFPage() : 0; angle > 0 && !isShouldCancel()) {
        // The second reading takes the first one's place, and says again what it leaves out.
        kx::LeftOut::begin();
        reDoContentPDFParser(page, docxPageGeometry(KXPDFPageGeometry::ofPage(page, page.rotationAngle() - angle)), true);
    }
    endPage();
    return !hasPageFailed();
}

void KXDocxPDFExporter::reDoContentPDFParser(const kx::PDFPage& page, const KXPDFPageGeometry& geometry, bool again) {
    beginPage(geometry, pageSizeOf(geometry), again);
    if (KXDocxPage* current = writer_->currentPage()) {
        current->setPdfPageIndex(page.pageNumber());
        // The page draws its shapes into pictures in this space.
        current->setCurrentPageCropBox(geometry.cropBox);
        current->setCurrentPageMediaBox(geometry.mediaBox);
        current->setCurrentPageRotationAngle(static_cast<long>(geometry.rotationAngle));
        current->setCurrentPageTransform(geometry.pageTransform);
    }
    pagePicturePixels_ = 0;
    pagePathElements_ = 0;
    interpretPage(page);
}

KXPDFPageGeometry KXDocxPDFExporter::pageGeometryOf(const kx::PDFPage& page) const {
    return docxPageGeometry(KXPDFPageGeometry::ofPage(page));
}

bool KXDocxPDFExporter::acceptsText(const std::u16string& text) const {
    const KXPDFRenderState* state = topState();
    if (!state) return false;
    // Text under a clip that leaves less than a point of it is not seen.
    if (std::optional<kx::Rect> clip = visibleClipRect()) {
        const kx::Rect shown = currentPageTransform().apply(*clip);
        if (shown.width() < 1 || shown.height() < 1) return false;
    }
    if (state->currentFillAlpha() < static_cast<double>(0.01f)) return false;
    if (state->textRenderMode() == 3) return false;
    if (isNotScanTextYet()) {
        // Before the page's first run, text of nothing but blanks and control characters is
        // nothing to start a line with.
        size_t i = 0;
        while (i < text.size()) {
            char32_t c = kx::nextCodePoint(text, i);
            if (!kx::isWhitespaceOrNewline(c) && !kx::isControlCharacter(c)) return true;
        }
        return false;
    }
    return !(text.size() == 1 && text[0] < 0x20);
}

namespace {

// The angle between the text's baseline and its downward direction, whole degrees from 0 to 180;
// 90 for a transform that cannot say.
double baselineToDownAngle(const kx::AffineTransform& t) {
    const double along = std::hypot(t.a, t.b), down = std::hypot(t.c, t.d);
    const double cosine = (t.a * -t.c + t.b * -t.d) / (along * down);
    if (!std::isfinite(cosine)) return 90;
    return std::round(std::acos(std::clamp(cosine, -1.0, 1.0)) * 180.0 / std::numbers::pi);
}

}  // namespace

std::shared_ptr<const KXDocx_RPr> KXDocxPDFExporter::sharedRProperty(const kx::AffineTransform& t) const {
    return sharedStyle<KXDocx_RPr>(t, [&] { return currentRProperty(t); });
}

KXDocx_RPr KXDocxPDFExporter::currentRProperty(const kx::AffineTransform& t) const {
    const KXPDFFont* font = currentFont();
    if (!font) return KXDocxUtilities::defaultRProperty();
    const KXPDFRenderState* state = topState();
    const int mode = state ? state->textRenderMode() : 0;
    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    const kx::Size size = KXTransformedFontSize(t, shownFontSize(), font->ascent(), font->descent());
    r.sz = std::max(5.0f, static_cast<float>(kx::finiteOr(size.width, 5.0)));
    // Names go into fields of at most 127 bytes, cut where a character begins.
    const std::string name = kx::truncateUtf8(font->fontName().empty() ? std::string(kUnknownFontName) : font->fontName(), 127);
    const std::string replacement = kx::truncateUtf8(font->fontSystemReplaceName(), 127);
    r.rFonts = {name, name, name, name};
    r.rFonts_replace = {replacement, replacement, replacement, replacement};
    const KXPDFFontDescriptor* descriptor = font->fontDescriptor();
    r.b = KXPDFFontUtilities::isBoldFontName(font->baseFontName_New()) || (descriptor && descriptor->isBold()) ||
          mode == 2 || mode == 6;
    // Slanted text stands at more than two degrees off a right angle to its baseline, whichever
    // way the baseline runs and whether or not it is mirrored.
    const double slant = baselineToDownAngle(t);
    r.i = KXPDFFontUtilities::isItalicFontName(font->baseFontName_New()) || (descriptor && descriptor->isItalic()) ||
          slant < 88 || slant > 92;
    const KXPDFRGB rgb = fillRGB();
    r.color = {rgb.r, rgb.g, rgb.b, 255};
    r.spacing = 0;
    r.w = 100;
    r.u = 0;
    r.scrpit = 0;
    r.noProof = true;
    return r;
}

void KXDocxPDFExporter::makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                                        const KXPDF_CTMInfo& geometry) {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    if (!page) return;
    KXPDF_CTMInfo g = geometry;
    const kx::Size shown = pageSize();
    advanceNextCharTo(t.translated(offset.width, offset.height));
    const double right = nextCharCTMInfo().topLeft.x;
    const double textWidth = right - g.xLeft;
    // A string that a hostile matrix puts nowhere cannot be placed on the page.
    if (!std::isfinite(g.xLeft) || !std::isfinite(g.yTop) || !std::isfinite(g.yBottom) || !std::isfinite(textWidth))
        return;
    // Only where the glyph starts counts across the page: the last letters of a word set flush
    // against the right edge often advance a little past it, and stay with their word.
    if (g.xLeft < 0 || g.yTop < 0 || g.xRight > shown.width || g.yBottom > shown.height) return;
    keepMainTextPosition();

    const KXPDFFont* font = currentFont();
    double spaceWidth = 0;
    if (font && font->bankSpaceCharWidth() > 0) spaceWidth = displayWidthAt(t, font->bankSpaceCharWidth() * fontSize());
    if (!(spaceWidth > 0) && font && font->widthOfSpace() > 0) spaceWidth = displayWidthAt(t, font->widthOfSpace() * fontSize());
    // A font that gives no blank width gets a quarter of its size: with none, every gap between
    // two words would be wider than any number of blanks.
    if (!(spaceWidth > 0) || !std::isfinite(spaceWidth)) spaceWidth = 0.25 * std::max(1.0, g.fontSize.width);

    g.flip = false;
    g.rotation = 0;
    g.xRight = right;
    g.frame.size.width = textWidth;
    std::shared_ptr<const KXDocx_RPr> style = sharedRProperty(t);
    if (extendLastTextRun(*page, text, g, {t.a, t.b}, style.get(), spaceWidth)) return;
    auto run = newTextRun();
    run->setCtmInfo(g);
    run->setTextWidth(textWidth);
    run->setRProperty(std::move(style));
    run->setRunText(text);
    run->setSpaceWidth(spaceWidth);
    page->allRunTextArray().push_back(std::move(run));
}

bool KXDocxPDFExporter::extendLastTextRun(KXDocxPage& page, const std::u16string& text, const KXPDF_CTMInfo& g,
                                          kx::Point direction, const KXDocx_RPr* style, double spaceWidth) {
    KXDocxRunTextArray& runs = page.allRunTextArray();
    if (runs.size() <= kx::kRunsBeforeExtending) return false;
    KXDocxRunText& last = *runs.back();
    // Only the page's newest object of all grows: text shown after a path, a picture or a text box
    // stays after it in the reading order.
    if (last.pdfScanIndex() + 1 != scanIndexCounter()) return false;
    const KXPDFRenderState* state = topState();
    if (last.isAnnotion() != (state && state->isParseringAnnotion()) ||
        last.pdfAnnotionIndex() != (state ? state->pdfAnnotionIndex() : 0))
        return false;
    const KXPDF_CTMInfo& h = last.ctmInfo();
    const kx::RunPlace lastPlace{h, last.textWidth(), &last.rProperty(), last.spaceWidth(), 0};
    if (!kx::continuesRun(lastPlace, {g, g.xRight - g.xLeft, style, spaceWidth, 0}, direction)) return false;
    // As the line code joins runs: the text goes on, the frame widens to the new end, and the
    // blank marks stay those of the run's start.
    last.appendRunText(text);
    KXPDF_CTMInfo extended = h;
    extended.xRight = g.xRight;
    extended.frame.size.width = g.xRight - h.xLeft;
    last.setCtmInfo(extended);
    last.setTextWidth(g.xRight - h.xLeft);
    return true;
}

std::shared_ptr<KXDocxRunText> KXDocxPDFExporter::newTextRun() {
    const KXPDFRenderState* state = topState();
    auto run = std::make_shared<KXDocxRunText>();
    run->setIsAnnotion(state && state->isParseringAnnotion());
    run->setPdfAnnotionIndex(state ? state->pdfAnnotionIndex() : 0);
    const std::uint64_t index = nextScanIndex();
    run->setPdfScanIndex(index);
    run->setTextScanIndex(index);
    run->setPdfScanIndex_BegainText(showPlace().begainText);
    run->setPdfScanIndex_ShowText(showPlace().showText);
    return run;
}
