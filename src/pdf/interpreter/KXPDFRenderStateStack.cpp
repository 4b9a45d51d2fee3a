#include "pdf/interpreter/KXPDFRenderStateStack.h"

void KXPDFRenderStateStack::reset() {
    renderstack_.clear();
    renderstack_.emplace_back();
}

KXPDFRenderState& KXPDFRenderStateStack::topRenderingState() {
    if (renderstack_.empty()) renderstack_.emplace_back();
    return renderstack_.back();
}

KXPDFRenderState& KXPDFRenderStateStack::pushRenderingState() {
    if (renderstack_.empty()) return renderstack_.emplace_back();
    KXPDFRenderState copy = renderstack_.back();
    return renderstack_.emplace_back(std::move(copy));
}

KXPDFRenderState& KXPDFRenderStateStack::pushRenderingState(KXPDFRenderState state) {
    return renderstack_.emplace_back(std::move(state));
}

std::optional<KXPDFRenderState> KXPDFRenderStateStack::popRenderingState() {
    if (renderstack_.empty()) return std::nullopt;
    KXPDFRenderState last = std::move(renderstack_.back());
    renderstack_.pop_back();
    return last;
}
