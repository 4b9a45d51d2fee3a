// Paragraphs: building, filling and querying, and the resolution of the paragraph properties.

#include "docx/model/KXDocxParagraph.h"

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxRunTab.h"
#include "docx/model/KXDocxUtilities.h"
#include "platform/Format.h"
#include "platform/Unicode.h"
#include "util/KXConverterUtilities.h"

namespace {

// Blank paragraphs never come in more than this many: a space that asks for more is malformed, and
// the last paragraph takes what is left of it.
constexpr int kMaxBlankParagraphs = 2000;

bool isTextOrTab(const std::shared_ptr<KXDocxRun>& run) {
    return dynamic_cast<const KXDocxRunText*>(run.get()) || dynamic_cast<const KXDocxRunTab*>(run.get());
}

}  // namespace

KXDocxParagraph::KXDocxParagraph()
    : pProperty_(KXDocxUtilities::defaultPProperty()),
      rProperty_(KXDocxUtilities::defaultRProperty()),
      sectProperty_(KXDocxUtilities::defaultSectPropertyHiden()) {}

std::shared_ptr<KXDocxParagraph> KXDocxParagraph::initWithLineArray(KXDocxRunTextLineArray lines, double yBefore,
                                                                   double yHeight, double yAfter,
                                                                   const kx::Rect& columnFrame, int textAlign,
                                                                   const KXDocx_SectPr& sectProperty) {
    auto paragraph = std::make_shared<KXDocxParagraph>();
    paragraph->sectProperty_ = sectProperty;
    paragraph->sectProperty_.shouldWrite = false;
    paragraph->lineArray_ = std::move(lines);
    paragraph->convertToWriteRunArray(paragraph->lineArray_);
    paragraph->yBefore_ = yBefore;
    paragraph->yHeight_ = yHeight;
    paragraph->yAfter_ = yAfter;
    paragraph->columnFrame_ = columnFrame;
    paragraph->pProperty_.jc = textAlign;
    paragraph->resolvePProperty();
    paragraph->updateContentFrame();
    return paragraph;
}

std::shared_ptr<KXDocxParagraph> KXDocxParagraph::initWithLineArray(KXDocxRunTextLineArray lines) {
    return initWithLineArray(std::move(lines), 0, 0, 0, kx::Rect::zero(), 0,
                             KXDocxUtilities::defaultSectPropertyHiden());
}

std::string KXDocxParagraph::description() const {
    std::optional<std::string_view> align = KXDocxJcName(pProperty_.jc);
    return kx::format("<KXDocxParagraph: %p:[Align:%s][paragraphText:%s][contentFrame:[%f, %f, %f, %f]]>",
                      static_cast<const void*>(this), align ? std::string(*align).c_str() : "",
                      kx::utf16ToUtf8(paragraphText_).c_str(), contentFrame_.origin.x, contentFrame_.origin.y,
                      contentFrame_.size.width, contentFrame_.size.height);
}

bool KXDocxParagraph::isCanIgnore() const {
    if (pProperty_.spacing.line > 1.0f) return false;
    if (sectProperty_.shouldWrite) return false;
    if (!allRunTextArray().empty()) return false;
    if (writeRunGroupArray_.empty()) return true;
    // What is neither text nor a tab in a write group is a floating picture.
    for (const auto& group : writeRunGroupArray_)
        for (const auto& run : group)
            if (!isTextOrTab(run)) return false;
    return true;
}

KXDocxRunTextArray KXDocxParagraph::allRunTextArray() const {
    KXDocxRunTextArray runs;
    for (const auto& line : lineArray_) runs.insert(runs.end(), line->runTextArray().begin(), line->runTextArray().end());
    return runs;
}

void KXDocxParagraph::setBlankParagraphSpaceLine(double value) {
    pProperty_.spacing.line = static_cast<float>(value);
    if (rProperty_.sz > value) {
        rProperty_.sz = static_cast<float>(value);
        rProperty_.szCs = static_cast<float>(value);
    }
    contentFrame_.size = {2.0, value};
}

void KXDocxParagraph::updateContentFrame() {
    contentFrame_ = kx::Rect::zero();
    for (const auto& line : lineArray_) {
        for (const auto& run : line->runTextArray()) {
            const kx::Rect& frame = run->ctmInfo().frame;
            if (!(frame.size.width > 0)) continue;
            contentFrame_ = contentFrame_.size.width <= 0 ? frame : contentFrame_.unionWith(frame);
        }
    }
    if (lineArray_.empty()) return;
    const auto& first = lineArray_.front();
    // Only the first word is wanted: a text cut into words (one that starts with a plain character)
    // is cut up to and with the first space after its first character first, which gives the same
    // first word (a space never sits inside a word, and the breaks before it do not look past it);
    // the whole text is cut only when that piece holds no word. A text cut into characters is cut
    // whole: a character may hold a space (a prefixed sign before it, a mark after it).
    const std::u16string_view text = first->lineText();
    std::vector<std::u16string> words;
    if (const size_t space = text.find(u' ', 1);
        space != std::u16string_view::npos && !KXConverterUtilities::IsFullWidthCharacter(text))
        words = KXConverterUtilities::ComponentsSeparatedByWords(text.substr(0, space + 1));
    // The first character of a text cut into characters is found in a piece of its start: cut
    // whole, a line of millions of characters took some 50 bytes a character for the one it keeps.
    // The piece gives the first character when it holds more than one.
    constexpr size_t kFirstCharacterPiece = 64;
    if (words.empty() && KXConverterUtilities::IsFullWidthCharacter(text) && text.size() > kFirstCharacterPiece) {
        std::vector<std::u16string> piece =
            KXConverterUtilities::ComponentsSeparatedByWords(text.substr(0, kFirstCharacterPiece));
        if (piece.size() > 1) words.push_back(std::move(piece.front()));
    }
    if (words.empty()) words = KXConverterUtilities::ComponentsSeparatedByWords(text);
    if (words.empty()) return;
    firstWord_ = words.front();
    firstWordWidth_ = first->getTextWidth(firstWord_);
    // The word's share of the first run's spacing; a run without text has nothing to share.
    if (!first->runTextArray().empty()) {
        const KXDocxRunText& f = *first->runTextArray().front();
        if (!f.runText().empty())
            firstWordWidth_ += static_cast<double>(firstWord_.size()) * f.insideSpacing() /
                               static_cast<double>(f.runText().size());
    }
}

void KXDocxParagraph::addRunTextArray(const KXDocxRunTextArray& runs) {
    if (lineArray_.empty())
        lineArray_.push_back(KXDocxRunTextLine::initWithRunTextArray(runs));
    else
        lineArray_.front()->addRunTextArray(runs);
}

double KXDocxParagraph::firstLineTextWidth() const {
    if (lineArray_.empty()) return 0;
    double width = 0;
    for (const auto& run : lineArray_.front()->runTextArray()) width += run->textWidth();
    return width;
}

std::shared_ptr<KXDocxRunTextLine> KXDocxParagraph::firstRunLineText() const {
    return lineArray_.empty() ? nullptr : lineArray_.front();
}

bool KXDocxParagraph::isParagraphBlankText() const {
    return lineArray_.empty() || KXConverterUtilities::isBlankString(lineArray_.front()->lineText());
}

std::shared_ptr<KXDocxRunText> KXDocxParagraph::lastRunText() {
    if (writeRunGroupArray_.empty()) return nullptr;
    const KXDocxRunArray& group = writeRunGroupArray_.front();
    for (auto it = group.rbegin(); it != group.rend(); ++it)
        if (auto text = std::dynamic_pointer_cast<KXDocxRunText>(*it)) return text;
    return nullptr;
}

void KXDocxParagraph::convertToWriteRunArrayFloatRunPict() {
    KXDocxRunArray group;
    for (const auto& line : lineArray_) group.insert(group.end(), line->runTextArray().begin(), line->runTextArray().end());
    writeRunGroupArray_.clear();
    writeRunGroupArray_.push_back(std::move(group));
}

void KXDocxParagraph::insertRunPictArray(const KXDocxRunArray& picts) {
    if (writeRunGroupArray_.empty()) writeRunGroupArray_.emplace_back();
    KXDocxRunArray& group = writeRunGroupArray_.front();
    group.insert(group.begin(), picts.begin(), picts.end());
}

double KXDocxParagraph::averageSpacingLineWithRunTextLines() const {
    if (lineArray_.empty()) return 0;
    if (lineArray_.size() == 1) return yHeight_ > 0 ? yHeight_ : lineArray_.front()->lineFrame().size.height;
    auto bottom = [](const KXDocxRunTextLine& l) { return l.lineFrame().origin.y + l.lineFrame().size.height; };
    double sum = 0;
    for (size_t i = 1; i < lineArray_.size(); ++i) sum += bottom(*lineArray_[i]) - bottom(*lineArray_[i - 1]);
    return sum / static_cast<double>(lineArray_.size() - 1);
}

double KXDocxParagraph::resolvePProperty() {
    if (writeRunGroupArray_.empty() || lineArray_.empty()) return 0;
    const KXDocxRunTextLine& l0 = *lineArray_.front();
    const float wsh = static_cast<float>(l0.wordSingleLineHeight());
    const double H = yHeight_ + yAfter_;
    double before = pProperty_.spacing.before, after = pProperty_.spacing.after, line = pProperty_.spacing.line;
    std::string rule = pProperty_.spacing.lineRule;
    bool setIndent = false;
    double indentLeft = 0;

    if (writeRunGroupArray_.size() == 1) {
        if (writeRunGroupArray_.front().empty()) return 0;
        setIndent = true;
        indentLeft = l0.lineFrame().origin.x - columnFrame_.origin.x;
        if (H < 1.0) {
            before = 0;
            after = 0;
            line = 1.0;
            rule = "exact";
        } else if (wsh > 0) {
            const double wbt = l0.wordSingleLineBlankTop();
            if (wsh <= H && yBefore_ > wbt) {
                before = yBefore_ - wbt;
                after = yAfter_ - (wsh - yHeight_) + wbt;
                line = wsh;
                rule = "auto";
            } else {
                before = yBefore_;
                line = yHeight_;
                after = yAfter_;
                rule = "exact";
            }
        } else {
            const double h = l0.lineFrame().size.height;
            before = yBefore_;
            if (h > H) {
                line = yHeight_;
                after = yAfter_;
            } else {
                line = h;
                after = yAfter_ - (h - yHeight_);
            }
            rule = "exact";
        }
    } else {
        const double n = static_cast<double>(lineArray_.size());
        const float t = std::max(static_cast<float>(l0.lineFrame().size.height) / 12.0f, 1.0f);
        const double a = averageSpacingLineWithRunTextLines();
        const double k = n + 1;
        double L = 0;
        bool taken = false;
        if (wsh > 0) {
            const double m = std::round(static_cast<float>(2.0 * a / wsh)) * 0.5;
            L = m * wsh;
            const double r = H - n * L;
            taken = r > -t && r - yAfter_ < t;
        }
        if (!taken) {
            L = std::floor(a * k) / k;
            if (H - n * L <= -t) L = std::floor(H / n * k) / k;
        }
        const double r = H - n * L;
        if (r > -t && r < 0) {
            after = 0;
            before = yBefore_ >= -r ? yBefore_ + r : yBefore_;
        } else {
            after = r;
            before = yBefore_;
        }
        line = L;
        rule = wsh > 0 && static_cast<float>(L) >= wsh ? "auto" : "exact";
    }

    resolvedHeight_ = line - pProperty_.spacing.line;
    pProperty_.spacing.before = static_cast<float>(before);
    pProperty_.spacing.after = static_cast<float>(after);
    pProperty_.spacing.line = static_cast<float>(line);
    pProperty_.spacing.lineRule = rule;
    pProperty_.spacing.word1LineHeight = wsh;
    if (setIndent) pProperty_.ind.left = static_cast<float>(indentLeft);

    if (!writeRunGroupArray_.front().empty())
        if (std::shared_ptr<KXDocxRunText> last = lastRunText()) rProperty_ = last->rProperty();
    return resolvedHeight_;
}

std::shared_ptr<KXDocxParagraph> KXDocxParagraph::FirstParagraph(
    const std::vector<std::shared_ptr<KXDocxWriterObject>>& objects) {
    for (const auto& object : objects)
        if (auto paragraph = std::dynamic_pointer_cast<KXDocxParagraph>(object)) return paragraph;
    return nullptr;
}

std::vector<std::shared_ptr<KXDocxParagraph>> KXDocxParagraph::BlankParagraph(
    double b, double spaceLine, double indLeft, double indRight, int textAlign, const KXDocx_RPr& rProperty,
    const KXDocx_SectPr& sectProperty, double originY, const kx::Rect& columnFrame) {
    if (!std::isfinite(b)) b = 0;
    double h = std::max(static_cast<double>(rProperty.sz), spaceLine);
    float c = std::ceil(static_cast<float>(h));
    // A line of no height (no size and no line given) would divide by zero: the default run's
    // size stands in.
    if (!(c >= 1.0f)) {
        h = KXDocxUtilities::defaultRProperty().sz;
        c = std::ceil(static_cast<float>(h));
    }
    const float ratio = std::floor(static_cast<float>(b) / c);
    int count = ratio >= kMaxBlankParagraphs ? kMaxBlankParagraphs : ratio < 1 ? 1 : static_cast<int>(ratio);
    const bool single = b < h + 8;
    double v = c;
    if (single) {
        count = 1;
        v = b;
    }

    KXDocx_PPr p = KXDocxUtilities::defaultPProperty();
    p.spacing.before = 0;
    p.spacing.after = 0;
    p.spacing.line = static_cast<float>(v);
    p.spacing.lineRule = "exact";
    p.ind.firstLine = 0;
    p.ind.left = static_cast<float>(indLeft);
    p.ind.right = static_cast<float>(indRight);
    p.jc = textAlign;

    std::vector<std::shared_ptr<KXDocxParagraph>> paragraphs;
    paragraphs.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto paragraph = initWithLineArray({});
        paragraph->setPProperty(p);
        paragraph->setRProperty(rProperty);
        paragraph->setSectProperty(sectProperty);
        paragraph->setColumnFrame(columnFrame);
        paragraph->setContentFrame(kx::Rect(columnFrame.origin.x + indLeft, originY + i * v, 2.0, v));
        paragraph->setYHeight(v);
        paragraphs.push_back(std::move(paragraph));
    }
    const double e = single ? 0.0 : b - count * static_cast<double>(c);
    if (e != 0) {
        const auto& last = paragraphs.back();
        last->setContentFrame(kx::Rect(columnFrame.origin.x + indLeft, originY + (count - 1) * v, 2.0, v + e));
        KXDocx_PPr lastP = p;
        lastP.spacing.line = static_cast<float>(v + e);
        last->setPProperty(lastP);
        last->setRProperty(rProperty);
    }
    return paragraphs;
}
