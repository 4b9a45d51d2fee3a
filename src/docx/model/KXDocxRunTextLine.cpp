// The text line: building a line from its runs (reading order, fusion, left-to-right order),
// its geometry, its gaps and its text.

#include "docx/model/KXDocxRunTextLine.h"

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxFontStandIn_p.h"
#include "docx/model/KXDocxLineRuns_p.h"
#include "docx/model/KXDocxUtilities.h"
#include "platform/Format.h"
#include "platform/Unicode.h"
#include "util/KXConverterUtilities.h"

using kx::detail::fusionGroupEnd;
using kx::detail::fuseRuns;

std::shared_ptr<KXDocxRunTextLine> KXDocxRunTextLine::initWithRunTextArray(KXDocxRunTextArray runs) {
    auto line = std::make_shared<KXDocxRunTextLine>();
    line->setRunTextArray(std::move(runs));
    line->processRunTextArray();
    return line;
}

std::shared_ptr<KXDocxRunTextLine> KXDocxRunTextLine::initWithTable(std::shared_ptr<KXDocxRun> table) {
    auto line = std::make_shared<KXDocxRunTextLine>();
    line->setInlineTable(std::move(table));
    return line;
}

std::string KXDocxRunTextLine::description() const {
    std::string spaces;
    for (const auto& space : spaceRowArray_) {
        if (!spaces.empty()) spaces += ", ";
        spaces += kx::format("(%f-%f)", space->spaceRect().origin.x,
                             space->spaceRect().origin.x + space->spaceRect().size.width);
    }
    return kx::format(
        "<KXDocxRunTextLine: %p:[yBase:%f][yBottom:%f][lineFrame:[%f, %f, %f, %f]][wordSingleLineHeight:%f]"
        "[runTextArray.count:%zu][spaceRowArray.count:%zu][lineText:%s][pdfScanIndex:%llu~%llu][spaceRects:%s]>",
        static_cast<const void*>(this), yBaseLine_, lineFrame_.origin.y + lineFrame_.size.height,
        lineFrame_.origin.x, lineFrame_.origin.y, lineFrame_.size.width, lineFrame_.size.height,
        wordSingleLineHeight_, runTextArray_.size(), spaceRowArray_.size(), kx::utf16ToUtf8(lineText_).c_str(),
        static_cast<unsigned long long>(minPDFScanIndex_), static_cast<unsigned long long>(maxPDFScanIndex_),
        spaces.c_str());
}

void KXDocxRunTextLine::processRunTextArray() {
    if (runTextArray_.empty()) return;
    // 1. Reading order.
    KXDocxRunTextArray ordered = kx::detail::stableSortedByKey(
        runTextArray_, [](const std::shared_ptr<KXDocxRunText>& r) { return r->pdfScanIndex(); });
    // 2. Fusion, group after group from the front of what is left.
    KXDocxRunTextArray fused;
    fused.reserve(ordered.size());
    for (size_t start = 0; start < ordered.size();) {
        size_t end = fusionGroupEnd(ordered, start);
        fused.push_back(fuseRuns(ordered, start, end));
        start = end;
    }
    // 3. Left to right.
    kx::detail::stableSortByKey(fused, [](const std::shared_ptr<KXDocxRunText>& r) { return r->ctmInfo().xLeft; });
    runTextArray_ = std::move(fused);
    updateLineInfo(runTextArray_);
    spaceRowArray_ = _findRowSpace(runTextArray_);
}

void KXDocxRunTextLine::setRunTextArray(KXDocxRunTextArray runs) {
    runTextArray_ = std::move(runs);
    updateLineInfo(runTextArray_);
}

void KXDocxRunTextLine::addRunTextArray(const KXDocxRunTextArray& runs) {
    runTextArray_.insert(runTextArray_.end(), runs.begin(), runs.end());
    updateLineInfo(runTextArray_);
}

void KXDocxRunTextLine::updateLineInfo(const KXDocxRunTextArray& runs) {
    if (runs.empty()) return;
    const KXDocxRunText& first = *runs.front();
    lineFrame_ = first.ctmInfo().frame;
    yBaseLine_ = first.ctmInfo().yBase;
    minPDFScanIndex_ = first.pdfScanIndex();
    maxPDFScanIndex_ = first.pdfScanIndex() + first.pdfScanLength();
    wordSingleLineHeight_ = first.wordSingleLineHeight();
    wordSingleLineBlankTop_ = first.wordSingleLineBlankTop();
    if (runs.size() == 1) return;
    bool unknownHeight = first.wordSingleLineHeight() < 1.0;
    for (size_t i = 1; i < runs.size(); ++i) {
        const KXDocxRunText& run = *runs[i];
        lineFrame_ = lineFrame_.unionWith(run.ctmInfo().frame);
        yBaseLine_ = static_cast<float>(std::max(yBaseLine_, run.ctmInfo().yBase));
        minPDFScanIndex_ = std::min(minPDFScanIndex_, run.pdfScanIndex());
        maxPDFScanIndex_ = std::max(maxPDFScanIndex_, run.pdfScanIndex() + run.pdfScanLength());
        wordSingleLineHeight_ = static_cast<float>(std::max(wordSingleLineHeight_, run.wordSingleLineHeight()));
        wordSingleLineBlankTop_ = static_cast<float>(std::max(wordSingleLineBlankTop_, run.wordSingleLineBlankTop()));
        if (run.wordSingleLineHeight() < 1.0) unknownHeight = true;
    }
    // A run whose font Word's metrics are not known for makes the whole line's height unknown.
    if (unknownHeight) wordSingleLineHeight_ = 0.0;
}

KXDocxRunTextLineSpaceArray KXDocxRunTextLine::_findRowSpace(const KXDocxRunTextArray& runs) {
    KXDocxRunTextLineSpaceArray spaces;
    if (runs.empty()) return spaces;
    spaces.push_back(KXDocxRunTextLineSpace::RunTextLineSpaceWithLeftRunText(nullptr, runs.front()));
    std::u16string text = runs.front()->runText();
    for (size_t i = 1; i < runs.size(); ++i) {
        const auto& p = runs[i - 1];
        const auto& q = runs[i];
        double w = q->ctmInfo().xLeft - p->ctmInfo().xRight;
        if (p->textScanIndex() + p->textScanLength() != q->textScanIndex()) {
            // The page's text does not go on from p to q: a break in reading order.
            text += u" | ";
            spaces.push_back(KXDocxRunTextLineSpace::RunTextLineSpaceWithLeftRunText(p, q));
        } else if (p->pdfScanIndex_ShowText() == q->pdfScanIndex_ShowText()) {
            if (w >= 5.0)
                text += u'\t';
            else if (w >= 1.0)
                text += u' ';
        } else if (w >= 1.0) {
            text += u' ';
        }
        text += q->runText();
    }
    spaces.push_back(KXDocxRunTextLineSpace::RunTextLineSpaceWithLeftRunText(runs.back(), nullptr));
    lineText_ = std::move(text);
    return spaces;
}

double KXDocxRunTextLine::getTextWidth(std::u16string_view text) const {
    if (runTextArray_.empty()) return 0;
    const KXDocx_RPr& r = runTextArray_.front()->rProperty();
    double width = KXConverterUtilities::TextWidth(text, r.rFonts.ascii, r.sz, 1024.0);
    // A font Word knows that is here only as a metric-compatible stand-in is measured in that.
    if (!(width > 0))
        if (const auto& standIn = kx::detail::fontStandIn(r.rFonts.ascii, r.b, r.i); !standIn.installedFace.empty())
            width = KXConverterUtilities::TextWidth(text, standIn.installedFace, r.sz, 1024.0);
    return width;
}

bool KXDocxRunTextLine::isPDFScanIndexContinuous() const {
    for (size_t i = 1; i < runTextArray_.size(); ++i) {
        const auto& a = runTextArray_[i - 1];
        if (a->pdfScanIndex() + a->pdfScanLength() != runTextArray_[i]->pdfScanIndex()) return false;
    }
    return true;
}

void KXDocxRunTextLine::addBlankSpaceTextBehind() {
    if (runTextArray_.empty()) return;
    runTextArray_.back()->addBlankSpaceTextBehind();
    updateLineInfo(runTextArray_);
}

double KXDocxRunTextLine::behindTextSpaceWidth() const {
    return runTextArray_.empty() ? 0.0 : runTextArray_.back()->spaceWidth();
}

void KXDocxRunTextLine::removeScript() {
    for (const auto& run : runTextArray_) {
        KXDocx_RPr property = run->rProperty();
        float size = static_cast<float>(std::floor(2.0 * run->ctmInfo().fontSize.height) / 2.0);
        property.sz = size;
        property.szCs = size;
        property.scrpit = 0;
        run->setRProperty(property);
        KXPDF_CTMInfo g = run->ctmInfo();
        g.yBase = g.yBottom;
        run->setCtmInfo(g);
    }
}
