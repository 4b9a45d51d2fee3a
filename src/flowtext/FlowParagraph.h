#pragma once
// The paragraphs of the three flow-text families: a row of runs with the paragraph, run and section
// properties derived from them. Each family's page writes them (FlowPage).

#include <memory>
#include <typeinfo>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "flowtext/FlowRun.h"

namespace kx::detail {

// Blank paragraphs never need to outnumber what a reader sees: the writers collapse runs of empty
// lines anyway, so a huge vertical gap (a hostile page size) must not become millions of them.
inline constexpr int kMaxBlankParagraphs = 100;

class FlowParagraph {
public:
    using RunPtr = std::shared_ptr<FlowRun>;

    FlowParagraph();
    // The runs are shared with the page, not copied; the properties are resolved from them.
    explicit FlowParagraph(std::vector<RunPtr> runs);

    // Empty paragraphs, one line each, that fill a vertical gap of `height` with lines of about
    // max(font size, spaceLine).
    static std::vector<std::unique_ptr<FlowParagraph>> BlankParagraph(double height, double spaceLine, double indLeft,
                                                                      const KXDocx_RPr& rPr, const KXDocx_SectPr& sect);

    FlowRunText* firstRunText() const;
    FlowRunText* lastRunText() const;
    bool haveText() const;

    // Indentation from the first text run, line height from the largest font, run properties from
    // the last text run. Returns the resolved height, which is always 0.
    double resolvePProperty();
    // The indentation measured from the paragraph's column; false when there is no text run.
    bool resolveXColumnProperty();

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

    // The run as a text run, or null. A text run's class has no subclasses, so comparing its type
    // is the cast, without the walk through the class graph that a dynamic_cast makes (paragraphs
    // look at each of their runs several times).
    static FlowRunText* textOf(FlowRun* run) {
        return run && typeid(*run) == typeid(FlowRunText) ? static_cast<FlowRunText*>(run) : nullptr;
    }

private:
    KXDocx_PPr pProperty_;
    KXDocx_RPr rProperty_;
    KXDocx_SectPr sectProperty_;
    KXDocx_PgMar textMargin_;
    std::vector<RunPtr> runArray_;
    double resolvedHeight_ = 0;
    bool breakColumn_ = false;
    double xColumnPosition_ = 0;
};

}  // namespace kx::detail
