#include "xlsx/KXExcelPDFExporter.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "capture/ShownMediaBox.h"
#include "capture/WordGaps.h"
#include "fonts/KXPDFFont.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFFontUtilities.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/Format.h"
#include "platform/Numeric.h"
#include "util/KXHexColor.h"
#include "xlsx/ExcelLayout_p.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelPage.h"
#include "xlsx/KXExcelRunText.h"
#include "xlsx/KXExcelUtilities.h"
#include "xlsx/KXExcelWriter.h"

namespace {

// Two baselines, or an edge and the next character's start, closer than this continue each other.
constexpr double kJoinTolerance = 1.0;
// A filled path smaller than this either way is a line or a dot, not a cell's fill.
constexpr double kMinFillSize = 2.0;

const std::string kUnknownFont = "Unknow Font";

// The rotation of a run: upright below 5 degrees, turned a quarter near 90 and 270, its own angle
// otherwise; mirrored text keeps its angle.
float runRotation(const KXPDF_CTMInfo& g) {
    if (g.flip) return g.rotation;
    if (g.rotation < 5.0f) return 0;
    if (g.rotation > 85 && g.rotation < 95) return 90;
    if (g.rotation > 265 && g.rotation < 275) return 270;
    return g.rotation;
}

}  // namespace

KXExcelPDFExporter::KXExcelPDFExporter(bool isExcelConvert) : isExcelConvert_(isExcelConvert) {}

KXExcelPDFExporter::~KXExcelPDFExporter() = default;

kx::CaptureDocument* KXExcelPDFExporter::openDocument(const std::string& destPath,
                                                      const std::shared_ptr<kx::PDFDocument>& document) {
    // The spreadsheet code reads the job's spreadsheet options from the spreadsheet state; an
    // exporter given none converts with the defaults, never with an earlier job's.
    KXExcelManager::sharedInstance().setOptions(moreOptions() ? moreOptions()->excelOptions() : KXExcelOptions());
    KXExcelManager::reset();
    runTextCount_ = 0;
    registeredStyle_.reset();
    std::optional<KXPDFInfo> info;
    if (document) info.emplace(*document);
    pdfWriter_ = newWriter(destPath, static_cast<std::int64_t>(numberOfPagesToConvert()), isExcelConvert_, std::move(info));
    return pdfWriter_.get();
}

std::unique_ptr<KXExcelWriter> KXExcelPDFExporter::newWriter(const std::string& destPath, std::int64_t numOfPages,
                                                             bool isExcelConvert, std::optional<KXPDFInfo> info) {
    return std::make_unique<KXExcelWriter>(destPath, numOfPages, isExcelConvert, std::move(info));
}

bool KXExcelPDFExporter::acceptsText(const std::u16string&) const {
    const KXExcelPage* page = pdfWriter_ ? pdfWriter_->currentPage() : nullptr;
    return page && page->isCollectingRunText();
}

KXExcelRunTextProperty KXExcelPDFExporter::currentRProperty(const kx::AffineTransform& t) const {
    KXExcelRunTextProperty p;
    const KXPDFFont* font = currentFont();
    if (!font) return p;
    const double width = kx::finiteOr(shownFontSize() * std::sqrt(t.a * t.a + t.b * t.b));
    p.setSz(std::max(5.0, static_cast<double>(static_cast<float>(width))));
    const std::string& family = font->fontFamilyName();
    const std::string& name = font->fontName();
    p.setFamily(!family.empty() ? family : !name.empty() ? name : kUnknownFont);
    p.setRFont(!name.empty() ? name : !family.empty() ? family : kUnknownFont);
    const KXPDFFontDescriptor* descriptor = font->fontDescriptor();
    const int mode = topState() ? topState()->textRenderMode() : 0;
    p.setB(KXPDFFontUtilities::isBoldFontName(font->baseFontName_New()) || (descriptor && descriptor->isBold()) ||
           mode == 2 || mode == 6);
    // A sheared or unevenly scaled text matrix slants the text. Where the ratio cannot be taken (its
    // divisor is zero) it says nothing.
    const double divisor = t.b + t.d;
    bool slanted = false;
    if (std::fabs(divisor) > 1e-9) {
        const double ratio = std::fabs((t.a + t.c) / divisor);
        slanted = std::isfinite(ratio) && (ratio < 0.9 || ratio > 1.1);
    }
    p.setI(KXPDFFontUtilities::isItalicFontName(font->baseFontName_New()) || (descriptor && descriptor->isItalic()) ||
           slanted);
    p.setRFont_replace(font->fontSystemReplaceName());
    const KXPDFRGB rgb = fillRGB();
    p.setRgbColor(kx::format("%02x%02x%02x", rgb.r & 0xFF, rgb.g & 0xFF, rgb.b & 0xFF));
    return p;
}

void KXExcelPDFExporter::makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                                         const KXPDF_CTMInfo& geometry) {
    KXExcelPage* page = pdfWriter_ ? pdfWriter_->currentPage() : nullptr;
    if (!page) return;
    const float rotation = runRotation(geometry);
    const KXPDFFont* font = currentFont();
    const KXPDFRenderState* state = topState();
    const double space =
        font ? font->widthOfSpace() * fontSize() * (state ? state->horizontalScaling() : 1.0) : 0.0;
    advanceNextChar(offset);
    const bool upright = rotation == 0 && !geometry.flip;
    if (upright) keepMainTextPosition();
    // Text turned a quarter is measured in the frame turned with it, where it reads left to right
    // and its characters join into words as upright text does.
    const int quarterTurn = !geometry.flip && (rotation == 90 || rotation == 270) ? static_cast<int>(rotation) : 0;
    const kx::AffineTransform frame = kx::detail::readingFrame(quarterTurn, pageSize());
    const kx::AffineTransform shown = quarterTurn ? t.concat(frame) : t;
    KXPDF_CTMInfo g = quarterTurn ? this->geometry(shown) : geometry;
    const KXPDF_CTMInfo next = quarterTurn ? this->geometry(nextCharTransform().concat(frame)) : nextCharCTMInfo();
    const double wordSpace = kx::finiteOr(displayWidthAt(shown, space));
    // A string that a hostile matrix puts nowhere cannot be placed on the page.
    if (!std::isfinite(g.topLeft.x) || !std::isfinite(g.yTop) || !std::isfinite(g.yBottom) ||
        !std::isfinite(next.topLeft.x))
        return;
    // The page is its media box: a glyph wholly outside it is not on the page (a page that shows
    // one part of a larger sheet draws the whole sheet).
    if (isOffThePage(geometry)) return;

    std::shared_ptr<const KXExcelRunTextProperty> style =
        sharedStyle<KXExcelRunTextProperty>(t, [this, &t] { return currentRProperty(t); });
    auto run = std::make_unique<KXExcelRunText>();
    run->setPdfScanIndex(runTextCount_++);
    run->setRPr(*style);
    run->setText(text);
    g.rotation = rotation;
    g.xRight = next.topLeft.x;
    g.frame.size.width = next.topLeft.x - g.xLeft;
    run->setCtmInfo(g);
    const bool measuredDown = !quarterTurn && (rotation == 90 || rotation == 270);
    run->setTextWidth(measuredDown ? std::fabs(g.bottomLeft.y - g.topLeft.y) : std::fabs(next.topLeft.x - g.topLeft.x));
    addToAllRunTextArray(std::move(run), wordSpace);
    if (style != registeredStyle_) {
        registerFont(*style);
        registeredStyle_ = std::move(style);
    }
}

bool KXExcelPDFExporter::isOffThePage(const KXPDF_CTMInfo& geometry) const {
    const std::optional<kx::Rect> shown = kx::shownMediaBox(pageGeometry());
    if (!shown) return false;
    // The glyph's box in display space: from its top and foot where it starts to where the next
    // glyph starts.
    const KXPDF_CTMInfo& next = nextCharCTMInfo();
    const kx::Point corners[] = {geometry.topLeft, geometry.bottomLeft, next.topLeft, next.bottomLeft};
    double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const kx::Point& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return kx::isOutsideShown(kx::Rect(x0, y0, x1 - x0, y1 - y0), *shown);
}

void KXExcelPDFExporter::addToAllRunTextArray(std::unique_ptr<KXExcelRunText> run, double wordSpace) {
    KXExcelPage& page = *pdfWriter_->currentPage();
    KXExcelRunText* last = page.allRunTextArray().empty() ? nullptr : page.allRunTextArray().back();
    if (last && last->ctmInfo().rotation == run->ctmInfo().rotation &&
        std::fabs(last->ctmInfo().yBase - run->ctmInfo().yBase) < kJoinTolerance) {
        const double left = run->ctmInfo().xLeft, right = last->ctmInfo().xRight, gap = left - right;
        const bool adjacent = std::fabs(gap) < kJoinTolerance;
        const bool afterSpace = !adjacent && std::fabs(gap - wordSpace) < kJoinTolerance;
        // A gap that parts two words but is narrower than a word space is the space between the
        // words of a line set without blank characters (each word placed on its own); it is no
        // gap between columns.
        const bool wordGap = !adjacent && !afterSpace && gap < wordSpace &&
                             kx::separatesWords(gap, run->rPr().sz());
        if ((adjacent || afterSpace || wordGap) && last->rPr().isEqualToRPr(run->rPr())) {
            // A blank glyph narrower than the gap it stands in leaves the rest of the gap behind it.
            const bool blankThere = (!last->text().empty() && last->text().back() == u' ') ||
                                    (!run->text().empty() && run->text().front() == u' ');
            if (afterSpace || (wordGap && !blankThere)) last->text() += u' ';
            last->text() += run->text();
            last->setTextWidth(last->textWidth() + run->textWidth() + (afterSpace ? wordSpace : wordGap ? gap : 0.0));
            last->ctmInfo().xRight = run->ctmInfo().xRight;
            return;
        }
    }
    page.addRunText(std::move(run));
}

void KXExcelPDFExporter::registerFont(const KXExcelRunTextProperty& p) {
    std::string name = p.rFont();
    if (!KXPDFFontUtilities::SystemFontNameIsExist(name) && !p.rFont_replace().empty() &&
        KXPDFFontUtilities::SystemFontNameIsExist(p.rFont_replace()))
        name = p.rFont_replace();
    KXExcel_Font f = KXExcelUtilities::defaultExcelFont();
    if (!name.empty()) f.name = KXExcelUtilities::excelFontName(name);
    f.sz = p.sz();
    f.b = p.b();
    f.i = p.i();
    KXExcelManager::sharedInstance().excelStyle().collectFonts(KXExcelStyleFont(f, p.rgbColor()));
}

void KXExcelPDFExporter::didScanPath(KXPDFConentParser&, const kx::Path& path, bool stroke, bool fill) {
    KXExcelManager& manager = KXExcelManager::sharedInstance();
    if (!manager.isNeedCollectCGPaths() || !fill || !manager.isNeedCollectFills()) return;
    if (!pdfWriter_ || !pdfWriter_->currentPage()) return;
    std::optional<kx::DisplayPath> shown = displayPathOf(path, stroke, topState() ? topState()->lineWidth() : 0.0, 0.0);
    if (!shown || shown->path.isEmpty()) return;
    const kx::Rect box = shown->box.standardized();
    if (box.height() < kMinFillSize || box.width() < kMinFillSize) return;
    collectFills(box);
}

void KXExcelPDFExporter::collectFills(const kx::Rect& box) {
    const KXPDFRGB rgb = fillRGB();
    const kx::Color color = kx::Color::rgb(rgb.r / 255.0, rgb.g / 255.0, rgb.b / 255.0);
    if (KXHexColor::isBlackColor(color)) return;
    KXExcelManager::sharedInstance().excelStyle().collectFills(KXExcelStyleFill(box, color));
}
