// Page sections: finishing a section's paragraphs, and joining consecutive line paragraphs of a
// column into one running paragraph when the merge option is on. Lines are joined only while every
// sign says that the line break was forced by the width of the column: no list marks or symbols,
// one font, one line height and pitch, one alignment, and the next line's first word would not
// have fitted on the line before.

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxManager.h"
#include "docx/page/KXDocxPageSection.h"
#include "platform/TextBreaks.h"
#include "util/KXConverterUtilities.h"

namespace {

using ParagraphPtr = std::shared_ptr<KXDocxParagraph>;

bool contains(const std::u16string& text, std::u16string_view what) { return text.find(what) != std::u16string::npos; }

bool containsAny(const std::u16string& text, std::initializer_list<std::u16string_view> marks) {
    return std::any_of(marks.begin(), marks.end(), [&](std::u16string_view m) { return contains(text, m); });
}

// Marks of check lists, forms and labels: a line holding one starts a paragraph of its own.
bool hasStopMark(const std::u16string& text) {
    return containsAny(text, {u"\u25A1", u"\u221A", u"\u25C7", u"\u25FC", u"\uFF1A", u":"});
}

// Bullets, arrows, separators and leaders.
bool hasListSymbol(const std::u16string& text) {
    return containsAny(text, {u"\u21D2", u"|", u"\u00B7", u"\u2022", u"\u2605", u"\u2606", u"\u2666", u"\u25C6",
                              u"\u25CA", u"\u2023", u"....", u"\u00B7\u00B7\u00B7\u00B7", u"\u2026"});
}

bool isBlankUnit(char16_t c) { return kx::isWhitespaceOrNewline(c); }

// A line whose pieces stand apart like the cells of a table or a code listing (two neighbours more
// than four blanks, or an em, apart: wider than the widest word space of justified
// text): its gaps are kept as tabs in a paragraph of its own. A running paragraph would turn them
// into spacing, and where the reader's font sets the text wider, each row's last cell would wrap
// onto the start of the next row, and so on down the list.
bool isSpacedLikeColumns(const KXDocxRunTextLine& line) {
    const KXDocxRunTextArray& runs = line.runTextArray();
    for (size_t i = 1; i < runs.size(); ++i) {
        const KXDocxRunText& left = *runs[i - 1];
        const double limit = std::min(4 * std::max(left.spaceWidth(), 1.0), std::max<double>(left.rProperty().sz, 1.0));
        if (runs[i]->ctmInfo().xLeft - left.ctmInfo().xRight > limit) return true;
    }
    return false;
}

const kx::Rect& lineFrameOf(const KXDocxParagraph& p) {
    static const kx::Rect zero;
    auto line = p.firstRunLineText();
    return line ? line->lineFrame() : zero;
}

KXDocxParagraphArray paragraphsIn(const KXDocxWriterObjectArray& column) {
    KXDocxParagraphArray out;
    for (const auto& object : column)
        if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object)) out.push_back(p);
    return out;
}

}  // namespace

void KXDocxPageSection::optimizeParagraphs() {
    if (headBlankParagraphArray_.size() >= 2) fixErrorSpaceInParagraphs(headBlankParagraphArray_);
    for (const auto& column : paragraphGroupArray_) {
        KXDocxParagraphArray paragraphs = paragraphsIn(column);
        if (paragraphs.size() >= 2) fixErrorSpaceInParagraphs(paragraphs);
    }
    if (!paragraphGroupArray_.empty()) paragraphGroupArray_ = autoFitParagraphSpacing();
    if (!KXDocxManager::sharedInstance().moreOptions().wordOptions().isMergeParagraphs()) return;
    for (auto& column : paragraphGroupArray_) {
        KXDocxParagraphArray merged = mergeParagraphsIfNeed(paragraphsIn(column));
        column.assign(merged.begin(), merged.end());
    }
}

KXDocxParagraphArray KXDocxPageSection::mergeParagraphsIfNeed(const KXDocxParagraphArray& column) {
    KXDocxParagraphArray result;
    for (size_t start = 0; start < column.size();) {
        KXDocxParagraphArray rest(column.begin() + static_cast<std::ptrdiff_t>(start), column.end());
        KXDocxParagraphArray group = findMergeParagraphs(rest);
        if (group.empty()) group = {rest.front()};
        result.push_back(mergeParagraphs(group));
        start += group.size();
    }
    return result;
}

KXDocxParagraphArray KXDocxPageSection::findMergeParagraphs(const KXDocxParagraphArray& rest) {
    if (rest.size() < 2) return rest;
    const ParagraphPtr& first = rest.front();
    KXDocxParagraphArray group{first};
    std::shared_ptr<KXDocxRunTextLine> previousLine = first->firstRunLineText();
    if (!previousLine || contains(previousLine->lineText(), u"....") ||
        contains(previousLine->lineText(), u"\u00B7\u00B7\u00B7\u00B7") || isSpacedLikeColumns(*previousLine))
        return group;
    int align = first->pProperty().jc;
    ParagraphPtr previous = first;
    double pitch = 0;

    for (size_t j = 1; j < rest.size(); ++j) {
        const ParagraphPtr& q = rest[j];
        std::shared_ptr<KXDocxRunTextLine> line = q->firstRunLineText();
        if (!line) break;
        const std::u16string& text = line->lineText();
        const std::u16string& previousText = previousLine->lineText();
        if (previousText.size() <= 1 && text.size() <= 1) break;
        if (hasStopMark(text)) break;
        if (!text.empty() && (text.front() == u'.' || text.front() == u'o')) break;
        if (hasListSymbol(text)) break;
        if (isSpacedLikeColumns(*line)) break;
        if (!HaveSameFont(*q, *previous)) break;
        const kx::Rect& l = line->lineFrame();
        const kx::Rect& p = previousLine->lineFrame();
        const KXDocx_Spacing& s = q->pProperty().spacing;
        if (std::fabs(l.size.height - (static_cast<double>(s.before) + s.line + s.after)) > 2.0 &&
            line->wordSingleLineHeight() < 1.0)
            break;
        if (std::fabs(l.size.height - p.size.height) > static_cast<double>(0.2f) * p.size.height) break;
        const double baselines = std::fabs(line->yBaseLine() - previousLine->yBaseLine());
        if (j == 1)
            pitch = baselines;
        else if (std::fabs(baselines - pitch) > 2.0)
            break;
        KXDocxParagraphArray candidate = group;
        candidate.push_back(q);
        if (pitch > 0 && !testAllHeightEnough(candidate, pitch)) break;
        if (j == 1) align = Recognize2LineTextAlignForMerger(candidate);
        if (j == 2) align = Recognize3LineTextAlignForMerger(candidate);
        if (!canBeExtendWidth(candidate, align)) break;
        const double lMin = l.origin.x, pMin = p.origin.x, lMax = l.maxX(), pMax = p.maxX();
        bool apart = false;
        switch (align) {
            case 0:
            case 3:
            case 4:
                apart = lMin > pMin + 1.0 || (j > 1 && pMin > lMin + 1.0);
                break;
            case 1:
                apart = pMax > lMax + 1.0 || (j > 1 && lMax > pMax + 1.0);
                break;
            case 2:
                apart = std::fabs(l.midX() - p.midX()) > 1.0;
                break;
            default:
                break;
        }
        if (apart) break;
        group.push_back(q);
        previousLine = line;
        previous = q;
    }
    if (group.size() >= 2) {
        KXDocx_PPr pp = first->pProperty();
        pp.jc = align;
        first->setPProperty(pp);
    }
    return group;
}

std::shared_ptr<KXDocxParagraph> KXDocxPageSection::mergeParagraphs(const KXDocxParagraphArray& group) {
    if (group.empty()) return nullptr;
    if (group.size() < 2) return group.front();
    const KXDocxParagraph& first = *group.front();
    const KXDocxParagraph& last = *group.back();
    KXDocxRunTextLineArray lines;
    bool breakColumn = false;
    double total = 0;
    for (const auto& p : group) {
        lines.insert(lines.end(), p->lineArray().begin(), p->lineArray().end());
        breakColumn = breakColumn || p->breakColumn();
        total += p->yBefore() + p->yHeight() + p->yAfter();
    }
    // One blank where two lines of words meet; none between full-width (CJK) characters, and none
    // where one is there already.
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::u16string& a = lines[i]->lineText();
        const std::u16string& b = lines[i + 1]->lineText();
        if (a.empty() || b.empty()) continue;
        const bool fullWidth = KXConverterUtilities::IsFullWidthCharacter(std::u16string_view(a).substr(a.size() - 1)) &&
                               KXConverterUtilities::IsFullWidthCharacter(std::u16string_view(b).substr(0, 1));
        if (fullWidth) continue;
        if (!isBlankUnit(b.front()) && !isBlankUnit(a.back())) lines[i]->addBlankSpaceTextBehind();
    }
    auto merged = KXDocxParagraph::initWithLineArray(lines, first.yBefore(), total - first.yBefore() - last.yAfter(),
                                                     last.yAfter(), first.columnFrame(), first.pProperty().jc,
                                                     first.sectProperty());
    merged->setBreakColumn(breakColumn);
    merged->setRProperty(first.rProperty());
    SetMergedParagraphIndents(*merged, group);
    merged->setSectProperty(first.sectProperty());
    return merged;
}

bool KXDocxPageSection::canBeExtendWidth(const KXDocxParagraphArray& paragraphs, int textAlign) const {
    if (paragraphs.empty()) return false;
    kx::Rect u = paragraphs.front()->contentFrame();
    size_t maxLength = 0;
    for (const auto& p : paragraphs) {
        u = u.unionWith(p->contentFrame());
        maxLength = std::max(maxLength, p->paragraphText().size());
    }
    if (maxLength < 7 || u.size.width < 36.0) return false;
    if (paragraphs.size() < 2) return true;
    for (size_t i = 1; i < paragraphs.size(); ++i) {
        const kx::Rect& a = lineFrameOf(*paragraphs[i - 1]);
        const double word = paragraphs[i]->firstWordWidth();
        switch (textAlign) {
            case 0:
            case 3:
            case 4:
                if (a.maxX() + word - u.maxX() < 1.0) return false;
                break;
            case 1:
                if (i > 1 && a.origin.x - word > u.origin.x - 0.5) return false;
                break;
            case 2:
                if (u.size.width + 0.5 > a.size.width + word) return false;
                break;
            default:
                break;
        }
    }
    return true;
}

bool KXDocxPageSection::testAllHeightEnough(const KXDocxParagraphArray& paragraphs, double distance) const {
    double sum = 0;
    for (const auto& p : paragraphs) sum += p->yBefore() + p->yHeight() + p->yAfter();
    return sum > static_cast<double>(paragraphs.size()) * distance - 1.0;
}

int KXDocxPageSection::Recognize2LineTextAlignForMerger(const KXDocxParagraphArray& paragraphs) {
    if (paragraphs.size() != 2) return paragraphs.empty() ? 0 : paragraphs.front()->pProperty().jc;
    const kx::Rect &a = lineFrameOf(*paragraphs[0]), &b = lineFrameOf(*paragraphs[1]);
    if (std::fabs(a.origin.x - b.origin.x) < 1.0) return std::fabs(a.maxX() - b.maxX()) < 1.0 ? 3 : 0;
    if (std::fabs(a.maxX() - b.maxX()) < 1.0)
        return a.origin.x > b.origin.x && paragraphs[0]->columnFrame().midX() > a.origin.x ? 0 : 1;
    return std::fabs(a.midX() - b.midX()) < 1.0 ? 2 : 0;
}

int KXDocxPageSection::Recognize3LineTextAlignForMerger(const KXDocxParagraphArray& paragraphs) {
    if (paragraphs.size() != 3) return 0;
    const kx::Rect &l0 = lineFrameOf(*paragraphs[0]), &l1 = lineFrameOf(*paragraphs[1]), &l2 = lineFrameOf(*paragraphs[2]);
    auto near = [](double a, double b) { return std::fabs(a - b) < 1.0; };
    if (near(l0.origin.x, l1.origin.x)) return near(l0.maxX(), l1.maxX()) ? 3 : 0;
    if (near(l0.maxX(), l1.maxX())) return near(l1.origin.x, l2.origin.x) ? 3 : 1;
    if (near(l0.midX(), l1.midX())) return 2;
    if (near(l1.origin.x, l2.origin.x)) return near(l1.maxX(), l2.maxX()) ? 3 : 0;
    if (near(l1.maxX(), l2.maxX())) return 1;
    return near(l1.midX(), l2.midX()) ? 2 : 0;
}

bool KXDocxPageSection::HaveSameFont(const KXDocxParagraph& a, const KXDocxParagraph& b) {
    auto la = a.firstRunLineText(), lb = b.firstRunLineText();
    if (!la || !lb) return false;
    for (const auto& ra : la->runTextArray())
        for (const auto& rb : lb->runTextArray())
            if (ra->rProperty().rFonts.ascii == rb->rProperty().rFonts.ascii &&
                std::fabs(ra->rProperty().sz - rb->rProperty().sz) <= 1.0f)
                return true;
    return false;
}
