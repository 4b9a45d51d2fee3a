#pragma once
// What the three flow-text exporters share. An exporter owns one document writer; for every page it
// sets up the page geometry, runs a content interpreter with itself as the delegate, and turns each
// reported character on a horizontal baseline into a text run of the writer's current page.
// Characters on any other baseline (vertical text, text on a slanted or turned baseline) are
// gathered in the page's text-box or text-path cache and then dropped: they never reach the
// output.
//
// `kStyleFromRendering`: HTML and RTF also take bold from the fill-and-stroke text render modes and
// italic from a slanted text transform; plain text takes both from the font only.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxTextBoxInfo.h"
#include "docx/model/KXDocxTextPathInfo.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXPDFScanIndexCounter.h"
#include "flowtext/FlowRun_p.h"
#include "engine/KXPDFExporter.h"
#include "fonts/KXPDFFont.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFFontUtilities.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/interpreter/KXPDFConentParserDelegate.h"
#include "pdf/interpreter/KXPDFRenderStateStack.h"
#include "pdf/KXPDFUtilities.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "platform/Geometry.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFContentScanner.h"
#include "platform/pdf/PDFDocument.h"

namespace kx::detail {

template <class Document, class RunText, bool kStyleFromRendering>
class FlowExporter : public KXPDFExporter {
public:
    FlowExporter() = default;

    void begainConvertPDF(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>&) override {
        writer_ = std::make_unique<Document>(destPath, static_cast<std::int64_t>(numberOfPagesToConvert()));
        writer_->begainWriteDocument();
        setIsShouldCancel(false);
        if (writer_->hasFailed()) failOutput(kOutputWriteFailure);
    }

    bool convertPDFPage(const kx::PDFPage& page) override {
        if (!writer_ || writer_->hasFailed()) return false;
        long angle = page.rotationAngle() % 360;
        if (angle < 0) angle += 360;
        currentPageRotationAngle_ = angle;
        currentPageMediaBox_ = KXPDFUtilities::MediaBoxOfPDFPage(page);
        currentPageTransform_ = KXPageRotationTransform(angle, currentPageMediaBox_.size.width,
                                                        currentPageMediaBox_.size.height);
        nextCharFontSize_ = mainTextFontSize_ = 1.0;
        nextCharTransform_ = mainTextTransform_ = kx::AffineTransform::identity();
        renderingStateStack_ = std::make_shared<KXPDFRenderStateStack>();
        isNotScanTextYet_ = true;
        tiltedLine_.reset();
        styleCache_.clear();
        fillCache_ = {};
        runArena_ = {};
        writer_->begainWritePage({currentPageMediaBox_.size.width, currentPageMediaBox_.size.height});
        {
            KXPDFConentParser parser(page.dictionary(), kx::PDFContentStream::forPage(page));
            parser.setDelegate(this);
            parser.setRenderingStateStack(renderingStateStack_);
            // Annotations are interpreted as the job's options say.
            parser.setIsParserAnnots(moreOptions() ? moreOptions()->isParserAnnots() : 1);
            parser.startParser();
        }
        endTextBoxWritingIfNeed();
        endTextPathWritingIfNeed();
        writer_->endWritePage();
        renderingStateStack_.reset();
        return true;
    }

    void endConvertPDF(const std::shared_ptr<kx::PDFDocument>&) override {
        if (!writer_) return;
        writer_->endWriteDocument();
        if (!writer_->packetZipFileIfNeed()) failOutput(kOutputWriteFailure);
    }

    // Only text reaches the output: images need not be decoded.
    bool usesImagePixels() const override { return false; }

    // The page work stops taking text at once; the engine then cleans up.
    void cancelConvertPDF() override { setIsShouldCancel(true); }

    // Cancelled: no work folder and no half-written output stay behind.
    void cleanConvertPDF() override {
        if (writer_) writer_->cancelDocument();
    }

    // The display transform of the current text position: text matrix, CTM, page transform.
    kx::AffineTransform currentDisplayTextTransform() const {
        return kx::concat(kx::concat(textMatrix(), ctm()), currentPageTransform_);
    }
    // The display transform of the text position after an advance by the offset (text space).
    kx::AffineTransform nextDisplayTextTransform(kx::Size offset) const {
        return kx::concat(kx::concat(textMatrix().translated(offset.width, offset.height), ctm()), currentPageTransform_);
    }
    // The displayed size of a width in text space at the current position: the horizontal distance
    // the text position moves, and the height of the text. (Measured from the top of the text, as
    // the display rectangle of the advance is, the width of slanted text would lose the slant's
    // offset and could come out near zero, so that a gap would take a hundred blanks.)
    kx::Size convertToDisplaySpaceWidth(double width) const {
        const KXPDFFont* font = currentFont();
        const kx::AffineTransform before = currentDisplayTextTransform();
        const kx::AffineTransform after =
            kx::concat(kx::concat(textMatrix().translated(width, 0), ctm()), currentPageTransform_);
        kx::Rect rect = KXDisplaySpaceRect(before, after, fontSize(), font ? font->ascent() : 0, font ? font->descent() : 0);
        return {std::fabs(after.tx - before.tx), rect.size.height};
    }

    // The run properties of the current text state.
    KXDocx_RPr currentRProperty() const { return *sharedRProperty(currentDisplayTextTransform()); }

    // The same, shared by the runs of one style: the text state changes far less often than the
    // characters it shows, so the record is made once per change, not once per character.
    std::shared_ptr<const KXDocx_RPr> sharedRProperty(const kx::AffineTransform& t) const {
        const KXPDFFont* font = currentFont();
        if (!font) return defaultRunProperty();
        const int mode = topState() ? topState()->textRenderMode() : 0;
        const KXPDFRGB rgb = topState() ? fillRGB(*topState()) : KXPDFRGB{};
        StyleKey key{font, fontSize(), t.a, t.b, t.c, t.d, mode, rgb};
        for (auto it = styleCache_.begin(); it != styleCache_.end(); ++it) {
            if (!(it->key == key)) continue;
            std::rotate(styleCache_.begin(), it, it + 1);
            return styleCache_.front().property;
        }

        KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
        r.scrpit = 0;
        const std::string family =
            font->fontFamilyName().empty() ? std::string(kFallbackFontName) : kx::truncateUtf8(font->fontFamilyName(), 127);
        r.rFonts.ascii = r.rFonts.hAnsi = r.rFonts.cs = r.rFonts.eastAsia = family;
        const std::string& styleName = font->fontName().empty() ? std::string(kFallbackFontName) : font->fontName();
        const KXPDFFontDescriptor* descriptor = font->fontDescriptor();
        r.b = KXPDFFontUtilities::isBoldFontName(styleName) || (descriptor && descriptor->isBold());
        r.i = KXPDFFontUtilities::isItalicFontName(styleName) || (descriptor && descriptor->isItalic());
        if constexpr (kStyleFromRendering) {
            r.b = r.b || mode == 2 || mode == 6;
            const double ratio = std::fabs((t.a + t.c) / (t.b + t.d));
            r.i = r.i || ratio > 1.1 || ratio < 0.9;
        }
        r.color = {rgb.r, rgb.g, rgb.b, 255};
        r.sz = static_cast<float>(KXMakeCTMInfo(t, fontSize(), font->ascent(), font->descent()).fontSize.width);
        r.spacing = 0;
        r.w = 100.0f;
        r.u = 0;
        r.noProof = true;
        if (styleCache_.size() == kStyleCacheSize) styleCache_.pop_back();
        styleCache_.insert(styleCache_.begin(), StyleEntry{key, std::make_shared<const KXDocx_RPr>(std::move(r))});
        return styleCache_.front().property;
    }

    // The fill colour in RGB, converted again only when the colour or its space changes (a
    // conversion through a profile costs more than the rest of a character's run properties).
    KXPDFRGB fillRGB(const KXPDFRenderState& state) const {
        if (!fillCache_.valid || fillCache_.space != state.fillColorSpace() || !(fillCache_.color == state.fillColor()))
            fillCache_ = {true, state.fillColorSpace(), state.fillColor(), state.currentFillRGBColor()};
        return fillCache_.rgb;
    }

    // A shown character code: routed to the open text box or path, or to the main text.
    void didScanText(KXPDFConentParser&, const std::u16string& text, kx::Size offset) override {
        if (isShouldCancel() || !writer_ || !writer_->currentPage()) return;
        // The state stack does not change while a character is placed: its top is looked up once
        // here instead of at each of the dozen reads of the text state that follow.
        const TopStateScope scope(*this);
        auto* page = writer_->currentPage();
        if (page->isUsingTextBox())
            usingDocxTextBox(text, offset);
        else if (page->isUsingTextPath())
            usingDocxTextPath(text, offset);
        else
            usingDocxMainText(text, offset);
    }

    void usingDocxMainText(const std::u16string& text, kx::Size offset) {
        if (isNotScanTextYet_ && isLoneBlank(text)) return;
        const kx::AffineTransform t = currentDisplayTextTransform();
        const KXPDF_CTMInfo g = geometry(t);
        const double angle = g.rotation;
        if (isHorizontal(angle)) {
            makeMainRun(text, offset, t, g);
        } else if ((angle > 85 && angle < 95) || (angle > 265 && angle < 275)) {
            newDocxTextBox(text, offset);
        } else {
            newDocxTextPath(text, offset);
        }
    }

    void newDocxTextBox(const std::u16string& text, kx::Size offset) {
        if (isLoneBlank(text)) return;
        auto* page = writer_->currentPage();
        const KXPDF_CTMInfo g = geometry(currentDisplayTextTransform());
        auto info = std::make_unique<KXDocxTextBoxInfo>();
        info->rotation = boxAngle(g.rotation);
        info->displayX = g.topLeft.x;
        info->displayY = g.topLeft.y;
        page->setIsUsingTextBox(true);
        page->setCachedTextBoxInfo(std::move(info));
        page->cachedTextBoxParagraphs().clear();
        page->cachedTextBoxNewParagraph();
        appendDocxTextBox(text, offset);
    }

    void usingDocxTextBox(const std::u16string& text, kx::Size offset) {
        auto* page = writer_->currentPage();
        const double angle = boxAngle(geometry(currentDisplayTextTransform()).rotation);
        if (angle == 90 || angle == 270) {
            if (page->cachedTextBoxInfo() && page->cachedTextBoxInfo()->rotation == angle) {
                appendDocxTextBox(text, offset);
            } else {
                endTextBoxWritingIfNeed();
                newDocxTextBox(text, offset);
            }
            return;
        }
        endTextBoxWritingIfNeed();
        restoreMainTextPosition();
        usingDocxMainText(text, offset);
    }

    void appendDocxTextBox(const std::u16string& text, kx::Size offset) {
        auto* page = writer_->currentPage();
        auto* paragraph = page->cachedTextBoxLastParagraph();
        if (!paragraph) paragraph = page->cachedTextBoxNewParagraph();
        const KXDocx_RPr r = currentRProperty();
        RunText* last = paragraph->lastRunText();
        if (last && KXDocxRPrIsEqual(last->rProperty(), r)) {
            last->runText() += text;
        } else {
            auto run = std::allocate_shared<RunText>(runArena_);
            run->setPdfScanIndex(KXPDFScanIndexCounter++);
            run->setRProperty(r);
            run->setRunText(text);
            paragraph->runArray().push_back(std::move(run));
        }
        advanceNextChar(offset);
    }

    void newDocxTextPath(const std::u16string& text, kx::Size offset) {
        auto* page = writer_->currentPage();
        const KXPDF_CTMInfo g = geometry(currentDisplayTextTransform());
        auto info = std::make_unique<KXDocxTextPathInfo>();
        info->displayX = g.topLeft.x;
        info->displayY = g.topLeft.y;
        info->rotation = g.rotation;
        info->rProperty = currentRProperty();
        page->setIsUsingTextPath(true);
        page->setCachedTextPathInfo(std::move(info));
        page->setCachedTextPathString(std::u16string());
        appendDocxTextPath(text, offset);
    }

    void usingDocxTextPath(const std::u16string& text, kx::Size offset) {
        auto* page = writer_->currentPage();
        const KXPDF_CTMInfo g = geometry(currentDisplayTextTransform());
        const KXDocxTextPathInfo* info = page->cachedTextPathInfo();
        if (info && g.rotation == nextCharCTMInfo_.get().rotation &&
            KXAngleOfLine({info->displayX, info->displayY}, g.topLeft) == g.rotation) {
            appendDocxTextPath(text, offset);
            return;
        }
        endTextPathWritingIfNeed();
        restoreMainTextPosition();
        usingDocxMainText(text, offset);
    }

    void appendDocxTextPath(const std::u16string& text, kx::Size offset) {
        writer_->currentPage()->cachedTextPathString() += text;
        advanceNextChar(offset);
    }

    void endTextBoxWritingIfNeed() {
        auto* page = writer_ ? writer_->currentPage() : nullptr;
        if (!page || !page->isUsingTextBox()) return;
        page->setIsUsingTextBox(false);
        page->setCachedTextBoxInfo(nullptr);
        page->cachedTextBoxParagraphs().clear();
    }

    void endTextPathWritingIfNeed() {
        auto* page = writer_ ? writer_->currentPage() : nullptr;
        if (!page || !page->isUsingTextPath()) return;
        page->setIsUsingTextPath(false);
        page->setCachedTextPathInfo(nullptr);
        page->setCachedTextPathString(std::u16string());
    }

    const kx::Rect& currentPageMediaBox() const { return currentPageMediaBox_; }
    const kx::AffineTransform& currentPageTransform() const { return currentPageTransform_; }
    double mainTextFontSize() const { return mainTextFontSize_; }
    const kx::AffineTransform& mainTextTransform() const { return mainTextTransform_; }
    const KXPDF_CTMInfo& mainTextCTMInfo() const { return mainTextCTMInfo_.get(); }
    double nextCharFontSize() const { return nextCharFontSize_; }
    const kx::AffineTransform& nextCharTransform() const { return nextCharTransform_; }
    const KXPDF_CTMInfo& nextCharCTMInfo() const { return nextCharCTMInfo_.get(); }
    bool isNotScanTextYet() const { return isNotScanTextYet_; }

protected:
    Document* writer() const { return writer_.get(); }

private:
    static constexpr const char* kFallbackFontName = "Arial Unicode MS";

    // A lone blank or control character: nothing to show at the start of a page or as a box.
    static bool isLoneBlank(const std::u16string& text) { return text.size() == 1 && text[0] < 0x21; }
    // Below 5 degrees, and (rounded) from 355 to 360 degrees: a baseline that rises slightly to the
    // right is as horizontal as one that falls slightly.
    static bool isHorizontal(double angle) { return angle < 5 || (angle >= 355 && angle <= 360); }
    static double boxAngle(double angle) {
        if (angle > 85 && angle < 95) return 90;
        if (angle > 265 && angle < 275) return 270;
        if (isHorizontal(angle)) return 0;
        return angle;
    }

    const KXPDFRenderState* topState() const {
        if (heldTopState_) return *heldTopState_;
        return findTopState();
    }
    const KXPDFRenderState* findTopState() const {
        if (!renderingStateStack_ || renderingStateStack_->depth() == 0) return nullptr;
        return &renderingStateStack_->stack().back();
    }
    struct TopStateScope {
        explicit TopStateScope(const FlowExporter& e) : exporter(e) { exporter.heldTopState_ = exporter.findTopState(); }
        ~TopStateScope() { exporter.heldTopState_.reset(); }
        TopStateScope(const TopStateScope&) = delete;
        TopStateScope& operator=(const TopStateScope&) = delete;
        const FlowExporter& exporter;
    };
    const KXPDFFont* currentFont() const { return topState() ? topState()->font().get() : nullptr; }
    double fontSize() const { return topState() ? topState()->fontSize() : 0.0; }
    // Without a state, all-zero matrices stand for the text matrix and the CTM.
    kx::AffineTransform textMatrix() const {
        return topState() ? topState()->textMatrix() : kx::AffineTransform{0, 0, 0, 0, 0, 0};
    }
    kx::AffineTransform ctm() const { return topState() ? topState()->ctm() : kx::AffineTransform{0, 0, 0, 0, 0, 0}; }

    KXPDF_CTMInfo geometry(const kx::AffineTransform& t) const { return pendingGeometry(t).get(); }
    // The same, worked out when first read: the position after each character is recorded for
    // every character but read only when text leaves a text path.
    struct PendingGeometry {
        kx::AffineTransform t;
        double fontSize = 0, ascent = 0, descent = 0;
        mutable std::optional<KXPDF_CTMInfo> info = KXPDF_CTMInfo{};

        const KXPDF_CTMInfo& get() const {
            if (!info) info = KXMakeCTMInfo(t, fontSize, ascent, descent);
            return *info;
        }
    };
    PendingGeometry pendingGeometry(const kx::AffineTransform& t) const {
        const KXPDFFont* font = currentFont();
        return {t, fontSize(), font ? font->ascent() : 0, font ? font->descent() : 0, std::nullopt};
    }

    void advanceNextChar(kx::Size offset) {
        nextCharTransform_ = nextDisplayTextTransform(offset);
        nextCharFontSize_ = fontSize();
        nextCharCTMInfo_ = pendingGeometry(nextCharTransform_);
    }

    void restoreMainTextPosition() {
        nextCharFontSize_ = mainTextFontSize_;
        nextCharTransform_ = mainTextTransform_;
        nextCharCTMInfo_ = mainTextCTMInfo_;
    }

    // `t` is the current display transform and `g` the geometry of the string under it.
    void makeMainRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t, KXPDF_CTMInfo g) {
        const KXPDFFont* font = currentFont();
        const double size = fontSize();
        // convertToDisplaySpaceWidth, from the transform at hand: the text matrix translated in text
        // space is this transform translated.
        const double space = font ? font->widthOfSpace() * size : 0.0;
        const double spaceWidth = std::fabs(t.translated(space, 0).tx - t.tx);
        nextCharTransform_ = t.translated(offset.width, offset.height);
        nextCharFontSize_ = size;
        nextCharCTMInfo_ = pendingGeometry(nextCharTransform_);
        // The left edge of a geometry is its transform's origin.
        const double textWidth = std::fabs(nextCharTransform_.tx - g.topLeft.x);
        // A string that a hostile matrix puts nowhere cannot be placed on the page.
        if (!std::isfinite(g.topLeft.x) || !std::isfinite(g.topLeft.y) || !std::isfinite(g.bottomLeft.y) ||
            !std::isfinite(textWidth))
            return;
        straightenTiltedRun(t, g);
        isNotScanTextYet_ = false;
        mainTextTransform_ = nextCharTransform_;
        mainTextFontSize_ = nextCharFontSize_;
        mainTextCTMInfo_ = nextCharCTMInfo_;
        g.rotation = 0;
        auto run = std::allocate_shared<RunText>(runArena_);
        run->setPdfScanIndex(KXPDFScanIndexCounter++);
        run->setCtmInfo(g);
        run->setRProperty(sharedRProperty(t));
        run->setRunText(text);
        run->setSpaceWidth(std::isfinite(spaceWidth) ? spaceWidth : 0.0);
        run->setTextWidth(textWidth);
        writer_->currentPage()->allRunTextArray().push_back(std::move(run));
    }

    // Text on a baseline a few degrees off the horizontal is taken as horizontal, but each of its
    // characters starts a little higher or lower than the one before. Over a long line that adds up
    // to more than the page's tolerance for one baseline, and the line would fall apart into pieces
    // read in the wrong order. A run that goes on along the tilted baseline of the run before it
    // therefore takes that run's top and bottom, which keeps the line one line.
    void straightenTiltedRun(const kx::AffineTransform& t, KXPDF_CTMInfo& g) {
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

    std::unique_ptr<Document> writer_;
    std::shared_ptr<KXPDFRenderStateStack> renderingStateStack_;
    kx::Rect currentPageMediaBox_;
    std::int64_t currentPageRotationAngle_ = 0;
    kx::AffineTransform currentPageTransform_;
    double mainTextFontSize_ = 0;
    kx::AffineTransform mainTextTransform_;
    PendingGeometry mainTextCTMInfo_{};
    double nextCharFontSize_ = 0;
    kx::AffineTransform nextCharTransform_;
    PendingGeometry nextCharCTMInfo_{};
    bool isNotScanTextYet_ = false;
    // What the run properties depend on (the font by identity: a page's fonts live as long as the
    // page's interpretation, and the cache is emptied with each page).
    struct StyleKey {
        const KXPDFFont* font;
        double fontSize, a, b, c, d;
        int renderMode;
        KXPDFRGB fill;
        bool operator==(const StyleKey&) const = default;
    };
    struct StyleEntry {
        StyleKey key{};
        std::shared_ptr<const KXDocx_RPr> property;
    };
    // The styles made last, the latest first: text goes back and forth between a few styles
    // (roman, italic, bold, a code face), and making a record again costs a look at the font's
    // name for its weight and slant.
    static constexpr size_t kStyleCacheSize = 8;
    mutable std::vector<StyleEntry> styleCache_;
    struct FillCache {
        bool valid = false;
        std::shared_ptr<const KXPDFColorSpace> space;  // kept, so that its address stays its own
        KXPDFColor color;
        KXPDFRGB rgb;
    };
    mutable FillCache fillCache_;
    // The top of the state stack while a character is placed (see didScanText).
    mutable std::optional<const KXPDFRenderState*> heldTopState_;
    RunArenaAllocator<RunText> runArena_;  // a new one for each page
    struct TiltedLine {
        double theta;          // direction of the baseline in display space, radians
        double top, bottom;    // of the line's first run
        kx::Point last;        // where the line's last run starts
        double height;
    };
    std::optional<TiltedLine> tiltedLine_;
};

}  // namespace kx::detail
