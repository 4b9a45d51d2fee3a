// Text that is not upright on the page, and the text of free-text annotations, as floating text.
//
// Text turned by about 90, 180 or 270 degrees gathers in one open text box, line by line, each line
// a paragraph of the box; text at any other angle, or mirrored, gathers along one text path, a
// single string drawn along a straight line. Both close when a string does not fit and become
// page objects, written as VML shapes in front of the text.
//
// The box is measured in its own frame: along its baseline (u) and across its lines (v, growing
// from one line to the next), whatever way it is turned on the page. Its frame on the page is
// anchored at the corner where its text starts (the top of its first glyph); the box writer places
// it from there by its rotation.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "docx/model/KXDocxCounters.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "docx/page/KXDocxPage.h"
#include "fonts/KXPDFFont.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFFontUtilities.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/Numeric.h"
#include "platform/Unicode.h"

namespace {

// Inside a box, a gap of more blanks than this is a gap of this many: a hostile advance or a font
// with a hair-thin blank would otherwise fill the box with blanks.
constexpr double kMaxGapBlanks = 64;
// A line step this large or larger is no longer the box's next line.
constexpr double kMaxLineStep = 96;
// The size of annotation text whose size is left to the viewer (0), and the smallest kept.
constexpr double kAutoAnnotationFontSize = 12;
constexpr double kMinAnnotationFontSize = 1;

// The box's frame: the direction of its baseline and the direction from one line to the next.
struct BoxFrame {
    kx::Point along, across;

    explicit BoxFrame(double degrees) {
        const double r = kx::finiteOr(degrees) * std::numbers::pi / 180.0;
        along = {std::cos(r), std::sin(r)};
        // Display space runs y downward: the next line lies a quarter turn clockwise of the baseline.
        across = {-along.y, along.x};
    }
    double u(kx::Point p) const { return p.x * along.x + p.y * along.y; }
    double v(kx::Point p) const { return p.x * across.x + p.y * across.y; }
};

kx::Point baseOf(const KXPDF_CTMInfo& g) { return {g.xBase, g.yBase}; }
// The top of the glyph above its baseline origin: where a line of the box starts.
kx::Point topOf(const KXPDF_CTMInfo& g) { return {g.xTop, g.yTop}; }

// The rotation a text box takes for a glyph rotation.
double bucketOf(double r) {
    if (r < 5) return 0;
    if (r > 85 && r < 95) return 90;
    if (r > 175 && r < 185) return 180;
    if (r > 265 && r < 275) return 270;
    return r;
}

// The line properties of a text-box paragraph.
KXDocx_PPr textBoxLine(KXDocx_PPr p, double lineHeight, double indent) {
    p.spacing.before = 0;
    p.spacing.after = 0;
    p.spacing.line = static_cast<float>(lineHeight);
    p.spacing.lineRule = "exact";
    p.ind.firstLine = 0;
    p.ind.left = static_cast<float>(indent);
    p.jc = 0;
    return p;
}

}  // namespace

bool KXDocxPDFExporter::isMirroredText() const {
    // Display space runs y downward: a text transform that is not mirrored turns the orientation
    // round, and its determinant is below 0.
    const kx::AffineTransform t = currentDisplayTextTransform();
    return static_cast<float>(t.a * t.d - t.b * t.c) > 0;
}

kx::TextPlace KXDocxPDFExporter::placeOfText(const KXPDF_CTMInfo& g) const {
    // Mirrored text is drawn along a path whatever its angle: a box cannot mirror its text.
    if (g.flip || isMirroredText()) return kx::TextPlace::TextPath;
    // Only text turned by less than 5 degrees is main text; the angle counts clockwise, so a
    // baseline that rises to the right at all (358 degrees) is turned text.
    const double b = bucketOf(g.rotation);
    if (b == 0) return kx::TextPlace::MainText;
    if (b == 90 || b == 180 || b == 270) return kx::TextPlace::TextBox;
    return kx::TextPlace::TextPath;
}

double KXDocxPDFExporter::textBoxAngle(double rotation) const { return bucketOf(rotation); }

bool KXDocxPDFExporter::opensTextBox(const std::u16string& text) const { return !(text.size() == 1 && text[0] < 0x20); }

double KXDocxPDFExporter::textBoxSpaceWidth() const {
    // The font's word space as it advances along the baseline. (Measured across the page, as for
    // upright text, the advance of text reading up or down the page is nothing, or the height of
    // its glyphs, and every word gap of such text would come out as no blank at all.)
    const KXPDFFont* font = currentFont();
    const kx::AffineTransform t = currentDisplayTextTransform();
    const double width = font ? font->widthOfSpace() * fontSize() * std::hypot(t.a, t.b) : 0;
    return width > 0 && std::isfinite(width) ? width : 0;
}

void KXDocxPDFExporter::openTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g, double angle) {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    const KXPDFRenderState* state = topState();
    if (!page || !state) return;
    KXDocxTextBoxInfo info;
    const kx::Point start = topOf(g);
    info.displayX = start.x;
    info.displayY = start.y;
    // Until the box closes and takes the size of its text: as far as the page goes.
    info.displayWidth = std::fabs(page->sectProperty().pgSz.w - start.x);
    info.displayHeight = std::fabs(page->sectProperty().pgSz.h - start.y);
    info.stroked = false;
    info.filled = false;
    info.strokeweight = 1.0;
    info.strokeDashPattern = state->lineDashPattern();
    info.strokeDashPhase = state->lineDashPhase();
    info.strokecolor = state->currentStrokeColor();
    info.fillcolor = state->currentFillColor();
    info.rotation = angle;
    page->setIsUsingTextBox(true);
    page->setCachedTextBoxInfo(info);
    page->cachedTextBoxParagraphs().clear();
    std::shared_ptr<KXDocxParagraph> first = page->cachedTextBoxNewParagraph();
    first->setPProperty(textBoxLine(first->pProperty(), g.fontSize.height, 0));
    appendDocxTextBox(text, offset, g);
}

void KXDocxPDFExporter::appendDocxTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g,
                                          double gap) {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    if (!page) return;
    std::shared_ptr<KXDocxParagraph> paragraph = page->cachedTextBoxLastParagraph();
    if (!paragraph) paragraph = page->cachedTextBoxNewParagraph();
    // The run properties of a style are made once and shared, as the main text's are.
    const std::shared_ptr<const KXDocx_RPr> r = sharedRProperty(currentDisplayTextTransform());

    // The paragraph's last run grows while the style stays; a change of style starts a run.
    std::shared_ptr<KXDocxRunText> run;
    if (const auto line = paragraph->firstRunLineText(); line && !line->runTextArray().empty())
        if (KXDocxRPrIsEqual(line->runTextArray().back()->rProperty(), *r)) run = line->runTextArray().back();
    if (run) {
        run->appendRunText(text);
    } else {
        run = newTextRun();
        run->setRProperty(r);
        run->setRunText(text);
        paragraph->addRunTextArray({run});
        KXDocx_PPr p = paragraph->pProperty();
        if (g.fontSize.height > p.spacing.line) {
            p.spacing.line = static_cast<float>(g.fontSize.height);
            paragraph->setPProperty(p);
        }
    }
    advanceNextChar(offset);
    // The box and the run grow with the text: a box reading down the page as far right, and one
    // reading up as far left, as its text reaches.
    const KXPDF_CTMInfo& n = nextCharCTMInfo();
    KXDocxTextBoxInfo& info = page->cachedTextBoxInfo();
    double advance = 0;
    if (info.rotation == 90) {
        if (std::isfinite(n.xRight)) info.displayX = std::max(info.displayX, n.xRight);
        advance = std::fabs(n.topLeft.y - g.topLeft.y);
    } else if (info.rotation == 270) {
        if (std::isfinite(n.topLeft.x)) info.displayX = std::min(info.displayX, n.topLeft.x);
        advance = std::fabs(n.topLeft.y - g.topLeft.y);
    } else {
        advance = std::fabs(n.topLeft.x - g.topLeft.x);
    }
    // The gap before the string counts too: the blanks that stand for it take its place in the
    // line, and a box shorter than its line would have the word processor wrap the line and push
    // the box's last lines out of it.
    if (std::isfinite(advance)) run->setTextWidth(run->textWidth() + advance + std::max(0.0, gap));
}

kx::TextBoxStep KXDocxPDFExporter::continueTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g) {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    if (!page) return kx::TextBoxStep::LeavesTheBox;
    const double b = textBoxAngle(g.rotation);
    const bool mirrored = g.flip || isMirroredText();
    if (b != openTextBoxAngle() || mirrored)
        return (b == 90 || b == 270) && !mirrored ? kx::TextBoxStep::OpensAnotherBox : kx::TextBoxStep::LeavesTheBox;

    // Where this string starts against where the box's text ended, in the box's own frame: along
    // its lines and across them in the direction its next line goes, whichever way the box is
    // turned. (Measured on the page as for upright text, the step of a line reading down the page
    // to its next line, which lies to its left, would read as a step back, and a line shown to the
    // right of it would join the box as its next line and stand on the wrong side of it.)
    const KXDocxTextBoxInfo& info = page->cachedTextBoxInfo();
    const BoxFrame frame(info.rotation);
    const KXPDF_CTMInfo& p = nextCharCTMInfo();
    const double dx = frame.u(baseOf(g)) - frame.u(baseOf(p));
    const double dy = frame.v(baseOf(g)) - frame.v(baseOf(p));
    if (!std::isfinite(dx) || !std::isfinite(dy)) return kx::TextBoxStep::LeavesTheBox;
    const double sw = textBoxSpaceWidth();

    if (dy > 1.0) {
        // The box's next line, unless it is far below or starts before the box along its lines
        // (its indent is measured along them too, not across the page).
        const double indent = frame.u(topOf(g)) - frame.u({info.displayX, info.displayY});
        if (dy >= kMaxLineStep || indent < -0.5) return kx::TextBoxStep::LeavesTheBox;
        std::shared_ptr<KXDocxParagraph> paragraph = page->cachedTextBoxNewParagraph();
        paragraph->setPProperty(textBoxLine(paragraph->pProperty(), dy, std::max(0.0, indent)));
        appendDocxTextBox(text, offset, g);
        return kx::TextBoxStep::Kept;
    }
    // The same line: text that runs back by more than a blank, or climbs, is not the box's.
    if (dx < -sw || dy <= -1.0) return kx::TextBoxStep::LeavesTheBox;
    const double blanks = sw > 0 ? std::floor(static_cast<float>(dx / sw)) : 0;
    if (blanks >= 1) {
        std::u16string spaced(static_cast<size_t>(std::min(blanks, kMaxGapBlanks)), u' ');
        spaced += text;
        appendDocxTextBox(spaced, offset, g, std::min(dx, kMaxGapBlanks * sw));
    } else {
        appendDocxTextBox(text, offset, g, dx);
    }
    return kx::TextBoxStep::Kept;
}

void KXDocxPDFExporter::closeTextBox() {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    if (!page || !page->isUsingTextBox()) return;
    KXDocxTextBoxInfo info = page->cachedTextBoxInfo();
    const double w = page->cachedTextBoxWidthMax(), h = page->cachedTextBoxHeight();
    if (info.rotation == 90 || info.rotation == 270) {
        info.displayWidth = h;
        info.displayHeight = w + 10;
    } else {
        info.displayWidth = w + 10;
        info.displayHeight = h;
    }
    if (std::shared_ptr<KXDocxParagraph> last = page->cachedTextBoxLastParagraph()) last->resolvePProperty();

    const KXPDFRenderState* state = topState();
    auto box = std::make_shared<KXDocxRunTextBox>();
    box->setIsAnnotion(state && state->isParseringAnnotion());
    box->setPdfAnnotionIndex(state ? state->pdfAnnotionIndex() : 0);
    box->setPdfScanIndex(nextScanIndex());
    box->setPictZIndex(KXDocxCounters::sharedInstance().nextPictZIndex());
    box->paragraphArray() = std::move(page->cachedTextBoxParagraphs());
    box->setPictInfo(info);
    page->allRunTextBoxArray().push_back(std::move(box));

    page->setIsUsingTextBox(false);
    page->setCachedTextBoxInfo({});
    page->cachedTextBoxParagraphs().clear();
}

KXDocxTextPathInfo KXDocxPDFExporter::textPathInfoAt(const KXPDF_CTMInfo& g) {
    KXDocxTextPathInfo info;
    const KXPDFRenderState* state = topState();
    // The path starts where its first glyph does, at the height of the glyph's top; its box is one
    // line high.
    const kx::Point start = g.topLeft;
    info.displayX = start.x;
    info.displayY = start.y;
    info.displayWidth = g.fontSize.width;
    info.displayHeight = g.fontSize.height;
    info.stroked = false;
    info.filled = true;
    info.strokeweight = 1.0;
    if (state) {
        info.strokecolor = state->currentStrokeColor();
        info.fillcolor = state->currentFillColor();
    }
    info.rotation = g.rotation;
    info.flipY = g.flip || isMirroredText();
    info.trim = true;
    info.fitpath = false;
    info.rProperty = *sharedRProperty(currentDisplayTextTransform());
    return info;
}

bool KXDocxPDFExporter::continuesTextPath(const KXPDF_CTMInfo& g) const {
    const KXPDF_CTMInfo& n = nextCharCTMInfo();
    const KXDocxTextPathInfo& info = cachedTextPathInfo();
    if ((g.flip || isMirroredText()) != info.flipY || g.rotation != n.rotation) return false;
    const kx::Point start{info.displayX, info.displayY};
    const kx::Point top = g.topLeft;
    // The first glyph's own string goes on from where the path starts.
    if (std::hypot(top.x - start.x, top.y - start.y) < 0.5) return true;
    return KXAngleOfLine(start, top) == g.rotation;
}

void KXDocxPDFExporter::closeTextPath() {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    if (!page || cachedTextPathString().empty()) return;
    KXDocxTextPathInfo info = cachedTextPathInfo();
    // From where the path starts to where the next glyph would, both at the height of the glyphs'
    // tops: the box is as long as that line, one line high and turned with it. Its middle lies half
    // a line across from the line's middle, on the side the glyphs hang: on the line itself, the
    // box of a string mirrored top to bottom, whose glyphs hang below its baseline, would be drawn
    // a line below them.
    const kx::Point start{info.displayX, info.displayY};
    const kx::Point end = nextCharCTMInfo().topLeft;
    const double dx = end.x - start.x, dy = end.y - start.y;
    const double length = std::hypot(dx, dy);
    if (!std::isfinite(length)) return;
    const BoxFrame frame(info.rotation);
    // A mirrored string's glyphs hang on the other side of its baseline.
    const double side = info.flipY ? -0.5 : 0.5;
    const double height = std::fabs(info.displayHeight);
    const kx::Point centre{start.x + dx * 0.5 + frame.across.x * height * side,
                           start.y + dy * 0.5 + frame.across.y * height * side};
    info.displayWidth = length;
    info.displayX = centre.x - length * 0.5;
    info.displayY = centre.y - height * 0.5;
    info.center = centre;

    auto run = std::make_shared<KXDocxRunTextPath>();
    run->setPdfScanIndex(nextScanIndex());
    run->setPictZIndex(KXDocxCounters::sharedInstance().nextPictZIndex());
    run->setRunText(cachedTextPathString());
    run->setRProperty(info.rProperty);
    run->setPictInfo(info);
    page->allRunTextPathArray().push_back(std::move(run));
}

void KXDocxPDFExporter::didScanTextBox(KXPDFConentParser&, const kx::Rect& rect, const std::u16string& text,
                                       const std::string& fontName, const KXPDFColor& fontColor, double fontSize,
                                       std::int64_t alignment, bool borderStroke, bool borderFill) {
    KXDocxPage* page = writer_ ? writer_->currentPage() : nullptr;
    const KXPDFRenderState* state = topState();
    if (!page || !state || isShouldCancel() || state->textRenderMode() == 3) return;
    const kx::Rect box = currentPageTransform().apply(state->ctm().apply(rect)).standardized();
    if (box.isNull() || box.isInfinite() || !std::isfinite(box.origin.x) || !std::isfinite(box.origin.y) ||
        !std::isfinite(box.size.width) || !std::isfinite(box.size.height))
        return;

    KXDocxTextBoxInfo info;
    info.setDisplayFrame(box);
    info.stroked = borderStroke;
    info.filled = borderFill;
    info.strokeweight = state->lineWidth();
    info.strokeDashPattern = state->lineDashPattern();
    info.strokeDashPhase = state->lineDashPhase();
    info.strokecolor = state->currentStrokeColor();
    info.fillcolor = state->currentFillColor();
    info.rotation = 0;

    const std::string name = kx::truncateUtf8(fontName.empty() ? std::string("Arial Unicode MS") : fontName, 127);
    const KXPDFFont* font = currentFont();
    const KXPDFFontDescriptor* descriptor = font ? font->fontDescriptor() : nullptr;
    // A size of 0 leaves the size to the viewer: one line of the box, at most the usual 12 points.
    double size = kx::finiteOr(fontSize);
    if (size <= 0) size = box.size.height > 0 ? std::min(kAutoAnnotationFontSize, box.size.height) : kAutoAnnotationFontSize;
    size = std::max(size, kMinAnnotationFontSize);

    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    r.rFonts = {name, name, name, name};
    r.b = KXPDFFontUtilities::isBoldFontName(name);
    r.i = KXPDFFontUtilities::isItalicFontName(name) || (descriptor && descriptor->isItalic());
    const KXPDFRGB rgb = KXPDFRenderState::RGBColorForPDFColor(fontColor);
    r.color = {rgb.r, rgb.g, rgb.b, 255};
    r.sz = static_cast<float>(size);
    r.spacing = 0;
    r.w = 100;
    r.u = 0;
    r.noProof = true;

    KXDocx_PPr p = textBoxLine(KXDocxUtilities::defaultPProperty(), r.sz, 0);
    p.jc = alignment == 1 ? 1 : alignment == 2 ? 2 : 0;

    auto run = std::make_shared<KXDocxRunText>();
    run->setIsAnnotion(state->isParseringAnnotion());
    run->setPdfAnnotionIndex(state->pdfAnnotionIndex());
    const std::uint64_t index = nextScanIndex();
    run->setPdfScanIndex(index);
    run->setTextScanIndex(index);
    // No operator of the content stream showed it.
    run->setPdfScanIndex_BegainText(~std::uint64_t{0});
    run->setPdfScanIndex_ShowText(~std::uint64_t{0});
    run->setRProperty(r);
    run->setRunText(text.empty() ? std::u16string(u" ") : text);

    auto paragraph = std::make_shared<KXDocxParagraph>();
    paragraph->setPProperty(p);
    paragraph->addRunTextArray({run});

    auto textBox = std::make_shared<KXDocxRunTextBox>();
    textBox->setIsAnnotion(state->isParseringAnnotion());
    textBox->setPdfAnnotionIndex(state->pdfAnnotionIndex());
    textBox->setPdfScanIndex(nextScanIndex());
    textBox->setPictZIndex(KXDocxCounters::sharedInstance().nextPictZIndex());
    textBox->paragraphArray().push_back(std::move(paragraph));
    textBox->setPictInfo(info);
    page->allRunTextBoxArray().push_back(std::move(textBox));
}
