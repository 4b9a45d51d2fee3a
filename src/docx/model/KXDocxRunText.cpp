#include "docx/model/KXDocxRunText.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "docx/model/KXDocxFontStandIn_p.h"
#include "docx/model/KXDocxManager.h"
#include "docx/model/KXDocxUtilities.h"
#include "fonts/KXPDFFontUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "platform/Numeric.h"
#include "platform/TextBreaks.h"
#include "platform/Unicode.h"
#include "util/KXConverterUtilities.h"

namespace {

constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
constexpr std::string_view kXMLNamespace = "http://www.w3.org/XML/1998/namespace";

// The most LibreOffice condenses a character, as a part of its size.
constexpr double kCondensingLimit = 1.0 / 6.0;

// White space and line breaks are all in the Basic Multilingual Plane: one UTF-16 unit each.
bool isBlankUnit(char16_t c) { return kx::isWhitespaceOrNewline(c); }

}  // namespace

std::shared_ptr<KXDocxRun> KXDocxRunText::copy() const {
    return std::shared_ptr<KXDocxRunText>(new KXDocxRunText(*this));
}

std::string KXDocxRunText::description() const {
    const KXPDF_CTMInfo& g = ctmInfo();
    const KXDocx_RPr& r = rProperty();
    return kx::format(
        "<KXDocxRunText: %p:[pdfScanIndex:%llu~%llu][textScanIndex:%llu~%llu][annot:%lld][yBase:%f]"
        "[topLeft:%f,%f][frame:%f,%f,%f,%f][fontSize:%f,%f][textWidth:%f][spaceWidth:%f][inside:%f][outside:%f]"
        "[font:%s][sz:%f][b:%d][i:%d][script:%d][text:%s]>",
        static_cast<const void*>(this), static_cast<unsigned long long>(pdfScanIndex()),
        static_cast<unsigned long long>(pdfScanLength()), static_cast<unsigned long long>(textScanIndex_),
        static_cast<unsigned long long>(textScanLength_), static_cast<long long>(pdfAnnotionIndex()), g.yBase,
        g.topLeft.x, g.topLeft.y, g.frame.origin.x, g.frame.origin.y, g.frame.size.width, g.frame.size.height,
        g.fontSize.width, g.fontSize.height, textWidth_, spaceWidth_, insideSpacing_, outsideSpacing_,
        r.rFonts.ascii.c_str(), r.sz, r.b, r.i, r.scrpit, kx::utf16ToUtf8(runText_).c_str());
}

bool KXDocxRunText::isDuplicateRunText(const KXDocxRunText& other) const {
    // Text drawn over itself lies within a fraction of its width of itself; the same letter twice
    // in a row ("ll" in small type) stands a whole letter further on, which may be less than the
    // 1.5 points allowed.
    // The colour is not compared: a page whose transparency was flattened draws its text a second
    // time in another colour where it crosses a tinted box, and both copies stood in the line, the
    // text twice over.
    const double dx = std::fabs(ctmInfo().xLeft - other.ctmInfo().xLeft);
    KXDocx_RPr otherProperty = other.rProperty();
    otherProperty.color = rProperty().color;
    return runText_ == other.runText_ && dx <= 1.5 && dx < 0.5 * ctmInfo().frame.width() &&
           std::fabs(ctmInfo().yBase - other.ctmInfo().yBase) <= 1.0 &&
           KXDocxRPrIsEqual(rProperty(), otherProperty);
}

bool KXDocxRunText::isBankSpaceRunText() const {
    return rProperty().u == 0 && rProperty().strikethrough == 0 && KXConverterUtilities::isBlankString(runText_);
}

kx::Rect KXDocxRunText::trimBehindTextRect() const {
    kx::Rect frame = ctmInfo().frame;
    for (auto it = runText_.rbegin(); it != runText_.rend() && isBlankUnit(*it); ++it) frame.size.width -= spaceWidth_;
    return frame;
}

std::shared_ptr<KXDocxRunText> KXDocxRunText::splitBlackSpaceRunTextBehind() {
    if (pdfScanLength() < 2) return nullptr;
    // The blank takes the last position of the run's range; at position 0 there is none before it
    // to step back to (an unsigned index would wrap round to the end of the page).
    if (pdfScanIndex() > 0) setPdfScanIndex(pdfScanIndex() - 1);

    double gap = 0;
    if (!runText_.empty() && isBlankUnit(runText_.back())) {
        std::u16string text = runText_;
        text.pop_back();
        setRunText(std::move(text));
        updateToNewFontWidth(textWidth_ - spaceWidth_);
        gap = spaceWidth_;
    }

    auto blank = std::make_shared<KXDocxRunText>();
    blank->setIsAnnotion(isAnnotion());
    blank->setPdfAnnotionIndex(pdfAnnotionIndex());
    blank->setPdfScanIndex(pdfScanIndex() + pdfScanLength());
    blank->setPdfScanLength(1);
    blank->setPdfScanIndex_BegainText(pdfScanIndex_BegainText_);
    blank->setPdfScanIndex_ShowText(pdfScanIndex_ShowText_);
    KXDocx_RPr property = rProperty();
    property.spacing = 0;
    blank->setRProperty(property);
    blank->setRunText(u" ");
    blank->setTextWidth(spaceWidth_);
    blank->setSpaceWidth(spaceWidth_);
    blank->setInsideSpacing(0);
    blank->setOutsideSpacing(gap);

    const kx::Rect frame = ctmInfo().frame;
    const double right = frame.origin.x + frame.size.width;
    const double top = frame.origin.y;
    const double bottom = frame.origin.y + frame.size.height;
    KXPDF_CTMInfo g = ctmInfo();
    g.xLeft = right;
    g.xRight = right + spaceWidth_;
    g.yTop = top;
    g.yDescent = bottom;
    g.yBottom = bottom;
    g.frame = kx::Rect(right, top, spaceWidth_, frame.size.height);
    g.topLeft = {right, top};
    g.bottomLeft = {right, bottom};
    blank->setCtmInfo(g);
    return blank;
}

double KXDocxRunText::addBlankSpaceTextBehind() {
    runText_.push_back(u' ');
    textWidth_ += spaceWidth_;
    setCtmInfo(KXCTMInfoWidenRight(ctmInfo(), spaceWidth_));
    return spaceWidth_;
}

void KXDocxRunText::updateToNewFontWidth(double width) {
    textWidth_ = width;
    KXPDF_CTMInfo g = ctmInfo();
    g.frame.size.width = width;
    g.xRight = g.xLeft + width;
    setCtmInfo(g);
}

kx::Rect KXDocxRunText::displayRect() const { return ctmInfo().frame; }

double KXDocxRunText::doubleBottomLine() const {
    const kx::Rect& frame = ctmInfo().frame;
    double h = wordSingleLineHeight_ > 0 ? wordSingleLineHeight_ : frame.size.height;
    return frame.origin.y + 1.5 * h + 1;
}

void KXDocxRunText::setRunText(std::u16string text) {
    runText_ = std::move(text);
    if (runText_.empty()) {
        isSpaceFirst_ = false;
        isSpaceLast_ = false;
        return;
    }
    if (runText_.front() == u' ') isSpaceFirst_ = true;
    if (runText_.back() == u' ') isSpaceLast_ = true;
}

KXDocxRunText::OptimizedStyle KXDocxRunText::optimizedStyle(const KXDocx_RPr& original, bool replaceFont) {
    OptimizedStyle style;
    KXDocx_RPr property = original;
    const float s = property.sz;
    // Word sets sizes in half points. A size that is no number, or none at all, stays as it is:
    // there is no width to give back.
    const bool sized = std::isfinite(s) && s > 0;
    const float s2 = sized ? std::floor(2.0f * s) / 2.0f : s;
    style.size = s;
    style.roundedSize = s2;
    style.scale = sized && s2 > 0 ? s2 / s : 1.0f;

    // The face Word's metrics are taken from.
    std::string fontName = property.rFonts.ascii;
    if (replaceFont) {
        if (KXPDFFontUtilities::SystemFontNameIsExist(fontName)) {
            style.measuringFace = fontName;
        } else if (KXPDFFontUtilities::SystemFontNameIsExist(property.rFonts_replace.ascii)) {
            style.measuringFace = property.rFonts_replace.ascii;
            property.rFonts = property.rFonts_replace;
            fontName = property.rFonts.ascii;
        } else if (const kx::detail::FontStandIn& standIn =
                       kx::detail::fontStandIn(property.rFonts_replace.ascii, property.b, property.i);
                   !standIn.installedFace.empty()) {
            // Neither font is installed, but the word processor's font for the replacement has a
            // metric-compatible stand-in here: the document names the one, the other measures.
            style.measuringFace = standIn.installedFace;
            property.rFonts = {standIn.wordName, standIn.wordName, standIn.wordName, standIn.wordName};
            fontName = standIn.installedFace;
        }
    }
    property.sz = s2;
    property.szCs = s2;
    property.spacing = 0;
    style.record = std::make_shared<const KXDocx_RPr>(std::move(property));
    // The same for every run of the style: measured once here.
    if (!style.measuringFace.empty())
        style.blankWidth = KXPDFFontUtilities::SystemFontNameWidthOfString(style.measuringFace, s2, u" ");
    style.metricsFace = KXPDFFontUtilities::SystemFontNameIsExist(fontName);
    if (style.metricsFace) {
        style.lineHeightFactor = KXDocxManager::WordLineHeight(fontName);
        if (style.lineHeightFactor > 0) style.ascentFactor = KXDocxManager::WordLineAscentFactor(fontName);
    }
    return style;
}

void KXDocxRunText::optimizePropertyAtStart(bool replaceFont, PropertyCache* cache) {
    OptimizedStyle local;
    const OptimizedStyle* style = nullptr;
    std::unordered_map<std::u16string, double>* widths = nullptr;
    if (cache) {
        const KXDocx_RPr* key = sharedRProperty().get();
        auto it = cache->styles.find(key);
        if (it == cache->styles.end()) it = cache->styles.emplace(key, optimizedStyle(rProperty(), replaceFont)).first;
        style = &it->second;
        if (!style->measuringFace.empty()) widths = &cache->textWidths[key];
    } else {
        local = optimizedStyle(rProperty(), replaceFont);
        style = &local;
    }
    const float s2 = style->roundedSize, q = style->scale;

    double inside = insideSpacing_ + (1.0 - q) * textWidth_;
    double blankWidth = q * spaceWidth_;
    if (!style->measuringFace.empty()) {
        // The text takes the width it has in the font Word will set it in, and the spacing spreads
        // the rest of its place on the page over it. Its place stays where the PDF shows it: the
        // gaps between runs, from which lines and words are made, are the page's own. (Widths of
        // another font put into the geometry would open gaps inside words and close them between.)
        auto measure = [&] { return KXPDFFontUtilities::SystemFontNameWidthOfString(style->measuringFace, s2, runText_); };
        double width = 0;
        if (widths) {
            auto [known, fresh] = widths->try_emplace(runText_, 0.0);
            if (fresh) known->second = measure();
            width = known->second;
        } else {
            width = measure();
        }
        if (width > 0) {
            inside = insideSpacing_ + ctmInfo().frame.size.width - width;
            textWidth_ = width;
        }
        blankWidth = style->blankWidth > 0 ? style->blankWidth : q * spaceWidth_;
    }

    spaceWidth_ = static_cast<float>(blankWidth);
    insideSpacing_ = static_cast<float>(inside);
    // The record keeps no spacing of its own: a run writes its spacing from insideSpacing and
    // outsideSpacing, and the runs of one style share one record.
    setRProperty(style->record);

    if (style->metricsFace) {
        const double h = style->lineHeightFactor;
        if (h > 0) {
            wordSingleLineHeight_ = h * s2;
            wordSingleLineBlankTop_ = std::max(0.0, h * s2 * style->ascentFactor - s2);
        } else {
            wordSingleLineHeight_ = 0;
            wordSingleLineBlankTop_ = 0;
        }
    }
}

double KXDocxRunText::narrowedPastCondensingLimit(KXDocx_RPr& property, double total, double n) const {
    // LibreOffice condenses a character by at most a sixth of its size (in whole twentieths of a
    // point), whatever spacing is written; a run whose font sets it much wider than its place on
    // the page (a condensed face set in a normal one, characters from a fallback font) would keep
    // the rest of its width and push its line past its paragraph. Such a run is scaled narrower
    // to its place instead, which every reader applies, and keeps what the whole percent leaves
    // as spacing: narrowed alike, as a condensed face is, no narrow glyph runs back over the one
    // before it. A lone character set over its neighbour (a fraction, an accent) keeps its shape:
    // its overlap is where it stands, not the width of a face.
    if (!(n >= 2) || !(textWidth_ > 0) || !(total / SpacedCharacters(total, n) < -condensingLimit(property)))
        return total;
    const double scale = std::floor(100.0 * (1.0 + total / textWidth_));
    if (!(scale < 100.0)) return total;
    property.w = static_cast<float>(std::max(scale, 1.0));
    return total - (property.w / 100.0 - 1.0) * textWidth_;
}

double KXDocxRunText::condensingLimit(const KXDocx_RPr& property) {
    // One twentieth short of LibreOffice's limit: negative spacing is written rounded down.
    return std::max(0.0, std::floor(static_cast<double>(property.sz) * 20.0 * kCondensingLimit) - 1.0) / 20.0;
}

double KXDocxRunText::SpacedCharacters(double total, double n) {
    // LibreOffice spaces every character of a stretch of alike runs but its last; Word spaces every
    // one. Condensing is spread over all but the last character, so that a run comes out no wider
    // than its place in either reader: LibreOffice applies all of it, and Word condenses the last
    // character too and sets the run narrower by that character's share. Spacing that widens a
    // run is spread over every character: the reader that leaves the last one out sets it narrower.
    return total < 0 && n >= 2 ? n - 1 : n;
}

KXDocx_RPr KXDocxRunText::writtenRProperty() const {
    KXDocx_RPr property = rProperty();
    const double n = runText_.size() > 1 ? static_cast<double>(runText_.size()) : 1.0;
    const double total = narrowedPastCondensingLimit(property, kx::finiteOr(insideSpacing_ + outsideSpacing_), n);
    property.spacing = static_cast<float>(kx::finiteOr(total / SpacedCharacters(total, n)));
    return property;
}

KXDocx_RPr KXDocxRunText::writtenRProperty(double& carried) const {
    KXDocx_RPr property = rProperty();
    const double n = static_cast<double>(runText_.size());
    if (n == 0) return writtenRProperty();
    const double total =
        narrowedPastCondensingLimit(property, kx::finiteOr(insideSpacing_ + outsideSpacing_ + carried), n);
    const double spaced = SpacedCharacters(total, n);
    property.spacing = static_cast<float>(kx::finiteOr(total / spaced));
    carried = kx::finiteOr(total - spaced * KXDocxUtilities::SpacingTwips(property.spacing) / 20.0);
    return property;
}

void KXDocxRunText::writeWithXMLWriter(XMLFileWriter& writer) {
    WriteRunTextsWithXMLWriter({this}, writtenRProperty(), writer);
}

void KXDocxRunText::WriteRunTextsWithXMLWriter(const std::vector<const KXDocxRunText*>& runs,
                                               const KXDocx_RPr& property, XMLFileWriter& writer) {
    writer.writeStartElementWithNamespace(W, "r");
    KXDocxUtilities::WriteRProperty(property, writer);
    writer.writeStartElementWithNamespace(W, "t");
    // Word drops blanks at either end of a text unless it is told to keep them; readers may fold
    // the blanks where two of the texts meet as well.
    const bool keepBlanks = std::any_of(runs.begin(), runs.end(), [](const KXDocxRunText* run) {
        const std::u16string& t = run->runText_;
        return !t.empty() && (isBlankUnit(t.front()) || isBlankUnit(t.back()));
    });
    if (keepBlanks) writer.writeAttributeWithNamespace(kXMLNamespace, "space", "preserve");
    for (const KXDocxRunText* run : runs) writer.writeCharacters(std::u16string_view(run->runText_));
    writer.writeEndElement();
    writer.writeEndElement();
}

void KXDocxRunText::UpdateRunTextArrayPDFScanIndex(KXDocxRunTextArray& runs) {
    kx::detail::stableSortByKey(runs, [](const std::shared_ptr<KXDocxRunText>& r) { return r->pdfScanIndex(); });
    std::uint64_t k = 0;
    for (auto& run : runs) {
        run->setTextScanIndex(k);
        run->setTextScanLength(1);
        k += run->textScanLength();
    }
}

kx::Rect KXDocxRunText::FrameOfRunTextArray(const KXDocxRunTextArray& runs) {
    if (runs.empty()) return kx::Rect::zero();
    kx::Rect frame = runs.front()->ctmInfo().frame;
    for (size_t i = 1; i < runs.size(); ++i) frame = frame.unionWith(runs[i]->ctmInfo().frame);
    return frame;
}

std::shared_ptr<KXDocxRunText> KXDocxRunText::FindBottomAfterRunText(const KXDocxRunTextArray& runs) {
    return kx::detail::findByKey(runs, [](const std::shared_ptr<KXDocxRunText>& r) { return r->doubleBottomLine(); },
                                 true);
}

std::shared_ptr<KXDocxRunText> KXDocxRunText::FindMinBaseLineRunText(const KXDocxRunTextArray& runs) {
    return kx::detail::findByKey(runs, [](const std::shared_ptr<KXDocxRunText>& r) { return r->ctmInfo().yBase; });
}

KXDocxRunTextArray KXDocxRunText::CollectSameBaseLineRunTexts(const KXDocxRunTextArray& runs) {
    KXDocxRunTextArray out;
    if (runs.empty()) return out;
    const double base = runs.front()->ctmInfo().yBase;
    out.push_back(runs.front());
    for (size_t i = 1; i < runs.size(); ++i)
        if (std::fabs(runs[i]->ctmInfo().yBase - base) < 1.0) out.push_back(runs[i]);
    return out;
}

KXDocxRunTextArray KXDocxRunText::FindSameAnnotionRunText(const KXDocxRunTextArray& runs) {
    KXDocxRunTextArray out;
    if (runs.empty()) return out;
    const std::int64_t index = runs.front()->pdfAnnotionIndex();
    out.push_back(runs.front());
    for (size_t i = 1; i < runs.size(); ++i)
        if (runs[i]->isAnnotion() && runs[i]->pdfAnnotionIndex() == index) out.push_back(runs[i]);
    return out;
}

std::vector<KXDocxRunTextArray> KXDocxRunText::FindGroupSameAnnotionRunText(KXDocxRunTextArray& runs) {
    // Each group is the first run left and the later annotation runs of its annotation; the runs of
    // one annotation are found through an index instead of a search of everything left.
    std::unordered_map<std::int64_t, std::vector<size_t>> byAnnotation;
    for (size_t i = 0; i < runs.size(); ++i)
        if (runs[i]->isAnnotion()) byAnnotation[runs[i]->pdfAnnotionIndex()].push_back(i);
    std::vector<bool> taken(runs.size(), false);
    std::vector<KXDocxRunTextArray> groups;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (taken[i]) continue;
        taken[i] = true;
        KXDocxRunTextArray group{runs[i]};
        auto it = byAnnotation.find(runs[i]->pdfAnnotionIndex());
        if (it != byAnnotation.end()) {
            for (size_t p : it->second) {
                if (p <= i || taken[p]) continue;
                taken[p] = true;
                group.push_back(runs[p]);
            }
            // Every run before i is taken already (each began a group or joined one), and those
            // after it have just joined this group: nothing of this annotation is left.
            it->second.clear();
        }
        groups.push_back(std::move(group));
    }
    runs.clear();
    return groups;
}
