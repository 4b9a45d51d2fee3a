#pragma once
// The save/restore stack of render states. The exporter that owns a page creates it, hands it to
// the interpreter (which shares it with nested interpreters) and reads its top while reports arrive.
// A reference to a state stays valid until that state is popped (pushes do not move states).

#include <memory>
#include <optional>
#include <deque>

#include "pdf/state/KXPDFRenderState.h"

class KXPDFRenderStateStack {
public:
    KXPDFRenderStateStack() { reset(); }

    // One fresh state.
    void reset();
    // The last state; a fresh state is appended first when the stack is empty.
    KXPDFRenderState& topRenderingState();
    // Appends a copy of the last state (a fresh state when the stack is empty) and returns it.
    KXPDFRenderState& pushRenderingState();
    // Appends that state and returns it.
    KXPDFRenderState& pushRenderingState(KXPDFRenderState state);
    // Removes the last state and returns it; nullopt on an empty stack.
    std::optional<KXPDFRenderState> popRenderingState();
    // Bottom first.
    const std::deque<KXPDFRenderState>& stack() const { return renderstack_; }
    size_t depth() const { return renderstack_.size(); }

private:
    std::deque<KXPDFRenderState> renderstack_;
};
