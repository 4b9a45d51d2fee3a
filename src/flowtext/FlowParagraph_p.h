#pragma once
// The paragraphs of the three flow-text families: a row of runs with the paragraph, run and
// section properties derived from them. `Paragraph` is the family's own class (it derives from
// this one), `Run` its run base and `RunText` its text run.

#include <algorithm>
#include <cmath>
#include <memory>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxUtilities.h"
#include "platform/Numeric.h"

namespace kx::detail {

// Blank paragraphs never need to outnumber what a reader sees: the writers collapse runs of empty
// lines anyway, so a huge vertical gap (a hostile page size) must not become millions of them.
inline constexpr int kMaxBlankParagraphs = 100;

template <class Paragraph, class Run, class RunText, class Writer>
class FlowParagraph {
public:
    using RunPtr = std::shared_ptr<Run>;

    FlowParagraph()
        : pProperty_(KXDocxUtilities::defaultPProperty()),
          rProperty_(KXDocxUtilities::defaultRProperty()),
          sectProperty_(KXDocxUtilities::defaultSectPropertyHiden()),
          textMargin_(sectProperty_.pgMar) {}
    // The runs are shared with the page, not copied; the properties are resolved from them.
    explicit FlowParagraph(std::vector<RunPtr> runs) : FlowParagraph() {
        runArray_ = std::move(runs);
        resolvePProperty();
    }
    virtual ~FlowParagraph() = default;

    // Empty paragraphs, one line each, that fill a vertical gap of `height` with lines of about
    // max(font size, spaceLine).
    static std::vector<std::unique_ptr<Paragraph>> BlankParagraph(double height, double spaceLine, double indLeft,
                                                                  const KXDocx_RPr& rPr, const KXDocx_SectPr& sect) {
        const double quotient = static_cast<float>(height / std::max(static_cast<double>(rPr.sz), spaceLine));
        int n = std::clamp(kx::toInt<int>(std::floor(quotient)), 1, kMaxBlankParagraphs);
        const float lineHeight = static_cast<float>(height / n);
        std::vector<std::unique_ptr<Paragraph>> result;
        result.reserve(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k) {
            auto p = std::make_unique<Paragraph>();
            KXDocx_PPr pPr = KXDocxUtilities::defaultPProperty();
            pPr.spacing.before = 0;
            pPr.spacing.after = 0;
            pPr.spacing.line = lineHeight;
            pPr.spacing.lineRule = "exact";
            pPr.ind.firstLine = 0;
            pPr.ind.left = static_cast<float>(indLeft);
            pPr.jc = 0;
            p->setPProperty(pPr);
            p->setRProperty(rPr);
            p->setSectProperty(sect);
            result.push_back(std::move(p));
        }
        return result;
    }

    RunText* firstRunText() const {
        for (const RunPtr& run : runArray_)
            if (auto* text = textOf(run.get())) return text;
        return nullptr;
    }
    RunText* lastRunText() const {
        for (auto it = runArray_.rbegin(); it != runArray_.rend(); ++it)
            if (auto* text = textOf(it->get())) return text;
        return nullptr;
    }
    bool haveText() const {
        for (const RunPtr& run : runArray_)
            if (auto* text = textOf(run.get()); text && !text->runText().empty()) return true;
        return false;
    }

    // Indentation from the first text run, line height from the largest font, run properties from
    // the last text run. Returns the resolved height, which is always 0.
    double resolvePProperty() {
        RunText* first = firstRunText();
        if (first) pProperty_.ind.left = static_cast<float>(first->ctmInfo().bottomLeft.x);
        float line = 0;
        for (const RunPtr& run : runArray_) {
            auto* text = textOf(run.get());
            if (text && !std::isnan(text->rProperty().sz)) line = std::max(line, text->rProperty().sz);
        }
        pProperty_.spacing.line = line;
        resolvedHeight_ = 0;
        if (RunText* last = lastRunText()) rProperty_ = last->rProperty();
        return resolvedHeight_;
    }

    // The indentation measured from the paragraph's column; false when there is no text run.
    bool resolveXColumnProperty() {
        RunText* first = firstRunText();
        if (!first) return false;
        pProperty_.ind.left = static_cast<float>(first->ctmInfo().bottomLeft.x - xColumnPosition_);
        return true;
    }

    // The runs in order, or one line break for a paragraph without runs.
    void writeWithXMLWriter(Writer& writer) const {
        if (runArray_.empty()) {
            writer.writeLinebreak();
            return;
        }
        for (const RunPtr& run : runArray_) run->writeWithXMLWriter(writer);
    }

    const KXDocx_PPr& pProperty() const { return pProperty_; }
    void setPProperty(const KXDocx_PPr& p) { pProperty_ = p; }
    const KXDocx_RPr& rProperty() const { return rProperty_; }
    void setRProperty(const KXDocx_RPr& p) { rProperty_ = p; }
    const KXDocx_SectPr& sectProperty() const { return sectProperty_; }
    void setSectProperty(const KXDocx_SectPr& p) { sectProperty_ = p; }
    const KXDocx_PgMar& textMargin() const { return textMargin_; }
    void setTextMargin(const KXDocx_PgMar& m) { textMargin_ = m; }
    const std::vector<RunPtr>& runArray() const { return runArray_; }
    std::vector<RunPtr>& runArray() { return runArray_; }
    double resolvedHeight() const { return resolvedHeight_; }
    bool breakColumn() const { return breakColumn_; }
    void setBreakColumn(bool b) { breakColumn_ = b; }
    double xColumnPosition() const { return xColumnPosition_; }
    void setXColumnPosition(double x) { xColumnPosition_ = x; }

private:
    KXDocx_PPr pProperty_;
    KXDocx_RPr rProperty_;
    KXDocx_SectPr sectProperty_;
    KXDocx_PgMar textMargin_;
    std::vector<RunPtr> runArray_;

    // The run as a text run, or null. A text run's class has no subclasses, so comparing its type
    // is the cast, without the walk through the class graph that a dynamic_cast makes (paragraphs
    // look at each of their runs several times).
    static RunText* textOf(Run* run) {
        static_assert(std::is_final_v<RunText>);
        return run && typeid(*run) == typeid(RunText) ? static_cast<RunText*>(run) : nullptr;
    }
    double resolvedHeight_ = 0;
    bool breakColumn_ = false;
    double xColumnPosition_ = 0;
};

}  // namespace kx::detail
