#include "pdf/interpreter/KXPDFMarkedContentStack.h"

#include <algorithm>

void KXPDFMarkedContentStack::reset() {
    stack_.clear();
    stack_.emplace_back();
}

bool KXPDFMarkedContentStack::contentIsHidden() const {
    return std::any_of(stack_.begin(), stack_.end(), [](const KXPDFMarkedContent& e) { return e.ocSuppressed() != 0; });
}

KXPDFMarkedContent* KXPDFMarkedContentStack::tophMarkedContent() { return stack_.empty() ? nullptr : &stack_.back(); }

KXPDFMarkedContent& KXPDFMarkedContentStack::pushMarkedContent() { return stack_.emplace_back(); }

KXPDFMarkedContent& KXPDFMarkedContentStack::pushMarkedContent(const KXPDFMarkedContent& entry) {
    return stack_.emplace_back(entry);
}

bool KXPDFMarkedContentStack::popMarkedContent(KXPDFMarkedContent* removed) {
    if (stack_.empty()) return false;
    if (removed) *removed = stack_.back();
    stack_.pop_back();
    return true;
}
