#include "flowtext/FlowParagraph.h"

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxUtilities.h"
#include "platform/Numeric.h"

namespace kx::detail {

FlowParagraph::FlowParagraph()
    : pProperty_(KXDocxUtilities::defaultPProperty()),
      rProperty_(KXDocxUtilities::defaultRProperty()),
      sectProperty_(KXDocxUtilities::defaultSectPropertyHiden()),
      textMargin_(sectProperty_.pgMar) {}

FlowParagraph::FlowParagraph(std::vector<RunPtr> runs) : FlowParagraph() {
    runArray_ = std::move(runs);
    resolvePProperty();
}

std::vector<std::unique_ptr<FlowParagraph>> FlowParagraph::BlankParagraph(double height, double spaceLine, double indLeft,
                                                                          const KXDocx_RPr& rPr,
                                                                          const KXDocx_SectPr& sect) {
    const double quotient = static_cast<float>(height / std::max(static_cast<double>(rPr.sz), spaceLine));
    int n = std::clamp(kx::toInt<int>(std::floor(quotient)), 1, kMaxBlankParagraphs);
    const float lineHeight = static_cast<float>(height / n);
    std::vector<std::unique_ptr<FlowParagraph>> result;
    result.reserve(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        auto p = std::make_unique<FlowParagraph>();
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

FlowRunText* FlowParagraph::firstRunText() const {
    for (const RunPtr& run : runArray_)
        if (auto* text = textOf(run.get())) return text;
    return nullptr;
}

FlowRunText* FlowParagraph::lastRunText() const {
    for (auto it = runArray_.rbegin(); it != runArray_.rend(); ++it)
        if (auto* text = textOf(it->get())) return text;
    return nullptr;
}

bool FlowParagraph::haveText() const {
    for (const RunPtr& run : runArray_)
        if (auto* text = textOf(run.get()); text && !text->runText().empty()) return true;
    return false;
}

double FlowParagraph::resolvePProperty() {
    FlowRunText* first = firstRunText();
    if (first) pProperty_.ind.left = static_cast<float>(first->ctmInfo().bottomLeft.x);
    float line = 0;
    for (const RunPtr& run : runArray_) {
        auto* text = textOf(run.get());
        if (text && !std::isnan(text->rProperty().sz)) line = std::max(line, text->rProperty().sz);
    }
    pProperty_.spacing.line = line;
    resolvedHeight_ = 0;
    if (FlowRunText* last = lastRunText()) rProperty_ = last->rProperty();
    return resolvedHeight_;
}

bool FlowParagraph::resolveXColumnProperty() {
    FlowRunText* first = firstRunText();
    if (!first) return false;
    pProperty_.ind.left = static_cast<float>(first->ctmInfo().bottomLeft.x - xColumnPosition_);
    return true;
}

}  // namespace kx::detail
